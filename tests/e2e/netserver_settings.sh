#!/usr/bin/env bash
# zelknetserver takes its scenario from the settings store before the configuration file: a path set with
# zelkreg is served; a set path that does not exist stops the server with a message naming the path and the
# setting; without the setting the configuration file is served again.
set -u
bin="$1"
demo="$2"
source "$(dirname "$0")/netserver_env.sh"
export ZK_HKCU_DB="$work/hkcu.db" ZK_HKLM_DB="$work/hklm.db"
key='HKCU\Software\Zelkor\ZelkNetServer'

stop_server() {
    timeout 5 "$bin/zelknet" sim quit >/dev/null 2>&1
    for _ in $(seq 100); do [[ -e "$XDG_RUNTIME_DIR/zelkor/netserver.sock" ]] || return 0; sleep 0.05; done
    return 1
}

cat >"$work/bench.toml" <<'TOML'
[[device]]
address = [7, 0, 1]
description = "Named by the settings"
[device.identity]
type = "REG-7"
serial = 9
TOML

check "set the scenario" "$bin/zelkreg" ADD "$key" /v Scenario /d "$work/bench.toml" /f >/dev/null
timeout 20 "$bin/zelknet" list >"$work/list" 2>&1
check "the set scenario is served: $(cat "$work/list")" \
    test "$(cat "$work/list")" = "0 sim:0 REG-7#9 MainCode Named by the settings"
check "server stops" stop_server

check "set a missing scenario" "$bin/zelkreg" ADD "$key" /v Scenario /d "$work/missing.toml" /f >/dev/null
timeout 20 "$bin/zelknetserver" --foreground >"$work/out" 2>&1; code=$?
check "a missing set scenario exits 1 (got $code)" test "$code" -eq 1
check "the message names the path and the setting: $(cat "$work/out")" grep -qF \
    "$work/missing.toml named by the setting HKEY_CURRENT_USER\\Software\\Zelkor\\ZelkNetServer\\Scenario" \
    "$work/out"
check "no server is left" test ! -e "$XDG_RUNTIME_DIR/zelkor/netserver.sock"
# A client that starts such a server reports the server's own message at once.
start=$(date +%s%N)
timeout 20 "$bin/zelknet" list >"$work/out" 2>&1; code=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
check "the starting client fails with 1 (got $code)" test "$code" -eq 1
check "at once (took $elapsed ms)" test "$elapsed" -lt 2000
check "with the server's message: $(cat "$work/out")" grep -qF "$work/missing.toml named by the setting" "$work/out"

check "delete the setting" "$bin/zelkreg" DELETE "$key" /v Scenario /f >/dev/null
timeout 20 "$bin/zelknet" list >"$work/list" 2>&1
check "without the setting the configuration file is served" grep -q '^0 sim:0 ECU-M4#' "$work/list"

[[ $fail -eq 0 ]] && echo "zelknetserver settings checks passed"
exit $fail
