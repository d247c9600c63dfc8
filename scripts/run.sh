#!/usr/bin/env bash
# Installs what is needed, builds, and starts Tamberline on its default setup.
# The first start opens a demo show (a few generated sounds on the first
# buttons, in Documents/Tamberline Demo); later starts open the last session.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
bash "$top/scripts/build.sh" "$top/build" -DTAMBERLINE_TESTS=OFF -DTAMBERLINE_BENCH=OFF

documents=$(xdg-user-dir DOCUMENTS 2>/dev/null || echo "$HOME/Documents")
demo="$documents/Tamberline Demo"
session=()
if [ ! -e "$demo/Demo.dbf" ]; then
  session=("$("$top/build/tools/tamberline-demo-session" "$demo")")
fi
exec "$top/build/src/app/tamberline" "${session[@]}"
