#!/usr/bin/env bash
# Proves the package works for someone who installs it: installs the build in
# ./build into a temporary prefix, builds examples/consumer against it with
# find_package(Pipedex) and again with pkg-config, and runs both and the
# installed CLI against the installed sample catalogue, with no environment:
# the installed library finds the registry file installed beside the
# catalogue from its own folder. Run from anywhere after `make build`.
set -euo pipefail
cd "$(dirname "$0")/.."

prefix="$(mktemp -d)"
trap 'rm -rf "$prefix" build-consumer' EXIT
. tools/check-helpers.sh

cmake --install build --prefix "$prefix"
unset PIPEDEX_REGISTRY
registry="$prefix/share/pipedex/registry.reg"
if [ -e /etc/pipedex/registry.reg ]; then
  echo "note: /etc/pipedex/registry.reg exists and is read first; the checks name the installed one"
  export PIPEDEX_REGISTRY="$registry"
fi

check "versioned shared library" test -L "$prefix/lib/libpipedex.so.0"
check "SONAME libpipedex.so.0" contains "$(readelf -d "$prefix/lib/libpipedex.so")" "[libpipedex.so.0]"
check "public headers" test -f "$prefix/include/pipedex/pipedex.h"
check "registry file: the guide's example with the prefix in place of /opt/pipedex" \
  test "$(cat "$registry")" = "$(sed "s|/opt/pipedex|$prefix|" docs/examples/registry.reg)"
check "the project overlay example is not beside the catalogue, where it would be merged" \
  test ! -e "$prefix/share/pipedex/ProjectPipedex.xml"
check "man page" test -f "$prefix/share/man/man1/pipedex.1" -o -z "$(command -v help2man)"
# The man page, as a reader sees it: the examples one a line, a section per command.
if [ -f "$prefix/share/man/man1/pipedex.1" ] && command -v man >/dev/null; then
  page="$(MANWIDTH=100 man -l "$prefix/share/man/man1/pipedex.1" 2>/dev/null | col -b)"
  check "man page: examples one a line" grep -qE '^ +pipedex search elbow$' <<<"$page"
  check "man page: a section per command" grep -qE '^ +pipedex check$' <<<"$page"
  check "man page: guides as installed" contains "$page" "share/doc/pipedex/docs/cli.md"
fi
check "bash completion" test -f "$prefix/share/bash-completion/completions/pipedex"

# The installed CLI finds the installed catalogue through the installed registry file.
check "pipedex --version" contains "$("$prefix/bin/pipedex" --version)" "pipedex 0.1.0"
check "pipedex info (no environment)" contains "$("$prefix/bin/pipedex" info)" "$prefix/share/pipedex/SystemPipedex.xml"
check "pipedex info (PIPEDEX_REGISTRY)" \
  contains "$(PIPEDEX_REGISTRY="$registry" "$prefix/bin/pipedex" info)" "$prefix/share/pipedex/SystemPipedex.xml"

# find_package(Pipedex) -> Pipedex::pipedex
cmake -S examples/consumer -B build-consumer -DCMAKE_PREFIX_PATH="$prefix"
cmake --build build-consumer
check "consumer (find_package)" contains "$(build-consumer/pipedex_consumer ELBW)" "SKEY ELBW: Elbow, butt-welded"

# pkg-config --cflags --libs pipedex
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
c++ -std=c++17 examples/consumer/main.cpp $(pkg-config --cflags --libs pipedex) \
  -Wl,-rpath,"$prefix/lib" -o build-consumer/consumer-pkg-config
check "consumer (pkg-config)" contains "$(build-consumer/consumer-pkg-config FLWN)" "SKEY FLWN: Weld neck flange"
check "pkg-config datadir, worked out from where the .pc file lies" \
  test "$(pkg-config --variable=datadir pipedex)" -ef "$prefix/share/pipedex"

# The Python package, when the build has it, imports from the prefix and answers.
python_dir="$prefix/lib/python3/dist-packages"
if [ -d "$python_dir/pipedex" ]; then
  check "python3 -c 'import pipedex'" contains \
    "$(PYTHONPATH="$python_dir" /usr/bin/python3 -c 'import pipedex; print(pipedex.Pipedex().GetSKEYData("FLWN"))')" \
    "Weld neck flange"
fi

finish_checks "check-install"
