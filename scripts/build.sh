#!/usr/bin/env bash
# Configures and builds into the given folder.
#   build.sh <build-dir> [cmake options...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# Ninja names sources relative to the build folder, so a checkout in another
# folder reuses the compiler cache when the folder itself is not hashed.
export CCACHE_NOHASHDIR=1
dir=$1; shift
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$dir" -j "$(nproc)"
