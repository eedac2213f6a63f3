#!/usr/bin/env bash
# Prints the lines of test code against the lines of code (wc -l over *.cpp
# and *.h, blank and comment lines included).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
count() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | wc -l; }
tests=$(count tests)
code=$(count modkit fettle tools/fettle-cli)
awk -v t="$tests" -v c="$code" 'BEGIN { printf "test/code lines: %d / %d = %.2f\n", t, c, t / c }'
