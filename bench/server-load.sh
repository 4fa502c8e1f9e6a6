#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Load on lexfall-records over loopback, side by side in one run with nginx and with
# libmicrohttpd alone, both answering a constant body: requests per second, p50/p99 and the
# server's CPU time per request. Every reply is counted by its body code and a run with a code
# its mix does not expect fails the script. Each trial runs for its stated time. The servers
# run on one core and the clients on another. Then the attacks: slow clients beside a
# legitimate one, and a header flood with the server's peak memory.
# Last, idle connections (IDLE, default 10000) and stalled TLS handshakes (STALLED, default
# 2000) beside a legitimate client, on both servers.
#   bench/server-load.sh [BUILD_DIR]    (default build; env CLIENTS, SECONDS_EACH, THREADS,
#                                        SLOW, IDLE, STALLED, SERVER_CPU, CLIENT_CPU; RECORDS=another build of
#                                        lexfall-records, SERVE_ARGS=its serve options)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
clients=${CLIENTS:-32}
seconds=${SECONDS_EACH:-10}
threads=${THREADS:-8}
slow=${SLOW:-2000}
idle=${IDLE:-10000}
stalled=${STALLED:-2000}
server_cpu=${SERVER_CPU:-0}
client_cpu=${CLIENT_CPU:-1}
records=${RECORDS:-$PWD/$build/bin/lexfall-records}
# Every client comes from 127.0.0.1, so the limit per address is lifted.
read -r -a serve_args <<<"${SERVE_ARGS---max-per-address 0}"
load=$PWD/$build/bench/server_load
attack=$PWD/bench/server/attack.py
nginx=$(command -v nginx || echo /usr/sbin/nginx)
[ -x "$records" ] && [ -x "$load" ] || { echo "build first: scripts/build.sh $build" >&2; exit 1; }
[ -x "$nginx" ] || { echo "nginx is missing: apt-get install nginx-light" >&2; exit 1; }

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
failed=0

pin_server=(taskset -c "$server_cpu")
on_client() { taskset -c "$client_cpu" "$@"; }

# Starts a server command in the background; sets pid, and port from the marker its log
# shows. Not run in a command substitution: the pid must reach the cleanup list of this shell.
start() {
  local log=$1 marker=$2; shift 2
  : >"$log"
  "$@" >"$log" 2>&1 &
  pid=$!
  pids+=("$pid")
  for _ in $(seq 100); do
    grep -q "$marker" "$log" && break
    sleep 0.1
  done
  port=$(sed -n "s/.*$marker\([0-9]*\).*/\1/p" "$log" | head -n 1)
  [ -n "$port" ] || { echo "did not start: $*" >&2; cat "$log" >&2; exit 1; }
}

stop() { kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }

run() { on_client "$load" --clients "$clients" --seconds "$seconds" "$@" || failed=1; }

slow_trial() {
  on_client python3 "$attack" slow --port "$1" --pid "$2" --slow "$slow" --seconds "$seconds" ||
    failed=1
}

echo "$clients clients, $seconds s per run, server on core $server_cpu, clients on core" \
  "$client_cpu of $(nproc), load average $(cut -d' ' -f1-3 /proc/loadavg)"

# nginx with a config of its own on a free loopback port. As many workers as the records server
# has threads, all on the server's core: on a shared machine the scheduler gives each thread its
# share, and one worker alone would be measured against the other programs' load.
nginx_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
nginx_tls_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 \
  -subj /CN=127.0.0.1 -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1
