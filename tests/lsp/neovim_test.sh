#!/bin/sh
# Runs tests/lsp/neovim_test.lua in headless Neovim with the built pipedex on
# PATH and Neovim's own files (logs, state) in a folder of its own.
#   neovim_test.sh NVIM PIPEDEX_BIN_DIR SOURCE_DIR
[ -x "$1" ] || { echo "neovim_test: nvim not found (install the Debian package neovim; make test does)" >&2; exit 1; }
home="$(mktemp -d)" && trap 'rm -rf "$home"' EXIT
cd "$3" && PATH="$2:$PATH" PIPEDEX_REGISTRY=/nonexistent/registry.reg XDG_CONFIG_HOME="$home" XDG_DATA_HOME="$home" \
  XDG_STATE_HOME="$home" XDG_CACHE_HOME="$home" timeout 120 "$1" --headless -u NONE -i NONE -n -c "luafile tests/lsp/neovim_test.lua"
