#!/usr/bin/env bash
# "Errors" in the real window on the SDL backend under Xvfb, against zelknetserver serving the build's demo
# (its compiled profiles) as `make run` does: the program connects to the first device, the ECU-M4, by
# itself; "Errors" is chosen from the Device menu once its profile has loaded, and the dialog shows a red
# cause line (lambda sensor 1's lean mixture, which comes and goes: Refresh until it is there); the
# "Device" title flashes in the error colour.
# Runs once in the light and once in the dark scheme; ZK_E2E_SHOT=DIR keeps the dialog's screenshots there.
# Runs itself again inside xvfb-run; skipped (77) when xvfb-run is missing.
set -u
bin="$1"

if [[ "${2:-}" != "--inside" ]]; then
    if ! command -v xvfb-run > /dev/null; then
        echo "SKIP: xvfb-run is not installed"
        exit 77
    fi
    exec timeout 170 xvfb-run -a -n $((100 + ($$ + 700) % 800)) -s "-screen 0 1280x1024x24" bash "$0" "$bin" --inside
fi

demo="$bin/../share/zelkor/scenarios/demo.toml"
source "$(dirname "$0")/netserver_env.sh"
export ZK_HKCU_DB="$work/hkcu.db" ZK_HKLM_DB="$work/hklm.db" XDG_DATA_HOME="$work/data" ZK_BACKEND=sdl
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
"$bin/zelknetserver" --scenario "$demo"
# As `make run` does: connect to the first device found, the ECU-M4.
for value in SingleShot=0 AutoOffLine=1 AutoConnect=1; do
    "$bin/zelkreg" ADD 'HKCU\Software\Zelkor\ZelkMsg\Options' /v "${value%=*}" /t REG_DWORD /d "${value#*=}" /f \
        > /dev/null
done

# The rows of a screenshot of the dialog whose leftmost red pixel lies where the tree writes a cause: the
# tree starts 10 pixels in, each level indents 16 and the text follows its box (16), so causes (level 2)
# start at x = 62, sources at 46 and groups at 30. The dialog's frame (red in the dark scheme) is cut off
# with the 20 pixels at the left. The lines of txt: are "X,Y: (R,G,B) ...".
cause_rows() {
    convert "$1" -crop 220x420+20+1 +repage txt:- | awk -F'[,:() ]+' '
        NR > 1 && $3 > 150 && $4 < 70 && $5 < 70 { if (!($2 in left) || $1 < left[$2]) left[$2] = $1 }
        END { n = 0; for (y in left) if (left[y] >= 38 && left[y] <= 50) ++n; print n }'
}

# The visible window of process $1 that is 640 x 480: the error state dialog.
dialog_of() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$1" 2> /dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        if [[ "$WIDTH" == 640 && "$HEIGHT" == 480 ]]; then
            echo "$w"
            return
        fi
    done
}

run_scheme() {  # run_scheme NAME NEWGUI
    local name="$1" app window dialog rows=0
    "$bin/zelkreg" ADD 'HKCU\Software\Zelkor' /v NEWGUI /t REG_DWORD /d "$2" /f > /dev/null
    "$bin/zelkmsg" > "$work/app-$name.txt" 2>&1 &
    app=$!
    if ! window=$(timeout 20 xdotool search --sync --onlyvisible --name '^ZelkMsg 2\.15\.83$' | head -1); then
        echo "FAIL: $name: no window titled \"ZelkMsg 2.15.83\""
        fail=1
        kill $app
        return
    fi
    xdotool windowactivate --sync "$window" 2> /dev/null || xdotool windowfocus "$window"
    # "Errors" is enabled once the profile has loaded; until then "e" does nothing and Escape closes the menu.
    for _ in $(seq 20); do
        sleep 1
        xdotool key d
        sleep 0.5
        xdotool key e
        sleep 1
        dialog=$(dialog_of $app)
        [[ -n "$dialog" ]] && break
        xdotool key Escape
    done
    check "$name: \"Errors\" opened the error state dialog" test -n "$dialog"
    if [[ -n "$dialog" ]]; then
        # The lean mixture is active four seconds in every eight; Refresh reads the words again.
        for _ in $(seq 15); do
            import -window "$dialog" "$work/dialog-$name.png"
            rows=$(cause_rows "$work/dialog-$name.png")
            [[ "$rows" -gt 0 ]] && break
            xdotool key r
            sleep 1
        done
        check "$name: a red cause line in the dialog" test "$rows" -gt 0
        [[ -n "${ZK_E2E_SHOT:-}" ]] && cp "$work/dialog-$name.png" "$ZK_E2E_SHOT/errors-$name.png"
        xdotool key d
    fi
    # In the light scheme the "Device" title flashes in the error colour: red while the lean mixture is
    # active, orange while only stored errors remain (700 ms of every second).
    if [[ "$name" == light ]]; then
        local flash=0
        for _ in $(seq 10); do
            sleep 0.3
            import -window "$window" "$work/main.png"
            flash=$(convert "$work/main.png" -crop 200x25+0+0 +repage txt:- | grep -c -E '\((192,0,0|255,128,0)\)')
            [[ "$flash" -gt 20 ]] && break
        done
        check "$name: the Device title flashes in the error colour" test "$flash" -gt 20
    fi
    sleep 0.5
    kill $app 2> /dev/null
    wait $app 2> /dev/null
}

run_scheme light 1
run_scheme dark 0

[[ $fail -eq 0 ]] && echo "error state dialog checks passed"
exit $fail
