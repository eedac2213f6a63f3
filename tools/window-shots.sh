#!/usr/bin/env bash
# Takes a picture of each editor and tool window of Fettle II on the sample
# model, on a virtual display.
# Usage: tools/window-shots.sh [OUTDIR]   (default build/window-shots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/window-shots}
mkdir -p "$out"
cmake --build "$root/build" --target fettle_screenshot sample-model
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1200x800x24" \
  "$root/build/bin/fettle_screenshot" "$root/build/samples/house.mdl" "$out/fettle.png" "$out"
