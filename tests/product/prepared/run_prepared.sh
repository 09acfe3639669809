#!/usr/bin/env bash
# Runs the tests of prepared_tests.exe that match FILTER in the Wine prefix of the test run.
# With --registry, the product settings are first replaced by the NAME=VALUE pairs that follow
# (string values, written by Wine's own reg tool before the test program starts) and removed
# again afterwards. Fails unless at least one test ran and all passed.
# Usage: run_prepared.sh EXE FILTER [--registry [NAME=VALUE ...]]
set -u
wine=/usr/lib/wine/wine64
exe=$1
filter=$2
shift 2
brenfold='HKCU\Software\Brenfold'
section='HKCU\Software\Brenfold\Orvado 98\General Settings'

registry=0
if [[ "${1:-}" == "--registry" ]]; then
  registry=1
  shift
  "$wine" reg delete "$brenfold" /f >/dev/null 2>&1
  pids=()
  for pair in "$@"; do  # one reg process per value, all at once
    "$wine" reg add "$section" /v "${pair%%=*}" /t REG_SZ /d "${pair#*=}" /f >/dev/null &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do
    wait "$pid" || exit 1
  done
fi

out=$("$wine" "$exe" --gtest_filter="$filter" 2>&1)
rc=$?
echo "$out"
grep -q '^\[  PASSED  \] [1-9]' <<<"$out" || rc=1

if ((registry)); then
  "$wine" reg delete "$brenfold" /f >/dev/null 2>&1
fi
exit $rc
