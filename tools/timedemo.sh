#!/bin/sh
# Runs the timedemo on each long recorded game in tests/timedemo/ and prints
# each one's summary line. Options after the script's name go to the game
# (-w, -f, --frame-log is not one of them: each game would overwrite it).
#   tools/timedemo.sh [-w|-f] [other game options]
#   tools/timedemo.sh --watch S [game options]
#                  instead: the first game watched as a replay at its own pace
#                  in an 800x600 window for S seconds, and the frame rate seen
#                  ("watched: seconds=N fps_p50=X ..."; the page's counterpart is
#                  tools/dev.sh web-browser --measure --watch S)
# PULSEFIELD_BIN names the program (default build/pulsefield). With no
# display the games are painted on Xvfb (1280x1024, llvmpipe).
# The games were recorded by the replay tests' scripted player, each like
#   PULSEFIELD_REPLAY_OUT=tests/timedemo/mouse-seed11.pfr PULSEFIELD_REPLAY_CONTROL=0 \
#   PULSEFIELD_REPLAY_SEED=11 PULSEFIELD_REPLAY_TICKS=34000 build/pulsefield_tests \
#     --gtest_filter=ReplayGame.EveryControlTypeRecordsAGameThatPlaysBackExactly
# (dualstick.pfr: control 1, 33000 ticks; joybuttons.pfr: control 3, 34000
# ticks; both with the control type's own seed); a rule change that alters
# play needs them recorded again.
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BIN=${PULSEFIELD_BIN:-$ROOT/build/pulsefield}
[ -x "$BIN" ] || { echo "no program at $BIN: build it first (cmake --build build --target pulsefield)" >&2; exit 1; }
# The settings and scores of these runs go to a folder of their own.
USERDIR=$(mktemp -d)
trap 'rm -rf "$USERDIR"' EXIT
run() {
  if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"; fi
}
if [ "${1:-}" = --watch ]; then
  secs=$2
  shift 2
  game=$(ls "$ROOT"/tests/timedemo/*.pfr | head -n 1)
  # Stopped by a signal after S seconds, the game ends in order and prints its figures.
  out=$(run timeout -s TERM "$secs" "$BIN" --userdir "$USERDIR" --no-sound -w "$@" --replay "$game" \
    --frame-log "$USERDIR/frames.csv" 2>&1) || true
  line=$(printf '%s\n' "$out" | grep '^watched:') || { printf '%s\n' "$out" >&2; exit 1; }
  pass=$(tail -n +2 "$USERDIR/frames.csv" | cut -d, -f2 | sort -n | awk '{ v[NR] = $1 } END { print v[int(NR / 2) + 1] }')
  echo "watching $(basename "$game") on the desktop for $secs s: the game's pass p50=$pass ms; $line"
  exit 0
fi
failed=0
for game in "$ROOT"/tests/timedemo/*.pfr; do
  if out=$(run "$BIN" --userdir "$USERDIR" --no-sound "$@" --timedemo "$game" 2>&1); then
    echo "$(basename "$game"): $(printf '%s\n' "$out" | tail -n 1)"
  else
    echo "$(basename "$game"): refused" >&2
    printf '%s\n' "$out" >&2
    failed=1
  fi
done
exit $failed
