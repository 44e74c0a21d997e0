#!/usr/bin/env bash
# Runs one fuzz target for a bounded time over its seed corpus.
#   run-fuzzer.sh <fuzz binary> <seed corpus> <work folder> <seconds> [libFuzzer options...]
# New inputs go to <work folder>/corpus (the seed corpus in the source tree is
# only read), a failing input to <work folder>/artifacts/. Exits non-zero on a
# crash, a sanitizer report, a leak, an input that runs longer than 10 s or a
# run that grows beyond 2 GB.
set -euo pipefail
if [ $# -lt 4 ]; then
  echo "usage: run-fuzzer.sh <fuzz binary> <seed corpus> <work folder> <seconds> [libFuzzer options...]" >&2
  exit 2
fi
binary=$1 seeds=$2 work=$3 seconds=$4
shift 4
if [ ! -x "$binary" ]; then
  echo "run-fuzzer: $binary is not built (cmake --build <build> --target $(basename "$binary"))" >&2
  exit 1
fi
if [ ! -d "$seeds" ]; then
  echo "run-fuzzer: no seed corpus at $seeds" >&2
  exit 1
fi
mkdir -p "$work/corpus" "$work/artifacts"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
status=0
"$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$@" "$work/corpus" "$seeds" || status=$?
if [ "$status" -ne 0 ]; then
  echo "run-fuzzer: $(basename "$binary") failed (exit $status); the input that broke it is in $work/artifacts/" >&2
  exit "$status"
fi
echo "run-fuzzer: $(basename "$binary"): $(find "$work/corpus" "$seeds" -type f | wc -l) inputs in the corpus, no failure in ${seconds} s"
