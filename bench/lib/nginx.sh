#!/usr/bin/env bash
# Starts and stops Debian's nginx on a free loopback port for the benchmarks.
# Also bench_cli (the program to measure), bench_measure (time one command) and
# bench_runs (a table of runs).
#   source bench/lib/nginx.sh
#   bench_nginx_start ROOT [DIRECTIVES]   # serves ROOT at /, sets NGINX_PORT
#   bench_nginx_stop
# DIRECTIVES go into the server block (for example "limit_rate 20m;").

# The bailan-cli to measure: BAILAN_CLI, else the default preset's, built first.
bench_cli() {
  if [ -n "${BAILAN_CLI:-}" ]; then
    echo "$BAILAN_CLI"
    return
  fi
  cmake --preset default >/dev/null && cmake --build --preset default --target bailan-cli >/dev/null
  echo "$PWD/build/default/tools/bailan-cli/bailan-cli"
}

# SIZE_MIB MiB of random bytes in ROOT/data.bin, written back to disk before any
# run is measured; prints the file's SHA-256.
#   expected=$(bench_data_file ROOT SIZE_MIB)
bench_data_file() {
  head -c "$(($2 * 1048576))" /dev/urandom >"$1/data.bin"
  sha256sum "$1/data.bin" | cut -d' ' -f1
  sync
}

bench_free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

bench_nginx_start() {
  local root="$1" directives="${2:-}"
  NGINX_PREFIX=$(mktemp -d /tmp/bailan-bench-nginx.XXXXXX)
  NGINX_PORT=$(bench_free_port)
  mkdir -p "$NGINX_PREFIX/logs" "$NGINX_PREFIX/tmp"
  local user_line=""
  [ "$(id -u)" -eq 0 ] && user_line="user root;"
  cat >"$NGINX_PREFIX/nginx.conf" <<CONF
$user_line
worker_processes 1;
daemon on;
pid $NGINX_PREFIX/nginx.pid;
error_log $NGINX_PREFIX/logs/error.log warn;
events { worker_connections 64; }
http {
  access_log off;
  sendfile on;
  tcp_nopush on;
  client_body_temp_path $NGINX_PREFIX/tmp/body;
  proxy_temp_path $NGINX_PREFIX/tmp/proxy;
  fastcgi_temp_path $NGINX_PREFIX/tmp/fastcgi;
  uwsgi_temp_path $NGINX_PREFIX/tmp/uwsgi;
  scgi_temp_path $NGINX_PREFIX/tmp/scgi;
  types { application/octet-stream bin; }
  server {
    listen 127.0.0.1:$NGINX_PORT;
    root $root;
    $directives
  }
}
CONF
  nginx -p "$NGINX_PREFIX" -c "$NGINX_PREFIX/nginx.conf" -e "$NGINX_PREFIX/logs/error.log"
  for _ in $(seq 1 100); do
    curl -s -o /dev/null "http://127.0.0.1:$NGINX_PORT/" && return 0
    sleep 0.05
  done
  echo "nginx did not start:" >&2
  cat "$NGINX_PREFIX/logs/error.log" >&2
  return 1
}

bench_nginx_stop() {
  if [ -n "${NGINX_PREFIX:-}" ] && [ -f "$NGINX_PREFIX/nginx.pid" ]; then
    kill "$(cat "$NGINX_PREFIX/nginx.pid")" 2>/dev/null || true
    sleep 0.2
  fi
  [ -n "${NGINX_PREFIX:-}" ] && rm -rf "$NGINX_PREFIX"
  NGINX_PREFIX=""
}

# Runs a command under GNU time and prints "wall cpu peakKB" for it.
bench_measure() {
  local out
  out=$(mktemp)
  /usr/bin/time -f '%e %U %S %M' -o "$out" "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; rm -f "$out"; return 1; }
  awk '{ printf "%.2f %.2f %d\n", $1, $2 + $3, $4 }' "$out"
  rm -f "$out"
}

# RUNS rounds of every TOOL receiving URL into a fresh folder under WORK, one
# table line each (wall and CPU seconds, peak MiB, whether data.bin's SHA-256
# is EXPECTED). The caller defines run_tool NAME FOLDER URL, which runs one tool
# through bench_measure.
#   bench_runs RUNS WORK URL EXPECTED TOOL...
bench_runs() {
  local runs="$1" work="$2" url="$3" expected="$4"
  shift 4
  for run in $(seq 1 "$runs"); do
    for tool in "$@"; do
      local folder="$work/out-$tool-$run"
      rm -rf "$folder" && mkdir -p "$folder"
      read -r wall cpu peak < <(run_tool "$tool" "$folder" "$url")
      local sum ok
      sum=$(sha256sum "$folder/data.bin" | cut -d' ' -f1)
      ok=$([ "$sum" = "$expected" ] && echo ok || echo MISMATCH)
      printf '%-10s %4d %8s %8s %10.1f %s\n' "$tool" "$run" "$wall" "$cpu" "$(echo "$peak / 1024" | bc -l)" "$ok"
      rm -rf "$folder"
    done
  done
}
