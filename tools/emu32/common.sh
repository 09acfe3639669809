# Shared settings of the emulated 32-bit environment; sourced by setup.sh and run.sh.
# This machine's kernel runs no 32-bit x86 code, so the 32-bit Wine loader runs under
# qemu-i386 (registered in binfmt_misc); the Wine server stays native.
EMU_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
EMU_BUILD="${EMU32_BUILD:-$EMU_ROOT/build/emu32}"
EMU_PREFIX32="$EMU_BUILD/prefix"
EMU_PREFIX64="$EMU_BUILD/prefix64"
EMU_READY=".trazel-emu32-ready"  # written into a prefix once its creation has finished
EMU_WINE32=/usr/lib/wine/wine
EMU_WINE64=/usr/lib/wine/wine64
EMU_WINESERVER=/usr/lib/wine/wineserver64
QEMU_I386=/usr/bin/qemu-i386-static

EMU_PACKAGES=(wine32:i386 qemu-user-static xvfb x11-utils wine64
  libxrender1:i386 libxext6:i386 libxrandr2:i386 libxinerama1:i386 libxcursor1:i386
  libxi6:i386 libxfixes3:i386 libxcomposite1:i386 libxxf86vm1:i386)

# qemu's user mode needs the top of the 32-bit address space kept for the guest,
# or the Wine loader fails to map the shared user data.
export QEMU_RESERVED_VA=0xf7000000
export WINEDEBUG="${EMU32_WINEDEBUG:--all}"
# No Mono or Gecko installers; no menu entries; a crash ends the process instead of
# starting the debugger (which would take minutes under emulation).
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d"
unset WINELOADER WINESERVER WINEARCH WINEPREFIX

emu_log() { echo "== emu32: $*"; }

# Runs a command with a prefix: emu_with PREFIX ARCH command...
emu_with() {
  local prefix="$1" arch="$2"
  shift 2
  WINEPREFIX="$prefix" WINEARCH="$arch" "$@"
}

# Starts Xvfb on a free display unless DISPLAY works already; sets EMU_XVFB_PID.
EMU_XVFB_PID=""
emu_start_display() {
  if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
    return
  fi
  local fd_file
  fd_file=$(mktemp)
  Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$fd_file" 2>/dev/null &
  EMU_XVFB_PID=$!
  for _ in $(seq 100); do
    [[ -s "$fd_file" ]] && break
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$fd_file")"
  rm -f "$fd_file"
}

emu_stop_display() {
  if [[ -n "$EMU_XVFB_PID" ]]; then
    kill "$EMU_XVFB_PID" 2>/dev/null || true
    wait "$EMU_XVFB_PID" 2>/dev/null || true
    EMU_XVFB_PID=""
  fi
}

# Ends the Wine server of a prefix and with it every Wine process of that prefix.
emu_stop_wine() {
  local prefix="$1"
  [[ -d "$prefix" ]] && WINEPREFIX="$prefix" "$EMU_WINESERVER" -k 2>/dev/null || true
}
