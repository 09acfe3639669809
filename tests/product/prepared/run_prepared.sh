#!/usr/bin/env bash
# Runs the tests of prepared_tests.exe that match FILTER in the Wine prefix of the test run.
# With --registry, the product settings are first replaced by the NAME=VALUE pairs that follow
# (string values, written by Wine's own reg tool before the test program starts) and removed
# again afterwards. With --reset-locale, the prefix's user locale settings are written anew by the
# next Wine process. Fails unless at least one test ran and all passed.
# Usage: run_prepared.sh EXE FILTER [--registry [NAME=VALUE ...] | --reset-locale]
set -u
wine=/usr/lib/wine/wine64
exe=$1
filter=$2
shift 2
brenfold='HKCU\Software\Brenfold'
section='HKCU\Software\Brenfold\Orvado 98\General Settings'

registry=0
reset_locale=0
if [[ "${1:-}" == "--reset-locale" ]]; then
  reset_locale=1
elif [[ "${1:-}" == "--registry" ]]; then
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
if ((reset_locale)); then
  "$wine" reg delete 'HKCU\Control Panel\International' /v Locale /f >/dev/null 2>&1
fi
exit $rc
