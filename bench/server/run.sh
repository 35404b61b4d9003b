#!/usr/bin/env bash
# Load benchmark of voltaro-server over loopback with wrk: a database of 100,000 tests and 5,000
# labels, then requests a second and latency percentiles of the leaderboard page and of storing a
# test result, on SQLite and on PostgreSQL (a throwaway cluster that syncs to disk as usual).
#
#   bench/server/run.sh [BUILD_DIR]
#
# BUILD_DIR (build/release) must hold voltaro-server and bench_server_seed:
#   cmake --preset release && cmake --build --preset release --target voltaro-server bench_server_seed
# DURATION (20s), CONNECTIONS (8) and ENGINES ("sqlite postgresql") change what is measured.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/release}
server=$build/src/server/voltaro-server
seed=$build/bench/server/bench_server_seed
duration=${DURATION:-20s}
connections=${CONNECTIONS:-8}
engines=${ENGINES:-sqlite postgresql}

work=$(mktemp -d)
postgresql_dir=""
server_pid=""
cleanup() {
  [ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null || true
  [ -z "$postgresql_dir" ] || bash scripts/throwaway-postgresql stop "$postgresql_dir"
  rm -rf "$work"
}
trap cleanup EXIT

# Percentiles of the time the server itself took (its log: from reading a request to having sent
# the reply), which the load of other programs on the machine hardly touches.
server_side() {
  local log=$1 path=$2
  grep " GET $path 200 " "$log" | awk '{t=$NF; sub("ms","",t); print t}' | sort -g |
    awk '{a[NR]=$1} END {if (NR) printf "   server side: p50 %.2fms, p99 %.2fms of %d requests\n", a[int(NR*0.5)+1], a[int(NR*0.99)], NR}'
}

measure() {
  local engine=$1 database=$2
  echo "== $engine: seeding"
  "$seed" --database "$database"
  "$server" --listen 127.0.0.1:0 --database "$database" --rate-limit 0 --threads "$connections" \
    2>"$work/$engine.log" &
  server_pid=$!
  local port=""
  for _ in $(seq 100); do
    port=$(grep -o 'listening on http://127.0.0.1:[0-9]*' "$work/$engine.log" | grep -o '[0-9]*$' || true)
    [ -z "$port" ] || break
    sleep 0.1
  done
  [ -n "$port" ] || { cat "$work/$engine.log"; exit 1; }
  echo "== $engine: GET / (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
  wrk -t2 -c"$connections" -d"$duration" --latency -s bench/server/pages.lua "http://127.0.0.1:$port"
  echo "== $engine: GET /api/test-result (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
  wrk -t2 -c"$connections" -d"$duration" --latency -s bench/server/test_result.lua "http://127.0.0.1:$port"
  kill -TERM "$server_pid"
  wait "$server_pid" || true
  server_pid=""
  echo "== $engine: GET /"
  server_side "$work/$engine.log" /
  echo "== $engine: GET /api/test-result"
  server_side "$work/$engine.log" /api/test-result
  echo "== $engine: $(grep -c ' 200 ' "$work/$engine.log") requests answered with 200," \
    "$(grep -c ' [45][0-9][0-9] ' "$work/$engine.log" || true) refused or failed"
}

for engine in $engines; do
  case $engine in
  sqlite) measure sqlite "sqlite:$work/sqlite/voltaro.db" ;;
  postgresql)
    postgresql_dir=$(mktemp -d)
    url=$(bash scripts/throwaway-postgresql start "$postgresql_dir" --durable)
    measure postgresql "$url"
    ;;
  esac
done
