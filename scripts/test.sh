#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, and runs CTest.
# Unit tests run headless; end-to-end tests start Xvfb servers of their own.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
# QtWebEngine refuses to run its sandbox as root.
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1

# First the unit tests (label unit) again, built in build-asan/ with AddressSanitizer and
# UndefinedBehaviorSanitizer; any report fails the script. -O1 with light debug info keeps that
# build short; Debug leaves Qt's inline range checks in, and libstdc++ checks its own.
asan=$top/build-asan
cmake -S "$top" -B "$asan" -DZORVEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
  "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" "-DCMAKE_C_FLAGS_DEBUG=-O1 -g1" -DCMAKE_CXX_FLAGS=-D_GLIBCXX_ASSERTIONS >/dev/null
mapfile -t unit_tests < <(ctest --test-dir "$asan" -N -L unit | awk '/Test +#[0-9]+:/ {print $3}')
if [ ${#unit_tests[@]} -eq 0 ]; then
  echo "test.sh: no unit tests found in $asan" >&2
  exit 1
fi
cmake --build "$asan" -j 2 --target "${unit_tests[@]}"
(
  export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1"
  export LSAN_OPTIONS="suppressions=$top/tests/sanitizers/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  ctest --test-dir "$asan" --output-on-failure --timeout 600 -j 2 -L unit
)

# Then the whole suite in build/; its summary is the script's last line.
cd "$top/build"
ctest --output-on-failure --timeout 600 -j 2 "$@"
