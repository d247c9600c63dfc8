#!/usr/bin/env bash
# Starts or stops the services the tests need: every script in
# scripts/services/ (virtual display, audio servers). Each one writes its
# environment to $TAMBERLINE_SERVICES/env, which callers source.
#   test-services.sh start|stop
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export TAMBERLINE_SERVICES=${TAMBERLINE_SERVICES:-/tmp/tamberline-services}
mkdir -p "$TAMBERLINE_SERVICES"

case "${1:-}" in
  start)
    : > "$TAMBERLINE_SERVICES/env"
    for s in "$here"/services/*.sh; do bash "$s" start; done
    ;;
  stop)
    for s in $(ls -r "$here"/services/*.sh); do bash "$s" stop || true; done
    ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
