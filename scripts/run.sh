#!/usr/bin/env bash
# Starts the program from a build folder's bin/, with zelknetserver serving the demo scenario: the real
# window when a display exists, console mode otherwise. The program keeps its settings in a store of its own
# under the build folder, with AutoConnect set, so a first run shows the demo devices' messages at once and
# the user's own settings stay as they are.
set -euo pipefail
bin="$1"
here="$(cd "$(dirname "$0")/.." && pwd)"
settings="$(cd "$bin/.." && pwd)/run-settings"
mkdir -p "$settings"
export ZK_HKCU_DB="$settings/hkcu.db"
# The options are read in this order and the first one missing ends the reading, so all three are stored.
for value in SingleShot=0 AutoOffLine=1 AutoConnect=1; do
    "$bin/zelkreg" ADD 'HKCU\Software\Zelkor\ZelkMsg\Options' /v "${value%=*}" /t REG_DWORD /d "${value#*=}" /f \
        >/dev/null
done
# An already running server (of this user) is kept; otherwise start one on the demo scenario. The server
# detaches by itself once it serves.
if ! "$bin/zelknet" sim ping on >/dev/null 2>&1; then
    # The build's copy of the demo serves the compiled demo profiles, which name the devices' errors.
    scenario="$bin/../share/zelkor/scenarios/demo.toml"
    [[ -f "$scenario" ]] || scenario="$here/data/scenarios/demo.toml"
    "$bin/zelknetserver" --scenario "$scenario" || true
fi
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" && "${ZK_BACKEND:-}" != headless ]]; then
    exec "$bin/zelkmsg"
fi
exec "$bin/zelkmsg" --console
