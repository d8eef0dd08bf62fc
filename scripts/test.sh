#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
# Every source as .clang-format says.
bash scripts/check-format.sh
# The Paradox reader under libFuzzer, for a bounded time, before the suite.
bash scripts/fuzz.sh 30
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 600
