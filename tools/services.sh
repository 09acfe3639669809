# Services that the Wine tests and the demo need: an X display (Xvfb), a Wine prefix with
# its server, and a print server with a PDF printer as default. Sourced by ./run; what it
# starts, stop_services stops again.
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
export WINEPREFIX="${WINEPREFIX:-$BUILD/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers, and no debugger that would wait on a crash until the timeout.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=}"
export WINEARCH=win64
PDF_OUT="${PDF_OUT:-$BUILD/pdf}"
export PDF_OUT
STARTED_XVFB=""
STARTED_CUPSD=""

start_display() {
  if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
    return
  fi
  local fd_file
  fd_file=$(mktemp)
  Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$fd_file" 2>/dev/null &
  STARTED_XVFB=$!
  for _ in $(seq 100); do
    [[ -s "$fd_file" ]] && break
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$fd_file")"
  rm -f "$fd_file"
}

start_wine() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "== creating the Wine prefix (once)"
    "$WINE64" wineboot -i >/dev/null 2>&1 || true
  fi
  "$WINESERVER" -p 2>/dev/null || true  # keep the server up between test processes
  "$WINE64" wineboot >/dev/null 2>&1 || true
  # Without a window manager, a managed window makes Wine wait seconds on every hide.
  "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
}

start_printer() {
  mkdir -p "$PDF_OUT"
  chmod 1777 "$PDF_OUT" 2>/dev/null || true
  # cups-pdf writes each job as a PDF into this folder.
  if [[ -f /etc/cups/cups-pdf.conf ]]; then
    sed -i -E "s|^#?Out .*|Out $PDF_OUT|; s|^#?AnonDirName .*|AnonDirName $PDF_OUT|" \
      /etc/cups/cups-pdf.conf
  fi
  if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    /usr/sbin/cupsd
    STARTED_CUPSD=1
    for _ in $(seq 50); do
      lpstat -r 2>/dev/null | grep -q "is running" && break
      sleep 0.1
    done
  fi
  if ! lpstat -p PDF >/dev/null 2>&1; then
    lpadmin -p PDF -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null ||
      lpadmin -p PDF -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd
  fi
  lpadmin -d PDF
  cupsenable PDF 2>/dev/null || true
  cupsaccept PDF 2>/dev/null || true
}

start_services() {
  start_display
  start_printer
  start_wine
}

stop_services() {
  "$WINESERVER" -k 2>/dev/null || true
  if [[ -n "$STARTED_CUPSD" ]]; then
    pkill -x cupsd 2>/dev/null || true
  fi
  if [[ -n "$STARTED_XVFB" ]]; then
    kill "$STARTED_XVFB" 2>/dev/null || true
  fi
}
