#!/usr/bin/env bash
# Prints the lines of test code against the lines of code (wc -l over *.cpp
# and *.h, blank and comment lines included). With --check LIMIT it fails when
# the ratio is above LIMIT.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
limit=
if [ "${1:-}" = --check ]; then
  limit=${2:?usage: test-ratio.sh [--check LIMIT]}
fi
count() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | wc -l; }
tests=$(count tests)
code=$(count modkit fettle tools/fettle-cli)
awk -v t="$tests" -v c="$code" 'BEGIN { printf "test/code lines: %d / %d = %.2f\n", t, c, t / c }'
if [ -n "$limit" ]; then
  awk -v t="$tests" -v c="$code" -v l="$limit" 'BEGIN {
    if (t / c > l) { printf "test/code ratio %.3f is above the limit %s\n", t / c, l; exit 1 } }'
fi