mkdir -p "$work/nginx"
cat >"$work/nginx/nginx.conf" <<EOF
worker_processes $threads;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
worker_rlimit_nofile 65536;
events { worker_connections 16384; }
http {
  access_log $work/nginx/access.log;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  client_header_timeout 5s;
  server {
    listen 127.0.0.1:$nginx_port;
    location = /checkwr.asp { default_type text/plain; return 200 "Champion,10,300,40,3010,2003-03-28"; }
  }
  server {
    listen 127.0.0.1:$nginx_tls_port ssl;
    ssl_certificate $work/cert.pem;
    ssl_certificate_key $work/key.pem;
    location = /checkwr.asp { default_type text/plain; return 200 "Champion,10,300,40,3010,2003-03-28"; }
  }
}
EOF
"${pin_server[@]}" "$nginx" -e "$work/nginx/error.log" -p "$work/nginx" -c "$work/nginx/nginx.conf" \
  -g 'daemon off;' &
nginx_pid=$!
pids+=("$nginx_pid")
for _ in $(seq 50); do
  python3 -c "import socket; socket.create_connection(('127.0.0.1', $nginx_port), 1)" 2>/dev/null && break
  sleep 0.1
done
for _ in $(seq 50); do
  [ "$(pgrep -P "$nginx_pid" | wc -l)" -ge "$threads" ] && break
  sleep 0.1
done
workers=$(pgrep -P "$nginx_pid" | paste -sd, -)
run --port "$nginx_port" --mix checkwr --server-pid "$workers" --label "nginx constant"

start "$work/constant.log" 'constant server on 127.0.0.1:' "${pin_server[@]}" "$load" --constant-server
run --port "$port" --mix checkwr --server-pid "$pid" --label "libmicrohttpd constant"
stop "$pid"

for engine in sqlite postgresql; do
  if [ "$engine" = sqlite ]; then db=$work/records.sqlite; else db=$LEXFALL_TEST_PG; fi
  : >"$work/players"
  echo 1 >"$work/words"
  for i in $(seq "$clients"); do
    code=$("$records" add-player "Player $i" "p$i@example.org" --db "$db" | sed -n 's/^RegCode=//p')
    printf 'Player %s\tp%s@example.org\t%s\n' "$i" "$i" "$code" >>"$work/players"
  done
  start "$work/$engine.log" 'serving on 127.0.0.1:' "${pin_server[@]}" "$records" serve \
    --listen 127.0.0.1:0 --db "$db" --threads "$threads" "${serve_args[@]}"
  server=$pid
  # A first put per player, so Get MyRec and Check WR find records.
  run --port "$port" --mix putmyrec --players "$work/players" --words "$work/words" \
    --seconds 1 --label warm-up >/dev/null
  for mix in checkwr getmyrec putmyrec mixed; do
    run --port "$port" --mix "$mix" --players "$work/players" --words "$work/words" \
      --server-pid "$server" --label "lexfall-records $engine"
  done
  if [ "$engine" = sqlite ]; then
    echo "attacks on lexfall-records sqlite:"
    slow_trial "$port" "$server"
    on_client python3 "$attack" flood --port "$port" --pid "$server" --clients 8 \
      --seconds "$seconds" || failed=1
    on_client python3 "$attack" idle --port "$port" --slow "$idle" --seconds "$seconds" ||
      failed=1
  fi
  stop "$server"
done
start "$work/tls.log" 'serving on 127.0.0.1:' "${pin_server[@]}" "$records" serve \
  --listen 127.0.0.1:0 --db "$work/records.sqlite" --threads "$threads" "${serve_args[@]}" \
  --tls-cert "$work/cert.pem" --tls-key "$work/key.pem"
echo "attack on lexfall-records over https:"
on_client python3 "$attack" idle --port "$port" --slow "$stalled" --hello --tls \
  --seconds "$seconds" || failed=1
stop "$pid"
echo "attacks on nginx:"
slow_trial "$nginx_port" "${workers%%,*}"
on_client python3 "$attack" idle --port "$nginx_port" --slow "$idle" --seconds "$seconds" ||
  failed=1
on_client python3 "$attack" idle --port "$nginx_tls_port" --slow "$stalled" --hello --tls \
  --seconds "$seconds" || failed=1

[ "$failed" = 0 ] || { echo "FAILED: a run had unexpected replies or did not run" >&2; exit 1; }
