#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup.sh"
bash "$root/tools/build.sh"
cd "$root/build"
# Tests that show windows run on a virtual X display.
xvfb-run -a ctest --output-on-failure -j2
