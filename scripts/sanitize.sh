#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ and runs the whole suite there, the scenarios under the X
# server included. Any report of either sanitizer fails the test that
# produced it; the summary counts them.
#
#   scripts/sanitize.sh [ctest arguments, e.g. -R scenarios]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if [ ! -f build-asan/build.ninja ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBA_SANITIZE=ON -DORBA_NO_BENCH=ON
fi
cmake --build build-asan -j"$(nproc)"

reports="$PWD/build-asan/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
# Every report goes to a file of its own as well as to the test's output
# (strict string checks stay off: libxkbcommon hands strndup names that are
# not NUL-terminated, as strndup allows, at every start on the X platform);
# the leaks of libraries outside the project are listed in
# scripts/lsan-suppressions.txt, each with its reason.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:log_path=$reports/asan:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0"
# The package tests are left out: a sanitizer build is no package anyone
# ships, and lintian's view of it (the text the compiler stores, the
# hardening) is not the released build's.
status=0
(cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 1800 -E '^package' "$@") || status=$?
count=$(find "$reports" -type f | wc -l)
echo "sanitizer reports: $count"
for f in "$reports"/*; do
  [ -f "$f" ] || continue
  echo "== $f"
  head -n 40 "$f"
done
[ "$count" -eq 0 ] || status=1
exit "$status"
