#!/bin/sh
# Mutation judge for scores only: as judge.sh, but stops at the first failing
# test, so a caught fault costs a fraction of the suite (the list of failing
# tests, and so the unique kills, is then incomplete: use judge.sh for those).
cmake --build build -j2 --target pipedex_tests >/dev/null 2>&1 || exit 1
exec ctest --test-dir build -j2 --timeout 60 --output-on-failure --stop-on-failure -E '^Install\.'
