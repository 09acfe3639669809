#!/usr/bin/env bash
# Prepares the emulated 32-bit Windows environment from Debian's packages:
#   - Debian 12's 32-bit Wine loader (wine32:i386, after adding the i386 architecture);
#   - qemu-i386 from Debian 13's qemu-user, unpacked into build/emu32/qemu/ (Debian 12's
#     qemu 7.2 searches free guest memory page by page, which makes every Wine process
#     take about a minute of CPU to start; 10.0 starts one in a second or two);
#   - two Wine prefixes in build/emu32/: "prefix" (32-bit) for the product library and
#     "prefix64" for the reference pictures of the x86_64 build.
# Each step is skipped when its result is there already, so a second call costs seconds; a
# prefix is made anew only when it is missing or its creation did not finish.
#
#   tools/emu32/setup.sh          prepare everything
#   tools/emu32/setup.sh --check  tell what is missing (exit 1 if anything is)
set -euo pipefail
# shellcheck source=tools/emu32/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

packages_missing() {
  local p
  for p in "${EMU_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || echo "$p"
  done
}

install_packages() {
  local missing
  missing=$(packages_missing | xargs)
  [[ -z "$missing" ]] && return 0
  emu_log "installing $missing"
  local start=$SECONDS
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing >/dev/null
  emu_log "packages took $((SECONDS - start)) s"
}

# The archive that this machine's own Debian sources use.
debian_mirror() {
  local uri
  uri=$(grep -h -m1 -E '^URIs:.*/debian/?$' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '{print $2}')
  [[ -z "$uri" ]] && uri=$(grep -h -m1 -E '^deb .*/debian/? ' /etc/apt/sources.list 2>/dev/null | awk '{print $2}')
  [[ -n "$uri" ]] || { echo "emu32: no Debian archive in the apt sources" >&2; return 1; }
  echo "${uri%/}"
}

# Fetches Debian 13's qemu-user with a private apt state (the machine's package lists and
# sources stay as they are) and keeps its static qemu-i386.
fetch_qemu() {
  [[ -x "$EMU_QEMU" ]] && return 0
  local start=$SECONDS apt_dir="$EMU_BUILD/apt"
  emu_log "fetching qemu-i386 from Debian 13's qemu-user"
  rm -rf "$apt_dir"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/deb" \
    "$(dirname "$EMU_QEMU")"
  echo "deb [arch=amd64] $(debian_mirror) trixie main" >"$apt_dir/sources.list"
  local opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=-"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
    -o "APT::Sandbox::User=root")
  apt-get "${opts[@]}" update -qq
  (cd "$apt_dir/deb" && apt-get "${opts[@]}" download -qq qemu-user)
  dpkg-deb --fsys-tarfile "$apt_dir"/deb/qemu-user_*.deb |
    tar -x -O ./usr/bin/qemu-i386 >"$EMU_QEMU.tmp"
  chmod 755 "$EMU_QEMU.tmp"
  mv "$EMU_QEMU.tmp" "$EMU_QEMU"
  rm -rf "$apt_dir"
  "$EMU_QEMU" --version | head -n1
  emu_log "qemu took $((SECONDS - start)) s"
}

# create_prefix PREFIX ARCH LOADER: wineboot -i on a fresh prefix, then waits until every
# process that it started has ended.
create_prefix() {
  local prefix="$1" arch="$2" loader="$3"
  [[ -f "$prefix/$EMU_READY" ]] && return 0
  emu_stop_wine "$prefix"
  rm -rf "$prefix"
  mkdir -p "$EMU_BUILD"
  local log="$prefix.log" start=$SECONDS
  emu_log "creating the $arch prefix $prefix (log: $log)"
  emu_with "$prefix" "$arch" timeout 1200 "$loader" wineboot -i >"$log" 2>&1 || true
  WINEPREFIX="$prefix" timeout 1200 "$EMU_WINESERVER" -w || emu_stop_wine "$prefix"
  if ! grep -q 'CurrentVersion' "$prefix/system.reg" 2>/dev/null; then
    echo "emu32: creating $prefix failed; see $log" >&2
    return 1
  fi
  touch "$prefix/$EMU_READY"
  emu_log "$arch prefix took $((SECONDS - start)) s"
}

check_only() {
  local ok=0 missing
  missing=$(packages_missing | xargs)
  [[ -z "$missing" ]] || { echo "packages missing: $missing"; ok=1; }
  [[ -x "$EMU_QEMU" ]] || { echo "no $EMU_QEMU"; ok=1; }
  [[ -f "$EMU_PREFIX32/$EMU_READY" ]] || { echo "no 32-bit prefix"; ok=1; }
  [[ -f "$EMU_PREFIX64/$EMU_READY" ]] || { echo "no 64-bit prefix"; ok=1; }
  return $ok
}

cleanup() {
  emu_binfmt_off
  emu_stop_display
}

main() {
  if [[ "${1:-}" == "--check" ]]; then
    check_only
    return
  fi
  local start=$SECONDS
  install_packages
  fetch_qemu
  emu_start_display
  trap cleanup EXIT
  # The 64-bit prefix first, while no emulator is registered: it then skips its 32-bit half.
  create_prefix "$EMU_PREFIX64" win64 "$EMU_WINE64"
  emu_binfmt_on
  create_prefix "$EMU_PREFIX32" win32 "$EMU_WINE32"
  emu_log "setup done in $((SECONDS - start)) s"
}

main "$@"
