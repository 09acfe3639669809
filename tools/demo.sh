#!/usr/bin/env bash
# The demo: trazelplay loads the block library, places one block, reads its ten settings lines
# (demo/engine-map.txt), and runs a test-bench simulation through it: torque over speed at five
# throttle settings, traced one after another over the engine map demo/engine-map.wmf, the pen
# lifted between them. Leaves out/demo.png, the block's window.
#
#   tools/demo.sh [--print] [--wait | --no-wait] [--docs]
#     --print    also print the picture with the window's print button; with the cups-pdf
#                printer the page lands in out/demo.pdf (and out/demo-page.png)
#     --wait     keep the window open until it is closed; the default on a display of your own
#     --no-wait  never wait; the default on the display that ./run started
#     --docs     also write docs/demo-small.png, the README's picture
#
# ./run demo calls it with the display, Wine prefix and printer started (tools/services.sh).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
WINE64="${WINE64:-/usr/lib/wine/wine64}"
OUT="$ROOT/out"
PDF_OUT="${PDF_OUT:-$ROOT/build/pdf}"

print=0
docs=0
wait_mode=auto
for arg in "$@"; do
  case "$arg" in
    --print) print=1 ;;
    --wait) wait_mode=1 ;;
    --no-wait) wait_mode=0 ;;
    --docs) docs=1 ;;
    *) sed -n '2,14p' "$0" >&2; exit 2 ;;
  esac
done

# The window stays open on a display the user brought along; on the display that ./run started
# for its calls (tools/services.sh names it) nobody could close it.
if [[ "$wait_mode" == auto ]]; then
  wait_mode=1
  if [[ -z "${DISPLAY:-}" || "${TRAZEL_XVFB_DISPLAY:-}" == "$DISPLAY" ]]; then
    wait_mode=0
  fi
fi

args=(--demo --size 840x560 --line-width 2 --out out/demo.png)
((print)) && args+=(--print)
((wait_mode)) && args+=(--wait)

mkdir -p "$OUT"
before=()
if ((print)); then
  mkdir -p "$PDF_OUT"
  mapfile -t before < <(ls "$PDF_OUT" 2>/dev/null || true)
fi

cd "$ROOT"
started=$SECONDS
if ((wait_mode)); then
  "$WINE64" dist/trazelplay64.exe "${args[@]}"
else
  timeout 300 "$WINE64" dist/trazelplay64.exe "${args[@]}"
fi
echo "== demo: out/demo.png ($((SECONDS - started)) s)"

if ((print)); then
  # cups-pdf writes the page a moment after the job has left the program.
  pdf=""
  for _ in $(seq 300); do
    for f in "$PDF_OUT"/*.pdf; do
      [[ -f "$f" ]] || continue
      name=$(basename "$f")
      if [[ ! " ${before[*]} " == *" $name "* ]]; then
        pdf="$f"
      fi
    done
    [[ -n "$pdf" ]] && break
    sleep 0.1
  done
  if [[ -z "$pdf" ]]; then
    echo "demo: no printed page appeared in $PDF_OUT (is the cups-pdf printer the default?)" >&2
    exit 1
  fi
  sleep 0.5  # let cups-pdf finish writing
  cp "$pdf" "$OUT/demo.pdf"
  chmod 644 "$OUT/demo.pdf"
  if command -v pdftoppm >/dev/null; then
    pdftoppm -png -r 60 -singlefile "$OUT/demo.pdf" "$OUT/demo-page"
  fi
  echo "== demo: printed page out/demo.pdf"
fi

if ((docs)); then
  convert "$OUT/demo.png" -resize 60% -strip -colors 96 "PNG8:$ROOT/docs/demo-small.png"
  echo "== demo: docs/demo-small.png"
fi
