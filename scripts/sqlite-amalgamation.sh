#!/usr/bin/env bash
# Makes SQLite's amalgamation (sqlite3.c, sqlite3.h) in DIR from Debian's
# sqlite3 source package, for the Windows build.
#
#   scripts/sqlite-amalgamation.sh DIR
set -euo pipefail
out=$1
if [[ -f $out/sqlite3.c && -f $out/sqlite3.h ]]; then exit 0; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# A second try: the package lists may be in use by another apt for a moment.
apt-get source -qq sqlite3 >"$work/source.log" 2>&1 || { sleep 5 && apt-get source -qq sqlite3 >"$work/source.log" 2>&1; } || {
  cat "$work/source.log" >&2
  echo "sqlite-amalgamation.sh: apt-get source sqlite3 failed (is a deb-src entry set up? scripts/install-deps.sh --windows does it)" >&2
  exit 1
}
src=$(find "$work" -maxdepth 1 -type d -name 'sqlite3-*' | head -1)
mkdir build
cd build
"$src/configure" --disable-tcl >configure.log 2>&1
make -j"$(nproc 2>/dev/null || echo 2)" sqlite3.c >make.log 2>&1
mkdir -p "$out"
cp sqlite3.c sqlite3.h "$out/"
echo "sqlite-amalgamation.sh: made $out/sqlite3.c from $(basename "$src")" >&2
