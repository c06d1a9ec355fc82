#!/usr/bin/env bash
# Runs the command on a virtual display of 1280 by 1024 whose windows openbox manages, as on a real
# desktop: frames, docking and dialogs depend on a window manager. Exits with the command's status.
#   scripts/with_window_manager.sh COMMAND [ARGUMENTS...]
set -euo pipefail
export QT_QPA_PLATFORM=xcb
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  openbox >/dev/null 2>&1 &
  manager=$!
  sleep 1
  status=0
  "$@" || status=$?
  kill "$manager" 2>/dev/null || true
  exit "$status"' with_window_manager "$@"
