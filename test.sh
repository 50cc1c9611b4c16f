#!/usr/bin/env bash
# Builds everything and runs every test: the Linux build (its Debian package
# made and checked), the same with AddressSanitizer and
# UndefinedBehaviorSanitizer, then the Windows form (mingw-w64, 32-bit)
# under Wine, compared with the Linux form end to end (its archive for the
# host made and checked).
# Any failure exits non-zero.
#
#   ./test.sh [--linux-only | --windows-only]
set -euo pipefail
cd "$(dirname "$0")"
stages=all
case ${1:-} in
  --linux-only) stages=linux ;;
  --windows-only) stages=windows ;;
  "") ;;
  *) echo "test.sh: unknown option $1" >&2; exit 2 ;;
esac
jobs=$(nproc 2>/dev/null || echo 2)
SECONDS=0
stage_start=0
stage_done() {
  echo "test.sh: $1 took $((SECONDS - stage_start)) s" >&2
  stage_start=$SECONDS
}

run_suite() {
  local dir=$1
  shift
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout 900
}

if [[ $stages == linux ]]; then
  ./scripts/install-deps.sh
else
  ./scripts/install-deps.sh --windows
fi
stage_done "installing packages"

# The Linux build is needed by the Windows stage too: its end-to-end test
# compares the two forms.
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
stage_done "Linux build and tests"

if [[ $stages != windows ]]; then
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DDEALTEXT_SANITIZE=ON
  stage_done "sanitizer build and tests"
fi

if [[ $stages != linux ]]; then
  # Wine's prefix, set before the build: the build may run Windows programs.
  mkdir -p build-win
  . scripts/wine-env.sh "$PWD/build-win/wine"
  trap wine_env_stop EXIT
  run_suite build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDEALTEXT_LINUX_BUILD_DIR="$PWD/build"
  stage_done "Windows build and tests under Wine"
fi
