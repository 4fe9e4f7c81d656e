#!/bin/sh
# The frame rate a player sees watching the first long game of
# tests/timedemo/ at its own pace, on the desktop and in the page, in
# turns (desktop, page, desktop, page...) so that whatever else loads the
# machine weighs on both alike; then the median of each side's per-run
# median frames a second, and their ratio.
#   tools/measure_watch.sh [rounds [seconds [page options]]]
# (default 3 rounds of 40 seconds a side). Both show the picture at 800x600:
# the desktop's window, the page's canvas in CSS pixels. Page options go to
# run.mjs --measure --watch, such as "--launch default" (Chromium as it
# starts by itself, in a window on Xvfb) or "--window 1920x1080".
# Needs build/pulsefield and the page in build-web/ (tools/dev.sh web).
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
rounds=${1:-3}
secs=${2:-40}
[ $# -ge 2 ] && shift 2 || shift $#
out=$(mktemp)
trap 'rm -f "$out"' EXIT
page() {
  if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" "$@"; fi
}
i=0
while [ "$i" -lt "$rounds" ]; do
  "$ROOT/tools/timedemo.sh" --watch "$secs" | tee -a "$out"
  page node "$ROOT/tools/web/browser-test/run.mjs" --measure --watch "$secs" "$@" | tee -a "$out"
  i=$((i + 1))
done
# The median of the numbers on standard input, one a line.
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
desk=$(grep '^watching .* on the desktop' "$out" | sed 's/.*fps_p50=\([0-9]*\).*/\1/' | median)
game=$(grep '^watching .* in the page' "$out" | sed 's/.*watched:.*fps_p50=\([0-9]*\).*/\1/' | median)
raf=$(grep '^watching .* in the page' "$out" | sed 's/.*animation frames a second p50=\([0-9]*\).*/\1/' | median)
echo "medians of $rounds runs of $secs s: desktop $desk frames a second; page $raf animation frames" \
  "($game painted by the game); desktop/page $(awk -v d="$desk" -v p="$raf" 'BEGIN { printf "%.2f", p ? d / p : 0 }')"
