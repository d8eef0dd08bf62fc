#!/usr/bin/env bash
# Builds the Paradox reader's libFuzzer harness with clang (address and
# undefined-behaviour sanitizers) in build-fuzz/, seeds its corpus with
# tables made by the writer, and fuzzes for a bounded time:
#   scripts/fuzz.sh [SECONDS]     (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
if [ ! -f build-fuzz/build.ninja ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DORBA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build-fuzz --target pdx_fuzz_reader pdx_fuzz_corpus -j"$(nproc)"
corpus=build-fuzz/fuzz/corpus
work=build-fuzz/fuzz/work
mkdir -p "$work"
fuzzer=$(find build-fuzz -type f -name pdx_fuzz_reader -perm -u+x | head -n 1)
"$fuzzer" "$work" "$corpus" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 2>&1 | tail -n 12
