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
# GCC 12 at -O3 reports false -Wrestrict overlaps inside std::string
# (GCC bug 105329); they stay warnings in this build instead of failing it.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DCMAKE_CXX_FLAGS="-Wno-error=restrict" >/dev/null
targets=(dealtext_cli dealtext dealtext_host)
have_generator=0
if [ -f bench/CMakeLists.txt ] && grep -q dealtext_genexport bench/CMakeLists.txt; then
  targets+=(dealtext_genexport)
  have_generator=1
fi
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

if ((have_generator)); then
  "$build/dealtext-genexport" --lines "$lines" --seed "$seed" --out "$sample/export" >/dev/null
else
  # A hand-made export of the seven tables (first line: the exporter's own).
  printf 'exported\r\n1,2024,101,,,,,,,Cash\r\n1,2024,101.1,,,,,,,Bank\r\n' >"$sample/export/ACCOUNTSECTIONS.TXT"
  printf 'exported\r\n1,2024,B1,1,15,100\r\n' >"$sample/export/BOOK.TXT"
  printf 'exported\r\n1,2024,B1,1,memo,101.1,,I.1,,B.1,,100,,,,,,1,,,,,,0\r\n' >"$sample/export/BOOKDETAIL.TXT"
  printf 'exported\r\n2024,B.1,,,,,,,Budget\r\n' >"$sample/export/BUDGETSECTION.TXT"
  printf 'exported\r\n1,2024,I.1,,,,,,,Item\r\n' >"$sample/export/ITEM.TXT"
  printf 'exported\r\n1,2024,E1\r\n' >"$sample/export/LOAN.TXT"
  printf 'exported\r\n1,2024,1,101.1,E1,I.1,50,B.1\r\n' >"$sample/export/REMAIN.TXT"
fi

echo "sample export:  $sample/export" >&2
echo "base directory: $sample/base/" >&2
work_db=$("$build/dealtext" --base "$sample/base/" --source "$sample/export" --log "$sample/run.log")
echo
echo "work database: $work_db"
