#!/usr/bin/env bash
# Installs what is missing, builds, and starts the household ledger.
set -euo pipefail
top="$(cd "$(dirname "$0")" && pwd)"
"$top/tools/build.sh" --target kelm
exec "$top/build/bin/kelm" "$@"
