#!/usr/bin/env bash
# The archive for the host's administrator, as it is handed over: made by
# CPack as the Windows build's package target makes it, holding the
# shipping DLL, the tool, the check script, the install note and the
# licences and nothing else; unzipped, its DLL's version resource names
# this build's version and commit, and its tool, run under Wine, prints
# the Linux build's version and makes the work database the Linux build's
# tool makes.
#
#   tests/win32_archive_test.sh LINUX_BUILD_DIR WINDOWS_BUILD_DIR VERSION
# Needs WINEPREFIX (scripts/wine-env.sh sets it).
set -euo pipefail
linux_build=$(cd "$1" && pwd)
windows_build=$(cd "$2" && pwd)
version=$3
. "$(dirname "$0")/packaged_tool.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# What the package target runs once the build is done (the tests run then).
(cd "$windows_build" && cpack --config CPackConfig.cmake) >"$work/package.log" 2>&1 ||
  { cat "$work/package.log" >&2; echo "win32_archive_test: cpack failed" >&2; exit 1; }
name=dealtext-$version-win32
archive=$windows_build/$name.zip
[[ -f $archive ]] || { echo "win32_archive_test: no $archive" >&2; exit 1; }
unzip -l "$archive"

expected="$name/INSTALL.txt
$name/LICENSE.txt
$name/THIRD-PARTY-NOTICES.txt
$name/check-jet.js
$name/dealtext.dll
$name/dealtext.exe"
listed=$(unzip -Z1 "$archive" | grep -v '/$' | LC_ALL=C sort)
[[ $listed == "$expected" ]] ||
  { echo "win32_archive_test: the archive holds other files:" >&2; diff <(echo "$expected") <(echo "$listed") >&2; exit 1; }

unzip -q "$archive" -d "$work/unzipped"
folder=$work/unzipped/$name
cmp -s "$folder/check-jet.js" "$(dirname "$0")/../scripts/check-jet.js" ||
  { echo "win32_archive_test: check-jet.js is not the project's" >&2; exit 1; }
# The install note for Notepad: UTF-8 with its byte-order mark, Windows line
# ends, the version filled in, the host log's failure message as it is.
note=$folder/INSTALL.txt
[[ $(head -c 3 "$note" | od -An -tx1 | tr -d ' ') == efbbbf ]] ||
  { echo "win32_archive_test: INSTALL.txt has no byte-order mark" >&2; exit 1; }
[[ $(grep -c $'\r$' "$note") -eq $(wc -l <"$note") ]] ||
  { echo "win32_archive_test: INSTALL.txt has lines without CR LF" >&2; exit 1; }
for text in "dealtext $version for Windows" "数据预处理出现异常！" "cscript //nologo check-jet.js"; do
  grep -qF "$text" "$note" || { echo "win32_archive_test: INSTALL.txt lacks '$text'" >&2; exit 1; }
done
grep -q "Copyright (c)" "$folder/LICENSE.txt"
for notice in "May you do good and not evil" "Upstream-Name: CLI11" "winpthreads"; do
  grep -qF "$notice" "$folder/THIRD-PARTY-NOTICES.txt" ||
    { echo "win32_archive_test: the notices lack '$notice'" >&2; exit 1; }
done

# The archived DLL's version resource, through the system's version API.
status=0
read_back=$(DEALTEXT_VERSIONED_FILE=$(winepath -w "$folder/dealtext.dll") \
  wine "$windows_build/version_resource_test.exe" 2>&1) || status=$?
tr -d '\r' <<<"$read_back" | tail -3
((status == 0)) || { echo "win32_archive_test: the version resource is wrong" >&2; exit 1; }

tool=$folder/dealtext.exe
tool_version=$(wine "$tool" --version | tr -d '\r')
[[ $tool_version == "$("$linux_build/dealtext" --version)" ]] ||
  { echo "win32_archive_test: '$tool_version' is not the Linux build's version" >&2; exit 1; }
[[ $tool_version == "dealtext $version (commit "* ]] ||
  { echo "win32_archive_test: '$tool_version' does not name version $version" >&2; exit 1; }
echo "$tool_version"

run_archived() {
  wine "$tool" --quiet --base "$(winepath -w "$1")" --source "$(winepath -w "$2")" >/dev/null
}
check_packaged_tool "$linux_build" "$work/tool" run_archived
echo "win32_archive_test: the archived tool matches the Linux build"
