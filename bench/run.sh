#!/usr/bin/env bash
# Benchmark: generates a realistic export of N voucher lines (cached by N and
# seed), runs the tool on it and, on the same staged files, the reference:
# the sqlite3 shell importing them with `.import --csv` into a fresh database
# and running the derived-table and clean-up SQL set-based. Prints one table.
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
    -h|--help) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "bench/run.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

./scripts/install-deps.sh
command -v /usr/bin/time >/dev/null || { apt-get update -qq && apt-get install -y -qq time >/dev/null; }

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

# The reference on the staged files the tool left behind.
ref_db=$work/reference.db
{
  for f in "$work"/base/TemplateTemp/*; do
    case ${f,,} in *.txt) ;; *) continue ;; esac
    name=$(basename "$f")
    echo ".import --csv '$f' ${name%.*}"
  done
  cat "$root/bench/reference/derive_and_clean.sql"
} >"$work/reference.sql"
/usr/bin/time -f '%e %M' -o "$work/ref.time" sqlite3 "$ref_db" <"$work/reference.sql" >/dev/null
read -r ref_wall ref_rss_kb <"$work/ref.time"

rows=$(grep -c '' "$export_dir/BOOKDETAIL.TXT" || true)
printf '\n%-28s %12s\n' "export" "$lines voucher lines, seed $seed"
printf '%-28s %12s\n' "tool wall time (s)" "$tool_wall"
printf '%-28s %12s\n' "tool peak RSS (MB)" "$((tool_rss_kb / 1024))"
grep -E '^phase ' "$work/tool.err" | while read -r _ name secs; do
  printf '  %-26s %12s\n' "$name (s)" "$secs"
done
awk -v r="$rows" -v t="$tool_wall" 'BEGIN { if (t > 0) printf "%-28s %12d\n", "voucher lines per second", r / t }'
printf '%-28s %12s\n' "reference wall time (s)" "$ref_wall"
printf '%-28s %12s\n' "reference peak RSS (MB)" "$((ref_rss_kb / 1024))"
awk -v t="$tool_wall" -v r="$ref_wall" 'BEGIN { if (r > 0) printf "%-28s %12.2f\n", "ratio tool / reference", t / r }'
