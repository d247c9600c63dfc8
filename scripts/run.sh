#!/usr/bin/env bash
# Installs what is needed, builds, and starts Tamberline on its default setup.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
bash "$top/scripts/build.sh" "$top/build" -DTAMBERLINE_TESTS=OFF -DTAMBERLINE_BENCH=OFF
exec "$top/build/src/app/tamberline" "$@"
