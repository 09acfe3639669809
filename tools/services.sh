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
  # One persistent server for all test processes. The server that wineboot (or anything
  # before this run) started would end seconds after its last process, and as long as it
  # runs, no persistent one can start: every test process would then start a server and the
  # prefix's system processes anew, and wait for them to end.
  "$WINESERVER" -k 2>/dev/null || true
  if ! "$WINESERVER" -p; then
    echo "the Wine server of $WINEPREFIX did not start" >&2
    return 1
  fi
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

# How long a Wine process of the tests takes to start and end, for the summary of a test run;
# when it is slow, the Wine trace around the longest pause of a second run shows where the
# time goes.  probe_wine EXE (a GoogleTest program; it is run without any test)
probe_wine() {
  local exe=$1 start took
  start=$EPOCHREALTIME
  "$WINE64" "$exe" --gtest_filter=-* >/dev/null 2>&1
  took=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')
  echo "== a Wine test process without tests takes $took s to start and end"
  if awk -v t="$took" 'BEGIN { exit !(t > 5) }'; then
    echo "== that is slow; the longest pause in its Wine trace:"
    WINEDEBUG=+timestamp,+loaddll,+process,+winspool,+server "$WINE64" "$exe" --gtest_filter=-* \
      2>&1 >/dev/null | awk -F: '
        /^[0-9]+\.[0-9]+:/ { t = $1 + 0; if (n && t - last > gap) { gap = t - last; at = n }
                             last = t }
        { lines[++n] = substr($0, 1, 200) }
        END { for (i = at - 8; i <= at + 2; ++i) if (i > 0 && i <= n) print "   " lines[i]
              printf "   (%.1f s before the line %d of %d)\n", gap, at, n }'
  fi
  if lpstat -r 2>/dev/null | grep -q "is running"; then
    echo "== print server: running, default printer $(lpstat -d 2>/dev/null | sed 's/.*: //')"
  else
    echo "== print server: not running"
  fi
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
