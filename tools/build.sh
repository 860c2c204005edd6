#!/usr/bin/env bash
# Configures and builds into build/; shared by run.sh and test.sh.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/tools/install-deps.sh"
if [ ! -f "$top/build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$top/build" --parallel "$(nproc)" "$@"
