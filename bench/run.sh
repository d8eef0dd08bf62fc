#!/bin/sh
# Builds the Paradox engine benchmarks in build-bench (Release, one core) and
# runs them: first the check that the two readers decode the same values,
# then the benchmarks, which end with a short summary.
#
#   bench/run.sh [bench_paradox flags...]
#   e.g. bench/run.sh --pdx_dir=/tmp/pdx-tables    (keep and reuse the tables)
#        bench/run.sh --benchmark_filter=find      (only the lookups)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# One job: the machine is shared with other builds.
cmake --build "$build" -j1 --target bench_paradox bench_paradox_scan_memory bench_paradox_test

"$build/bin/bench_paradox_test" --gtest_brief=1
"$build/bin/bench_paradox" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_out="$build/bench_paradox.json" --benchmark_out_format=json "$@"
