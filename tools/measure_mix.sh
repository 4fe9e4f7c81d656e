#!/bin/sh
# Measures a recording of the game's mixed sound: integrated loudness (EBU
# R128), sample and true peak, and the share of samples at full scale.
#
# Record what the mixer hands the sound card with SDL's disk driver, which
# writes the device's buffers to a file in the format the game opens it with
# (44100 Hz, stereo, signed 16-bit little-endian) at the pace of real time:
#
#   SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/tmp/mix.raw build/pulsefield --play
#   tools/measure_mix.sh /tmp/mix.raw
#
# Needs ffmpeg and python3. The game's levels: play at about -23 to -18
# LUFS, never at full scale (the mixer's limiter holds the sum at -1 dBFS).
set -eu
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
  echo "usage: $0 RECORDING.raw  (44100 Hz stereo s16le, as SDL's disk driver writes it)" >&2
  exit 2
fi
ffmpeg -hide_banner -nostats -f s16le -ar 44100 -ac 2 -i "$1" -af ebur128=peak=true+sample -f null - 2>&1 |
  awk '/Summary:/ { s = 1 }
       s && / I:/ { print "Integrated loudness: " $2 " LUFS" }
       s && /Sample peak:|True peak:/ { label = $1 " " $2 }
       s && /Peak:/ && label != "" { print label " " $2 " dBFS"; label = "" }'
python3 - "$1" <<'PY'
import array, sys
a = array.array("h")
with open(sys.argv[1], "rb") as f:
    a.frombytes(f.read())
if sys.byteorder != "little":
    a.byteswap()
n = len(a)
full = a.count(32767) + a.count(-32768)
print(f"Samples: {n} ({n / 88200:.1f} s), at full scale: {full} ({100.0 * full / max(n, 1):.4f}%)")
PY
