#!/usr/bin/env bash
# Runs every fuzz harness of the fuzz build for a bounded time on a scratch copy of its seed corpus,
# so that the committed corpus does not grow. Fails on a crash, a leak, a sanitizer report, a broken
# property, a timeout or running out of memory; the input that did it is kept under
# build/fuzz/findings/<harness>/ (reproduce with: build/fuzz/fuzz/<harness> <that file>).
#   fuzz/run.sh [seconds per harness, 60 when not given]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
bin=build/fuzz/fuzz
harnesses=(diagram_reader_fuzzer schema_import_fuzzer placement_fuzzer sql_schema_fuzzer sqlite_reader_fuzzer)

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
# Sanitizer reports end the run; stacks are symbolized so that a report in CI can be read as it is.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:symbolize=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
if [ -z "${ASAN_SYMBOLIZER_PATH:-}" ] && [ -x /usr/lib/llvm-14/bin/llvm-symbolizer ]; then
  export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
fi

failed=0
for harness in "${harnesses[@]}"; do
  corpus="$scratch/$harness"
  mkdir -p "$corpus"
  cp -R "fuzz/corpus/$harness/." "$corpus/"
  findings="build/fuzz/findings/$harness"
  rm -rf "$findings"
  mkdir -p "$findings"
  log="$scratch/$harness.log"
  # -timeout: one input running longer than this is a hang; -rss_limit_mb: memory that a diagram of
  # at most -max_len bytes never needs.
  if "$bin/$harness" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
      -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1; then
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    echo "$harness: ${runs:-?} executions in ${seconds} s, no finding (corpus $(ls "$corpus" | wc -l) inputs)"
  else
    failed=1
    echo "$harness: FINDING (input kept in $findings/)"
    tail -n 80 "$log"
  fi
done
exit "$failed"
