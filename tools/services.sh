# Services that the Wine tests and the demo need: an X display (Xvfb), a Wine prefix with
# its server, and a print server with a PDF printer as default. Sourced by ./run.
#
# Several ./run calls may use one Wine prefix at the same time (two `./run shell` commands side
# by side, a test that starts ./run itself). Each call is a user of the prefix's services: it
# leaves a file named by its process in $SERVICES_USERS, under a lock on that folder. The first
# user starts what is missing and notes it there; the last user stops it. A user that ended
# without saying so (killed) is recognised by its process being gone.
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
# Wine names files in the Unix locale's character set: without a UTF-8 locale (a bare
# environment, as on a build server) a file name outside ASCII cannot be made at all.
if [[ "$(locale charmap 2>/dev/null)" != "UTF-8" ]]; then
  export LC_ALL=C.UTF-8
fi
export WINEPREFIX="${WINEPREFIX:-$BUILD/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers, and no debugger that would wait on a crash until the timeout.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=}"
export WINEARCH=win64
PDF_OUT="${PDF_OUT:-$BUILD/pdf}"
export PDF_OUT
SERVICES_USERS="$WINEPREFIX.users"
SERVICES_LOCK=""

# The lock on the users' folder; servers started while it is held must not inherit it.
services_lock() {
  mkdir -p "$SERVICES_USERS"
  exec {SERVICES_LOCK}>"$SERVICES_USERS/.lock"
  if ! flock -x -w 900 "$SERVICES_LOCK"; then
    echo "the services of $WINEPREFIX stay locked (by $SERVICES_USERS/.lock)" >&2
    return 1
  fi
}

services_unlock() {
  flock -u "$SERVICES_LOCK"
  exec {SERVICES_LOCK}>&-
}

# When a process started (from /proc/PID/stat), so that a new process of a reused number is
# not taken for a user; empty when there is no such process.
process_start() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
  stat=${stat##*) }
  # shellcheck disable=SC2086
  set -- $stat
  echo "${20}"
}

# The users that still run, after the files of ended ones are removed.
services_users() {
  local file pid
  for file in "$SERVICES_USERS"/user.*; do
    [[ -e "$file" ]] || continue
    pid=${file##*.}
    if [[ "$(process_start "$pid")" == "$(cat "$file")" ]]; then
      echo "$pid"
    else
      rm -f "$file"
    fi
  done
}

# Starts a server detached from this call: in a session of its own (Ctrl+C in one call must
# not end what others use), without the lock and without the call's output streams.
start_detached() {  # pid-file command...
  local pid_file=$1
  shift
  setsid "$@" </dev/null >/dev/null 2>&1 {SERVICES_LOCK}>&- &
  echo $! >"$pid_file"
}

# A display of the user's own when it answers; else the Xvfb of the prefix's users, started
# by the first call that needs one. ./run's Xvfb is named in TRAZEL_XVFB_DISPLAY.
start_display() {
  if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
    return
  fi
  local shared="$SERVICES_USERS/xvfb.display"
  if [[ -s "$shared" ]] && DISPLAY="$(cat "$shared")" xdpyinfo >/dev/null 2>&1; then
    DISPLAY="$(cat "$shared")"
  else
    local fd_file="$SERVICES_USERS/xvfb.fd"
    rm -f "$fd_file" "$shared"
    start_detached "$SERVICES_USERS/xvfb.pid" \
      sh -c 'exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$1"' Xvfb "$fd_file"
    for _ in $(seq 100); do
      [[ -s "$fd_file" ]] && break
      sleep 0.1
    done
    DISPLAY=":$(head -n1 "$fd_file")"
    echo "$DISPLAY" >"$shared"
  fi
  export DISPLAY
  export TRAZEL_XVFB_DISPLAY="$DISPLAY"
}

start_wine() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "== creating the Wine prefix $WINEPREFIX (once)" >&2
    "$WINE64" wineboot -i </dev/null >/dev/null 2>&1 {SERVICES_LOCK}>&- || true
  fi
  # One persistent server for all test processes. The server that wineboot (or anything
  # before this run) started would end seconds after its last process, and as long as it
  # runs, no persistent one can start: every test process would then start a server and the
  # prefix's system processes anew, and wait for them to end. No user runs yet, so nothing
  # of it is in use.
  "$WINESERVER" -k 2>/dev/null || true
  if ! "$WINESERVER" -p </dev/null >/dev/null 2>"$SERVICES_USERS/wineserver.log" {SERVICES_LOCK}>&-
  then
    echo "the Wine server of $WINEPREFIX did not start:" >&2
    cat "$SERVICES_USERS/wineserver.log" >&2
    return 1
  fi
  "$WINE64" wineboot </dev/null >/dev/null 2>&1 {SERVICES_LOCK}>&- || true
  # Without a window manager, a managed window makes Wine wait seconds on every hide.
  "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    </dev/null >/dev/null 2>&1 {SERVICES_LOCK}>&- || true
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
    start_detached "$SERVICES_USERS/cupsd.pid" /usr/sbin/cupsd -f
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

# Makes this call a user of the prefix's services; the first user starts them.
start_services() {
  services_lock || return 1
  if [[ -z "$(services_users)" ]]; then
    rm -f "$SERVICES_USERS"/{xvfb,cupsd}.pid "$SERVICES_USERS"/xvfb.{display,fd}
    if ! { start_display && start_printer && start_wine; }; then
      stop_started
      services_unlock
      return 1
    fi
  else
    start_display
  fi
  process_start $$ >"$SERVICES_USERS/user.$$"
  services_unlock
}

# Stops what the first user started: the Wine server, and the Xvfb and print server if the
# services started them.
stop_started() {
  "$WINESERVER" -k 2>/dev/null || true
  local pid_file
  for pid_file in "$SERVICES_USERS"/{xvfb,cupsd}.pid; do
    if [[ -s "$pid_file" ]]; then
      kill "$(cat "$pid_file")" 2>/dev/null || true
    fi
    rm -f "$pid_file"
  done
  rm -f "$SERVICES_USERS"/xvfb.{display,fd}
}

# Ends this call's use of the services; the last user stops them.
stop_services() {
  services_lock || return 0
  rm -f "$SERVICES_USERS/user.$$"
  if [[ -z "$(services_users)" ]]; then
    stop_started
  fi
  services_unlock
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
