# Shared by the scripts: paths, the Wine environment and the helpers that
# start and stop the display and the Wine server.  Source it, do not run it.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
# Third-party libraries cross-built for the target live outside the tree and
# survive a `rm -rf build`.
DEPS_DIR=${ZELK_DEPS_DIR:-${XDG_CACHE_HOME:-${HOME:-/root}/.cache}/zelk-deps}
export ZELK_DEPS_DIR="$DEPS_DIR"   # the win32 preset reads it
export WINEPREFIX=${WINEPREFIX:-$BUILD/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

log() { printf '== %s\n' "$*" >&2; }

# Starts Xvfb on a free display and one persistent wine server; both are
# stopped by stop_wine_env (the scripts install it as an EXIT trap).
XVFB_PID=
start_wine_env() {
  if [ -z "${DISPLAY:-}" ] || [ -n "${ZELK_OWN_DISPLAY:-1}" ]; then
    local n
    for n in $(seq 90 140); do
      [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      XVFB_PID=$!
      export DISPLAY=":$n"
      local i
      for i in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
      done
      kill -0 "$XVFB_PID" 2>/dev/null && break
      XVFB_PID=
    done
  fi
  setsid wineserver -p >/dev/null 2>&1 </dev/null &
  # The first process of a fresh server brings up the prefix's services
  # (and may update the prefix); let that happen before anything is timed.
  timeout 300 wine cmd.exe /c exit >/dev/null 2>&1 || true
}

stop_wine_env() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
}
