#!/bin/sh
# kvrview --lsp judged by a real client: Neovim headless runs SCENARIO (a Lua script of this
# folder) with its own LSP client on the built kvrview, and kvrbuild compiles what the buffers
# become. Exits 77 (skipped) without nvim, and when SKIP names a build Neovim does not judge (the
# Windows build, whose programs run under wine).
# Usage: neovim.sh SCENARIO KVRVIEW KVRBUILD EXAMPLES [SKIP]
set -eu
if [ -n "${5:-}" ]; then
  echo "skipped: $5, whose programs run under wine; Neovim judges the native build"
  exit 77
fi
if ! command -v nvim >/dev/null 2>&1; then
  echo "skipped: no nvim (Debian neovim)"
  exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/kvr-neovim.XXXXXX")
trap 'rm -rf "$work"' EXIT
KVR_VIEW=$2 KVR_BUILD=$3 KVR_EXAMPLES=$4 KVR_WORK=$work \
  LUA_PATH="$(dirname "$1")/?.lua;;" HOME=$work XDG_CONFIG_HOME=$work XDG_DATA_HOME=$work \
  XDG_STATE_HOME=$work XDG_CACHE_HOME=$work \
  nvim --headless --clean -n -i NONE -u NONE -S "$1" </dev/null
