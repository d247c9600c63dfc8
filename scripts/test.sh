#!/usr/bin/env bash
# Installs what is needed, builds, starts the test services and runs the
# whole test suite: a warnings-as-errors build, then the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, after a short run of each
# fuzz target.
#   test.sh            fuzz targets and both builds
#   test.sh --quick    the plain build only
#   test.sh --tsan     the plain build, then ThreadSanitizer
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-full}

bash "$top/scripts/install-deps.sh"
if [ -n "$(git -C "$top" ls-files '*.cpp' '*.h' 2>/dev/null)" ]; then
  git -C "$top" ls-files '*.cpp' '*.h' | (cd "$top" && xargs clang-format --dry-run -Werror)
fi
bash "$top/scripts/check-layers.sh"

bash "$top/scripts/test-services.sh" start
trap 'bash "$top/scripts/test-services.sh" stop' EXIT
source /tmp/tamberline-services/env

run_suite() {
  local dir=$1; shift
  bash "$top/scripts/build.sh" "$dir" -DTAMBERLINE_WERROR=ON "$@"
  (cd "$dir" && ctest --output-on-failure -j "$(nproc)" --timeout 300)
}

if [ "$mode" = full ]; then
  bash "$top/scripts/fuzz.sh" 15
fi
run_suite "$top/build-test"
case "$mode" in
  --quick) ;;
  --tsan) TSAN_OPTIONS="halt_on_error=1" run_suite "$top/build-tsan" -DTAMBERLINE_TSAN=ON -DTAMBERLINE_BENCH=OFF ;;
  *) ASAN_OPTIONS="detect_leaks=0" UBSAN_OPTIONS="print_stacktrace=1" \
       run_suite "$top/build-asan" -DTAMBERLINE_ASAN=ON -DTAMBERLINE_BENCH=OFF ;;
esac
