#!/usr/bin/env bash
# Runs every fuzz target for a bounded time and prints, per target, the
# executions, the executions per second and the coverage reached.
#   fuzz/run.sh BUILD_DIR SECONDS [TARGET...]
# The corpora grow in BUILD_DIR/corpus/TARGET (seeded from data/, tests/data/,
# examples/ and fuzz/seeds/); crashing inputs land in BUILD_DIR/artifacts/.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
build="$(cd "$1" && pwd)"
seconds="$2"
shift 2
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(system_operations project_file registry_file batch_line round_trip well_formed)

seed() {  # seed TARGET: fills the corpus folder on first use
  local corpus="$build/corpus/$1"
  mkdir -p "$corpus"
  case "$1" in
    system_operations|project_file|round_trip|well_formed)
      find "$root/data" "$root/examples" "$root/tests/data" -type f -name '*.xml' -size -1024k 2>/dev/null |
        while read -r f; do cp -n "$f" "$corpus/$(echo "$f" | md5sum | cut -c1-16)"; done ;;
  esac
  [ -d "$here/seeds/$1" ] && cp -n "$here/seeds/$1"/* "$corpus/" 2>/dev/null
  true
}

dictionary() {
  case "$1" in
    system_operations|project_file|round_trip|well_formed) echo "-dict=$here/catalogue.dict" ;;
    batch_line) echo "-dict=$here/batch.dict" ;;
  esac
}

failed=0
summary=""
mkdir -p "$build/artifacts" "$build/logs"
for t in "${targets[@]}"; do
  seed "$t"
  log="$build/logs/$t.log"
  echo "== fuzz_$t for ${seconds} s"
  ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    "$build/fuzz_$t" "$build/corpus/$t" $(dictionary "$t") -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/artifacts/$t-" >"$log" 2>&1
  status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9]+[kKMb]*' "$log" | tail -1)
  if [ $status -ne 0 ]; then
    failed=1
    echo "fuzz_$t FAILED (exit $status); see $log"
    grep -E 'ERROR|SUMMARY|artifact' "$log" | head -5
  fi
  summary+=$(printf '%-18s %6s s  %10s execs  %7s exec/s  %s' "$t" "$seconds" "${execs:-?}" "${rate:-?}" "${cov:-}")$'\n'
done
echo
echo "target             time        executions     rate     coverage (edges, features, corpus)"
printf '%s' "$summary"
exit $failed
