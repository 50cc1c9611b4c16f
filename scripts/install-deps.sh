#!/usr/bin/env bash
# Installs the Debian packages the project builds and runs with, when missing.
#
#   scripts/install-deps.sh             the Linux build (with Debian's sources
#                                       of SQLite, which both forms compile)
#   scripts/install-deps.sh --windows   and the Windows form: the mingw-w64
#                                       cross compiler, Wine (32-bit), Xvfb, a
#                                       CJK font, Debian's sources of
#                                       GoogleTest, the zh_CN.UTF-8 locale
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

# lintian and unzip check the packages the build makes (dpkg-dev's
# dpkg-shlibdeps works out the Debian package's dependencies).
packages=(cmake g++ make pkg-config sqlite3 libgtest-dev libcli11-dev locales dpkg-dev tcl
  lintian unzip)
windows=0
if [[ ${1:-} == --windows ]]; then
  windows=1
  packages+=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine32:i386 xvfb
    fonts-wqy-zenhei googletest imagemagick)
fi

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

updated_needed=0
if ((windows)); then
  # wine32 is an i386 package.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    rm -f /tmp/dealtext-apt-updated
  fi
fi
# The SQLite amalgamation comes from Debian's source package, which needs a
# deb-src entry.
sources=/etc/apt/sources.list.d/dealtext-src.sources
if [[ ! -f $sources ]]; then
  $SUDO tee "$sources" >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  rm -f /tmp/dealtext-apt-updated
fi
[[ -f /tmp/dealtext-apt-updated ]] || updated_needed=1

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
if ((${#missing[@]})) || ((updated_needed)); then
  $SUDO apt-get update -qq
  touch /tmp/dealtext-apt-updated
fi
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}" >&2
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Locales: an 8-bit one, for the tests that prove text handling does not
# follow the process locale; and, for the Windows form, zh_CN.UTF-8, since
# Wine takes its ANSI code page from the locale (936 needs zh_CN). Both are
# named in locale.gen and made by one locale-gen, which drops any locale not
# named there.
wanted=("de_DE ISO-8859-1:de_DE.iso88591")
((windows)) && wanted+=("zh_CN.UTF-8 UTF-8:zh_CN.utf8")
regenerate=0
for entry in "${wanted[@]}"; do
  line=${entry%%:*}
  name=${entry##*:}
  if ! grep -qx "$line" /etc/locale.gen; then
    if grep -qx "# *$line" /etc/locale.gen; then
      $SUDO sed -i "s/^# *$line\$/$line/" /etc/locale.gen
    else
      echo "$line" | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
    regenerate=1
  fi
  locale -a 2>/dev/null | grep -qix "$name" || regenerate=1
done
if ((regenerate)); then
  $SUDO locale-gen >/dev/null
fi
