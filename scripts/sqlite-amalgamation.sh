#!/usr/bin/env bash
# Makes SQLite's amalgamation (sqlite3.c, sqlite3.h) in DIR from Debian's
# sqlite3 source package, for the builds of both forms.
#
#   scripts/sqlite-amalgamation.sh DIR
set -euo pipefail
out=$1
if [[ -f $out/sqlite3.c && -f $out/sqlite3.h ]]; then exit 0; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# Tried a few times: another apt (an install running beside) may hold its
# locks for a while.
fetched=0
for attempt in 1 2 3 4 5; do
  if apt-get source -qq sqlite3 >"$work/source.log" 2>&1; then
    fetched=1
    break
  fi
  sleep $((attempt * 5))
done
((fetched)) || {
  cat "$work/source.log" >&2
  echo "sqlite-amalgamation.sh: apt-get source sqlite3 failed (is a deb-src entry set up? scripts/install-deps.sh does it)" >&2
  exit 1
}
src=$(find "$work" -maxdepth 1 -type d -name 'sqlite3-*' | head -1)
mkdir build
cd build
# The amalgamation is made by tools built for this machine: whatever
# compiler a cross build has in the environment is not for them.
unset CC CXX CPP CFLAGS CXXFLAGS CPPFLAGS LDFLAGS
if ! CC=cc "$src/configure" --disable-tcl >configure.log 2>&1; then
  tail -20 configure.log >&2
  echo "sqlite-amalgamation.sh: configure failed" >&2
  exit 1
fi
if ! make -j"$(nproc 2>/dev/null || echo 2)" sqlite3.c >make.log 2>&1; then
  tail -20 make.log >&2
  echo "sqlite-amalgamation.sh: making sqlite3.c failed" >&2
  exit 1
fi
mkdir -p "$out"
cp sqlite3.c sqlite3.h "$out/"
echo "sqlite-amalgamation.sh: made $out/sqlite3.c from $(basename "$src")" >&2
