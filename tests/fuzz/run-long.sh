#!/usr/bin/env bash
# A longer fuzz run by hand, one target after the other.
#   tests/fuzz/run-long.sh [seconds per target (default 1800)] [build folder (default build)] [target...]
# Targets: profile_reader profile_writer integer_text (default: all three).
# Builds the targets first. New inputs collect in <build>/tests/fuzz/work/<target>/corpus, shared
# with the test suite's bounded runs; with MERGE=1 the ones that reach new code are then added to
# the seed corpus in tests/fuzz/corpus/<target>/ (review them before committing).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
seconds=${1:-1800}
build=${2:-$top/build}
shift $(( $# > 2 ? 2 : $# ))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(profile_reader profile_writer integer_text)
case $seconds in ''|*[!0-9]*) echo "run-long: seconds must be a whole number, not '$seconds'" >&2; exit 2;; esac
[ -f "$build/CMakeCache.txt" ] || { echo "run-long: $build is not a configured build folder" >&2; exit 2; }

declare -A options=(
  [profile_reader]="-max_len=4096 -dict=$here/profile.dict"
  [profile_writer]="-max_len=4096 -dict=$here/profile.dict"
  [integer_text]="-max_len=128 -dict=$here/integer_text.dict"
)
for target in "${targets[@]}"; do
  [ -n "${options[$target]:-}" ] || { echo "run-long: no fuzz target '$target'" >&2; exit 2; }
done
cmake --build "$build" -j 2 --target "${targets[@]/#/fuzz_}"

for target in "${targets[@]}"; do
  work=$build/tests/fuzz/work/$target
  echo "run-long: fuzz_$target for $seconds s"
  # shellcheck disable=SC2086 # the options are separate words
  "$here/run-fuzzer.sh" "$build/bin/fuzz_$target" "$here/corpus/$target" "$work" "$seconds" ${options[$target]}
  if [ "${MERGE:-0}" = 1 ]; then
    "$build/bin/fuzz_$target" -merge=1 ${options[$target]} "$here/corpus/$target" "$work/corpus"
  fi
done
