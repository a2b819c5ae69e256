#!/usr/bin/env bash
# Fails when the shared library exports anything of its internals: every
# exported symbol of namespace pipedex must belong to the public API (the
# classes and functions the headers mark PIPEDEX_API), and the API must be
# there. Usage: tools/check-exports.sh path/to/libpipedex.so
set -euo pipefail
library="${1:?usage: $0 LIBRARY}"
symbols="$(nm -D --defined-only -C "$library")"

# Internal namespaces (pipedex::text, ::xml, ::model, ::registry, ::detail,
# anonymous ...) and the hidden state Pipedex::Impl.
internal="$(grep -E 'pipedex::(\(anonymous namespace\)|[a-z_][A-Za-z0-9_]*::|Pipedex::Impl\b)' <<<"$symbols" || true)"
if [ -n "$internal" ]; then
  echo "FAIL: $library exports internal symbols:"
  echo "$internal"
  exit 1
fi
for api in 'pipedex::Pipedex::Pipedex()' 'pipedex::Pipedex::GroupCount()' 'pipedex::Error::Error(' \
           'pipedex::MakeSystemPlatform(' 'pipedex::SystemRegistryFiles' \
           'pipedex::CheckCatalogue(' 'pipedex::MakeCatalogueFilePlatform(' 'typeinfo for pipedex::Error' 'typeinfo for pipedex::Platform'; do
  if ! grep -qF -- "$api" <<<"$symbols"; then
    echo "FAIL: $library does not export $api"
    exit 1
  fi
done
echo "ok: $(grep -c 'pipedex::' <<<"$symbols") pipedex symbols exported, $(wc -l <<<"$symbols") in all, none internal"
