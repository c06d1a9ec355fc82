#!/usr/bin/env bash
# Sets everything up and runs every test: the optimised build, then the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/check_core_is_qt_free.sh
export QT_QPA_PLATFORM=offscreen
for config in release asan; do
  echo "== $config build"
  scripts/build.sh "$config"
  echo "== $config tests"
  ctest --test-dir "build/$config" --output-on-failure -j "$(nproc)"
done
echo "all tests passed"
