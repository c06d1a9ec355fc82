#!/usr/bin/env bash
# The core (toolkit, diagram, io) must build and run without Qt: no Qt header may be included there.
set -euo pipefail
cd "$(dirname "$0")/.."
folders=()
for folder in src/toolkit src/diagram src/io; do [ -d "$folder" ] && folders+=("$folder"); done
if hits=$(grep -rnE '^\s*#\s*include\s*[<"](Q|qt)' "${folders[@]}"); then
  echo "Qt headers included in the core:" >&2
  echo "$hits" >&2
  exit 1
fi
echo "core is free of Qt"
