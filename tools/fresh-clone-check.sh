#!/usr/bin/env bash
# The fresh-clone check: clones the repository's last commit into an empty temporary folder,
# with nothing beside it, builds the picture reader tests there and runs them from an empty
# folder (their picture files must come from the clone), and checks that no tracked file names
# a path outside the checkout (tools/outside-paths.py). ./run test runs it as product.fresh_clone.
#
#   tools/fresh-clone-check.sh
#
# Uncommitted changes are not part of the clone. Exits 1 on a failure.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${JOBS:-2}"

fail() {
  echo "fresh-clone: FAIL $*" >&2
  exit 1
}

git -C "$ROOT" rev-parse --git-dir >/dev/null 2>&1 || fail "$ROOT is no git checkout"
commit=$(git -C "$ROOT" rev-parse HEAD)
[[ -z "$(git -C "$ROOT" status --porcelain --untracked-files=no)" ]] ||
  echo "fresh-clone: note: uncommitted changes are left out; the clone is of $commit"

TMP=$(mktemp -d "${TMPDIR:-/tmp}/trazel-fresh-clone.XXXXXX")
trap 'rm -rf "$TMP"' EXIT
CLONE="$TMP/trazel"
git clone -q --no-hardlinks "$ROOT" "$CLONE"
git -C "$CLONE" checkout -q --detach "$commit"
[[ "$(ls -A "$TMP")" == trazel ]] || fail "the temporary folder holds more than the clone"

# No setting from outside may point the tests at their data.
while read -r name; do unset "$name"; done < <(env | sed -n 's/^\(TRAZEL_[A-Za-z0-9_]*\)=.*/\1/p')

python3 "$CLONE/tools/outside-paths.py" "$CLONE" || fail "tracked files name paths outside"

started=$SECONDS
cmake -S "$CLONE" -B "$CLONE/build" -DCMAKE_BUILD_TYPE=Debug >"$TMP/configure.log" 2>&1 ||
  { cat "$TMP/configure.log"; fail "configuring the clone"; }
cmake --build "$CLONE/build" -j "$JOBS" --target picture_tests >"$TMP/build.log" 2>&1 ||
  { tail -40 "$TMP/build.log"; fail "building the picture reader tests in the clone"; }
echo "fresh-clone: built the picture reader tests in the clone in $((SECONDS - started)) s"
grep -qF "\"$CLONE/tests/data\"" "$CLONE/build/generated-tests/TestDataDir.h" ||
  fail "the clone's tests look for their data outside the clone"

mkdir "$TMP/empty"
set +e
(cd "$TMP/empty" && "$CLONE/build/picture_tests" --gtest_brief=1) >"$TMP/tests.log" 2>&1
rc=$?
set -e
passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$TMP/tests.log")
if ((rc != 0)) || [[ -z "$passed" || "$passed" == 0 ]]; then
  cat "$TMP/tests.log"
  fail "the picture reader tests in the clone (exit $rc)"
fi
echo "fresh-clone: $passed picture reader tests passed in a clone of $commit"
