#!/usr/bin/env bash
# Two test hosts for the network link: network namespaces tbl-hA and
# tbl-hB joined by a veth pair, 10.77.0.1/24 and 10.77.0.2/24, nothing
# else routed. The file system, so the display and the audio servers'
# sockets, stays shared. Each host has a name service of its own: an
# avahi-daemon on its interface, on a private system bus at
# /tmp/tamberline-link-hosts/<host>/bus (skipped where avahi-daemon is not
# installed). Root only; every verb is safe to run again.
#   link-hosts.sh up            make the hosts (or leave them as they are)
#   link-hosts.sh down          remove them
#   link-hosts.sh cut A|B       take host A's (or B's) interface down
#   link-hosts.sh mend A|B      bring it up again
#   link-hosts.sh check         exit 0 when the hosts are there
set -euo pipefail

nsA=tbl-hA
nsB=tbl-hB
ifA=tblvA
ifB=tblvB
daemons=/tmp/tamberline-link-hosts

if [ "$(id -u)" -ne 0 ]; then
  echo "link-hosts: needs root (network namespaces)" >&2
  exit 77
fi

exists() { ip netns list | awk '{print $1}' | grep -qx "$1"; }

up() {
  exists "$nsA" || ip netns add "$nsA"
  exists "$nsB" || ip netns add "$nsB"
  if ! ip -n "$nsA" link show "$ifA" > /dev/null 2>&1; then
    ip link add "$ifA" type veth peer name "$ifB"
    ip link set "$ifA" netns "$nsA"
    ip link set "$ifB" netns "$nsB"
    ip -n "$nsA" addr add 10.77.0.1/24 dev "$ifA"
    ip -n "$nsB" addr add 10.77.0.2/24 dev "$ifB"
  fi
  for ns in "$nsA" "$nsB"; do ip -n "$ns" link set lo up; done
  ip -n "$nsA" link set "$ifA" up
  ip -n "$nsB" link set "$ifB" up
  # Wait for the carrier on both ends.
  for _ in $(seq 50); do
    if ip -n "$nsA" link show "$ifA" | grep -q LOWER_UP &&
       ip -n "$nsB" link show "$ifB" | grep -q LOWER_UP; then
      name_service A "$nsA" "$ifA"
      name_service B "$nsB" "$ifB"
      return 0
    fi
    sleep 0.1
  done
  echo "link-hosts: the veth pair has no carrier" >&2
  exit 1
}

running() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2> /dev/null; }

# A system bus that lets everyone own and call everything: the host's
# daemon and the program on it are the only ones on it.
bus_config() {
  cat << EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$1/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_type="method_return"/>
    <allow send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="signal"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
  </policy>
</busconfig>
EOF
}

avahi_config() {
  cat << EOF
[server]
host-name=$1
use-ipv4=yes
use-ipv6=no
allow-interfaces=$2
enable-dbus=yes
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
EOF
}

# The name service of host $1 in namespace $2 on interface $3.
name_service() {
  command -v avahi-daemon > /dev/null && command -v dbus-daemon > /dev/null || return 0
  local dir="$daemons/$1"
  mkdir -p "$dir"
  if ! running "$dir/bus.pid"; then
    rm -f "$dir/bus"
    bus_config "$dir" > "$dir/bus.conf"
    dbus-daemon --config-file="$dir/bus.conf" --fork --print-pid > "$dir/bus.pid"
  fi
  if ! running "$dir/avahi.pid"; then
    avahi_config "$2" "$3" > "$dir/avahi.conf"
    # Its pid file lives at a fixed path: each daemon gets a mount
    # namespace of its own with a private /run/avahi-daemon.
    DBUS_SYSTEM_BUS_ADDRESS="unix:path=$dir/bus" setsid ip netns exec "$2" unshare -m sh -c \
      'mkdir -p /run/avahi-daemon && mount -t tmpfs tmpfs /run/avahi-daemon &&
       exec avahi-daemon --no-drop-root --no-chroot -f "$0"' "$dir/avahi.conf" \
      > "$dir/avahi.log" 2>&1 < /dev/null &
    echo $! > "$dir/avahi.pid"
  fi
}

stop_name_services() {
  for pid in "$daemons"/*/avahi.pid "$daemons"/*/bus.pid; do
    running "$pid" && kill "$(cat "$pid")"
    rm -f "$pid"
  done
  return 0
}

down() {
  stop_name_services
  exists "$nsA" && ip netns del "$nsA"
  exists "$nsB" && ip netns del "$nsB"
  return 0
}

side() {
  case "$1" in
    A) echo "$nsA $ifA" ;;
    B) echo "$nsB $ifB" ;;
    *) echo "link-hosts: host A or B" >&2; exit 2 ;;
  esac
}

case "${1:-}" in
  up) up ;;
  down) down ;;
  cut) read -r ns dev < <(side "${2:-}"); ip -n "$ns" link set "$dev" down ;;
  mend) read -r ns dev < <(side "${2:-}"); ip -n "$ns" link set "$dev" up ;;
  check) exists "$nsA" && exists "$nsB" ;;
  *) echo "usage: link-hosts.sh up|down|cut A|B|mend A|B|check" >&2; exit 2 ;;
esac
