#!/usr/bin/env bash
# Saves a picture of the tool's HTML report of the joins that did not hold,
# for the bundled sample (the export ./run.sh makes), as a person sees it in
# a browser: docs/join-report.png (the README shows it).
#
#   scripts/report-screenshot.sh [BUILD_DIR]     (default: build-release)
#
# Needs Debian's chromium (apt-get install chromium) for its headless mode.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
output=docs/join-report.png

if [[ ! -x $build/dealtext || ! -x $build/dealtext-genexport ]]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$build" -j2 --target dealtext_cli dealtext_genexport
fi
browser=$(command -v chromium || command -v chromium-browser || true)
if [[ -z $browser ]]; then
  echo "report-screenshot.sh: chromium is missing (apt-get install chromium)" >&2
  exit 1
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/export" "$scratch/base/DataBase" "$scratch/base/TemplateTemp"
: >"$scratch/base/DataBase/empty.mdb"
"$build/dealtext-genexport" --lines 2000 --seed 1 --out "$scratch/export" >/dev/null
"$build/dealtext" --quiet --base "$scratch/base/" --source "$scratch/export" \
  --report "$scratch/joins.html" >/dev/null

mkdir -p docs
"$browser" --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1000,900 \
  --screenshot="$scratch/joins.png" "file://$scratch/joins.html" >/dev/null 2>&1
if [[ ! -s $scratch/joins.png ]]; then
  echo "report-screenshot.sh: the browser made no picture" >&2
  exit 1
fi
convert "$scratch/joins.png" -strip "$output"
echo "$output"
