#!/usr/bin/env bash
# Runs the command as a client of a headless Weston (1280 by 1024), with Qt on its Wayland platform:
# there the window system, not the program, places the windows. Exits with the command's status, or
# 77 (a skip) when Weston cannot start here.
#   scripts/with_wayland_compositor.sh COMMAND [ARGUMENTS...]
set -euo pipefail
command -v weston >/dev/null || { echo "skipped: weston is not installed" >&2; exit 77; }
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR WAYLAND_DISPLAY=quorvane-test QT_QPA_PLATFORM=wayland
trap 'kill "$compositor" 2>/dev/null; wait "$compositor" 2>/dev/null; rm -rf "$XDG_RUNTIME_DIR"' EXIT
weston --backend=headless-backend.so --use-pixman --socket="$WAYLAND_DISPLAY" --width=1280 --height=1024 \
  --idle-time=0 >"$XDG_RUNTIME_DIR/weston.log" 2>&1 &
compositor=$!
for _ in $(seq 100); do
  [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break
  kill -0 "$compositor" 2>/dev/null || break
  sleep 0.1
done
if [ ! -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ]; then
  echo "skipped: weston did not start:" >&2
  cat "$XDG_RUNTIME_DIR/weston.log" >&2
  exit 77
fi
unset DISPLAY
"$@"
