#!/usr/bin/env bash
# Takes a screenshot of Fettle II showing the sample model on a virtual display.
# Usage: tools/screenshot.sh [OUT.png]   (default build/fettle-screenshot.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/fettle-screenshot.png}
cmake --build "$root/build" --target fettle_screenshot sample-model
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1400x1000x24" \
  "$root/build/bin/fettle_screenshot" "$root/build/samples/house.mdl" "$out"
echo "$out"
