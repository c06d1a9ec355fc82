#!/usr/bin/env bash
# Runs the command with Qt on Wayland, as a client of a headless Weston (1280 by 1024), which places
# every window itself. Exits with the command's status, or 77 (skipped) where Weston cannot start.
XDG_RUNTIME_DIR=$(mktemp -d) && export XDG_RUNTIME_DIR WAYLAND_DISPLAY=quorvane QT_QPA_PLATFORM=wayland
weston --backend=headless-backend.so --use-pixman --socket=quorvane --width=1280 --height=1024 --idle-time=0 >"$XDG_RUNTIME_DIR/log" 2>&1 &
trap 'kill $! 2>/dev/null; wait; rm -rf "$XDG_RUNTIME_DIR"' EXIT
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/quorvane" ] || ! kill -0 $! 2>/dev/null && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/quorvane" ] || { echo "skipped: Weston did not start:" >&2; cat "$XDG_RUNTIME_DIR/log" >&2; exit 77; }
env -u DISPLAY "$@"
