#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite, the data-access and
# core tests once more against a throw-away PostgreSQL cluster when one can start.
set -euo pipefail
top="$(cd "$(dirname "$0")" && pwd)"
"$top/tools/build.sh"
export QT_QPA_PLATFORM=offscreen
if server=$("$top/tools/pgcluster.sh" start); then
  export KELM_TEST_SERVER="$server"
  cluster=${server#host=}
  cluster=${cluster%% *}
  trap '"$top/tools/pgcluster.sh" stop "$cluster"' EXIT
  echo "server tests: a throw-away PostgreSQL cluster in $cluster"
else
  echo "server tests skipped: no PostgreSQL cluster could be installed or started"
fi
cd "$top/build"
ctest --output-on-failure --parallel "$(nproc)"
