#!/usr/bin/env bash
# Benchmark: generates a realistic export of N voucher lines (cached by N and
# seed), runs the tool on it and, on the same staged files, two references
# doing the same job set-based: the sqlite3 shell importing them with
# `.import --csv` into a fresh database, and DuckDB (from npm, in Node.js)
# importing them with read_csv after iconv to UTF-8. Checks DuckDB's row
# counts against the tool's work database and prints one table.
#
#   bench/run.sh [--lines N] [--seed S]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
lines=100000
seed=1
while (($#)); do
  case $1 in
    --lines) lines=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    -h|--help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "bench/run.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

./scripts/install-deps.sh
missing=()
command -v /usr/bin/time >/dev/null || missing+=(time)
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
if ((${#missing[@]})); then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# DuckDB's Node.js client, pinned; its Linux binary ships inside the package.
duckdb_version=1.5.6-r.1
duckdb=$root/bench/cache/duckdb-$duckdb_version
if [ ! -f "$duckdb/.complete" ]; then
  rm -rf "$duckdb"
  mkdir -p "$duckdb"
  npm install --prefix "$duckdb" --no-audit --no-fund --loglevel=error "@duckdb/node-api@$duckdb_version" >/dev/null
  touch "$duckdb/.complete"
fi

build=$root/build-release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target dealtext_cli dealtext_genexport >/dev/null

export_dir=$root/bench/cache/lines-$lines-seed-$seed
if [ ! -f "$export_dir/.complete" ]; then
  rm -rf "$export_dir"
  mkdir -p "$export_dir"
  "$build/dealtext-genexport" --lines "$lines" --seed "$seed" --out "$export_dir" >/dev/null
  touch "$export_dir/.complete"
fi

work=$root/bench/out/lines-$lines
rm -rf "$work"
mkdir -p "$work/base/DataBase" "$work/base/TemplateTemp"
: >"$work/base/DataBase/empty.mdb"

# The tool: wall time and peak RSS from /usr/bin/time, phases from its log.
/usr/bin/time -f '%e %M' -o "$work/tool.time" \
  "$build/dealtext" --base "$work/base/" --source "$export_dir" >"$work/tool.out" 2>"$work/tool.err" || {
  echo "the tool failed:" >&2
  cat "$work/tool.err" >&2
  exit 1
}
read -r tool_wall tool_rss_kb <"$work/tool.time"

staged=()
for f in "$work"/base/TemplateTemp/*; do
  case ${f,,} in *.txt) staged+=("$f") ;; esac
done

# The sqlite3 shell: the SQL after the imports is timed statement by statement
# (.timer does not time .import), the import is the rest of its wall time.
ref_db=$work/reference.db
{
  for f in "${staged[@]}"; do
    name=$(basename "$f")
    echo ".import --csv '$f' ${name%.*}"
  done
  # .import keeps an empty field as '', where the tool's text driver (and
  # DuckDB's read_csv) read NULL: without this the joins on empty codes
  # would match each other and the reference would do a larger job.
  for f in "${staged[@]}"; do
    name=$(basename "$f")
    IFS=, read -r -a columns < <(head -n 1 "$f" | tr -d '\r')
    sets=()
    for c in "${columns[@]}"; do sets+=("\"$c\" = NULLIF(\"$c\", '')"); done
    (IFS=,; echo "UPDATE \"${name%.*}\" SET ${sets[*]};")
  done
  echo ".timer on"
  cat "$root/bench/reference/derive_and_clean.sql"
} >"$work/reference.sql"
/usr/bin/time -f '%e %M' -o "$work/ref.time" sqlite3 "$ref_db" <"$work/reference.sql" >"$work/ref.out"
read -r ref_wall ref_rss_kb <"$work/ref.time"
ref_sql=$(awk '/^Run Time: real / { s += $4 } END { printf "%.3f", s }' "$work/ref.out")

# DuckDB: iconv, the imports, the SQL and the checkpoint are timed inside;
# what is left of the wall time is Node.js starting, loading DuckDB, exiting.
mkdir -p "$work/duckdb"
duck_db=$work/duckdb/reference.duckdb
/usr/bin/time -f '%e %M' -o "$work/duck.time" \
  node "$root/bench/duckdb/reference.mjs" run "$duckdb" "$duck_db" \
  "$root/bench/reference/derive_and_clean.duckdb.sql" "$work/duckdb" "${staged[@]}" >"$work/duck.out"
read -r duck_wall duck_rss_kb <"$work/duck.time"

# Row counts: DuckDB's must be the tool's, or its time means nothing.
tables=(ACCOUNTSECTIONS BOOK BOOKDETAIL BUDGETSECTION ITEM LOAN REMAIN KMYE PZ aidInfo)
count_sqlite() {
  local t query=""
  for t in "${tables[@]}"; do
    query+="${query:+ UNION ALL }SELECT '$t', count(*) FROM $t"
  done
  sqlite3 -separator ' ' "$1" "$query;"
}
count_sqlite "$work/base/TemplateTemp/KORVA.mdb" >"$work/tool.counts"
node "$root/bench/duckdb/reference.mjs" count "$duckdb" "$duck_db" "${tables[@]}" >"$work/duck.counts"
if ! diff "$work/tool.counts" "$work/duck.counts" >"$work/counts.diff"; then
  echo "bench/run.sh: DuckDB's row counts differ from the tool's (< tool, > DuckDB):" >&2
  cat "$work/counts.diff" >&2
  exit 1
fi
count_sqlite "$ref_db" >"$work/ref.counts"
ref_counts=match
if ! cmp -s "$work/tool.counts" "$work/ref.counts"; then
  ref_counts=differ
  echo "note: the sqlite3 shell's row counts differ from the tool's (tool, sqlite3):" >&2
  paste -d ' ' "$work/tool.counts" "$work/ref.counts" | awk '$2 != $4 { print $1, $2, $4 }' >&2
fi

# One table: a column per system, the phases below in the order they run.
rows=$(grep -c '' "$export_dir/BOOKDETAIL.TXT" || true)
row() { printf '%-28s %10s %10s %10s\n' "$@" | sed 's/ *$//'; }
per_second() { awk -v r="$rows" -v t="$1" 'BEGIN { if (t > 0) printf "%d", r / t }'; }
ratio() { awk -v t="$tool_wall" -v r="$1" 'BEGIN { if (r > 0) printf "%.2f", t / r }'; }
echo
echo "export: $lines voucher lines, seed $seed"
row "" tool sqlite3 DuckDB
row "wall time (s)" "$tool_wall" "$ref_wall" "$duck_wall"
row "peak RSS (MB)" "$((tool_rss_kb / 1024))" "$((ref_rss_kb / 1024))" "$((duck_rss_kb / 1024))"
row "voucher lines per second" "$(per_second "$tool_wall")" "$(per_second "$ref_wall")" "$(per_second "$duck_wall")"
row "ratio tool / reference" "" "$(ratio "$ref_wall")" "$(ratio "$duck_wall")"
row "row counts as the tool's" "" "$ref_counts" match
echo "phases (s)"
{
  grep -E '^phase ' "$work/tool.err" | sed 's/^phase/1/'
  awk -v w="$ref_wall" -v s="$ref_sql" 'BEGIN { printf "2 import %.3f\n2 sql %.3f\n", w - s, s }'
  sed 's/^phase/3/' "$work/duck.out"
  awk -v w="$duck_wall" '{ s += $3 } END { printf "3 start-up %.3f\n", w - s }' "$work/duck.out"
} | awk '
  BEGIN {
    n = split("lock discovery checks template-copy staging iconv start-up import " \
              "account-codes derived-tables cleanup sql save total", order, " ")
    for (i = 1; i <= n; i++) known[order[i]] = 1
    label["sql"] = "SQL after the import"
  }
  {
    v[$2, $1] = $3
    if (!($2 in known)) { known[$2] = 1; order[++n] = $2 }
    if ($2 ~ /^(account-codes|derived-tables|cleanup)$/) sum[$1] += $3
  }
  END {
    for (c = 1; c <= 3; c++) if (!(("sql", c) in v) && (c in sum)) v["sql", c] = sprintf("%.3f", sum[c])
    for (i = 1; i <= n; i++) {
      name = order[i]
      if (!((name, 1) in v) && !((name, 2) in v) && !((name, 3) in v)) continue
      line = sprintf("  %-26s %10s %10s %10s", (name in label ? label[name] : name), v[name, 1], v[name, 2], v[name, 3])
      sub(/ +$/, "", line)
      print line
    }
  }'
