#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A throw-away PostgreSQL server for the tests, from Debian's package.
#
#   pg-test-server.sh start <dir> [pid] [tcp]   makes a cluster in <dir>/data and starts it
#   pg-test-server.sh stop <dir>                stops it
#
# The server listens only on a Unix socket in <dir> (no TCP port); with "tcp"
# also on a free port of 127.0.0.1, written to <dir>/port, for the tests that
# run under Wine. It lets local
# connections in without a password and holds an empty database "radadir";
# the connection string is "host=<dir> user=radadir dbname=radadir". With a
# pid the server is also stopped, and <dir> removed, once that process has
# ended, so a test run that crashes leaves neither behind. initdb and pg_ctl refuse to run as root: as
# root the server runs as the system user radadir-pg, made when missing, and
# <dir> is handed to it.
set -euo pipefail

usage() { echo "usage: $0 start|stop <dir> [pid] [tcp]" >&2; exit 2; }
[ $# -ge 2 ] || usage
command=$1
dir=$(realpath -m "$2")
watch=${3:-}
tcp=${4:-}
user=radadir-pg

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bin" ] || [ ! -x "$bin/pg_ctl" ]; then
  echo "PostgreSQL server programs not found under /usr/lib/postgresql (package postgresql)" >&2
  exit 1
fi

as_server() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u "$user" -- "$@"
  else
    "$@"
  fi
}

stop() {
  if [ -f "$dir/data/postmaster.pid" ]; then
    as_server "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null
  fi
}

case "$command" in
start)
  mkdir -p "$dir"
  if [ "$(id -u)" -eq 0 ]; then
    # Test runs in parallel may all find the user missing: one makes it
    # while the others wait, so none sees it half made.
    (
      flock 9
      id -u "$user" >/dev/null 2>&1 ||
        useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
    ) 9>/tmp/radadir-pg-user.lock
    chown "$user:" "$dir"
    chmod 0700 "$dir"
    if ! runuser -u "$user" -- test -w "$dir"; then
      echo "$user cannot reach $dir: set TMPDIR to a folder every user can pass through" >&2
      exit 1
    fi
  fi
  as_server "$bin/initdb" -D "$dir/data" -U radadir -A trust -E UTF8 --no-locale --no-sync >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
  listen="listen_addresses=''"
  if [ "$tcp" = tcp ]; then
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    listen="listen_addresses='127.0.0.1' -c port=$port"
    echo "$port" >"$dir/port"
  fi
  as_server "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-c $listen -c unix_socket_directories='$dir' -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
    start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
  as_server "$bin/createdb" -h "$dir" ${port:+-p "$port"} -U radadir radadir
  if [ -n "$watch" ]; then
    # Detached, with no open pipe of the caller, so the caller is not kept
    # waiting for it.
    setsid bash -c 'while kill -0 "$1" 2>/dev/null; do sleep 0.5; done; "$2" stop "$3"; rm -rf "$3"' \
      watch "$watch" "$(realpath "$0")" "$dir" </dev/null >/dev/null 2>&1 &
  fi
  ;;
stop)
  stop
  ;;
*)
  usage
  ;;
esac
