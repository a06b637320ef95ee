#!/usr/bin/env bash
# CPU of the real zelkmsg (console mode) connected to an idle device, and of its zelknetserver, over a
# number of seconds, read from /proc. Runs in a temporary runtime, configuration and settings folder.
#   bench/zelkmsg_idle_cpu.sh build/default/bin [SECONDS]
set -u
bin="$1"
seconds="${2:-30}"
work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
export XDG_DATA_HOME="$work/data" ZK_HKCU_DB="$work/hkcu.db" ZK_HKLM_DB="$work/hklm.db" NO_COLOR=1
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/zelkor"
chmod 700 "$XDG_RUNTIME_DIR"
printf '[[device]]\naddress = [1, 0, 1]\n[device.identity]\ntype = "ECU-B1"\nserial = 7\n' >"$work/scenario.toml"
trap '"$bin/zelknet" sim quit >/dev/null 2>&1; rm -rf "$work"' EXIT

"$bin/zelknetserver" --scenario "$work/scenario.toml" || exit 1
"$bin/zelkmsg" --console >"$work/out" 2>/dev/null &
app=$!
for _ in $(seq 200); do grep -q '^DEVICE' "$work/out" && break; sleep 0.1; done
grep -q '^DEVICE' "$work/out" || { echo "zelkmsg did not connect"; kill "$app"; exit 1; }
sleep 1
server=$(cat "$XDG_RUNTIME_DIR/zelkor/netserver.lock")
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
app0=$(ticks "$app"); server0=$(ticks "$server")
sleep "$seconds"
app1=$(ticks "$app"); server1=$(ticks "$server")
hz=$(getconf CLK_TCK)
awk -v a="$((app1 - app0))" -v s="$((server1 - server0))" -v hz="$hz" -v t="$seconds" -v l="$(cut -d' ' -f1-3 /proc/loadavg)" \
    'BEGIN { printf "idle over %d s: zelkmsg %.2f %% of a core, zelknetserver %.2f %% (load average %s)\n", t, 100 * a / hz / t, 100 * s / hz / t, l }'
kill -TERM "$app"
wait "$app"
