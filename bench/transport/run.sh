#!/usr/bin/env bash
# Loopback throughput of the HTTP client against curl: nginx serves a 1 GiB
# file; the installer's segment request (ranged PerformRequest + ReadExact in
# 10240-byte blocks into /dev/null) and `curl -s -o /dev/null` fetch it in the
# same run, three times each. Prints MB/s and CPU seconds per GiB.
# Not part of CI. Needs nginx, curl and GNU time (scripts/setup.sh).
#   bench/transport/run.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/lib/nginx.sh
runs="${1:-3}"
size=$((1024 * 1024 * 1024))

[ -f build/default/build.ninja ] || cmake --preset default >/dev/null
cmake --build --preset default --target bailan_http bailan_platform >/dev/null

work=$(mktemp -d /tmp/bailan-bench-transport.XXXXXX)
trap 'bench_nginx_stop; rm -rf "$work"' EXIT
chmod 755 "$work"
g++ -O2 -std=c++20 -Isrc bench/transport/range_read.cpp build/default/src/libbailan_http.a \
  build/default/src/libbailan_platform.a -lz -pthread -o "$work/range_read"
mkdir -p "$work/root"
head -c "$size" /dev/urandom >"$work/root/big.bin"
cat "$work/root/big.bin" >/dev/null  # every run reads from the page cache

bench_nginx_start "$work/root"
url="http://127.0.0.1:$NGINX_PORT/big.bin"

printf "%-8s %4s %8s %8s %10s\n" tool run wall_s "MB/s" "CPU_s/GiB"
declare -A sum_rate=([bailan]=0 [curl]=0) sum_cpu=([bailan]=0 [curl]=0)
for run in $(seq "$runs"); do
  for tool in bailan curl; do
    case "$tool" in
      bailan) result=$(bench_measure "$work/range_read" "$url" "$size") ;;
      curl) result=$(bench_measure curl -s -o /dev/null "$url") ;;
    esac
    read -r wall cpu _ <<<"$result"
    rate=$(awk -v s="$wall" -v n="$size" 'BEGIN { printf "%.0f", n / 1e6 / s }')
    printf "%-8s %4d %8s %8s %10s\n" "$tool" "$run" "$wall" "$rate" "$cpu"
    sum_rate[$tool]=$(awk -v a="${sum_rate[$tool]}" -v b="$rate" 'BEGIN { print a + b }')
    sum_cpu[$tool]=$(awk -v a="${sum_cpu[$tool]}" -v b="$cpu" 'BEGIN { print a + b }')
  done
done
echo
printf "%-8s %8s %10s\n" mean "MB/s" "CPU_s/GiB"
for tool in bailan curl; do
  awk -v t="$tool" -v r="${sum_rate[$tool]}" -v c="${sum_cpu[$tool]}" -v n="$runs" \
    'BEGIN { printf "%-8s %8.0f %10.2f\n", t, r / n, c / n }'
done
