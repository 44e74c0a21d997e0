#!/usr/bin/env bash
# Runs an end-to-end test in a network namespace of its own, so that its budget
# web application on the bar's fixed address 127.0.0.1:8470 never meets another
# test's, or the user's own: as root a plain namespace, otherwise one inside a
# user namespace where the kernel allows it. Where neither can be made, the
# tests take turns on the address under a lock.
set -euo pipefail
[ -z "${ZORVEL_ISOLATED:-}" ] || exec "$@"
export ZORVEL_ISOLATED=1
if command -v unshare >/dev/null; then
  if [ "$(id -u)" -eq 0 ] && unshare --net true 2>/dev/null; then
    exec unshare --net sh -c 'ip link set lo up && exec "$@"' sh "$@"
  fi
  if unshare --map-root-user --net true 2>/dev/null; then
    exec unshare --map-root-user --net sh -c 'ip link set lo up && exec "$@"' sh "$@"
  fi
fi
exec flock "/tmp/zorvel-e2e-8470-$(id -u).lock" "$@"
