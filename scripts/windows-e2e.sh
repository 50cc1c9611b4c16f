#!/usr/bin/env bash
# The Windows form against the Linux form on one generated export: the host
# stand-in runs DoIt of dealtext-standin.dll (the plug-in built for tests)
# under Wine, the Linux tool runs the same job,
# and every table of the two work databases must match row for row (in the
# order the rows were stored), with the same tables and columns.
#
#   scripts/windows-e2e.sh LINUX_BUILD_DIR WINDOWS_BUILD_DIR [LINES]
# Needs WINEPREFIX and a DISPLAY (scripts/wine-env.sh sets both).
set -euo pipefail
linux_build=$(cd "$1" && pwd)
windows_build=$(cd "$2" && pwd)
lines=${3:-20000}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for form in linux windows; do
  mkdir -p "$work/$form/DataBase" "$work/$form/TemplateTemp"
  : >"$work/$form/DataBase/empty.mdb"
done
"$linux_build/dealtext-genexport" --lines "$lines" --seed 11 --out "$work/export" >/dev/null

linux_db=$("$linux_build/dealtext" --quiet --base "$work/linux/" --source "$work/export" \
  --log "$work/linux.log")

base_win=$(winepath -w "$work/windows")
source_win=$(winepath -w "$work/export")
# Wine has no Jet: DoIt of the plug-in built for tests, which also takes
# the stand-in's template.
result=$(HALVAREN_LOG="$work/windows.log" wine "$windows_build/dealtext-host.exe" \
  --dll dealtext-standin.dll "$base_win\\" "$source_win" | tr -d '\r')
expected="$base_win\\TempLateTemp\\KORVA.mdb"
if [[ ${result,,} != "${expected,,}" ]]; then
  echo "windows-e2e: the Windows run returned '$result', not '$expected'" >&2
  cat "$work/windows.log" >&2 2>/dev/null || true
  exit 1
fi
windows_db=$(find "$work/windows" -maxdepth 2 -iname korva.mdb | head -1)

# One text per database: each table's columns, then its rows in stored order.
describe() {
  local db=$1
  sqlite3 "$db" "select name from sqlite_master where type = 'table' order by name collate nocase" |
    while read -r table; do
      echo "== $table"
      sqlite3 "$db" "select name, type from pragma_table_info('$table')"
      sqlite3 -cmd '.mode quote' "$db" "select * from \"$table\" order by rowid"
    done
}
describe "$linux_db" >"$work/linux.txt"
describe "$windows_db" >"$work/windows.txt"
if ! cmp -s "$work/linux.txt" "$work/windows.txt"; then
  echo "windows-e2e: the work databases differ:" >&2
  diff "$work/linux.txt" "$work/windows.txt" | head -20 >&2
  exit 1
fi
tables=$(grep -c '^== ' "$work/linux.txt")
rows=$(grep -vc '^== ' "$work/linux.txt")
echo "windows-e2e: $tables tables, $rows lines of columns and rows, identical on both forms"
