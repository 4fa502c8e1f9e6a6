#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command beside a throwaway PostgreSQL cluster: made in a temporary folder, reachable
# only through a Unix socket in that folder, stopped and removed on every exit path. The
# command finds it in LEXFALL_TEST_PG (postgresql:///postgres?host=FOLDER&port=5432&user=USER).
set -euo pipefail

pgbin=${LEXFALL_PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)}
if [ ! -x "$pgbin/initdb" ]; then
  echo "with-postgres: no PostgreSQL server binaries under /usr/lib/postgresql (scripts/deps.sh installs them)" >&2
  exit 1
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/lexfall-pg.XXXXXX")
user=$(id -un)
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  # PostgreSQL refuses to run as root: the cluster belongs to Debian's postgres user, or to a
  # system user of our own where there is none.
  user=postgres
  if ! id -u "$user" >/dev/null 2>&1; then
    user=lexfall-pg
    id -u "$user" >/dev/null 2>&1 ||
      useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
  fi
  chown "$user" "$dir"
  as_user=(runuser -u "$user" --)
fi

cleanup() {
  "${as_user[@]}" "$pgbin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

"${as_user[@]}" "$pgbin/initdb" -D "$dir/data" -U "$user" -A trust -E UTF8 --no-sync >/dev/null
# No TCP at all; fsync off because the cluster dies with the run anyway (LEXFALL_PG_FSYNC=on
# for measurements that should pay for durable commits).
"${as_user[@]}" "$pgbin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -s \
  -o "-c listen_addresses='' -k $dir -p 5432 -c fsync=${LEXFALL_PG_FSYNC:-off} -c max_connections=300 -c shared_buffers=16MB" \
  start

export LEXFALL_TEST_PG="postgresql:///postgres?host=$dir&port=5432&user=$user"
"$@"
