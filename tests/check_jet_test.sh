#!/usr/bin/env bash
# The Windows check script under Wine, which has no Jet: it must stop at
# making the Jet database, say why, exit 2 and leave no work folder behind;
# and its own workings that need no Jet (a child's output read whole
# whatever it writes first, every table of two dumps compared, a probe
# asked of the stand-in) must hold (--self-test).
#
#   tests/check_jet_test.sh SCRIPT BUILD_DIR
# Needs WINEPREFIX (scripts/wine-env.sh sets it).
set -euo pipefail
script=$(winepath -w "$1")
build=$(winepath -w "$2")
temp=$(winepath -u "$(wine cmd /c echo %TEMP% | tr -d '\r')")
before=$(ls "$temp" | grep -c '^dealtext-check-' || true)
status=0
output=$(wine cscript //nologo "$script" "$build" 100 | tr -d '\r') || status=$?
after=$(ls "$temp" | grep -c '^dealtext-check-' || true)
echo "$output"
[[ $status -eq 2 ]] || { echo "check_jet_test: exit status $status, not 2" >&2; exit 1; }
[[ $output == *"check-jet: no Jet 4.0 database can be made here"* ]] ||
  { echo "check_jet_test: no word of the missing Jet" >&2; exit 1; }
[[ $after -eq $before ]] || { echo "check_jet_test: a work folder was left" >&2; exit 1; }

# A child that fills a pipe would hang the old reading for good: the
# self-test gets a bound.
before=$(ls "$temp" | grep -c '^dealtext-selftest-' || true)
status=0
output=$(timeout 120 wine cscript //nologo "$script" --self-test "$build" | tr -d '\r') ||
  status=$?
after=$(ls "$temp" | grep -c '^dealtext-selftest-' || true)
echo "$output"
[[ $status -eq 0 && $output == *"check-jet self-test: passed"* ]] ||
  { echo "check_jet_test: the self-test failed (exit status $status)" >&2; exit 1; }
[[ $after -eq $before ]] || { echo "check_jet_test: the self-test left its folder" >&2; exit 1; }
