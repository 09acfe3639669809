#!/usr/bin/env bash
# Prepares the emulated 32-bit Windows environment from Debian's packages: the 32-bit Wine
# loader, qemu-i386 registered for 32-bit x86 programs, and the Wine prefixes in
# build/emu32/ (a 32-bit one for the product library, a 64-bit one for the reference
# pictures of the x86_64 build). Each step is skipped when its result is there already, so
# a second call costs a few seconds; a prefix is made anew only when it is missing or its
# creation did not finish.
#
#   tools/emu32/setup.sh          everything
#   tools/emu32/setup.sh --check  only tell whether everything is in place (exit 1 if not)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

packages_missing() {
  local p
  for p in "${EMU_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || echo "$p"
  done
}

install_packages() {
  local missing
  missing=$(packages_missing)
  [[ -z "$missing" ]] && return 0
  emu_log "installing $(echo $missing)"
  local start=$SECONDS
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing >/dev/null
  emu_log "packages took $((SECONDS - start)) s"
}

# True when the kernel hands 32-bit x86 programs to an emulator (or runs them itself).
runs_i386() {
  "$EMU_WINE32" --version >/dev/null 2>&1
}

register_binfmt() {
  runs_i386 && return 0
  local dir=/proc/sys/fs/binfmt_misc
  if [[ ! -f "$dir/register" ]]; then
    mount -t binfmt_misc binfmt_misc "$dir"
  fi
  if [[ -f "$dir/qemu-i386" ]]; then
    echo 1 >"$dir/qemu-i386"
  else
    # ELF32, little-endian, executable or shared object, machine 3 (i386). The F flag
    # opens the emulator now, so it is found from any mount namespace.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$QEMU_I386"':F' \
      >"$dir/register"
  fi
  runs_i386 || { echo "emu32: 32-bit programs still do not run after registering $QEMU_I386" >&2; exit 1; }
  emu_log "registered $QEMU_I386 for 32-bit x86 programs"
}

# create_prefix PREFIX ARCH LOADER: wineboot -i on a fresh prefix, waiting until every
# process that it started has ended.
create_prefix() {
  local prefix="$1" arch="$2" loader="$3"
  [[ -f "$prefix/$EMU_READY" ]] && return 0
  emu_stop_wine "$prefix"
  rm -rf "$prefix"
  mkdir -p "$EMU_BUILD"
  local log="$prefix.log" start=$SECONDS
  emu_log "creating the $arch prefix $prefix (log: $log)"
  emu_with "$prefix" "$arch" timeout 1800 "$loader" wineboot -i >"$log" 2>&1 || true
  WINEPREFIX="$prefix" timeout 1800 "$EMU_WINESERVER" -w || emu_stop_wine "$prefix"
  if ! grep -q 'CurrentVersion' "$prefix/system.reg" 2>/dev/null; then
    echo "emu32: creating $prefix failed; see $log" >&2
    exit 1
  fi
  touch "$prefix/$EMU_READY"
  emu_log "$arch prefix took $((SECONDS - start)) s"
}

check_only() {
  local ok=0
  [[ -z "$(packages_missing)" ]] || { echo "packages missing: $(packages_missing | xargs)"; ok=1; }
  runs_i386 || { echo "32-bit programs do not run (binfmt_misc)"; ok=1; }
  [[ -f "$EMU_PREFIX32/$EMU_READY" ]] || { echo "no 32-bit prefix"; ok=1; }
  [[ -f "$EMU_PREFIX64/$EMU_READY" ]] || { echo "no 64-bit prefix"; ok=1; }
  return $ok
}

main() {
  if [[ "${1:-}" == "--check" ]]; then
    check_only
    return
  fi
  local start=$SECONDS
  install_packages
  register_binfmt
  emu_start_display
  trap emu_stop_display EXIT
  create_prefix "$EMU_PREFIX32" win32 "$EMU_WINE32"
  create_prefix "$EMU_PREFIX64" win64 "$EMU_WINE64"
  emu_log "setup done in $((SECONDS - start)) s"
}

main "$@"
