# Sourced by the scripts that build or run the Windows form under Wine:
#   . scripts/wine-env.sh [PREFIX_DIR]
# Sets up a 32-bit Wine prefix (made on first use), the zh_CN.UTF-8 locale
# that gives Wine the ANSI code page 936, and an X display (Xvfb) when none
# is set. wine_env_stop ends the Wine server and the Xvfb this started.
WINEPREFIX=${1:-${WINEPREFIX:-$HOME/.wine-dealtext}}
export WINEPREFIX
export WINEARCH=win32
export WINEDEBUG=-all
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
# No dialog asking to install Mono or Gecko: the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

_wine_env_xvfb=
if [[ -z ${DISPLAY:-} ]]; then
  for display in 97 98 99 96 95; do
    if [[ ! -e /tmp/.X11-unix/X$display && ! -e /tmp/.X$display-lock ]]; then
      Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      _wine_env_xvfb=$!
      export DISPLAY=":$display"
      for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
      break
    fi
  done
fi

# Wine's background services inherit the output of the first wine command:
# start them here with output to /dev/null, so that a test runner that
# captures a test's output is not kept waiting by a server holding its pipe.
wineboot -i >/dev/null 2>&1 </dev/null || true
wineserver -p >/dev/null 2>&1 </dev/null || true

wine_env_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [[ -n $_wine_env_xvfb ]]; then
    kill "$_wine_env_xvfb" 2>/dev/null || true
    wait "$_wine_env_xvfb" 2>/dev/null || true
  fi
}
