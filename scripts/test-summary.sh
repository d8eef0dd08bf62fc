#!/usr/bin/env bash
# Counts the test cases of the last run from the GoogleTest reports in DIR
# (one XML file per test program, written through GTEST_OUTPUT) and says
# how many were skipped and why, so that a run that skipped cases does not
# pass for a complete one.
#
#   scripts/test-summary.sh DIR
set -euo pipefail
dir="${1:?usage: test-summary.sh DIR}"
shopt -s nullglob
reports=("$dir"/*.xml)
if [ ${#reports[@]} -eq 0 ]; then
  echo "test cases: no GoogleTest report in $dir"
  exit 0
fi
total=0
failed=0
for report in "${reports[@]}"; do
  line=$(grep -m1 '<testsuites ' "$report" || true)
  n=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<< "$line")
  f=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<< "$line")
  total=$((total + ${n:-0}))
  failed=$((failed + ${f:-0}))
done
# A skip's reason is the last line of its message (the first names the
# source line).
reasons=$(grep -ho '<skipped message="[^"]*"' "${reports[@]}" |
  sed 's/^<skipped message="//; s/"$//; s/.*&#x0A;//; s/&apos;/'"'"'/g; s/&quot;/"/g; s/&lt;/</g; s/&gt;/>/g; s/&amp;/\&/g' |
  sort | uniq -c | sort -rn || true)
skipped=0
if [ -n "$reasons" ]; then
  skipped=$(awk '{s += $1} END {print s}' <<< "$reasons")
fi
echo "test cases: $total run, $((total - skipped - failed)) passed, $failed failed, $skipped skipped"
if [ "$skipped" -gt 0 ]; then
  while read -r count reason; do
    echo "  skipped $count: $reason"
  done <<< "$reasons"
fi
