# shellcheck shell=bash disable=SC2034
# Shared settings of the emulated 32-bit environment; sourced by setup.sh and run.sh.
#
# This machine's kernel runs no 32-bit x86 code. The 32-bit Wine loader (Debian's
# wine32:i386) therefore runs under qemu-i386 in user mode, which binfmt_misc starts for
# every 32-bit x86 program while the entry "trazel-i386" is registered; the Wine server
# stays native. The entry is registered only while setup.sh or run.sh runs: as long as it
# exists, every 64-bit Wine prefix created on the machine also starts its 32-bit half under
# emulation, which makes creating one take many minutes.
EMU_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
EMU_BUILD="${EMU32_BUILD:-$EMU_ROOT/build/emu32}"
EMU_PREFIX32="$EMU_BUILD/prefix"
EMU_PREFIX64="$EMU_BUILD/prefix64"
EMU_READY=".trazel-emu32-ready"  # written into a prefix once its creation has finished
EMU_QEMU="$EMU_BUILD/qemu/qemu-i386"
EMU_WINE32=/usr/lib/wine/wine
EMU_WINE64=/usr/lib/wine/wine64
EMU_WINESERVER=/usr/lib/wine/wineserver64
EMU_BINFMT_DIR=/proc/sys/fs/binfmt_misc
EMU_BINFMT_NAME=trazel-i386

# Debian 12's wine32 with the X extensions that the 64-bit Wine on this machine has, so
# that both draw the same pixels.
EMU_PACKAGES=(wine32:i386 wine64 xvfb x11-utils
  libxrender1:i386 libxext6:i386 libxrandr2:i386 libxinerama1:i386 libxcursor1:i386
  libxi6:i386 libxfixes3:i386 libxcomposite1:i386 libxxf86vm1:i386)

# The top of the 32-bit address space is kept for the guest so that the Wine loader can
# map the shared user data there.
export QEMU_RESERVED_VA=0xf7000000
export WINEDEBUG="${EMU32_WINEDEBUG:--all}"
# No Mono or Gecko installers, no menu entries, and a crash ends the process instead of
# starting the debugger (which takes minutes under emulation).
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d"
unset WINELOADER WINESERVER WINEARCH WINEPREFIX

emu_log() { echo "== emu32: $*"; }

# Runs a command with a prefix: emu_with PREFIX ARCH command...
emu_with() {
  local prefix="$1" arch="$2"
  shift 2
  WINEPREFIX="$prefix" WINEARCH="$arch" "$@"
}

# Registers qemu-i386 for 32-bit x86 programs (ELF32, little-endian, executable or shared
# object, machine 3). The F flag opens the emulator at once, so it is found from any
# mount namespace.
emu_binfmt_on() {
  [[ -f "$EMU_BINFMT_DIR/register" ]] || mount -t binfmt_misc binfmt_misc "$EMU_BINFMT_DIR"
  if [[ ! -f "$EMU_BINFMT_DIR/$EMU_BINFMT_NAME" ]]; then
    printf '%s' ":$EMU_BINFMT_NAME:M::"'\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$EMU_QEMU:F" \
      >"$EMU_BINFMT_DIR/register"
  fi
  "$EMU_WINE32" --version >/dev/null 2>&1 || {
    echo "emu32: 32-bit programs do not run with $EMU_QEMU" >&2
    return 1
  }
}

# Removes the entry again (also one left behind by an interrupted run).
emu_binfmt_off() {
  if [[ -f "$EMU_BINFMT_DIR/$EMU_BINFMT_NAME" ]]; then
    echo -1 >"$EMU_BINFMT_DIR/$EMU_BINFMT_NAME" || true
  fi
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
  DISPLAY=":$(head -n1 "$fd_file")"
  export DISPLAY
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
  if [[ -d "$prefix" ]]; then
    WINEPREFIX="$prefix" "$EMU_WINESERVER" -k 2>/dev/null || true
  fi
}
