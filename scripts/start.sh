#!/usr/bin/env bash
# Installs what is missing, builds, starts the bundled budget web application
# and runs Zorvel on $DISPLAY, or under Xvfb when there is no display.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
bin="$top/build/bin"
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

if ! (exec 3<>/dev/tcp/127.0.0.1/8470) 2>/dev/null; then
  "$bin/budgetweb" --demo &
  pids+=($!)
  for _ in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/8470) 2>/dev/null && break; sleep 0.1; done
  echo "start: budget web application on http://127.0.0.1:8470/Brenvo/ (demo household)"
else
  echo "start: a budget web application already answers on 127.0.0.1:8470"
fi

if [ -z "${DISPLAY:-}" ]; then
  number=77
  while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
  display=":$number"
  Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp -noreset &
  pids+=($!)
  export DISPLAY="$display"
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  if ! xdpyinfo >/dev/null 2>&1; then
    echo "start: Xvfb did not come up on $display" >&2
    exit 1
  fi
  shot="$top/build/zorvel-screen.png"
  echo "start: no display; running Zorvel under Xvfb on $DISPLAY"
  echo "start: a screenshot of the screen goes to $shot every 5 seconds"
  ( while sleep 5; do import -window root "$shot" 2>/dev/null || true; done ) &
  pids+=($!)
fi
"$bin/zorvel"
