#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, and runs CTest.
# Unit tests run headless; end-to-end tests start Xvfb servers of their own.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
cd "$top/build"
# QtWebEngine refuses to run its sandbox as root.
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
ctest --output-on-failure --timeout 600 -j 2 "$@"
