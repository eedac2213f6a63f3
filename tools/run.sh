#!/usr/bin/env bash
# Sets up, builds and starts Fettle II on the bundled sample model (on a
# virtual display when there is no desktop).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup.sh"
bash "$root/tools/build.sh"
cd "$root"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/fettle build/samples/house.mdl
fi
exec xvfb-run -a build/bin/fettle build/samples/house.mdl
