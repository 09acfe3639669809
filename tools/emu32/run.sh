#!/usr/bin/env bash
# Smoke test of the product library dist/Trazel32.dll, run for real under emulation.
#
# Prepares the environment (setup.sh, quick when it is there), builds the smoke program
# for i686 and x86_64 (tests/emu32/build.sh), runs the x86_64 one under wine64 against
# dist/Trazel64.dll for the reference pictures, then the i686 one under the 32-bit Wine
# loader against dist/Trazel32.dll, which compares its pictures with them. Each program
# loads the library by name from its own folder, as the host does, in one process, with a
# marker library planted as OVSTRING5.DLL in its current folder and first PATH folder.
#
#   tools/emu32/run.sh
#
# Environment: EMU32_MAX_DIFF (pixels that may differ from the reference, default 0),
# EMU32_DIST (folder of the libraries, default dist/).
# Prints every check; the last line is "emu32: N passed, M failed"; exits 1 on a failure.
set -euo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=tools/emu32/common.sh
source "$HERE/common.sh"

DIST="${EMU32_DIST:-$EMU_ROOT/dist}"
MAX_DIFF="${EMU32_MAX_DIFF:-0}"

windows_path() {  # the Z: drive of every Wine prefix is the root of this file system
  local p="${1//\//\\}"
  echo "Z:$p"
}

cleanup() {
  emu_stop_wine "$EMU_PREFIX32"
  emu_stop_wine "$EMU_PREFIX64"
  emu_binfmt_off
  emu_stop_display
}

# stage NAME EXE DLL MARKER: a folder with the program and the library beside it, and the
# folder planted-NAME with the marker library as OVSTRING5.DLL.
stage() {
  local dir="$EMU_BUILD/$1"
  rm -rf "$dir" "$EMU_BUILD/out-$1" "$EMU_BUILD/planted-$1"
  mkdir -p "$dir" "$EMU_BUILD/out-$1" "$EMU_BUILD/planted-$1"
  cp "$2" "$3" "$dir/"
  cp "$4" "$EMU_BUILD/planted-$1/OVSTRING5.DLL"
}

# run_smoke NAME LOADER PREFIX EXE ARGS...: runs one smoke program, its lines prefixed
# with NAME; leaves its exit code in SMOKE_RC.
SMOKE_RC=0
run_smoke() {
  local name="$1" loader="$2" prefix="$3" exe="$4" start=$SECONDS
  shift 4
  set +e
  WINEPREFIX="$prefix" timeout 900 "$loader" "$exe" "$@" 2>"$EMU_BUILD/out-$name/stderr.log" |
    sed -u "s/^/$name: /"
  SMOKE_RC=${PIPESTATUS[0]}
  set -e
  emu_log "$name run took $((SECONDS - start)) s (exit $SMOKE_RC)"
  if ((SMOKE_RC == 124)); then
    echo "$name: FAIL the smoke program did not finish within 900 s"
  fi
}

closing_counts() {  # closing_counts NAME: "PASSED FAILED" from NAME's closing line, or nothing
  awk -v tag="$1: " 'index($0, tag) == 1 && $0 ~ / passed, [0-9]+ failed/ {
    sub(tag, ""); p = $1; f = $3 } END { if (p != "") print p, f }' "$EMU_BUILD/out-$1/lines.txt"
}

main() {
  local start=$SECONDS
  for f in "$DIST/Trazel32.dll" "$DIST/Trazel64.dll"; do
    [[ -f "$f" ]] || { echo "emu32: $f is missing (build it first: ./run build)" >&2; exit 1; }
  done
  "$HERE/setup.sh"
  "$EMU_ROOT/tests/emu32/build.sh" "$EMU_BUILD/bin"
  stage x86_64 "$EMU_BUILD/bin/smoke64.exe" "$DIST/Trazel64.dll" "$EMU_BUILD/bin/marker64.dll"
  stage i686 "$EMU_BUILD/bin/smoke32.exe" "$DIST/Trazel32.dll" "$EMU_BUILD/bin/marker32.dll"
  trap cleanup EXIT
  emu_start_display

  run_smoke x86_64 "$EMU_WINE64" "$EMU_PREFIX64" "$EMU_BUILD/x86_64/smoke64.exe" \
    --out "$(windows_path "$EMU_BUILD/out-x86_64")" \
    --planted "$(windows_path "$EMU_BUILD/planted-x86_64")" | tee "$EMU_BUILD/out-x86_64/lines.txt"
  emu_stop_wine "$EMU_PREFIX64"

  emu_binfmt_on
  run_smoke i686 "$EMU_WINE32" "$EMU_PREFIX32" "$EMU_BUILD/i686/smoke32.exe" \
    --out "$(windows_path "$EMU_BUILD/out-i686")" \
    --reference "$(windows_path "$EMU_BUILD/out-x86_64")" --max-diff "$MAX_DIFF" \
    --planted "$(windows_path "$EMU_BUILD/planted-i686")" |
    tee "$EMU_BUILD/out-i686/lines.txt"

  local passed=0 failed=0 counts
  for name in x86_64 i686; do
    counts=$(closing_counts "$name")
    if [[ -z "$counts" ]]; then
      echo "$name: FAIL the smoke program ended without its closing line"
      failed=$((failed + 1))
    else
      passed=$((passed + ${counts% *}))
      failed=$((failed + ${counts#* }))
    fi
  done
  if command -v convert >/dev/null && convert -version 2>/dev/null | grep -q ImageMagick; then
    for bmp in "$EMU_BUILD"/out-*/*.bmp; do convert "$bmp" "${bmp%.bmp}.png" || true; done
  fi
  emu_log "pictures in $EMU_BUILD/out-i686 and $EMU_BUILD/out-x86_64"
  emu_log "took $((SECONDS - start)) s"
  echo "emu32: $passed passed, $failed failed"
  ((failed == 0))
}

main "$@"
