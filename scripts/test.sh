#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, the Debian package's
# among them (it builds the package it checks).
set -euo pipefail
cd "$(dirname "$0")/.."
# The package test builds the package and checks it with lintian.
bash scripts/install-deps.sh --package
bash scripts/build.sh
# Every source as .clang-format says.
bash scripts/check-format.sh
# The Paradox reader under libFuzzer, for a bounded time, before the suite.
bash scripts/fuzz.sh 30
# Each test program writes its report to build/test-results; the last line
# counts the cases, and the skipped ones with their reason.
rm -rf build/test-results
status=0
(cd build && GTEST_OUTPUT="xml:$PWD/test-results/" QT_QPA_PLATFORM=offscreen \
  ctest --output-on-failure -j2 --timeout 600) || status=$?
bash scripts/test-summary.sh build/test-results
exit "$status"
