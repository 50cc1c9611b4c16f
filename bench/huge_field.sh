#!/usr/bin/env bash
# Benchmark: the peak memory of one record holding one huge quoted field
# (line breaks, commas and doubled quotes inside), read by the text driver's
# reader alone and imported into a database, for ASCII text and for code
# page 936 text. A record should cost about three times its size at most.
#
#   bench/huge_field.sh [--megabytes N]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
megabytes=200
while (($#)); do
  case $1 in
    --megabytes) megabytes=$2; shift 2 ;;
    -h|--help) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "bench/huge_field.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

./scripts/install-deps.sh
command -v /usr/bin/time >/dev/null || { apt-get update -qq && apt-get install -y -qq time >/dev/null; }

build=$root/build-release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target dealtext_readexport >/dev/null

work=$root/bench/out/huge-field
rm -rf "$work"
mkdir -p "$work"
bytes=$((megabytes * 1000 * 1000))

# One file per kind of text: a header, the huge record, one short record.
# `yes` repeats a line, so the field holds a line break every few bytes.
make_file() {  # NAME LINE
  {
    printf 'A,B,C\r\n1,"'
    { yes "$2" || true; } | head -c "$bytes"
    printf '",z\r\n2,short,x\r\n'
  } >"$work/$1.txt"
}
make_file ascii 'pay, "" cash'
make_file cp936 "$(printf '\xd6\xa7\xb8\xb6\xa3\xac\xcf\xd6\xbd\xf0')"  # 支付，现金 in code page 936

printf '\n%-34s %12s %12s\n' "one ${megabytes} MB field" "peak RSS MB" "x record"
for kind in ascii cp936; do
  for how in read import; do
    args=()
    [ "$how" = import ] && { rm -f "$work/$kind.db"; args=(--import "$work/$kind.db"); }
    /usr/bin/time -f '%M' -o "$work/time" \
      "$build/dealtext-readexport" "${args[@]}" "$work/$kind.txt" >/dev/null
    rss_kb=$(tail -n 1 "$work/time")
    awk -v k="$kind, $how" -v r="$rss_kb" -v b="$bytes" \
      'BEGIN { printf "%-34s %12d %12.2f\n", k, r / 1024, r * 1024 / b }'
  done
done
rm -rf "$work"
