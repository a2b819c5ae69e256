#!/bin/sh
# Runs tests/lsp/neovim_test.lua in headless Neovim with the built pipedex on PATH.
#   neovim_test.sh NVIM PIPEDEX_BIN_DIR SOURCE_DIR
[ -x "$1" ] || { echo "neovim_test: nvim not found (install the Debian package neovim; make test does)" >&2; exit 1; }
cd "$3" && PATH="$2:$PATH" PIPEDEX_REGISTRY=/nonexistent/registry.reg XDG_STATE_HOME="$(mktemp -d)" \
  timeout 120 "$1" --headless -u NONE -i NONE -n -c "luafile tests/lsp/neovim_test.lua"
