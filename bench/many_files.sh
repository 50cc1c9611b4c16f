#!/usr/bin/env bash
# Benchmark: how the run's time grows with the number of source files. A
# small export of the seven tables, and beside it N small .txt files of an
# unknown name (a header and two lines each), is run through the tool for
# each N; the time per file should stay about the same, so that 20,000
# files take at most 25 times as long as 1,000. The tool runs as a user runs
# it, its table summary included.
#
#   bench/many_files.sh [--files "1000 2000 4000 20000"] [--build DIR]
#
# --build names a build folder whose tool is used as it stands (for
# comparing two builds); by default a Release tool is built in build-release.
# A build of the Windows form (dealtext.exe) runs under Wine, set up first:
#   . scripts/wine-env.sh build-win/wine; bench/many_files.sh --build build-win
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
counts="1000 2000 4000 20000"
build=
while (($#)); do
  case $1 in
    --files) counts=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    -h|--help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "bench/many_files.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

if [ -z "$build" ]; then
  ./scripts/install-deps.sh
  build=$root/build-release
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)" --target dealtext_cli dealtext_genexport >/dev/null
fi
tool=("$build/dealtext")
genexport=("$build/dealtext-genexport")
if [ ! -x "$build/dealtext" ] && [ -f "$build/dealtext.exe" ]; then
  tool=(wine "$build/dealtext.exe")
  genexport=(wine "$build/dealtext-genexport.exe")
fi
command -v /usr/bin/time >/dev/null || { apt-get update -qq && apt-get install -y -qq time >/dev/null; }

work=$root/bench/out/many-files
rm -rf "$work"
mkdir -p "$work/export"
"${genexport[@]}" --lines 1000 --seed 1 --out "$work/export" >/dev/null

# Wall time, and the processor time it took (user + system), which other
# work on the machine does not inflate.
printf '%8s %10s %14s %8s %10s %8s\n' files "wall (s)" "ms per file" ratio "cpu (s)" ratio
first_wall=
first_cpu=
first_files=
for n in $counts; do
  source=$work/source-$n
  base=$work/base-$n
  mkdir -p "$source" "$base/DataBase" "$base/TemplateTemp"
  : >"$base/DataBase/empty.mdb"
  cp "$work/export"/* "$source/"
  for ((i = 1; i <= n; i++)); do
    printf 'A,B,C\r\n%d,x,y\r\n%d,z,w\r\n' "$i" "$i" >"$source/small$i.txt"
  done
  /usr/bin/time -f '%e %U %S' -o "$work/time-$n" \
    "${tool[@]}" --base "$base/" --source "$source" >/dev/null 2>"$work/err-$n" || {
    echo "the tool failed on $n files:" >&2
    tail -n 5 "$work/err-$n" >&2
    exit 1
  }
  read -r wall user system <"$work/time-$n"
  cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')
  if [ -z "$first_wall" ]; then
    first_wall=$wall
    first_cpu=$cpu
    first_files=$n
  fi
  awk -v n="$n" -v w="$wall" -v fw="$first_wall" -v c="$cpu" -v fc="$first_cpu" \
    -v fn="$first_files" 'BEGIN {
    printf "%8d %10.2f %14.2f %8.1f %10.2f %8.1f\n", n, w, 1000 * w / n, (fw > 0 ? w / fw : 0),
      c, (fc > 0 ? c / fc : 0)
    if (n == 20 * fn && w > 25 * fw) exit 1
  }' || echo "note: $n files took more than 25 times as long as $first_files" >&2
  rm -rf "$source" "$base"
done
