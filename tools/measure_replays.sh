#!/bin/sh
# Measures the replays: the size of the checked-in ones per minute of play,
# and how fast a long game plays back headless against real time.
#
#   tools/measure_replays.sh [BUILD_DIR [TICKS [CONTROL_TYPE]]]
#
# BUILD_DIR is a built tree (default build); TICKS the length of the long
# game the scripted player of the replay tests records (default 40000, some
# ten minutes of play; the game ends sooner if the player loses every life);
# CONTROL_TYPE its control type (default 0, keyboard and mouse). The long
# game is written to BUILD_DIR/replays/long.pfr and played back three times;
# the fastest run counts. Real time is the recording's ticks at 16 ms each.
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${1:-build}
TICKS=${2:-40000}
TYPE=${3:-0}
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
TICK_MS=16

# A little-endian unsigned 32-bit field of a file at an offset.
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
# Offsets of the header fields after the version text (see app/replay.cpp).
ticks_of() { l=$(od -An -tu1 -j6 -N1 "$1" | tr -d ' '); u32 "$1" $((7 + l + 8 + 2 + 4 * 55)); }
clock_of() { l=$(od -An -tu1 -j6 -N1 "$1" | tr -d ' '); u32 "$1" $((7 + l + 8 + 2 + 4 * 55 + 4 + 8)); }

# Sizes per minute: of the play clock the game shows (60 of its ticks to
# the second), and of the whole recording in real time (16 ms a tick).
echo "Checked-in replays:"
for f in "$ROOT"/tests/replays/*.pfr; do
  awk -v n="$(basename "$f")" -v b="$(wc -c <"$f")" -v c="$(clock_of "$f")" -v t="$(ticks_of "$f")" -v tick="$TICK_MS" \
    'BEGIN { printf "  %-16s %6d bytes, play clock %5.1f s: %5.0f bytes/min of play clock, %5.0f bytes/min of real time\n",
             n, b, c / 60, b / (c / 3600), b / (t * tick / 60000) }'
done

mkdir -p "$BUILD/replays"
long="$BUILD/replays/long.pfr"
echo "Recording a game of up to $TICKS ticks, control type $TYPE..."
PULSEFIELD_REPLAY_OUT="$long" PULSEFIELD_REPLAY_CONTROL=$TYPE PULSEFIELD_REPLAY_TICKS=$TICKS \
  "$BUILD/pulsefield_tests" --gtest_filter=ReplayGame.EveryControlTypeRecordsAGameThatPlaysBackExactly >/dev/null
rm -f "$long.facts"
ticks=$(ticks_of "$long")
clock=$(clock_of "$long")
bytes=$(wc -c <"$long")
best=""
for run in 1 2 3; do
  start=$(date +%s%N)
  out=$("$BUILD/pulsefield" --headless --replay "$long")
  end=$(date +%s%N)
  ms=$(((end - start) / 1000000))
  echo "$out" | grep -q "^replay ok$" || { echo "$out"; echo "the long game did not play back exactly" >&2; exit 1; }
  echo "  playback $run: $ms ms"
  if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
done
awk -v t="$ticks" -v c="$clock" -v b="$bytes" -v ms="$best" -v tick="$TICK_MS" 'BEGIN {
  real = t * tick / 1000
  printf "Long game: %d ticks (%.1f s real time), play clock %.1f s, %d bytes (%.0f bytes/min of play clock)\n", t, real, c / 60, b, b / (c / 3600)
  printf "Headless playback: %.3f s, %.0fx real time\n", ms / 1000, real / (ms / 1000)
}'
