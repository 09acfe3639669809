#!/usr/bin/env bash
# Longer fuzzing runs on this machine: ./tools/fuzz.sh [SECONDS] [TARGET...]
#   SECONDS  fuzzing time of each target (default 600)
#   TARGET   systemfile numbers format options graph picture (default: all of tests/fuzz)
# Builds the sanitizer tree (build/sanitize, clang, ASan + UBSan + libFuzzer) and runs each
# target in turn over its corpus in the build tree and its seed corpus in tests/fuzz/corpus.
# Found inputs go to build/sanitize/fuzz/<target>/artifacts; the script ends with status 1
# when there are any. Each crash becomes a test (tests/<folder>/*FuzzRegression_test.cpp) and,
# minimised with `<target>_fuzz -minimize_crash=1 -runs=10000 <file>`, a seed.
# FUZZ_JOBS=2 runs two fuzzing processes per target; FUZZ_ARGS adds libFuzzer options.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${FUZZ_BUILD:-$ROOT/build/sanitize}"  # FUZZ_BUILD: another sanitizer tree
SECONDS_EACH="${1:-600}"
shift || true
TARGETS=("$@")
if ((${#TARGETS[@]} == 0)); then
  for src in "$ROOT"/tests/fuzz/*_fuzz.cpp; do
    name="$(basename "$src" _fuzz.cpp)"
    TARGETS+=("$name")
  done
fi

if [[ ! -f "$BUILD/CMakeCache.txt" ]]; then
  cmake -S "$ROOT" -B "$BUILD" -DTRAZEL_BUILD_ROOT="$ROOT/build" -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DTRAZEL_SANITIZE=ON -DTRAZEL_FUZZ=ON >/dev/null
fi
cmake --build "$BUILD" -j "${JOBS:-2}" --target "${TARGETS[@]/%/_fuzz}" >"$BUILD/fuzz-build.log" 2>&1 ||
  { tail -40 "$BUILD/fuzz-build.log" >&2; exit 1; }

found=0
for name in "${TARGETS[@]}"; do
  work="$BUILD/fuzz/$name"
  mkdir -p "$work/corpus" "$work/artifacts"
  args=(-max_total_time="$SECONDS_EACH" -timeout=5 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$work/artifacts/")
  [[ -f "$ROOT/tests/fuzz/$name.dict" ]] && args+=(-dict="$ROOT/tests/fuzz/$name.dict")
  if [[ -n "${FUZZ_JOBS:-}" ]]; then
    args+=(-jobs="$FUZZ_JOBS" -workers="$FUZZ_JOBS")
  fi
  before=$(find "$work/artifacts" -type f | wc -l)
  echo "== $name: ${SECONDS_EACH} s"
  # shellcheck disable=SC2086
  "$BUILD/${name}_fuzz" "${args[@]}" ${FUZZ_ARGS:-} "$work/corpus" "$ROOT/tests/fuzz/corpus/$name" \
    >"$work/last-run.log" 2>&1 || true
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' \
    "$work/last-run.log" | sed 's/^/   /' || true
  after=$(find "$work/artifacts" -type f | wc -l)
  if ((after > before)); then
    found=1
    echo "   FOUND $((after - before)) input(s) in $work/artifacts (log: $work/last-run.log)"
  fi
done
exit $found
