#!/usr/bin/env bash
# zelknet against a real zelknetserver on the demo scenario, in a private runtime folder: tail shows the
# chatter, sim unplug takes a device off the list, twenty concurrent lists with no server running end
# with exactly one server, sim quit stops it, and every failure is a message with exit code 1.
set -u
bin="$1"
demo="$2"
source "$(dirname "$0")/netserver_env.sh"

# Without a server, sim refuses with a message and exit code 1 (it never starts one).
out=$(timeout 10 "$bin/zelknet" sim quit 2>&1); code=$?
check "sim without a server fails with 1" test "$code" -eq 1
check "sim without a server says why" grep -q "no zelknetserver is running" <<<"$out"

# Twenty lists at once, no server running: all succeed, exactly one server results.
for i in $(seq 20); do timeout 20 "$bin/zelknet" list >"$work/list.$i" 2>"$work/err.$i" & done
wait
for i in $(seq 20); do
    check "concurrent list $i lists three devices" test "$(wc -l <"$work/list.$i")" -eq 3
done
servers=$(pgrep -u "$(id -u)" -f "^$bin/zelknetserver" | while read -r p; do
    if tr '\0' '\n' </proc/$p/environ 2>/dev/null | grep -qx "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR"; then echo "$p"; fi
done | wc -l)
check "exactly one server (found $servers)" test "$servers" -eq 1
check "list line format" grep -qx '0 sim:0 ECU-M4#1201 MainCode Engine controller on bench 1' "$work/list.1"
check "box state name of a boot stage" grep -qx '2 sim:2 LOG-2#5 NoCode Data logger' "$work/list.1"

# tail shows the demo chatter of the engine controller.
timeout -s INT 3 "$bin/zelknet" tail 0 >"$work/tail" 2>&1
check "tail shows chatter" grep -qE 'Idle speed|Coolant|Lambda|Battery|Oil pressure' "$work/tail"

"$bin/zelknet" identify 1 >"$work/identify" 2>&1
check "identify" grep -qx 'DEVICE PDU-16#77' "$work/identify"
check "identify names the box state" grep -qx 'BOXSTATE MainCode' "$work/identify"
check "bad index fails" bash -c "! '$bin/zelknet' identify 9 2>/dev/null"

# Unplugged, the engine controller leaves the list; plugged again, it is back.
check "sim unplug" "$bin/zelknet" sim unplug 0
check "unplugged device is not listed" bash -c "! '$bin/zelknet' list | grep -q ECU-M4"
check "sim plug" "$bin/zelknet" sim plug 0
check "plugged device is listed" bash -c "'$bin/zelknet' list | grep -q ECU-M4"
check "sim box state" "$bin/zelknet" sim identity 2 box=5
check "unnamed box state" bash -c "'$bin/zelknet' list | grep -qx '2 sim:2 LOG-2#5 Unknown(5) Data logger'"
check "unknown sim verb fails" bash -c "! '$bin/zelknet' sim fly 2>/dev/null"

# For people: usage with exit 0, devices by TYPE#SERIAL, the sim index beside the list index, failures in
# words, tail --new, --time, --follow, and alarms in red on a terminal.
check "zelknet --help" bash -c "'$bin/zelknet' --help | grep -q '^usage: zelknet list'"
check "zelkreg /?" bash -c "'$bin/zelkreg' '/?' | grep -q '^usage: zelkreg QUERY'"
check "zelkreg --help" bash -c "'$bin/zelkreg' --help | grep -q 'zelkreg IMPORT FILE'"
check "sim by name" "$bin/zelknet" sim unplug ECU-M4#1201
check "list shows the sim index beside" bash -c "'$bin/zelknet' list | grep -qx '0 sim:1 PDU-16#77 MainCode Power distribution unit'"
out=$("$bin/zelknet" identify ECU-M4#1201 2>&1)
check "a device that is gone is named: $out" test "$out" = "zelknet: no device ECU-M4#1201 (2 devices listed)"
"$bin/zelknet" sim queue PDU-16#77 "waiting before" >/dev/null
timeout -s INT 3 "$bin/zelknet" tail --new --time PDU-16#77 >"$work/new" 2>&1 &
tailer=$!
for i in $(seq 50); do "$bin/zelknet" sim queue 1 "fresh $i" >/dev/null; sleep 0.05; done
wait "$tailer"
check "tail --new skips what waited" bash -c "! grep -q 'waiting before' '$work/new'"
check "tail --time prefixes the time" grep -qE '^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\.[0-9]{3} fresh [0-9]+$' "$work/new"
timeout 20 "$bin/zelknet" tail --follow PDU-16#77 >"$work/follow" 2>"$work/follow.err" &
tailer=$!
"$bin/zelknet" sim queue 1 "one" >/dev/null
for i in $(seq 100); do grep -q one "$work/follow" && break; sleep 0.05; done
"$bin/zelknet" sim unplug PDU-16#77
for i in $(seq 100); do grep -q waiting "$work/follow.err" && break; sleep 0.05; done
"$bin/zelknet" sim queue 1 "two" >/dev/null
"$bin/zelknet" sim plug PDU-16#77
for i in $(seq 100); do grep -q two "$work/follow" && break; sleep 0.05; done
kill -INT "$tailer"; wait "$tailer"
check "tail --follow goes on after an unplug" diff <(printf 'one\ntwo\n') <(grep -xE 'one|two' "$work/follow")
check "tail --follow says why it waits: $(cat "$work/follow.err")" \
    grep -qx 'zelknet: PDU-16#77 was unplugged (0x8007048F); waiting' "$work/follow.err"
timeout 20 "$bin/zelknet" tail PDU-16#77 >"$work/lost" 2>&1 &
tailer=$!
sleep 0.3
"$bin/zelknet" sim unplug 1
wait "$tailer"; code=$?
check "tail without --follow ends in words (exit $code): $(cat "$work/lost")" \
    grep -qx 'zelknet: PDU-16#77 was unplugged (0x8007048F)' "$work/lost"
"$bin/zelknet" sim plug 1; "$bin/zelknet" sim plug 0
"$bin/zelknet" sim queue 0 "Oil pressure low!!" "calm" >/dev/null
timeout -s INT 2 script -qec "'$bin/zelknet' tail 0" /dev/null >"$work/tty" 2>&1
check "alarms in red on a terminal" grep -qF $'\e[31mOil pressure low!!\e[0m' "$work/tty"

pid=$(cat "$XDG_RUNTIME_DIR/zelkor/netserver.lock")
check "sim quit" "$bin/zelknet" sim quit
check "sim quit returns once the server has stopped" bash -c "! kill -0 $pid 2>/dev/null && test ! -e '$XDG_RUNTIME_DIR/zelkor/netserver.sock'"

# A server started by a client keeps nothing of the client's: a pipe on its output ends with the client.
check "a pipe from a starting client ends" timeout 10 bash -c "'$bin/zelknet' list | cat >/dev/null"
check "the server logs to its log file" grep -q "serving" "$XDG_STATE_HOME/zelkor/netserver.log"
check "sim quit again" "$bin/zelknet" sim quit

[[ $fail -eq 0 ]] && echo "zelknet checks passed"
exit $fail
