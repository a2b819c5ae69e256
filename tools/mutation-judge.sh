#!/bin/sh
# Test command for a mutation-testing tool: relinks the test program (it links
# the library's objects, not the shared library such a tool rebuilds), then
# runs the suite. Exit status 0 when every test passes. With --fast it stops at the first failing
# test: cheaper when only a score is wanted, but the list of failing tests is
# then incomplete. Run from the project root after `make test`.
set -e
stop=""
[ "${1:-}" = "--fast" ] && stop="--stop-on-failure"
cmake --build build -j2 --target pipedex_tests >/dev/null 2>&1 || exit 1
exec ctest --test-dir build -j2 --timeout 60 --output-on-failure $stop
