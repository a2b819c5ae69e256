#!/usr/bin/env bash
# Runs every fuzz target for a bounded time and prints, per target, the
# executions, the executions per second and the coverage reached.
#   fuzz/run.sh BUILD_DIR SECONDS [TARGET...]
# The corpora grow in BUILD_DIR/corpus/TARGET (seeded from data/, examples/
# and fuzz/seeds/); crashing inputs land in BUILD_DIR/artifacts/.
# fuzz/seeds/TARGET is the committed corpus, which the tests also replay
# (fuzz_replay.TARGET). To add what a run found, keeping inputs small:
#   BUILD_DIR/bin/fuzz_TARGET -merge=1 -use_counters=0 fuzz/seeds/TARGET DIR
# where DIR holds the run's corpus files under 12 KB.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "$1" && pwd)"
seconds="$2"
shift 2
[ $# -eq 0 ] && set -- system_operations project_file registry_file batch_line well_formed strict_xml save check index lsp_framing

# An instance that keeps indexes would write one for every input into the
# user's cache folder (the index target names its own folder).
export PIPEDEX_CACHE=off
failed=0
mkdir -p "$build/artifacts" "$build/logs"
for t in "$@"; do
  corpus="$build/corpus/$t"
  log="$build/logs/$t.log"
  dict=()
  mkdir -p "$corpus"
  case "$t" in
    batch_line) dict=(-dict="$here/batch.dict") ;;
    lsp_framing) dict=(-dict="$here/lsp.dict") ;;
    registry_file) ;;
    *) dict=(-dict="$here/catalogue.dict")  # the catalogue files of the tree seed the corpus on first use
       find "$here/../data" "$here/../examples" -type f -name '*.xml' -size -1024k |
         while read -r f; do cp -n "$f" "$corpus/$(echo "$f" | md5sum | cut -c1-16)"; done ;;
  esac
  [ -d "$here/seeds/$t" ] && cp -n "$here/seeds/$t"/* "$corpus/" 2>/dev/null
  echo "== fuzz_$t for ${seconds} s"
  if ! ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    "$build/bin/fuzz_$t" "$corpus" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/artifacts/$t-" >"$log" 2>&1; then
    failed=1
    echo "fuzz_$t FAILED; see $log"
    grep -E 'ERROR|SUMMARY|artifact' "$log" | head -5
  fi
  # The executions, their rate and the coverage reached (edges, features, corpus).
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec)|^#[0-9]+[[:space:]]+DONE' "$log"
done
exit $failed
