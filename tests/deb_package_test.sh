#!/usr/bin/env bash
# The Debian package as a user gets it: made by CPack as the build's
# package target makes it, passed by lintian without errors, holding what
# cmake --install installs and nothing else; unpacked into a temporary
# root, its tool prints the build's version and makes the work database the
# build's tool makes, and its plug-in runs DoIt for a host.
#
#   tests/deb_package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2
. "$(dirname "$0")/packaged_tool.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# What the package target runs once the build is done (the tests run then).
(cd "$build" && cpack --config CPackConfig.cmake) >"$work/package.log" 2>&1 ||
  { cat "$work/package.log" >&2; echo "deb_package_test: cpack failed" >&2; exit 1; }
deb=$build/dealtext_${version}_amd64.deb
[[ -f $deb ]] || { echo "deb_package_test: no $deb" >&2; exit 1; }
[[ $(dpkg-deb -f "$deb" Package) == dealtext && $(dpkg-deb -f "$deb" Version) == "$version" ]] ||
  { echo "deb_package_test: the package is not dealtext $version" >&2; exit 1; }
echo "deb_package_test: $(basename "$deb"), Depends: $(dpkg-deb -f "$deb" Depends)"
[[ $(dpkg-deb -f "$deb" Depends) == *libc6* ]] ||
  { echo "deb_package_test: no dependencies worked out" >&2; exit 1; }

# lintian warns when run as root; its findings are what counts.
lintian --fail-on error "$deb" 2>/dev/null ||
  { echo "deb_package_test: lintian found errors" >&2; exit 1; }

# The package holds what the install rules install, under /usr.
dpkg-deb -x "$deb" "$work/root"
cmake --install "$build" --prefix "$work/install" >/dev/null
diff <(cd "$work/root/usr" && find . -type f | sort) <(cd "$work/install" && find . -type f | sort) ||
  { echo "deb_package_test: the package and cmake --install differ" >&2; exit 1; }
for file in bin/dealtext lib/dealtext/libdealtext.so lib/dealtext/liboleaut32.so \
  share/man/man1/dealtext.1.gz share/doc/dealtext/copyright share/doc/dealtext/LICENSE \
  share/doc/dealtext/README.md; do
  [[ -f $work/root/usr/$file ]] || { echo "deb_package_test: /usr/$file missing" >&2; exit 1; }
done
# Only shipping programs: nothing the tests, benchmarks or host stand-ins use.
if find "$work/root" -type f | grep -E 'Halvaren|dealtext-(host|genexport|dumpdb|readexport|joincheck|ado)|_test|standin'; then
  echo "deb_package_test: the package holds a program that is not shipped" >&2
  exit 1
fi
gzip -t "$work/root/usr/share/man/man1/dealtext.1.gz"

tool=$work/root/usr/bin/dealtext
[[ $("$tool" --version) == "$("$build/dealtext" --version)" ]] ||
  { echo "deb_package_test: '$("$tool" --version)' is not the build's version" >&2; exit 1; }
[[ $("$tool" --version) == "dealtext $version (commit "* ]] ||
  { echo "deb_package_test: '$("$tool" --version)' does not name version $version" >&2; exit 1; }

run_unpacked() { "$tool" --quiet --base "$1" --source "$2" >/dev/null; }
check_packaged_tool "$build" "$work/tool" run_unpacked

# The unpacked plug-in finds its OLE strings library beside it (the host's
# log library is the host's to give), and, loaded by the host stand-in
# placed beside it with that log library, runs DoIt.
plugin_dir=$work/root/usr/lib/dealtext
ldd "$plugin_dir/libdealtext.so" | grep -q "liboleaut32.so => $plugin_dir/liboleaut32.so" ||
  { ldd "$plugin_dir/libdealtext.so" >&2; echo "deb_package_test: the plug-in's OLE strings library is not its own" >&2; exit 1; }
cp "$build/dealtext-host" "$build/libHalvaren.so" "$plugin_dir/"
mkdir -p "$work/host/DataBase" "$work/host/TemplateTemp"
: >"$work/host/DataBase/empty.mdb"
result=$(HALVAREN_LOG="$work/host.log" "$plugin_dir/dealtext-host" "$work/host/" \
  "$(cd "$(dirname "$0")/data/export/source" && pwd)")
[[ $result == "$work/host/TemplateTemp/KORVA.mdb" ]] ||
  { echo "deb_package_test: DoIt of the unpacked plug-in returned '$result'" >&2; exit 1; }
echo "deb_package_test: lintian passed; the unpacked tool and plug-in ran"
