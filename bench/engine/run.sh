#!/usr/bin/env bash
# Receiving one large file over loopback: bailan-cli fetch (3 segments) beside
# aria2c (3 connections) and curl (one), three times each, at full speed and
# with every connection limited to 20 MB/s; then 256 MiB at 20 MB/s per
# connection through a proxy that resets every connection after 30 MB, for
# bailan-cli and aria2c (whose own retries do the same job). Reports wall and
# CPU seconds and peak memory, and checks every result's SHA-256. Not run by CI.
#   bench/engine/run.sh [SIZE_MIB]   (default 1024)
#   bench/engine/run.sh --sha256 [SIZE_MIB]   (default 256)
# --sha256 measures only what checking the archive's digest costs: bailan-cli
# fetch without and with --sha256, side by side, seven times each, at full speed
# and at 20 MB/s per connection.
# BAILAN_CLI names another bailan-cli to measure (an older build, for a comparison).
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/lib/nginx.sh

sha_only=""
if [ "${1:-}" = "--sha256" ]; then
  sha_only=1
  shift
fi
size_mib="${1:-$([ -n "$sha_only" ] && echo 256 || echo 1024)}"
runs=$([ -n "$sha_only" ] && echo 7 || echo 3)
cli=$(bench_cli)

work=$(mktemp -d /tmp/bailan-bench-engine.XXXXXX)
proxy_pid=""
trap 'bench_nginx_stop; [ -n "$proxy_pid" ] && kill "$proxy_pid" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/root"
expected=$(bench_data_file "$work/root" "$size_mib")

run_tool() {  # name folder url
  local name="$1" folder="$2" url="$3"
  case "$name" in
    bailan) bench_measure "$cli" fetch --no-extract "$url" "$folder" ;;
    bailan+sha) bench_measure "$cli" fetch --no-extract --sha256 "$expected" "$url" "$folder" ;;
    aria2c) bench_measure aria2c -q -x3 -s3 --file-allocation=trunc --allow-overwrite=true -d "$folder" -o data.bin "$url" ;;
    curl) bench_measure curl -s -o "$folder/data.bin" "$url" ;;
  esac
}

scenario() {  # title directives [tools] [reset-after-bytes]
  local title="$1" directives="$2" tools="${3:-bailan aria2c curl}" reset_after="${4:-}"
  bench_nginx_start "$work/root" "$directives"
  local url="http://127.0.0.1:$NGINX_PORT/data.bin" direct="http://127.0.0.1:$NGINX_PORT/data.bin"
  if [ -n "$reset_after" ]; then
    local proxy_port
    proxy_port=$(bench_free_port)
    python3 bench/lib/reset_proxy.py "$proxy_port" "$NGINX_PORT" "$reset_after" >"$work/proxy.out" &
    proxy_pid=$!
    for _ in $(seq 1 100); do grep -q ready "$work/proxy.out" 2>/dev/null && break; sleep 0.05; done
    url="http://127.0.0.1:$proxy_port/data.bin"
  fi
  echo "== $title: ${size_mib} MiB"
  printf '%-10s %4s %8s %8s %10s %s\n' tool run wall_s cpu_s peak_MiB sha256
  # One unmeasured fetch warms the server's page cache and the disk.
  rm -rf "$work/warm" && mkdir -p "$work/warm" && curl -s -o "$work/warm/data.bin" "$direct" && rm -rf "$work/warm" && sync
  bench_runs "$runs" "$work" "$url" "$expected" $tools
  bench_nginx_stop
  if [ -n "$proxy_pid" ]; then kill "$proxy_pid" 2>/dev/null || true; proxy_pid=""; fi
}

if [ -n "$sha_only" ]; then
  scenario "full speed, without and with --sha256" "" "bailan bailan+sha"
  scenario "20 MB/s per connection, without and with --sha256" "limit_rate 20m;" "bailan bailan+sha"
  exit 0
fi
scenario "full speed" ""
scenario "20 MB/s per connection" "limit_rate 20m;"
echo "ideal with 3 connections at 20 MB/s: $(echo "scale=2; $size_mib * 1048576 / 3 / 20971520" | bc) s"

size_mib=256
head -c "$((size_mib * 1048576))" /dev/urandom >"$work/root/data.bin"
expected=$(sha256sum "$work/root/data.bin" | cut -d' ' -f1)
sync
scenario "20 MB/s per connection, a reset every 30 MB" "limit_rate 20m;" "bailan aria2c" $((30 * 1000000))
echo "ideal with 3 connections at 20 MB/s: $(echo "scale=2; $size_mib * 1048576 / 3 / 20971520" | bc) s"
