#!/bin/sh
# Runs a test with its database files on the PostgreSQL server named by KELM_TEST_SERVER (set by
# test.sh for its throw-away cluster); without one the test is skipped (exit 77).
#
#   onserver.sh <isolated.sh> <test executable> [arguments...]
if [ -z "${KELM_TEST_SERVER:-}" ]; then
  echo "no PostgreSQL cluster (KELM_TEST_SERVER is not set): the server run of this test is skipped"
  exit 77
fi
KELM_SERVER=$KELM_TEST_SERVER exec "$@"
