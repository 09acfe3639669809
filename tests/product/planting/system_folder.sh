#!/usr/bin/env bash
# The host's string library in the system folder: the block takes it when neither the host
# program's folder nor the block's holds one, and the program's folder still comes first. The
# system folder belongs to the Wine prefix, so this runs in a prefix of its own: a copy of the
# test run's prefix (its files hard-linked, the registry copied) with a server of its own, which
# leaves the shared prefix as it was for the tests running beside it.
# Usage: system_folder.sh PLANTING_DIR BLOCK_LIBRARY WORK_DIR
set -u
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64
planting=$1
block=$2
work=$3
shared=${WINEPREFIX:?no Wine prefix}
prefix=$work/prefix

rm -rf "$work"
mkdir -p "$work/program" "$work/current"
cp -al "$shared" "$prefix" || exit 1
for f in "$shared"/*.reg; do cp --remove-destination "$f" "$prefix/"; done
# A file of its own, never one linked to the shared prefix.
cp --remove-destination "$planting/system/OVSTRING5.DLL" "$prefix/drive_c/windows/system32/"
cp "$planting/planting_host.exe" "$block" "$work/program/"
# The marker as OVSTRING5.DLL in the current folder: its code must never run.
cp "$planting/marker/OVSTRING5.DLL" "$work/current/"
export WINEPREFIX=$prefix
trap '"$server" -k 2>/dev/null; rm -rf "$work"' EXIT

windows_path() {  # the Z: drive of every Wine prefix is the root of this file system
  echo "Z:$(tr / '\\' <<<"$1")"
}

failed=0
check() {  # check NAME EXPECTED_CAPTION
  local out
  out=$(cd "$work/current" && "$wine" "$work/program/planting_host.exe" \
    "$(windows_path "$work/program/$(basename "$block")")" 2>&1 | tr -d '\r')
  if grep -qx "caption: $2" <<<"$out" && [[ ! -e "$work/current/planted-code-ran.txt" ]]; then
    echo "PASS $1"
  else
    echo "FAIL $1: expected the caption $2 and no planted code run; got:"
    echo "$out"
    failed=1
  fi
}

check "the system folder when the program's and the block's hold none" Systemordner
cp "$planting/program/OVSTRING5.DLL" "$work/program/"
check "the program's folder before the system folder" Programmordner
exit $failed
