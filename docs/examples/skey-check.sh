#!/bin/sh
# skey-check.sh SKEY...: says for each SKEY whether the catalogue knows it,
# with the answer of GetSKEYData. Exit status 1 when one is unknown, 2 when
# the component reports an error (no catalogue, for example).
status=0
for skey in "$@"; do
  answer=$(pipedex call GetSKEYData "$skey") || { echo "$answer" >&2; exit 2; }
  case "$answer" in
    *'"result":true'*) echo "$skey: $answer" ;;
    *) echo "$skey: unknown"; status=1 ;;
  esac
done

# Many questions, one process: `pipedex batch` answers each line with one line.
printf '%s\n' '{"call": "GroupCount"}' '{"call": "GetGroup", "args": [1]}' | pipedex batch
exit $status
