#!/bin/sh
# Builds the .deb of a build folder and checks its Depends: every library that a packaged
# program loads directly (its NEEDED entries, found where ldd finds them) belongs to a package the
# .deb depends on, so that the package installs and runs on a machine that has nothing else.
# Usage: package_depends.sh BUILD_DIR         (skips, with status 77, without cpack or dpkg-deb)
set -u
build=$1
for tool in cpack dpkg-deb dpkg readelf ldd; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: no $tool"; exit 77; }
done
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log"
  exit 1
}
deb=$(ls "$work"/*.deb) || exit 1
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
dpkg-deb -x "$deb" "$work/root"
failures=0
for program in "$work"/root/usr/bin/*; do
  for needed in $(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    path=$(ldd "$program" | awk -v so="$needed" '$1 == so { print $3 }')
    owner=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null | head -n 1 | cut -d: -f1)
    [ -n "$owner" ] || owner=$(dpkg -S "$path" 2>/dev/null | head -n 1 | cut -d: -f1)
    if printf '%s\n' "$depends" | tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -qx "$owner"; then
      echo "ok: $(basename "$program") loads $needed from $owner"
    else
      echo "FAIL: $(basename "$program") loads $needed from ${owner:-no package}, which Depends lacks"
      failures=$((failures + 1))
    fi
  done
done
[ "$failures" -eq 0 ]
