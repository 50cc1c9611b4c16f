#!/usr/bin/env bash
# Builds dealtext (Release), makes a sample export and a base directory under
# ./sample/, runs the command-line tool on them and prints where the work
# database is.
#
#   ./run.sh [--lines N] [--seed S]     (voucher lines of the sample; default 2000, seed 1)
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
lines=2000
seed=1
while (($#)); do
  case $1 in
    --lines) lines=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    -h|--help) sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

./scripts/install-deps.sh

build=$root/build-release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
targets=(dealtext_cli dealtext dealtext_host dealtext_genexport)
echo "building ${targets[*]} in $build ..." >&2
if ! cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}" \
  >"$build/run-sh-build.log" 2>&1; then
  tail -40 "$build/run-sh-build.log" >&2
  echo "run.sh: the build failed (full output: $build/run-sh-build.log)" >&2
  exit 1
fi

sample=$root/sample
rm -rf "$sample"
mkdir -p "$sample/export" "$sample/base/DataBase" "$sample/base/TemplateTemp"
: >"$sample/base/DataBase/empty.mdb"

"$build/dealtext-genexport" --lines "$lines" --seed "$seed" --out "$sample/export" >/dev/null

echo "sample export:  $sample/export" >&2
echo "base directory: $sample/base/" >&2
work_db=$("$build/dealtext" --base "$sample/base/" --source "$sample/export" --log "$sample/run.log")
echo
echo "work database: $work_db"
