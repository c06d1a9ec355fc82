#!/usr/bin/env bash
# Sets everything up and runs every test: the optimised build, then the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, then every fuzz harness for a minute on its seed
# corpus (FUZZ_SECONDS to change that). Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/check_core_is_qt_free.sh
export QT_QPA_PLATFORM=offscreen
for config in release asan; do
  echo "== $config build"
  scripts/build.sh "$config"
  echo "== $config tests"
  ctest --preset "$config" -j "$(nproc)"
done
echo "== fuzz build"
scripts/build.sh fuzz
echo "== fuzz runs"
fuzz/run.sh "${FUZZ_SECONDS:-60}"
echo "all tests passed"
