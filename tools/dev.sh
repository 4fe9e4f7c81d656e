#!/bin/sh
# Sets up a Debian 12 machine for Pulsefield, builds it, and plays or tests.
#   tools/dev.sh play [game options]   install what is missing, build, start the game
#   tools/dev.sh test                  install what is missing, build, run every test
#                                      (plain build, then an ASan+UBSan build and a
#                                      short soak under it)
#   tools/dev.sh soak [minutes]        headless games back to back with a random
#                                      player under the ASan+UBSan build (default 60)
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

PKGS="g++ cmake make pkg-config libsdl2-dev libpng-dev zlib1g-dev libogg-dev libvorbis-dev
      libgl-dev libgl1-mesa-dri libglx-mesa0 libgtest-dev libbenchmark-dev xvfb xauth"

install_missing() {
  missing=""
  for p in $PKGS; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing="$missing $p"
    fi
  done
  [ -z "$missing" ] && return 0
  echo "Installing:$missing"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
}

build() {  # build DIR [cmake options]
  dir=$1; shift
  cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j"$JOBS"
}

# Runs a command with a display: the real one, or Xvfb when there is none
# (-noreset: tests come and go in parallel, and a server that resets when its
# last client leaves would drop one that is just connecting).
with_display() {
  if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"; fi
}

run_tests() {  # run_tests DIR
  (cd "$1" && with_display ctest --output-on-failure -j"$JOBS" --timeout 600)
}

# Plays headless games back to back under the sanitizer build; the seed is
# printed first, so a failure can be played again with it.
soak() {
  echo "soak $*"
  ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$ROOT/build-asan/pfsoak" --datadir "$ROOT/build-asan/data" "$@"
}

cmd=${1:-play}
[ $# -gt 0 ] && shift
case "$cmd" in
  play)
    install_missing
    build "$ROOT/build"
    # The settings and scores go to build/user, not into the source tree
    # (a --userdir of your own comes later and wins).
    exec "$ROOT/build/pulsefield" --userdir "$ROOT/build/user" "$@"
    ;;
  test)
    install_missing
    build "$ROOT/build"
    run_tests "$ROOT/build"
    build "$ROOT/build-asan" -DPULSEFIELD_SANITIZE=ON -DPULSEFIELD_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      run_tests "$ROOT/build-asan"
    soak --ticks 200000 --seed "$(date +%s)"
    echo "All tests passed."
    ;;
  soak)
    install_missing
    build "$ROOT/build-asan" -DPULSEFIELD_SANITIZE=ON -DPULSEFIELD_BENCH=OFF
    soak --minutes "${1:-60}" --seed "${2:-$(date +%s)}"
    ;;
  *)
    echo "usage: tools/dev.sh play [game options] | tools/dev.sh test | tools/dev.sh soak [minutes [seed]]" >&2
    exit 2
    ;;
esac
