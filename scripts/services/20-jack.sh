#!/usr/bin/env bash
# JACK dummy server: 8 playback and 2 capture ports at 48 kHz, 256 frames a
# period, no sound card needed. Tests that play through PortAudio on JACK
# look for TAMBERLINE_JACK and skip without it.
set -euo pipefail
source "$(dirname "$0")/common.inc"
pidf=$TAMBERLINE_SERVICES/jackd.pid
case "$1" in
  start)
    if ! pid_alive "$pidf"; then
      if ! command -v jackd > /dev/null; then
        echo "20-jack: jackd is not installed; JACK tests will skip" >&2
        exit 0
      fi
      jackd --no-realtime -d dummy -P 8 -C 2 -r 48000 -p 256 \
        > "$TAMBERLINE_SERVICES/jackd.log" 2>&1 &
      echo $! > "$pidf"
      up=0
      for _ in $(seq 100); do
        if jack_wait -c 2> /dev/null | grep -qx running; then up=1; break; fi
        pid_alive "$pidf" || break
        sleep 0.1
      done
      if [ "$up" -ne 1 ]; then
        echo "20-jack: the JACK server did not come up (see $TAMBERLINE_SERVICES/jackd.log)" >&2
        stop_pid "$pidf"
        exit 0
      fi
    fi
    export_env TAMBERLINE_JACK "1"
    ;;
  stop) stop_pid "$pidf" ;;
esac
