#!/usr/bin/env bash
# Configures (once) and builds one configuration in its own folder under build/:
#   scripts/build.sh release [targets...]   optimised, used to run the editor and the tests
#   scripts/build.sh asan [targets...]      AddressSanitizer and UndefinedBehaviorSanitizer, for the tests
#   scripts/build.sh fuzz [targets...]      the Qt-free core and the libFuzzer harnesses, built by clang
#                                           with both sanitizers; no Qt, no editor, no tests
set -euo pipefail
cd "$(dirname "$0")/.."

config="${1:?configuration: release, asan or fuzz}"
shift
case "$config" in
  release) options=(-DCMAKE_BUILD_TYPE=Release) ;;
  asan) options=(-DCMAKE_BUILD_TYPE=Debug -DQUORVANE_SANITIZE=ON -DCMAKE_CXX_FLAGS_DEBUG="-g -O1") ;;
  fuzz) options=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++-14 -DQUORVANE_SANITIZE=ON
                 -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DQUORVANE_BUILD_APP=OFF -DQUORVANE_BUILD_TESTS=OFF
                 -DQUORVANE_BUILD_BENCH=OFF -DQUORVANE_BUILD_FUZZ=ON) ;;
  *) echo "unknown configuration: $config" >&2; exit 2 ;;
esac

dir="build/$config"
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja "${options[@]}" >/dev/null
fi
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
