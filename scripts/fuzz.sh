#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (address and undefined-behaviour
# sanitizers) in build-fuzz/, seeds their corpora with files made by the
# writers, and fuzzes each for a bounded time:
#   scripts/fuzz.sh [SECONDS]     (default 30, shared between the harnesses)
# The Paradox table reader gets two thirds of the time, the component-stream
# reader the rest.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
if [ ! -f build-fuzz/build.ninja ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DORBA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build-fuzz --target pdx_fuzz_reader pdx_fuzz_corpus stream_fuzz_reader stream_fuzz_corpus -j"$(nproc)"
run() {
  local name=$1 corpus=$2 time=$3
  local work=build-fuzz/fuzz/work-$name
  mkdir -p "$work"
  local fuzzer
  fuzzer=$(find build-fuzz -type f -name "$name" -perm -u+x | head -n 1)
  echo "== $name for ${time}s"
  "$fuzzer" "$work" "$corpus" -max_total_time="$time" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 2>&1 |
    tail -n 12
}
run pdx_fuzz_reader build-fuzz/fuzz/corpus $((seconds * 2 / 3))
run stream_fuzz_reader build-fuzz/fuzz/stream-corpus $((seconds - seconds * 2 / 3))
