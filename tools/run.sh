#!/usr/bin/env bash
# Sets up, builds and opens the bundled sample model.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup.sh"
bash "$root/tools/build.sh"
exec "$root/build/bin/fettle-cli" info "$root/build/samples/house.mdl"
