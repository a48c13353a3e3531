#!/usr/bin/env bash
# A throwaway X server (Xvfb) with a real window manager (openbox) on a free
# display number, for the tests and screenshots that need real windows.
#   x11.sh start DIR   prints the display (":N")
#   x11.sh stop DIR
set -euo pipefail
action=${1:?usage: x11.sh start|stop DIR}
dir=${2:?usage: x11.sh start|stop DIR}

wait_for() {  # seconds command...
  local tries=$(( $1 * 10 )); shift
  for _ in $(seq 1 "$tries"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

case "$action" in
start)
  command -v Xvfb >/dev/null && command -v openbox >/dev/null \
    || { echo "Xvfb or openbox not found; run scripts/install-deps.sh" >&2; exit 1; }
  mkdir -p "$dir"
  for number in $(seq 90 199); do
    [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] && continue
    Xvfb ":$number" -screen 0 1280x1024x24 -dpi 96 -nolisten tcp -noreset \
      >"$dir/xvfb.log" 2>&1 &
    echo $! > "$dir/xvfb.pid"
    if wait_for 10 xdpyinfo -display ":$number"; then
      display=":$number"
      break
    fi
    kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
  done
  [ -n "${display:-}" ] || { echo "could not start Xvfb; see $dir/xvfb.log" >&2; exit 1; }
  # openbox keeps no session and reads no user configuration of the caller.
  DISPLAY=$display XDG_CONFIG_HOME="$dir/config" openbox --sm-disable >"$dir/openbox.log" 2>&1 &
  echo $! > "$dir/openbox.pid"
  # The window manager is ready once it announces itself on the root window.
  if ! wait_for 10 sh -c "xprop -display $display -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'"; then
    echo "openbox did not start; see $dir/openbox.log" >&2
    exit 1
  fi
  echo "$display" > "$dir/display"
  echo "$display"
  ;;
stop)
  for name in openbox xvfb; do
    if [ -f "$dir/$name.pid" ]; then
      kill "$(cat "$dir/$name.pid")" 2>/dev/null || true
      rm -f "$dir/$name.pid"
    fi
  done
  ;;
*)
  echo "usage: x11.sh start|stop DIR" >&2
  exit 2
  ;;
esac
