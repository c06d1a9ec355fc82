#!/usr/bin/env bash
# Configures (once) and builds one configuration in its own folder under build/:
#   scripts/build.sh release [targets...]   optimised, used to run the editor and the tests
#   scripts/build.sh asan [targets...]      AddressSanitizer and UndefinedBehaviorSanitizer, for the tests
set -euo pipefail
cd "$(dirname "$0")/.."

config="${1:?configuration: release or asan}"
shift
case "$config" in
  release) options=(-DCMAKE_BUILD_TYPE=Release) ;;
  asan) options=(-DCMAKE_BUILD_TYPE=Debug -DQUORVANE_SANITIZE=ON -DCMAKE_CXX_FLAGS_DEBUG="-g -O1") ;;
  *) echo "unknown configuration: $config" >&2; exit 2 ;;
esac

dir="build/$config"
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja "${options[@]}" >/dev/null
fi
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
