#!/usr/bin/env bash
# Fails when a C or C++ source of the project differs from what clang-format
# makes of it with the committed .clang-format. Fix with:
#   git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c' 2>/dev/null || find src tests tools modules bench fuzz include \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \))
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/orba-format.$$; then
  grep -E '^[^ ].*: (error|warning):' /tmp/orba-format.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  rm -f /tmp/orba-format.$$
  echo "Run: git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i" >&2
  exit 1
fi
rm -f /tmp/orba-format.$$
echo "format: ${#files[@]} files follow .clang-format"
