#!/usr/bin/env bash
# Receiving one large file over loopback: bailan-cli fetch (3 segments) beside
# aria2c (3 connections) and curl (one), three times each, at full speed and
# with every connection limited to 20 MB/s. Reports wall and CPU seconds and
# peak memory, and checks every result's SHA-256. Not run by CI.
#   bench/engine/run.sh [SIZE_MIB]   (default 1024)
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/lib/nginx.sh

size_mib="${1:-1024}"
runs=3
cmake --preset default >/dev/null && cmake --build --preset default --target bailan-cli >/dev/null
cli="$PWD/build/default/tools/bailan-cli/bailan-cli"

work=$(mktemp -d /tmp/bailan-bench-engine.XXXXXX)
trap 'bench_nginx_stop; rm -rf "$work"' EXIT
mkdir -p "$work/root"
head -c "$((size_mib * 1048576))" /dev/urandom >"$work/root/data.bin"
expected=$(sha256sum "$work/root/data.bin" | cut -d' ' -f1)
sync  # the generated file's write-back must not land on the first measured run

run_tool() {  # name folder url
  local name="$1" folder="$2" url="$3"
  case "$name" in
    bailan) bench_measure "$cli" fetch --no-extract "$url" "$folder" ;;
    aria2c) bench_measure aria2c -q -x3 -s3 --file-allocation=trunc --allow-overwrite=true -d "$folder" -o data.bin "$url" ;;
    curl) bench_measure curl -s -o "$folder/data.bin" "$url" ;;
  esac
}

scenario() {  # title directives
  local title="$1" directives="$2"
  bench_nginx_start "$work/root" "$directives"
  local url="http://127.0.0.1:$NGINX_PORT/data.bin"
  echo "== $title: ${size_mib} MiB"
  printf '%-8s %4s %8s %8s %10s %s\n' tool run wall_s cpu_s peak_MiB sha256
  # One unmeasured fetch warms the server's page cache and the disk.
  rm -rf "$work/warm" && mkdir -p "$work/warm" && curl -s -o "$work/warm/data.bin" "$url" && rm -rf "$work/warm" && sync
  for run in $(seq 1 "$runs"); do
    for tool in bailan aria2c curl; do
      local folder="$work/out-$tool-$run"
      rm -rf "$folder" && mkdir -p "$folder"
      read -r wall cpu peak < <(run_tool "$tool" "$folder" "$url")
      local sum ok
      sum=$(sha256sum "$folder/data.bin" | cut -d' ' -f1)
      ok=$([ "$sum" = "$expected" ] && echo ok || echo MISMATCH)
      printf '%-8s %4d %8s %8s %10.1f %s\n' "$tool" "$run" "$wall" "$cpu" "$(echo "$peak / 1024" | bc -l)" "$ok"
      rm -rf "$folder"
    done
  done
  bench_nginx_stop
}

scenario "full speed" ""
scenario "20 MB/s per connection" "limit_rate 20m;"
echo "ideal with 3 connections at 20 MB/s: $(echo "scale=2; $size_mib * 1048576 / 3 / 20971520" | bc) s"
