# Shared by the tools/check-*.sh scripts (sourced, not run): each check
# prints ok or FAIL and counts its failures; finish_checks reports and exits.
failed=0
check() {  # check NAME COMMAND...: runs a check and reports it
  local name="$1"; shift
  if "$@"; then echo "ok:   $name"; else echo "FAIL: $name"; failed=$((failed + 1)); fi
}
contains() { grep -qF -- "$2" <<<"$1"; }
lacks() { ! grep -qE -- "$2" <<<"$1"; }
finish_checks() {  # finish_checks LABEL: the summary line, exit status 1 when a check failed
  if [ "$failed" -ne 0 ]; then
    echo "$1: $failed check(s) failed"
    exit 1
  fi
  echo "$1: every check passed"
}
