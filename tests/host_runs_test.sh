#!/usr/bin/env bash
# The host stand-in's --runs: DoIt twice in one process on one base folder,
# each run reported with its time and what is beside the work database when
# it has returned. The stand-in engine leaves nothing there.
#
#   tests/host_runs_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/base/DataBase" "$work/base/TemplateTemp"
: >"$work/base/DataBase/empty.mdb"
"$build/dealtext-genexport" --lines 50 --seed 3 --out "$work/export" >/dev/null
output=$(HALVAREN_LOG="$work/log" "$build/dealtext-host" --runs 2 "$work/base" "$work/export")
echo "$output"
mapfile -t lines <<<"$output"
[[ ${#lines[@]} -eq 4 ]] || { echo "host_runs_test: ${#lines[@]} lines, not 4" >&2; exit 1; }
for i in 0 2; do
  [[ ${lines[i]} == */TemplateTemp/KORVA.mdb ]] ||
    { echo "host_runs_test: no work database in '${lines[i]}'" >&2; exit 1; }
  [[ ${lines[i + 1]} =~ ^run\ $((i / 2 + 1)):\ [0-9]+\.[0-9]\ s\;\ beside\ the\ work\ database:\ nothing$ ]] ||
    { echo "host_runs_test: unexpected report '${lines[i + 1]}'" >&2; exit 1; }
done
