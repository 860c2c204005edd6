#!/bin/sh
# Runs one test with a home, settings, data, cache and temporary folder of its own, made fresh for
# the run and removed after it, so no test reads or writes the developer's own files. A test that
# leaves anything in its temporary folder fails, naming what it left.
#
#   isolated.sh <test executable> [arguments...]
root=$(mktemp -d "${TMPDIR:-/tmp}/kelm-test-XXXXXX") || exit 1
for d in home config data cache state tmp runtime; do mkdir -p "$root/$d"; done
chmod 700 "$root/runtime"
HOME=$root/home XDG_CONFIG_HOME=$root/config XDG_DATA_HOME=$root/data XDG_CACHE_HOME=$root/cache \
  XDG_STATE_HOME=$root/state XDG_RUNTIME_DIR=$root/runtime TMPDIR=$root/tmp "$@"
status=$?
if [ "$status" -eq 0 ] && [ -n "$(ls -A "$root/tmp")" ]; then
  echo "the test left these in its temporary folder:" >&2
  ls -A "$root/tmp" | sed 's/^/  /' >&2
  status=1
fi
rm -rf "$root"
exit "$status"
