#!/usr/bin/env bash
# The long run of the block under wine64, through its entry points as the host calls them:
#   tools/longrun.sh [STEPS] [TRACES] [WINDOWS] [REPAINT_EVERY]
# defaults: 10,000,000 SimulateDLL steps in 1,000 traces with a full repaint after every 50th
# trace, then 200 plot windows placed, used and disposed of. The test (LongRun in
# tests/block/Robustness_wintest.cpp; the test run takes a short version of it) checks that no
# step fails, no message box opens, the process's GDI objects and windows stay as they were, and
# that the trace store takes no more memory a point than the benchmark states. It prints what
# it measured. Builds first, and starts the display and the Wine prefix as ./run does.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
"$ROOT/run" build
source "$ROOT/tools/services.sh"
trap stop_services EXIT
start_display
start_wine

export TRAZEL_LONGRUN_STEPS="${1:-10000000}"
export TRAZEL_LONGRUN_TRACES="${2:-1000}"
export TRAZEL_LONGRUN_WINDOWS="${3:-200}"
export TRAZEL_LONGRUN_REPAINT_EVERY="${4:-50}"
echo "== long run: $TRAZEL_LONGRUN_STEPS steps in $TRAZEL_LONGRUN_TRACES traces, repaint every" \
  "$TRAZEL_LONGRUN_REPAINT_EVERY traces, $TRAZEL_LONGRUN_WINDOWS windows ($(date -u +%FT%TZ))"
cd "$BUILD/win64"
started=$SECONDS
status=0
"$WINE64" ./win_tests.exe --gtest_filter='LongRun.*' || status=$?
echo "== long run took $((SECONDS - started)) s, status $status"
exit $status
