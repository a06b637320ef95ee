#!/usr/bin/env bash
# A device on a serial port, without a scenario: `zelknetserver --link serial:PTY@TYPE#SERIAL` with a
# pseudo-terminal standing in for the port. `zelknet list` shows it once the port is open, `zelknet tail`
# shows its lines (Windows-1252 bytes as UTF-8), and it leaves the list when the port goes away.
set -u
bin="$1"
demo="$2"
source "$(dirname "$0")/netserver_env.sh"

port="$work/ttyUSB0"
mkfifo "$work/feed"
python3 "$(dirname "$0")/pty_peer.py" "$port" <"$work/feed" &
peer=$!
exec 3>"$work/feed"
for i in $(seq 100); do [[ -L "$port" ]] && break; sleep 0.05; done

check "server starts on a link" "$bin/zelknetserver" --link "serial:$port:115200@BENCH-ECU#7"
listed() {  # waits until the list is $1 (the port opens a moment after the server starts)
    for i in $(seq 100); do [[ "$("$bin/zelknet" list 2>&1)" == "$1" ]] && return 0; sleep 0.05; done
    "$bin/zelknet" list; return 1
}
check "list shows the link device" listed "0 sim:0 BENCH-ECU#7 MainCode serial $port 115200 8N1"

printf 'Bench ECU ready\nTemp caf\xe9 85 C\nOil pressure low!!\n' >&3
timeout -s INT 2 "$bin/zelknet" tail 0 >"$work/tail" 2>&1
check "tail shows the lines in order" diff <(printf 'Bench ECU ready\nTemp caf\xc3\xa9 85 C\nOil pressure low!!\n') "$work/tail"

exec 3>&-
kill "$peer"; wait "$peer" 2>/dev/null
check "the device leaves the list when its port goes" listed ""

[[ $fail -eq 0 ]] && echo "zelknet link checks passed"
exit $fail
