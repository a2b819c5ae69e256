#!/usr/bin/env bash
# What a newcomer does first, on a fresh clone of the committed tree in a
# temporary folder (nothing of an existing build folder is reused):
# `make demo`, then `make install PREFIX=<temporary prefix>`, then the
# installed CLI and `import pipedex` from that prefix with a clean
# environment. Run from anywhere in the repository.
set -euo pipefail
cd "$(dirname "$0")/.."

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
. tools/check-helpers.sh

git clone -q . "$work/pipedex"
# Before any build, the package folder of the source tree says how to build its extension.
check "an unbuilt extension says how to build it" contains \
  "$(cd "$work" && PYTHONPATH=pipedex/python /usr/bin/python3 -c 'import pipedex' 2>&1)" "_pipedex is not built: run"
make -C "$work/pipedex" demo
make -C "$work/pipedex" install PREFIX="$work/prefix"

prefix="$work/prefix"
clean_env=(env -i PATH=/usr/bin:/bin HOME="$work")
check "installed CLI (clean environment)" \
  contains "$("${clean_env[@]}" "$prefix/bin/pipedex" call GetSKEYData ELBW)" "Elbow, butt-welded"
if command -v /usr/bin/python3 >/dev/null && ls "$work/pipedex/build/python/pipedex/"_pipedex*.so >/dev/null 2>&1; then
  check "import pipedex from the prefix (clean environment)" contains \
    "$("${clean_env[@]}" PYTHONPATH="$prefix/lib/python3/dist-packages" /usr/bin/python3 -c \
       'import pipedex; print(pipedex.Pipedex().GetSKEYData("ELBW"))')" "Elbow, butt-welded"
fi
finish_checks "check-first-run"
