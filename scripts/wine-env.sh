# Sourced by the scripts that build or run the Windows form under Wine:
#   . scripts/wine-env.sh [PREFIX_DIR]
# Sets up a 32-bit Wine prefix (made on first use), the zh_CN.UTF-8 locale
# that gives Wine the ANSI code page 936, and an X display of its own (Xvfb)
# when none is set. wine_env_stop ends the Wine server and that Xvfb.
WINEPREFIX=${1:-${WINEPREFIX:-$HOME/.wine-dealtext}}
export WINEPREFIX
export WINEARCH=win32
export WINEDEBUG=-all
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
# No dialog asking to install Mono or Gecko: nothing here needs either. No
# debugger either: a program that crashes ends at once instead of waiting in
# winedbg for someone to look.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

_wine_env_xvfb=
_wine_env_scratch=
if [[ -z ${DISPLAY:-} ]]; then
  # A display of its own, whatever displays are in use: Xvfb picks a free
  # number and writes it to the descriptor given.
  _wine_env_scratch=$(mktemp -d)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$_wine_env_scratch/display" \
    >/dev/null 2>&1 &
  _wine_env_xvfb=$!
  for _ in $(seq 100); do [[ -s $_wine_env_scratch/display ]] && break; sleep 0.1; done
  if [[ -s $_wine_env_scratch/display ]]; then
    export DISPLAY=":$(tr -d '[:space:]' <"$_wine_env_scratch/display")"
  else
    echo "wine-env.sh: Xvfb did not start; window tests will be skipped" >&2
  fi
fi

# Wine's background services inherit the output of the first wine command:
# start them here with output to /dev/null, so that a test runner that
# captures a test's output is not kept waiting by a server holding its pipe.
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1 </dev/null || true
wineserver -p >/dev/null 2>&1 </dev/null || true

# Xvfb has no window manager: Wine draws captions and frames itself, and
# does not wait (about 2 s a window) for a manager to take or release them.
_wine_env_x11="HKCU\\Software\\Wine\\X11 Driver"
wine reg add "$_wine_env_x11" /v Decorated /d N /f >/dev/null 2>&1 </dev/null || true
wine reg add "$_wine_env_x11" /v Managed /d N /f >/dev/null 2>&1 </dev/null || true
# The caption's close box is a glyph of the Marlett font, which Debian's Wine
# keeps outside the prefix.
_wine_env_fonts=$WINEPREFIX/drive_c/windows/Fonts
if [[ -f /usr/share/wine/fonts/marlett.ttf && ! -f $_wine_env_fonts/marlett.ttf ]]; then
  mkdir -p "$_wine_env_fonts"
  cp /usr/share/wine/fonts/marlett.ttf "$_wine_env_fonts/"
fi

wine_env_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [[ -n $_wine_env_xvfb ]]; then
    kill "$_wine_env_xvfb" 2>/dev/null || true
    wait "$_wine_env_xvfb" 2>/dev/null || true
    _wine_env_xvfb=
  fi
  if [[ -n $_wine_env_scratch ]]; then
    rm -rf "$_wine_env_scratch"
    _wine_env_scratch=
  fi
}
