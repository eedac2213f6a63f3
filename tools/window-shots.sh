#!/usr/bin/env bash
# Pictures of Fettle II's editor and tool windows on the sample model, taken on
# a virtual display: one PNG per window, named after it.
# Usage: tools/window-shots.sh [OUTDIR]   (default build/window-shots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/window-shots}
cmake --build "$root/build" --target fettle_screenshot sample-model
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1400x1000x24" \
  "$root/build/bin/fettle_screenshot" --windows "$root/build/samples/house.mdl" "$out"
