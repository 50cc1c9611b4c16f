#!/usr/bin/env bash
# Saves a picture of the plug-in's run window, taken halfway through a real
# run of the Windows form under Wine on a virtual X display, as
# docs/run-window.png (the README shows it).
#
#   scripts/screenshot.sh [WINDOWS_BUILD_DIR]     (default: build-win)
#
# The picture comes from the run window's test program, which captures the
# window when the progress bar reaches 50 % and, asked through
# DEALTEXT_RUN_WINDOW_SHOT, saves that capture as a BMP file. The Windows
# build is made first when the program is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win}
program=$build/ui_test.exe
output=docs/run-window.png

./scripts/install-deps.sh --windows
if [[ ! -f $program ]]; then
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j2 --target ui_test
fi

scratch=$(mktemp -d)
cleanup() {
  if declare -F wine_env_stop >/dev/null; then wine_env_stop; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# A display and a prefix of its own, so the picture does not depend on the
# desktop of whoever runs this.
unset DISPLAY
. scripts/wine-env.sh "$PWD/$build/wine-screenshot"

DEALTEXT_RUN_WINDOW_SHOT=$(winepath -w "$scratch/run-window.bmp") \
  wine "$program" --gtest_filter='UiTest.RealRunDrawsItsProgressWhileTheBuildWorks'
if [[ ! -s $scratch/run-window.bmp ]]; then
  echo "screenshot.sh: the run window was not captured" >&2
  exit 1
fi
mkdir -p docs
# Without the time stamps, so an unchanged window gives an unchanged file.
convert "$scratch/run-window.bmp" -strip "$output"
echo "$output"
