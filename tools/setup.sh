#!/usr/bin/env bash
# Installs what the build, the tests and the program need (Debian 12).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
missing=""
for p in $(grep -v '^#' "$here/packages.txt"); do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
if [ -n "$missing" ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends $missing
fi
