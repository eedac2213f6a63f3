#!/usr/bin/env bash
# Checks that every file the configured build takes from outside the tree
# comes from a Debian package that tools/packages.txt installs on a fresh
# machine: a listed package or one of their dependencies (recommendations
# are not installed). Files: the CMake package configurations and programs in
# the CMake cache, the headers the compiler read (ninja's dependency log),
# the libraries on the link lines, and the libraries the built programs load.
# Fails naming each missing package.
#   usage: check-packages.sh [BUILD_DIR] [PACKAGE_LIST]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
list=${2:-$root/tools/packages.txt}
[ -f "$build/CMakeCache.txt" ] || { echo "check-packages: $build is not a configured build" >&2; exit 2; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

outside() { grep -v -e "^$root/" -e "^$build/" -e "^/tmp/" -e "^/proc/" | grep '^/' || true; }

{
  # Package configurations found (Qt6Gui_DIR, pugixml_DIR, ...) and the
  # programs and libraries the cache names.
  sed -n 's/^[A-Za-z0-9_.-]*_DIR:PATH=\(\/.*\)$/\1/p' "$build/CMakeCache.txt" | while read -r d; do
    ls "$d"/*[Cc]onfig.cmake 2>/dev/null || true
  done
  sed -n 's/^[A-Za-z0-9_.-]*:FILEPATH=\(\/.*\)$/\1/p' "$build/CMakeCache.txt"
  # Headers read by the compiler.
  (cd "$build" && ninja -t deps) | sed -n 's/^    \(\/.*\)$/\1/p'
  # Libraries on the link lines: full paths and -l names.
  (cd "$build" && ninja -t commands) | grep -E -- ' -o [^ ]*(bin/|\.so)' | tr ' ' '\n' > "$tmp/link"
  grep -E '^/.*\.(so|a)(\.[0-9]+)*$' "$tmp/link" || true
  sed -n 's/^-l\(.*\)$/\1/p' "$tmp/link" | sort -u | while read -r l; do
    f=$(${CXX:-c++} -print-file-name="lib$l.so")
    [ "$f" = "lib$l.so" ] && f=$(${CXX:-c++} -print-file-name="lib$l.a")
    [ "$f" != "lib$l.a" ] && echo "$f"
  done
  # What the built programs load at run time.
  find "$build/bin" -maxdepth 1 -type f -perm -u+x | while read -r p; do
    ldd "$p" 2>/dev/null | sed -n 's/.*=> \(\/[^ ]*\) .*/\1/p'
  done
} | outside | sort -u > "$tmp/files"

# The same file may be known to dpkg by another spelling (merged /usr, .. in paths).
while read -r f; do
  [ -e "$f" ] || continue
  echo "$f"
  r=$(realpath -m "$f"); echo "$r"
  case $r in /usr/*) echo "${r#/usr}" ;; *) echo "/usr$r" ;; esac
done < "$tmp/files" | sort -u > "$tmp/spellings"

# One dpkg call for all of them.
xargs -a "$tmp/spellings" -d '\n' dpkg -S 2>/dev/null | grep -v '^diversion by' |
  sed 's/: \//\t\//' > "$tmp/owners" || true

# What a fresh machine gets: the list, their dependencies without
# recommendations, and the packages every Debian system has.
grep -v -e '^#' -e '^[[:space:]]*$' "$list" | sort -u > "$tmp/listed"
apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances $(cat "$tmp/listed") 2>/dev/null |
  sed -n -e 's/^\([^ <][^ ]*\)$/\1/p' -e 's/^ *|\?\(Pre\)\?Depends: \([^<][^ ]*\)$/\2/p' > "$tmp/deps"
dpkg-query -W -f='${Package} ${Essential} ${Priority}\n' |
  awk '$2 == "yes" || $3 == "required" { print $1 }' > "$tmp/base"
cat "$tmp/listed" "$tmp/deps" "$tmp/base" | sed 's/:.*//' | sort -u > "$tmp/allowed"

# For each file: fine when any owner is allowed; else name its owners.
declare -A owners=() missing=()
while IFS=$'\t' read -r pkgs path; do
  owners[$path]=$pkgs
done < "$tmp/owners"
unowned=0
while read -r f; do
  r=$(realpath -m "$f"); alt=${r#/usr}; [ "$alt" = "$r" ] && alt=/usr$r
  pkgs=${owners[$f]:-${owners[$r]:-${owners[$alt]:-}}}
  if [ -z "$pkgs" ]; then
    echo "check-packages: $f belongs to no Debian package" >&2
    unowned=1
    continue
  fi
  ok=0
  for p in ${pkgs//,/ }; do
    grep -qx -- "${p%%:*}" "$tmp/allowed" && ok=1 && break
  done
  [ $ok -eq 1 ] || missing[${pkgs%%,*}]+=" $f"
done < "$tmp/files"

status=0
for p in "${!missing[@]}"; do
  set -- ${missing[$p]}
  echo "check-packages: package ${p%%:*} is needed (e.g. $1, $# file(s)) but not installed by $(basename "$list")" >&2
  status=1
done
[ $unowned -eq 0 ] || status=1
[ $status -eq 0 ] && echo "check-packages: $(wc -l < "$tmp/files") files from outside the tree, all from listed packages"
exit $status
