# Sourced by the package tests: runs a packaged tool on the bundled sample
# export and on a generated one, and compares each work database, every
# table row for row in stored order (dealtext-dumpdb), with the one the
# Linux build's own tool makes from the same export.
#
#   check_packaged_tool LINUX_BUILD WORK RUN
# RUN is a command (a shell function) called as RUN BASE SOURCE: it runs the
# packaged tool on that base directory (with DataBase/empty.mdb and
# TemplateTemp) and source directory and fails when the run fails. WORK is a
# scratch directory. Fails, naming the export, when a database differs.

check_packaged_tool() {
  local linux_build=$1 work=$2 run=$3
  local sample
  sample=$(cd "$(dirname "${BASH_SOURCE[0]}")/data/export/source" && pwd)
  "$linux_build/dealtext-genexport" --lines 2000 --seed 1 --out "$work/generated" >/dev/null
  local name source form dump
  for name in sample generated; do
    source=$work/$name
    [[ $name == sample ]] && source=$sample
    for form in build packaged; do
      mkdir -p "$work/$name-$form/DataBase" "$work/$name-$form/TemplateTemp"
      : >"$work/$name-$form/DataBase/empty.mdb"
    done
    "$linux_build/dealtext" --quiet --base "$work/$name-build/" --source "$source" >/dev/null
    "$run" "$work/$name-packaged/" "$source"
    if ! "$linux_build/dealtext-dumpdb" "$work/$name-build/TemplateTemp/KORVA.mdb" \
      "$(find "$work/$name-packaged" -maxdepth 2 -iname korva.mdb)"; then
      echo "packaged tool: the work database of the $name export differs from the build's" >&2
      return 1
    fi
    dump=$("$linux_build/dealtext-dumpdb" "$work/$name-build/TemplateTemp/KORVA.mdb")
    # A run that made no voucher lines would compare equal and prove nothing.
    if [[ $(grep -A2 -x '== PZ' <<<"$dump" | wc -l) -lt 3 ]]; then
      echo "packaged tool: the $name export gave no voucher lines" >&2
      return 1
    fi
    echo "packaged tool: the $name export's work database equals the build's" \
      "($(grep -c '^== ' <<<"$dump") tables, $(wc -l <<<"$dump") lines)"
  done
}
