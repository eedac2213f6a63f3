#!/usr/bin/env bash
# Installs the build into a staging folder, then builds and runs a small
# project of its own against it with find_package(modkit).
#   usage: consumer-test.sh BUILD_DIR SAMPLE.mdl
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1 sample=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cmake --install "$build" --prefix "$tmp/stage" > /dev/null
cmake -S "$here/consumer" -B "$tmp/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$tmp/stage" > /dev/null
cmake --build "$tmp/consumer" > /dev/null
"$tmp/consumer/consumer" "$sample" | tee "$tmp/out"
grep -q "^modkit [0-9.]*: [1-9][0-9]* commands$" "$tmp/out"
