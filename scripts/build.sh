#!/usr/bin/env bash
# Configures and builds into the given folder.
#   build.sh <build-dir> [cmake options...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# The compiler cache sees paths inside the checkout as relative ones, so a
# checkout in another folder (CI's fresh clone) reuses what was compiled here.
export CCACHE_BASEDIR="$top" CCACHE_NOHASHDIR=1
dir=$1; shift
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$dir" -j "$(nproc)"
