#!/usr/bin/env bash
# Installs what is needed, builds, installs Tamberline for this user and
# starts it on its default setup.
#  - The program, Wickett, the help pages, a launcher and an icon go to
#    ~/.local (bin/, share/tamberline/help, share/applications,
#    share/icons); another prefix: TAMBERLINE_PREFIX=/usr/local.
#  - Where a firewall is active (firewalld or ufw), Wickett lets the network
#    link's datagrams in (UDP 4320); it needs administrator rights for that.
#  - The first start opens a demo show (a few generated sounds on the first
#    buttons, in "Tamberline Demo" of the documents folder, where the run log
#    lives too); later starts open the last session.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
prefix=${TAMBERLINE_PREFIX:-$HOME/.local}
bash "$top/scripts/install-deps.sh"
bash "$top/scripts/build.sh" "$top/build" -DTAMBERLINE_TESTS=OFF -DTAMBERLINE_BENCH=OFF \
  -DCMAKE_INSTALL_PREFIX="$prefix"

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
if [ -w "$prefix" ] || [ ! -e "$prefix" ]; then
  cmake --install "$top/build"
else
  "${sudo_cmd[@]}" cmake --install "$top/build"
fi

firewall_active() {
  { command -v systemctl >/dev/null && systemctl is-active --quiet firewalld; } ||
    pgrep -x firewalld >/dev/null ||
    grep -qs '^ENABLED=yes' /etc/ufw/ufw.conf
}
if firewall_active; then
  "${sudo_cmd[@]}" "$prefix/bin/wickett" || true
fi

session=()
demo=$("$top/build/tools/tamberline-demo-session")
if [ -n "$demo" ]; then session=("$demo"); fi
exec "$prefix/bin/tamberline" "${session[@]}"
