#!/usr/bin/env bash
# The pip route: `pip install --no-build-isolation` of this source tree into a
# temporary virtual environment (which sees the system's setuptools and
# pybind11, so nothing is downloaded), then `import pipedex` from outside the
# source tree with a clean environment, and one question to the catalogue
# that the package carries. Run from anywhere in the repository.
set -euo pipefail
cd "$(dirname "$0")/.."

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
. tools/check-helpers.sh

venv="$work/venv"
/usr/bin/python3 -m venv --system-site-packages "$venv"
"$venv/bin/pip" install --no-build-isolation --no-index .
clean_env=(env -i PATH=/usr/bin:/bin HOME="$work")
answer="$(cd "$work" && "${clean_env[@]}" "$venv/bin/python" -c \
  'import pipedex; c = pipedex.Pipedex(); print(pipedex.__version__, c.GetSKEYData("ELBW"), c.SystemXMLPath())')"
check "import pipedex from the virtual environment, with its own catalogue" contains "$answer" "$venv/lib/"
check "the installed package answers" contains "$answer" "Elbow, butt-welded"
check "pipedex.__version__ is the project's version" contains "$answer" \
  "$(sed -n 's/^project(Pipedex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt) "
finish_checks "check-pip"
