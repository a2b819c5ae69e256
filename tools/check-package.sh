#!/usr/bin/env bash
# Checks what a distribution package would contain: installs a build that was
# configured for its final prefix (e.g. -DCMAKE_INSTALL_PREFIX=/usr) into a
# staging root with DESTDIR, then checks the staged files. The staged tool
# runs with no environment; it finds the staged registry file from the
# library's folder of its prefix, and that file names the catalogue at its
# final place. Usage: tools/check-package.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:?usage: $0 BUILD_DIR}"
final_prefix="$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")"
libdir="$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")"

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
. tools/check-helpers.sh

DESTDIR="$stage" cmake --install "$build"
root="$stage$final_prefix"

check "exports only the public API" tools/check-exports.sh "$root/$libdir/libpipedex.so"
dynamic="$(readelf -d "$root/bin/pipedex")"
if [[ "$libdir" = /* ]]; then full_libdir="$libdir"; else full_libdir="$final_prefix/$libdir"; fi
if ! grep -q 'libpipedex' <<<"$dynamic"; then
  # The tool has the library and the C++ runtime built in.
  check "the self-contained tool needs no C++ runtime" lacks "$dynamic" "libstdc\+\+"
  check "and no RUNPATH" lacks "$dynamic" "R(UN)?PATH"
else
  case "$full_libdir" in
    /usr/lib|/usr/lib/*-linux-gnu|/lib|/lib/*-linux-gnu|/usr/lib64|/lib64)
      check "no RUNPATH into the system library folder $full_libdir" lacks "$dynamic" "R(UN)?PATH" ;;
    *)
      check "RUNPATH relative to the tool" contains "$dynamic" '$ORIGIN' ;;
  esac
fi
if command -v help2man >/dev/null; then
  check "man page" grep -q '^\.TH PIPEDEX' "$root/share/man/man1/pipedex.1"
fi
check "bash completion" test -f "$root/share/bash-completion/completions/pipedex"

# Every relative link of the installed README and guides leads to an installed file.
docs="$root/share/doc/pipedex"
for page in "$docs"/README.md "$docs"/docs/*.md; do
  while read -r link; do
    check "link $link of ${page#"$docs"/}" test -e "$(dirname "$page")/$link"
  done < <(grep -oE '\]\([^)#: ]+' "$page" | sed 's/^](//' | sort -u)
done

# The staged tool, with no environment, reads the staged registry file and is
# sent to the catalogue's final place.
if [ ! -e /etc/pipedex/registry.reg ]; then
  info="$(env -u PIPEDEX_REGISTRY LD_LIBRARY_PATH="$root/$libdir" "$root/bin/pipedex" info 2>&1 || true)"
  check "staged tool finds the staged registry file" contains "$info" "$root/share/pipedex/registry.reg"
  check "which names the catalogue's final place" contains "$info" "$final_prefix/share/pipedex/SystemPipedex.xml"
fi

finish_checks "check-package"
