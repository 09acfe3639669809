#!/usr/bin/env bash
# The print command while the print server has no printer at all: the test printer is removed,
# the Wine test of the suite NoPrinter runs, and the printer is put back as ./run made it,
# whatever happened.
#   noprinter_test.sh <folder of win_tests.exe>
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${TRAZEL_BUILD_ROOT:-$ROOT/build}"
source "$ROOT/tools/services.sh"

if ! lpstat -p PDF >/dev/null 2>&1; then
  echo "the test printer PDF is missing: run the tests through ./run" >&2
  exit 1
fi
trap 'start_printer >/dev/null 2>&1' EXIT
lpadmin -x PDF
cd "$1" && TRAZEL_EXPECT_NO_PRINTER=1 "$WINE64" ./win_tests.exe --gtest_filter='NoPrinter.*'
