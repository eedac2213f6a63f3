#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz with clang under the address and
# undefined-behaviour sanitizers in build-fuzz/, then runs each for
# FUZZ_SECONDS (default 30) seconds from its generated seeds, the reproducers
# of past findings and the corpus earlier runs grew. Any finding fails; its
# input is kept in build-fuzz/findings/<name>/, to be added to
# tests/fuzz/regressions/<name>/ with the fix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
seconds=${FUZZ_SECONDS:-30}
names=(mdl_read mdl_roundtrip bgl_library texture config)

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DFETTLE_FUZZ=ON -DFETTLE_BUILD_TESTS=OFF -DFETTLE_BUILD_BENCH=OFF -DFETTLE_BUILD_PROGRAM=OFF >/dev/null
cmake --build "$build" --target fuzz-seed-corpus "${names[@]/#/fuzz_}"

status=0
for n in "${names[@]}"; do
  corpus=$build/fuzz-corpus/$n findings=$build/findings/$n log=$build/fuzz-$n.log
  mkdir -p "$corpus" "$findings"
  inputs=("$corpus" "$build/fuzz-seeds/$n")
  [ -d "$root/tests/fuzz/regressions/$n" ] && inputs+=("$root/tests/fuzz/regressions/$n")
  if ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$root/tools/lsan.supp QT_QPA_PLATFORM=offscreen \
    "$build/bin/fuzz_$n" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$findings/" "${inputs[@]}" >"$log" 2>&1; then
    echo "fuzz_$n: $(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1)"
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" | sed 's/^/  /'
  else
    echo "fuzz_$n: FINDING (log $log, input in $findings/)"
    tail -n 60 "$log"
    status=1
  fi
done
exit $status
