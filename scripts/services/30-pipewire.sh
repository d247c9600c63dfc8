#!/usr/bin/env bash
# PipeWire audio server with its PulseAudio front end and two null sinks
# ("Test Sink A", "Test Sink B") for the media-graph tests. The server lives
# in its own runtime folder with its own session bus, so it never meets a
# desktop's audio server.
set -euo pipefail
source "$(dirname "$0")/common.inc"
dir=$TAMBERLINE_SERVICES/pipewire
runtime=$dir/runtime
bus=unix:path=$dir/bus

start_daemon() {  # name, command...
  local name=$1; shift
  if ! pid_alive "$dir/$name.pid"; then
    "$@" > "$dir/$name.log" 2>&1 &
    echo $! > "$dir/$name.pid"
  fi
}

case "$1" in
  start)
    for tool in dbus-daemon pipewire wireplumber pipewire-pulse pactl; do
      command -v "$tool" > /dev/null || { echo "30-pipewire: $tool missing" >&2; exit 0; }
    done
    mkdir -p "$runtime"
    chmod 700 "$runtime"
    export XDG_RUNTIME_DIR=$runtime DBUS_SESSION_BUS_ADDRESS=$bus
    export PULSE_SERVER=unix:$runtime/pulse/native
    # Keep the daemons' configuration and state out of the user's home.
    export XDG_CONFIG_HOME=$dir/config XDG_STATE_HOME=$dir/state
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_STATE_HOME"
    if ! pid_alive "$dir/dbus.pid"; then
      rm -f "$dir/bus"
      dbus-daemon --session --address="$bus" --nofork --nopidfile \
        > "$dir/dbus.log" 2>&1 &
      echo $! > "$dir/dbus.pid"
      for _ in $(seq 50); do [ -S "$dir/bus" ] && break; sleep 0.1; done
    fi
    start_daemon pipewire pipewire
    for _ in $(seq 50); do [ -S "$runtime/pipewire-0" ] && break; sleep 0.1; done
    start_daemon wireplumber wireplumber
    start_daemon pipewire-pulse pipewire-pulse
    for _ in $(seq 100); do pactl info > /dev/null 2>&1 && break; sleep 0.1; done
    sinks=$(pactl list short sinks 2>/dev/null | cut -f2 || true)
    for sink in "test_a:Test Sink A" "test_b:Test Sink B"; do
      name=${sink%%:*} desc=${sink#*:}
      if ! grep -qx "$name" <<< "$sinks"; then
        pactl load-module module-null-sink sink_name="$name" \
          "sink_properties='device.description=\"$desc\"'" > /dev/null
      fi
    done
    # The session manager needs a moment to publish the new sinks.
    for _ in $(seq 50); do
      sinks=$(pactl list short sinks 2>/dev/null | cut -f2 || true)
      grep -qx test_a <<< "$sinks" && grep -qx test_b <<< "$sinks" && break
      sleep 0.1
    done
    export_env XDG_RUNTIME_DIR "$runtime"
    export_env PULSE_SERVER "$PULSE_SERVER"
    export_env DBUS_SESSION_BUS_ADDRESS "$bus"
    ;;
  stop)
    for name in pipewire-pulse wireplumber pipewire dbus; do stop_pid "$dir/$name.pid"; done
    ;;
esac
