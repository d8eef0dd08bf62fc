#!/bin/sh
# Builds the desktop benchmarks in build-bench (Release, one core) and runs
# them: the wallpaper over 1920 x 1080, a grid over a million records, and
# the workspace (login to a stored desktop, a panel drag step, a save).
#
#   bench/run-desktop.sh [bench_desktop flags...]
#   e.g. bench/run-desktop.sh --grid_dir=/tmp/grid      (keep and reuse the table)
#        bench/run-desktop.sh --benchmark_filter=Wallpaper
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# One job: the machine is shared with other builds.
cmake --build "$build" -j1 --target bench_desktop bench_workspace

"$build/bin/bench_desktop" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_out="$build/bench_desktop.json" --benchmark_out_format=json "$@"
"$build/bin/bench_workspace" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_out="$build/bench_workspace.json" --benchmark_out_format=json
