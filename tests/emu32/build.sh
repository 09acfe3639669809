#!/usr/bin/env bash
# Builds the smoke program for i686 (with the stack-measuring thunk) and for x86_64, and the
# marker library that the smoke run plants around itself (its code leaves a file when it runs).
#   tests/emu32/build.sh OUTDIR   ->  OUTDIR/smoke32.exe, OUTDIR/smoke64.exe,
#                                     OUTDIR/marker32.dll, OUTDIR/marker64.dll
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
OUT="${1:?usage: build.sh OUTDIR}"
mkdir -p "$OUT"
HERE="$ROOT/tests/emu32"
SOURCES=("$HERE/smoke32.cpp" "$HERE/EntryCalls.cpp" "$HERE/WindowPicture.cpp"
  "$ROOT/host/HostLibrary.cpp" "$ROOT/host/BoxWatcher_win.cpp" "$ROOT/block/HostBlock.cpp"
  "$ROOT/tests/support/VersionInfo_win.cpp")
MARKER="$ROOT/tests/product/planting/marker.c"
# The version that the library's version resource must carry: the project's, in CMakeLists.txt.
VERSION=$(sed -n 's/^project(Trazel VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
[[ -n "$VERSION" ]] || { echo "build.sh: no project version in CMakeLists.txt" >&2; exit 1; }
FLAGS=(-std=c++17 -O1 -g0 -Wall -Wextra -Wshadow -I"$ROOT" -I"$ROOT/tests" -I"$HERE"
  -DTRAZEL_EXPECTED_VERSION="\"$VERSION\""
  -DWIN32_LEAN_AND_MEAN -DNOMINMAX -DSTRICT -D_WIN32_WINNT=0x0601 -D__USE_MINGW_ANSI_STDIO=1)
LINK=(-static -static-libgcc -static-libstdc++ -mconsole -luser32 -lgdi32 -lkernel32 -lversion)

# The compilers with the posix thread model: the program's box watcher runs on a thread of its own.
build() {  # compiler prefix, output, extra sources...
  local cc="$1" exe="$2"
  shift 2
  # Rebuild only when a source is newer than the program.
  if [[ -f "$exe" ]]; then
    local newer
    newer=$(find "${SOURCES[@]}" "$HERE"/*.h "$HERE"/*.S "$ROOT/host/HostLibrary.h" \
      "$ROOT/host/BoxWatcher_win.h" "$ROOT/block/HostBlock.h" "$ROOT/tests/support/VersionInfo_win.h" \
      "$ROOT/CMakeLists.txt" "$@" -newer "$exe" 2>/dev/null | head -1)
    [[ -z "$newer" ]] && return 0
  fi
  "$cc-g++-posix" "${FLAGS[@]}" -o "$exe.tmp" "${SOURCES[@]}" "$@" "${LINK[@]}"
  mv "$exe.tmp" "$exe"
}

build_marker() {  # compiler prefix, output
  [[ -f "$2" && ! "$MARKER" -nt "$2" ]] && return 0
  "$1-gcc-posix" -O1 -Wall -Wextra -shared -static-libgcc -o "$2.tmp" "$MARKER"
  mv "$2.tmp" "$2"
}

build i686-w64-mingw32 "$OUT/smoke32.exe" "$HERE/stdcall_thunk_i686.S"
build x86_64-w64-mingw32 "$OUT/smoke64.exe"
build_marker i686-w64-mingw32 "$OUT/marker32.dll"
build_marker x86_64-w64-mingw32 "$OUT/marker64.dll"
