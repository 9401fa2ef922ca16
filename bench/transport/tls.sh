#!/usr/bin/env bash
# Receiving one file over TLS from nginx on loopback: bailan-cli fetch (3
# segments) beside curl (one connection) and aria2c (3 connections, GnuTLS),
# three times each; then the same over plain HTTP, to compare with an older
# build (BAILAN_CLI_BEFORE) whose plain path must be as fast. Reports wall and
# CPU seconds and peak memory, and checks every result's SHA-256. Not run by CI.
#   bench/transport/tls.sh [SIZE_MIB]   (default 256)
# BAILAN_CLI names the bailan-cli to measure; BAILAN_CLI_BEFORE an older one
# measured beside it over plain HTTP.
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/lib/nginx.sh

size_mib="${1:-256}"
runs=3
cli=$(bench_cli)
before="${BAILAN_CLI_BEFORE:-}"

work=$(mktemp -d /tmp/bailan-bench-tls.XXXXXX)
trap 'bench_nginx_stop; rm -rf "$work"' EXIT
mkdir -p "$work/root"
head -c "$((size_mib * 1048576))" /dev/urandom >"$work/root/data.bin"
expected=$(sha256sum "$work/root/data.bin" | cut -d' ' -f1)
# A self-signed certificate for 127.0.0.1, trusted by every tool through its option.
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout "$work/key.pem" \
  -out "$work/cert.pem" -days 1 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 2>/dev/null
sync  # the generated file's write-back must not land on the first measured run

tls_port=$(bench_free_port)
bench_nginx_start "$work/root" "listen 127.0.0.1:$tls_port ssl; ssl_certificate $work/cert.pem;
    ssl_certificate_key $work/key.pem; ssl_protocols TLSv1.2 TLSv1.3;"

run_tool() {  # name folder url
  local name="$1" folder="$2" url="$3"
  case "$name" in
    bailan) bench_measure "$cli" fetch --no-extract --cacert "$work/cert.pem" "$url" "$folder" ;;
    before) bench_measure "$before" fetch --no-extract "$url" "$folder" ;;
    aria2c) bench_measure aria2c -q -x3 -s3 --file-allocation=trunc --allow-overwrite=true \
              --ca-certificate="$work/cert.pem" -d "$folder" -o data.bin "$url" ;;
    curl) bench_measure curl -s --cacert "$work/cert.pem" -o "$folder/data.bin" "$url" ;;
  esac
}

scenario() {  # title url tools
  local title="$1" url="$2" tools="$3"
  echo "== $title: ${size_mib} MiB"
  printf '%-10s %4s %8s %8s %10s %s\n' tool run wall_s cpu_s peak_MiB sha256
  bench_runs "$runs" "$work" "$url" "$expected" $tools
}

# One unmeasured fetch warms the server's page cache and the disk.
curl -s -o /dev/null "http://127.0.0.1:$NGINX_PORT/data.bin" && sync
scenario "https" "https://127.0.0.1:$tls_port/data.bin" "bailan curl aria2c"
scenario "plain http" "http://127.0.0.1:$NGINX_PORT/data.bin" "bailan ${before:+before} curl"
