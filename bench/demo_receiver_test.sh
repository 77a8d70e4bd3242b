#!/usr/bin/env bash
# mirror_demo --receiver against the receiver simulator run as a program: the
# demo must log in, project and log out, and the simulator must decode its
# pictures without a protocol error. Runs in a network namespace of its own,
# as the command channel's ports are fixed.
# usage: demo_receiver_test.sh BIN_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
if [ "${PEMU_IN_PRIVATE_NETWORK:-}" != 1 ]; then
  exec env PEMU_IN_PRIVATE_NETWORK=1 unshare -n "$0" "$bin"
fi
ip link set lo up
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bin/receiver-sim" --image --quiet 2>"$work/sim.err" &
sim=$!
for _ in $(seq 100); do
  grep -q "running" "$work/sim.err" && break
  sleep 0.05
done
status=0
"$bin/mirror_demo" --receiver 127.0.0.1 --seconds 2 --size 320x240 >"$work/demo.out" 2>&1 || status=$?
kill -INT "$sim"
sim_status=0
wait "$sim" || sim_status=$?
cat "$work/demo.out" "$work/sim.err"
if [ $status -ne 0 ]; then
  echo "FAIL: mirror_demo ended with $status" >&2
  exit 1
fi
grep -q "stopped and logged out" "$work/demo.out" || { echo "FAIL: no logout" >&2; exit 1; }
if [ $sim_status -ne 0 ]; then
  echo "FAIL: the receiver simulator saw a protocol error ($sim_status)" >&2
  exit 1
fi
decoded=$(sed -n 's/^receiver-sim: \([0-9]*\) image messages decoded.*/\1/p' "$work/sim.err")
if [ -z "$decoded" ] || [ "$decoded" -lt 3 ]; then
  echo "FAIL: the receiver simulator decoded ${decoded:-no} pictures" >&2
  exit 1
fi
echo "ok: $decoded pictures decoded"
