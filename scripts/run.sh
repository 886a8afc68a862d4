#!/usr/bin/env bash
# Installs what is missing, builds Zorbel and starts it. On a machine without a display
# it runs the headless showcase instead. Only what runs is built, not the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
cmake -G Ninja -B build -DCMAKE_BUILD_TYPE=Release -DZORBEL_BUILD_TESTS=OFF -DZORBEL_PRECOMPILED_HEADERS=ON

if [[ -n ${DISPLAY:-} ]]; then
  # The indicator is switched on from the tray menu, or, where no tray runs, from the
  # settings window the program then opens.
  cmake --build build --target zorbel
  exec build/src/zorbel "$@"
fi

# No display: the showcase also needs its tray and its screen grabber.
cmake --build build --target zorbel zorbel_tray_host zorbel_screenshot
shot=$PWD/zorbel-showcase.png
scripts/showcase.sh build "$shot"
