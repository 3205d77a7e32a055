#!/bin/sh
# Installs the Debian packages that this machine lacks of the lists named (tools/packages/NAME.txt:
# build, test, ci; build when none is named), through apt-get, as root or through sudo. A package
# that is already installed is left alone, so that a second run installs nothing and asks for no
# password. The README's set-up commands and .ci/run use it, so that they name the same packages.
# Usage: tools/install-deps.sh [build] [test] [ci]
set -eu
folder=$(dirname "$0")/packages
[ "$#" -gt 0 ] || set -- build
missing=""
for list in "$@"; do
  file="$folder/$list.txt"
  [ -f "$file" ] || { echo "install-deps: no package list \`$file'" >&2; exit 2; }
  # shellcheck disable=SC2013 # a package name is one word, and a line may hold several
  for package in $(sed 's/#.*//' "$file"); do
    dpkg -s "$package" >/dev/null 2>&1 || missing="$missing $package"
  done
done
if [ -z "$missing" ]; then
  echo "install-deps: every package of the lists ($*) is installed"
  exit 0
fi
echo "install-deps: installing$missing"
if ! command -v apt-get >/dev/null; then
  echo "install-deps: this is no Debian system (no apt-get): install these by hand:$missing" >&2
  exit 1
fi
as_root=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: run as root, or install sudo" >&2; exit 1; }
  as_root=sudo
fi
case $missing in
*:i386*)
  dpkg --print-foreign-architectures | grep -qx i386 || $as_root dpkg --add-architecture i386
  ;;
esac
$as_root apt-get update -q
# shellcheck disable=SC2086
$as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
