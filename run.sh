#!/usr/bin/env bash
# Sets everything up, builds when needed, and starts the editor (on FILE.ERD when given).
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/build.sh release quorvane >/dev/null
exec build/release/src/quorvane "$@"
