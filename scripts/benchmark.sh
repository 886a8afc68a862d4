#!/usr/bin/env bash
# Measures the indicator of the real program on a private headless desktop with a
# compositor: key press and caret event to indicator move and accessibility round trips
# per keystroke (500 keystrokes in GTK 3, in Qt 6 and in Debian's GTK 4 editor), CPU while
# idle for 30 s, and resident memory after typing for a while; then
# input-method styling: layout switch to the indicator's new colour on screen (200
# switches), CPU while idle with the styling on, and the program's CPU per switch with the HUD
# off, shown and shown with a fade (100 switches each); the settings window: first paint after
# opening, CPU while open and idle, memory over 150 openings and closings; its themes: CPU and
# the longest frame with the liquid glass animating after input and left alone, CPU wholly
# covered and hidden, per theme a
# full repaint, the frame that draws every picture anew and a resize step, memory over theme
# switches.
#   scripts/benchmark.sh [MINUTES_OF_TYPING]      (default 10)
# Builds first (in build-benchmark/, optimised) unless ZORBEL_BUILD_DIR names a built tree.
# ZORBEL_BENCHMARK_AGAINST=PROGRAM  also times keystrokes in this build and in PROGRAM (another
# build of the program, say one of an older commit) in turns, and prints the program's share of
# a keystroke for both side by side.
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=${1:-10}
if [[ ! $minutes =~ ^[0-9]+([.][0-9]+)?$ ]]; then
  echo "usage: $0 [MINUTES_OF_TYPING]" >&2
  exit 2
fi

build=${ZORBEL_BUILD_DIR:-build-benchmark}
if [[ -z ${ZORBEL_BUILD_DIR:-} ]]; then
  scripts/install-deps.sh test
  [[ -f $build/CMakeCache.txt ]] || cmake -G Ninja -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$build" --target zorbel zorbel_indicator_benchmark zorbel_input_method_benchmark \
    zorbel_settings_benchmark zorbel_theme_benchmark zorbel_quit_benchmark
fi

ZORBEL_DESKTOP_COMPOSITOR=1 scripts/headless-desktop.sh -- \
  "$build/tests/integration/indicator/zorbel_indicator_benchmark" "$build/src/zorbel" --minutes "$minutes"
if [[ -n ${ZORBEL_BENCHMARK_AGAINST:-} ]]; then
  ZORBEL_DESKTOP_COMPOSITOR=1 scripts/headless-desktop.sh -- \
    "$build/tests/integration/indicator/zorbel_indicator_benchmark" "$build/src/zorbel" \
    --against "$ZORBEL_BENCHMARK_AGAINST" --keys 300 --rounds 3
fi
ZORBEL_DESKTOP_COMPOSITOR=1 scripts/headless-desktop.sh -- \
  "$build/tests/integration/inputmethod/zorbel_input_method_benchmark" "$build/src/zorbel"
ZORBEL_DESKTOP_COMPOSITOR=1 scripts/headless-desktop.sh -- \
  "$build/tests/integration/settings/zorbel_theme_benchmark"
scripts/headless-desktop.sh -- "$build/tests/integration/indicator/zorbel_quit_benchmark" "$build/src/zorbel" 5
# The settings window: first paint after opening, idle CPU, memory over repeated openings.
exec scripts/headless-desktop.sh -- "$build/tests/integration/settings/zorbel_settings_benchmark" 2
