#!/usr/bin/env bash
# Loopback throughput of the HTTP client against curl: nginx serves a 1 GiB
# file; the installer's segment request (ranged PerformRequest + ReadExact in
# 10240-byte blocks into /dev/null) and `curl -s -o /dev/null` fetch it in the
# same run, three times each. Prints MB/s and CPU seconds per GiB.
# Not part of CI. Needs nginx, curl and GNU time (scripts/setup.sh).
#   bench/transport/run.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs="${1:-3}"
size=$((1024 * 1024 * 1024))

command -v nginx >/dev/null || PATH="$PATH:/usr/sbin"
for tool in nginx curl /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (run scripts/setup.sh)" >&2; exit 1; }
done

[ -f build/default/build.ninja ] || cmake --preset default >/dev/null
cmake --build --preset default --target bailan_transport bailan_platform >/dev/null

work=$(mktemp -d /tmp/bailan-bench-XXXXXX)
chmod 755 "$work"
nginx_pid=""
cleanup() {
  if [ -n "$nginx_pid" ]; then
    kill "$nginx_pid" 2>/dev/null || true
    wait "$nginx_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

g++ -O2 -std=c++20 -Isrc bench/transport/range_read.cpp build/default/src/libbailan_transport.a \
  build/default/src/libbailan_platform.a -lz -pthread -o "$work/range_read"

mkdir -p "$work/root" "$work/logs" "$work/temp"
dd if=/dev/urandom of="$work/root/big.bin" bs=1M count=1024 status=none

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
user_line=""
[ "$(id -u)" -eq 0 ] && user_line="user root;"
cat >"$work/nginx.conf" <<CONF
$user_line
worker_processes 1;
daemon off;
pid $work/logs/nginx.pid;
error_log $work/logs/error.log warn;
events { worker_connections 64; }
http {
  access_log off;
  sendfile on;
  client_body_temp_path $work/temp/body;
  proxy_temp_path $work/temp/proxy;
  fastcgi_temp_path $work/temp/fastcgi;
  uwsgi_temp_path $work/temp/uwsgi;
  scgi_temp_path $work/temp/scgi;
  server {
    listen 127.0.0.1:$port;
    root $work/root;
  }
}
CONF
nginx -p "$work/" -c "$work/nginx.conf" -e "$work/logs/error.log" &
nginx_pid=$!
for _ in $(seq 100); do
  curl -s -o /dev/null "http://127.0.0.1:$port/" 2>/dev/null && break
  sleep 0.05
done
url="http://127.0.0.1:$port/big.bin"

# Warm the page cache so that every run reads from memory.
cat "$work/root/big.bin" >/dev/null

measure() {  # prints "seconds cpu-seconds"
  local timing="$work/timing"
  /usr/bin/time -f "%e %U %S" -o "$timing" "$@" >/dev/null
  awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' "$timing"
}

printf "%-10s %4s %10s %10s %14s\n" tool run seconds "MB/s" "CPU s/GiB"
declare -A total_rate total_cpu
for tool in bailan curl; do
  total_rate[$tool]=0
  total_cpu[$tool]=0
done
for run in $(seq "$runs"); do
  for tool in bailan curl; do
    if [ "$tool" = bailan ]; then
      result=$(measure "$work/range_read" "$url" "$size")
    else
      result=$(measure curl -s -o /dev/null "$url")
    fi
    read -r seconds cpu <<<"$result"
    rate=$(awk -v s="$seconds" -v n="$size" 'BEGIN { printf "%.0f", n / 1e6 / s }')
    printf "%-10s %4d %10s %10s %14s\n" "$tool" "$run" "$seconds" "$rate" "$cpu"
    total_rate[$tool]=$(awk -v a="${total_rate[$tool]}" -v b="$rate" 'BEGIN { print a + b }')
    total_cpu[$tool]=$(awk -v a="${total_cpu[$tool]}" -v b="$cpu" 'BEGIN { print a + b }')
  done
done
echo
printf "%-10s %10s %14s\n" mean "MB/s" "CPU s/GiB"
for tool in bailan curl; do
  printf "%-10s %10.0f %14.3f\n" "$tool" "$(awk -v t="${total_rate[$tool]}" -v r="$runs" 'BEGIN { print t / r }')" \
    "$(awk -v t="${total_cpu[$tool]}" -v r="$runs" 'BEGIN { print t / r }')"
done
