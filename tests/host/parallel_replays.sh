#!/usr/bin/env bash
# Two replays side by side, each through its own `./run shell` call on one Wine prefix that no
# other call uses (so that the two calls are its first and last users), as a batch with
# `xargs -P` runs them. The first replay reads its samples from a pipe that stays silent until
# the second call has ended entirely; a second call that stopped the Wine server or the display
# it shares would cut the first replay off. Both must end with status 0 and their pictures.
#
#   parallel_replays.sh ROOT WORK   (WORK: a folder for the files and the prefix)
set -euo pipefail
ROOT=$1
WORK=$2
PROGRAM="$ROOT/dist/trazelplay64.exe"
WINE64=/usr/lib/wine/wine64
export WINEPREFIX="$WORK/wineprefix"
unset DISPLAY TRAZEL_XVFB_DISPLAY

fail() {
  echo "parallel replays: $*" >&2
  for f in "$WORK"/*.err; do
    echo "--- $f" >&2
    cat "$f" >&2
  done
  exit 1
}

# Waits up to 240 s for a file to appear.
await() {
  for _ in $(seq 2400); do
    [[ -e "$1" ]] && return 0
    sleep 0.1
  done
  return 1
}

rm -f "$WORK"/*.png "$WORK"/*.err "$WORK"/*.done "$WORK"/*.started
mkdir -p "$WORK"
printf '%s\n' "x,y,control" "-0.8,-0.8" "0.8,0.8" "" "0.8,-0.8" "-0.8,0.8" >"$WORK/cross.csv"

# The first call: its replay waits on standard input until the second call has ended.
{
  await "$WORK/second.done"
  cat "$WORK/cross.csv"
} | "$ROOT/run" shell bash -c 'touch "$1"; exec "$2" "$3" - -o "$4"' first \
  "$WORK/first.started" "$WINE64" "$PROGRAM" "$WORK/first.png" \
  >/dev/null 2>"$WORK/first.err" &
first=$!

await "$WORK/first.started" || fail "the first call did not start"
sleep 3  # the first replay's process starts and waits for its samples
"$ROOT/run" shell "$WINE64" "$PROGRAM" "$WORK/cross.csv" -o "$WORK/second.png" \
  >/dev/null 2>"$WORK/second.err" || fail "the second replay ended with status $?"
touch "$WORK/second.done"

status=0
wait "$first" || status=$?
((status == 0)) || fail "the first replay ended with status $status"
for picture in first second; do
  [[ "$(head -c 8 "$WORK/$picture.png" 2>/dev/null | od -An -tx1 | tr -d ' \n')" == \
    89504e470d0a1a0a ]] || fail "the $picture replay left no picture"
done
grep -q "replayed 4 samples of standard input" "$WORK/first.err" ||
  fail "the first replay did not replay its samples"
cmp -s "$WORK/first.png" "$WORK/second.png" || fail "the two pictures differ"
echo "parallel replays: both ended with status 0 and the same picture"
