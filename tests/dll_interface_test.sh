#!/usr/bin/env bash
# The Windows DLL's binary interface, as the host's loader sees it:
# exactly one export, DoIt, at ordinal 1, under its plain name (no stdcall
# decoration), WriteLog imported from Halvaren.dll by its plain name, and
# nothing imported but that and DLLs every Windows has (the compiler's
# runtimes are linked in; ADO is reached through COM, not imported).
#
#   tests/dll_interface_test.sh OBJDUMP DLL
set -euo pipefail
# objdump speaks the locale's language; its headings are read here in English.
export LC_ALL=C
objdump=$1
dll=$2
headers=$("$objdump" -p "$dll")
fail() {
  echo "dll_interface_test: $*" >&2
  echo "$headers" | sed -n '/Export Address Table/,/^$/p;/Ordinal\/Name Pointer/,/^$/p' >&2
  exit 1
}

# [Ordinal/Name Pointer] Table lines: "\t[   0] DoIt" (objdump shows the
# ordinal base separately; the table index 0 is ordinal 1 with base 1).
exports=$(echo "$headers" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  grep -E '^[[:space:]]*\[ *[0-9]+\]' || true)
[[ $(echo "$exports" | grep -c .) -eq 1 ]] || fail "expected exactly one named export, got: $exports"
[[ $exports =~ \]\ DoIt$ ]] || fail "the export is not named DoIt: $exports"
echo "$headers" | grep -q 'DoIt@' && fail "a decorated DoIt@ name is exported"
# Nothing exported by ordinal alone either.
addresses=$(echo "$headers" | sed -n '/^Export Address Table -- Ordinal Base/,/^$/p' | grep -c 'Export RVA' || true)
[[ $addresses -eq 1 ]] || fail "expected one entry in the export address table, got $addresses"
base=$(echo "$headers" | sed -n 's/^Ordinal Base[[:space:]]*\([0-9]*\).*/\1/p')
[[ $base == 1 ]] || fail "ordinal base is '$base', so DoIt is not ordinal 1"

imports=$(echo "$headers" | sed -n '/DLL Name: Halvaren.dll/,/^$/p')
[[ -n $imports ]] || fail "nothing is imported from Halvaren.dll"
echo "$imports" | grep -Eq '^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+WriteLog$' ||
  fail "WriteLog is not imported by its plain name: $imports"
allowed=" kernel32.dll user32.dll gdi32.dll comctl32.dll shell32.dll msvcrt.dll ole32.dll oleaut32.dll halvaren.dll "
for name in $(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
  [[ $allowed == *" ${name,,} "* ]] || fail "imports $name, which is not a system DLL"
done
echo "dll_interface_test: DoIt exported at ordinal 1, WriteLog imported from Halvaren.dll, only system DLLs besides"
