#!/usr/bin/env bash
# Configures (once) and builds one configuration of CMakePresets.json in its own folder under build/:
#   scripts/build.sh release [targets...]   optimised, used to run the editor and the tests
#   scripts/build.sh asan [targets...]      AddressSanitizer and UndefinedBehaviorSanitizer, for the tests
#   scripts/build.sh fuzz [targets...]      the Qt-free core and the libFuzzer harnesses, built by clang
#                                           with both sanitizers; no Qt, no editor, no tests
set -euo pipefail
cd "$(dirname "$0")/.."

config="${1:?configuration: release, asan or fuzz}"
shift
case "$config" in
  release | asan | fuzz) ;;
  *) echo "unknown configuration: $config" >&2; exit 2 ;;
esac

if [ ! -f "build/$config/build.ninja" ]; then
  cmake --preset "$config" >/dev/null
fi
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build --preset "$config" -j "$(nproc)" "${targets[@]}"
