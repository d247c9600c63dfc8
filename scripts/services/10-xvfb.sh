#!/usr/bin/env bash
# Virtual display :99 for tests that need a real X server.
set -euo pipefail
source "$(dirname "$0")/common.inc"
pidf=$TAMBERLINE_SERVICES/xvfb.pid
case "$1" in
  start)
    if ! pid_alive "$pidf"; then
      Xvfb :99 -screen 0 1280x800x24 -nolisten tcp > "$TAMBERLINE_SERVICES/xvfb.log" 2>&1 &
      echo $! > "$pidf"
      for _ in $(seq 50); do [ -e /tmp/.X11-unix/X99 ] && break; sleep 0.1; done
    fi
    export_env DISPLAY ":99"
    ;;
  stop) stop_pid "$pidf" ;;
esac
