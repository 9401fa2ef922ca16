#!/usr/bin/env bash
# Extraction speed: bailan-cli unzip against unzip and bsdtar on two archives
# made by zip -6: "large", about 200 MB in 2000 deflated files (text and
# binary, 100 MB packed), and "small", 20 000 text files of 100 to 6000 bytes in
# 1000 folders. Each tool ROUNDS times (default 3), interleaved, into fresh
# folders. Reports wall and CPU seconds and peak resident memory (from
# /usr/bin/time -v), then each tool's best wall time and its ratio to bsdtar's.
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

echo "generating the data sets in $work ..."
python3 - "$work/src" "$work/small" <<'PY'
import os, random, sys


def vocabulary(rng, count):
    return [''.join(rng.choice('abcdefghijklmnopqrstuvwxyz') for _ in range(rng.randint(2, 10))) for _ in range(count)]


def text(rng, words, size):
    """Lines of random words until at least `size` bytes."""
    parts, total = [], 0
    while total < size:
        line = ' '.join(rng.choice(words) for _ in range(rng.randint(4, 16))) + '\n'
        parts.append(line)
        total += len(line)
    return ''.join(parts).encode()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


# The large set: 2000 files of 40-160 kB, a quarter of them binary.
rng = random.Random(2024)
words = vocabulary(rng, 5000)
for i in range(2000):
    folder = os.path.join(sys.argv[1], 'dir%02d' % (i % 40), 'sub%d' % (i % 3))
    size = rng.randint(40_000, 160_000)
    if i % 4 == 3:  # binary: half random, half repeating structure
        data = os.urandom(size // 2) + bytes((j * 7 + i) & 0xFF for j in range(size - size // 2))
        write(os.path.join(folder, 'file%04d.bin' % i), data)
    else:
        write(os.path.join(folder, 'file%04d.txt' % i), text(rng, words, size))

# The small set: 20 000 text files of 100-6000 bytes.
rng = random.Random(2025)
words = vocabulary(rng, 3000)
for i in range(20000):
    folder = os.path.join(sys.argv[2], 'pkg%03d' % (i % 200), 'res%d' % (i % 5))
    size = rng.randint(100, 6000)
    write(os.path.join(folder, 'item%05d.txt' % i), text(rng, words, size)[:size])
PY
for set in src:large small:small; do
  folder="${set%%:*}" name="${set##*:}"
  (cd "$work/$folder" && zip -q -r -6 "$work/$name.zip" .)
  echo "$name: $(du -m "$work/$name.zip" | cut -f1) MB archive, $(du -sm --apparent-size "$work/$folder" | cut -f1) MB in $(find "$work/$folder" -type f | wc -l) files"
  rm -rf "${work:?}/$folder"
done

# Every run extracts into a folder of its own, and none is deleted before the
# end: ext4 gives a new file no inode deleted in the last minutes without
# stepping over each of them, so a run just after deleting 20 000 files would
# pay for that deletion, differently for each tool.
runs=0
measure() {  # name command... (the command's last argument is the folder)
  local name="$1"; shift
  local out="$work/out"
  mkdir -p "$out"; sync
  /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || { cat "$work/stderr.txt" >&2; exit 1; }
  local wall user sys rss
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,a,":"); s=0; for(i=1;i<=n;i++) s=s*60+a[i]; print s}' "$work/time.txt")
  user=$(awk -F': ' '/User time/ {print $2}' "$work/time.txt")
  sys=$(awk -F': ' '/System time/ {print $2}' "$work/time.txt")
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  awk -v n="$name" -v w="$wall" -v u="$user" -v s="$sys" -v r="$rss" \
    'BEGIN {printf "%-20s wall %6.2f s  cpu %6.2f s  peak %7.1f MB\n", n, w, u + s, r / 1024}'
  echo "$name $wall" >>"$work/results.txt"
  runs=$((runs + 1))
  mv "$out" "$work/done.$runs"
}

for round in $(seq "${ROUNDS:-3}"); do
  for archive in large small; do
    echo "--- round $round, $archive"
    # The tools take turns at going first, so that none always finds the disk
    # busiest (or quietest) after the previous run's clean-up.
    for turn in 0 1 2; do
      case $(((round + turn) % 3)) in
        0) measure "$archive/bailan-cli" "$cli" unzip "$work/$archive.zip" "$work/out" ;;
        1) measure "$archive/unzip" unzip -o -q "$work/$archive.zip" -d "$work/out" ;;
        2) measure "$archive/bsdtar" bsdtar -xf "$work/$archive.zip" -C "$work/out" ;;
      esac
    done
  done
done
echo "--- best wall time of ${ROUNDS:-3}, and its ratio to bsdtar's"
sort -k1,1 -k2,2n "$work/results.txt" | awk '!seen[$1]++ {best[$1] = $2; order[++n] = $1}
  END {for (i = 1; i <= n; i++) {name = order[i]; split(name, p, "/");
       printf "%-20s %6.2f s  %5.2fx bsdtar\n", name, best[name], best[name] / best[p[1] "/bsdtar"]}}'
