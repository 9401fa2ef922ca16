#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
#
#   FUZZ_SECONDS  time per target in seconds (default 60, the short run of CI and test.sh)
#   FUZZ_JOBS     parallel fuzzing processes per target (default 1); above 1 the
#                 target runs with -jobs=N -workers=N, each process for FUZZ_SECONDS
#   FUZZ_TARGETS  names of the targets to run, separated by spaces (default: all),
#                 e.g. "fuzz_unzip fuzz_uri"
#
# A long campaign: FUZZ_SECONDS=3600 FUZZ_JOBS=2 scripts/fuzz.sh
# Every input that makes a target fail is saved as a file under
# tests/fuzz/findings/<name>/ (crash-*, timeout-*, oom-*), where the ctest
# fuzz_replay_<name> replays it; the corpus grows in build/fuzz/corpus/.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
if [ ! -d tests/fuzz ] || [ -z "$(ls tests/fuzz/fuzz_*.cpp 2>/dev/null)" ]; then
  exit 0
fi
seconds="${FUZZ_SECONDS:-60}"
jobs="${FUZZ_JOBS:-1}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ && "$jobs" =~ ^[1-9][0-9]*$ ]]; then
  echo "fuzz.sh: FUZZ_SECONDS and FUZZ_JOBS must be positive whole numbers" >&2
  exit 2
fi
targets=()
if [ -n "${FUZZ_TARGETS:-}" ]; then
  read -r -a targets <<<"$FUZZ_TARGETS"
else
  for source in tests/fuzz/fuzz_*.cpp; do
    targets+=("$(basename "$source" .cpp)")
  done
fi
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBAILAN_BUILD_TESTS=OFF -DBAILAN_BUILD_FUZZERS=ON >/dev/null
# Only the fuzz targets: the rest of the tree is not linked with the fuzzer's runtimes.
cmake --build build/fuzz --target "${targets[@]}"
# Whatever a target writes to its temporary folder stays inside the build tree.
export TMPDIR="$root/build/fuzz/tmp"
mkdir -p "$TMPDIR"

count_findings() {
  find "$1" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'timeout-*' -o -name 'oom-*' -o -name 'leak-*' \) |
    wc -l
}

status=0
for name in "${targets[@]}"; do
  target="$root/build/fuzz/tests/fuzz/$name"
  [ -x "$target" ] || { echo "fuzz.sh: no target $name" >&2; status=1; continue; }
  short="${name#fuzz_}"
  corpus="$root/build/fuzz/corpus/$name"
  findings="$root/tests/fuzz/findings/$short"
  logs="$root/build/fuzz/logs/$name"
  seeds="$root/tests/fuzz/seeds/$short"
  mkdir -p "$corpus" "$findings" "$logs"
  rm -f "$logs"/fuzz-*.log
  before=$(count_findings "$findings")
  options=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$findings/")
  [ "$jobs" -gt 1 ] && options+=(-jobs="$jobs" -workers="$jobs")
  inputs=("$corpus")
  [ -d "$seeds" ] && inputs+=("$seeds")
  echo "=== fuzz: $name (${seconds}s x $jobs) ==="
  # With -jobs each worker writes fuzz-<n>.log into the current folder.
  failed=0
  (cd "$logs" && "$target" "${options[@]}" "${inputs[@]}" 2>"$logs/main.log") || failed=1
  after=$(count_findings "$findings")
  if [ "$failed" -ne 0 ] || [ "$after" -gt "$before" ]; then
    status=1
    tail -50 "$logs/main.log"
    for log in "$logs"/fuzz-*.log; do [ -f "$log" ] && tail -20 "$log"; done
    echo "fuzz.sh: $((after - before)) new finding(s) in tests/fuzz/findings/$short/"
  else
    tail -2 "$logs/main.log"
  fi
  rmdir "$findings" 2>/dev/null || true  # no empty folders left behind
done
exit "$status"
