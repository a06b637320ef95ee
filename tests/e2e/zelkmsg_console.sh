#!/usr/bin/env bash
# zelkmsg --console against a real zelknetserver on a scenario of its own: the identity report and queued
# messages in order on stdout, a device unplugged for more than five seconds dropped ("OFFLINE
# Searching....") and reported again when it is back, a device of another type after a short unplug
# ("Device type has changed"), a lost server ending the program with exit code 0 after its message, SIGTERM
# closing normally, and a server that cannot be started giving exit code 1.
set -u
bin="$1"
scenario=$(mktemp)
cat >"$scenario" <<'TOML'
[server]
version = [2, 15, 3]

[[server.identity]]
root = 0x1234
name = "Bench Team"

[[device]]
address = [1, 0, 1]
description = "Scripted bench"

[device.identity]
type = "ECU-T1"
serial = 42
boot_code = [1, 2]
main_code = [3, 4, 5]
root_id = 0x1234

[device.identity.times]
last_program = 2024-03-11T09:30:00Z
TOML
demo="$scenario"
source "$(dirname "$0")/netserver_env.sh"
rm -f "$scenario"
export TZ=UTC NO_COLOR=1 ZK_HKCU_DB="$work/hkcu.db" ZK_HKLM_DB="$work/hklm.db" XDG_DATA_HOME="$work/data"

# wait_for FILE PATTERN [COUNT] [SECONDS]: until FILE has at least COUNT lines matching PATTERN.
wait_for() {
    local file="$1" pattern="$2" count="${3:-1}" limit=$(( ${4:-15} * 20 ))
    for ((i = 0; i < limit; i++)); do
        [[ $(grep -c -- "$pattern" "$file" 2>/dev/null) -ge $count ]] && return 0
        sleep 0.05
    done
    echo "--- $file:"; cat "$file"
    return 1
}

"$bin/zelknetserver" --scenario "$XDG_CONFIG_HOME/zelkor/netserver.toml"
"$bin/zelkmsg" --console >"$work/out" 2>"$work/err" &
app=$!

check "identity report" wait_for "$work/out" '^DEVICE : ECU-T1 #42$'
check "searching before the device" grep -qx '\[status\] OFFLINE Searching....' "$work/err"
check "report names the identity" grep -qx 'IDENTITY : Bench Team' "$work/out"
check "report times in local time" grep -qx 'LAST PROGRAM TIME : Mon Mar 11 09:30:00 2024' "$work/out"
check "report has 16 rows" test "$(wc -l <"$work/out")" -eq 16
"$bin/zelknet" sim queue 0 "first message" "hot!!" "third"
check "messages arrive" wait_for "$work/out" '^third$'
check "messages follow the report in order" \
    test "$(tail -n 3 "$work/out" | tr '\n' '|')" = "first message|hot|third|"
check "connected status" grep -qx '\[status\] CONNECTED' "$work/err"

# Unplugged for more than five seconds: dropped, searching again; plugged: a second report.
"$bin/zelknet" sim unplug 0
check "offline after the device left" wait_for "$work/err" '^\[status\] OFFLINE Searching....$' 2 12
"$bin/zelknet" sim plug 0
check "second identity report" wait_for "$work/out" '^DEVICE : ECU-T1 #42$' 2

# Another device type behind the same address after a short absence.
"$bin/zelknet" sim identity 0 type=OTHER
"$bin/zelknet" sim unplug 0
sleep 1
"$bin/zelknet" sim plug 0
check "type change" wait_for "$work/out" '^Device type has changed$'
check "the new device is opened" wait_for "$work/out" '^DEVICE : OTHER #42$'

# The server stops answering: one message, answered No, and a normal exit.
"$bin/zelknet" sim ping off
wait "$app"; code=$?
check "exit code 0 after a lost server (got $code)" test "$code" -eq 0
check "server-lost message answered No" grep -qx \
    '\[message\] The connetion to the ZelkNetServer has been lost This Program will now exit  Do you wish to attempt to restart this program? -> No' \
    "$work/err"
check "one server-lost message" test "$(grep -c 'has been lost' "$work/err")" -eq 1
"$bin/zelknet" sim ping on

# SIGTERM closes the window normally.
"$bin/zelkmsg" --console --device 'OTHER#42' >"$work/out2" 2>"$work/err2" &
app=$!
check "second run connects" wait_for "$work/err2" '^\[status\] CONNECTED$'
kill -TERM "$app"
wait "$app"; code=$?
check "SIGTERM exits with 0 (got $code)" test "$code" -eq 0

# No server can be started: the start-up message and exit code 1.
touch "$work/not-a-folder"
XDG_RUNTIME_DIR="$work/not-a-folder" timeout 20 "$bin/zelkmsg" --console >/dev/null 2>"$work/err3" </dev/null
code=$?
check "exit code 1 without a server (got $code)" test "$code" -eq 1
check "start-up message" grep -qx '\[message\] Cant start ZelkNetServer -> OK' "$work/err3"

[[ $fail -eq 0 ]] && echo "zelkmsg console checks passed"
exit $fail
