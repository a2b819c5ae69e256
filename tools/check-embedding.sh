#!/usr/bin/env bash
# Proves Pipedex builds inside a parent project (examples/embedding), with
# add_subdirectory (default) or FetchContent: the parent links
# Pipedex::pipedex, Pipedex builds neither its tests nor its install rules,
# and the parent's program finds the sample catalogue copied beside the
# library. Usage: tools/check-embedding.sh [add_subdirectory|FetchContent] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
how="${1:-add_subdirectory}"
build="${2:-build-embedding}"
jobs="${JOBS:-2}"

. tools/check-helpers.sh

cmake -S examples/embedding -B "$build" -DPIPEDEX_EMBED_WITH="$how" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$jobs"

export PIPEDEX_REGISTRY=/nonexistent/registry.reg
check "parent's program answers from the catalogue beside the library" \
  contains "$("$build/embedding" ELBW)" "SKEY ELBW: Elbow, butt-welded"
check "no test suite in the parent's build" test -z "$(find "$build" -name pipedex_tests -type f)"
check "no install rules added to the parent" \
  test -z "$(cmake --install "$build" --prefix "$build/installed" 2>&1 | grep "Installing:" || true)"

finish_checks "check-embedding ($how)"
