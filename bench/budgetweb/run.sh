#!/usr/bin/env bash
# Request benchmark of budgetweb: the home page of the signed-in demo household (a year of
# expenses), loaded by wrk on loopback for a bounded time. Prints requests/s and p99 latency
# against the targets (at least 2000 requests/s, p99 under 20 ms).
# Usage: bench/budgetweb/run.sh [BIN_DIR] (default: $ZORVEL_BIN, else build/bin)
#        DURATION=10s CONNECTIONS=8 THREADS=1 to change the load.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-${ZORVEL_BIN:-$here/../../build/bin}}
duration=${DURATION:-10s}
connections=${CONNECTIONS:-8}
threads=${THREADS:-1}
for tool in wrk curl; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool is not installed" >&2; exit 1; }
done
[ -x "$bin/budgetweb" ] || { echo "run.sh: no budgetweb in $bin (build the target budgetweb)" >&2; exit 1; }

work=$(mktemp -d)
server=
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The server logs one line a request, as in real use; into a file, as a service's log would go.
# Created first: the loop below may look before the background start has opened it.
: >"$work/out"
"$bin/budgetweb" --demo --listen 127.0.0.1:0 --db "$work/budget.sqlite" >"$work/out" 2>"$work/log" &
server=$!
for _ in $(seq 100); do grep -q '^listening on ' "$work/out" && break; sleep 0.05; done
base=$(sed -n 's/^listening on \(.*\)$/\1/p' "$work/out")
[ -n "$base" ] || { echo "run.sh: budgetweb did not start: $(cat "$work/log")" >&2; exit 1; }

# Sign in as the demo user the way a browser does: the form's token, then the post.
jar="$work/cookies"
token=$(curl -s -c "$jar" "${base}Account.aspx" | sed -n 's/.*name="_token" value="\([0-9a-f]*\)".*/\1/p')
curl -s -b "$jar" -c "$jar" -o /dev/null -d "_token=$token&login=demo&password=demo" "${base}Account.aspx"
cookie=$(awk '$6 == "BrenvoSession" { print $7 }' "$jar")
curl -s -H "Cookie: BrenvoSession=$cookie" "$base" | grep -q 'Demo Household' \
  || { echo "run.sh: signing in as demo failed" >&2; exit 1; }
entries=$(sqlite3 "$work/budget.sqlite" 'SELECT COUNT(*) FROM expenses' 2>/dev/null || echo "a year of")

echo "budgetweb: signed-in home page, $entries demo entries, wrk -t$threads -c$connections -d$duration on $(nproc) cores"
wrk -t"$threads" -c"$connections" -d"$duration" --latency -H "Cookie: BrenvoSession=$cookie" "$base" >"$work/wrk"
rps=$(awk '/^Requests\/sec:/ { print $2 }' "$work/wrk")
p99=$(awk '$1 == "99%" { print $2 }' "$work/wrk")
errors=$(awk '/Non-2xx|Socket errors/' "$work/wrk")
# wrk prints latencies with their unit (us, ms, s): in milliseconds for the comparison.
p99ms=$(echo "$p99" | awk '/us$/ { print $0 / 1000; next } /ms$/ { print $0 + 0; next } /s$/ { print $0 * 1000 }')
echo "requests/s: $rps"
echo "p99 latency: $p99 (${p99ms} ms)"
if [ -n "$errors" ]; then echo "errors: $errors"; fi
awk -v r="$rps" -v p="$p99ms" 'BEGIN {
  printf "target: >= 2000 requests/s %s, p99 < 20 ms %s\n", (r >= 2000 ? "met" : "MISSED"), (p < 20 ? "met" : "MISSED") }'
