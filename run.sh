#!/usr/bin/env bash
# Sets everything up, builds when needed, and starts the editor: on the example diagram, or with the
# arguments given (a diagram file, or --export=OUT ... to work without a display; see --help).
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/build.sh release quorvane >/dev/null
if [ $# -eq 0 ]; then
  set -- examples/shop.ERD
fi
exec build/release/src/quorvane "$@"
