#!/usr/bin/env bash
# The benchmarks of the block under wine64 (x86_64 build), on the display and Wine prefix that
# ./run bench started:
#   ratios_bench    four figures, each a ratio of two measurements taken in the same run
#                   (bench/ratios_bench.cpp); --quick: a tenth of the points, for a try-out
#   simulate_bench  the time of a step and of a full repaint (bench/simulate_bench.cpp)
#
#   tools/bench.sh [--quick]
# The figures depend on the machine: the first lines name it.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
WINE64="${WINE64:-/usr/lib/wine/wine64}"
BUILD="$ROOT/build/win64"

quick=()
for arg in "$@"; do
  case "$arg" in
    --quick) quick=(--quick) ;;
    *) sed -n '2,9p' "$0" >&2; exit 2 ;;
  esac
done

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)
echo "== machine: $(nproc) cores, ${cpu:-unknown CPU}, $(free -g | awk '/^Mem:/ {print $2}') GiB," \
  "$(uname -sr), $("$WINE64" --version 2>/dev/null || echo wine)"
echo "== load when starting: $(cut -d' ' -f1-3 /proc/loadavg)"

echo "== ratios_bench (Trazel64.dll through its entry points, $(date -u +%Y-%m-%dT%H:%MZ))"
"$WINE64" "$BUILD/ratios_bench.exe" "${quick[@]}"

if [[ -f "$BUILD/simulate_bench.exe" && ${#quick[@]} -eq 0 ]]; then
  echo "== simulate_bench"
  "$WINE64" "$BUILD/simulate_bench.exe"
fi
