# Shared by scripts/test and scripts/demo: the Wine environment, a virtual
# display when none is given, and one wineserver for the whole run.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Gecko or Mono on these machines: keep Wine from offering to download them.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mshtml=d;mscoree=d}
export WINEARCH=win32

launcher_xvfb_pid=""

start_display() {
  if [ -n "${DISPLAY:-}" ]; then return; fi
  local n=99
  while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
  Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  launcher_xvfb_pid=$!
  export DISPLAY=:$n
  for _ in $(seq 50); do
    [ -e /tmp/.X11-unix/X$n ] && return
    sleep 0.1
  done
  echo "Xvfb did not start on :$n" >&2
  return 1
}

start_wine() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating the Wine prefix $WINEPREFIX (once, about 15 s)"
    mkdir -p "$(dirname "$WINEPREFIX")"
    LC_ALL=zh_CN.UTF-8 wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  wineserver -p
  # Start the prefix's helper processes now, detached from our output, so no
  # test's pipe is inherited by them.
  LC_ALL=zh_CN.UTF-8 wine wineboot </dev/null >/dev/null 2>&1 || true
}

stop_all() {
  wineserver -k 2>/dev/null || true
  if [ -n "$launcher_xvfb_pid" ]; then
    kill "$launcher_xvfb_pid" 2>/dev/null || true
    wait "$launcher_xvfb_pid" 2>/dev/null || true
  fi
}
