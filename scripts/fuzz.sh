#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# FUZZ_SECONDS sets the time per target (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -d tests/fuzz ] || [ -z "$(ls tests/fuzz/*.cpp 2>/dev/null)" ]; then
  exit 0
fi
seconds="${FUZZ_SECONDS:-60}"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBAILAN_BUILD_TESTS=OFF -DBAILAN_BUILD_FUZZERS=ON >/dev/null
# Only the fuzz targets: the rest of the tree is not linked with the fuzzer's runtimes.
targets=()
for source in tests/fuzz/fuzz_*.cpp; do
  targets+=("$(basename "$source" .cpp)")
done
cmake --build build/fuzz --target "${targets[@]}"
# Whatever a target writes to its temporary folder stays inside the build tree.
export TMPDIR="$PWD/build/fuzz/tmp"
mkdir -p "$TMPDIR"
status=0
for target in build/fuzz/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  echo "=== fuzz: $name (${seconds}s) ==="
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="tests/fuzz/seeds/${name#fuzz_}"
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 "$corpus" \
      $( [ -d "$seeds" ] && echo "$seeds" ) 2>"build/fuzz/$name.log"; then
    tail -50 "build/fuzz/$name.log"
    status=1
  else
    tail -2 "build/fuzz/$name.log"
  fi
done
exit "$status"
