#!/usr/bin/env bash
# JACK dummy server: 8 playback and 2 capture ports at 48 kHz, 256 frames a
# period, no sound card needed. Tests that play through PortAudio on JACK
# look for TAMBERLINE_JACK and skip without it. A server that already runs
# (started by someone else) is used as it is and never stopped here.
set -euo pipefail
source "$(dirname "$0")/common.inc"
pidf=$TAMBERLINE_SERVICES/jackd.pid

jack_running() { jack_wait -c 2> /dev/null | grep -qx running; }

case "$1" in
  start)
    if ! command -v jackd > /dev/null; then
      echo "20-jack: jackd is not installed; JACK tests will skip" >&2
      exit 0
    fi
    if ! pid_alive "$pidf" && ! jack_running; then
      jackd --no-realtime -d dummy -P 8 -C 2 -r 48000 -p 256 \
        > "$TAMBERLINE_SERVICES/jackd.log" 2>&1 &
      echo $! > "$pidf"
      for _ in $(seq 100); do
        jack_running && break
        pid_alive "$pidf" || break
        sleep 0.1
      done
    fi
    if ! jack_running; then
      echo "20-jack: the JACK server did not come up (see $TAMBERLINE_SERVICES/jackd.log)" >&2
      stop_pid "$pidf"
      exit 0
    fi
    export_env TAMBERLINE_JACK "1"
    ;;
  stop) stop_pid "$pidf" ;;
esac
