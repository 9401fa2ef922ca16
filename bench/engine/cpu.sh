#!/usr/bin/env bash
# Processor time per byte at full speed over loopback, nginx as the peer:
# bailan-cli fetch (3 ranges) beside curl (one connection), taking turns, RUNS
# rounds. Prints every run (wall and CPU seconds, peak memory, whether the
# result's SHA-256 is right), then per tool the best and the median CPU seconds
# (user + system, from /usr/bin/time) per GiB. Not run by CI.
#   bench/engine/cpu.sh [SIZE_MIB] [RUNS]   (defaults 256 and 7)
# BAILAN_CLI names the bailan-cli to measure (default: the default preset's,
# built first); BAILAN_CLI_B names a second one measured beside it (an older
# build, for a before and after).
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/lib/nginx.sh

size_mib="${1:-256}"
runs="${2:-7}"
cli=$(bench_cli)
tools="bailan curl"
[ -n "${BAILAN_CLI_B:-}" ] && tools="bailan bailan-b curl"

work=$(mktemp -d /tmp/bailan-bench-cpu.XXXXXX)
trap 'bench_nginx_stop; rm -rf "$work"' EXIT
mkdir -p "$work/root"
expected=$(bench_data_file "$work/root" "$size_mib")

run_tool() {  # name folder url
  local name="$1" folder="$2" url="$3"
  case "$name" in
    bailan) bench_measure "$cli" fetch --no-extract "$url" "$folder" ;;
    bailan-b) bench_measure "$BAILAN_CLI_B" fetch --no-extract "$url" "$folder" ;;
    curl) bench_measure curl -s -o "$folder/data.bin" "$url" ;;
  esac
}

bench_nginx_start "$work/root"
url="http://127.0.0.1:$NGINX_PORT/data.bin"
# One unmeasured round of every tool warms the server's page cache, the disk
# and the programs' own files: the first fetch after the data was generated
# pays for memory the kernel has not used yet, whichever tool it is.
# shellcheck disable=SC2086  # the tool names are words
bench_runs 1 "$work" "$url" "$expected" $tools >/dev/null
sync

echo "== full speed: ${size_mib} MiB, $runs runs; load: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-10s %4s %8s %8s %10s %s\n' tool run wall_s cpu_s peak_MiB sha256
# shellcheck disable=SC2086
bench_runs "$runs" "$work" "$url" "$expected" $tools | tee "$work/table"
echo "== CPU seconds per GiB (user + system); load after: $(cut -d' ' -f1-3 /proc/loadavg)"
for tool in $tools; do
  awk -v tool="$tool" -v mib="$size_mib" '$1 == tool { print $4 * 1024 / mib }' "$work/table" | sort -g |
    awk -v tool="$tool" '{ v[NR] = $1 }
      END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "%-10s best %.2f  median %.2f\n", tool, v[1], m }'
done
if grep -q MISMATCH "$work/table"; then
  echo "a result's SHA-256 is wrong" >&2
  exit 1
fi
