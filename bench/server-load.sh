#!/usr/bin/env bash
# Load on lexfall-records over loopback, with SQLite and with PostgreSQL, beside a bare
# cpp-httplib server answering a constant: requests per second and p50/p99 per endpoint.
# Bounded: each run stops after REQUESTS requests or SECONDS seconds, whichever comes first.
#   bench/server-load.sh [BUILD_DIR]    (default build; env CLIENTS, REQUESTS, SECONDS_EACH, THREADS)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
clients=${CLIENTS:-32}
requests=${REQUESTS:-20000}
seconds=${SECONDS_EACH:-10}
threads=${THREADS:-8}
records=$build/bin/lexfall-records
load=$build/bench/server_load
[ -x "$records" ] && [ -x "$load" ] || { echo "build first: scripts/build.sh $build" >&2; exit 1; }

if [ -z "${LEXFALL_TEST_PG:-}" ]; then
  # With fsync on: PostgreSQL pays for durable commits, as SQLite does here.
  LEXFALL_PG_FSYNC=on exec scripts/with-postgres.sh "$PWD/bench/server-load.sh" "$@"
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Starts a server command in the background and sets port from its first line. Not run in a
# command substitution: the pid must reach the cleanup list of this shell.
start() {
  local log=$1; shift
  : >"$log"
  "$@" >"$log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    grep -q ' on 127.0.0.1:' "$log" && break
    sleep 0.1
  done
  port=$(sed -n 's/.* on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$log" | head -n 1)
  [ -n "$port" ] || { echo "did not start: $*" >&2; cat "$log" >&2; exit 1; }
}

run() { "$load" --clients "$clients" --requests "$requests" --seconds "$seconds" "$@"; }

echo "$clients clients, at most $requests requests or $seconds s per run, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
start "$work/bare.log" "$load" --bare-server
run --port "$port" --mix checkwr --label "bare cpp-httplib"

for engine in sqlite postgresql; do
  if [ "$engine" = sqlite ]; then db=$work/records.sqlite; else db=$LEXFALL_TEST_PG; fi
  : >"$work/players"
  for i in $(seq "$clients"); do
    code=$("$records" add-player "Player $i" "p$i@example.org" --db "$db" | sed -n 's/^RegCode=//p')
    printf 'Player %s\tp%s@example.org\t%s\n' "$i" "$i" "$code" >>"$work/players"
  done
  start "$work/$engine.log" "$records" serve --listen 127.0.0.1:0 --db "$db" --threads "$threads"
  # A first put per player, so Get MyRec and Check WR find records.
  run --port "$port" --mix putmyrec --players "$work/players" --requests "$clients" --label warm-up >/dev/null
  for mix in checkwr getmyrec putmyrec mixed; do
    run --port "$port" --mix "$mix" --players "$work/players" --label "lexfall-records $engine"
  done
done
