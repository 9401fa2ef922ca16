#!/usr/bin/env bash
# Extraction speed: bailan-cli unzip against unzip and bsdtar on one archive of
# about 200 MB in about 2000 deflated files (text and binary, made by zip -6),
# each tool three times, interleaved, into fresh folders. Reports wall and CPU
# seconds and peak resident memory (from /usr/bin/time -v).
#   bench/zip/run.sh [BAILAN_CLI]     (default: build/default/tools/bailan-cli/bailan-cli)
# WORK=folder overrides the scratch folder (default: a new one under TMPDIR or /tmp).
set -euo pipefail
cd "$(dirname "$0")/../.."
cli="${1:-build/default/tools/bailan-cli/bailan-cli}"
for tool in "$cli" zip unzip bsdtar python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (scripts/setup.sh installs it)" >&2; exit 1; }
done
work="${WORK:-$(mktemp -d "${TMPDIR:-/tmp}/bailan-bench-zip.XXXXXX")}"
trap 'rm -rf "$work"' EXIT

echo "generating the data set in $work ..."
python3 - "$work/src" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(2024)
words = [''.join(rng.choice('abcdefghijklmnopqrstuvwxyz') for _ in range(rng.randint(2, 10))) for _ in range(5000)]
for i in range(2000):
    folder = os.path.join(root, 'dir%02d' % (i % 40), 'sub%d' % (i % 3))
    os.makedirs(folder, exist_ok=True)
    size = rng.randint(40_000, 160_000)
    if i % 4 == 3:  # binary: half random, half repeating structure
        data = os.urandom(size // 2) + bytes((j * 7 + i) & 0xFF for j in range(size - size // 2))
        name = 'file%04d.bin' % i
    else:
        parts, total = [], 0
        while total < size:
            line = ' '.join(rng.choice(words) for _ in range(rng.randint(4, 16))) + '\n'
            parts.append(line)
            total += len(line)
        data = ''.join(parts).encode()
        name = 'file%04d.txt' % i
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)
PY
(cd "$work/src" && zip -q -r -6 "$work/bench.zip" .)
echo "archive: $(du -m "$work/bench.zip" | cut -f1) MB, $(du -sm "$work/src" | cut -f1) MB unpacked, $(find "$work/src" -type f | wc -l) files"
rm -rf "$work/src"

measure() {  # name command...
  local name="$1"; shift
  local out="$work/out"
  rm -rf "$out"; mkdir -p "$out"; sync
  /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || { cat "$work/stderr.txt" >&2; exit 1; }
  local wall user sys rss
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,a,":"); s=0; for(i=1;i<=n;i++) s=s*60+a[i]; print s}' "$work/time.txt")
  user=$(awk -F': ' '/User time/ {print $2}' "$work/time.txt")
  sys=$(awk -F': ' '/System time/ {print $2}' "$work/time.txt")
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  awk -v n="$name" -v w="$wall" -v u="$user" -v s="$sys" -v r="$rss" \
    'BEGIN {printf "%-12s wall %6.2f s  cpu %6.2f s  peak %7.1f MB\n", n, w, u + s, r / 1024}'
  echo "$name $wall" >>"$work/results.txt"
}

for round in 1 2 3; do
  echo "--- round $round"
  measure bailan-cli "$cli" unzip "$work/bench.zip" "$work/out"
  measure unzip unzip -o -q "$work/bench.zip" -d "$work/out"
  measure bsdtar bsdtar -xf "$work/bench.zip" -C "$work/out"
done
echo "--- best wall time of three"
sort -k1,1 -k2,2n "$work/results.txt" | awk '!seen[$1]++ {printf "%-12s %6.2f s\n", $1, $2}'
