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
program=$build/run_window_win32_test.exe
output=docs/run-window.png

./scripts/install-deps.sh --windows
if [[ ! -f $program ]]; then
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j2 --target run_window_win32_test
fi

scratch=$(mktemp -d)
xvfb=
cleanup() {
  if declare -F wine_env_stop >/dev/null; then wine_env_stop; fi
  if [[ -n $xvfb ]]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# A display of its own, whatever displays are in use, so the picture does
# not depend on the desktop of whoever runs this; and a prefix of its own.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [[ -s $scratch/display ]] && break; sleep 0.1; done
[[ -s $scratch/display ]] || { echo "screenshot.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(tr -d '[:space:]' <"$scratch/display")"
. scripts/wine-env.sh "$PWD/$build/wine-screenshot"
# Xvfb has no window manager: Wine draws the caption and frame itself, and
# does not wait for a manager to take or release its windows.
x11="HKCU\\Software\\Wine\\X11 Driver"
wine reg add "$x11" /v Decorated /d N /f >/dev/null 2>&1
wine reg add "$x11" /v Managed /d N /f >/dev/null 2>&1
# The caption's close box is a glyph of the Marlett font, which Debian's
# Wine keeps outside the prefix.
fonts=$WINEPREFIX/drive_c/windows/Fonts
if [[ -f /usr/share/wine/fonts/marlett.ttf && ! -f $fonts/marlett.ttf ]]; then
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
fi

DEALTEXT_RUN_WINDOW_SHOT=$(winepath -w "$scratch/run-window.bmp") \
  wine "$program" --gtest_filter='RunWindowWin32Test.RealRunDrawsItsProgressWhileTheBuildWorks'
if [[ ! -s $scratch/run-window.bmp ]]; then
  echo "screenshot.sh: the run window was not captured" >&2
  exit 1
fi
mkdir -p docs
# Without the time stamps, so an unchanged window gives an unchanged file.
convert "$scratch/run-window.bmp" -strip "$output"
echo "$output"
