#!/bin/sh
# Sets up a Debian 12 machine for Pulsefield, builds it, and plays or tests.
#   tools/dev.sh play [game options]   install what is missing, build, start the game
#   tools/dev.sh test                  install what is missing, build, run every test
#                                      (plain build, the draw-order check, the check
#                                      that the game's folders include only downward, a clang build
#                                      playing the golden runs and replays and swapping
#                                      replays with the plain build, the browser's
#                                      decoders built natively, then an ASan+UBSan
#                                      build, a short soak under it, and 20 s of fuzzing
#                                      per loader, and of the browser's picture and
#                                      sound decoders)
#   tools/dev.sh soak [minutes]        headless games back to back under the ASan+UBSan
#                                      build (default 60): a random player, and every
#                                      fourth game the replay tests' scripted player,
#                                      which lives to meet every enemy and wave
#   tools/dev.sh rerecord              record tests/replays/ again (a deliberate step
#                                      after a rule change; review the diff)
#   tools/dev.sh fuzz [seconds [stb] [name...]]  build the fuzz targets with clang
#                                      (build-fuzz) and fuzz each loader (or those named:
#                                      config, bordermap, png, ogg, options, highscore,
#                                      replay) for that long (default 60); "stb" fuzzes the
#                                      browser's decoders (build-fuzz-stb)
#   tools/dev.sh web                   build the browser version into build-web/ with
#                                      Debian's emscripten (index.html, pulsefield.js,
#                                      .wasm, the packed media pulsefield.data, and
#                                      pulsefield_node.js for headless runs under node)
#                                      and print its size as a server sends it (gzip)
#   tools/dev.sh web-browser [--measure [--watch S]]  the browser tests alone, on the page in
#                                      build-web/ in headless Chromium (--measure: start-up,
#                                      transfer size and a long timedemo in the page instead;
#                                      --watch S: the frame rate a player sees watching it
#                                      for S seconds, as tools/timedemo.sh --watch S does
#                                      on the desktop)
#   tools/dev.sh web-serve [port]      serve build-web/ on 127.0.0.1 (default port 8000):
#                                      open http://127.0.0.1:8000/index.html; the page
#                                      takes options from its address, as in
#                                      index.html?no-intro or index.html?seed=5&play
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

PKGS="g++ cmake make pkg-config libsdl2-dev libpng-dev zlib1g-dev libogg-dev libvorbis-dev
      libgl-dev libgles-dev libgl1-mesa-dri libglx-mesa0 libgtest-dev libbenchmark-dev xvfb xauth
      clang libclang-rt-14-dev llvm-14 appstream python3 emscripten libstb-dev chromium
      libcpp-httplib-dev nlohmann-json3-dev libsqlite3-dev libssl-dev libcurl4-openssl-dev libpq-dev postgresql"

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

