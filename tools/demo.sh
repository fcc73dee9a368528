#!/usr/bin/env bash
# The demo: examples/demo.Wexil through lingqiao-run and Debian's adb against a simulated
# emulator on 127.0.0.1:6555. Everything it starts (the simulator, a private adb server with
# its own HOME) is stopped again, whatever happens.
set -u
bin=${1:?usage: demo.sh BIN_FOLDER}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/lingqiao-demo.XXXXXX)
sim_pid=""

listening() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  [ -n "${ANDROID_ADB_SERVER_PORT:-}" ] && "$bin/Orvane/adb" kill-server >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if listening 6555; then
  echo "127.0.0.1:6555 is taken by another program; stop it and try again." >&2
  exit 1
fi
# A private adb server: its own port and HOME, no scans of USB, mDNS or emulator ports.
for port in $(seq 15037 15137); do listening "$port" || break; done
export ANDROID_ADB_SERVER_PORT=$port HOME=$work ADB_MDNS=0 ADB_USB=0 ADB_EMU=0

echo "== simulated emulator on 127.0.0.1:6555 (adb server on port $port)"
"$bin/lingqiao-sim" --port 6555 --journal "$work/journal.jsonl" --ready-file "$work/ready" \
  >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do [ -e "$work/ready" ] && break; sleep 0.1; done
if [ ! -e "$work/ready" ]; then
  echo "the simulator did not start:" >&2; cat "$work/sim.log" >&2; exit 1
fi
"$bin/Orvane/adb" start-server >/dev/null 2>&1

echo "== lingqiao-run examples/demo.Wexil --screenshot demo.png"
"$bin/lingqiao-run" "$root/examples/demo.Wexil" --screenshot "$root/demo.png"
status=$?
echo "== the run ended with exit code $status"
if [ -s "$root/demo.png" ]; then
  echo "== screenshot of the screen after the script: $root/demo.png"
fi
echo "== what the device did:"
grep -v '"service"' "$work/journal.jsonl" | sed 's/^/   /'
exit $status
