#!/usr/bin/env bash
# Requests per second and latency of the web server's calls page with 100
# recent calls and a contact file of 10,000 contacts (each row's contact name
# is looked up) under 256 concurrent connections, beside nginx serving the same
# page as a static file on this machine. Not part of the tests or CI.
#
#   benchmarks/web-calls-page.sh            (after `make build`)
#
# Environment: BUILD (build folder, default build), CONTACTS (default 10000),
# DURATION (seconds per run,
# default 10), THREADS (wrk threads, default 4), NGINX_WORKERS (default 1: one
# process, as the service serves from one event loop).
#
# Both servers are asked with "Connection: close": the web server answers one
# request per connection, so keep-alive would measure nginx alone.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
contacts=${CONTACTS:-10000}
duration=${DURATION:-10}
threads=${THREADS:-4}
workers=${NGINX_WORKERS:-1}
connections=256

need=()
command -v wrk >/dev/null || need+=(wrk)
command -v nginx >/dev/null || need+=(nginx-light)
if [ ${#need[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -q
    $sudo apt-get install -y -q --no-install-recommends "${need[@]}"
fi

cmake --build "$build" --target web-host callwriter bench-write-contacts ringvale-reg >/dev/null

work=$(mktemp -d)
host_pid=""
nginx_pid=""
cleanup() {
    [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null || true
    [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

export RINGVALE_HOME=$work/home RINGVALE_REGISTRY=$work/registry
mkdir -p "$RINGVALE_HOME" "$RINGVALE_REGISTRY"
bash "$here/scripts/install-data" "$RINGVALE_HOME" "$build/bin/ringvale-reg"
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
"$build/bin/ringvale-reg" set 'HKLM\SOFTWARE\Brask\Ringvale 1.1\RemoteAccess\TabInternetAccess' txtWWWPort "$(free_port)"
# The page as anyone reaches it: the installation protects it with a password.
"$build/bin/ringvale-reg" set 'HKLM\SOFTWARE\Brask\Ringvale 1.1\RemoteAccess\TabInternetAccess' chkWWWProtect 0
# 100 calls of one day, all of them on the recent-calls list.
"$build/tests/callwriter" Caller 100 '\Data\Log\2026\12\10\' 100
"$build/benchmarks/bench-write-contacts" "$contacts"

# Every wrk connection comes from 127.0.0.1: let that one address hold all.
"$build/tests/web-host" --connections-per-address "$connections" >"$work/host.out" 2>"$work/host.err" &
host_pid=$!
for _ in $(seq 50); do
    grep -q '^port ' "$work/host.out" 2>/dev/null && break
    sleep 0.1
done
web_port=$(awk '/^port /{print $2}' "$work/host.out")
[ -n "$web_port" ] || { cat "$work/host.err"; exit 1; }

mkdir -p "$work/static"
curl -fsS "http://127.0.0.1:$web_port/calls" -o "$work/static/calls"
rows=$(grep -c 'del?call=' "$work/static/calls")
[ "$rows" -eq 100 ] || { echo "expected 100 calls on the page, found $rows"; exit 1; }

nginx_port=$(free_port)
cat >"$work/nginx.conf" <<CONF
$( [ "$(id -u)" -eq 0 ] && echo "user root;" )
worker_processes $workers;
daemon off;
pid $work/nginx.pid;
error_log $work/nginx-error.log;
events { worker_connections 4096; }
http {
    access_log off;
    default_type text/html;
    server {
        listen 127.0.0.1:$nginx_port backlog=1024;
        root $work/static;
    }
}
CONF
nginx -c "$work/nginx.conf" -p "$work" &
nginx_pid=$!
for _ in $(seq 50); do
    curl -fsS -o /dev/null "http://127.0.0.1:$nginx_port/calls" 2>/dev/null && break
    sleep 0.1
done
cmp -s <(curl -fsS "http://127.0.0.1:$nginx_port/calls") "$work/static/calls" \
    || { echo "nginx does not serve the same page"; exit 1; }

measure() { # name url
    wrk -t"$threads" -c"$connections" -d"${duration}s" --latency -H 'Connection: close' "$2" >"$work/$1.wrk"
}
rps() { awk '/^Requests\/sec:/{print $2}' "$work/$1.wrk"; }
latency() { awk -v p="$2" '$1 == p {print $2}' "$work/$1.wrk"; }
errors() { awk '/Socket errors|Non-2xx/{print}' "$work/$1.wrk" | tr '\n' ' '; }

measure web "http://127.0.0.1:$web_port/calls"
measure nginx "http://127.0.0.1:$nginx_port/calls"

bytes=$(stat -c %s "$work/static/calls")
echo "calls page: 100 calls, $contacts contacts, $bytes bytes; $connections connections, $threads wrk threads, ${duration}s each; nginx workers: $workers"
printf '%-10s %12s %10s %10s %10s  %s\n' server 'requests/s' p50 p90 p99 errors
for s in web nginx; do
    printf '%-10s %12s %10s %10s %10s  %s\n' "$s" "$(rps $s)" "$(latency $s 50%)" "$(latency $s 90%)" \
        "$(latency $s 99%)" "$(errors $s)"
done
awk -v a="$(rps web)" -v b="$(rps nginx)" 'BEGIN { printf "ratio web/nginx: %.3f\n", a / b }'