# The clang build (build-clang, sharing the GCC build's data folder): the
# golden runs and the checked-in replays, recorded by GCC, must play the same
# in it, and a game recorded by either build must play back in the other.
cross_compiler() {
  dir="$ROOT/build-clang"
  cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DPULSEFIELD_BENCH=OFF -DPULSEFIELD_MEDIA=OFF >/dev/null
  ln -sfn "$ROOT/build/data" "$dir/data"
  cmake --build "$dir" -j"$JOBS" --target pulsefield_tests pulsefield
  (cd "$dir" && ctest --output-on-failure -j"$JOBS" --timeout 600 -R '^(Golden|ReplayGuard)\.')
  out=$(mktemp -d)
  for pair in build:build-clang build-clang:build; do
    from=${pair%%:*}; to=${pair#*:}
    PULSEFIELD_REPLAY_OUT="$out/$from.pfr" PULSEFIELD_REPLAY_CONTROL=0 PULSEFIELD_REPLAY_TICKS=6600 \
      "$ROOT/$from/pulsefield_tests" \
      --gtest_filter=ReplayGame.EveryControlTypeRecordsAGameThatPlaysBackExactly >/dev/null
    if ! "$ROOT/$to/pulsefield" --headless --replay "$out/$from.pfr" | grep -q "^replay ok"; then
      echo "A game recorded by $from does not play back in $to (kept in $out)" >&2
      return 1
    fi
    echo "A game recorded by $from plays back in $to."
  done
  rm -rf "$out"
}

# The browser's decoders (stb) built into the desktop program and tests
# (build-stb, sharing the GCC build's data folder): they must read, refuse
# and warn about the very files the desktop's libraries do. Regenerating the
# pictures needs the media generator, which this build leaves out.
stb_codecs() {
  dir="$ROOT/build-stb"
  cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPULSEFIELD_STB_CODECS=ON \
    -DPULSEFIELD_BENCH=OFF -DPULSEFIELD_MEDIA=OFF >/dev/null
  ln -sfn "$ROOT/build/data" "$dir/data"
  cmake --build "$dir" -j"$JOBS" --target pulsefield_tests pulsefield fuzz_targets
  (cd "$dir" && with_display ctest --output-on-failure -j"$JOBS" --timeout 600 -L 'unit|media' \
    -E '^MediaImages\.GeneratingAgainGivesTheSameBytes$')
}

# Plays headless games back to back under the sanitizer build; the seed is
# printed first, so a failure can be played again with it. A run of 200,000
# ticks or more fails if an enemy kind or a wave pattern never showed.
soak() {
  echo "soak $*"
  ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$ROOT/build-asan/pfsoak" --datadir "$ROOT/build-asan/data" "$@"
}

# The fuzz targets: tests/fuzz/fuzz_NAME.cpp, seeds in tests/fuzz/NAME/.
FUZZ_TARGETS="config bordermap png ogg options highscore replay"

# Builds the fuzz targets with clang (libFuzzer, ASan+UBSan) in build-fuzz and
# runs each for the given seconds. What a run learns stays in
# build-fuzz/corpus; an input that finds a fault lands in build-fuzz/artifacts
# and fails the run (once fixed, keep it in tests/fuzz/NAME).
# The flavour "stb" first among the names fuzzes the browser's decoders
# instead, in build-fuzz-stb.
fuzz() {  # fuzz SECONDS [stb] [NAME...]
  secs=$1
  shift
  out="$ROOT/build-fuzz"
  codecs=OFF
  if [ "${1:-}" = stb ]; then
    out="$ROOT/build-fuzz-stb"
    codecs=ON
    shift
  fi
  targets=${*:-$FUZZ_TARGETS}
  cmake -S "$ROOT" -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DPULSEFIELD_FUZZ=ON -DPULSEFIELD_TESTS=OFF -DPULSEFIELD_BENCH=OFF \
    -DPULSEFIELD_MEDIA=OFF -DPULSEFIELD_STB_CODECS="$codecs" >/dev/null
  cmake --build "$out" -j"$JOBS" --target $(for t in $targets; do printf 'fuzz_%s ' "$t"; done)
  mkdir -p "$out/artifacts"
  failed=""
  for t in $targets; do
    mkdir -p "$out/corpus/$t"
    log="$out/fuzz_$t.log"
    if ! ASAN_OPTIONS=abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$out/fuzz_$t" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$out/artifacts/$t-" "$out/corpus/$t" "$ROOT/tests/fuzz/$t" >"$log" 2>&1; then
      tail -n 60 "$log"
      echo "fuzz $t: FAULT FOUND (whole log: $log; input: $out/artifacts/$t-*)"
      failed="$failed $t"
      continue
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz $t: ${runs:-?} runs in $secs s, no fault; corpus $(ls "$out/corpus/$t" | wc -l) + seeds $(ls "$ROOT/tests/fuzz/$t" | wc -l)"
  done
  if [ -n "$failed" ]; then
    echo "Fuzzing found faults in:$failed" >&2
    return 1
  fi
}

# The browser build in build-web: the game and its platform back end for
# the page, through Emscripten's toolchain (which finds Debian's acorn in
# /usr/share/nodejs), and the media drawn by the native generator in build/
# packed for the page's /data.
EMSCRIPTEN_TOOLCHAIN=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake
web_build() {
  export NODE_PATH=/usr/share/nodejs
  out="$ROOT/build-web"
  cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$ROOT/build" -j"$JOBS" --target media
  cmake -S "$ROOT/tools/web" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$EMSCRIPTEN_TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$out" -j"$JOBS" --target pulsefield pulsefield_node pfsoak_node
  /usr/share/emscripten/tools/file_packager "$out/pulsefield.data" --preload "$ROOT/build/data@/data" \
    --exclude '*/.stamp' --js-output="$out/pulsefield_data.js" >/dev/null 2>"$out/file_packager.log" ||
    { cat "$out/file_packager.log" >&2; return 1; }
  cp "$ROOT/tools/web/index.html" "$out/index.html"
  total=0
  for f in index.html pulsefield.js pulsefield.wasm pulsefield_data.js pulsefield.data; do
    size=$(gzip -9 -c "$out/$f" | wc -c)
    total=$((total + size))
    printf "%-20s %9d bytes gzip-compressed\n" "$f" "$size"
  done
  printf "%-20s %9d bytes gzip-compressed (%d.%02d MB; the aim is under 4 MB)\n" "in all" "$total" \
    $((total / 1000000)) $((total % 1000000 / 10000))
}

# Plays every checked-in replay in the node build, which must say "replay ok"
# for each, as the desktop does; and a soak from a fixed seed (menus, a
# random player and the scripted one) must play the very games the
# desktop's soak plays.
web_same_game() {
  failed=""
  for r in "$ROOT"/tests/replays/*.pfr "$ROOT"/tests/timedemo/*.pfr; do
    name=${r#"$ROOT/"}
    if node "$ROOT/build-web/pulsefield_node.js" --headless --datadir "$ROOT/build/data" --replay "$r" |
        grep -q "^replay ok"; then
      echo "node plays $name: replay ok"
    else
      echo "node does not play $name back" >&2
      failed="$failed $name"
    fi
  done
  # Resident memory differs from build to build; everything else must not.
  soaked() { "$@" --seed 42 --ticks 30000 --datadir "$ROOT/build/data" | sed 's/ rss_start_kb=.*//'; }
  if [ "$(soaked node "$ROOT/build-web/pfsoak_node.js")" = "$(soaked "$ROOT/build/pfsoak")" ]; then
    echo "node's soak plays the desktop's games."
  else
    echo "node's soak from seed 42 does not play the desktop's games" >&2
    failed="$failed soak"
  fi
  [ -z "$failed" ]
}

# Drives the page in Debian's headless Chromium (tools/web/browser-test):
# the replays end as the desktop's do, the title and a game look right,
# keys, a click and F12 work, and a setting outlives a reload.
web_browser_tests() {
  dir="$ROOT/tools/web/browser-test"
  # Debian's node comes without npm; a node that brings its own must keep it.
  if ! command -v npm >/dev/null 2>&1; then
    allpkgs=$PKGS; PKGS=npm; install_missing; PKGS=$allpkgs
  fi
  [ -d "$dir/node_modules" ] || (cd "$dir" && npm ci --no-audit --no-fund)
  node "$dir/run.mjs" "$@"
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
    python3 "$ROOT/tools/check_draw_order.py"
    python3 "$ROOT/tools/check_layers.py" "$ROOT"
    cross_compiler
    stb_codecs
    build "$ROOT/build-asan" -DPULSEFIELD_SANITIZE=ON -DPULSEFIELD_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      run_tests "$ROOT/build-asan"
    soak --ticks 200000 --seed "$(date +%s)"
    fuzz 20
    fuzz 20 stb png ogg
    if command -v em++ >/dev/null 2>&1; then
      web_build
      web_same_game
      if command -v chromium >/dev/null 2>&1; then web_browser_tests; fi
    fi
    echo "All tests passed."
    ;;
  soak)
    install_missing
    build "$ROOT/build-asan" -DPULSEFIELD_SANITIZE=ON -DPULSEFIELD_BENCH=OFF
    soak --minutes "${1:-60}" --seed "${2:-$(date +%s)}"
    ;;
  fuzz)
    install_missing
    secs=${1:-60}
    [ $# -gt 0 ] && shift
    fuzz "$secs" "$@"
    ;;
  rerecord)
    # Records the checked-in replays again with the scripted player and
    # writes what each plays back to; review the diff before committing.
    install_missing
    build "$ROOT/build"
    # One game per control type, 6600 ticks (about a minute and three
    # quarters of play), ended with the quit prompt.
    for pair in 0:mouse 1:dualstick 2:twohanded 3:joybuttons; do
      type=${pair%%:*}; name=${pair#*:}
      PULSEFIELD_REPLAY_OUT="$ROOT/tests/replays/$name.pfr" PULSEFIELD_REPLAY_CONTROL=$type \
        PULSEFIELD_REPLAY_TICKS=6600 "$ROOT/build/pulsefield_tests" \
        --gtest_filter=ReplayGame.EveryControlTypeRecordsAGameThatPlaysBackExactly >/dev/null
      rm -f "$ROOT/tests/replays/$name.pfr.facts"
      "$ROOT/build/pulsefield" --headless --replay "$ROOT/tests/replays/$name.pfr" \
        >"$ROOT/tests/replays/$name.expect"
    done
    ;;
  web)
    install_missing
    web_build
    ;;
  web-browser)
    [ -f "$ROOT/build-web/index.html" ] || { echo "build-web/ has no page yet: run tools/dev.sh web" >&2; exit 1; }
    install_missing
    web_browser_tests "$@"
    ;;
  web-serve)
    [ -f "$ROOT/build-web/index.html" ] || { echo "build-web/ has no page yet: run tools/dev.sh web" >&2; exit 1; }
    port=${1:-8000}
    echo "Serving build-web on http://127.0.0.1:$port/index.html (Ctrl-C stops)"
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$ROOT/build-web"
    ;;
  *)
    echo "usage: tools/dev.sh play [game options] | test | soak [minutes [seed]] | fuzz [seconds [stb] [name...]] | rerecord | web | web-browser [--measure] | web-serve [port]" >&2
    exit 2
    ;;
esac
