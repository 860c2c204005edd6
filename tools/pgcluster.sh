#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the server tests: made in a temporary folder, run by a user
# other than root (the server refuses root), reached through a local socket only, removed at stop.
#
#   tools/pgcluster.sh start    prints the libpq connection text; fails when no server can start
#   tools/pgcluster.sh stop <folder>
set -uo pipefail

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u nobody -- "$@"; else "$@"; fi
}

case "${1:-}" in
start)
  [ -x "$bin/initdb" ] || { echo "PostgreSQL is not installed" >&2; exit 1; }
  dir=$(mktemp -d /tmp/kelm-pg-XXXXXX) || exit 1
  chmod 755 "$dir"
  [ "$(id -u)" -eq 0 ] && chown nobody "$dir"
  if ! as_owner "$bin/initdb" -D "$dir/db" -U kelm --auth=trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 \
    || ! as_owner "$bin/pg_ctl" -D "$dir/db" -l "$dir/server.log" -w \
         -o "-k $dir -c listen_addresses='' -c fsync=off -c max_connections=200" start >/dev/null 2>&1 \
    || ! "$bin/psql" -h "$dir" -U kelm -d postgres -qc "CREATE DATABASE kelm" >/dev/null 2>&1; then
    cat "$dir"/*.log >&2 2>/dev/null
    as_owner "$bin/pg_ctl" -D "$dir/db" -m immediate stop >/dev/null 2>&1
    rm -rf "$dir"
    exit 1
  fi
  echo "host=$dir user=kelm dbname=kelm"
  ;;
stop)
  dir=${2:?the cluster folder}
  case "$dir" in /tmp/kelm-pg-*) ;; *) echo "not a cluster folder: $dir" >&2; exit 1 ;; esac
  as_owner "$bin/pg_ctl" -D "$dir/db" -m fast stop >/dev/null 2>&1
  rm -rf "$dir"
  ;;
*)
  echo "usage: $0 start | stop <folder>" >&2
  exit 2
  ;;
esac
