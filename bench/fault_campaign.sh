#!/usr/bin/env bash
# The device server's fault campaign, run by hand (not by CI): bench/fault_campaign.sh BIN_FOLDER
#   1. KILLS times (100) the server is killed with SIGKILL under three live `zelknet tail` clients: each
#      client must report the loss within 3 s, and the next `zelknet list` must start a new server within
#      1 s (no stale socket or lock in the way);
#   2. MESSAGES (1000000) sequence-numbered lines from a device on a TCP link are read with `zelknet tail`:
#      none may be lost or reordered; prints the messages per second and the server's peak memory;
#   3. SOAK_SECONDS (600) at 500 messages per second with a reader: prints the server's memory over time.
# Everything runs in a private runtime, configuration and state folder; bounded in time throughout.
set -u
bin=$(cd "$1" && pwd)
kills=${KILLS:-100}
messages=${MESSAGES:-1000000}
soak=${SOAK_SECONDS:-600}
work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
export ZK_HKCU_DB="$work/hkcu.db" ZK_HKLM_DB="$work/hklm.db"
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/zelkor"
chmod 700 "$XDG_RUNTIME_DIR"
run="$XDG_RUNTIME_DIR/zelkor"
port=$((20000 + RANDOM % 20000))
failures=0

cat >"$XDG_CONFIG_HOME/zelkor/netserver.toml" <<TOML
[[device]]
address = [1, 0, 1]
description = "Chatter for the tail clients"
[device.identity]
type = "CHAT"
serial = 1
[device.messages.chatter]
rate = 20.0
texts = ["tick"]

[[device]]
address = [2, 0, 1]
description = "Sequence on a TCP link"
link = { tcp = "127.0.0.1:$port" }
[device.identity]
type = "SEQ"
serial = 2

[[device]]
address = [3, 0, 1]
description = "500 messages per second"
plugged = false
[device.identity]
type = "SOAK"
serial = 3
[device.messages.chatter]
rate = 500.0
texts = ["soak message with some forty characters"]
TOML

server_pid() { cat "$run/netserver.lock" 2>/dev/null; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
cleanup() {
    timeout 5 "$bin/zelknet" sim quit >/dev/null 2>&1
    [[ -n "${peer:-}" ]] && kill "$peer" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# ---- 1. SIGKILL under three live tail clients ----
worst_report=0 worst_start=0
for round in $(seq "$kills"); do
    timeout 10 "$bin/zelknet" list >/dev/null 2>&1 || fail "round $round: list before the kill"
    tails=()
    for c in 1 2 3; do
        timeout 60 "$bin/zelknet" tail 0 >"$work/tail.$c" 2>"$work/tail.$c.err" &
        tails+=($!)
    done
    # The clients are live once each has printed a line.
    for _ in $(seq 200); do
        [[ -s "$work/tail.1" && -s "$work/tail.2" && -s "$work/tail.3" ]] && break
        sleep 0.02
    done
    pid=$(server_pid)
    killed=$(now_ms)
    kill -KILL "$pid"
    for c in 0 1 2; do
        wait "${tails[$c]}"
        code=$?
        took=$(($(now_ms) - killed))
        ((took > worst_report)) && worst_report=$took
        ((code == 0 || code == 124)) && fail "round $round: client $((c + 1)) ended with $code"
        ((took > 3000)) && fail "round $round: client $((c + 1)) reported the loss after $took ms"
        [[ -s "$work/tail.$((c + 1)).err" ]] || fail "round $round: client $((c + 1)) said nothing"
    done
    start=$(now_ms)
    timeout 10 "$bin/zelknet" list >/dev/null 2>"$work/list.err" || fail "round $round: list: $(cat "$work/list.err")"
    took=$(($(now_ms) - start))
    ((took > worst_start)) && worst_start=$took
    ((took > 1000)) && fail "round $round: the new server took $took ms"
done
echo "kills: $kills rounds, 3 clients each; slowest loss report $worst_report ms (limit 3000), slowest new server $worst_start ms (limit 1000)"
echo "last client message: $(cat "$work/tail.1.err")"

# ---- 2. One million sequence-numbered messages over a TCP link ----
python3 - "$port" "$messages" >/dev/null 2>&1 <<'PY' &
import socket, sys, signal
port, count = int(sys.argv[1]), int(sys.argv[2])
server = socket.socket()
server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
server.bind(("127.0.0.1", port))
server.listen(1)
peer, _ = server.accept()
step = 10000
for first in range(1, count + 1, step):
    peer.sendall("".join(f"seq {n}\r\n" for n in range(first, min(first + step, count + 1))).encode())
signal.pause()
PY
peer=$!
index=""
for _ in $(seq 300); do
    index=$("$bin/zelknet" list 2>/dev/null | awk '$3 == "SEQ#2" {print $1}')
    [[ -n "$index" ]] && break
    sleep 0.05
done
[[ -n "$index" ]] || fail "the TCP link device did not come up"
start=$(now_ms)
timeout 660 "$bin/zelknet" tail "$index" >"$work/seq" 2>"$work/seq.err" &
reader=$!
until_s=$((SECONDS + 600))  # bounded by the clock, however slow the machine
while ((SECONDS < until_s)) && (($(wc -l <"$work/seq") < messages)); do
    sleep 0.1
done
took=$(($(now_ms) - start))
kill -INT "$reader" 2>/dev/null; wait "$reader"
read -r bad total < <(awk '$0 != "seq " NR {bad++} END {print bad + 0, NR}' "$work/seq")
((total == messages && bad == 0)) || fail "sequence: $total read, $bad out of place"
peak=$(awk '/VmHWM/ {print $2}' "/proc/$(server_pid)/status")
echo "sequence: $total of $messages messages read in order, $bad out of place, in $took ms" \
     "= $((total * 1000 / (took > 0 ? took : 1))) messages/s; server peak memory $((peak / 1024)) MiB"
kill "$peer"; wait "$peer" 2>/dev/null; peer=""

# ---- 3. Soak at 500 messages per second ----
# Nobody reads the chatter device any more: unplugged, its queue stops growing and the memory figure is
# the soak's own.
"$bin/zelknet" sim unplug 0 || fail "unplug the chatter device"
"$bin/zelknet" sim plug 2 || fail "plug the soak device"
index=""
for _ in $(seq 100); do
    index=$("$bin/zelknet" list 2>/dev/null | awk '$3 == "SOAK#3" {print $1}')
    [[ -n "$index" ]] && break
    sleep 0.05
done
timeout $((soak + 30)) "$bin/zelknet" tail "$index" >"$work/soak" 2>"$work/soak.err" &
reader=$!
pid=$(server_pid)
samples=()
soak_start=$SECONDS
for t in $(seq 0 10 "$soak"); do
    while ((SECONDS < soak_start + t)); do sleep 1; done
    samples+=("$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")")
done
kill -INT "$reader"; wait "$reader"
read_count=$(wc -l <"$work/soak")
echo "soak: $soak s, $read_count messages read ($((read_count / (soak > 0 ? soak : 1)))/s)"
echo "soak: server memory (KiB) every 10 s: ${samples[*]}"
first=${samples[1]:-${samples[0]}} last=${samples[-1]}
echo "soak: from 10 s to the end $first -> $last KiB ($((last - first)) KiB)"
((last - first > 8192)) && fail "memory grew by $((last - first)) KiB during the soak"
((soak > 0 && read_count < soak * 450)) && fail "the soak read fewer than 450 messages a second"

echo "failures: $failures"
exit $((failures > 0))
