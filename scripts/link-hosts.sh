#!/usr/bin/env bash
# Two test hosts for the network link: network namespaces tbl-hA and
# tbl-hB joined by a veth pair, 10.77.0.1/24 and 10.77.0.2/24, nothing
# else routed. The file system, so the display and the audio servers'
# sockets, stays shared. Root only; every verb is safe to run again.
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
      return 0
    fi
    sleep 0.1
  done
  echo "link-hosts: the veth pair has no carrier" >&2
  exit 1
}

down() {
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
