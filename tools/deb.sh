#!/usr/bin/env bash
# Builds the Debian package from build/ (after tools/build.sh) and checks it:
# the desktop entry, the AppStream data and lintian (errors fail).
#   usage: deb.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
desktop-file-validate "$root/dist/org.example.fettle.desktop"
appstreamcli validate --no-net "$build/dist/org.example.fettle.metainfo.xml"
(cd "$build" && cpack -G DEB > /dev/null)
deb=$(ls -t "$build"/fettle_*.deb | head -1)
echo "deb: $deb"
lintian --fail-on error "$deb"
