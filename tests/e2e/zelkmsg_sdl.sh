#!/usr/bin/env bash
# The real window on the SDL backend under Xvfb, against a real zelknetserver: it appears titled "ZelkMsg
# 2.15.83", "d" opens the Device menu and "c" its Connect item, the chooser's first row is chosen with Enter,
# a queued alarm shows as a red row, and File/Save writes the log under the entered name.
# Runs itself again inside xvfb-run; skipped (77) when xvfb-run is missing.
set -u
bin="$1"

if [[ "${2:-}" != "--inside" ]]; then
    if ! command -v xvfb-run > /dev/null; then
        echo "SKIP: xvfb-run is not installed"
        exit 77
    fi
    exec timeout 100 xvfb-run -a -n $((100 + ($$ + 600) % 800)) -s "-screen 0 1280x1024x24" bash "$0" "$bin" --inside
fi

scenario=$(mktemp)
cat >"$scenario" <<'TOML'
[server]
version = [2, 15, 3]

[[device]]
address = [1, 0, 1]
description = "Window bench"

[device.identity]
type = "WIN-1"
serial = 7
main_code = [1, 2, 3]
TOML
demo="$scenario"
source "$(dirname "$0")/netserver_env.sh"
rm -f "$scenario"
export ZK_HKCU_DB="$work/hkcu.db" ZK_HKLM_DB="$work/hklm.db" XDG_DATA_HOME="$work/data" ZK_BACKEND=sdl
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
mkdir -p "$work/logs"
"$bin/zelkreg" ADD 'HKCU\Software\Zelkor' /v WorkingDirectory /t REG_SZ /d "$work/logs/" /f > /dev/null
"$bin/zelknetserver" --scenario "$XDG_CONFIG_HOME/zelkor/netserver.toml"
"$bin/zelkmsg" > "$work/app.txt" 2>&1 &
app=$!
trap 'kill $app 2> /dev/null; cleanup' EXIT

if ! window=$(timeout 20 xdotool search --sync --onlyvisible --name '^ZelkMsg 2\.15\.83$' | head -1); then
    echo "FAIL: no window titled \"ZelkMsg 2.15.83\""
    cat "$work/app.txt"
    exit 1
fi
xdotool windowactivate --sync "$window" 2> /dev/null || xdotool windowfocus "$window"

# Red rows of the log: pixels of the light scheme's red text in a screenshot.
red_pixels() {
    import -window root "$work/shot.png"
    convert "$work/shot.png" -fx 'r>0.6 && g<0.25 && b<0.25 ? 1 : 0' -format '%[fx:mean*w*h]' info:
}

sleep 1
xdotool key d
sleep 1
xdotool key c
# The chooser opens after the please-wait box; its first (only) row is current.
sleep 3
xdotool key Return
for _ in $(seq 50); do
    "$bin/zelknet" sim queue 0 "window alarm!!" > /dev/null
    sleep 0.5
    [[ "$(red_pixels)" != 0 ]] && break
done
check "a red row in the log" test "$(red_pixels)" != 0
[[ -n "${ZK_E2E_SHOT:-}" ]] && cp "$work/shot.png" "$ZK_E2E_SHOT"

# File/Save: the file name dialog offers "WIN-1#7"; Enter saves, Enter closes the confirmation.
xdotool key f
sleep 1
xdotool key s
sleep 1
[[ -n "${ZK_E2E_SHOT:-}" ]] && import -window root "${ZK_E2E_SHOT%.png}-save.png"
xdotool key Return
sleep 1
xdotool key Return
check "the log was saved" grep -q 'window alarm' "$work/logs/WIN-1#7.txt"

[[ $fail -eq 0 ]] && echo "zelkmsg window checks passed"
exit $fail
