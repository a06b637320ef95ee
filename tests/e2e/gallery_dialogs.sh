# Helpers for the end-to-end tests of zkgallery's dialogs under Xvfb; sourced by them. They expect $tmp
# (a scratch folder) and zkgallery's standard output in $tmp/out.txt.

# The dialogs window lies at (600, 770, 1100, 1000); dialogs open centred over it.
readonly dialogs_area="500x230+600+770" dialogs_centre_x=850

# The leftmost screen x of the focused-control frame colour (slot 31, #FFBD69) in the dialogs area, or
# nothing when it is not there (the bounding box of that colour is then empty).
focused_x() {
    local box
    import -window root -crop "$dialogs_area" "$tmp/area.png" || return
    box=$(convert "$tmp/area.png" -fill black +opaque '#FFBD69' -format '%@' info: 2> /dev/null)
    [[ "$box" == 0x0* || -z "$box" ]] && return
    local x=${box#*+}
    echo $((${x%%+*} + 600))
}

# wait_dialog open|closed: waits up to 5 s for a dialog's focused control to appear or go; prints its x
wait_dialog() {
    local x
    for _ in $(seq 50); do
        x=$(focused_x)
        [[ "$1" == open && -n "$x" ]] && echo "$x" && return 0
        [[ "$1" == closed && -z "$x" ]] && return 0
        sleep 0.1
    done
    return 1
}

# wait_answer PREFIX N: waits up to 5 s for the N-th line of standard output that starts with PREFIX
wait_answer() {
    for _ in $(seq 50); do
        local line
        line=$(grep "^$1" "$tmp/out.txt" | sed -n "$2p")
        [[ -n "$line" ]] && echo "$line" && return 0
        sleep 0.1
    done
    return 1
}

# Without a window manager nothing moves the X focus: it goes to the dialogs window by hand, as a window
# manager would give it on a click (and give it back when a dialog's window goes).
focus_dialogs() {
    xdotool search --onlyvisible --name '^Dialogs$' windowfocus --sync
    sleep 0.2
}

# Esc on the dialogs window ends the program; fails unless it ends with 0 within 10 s. Needs $pid.
quit_gallery() {
    focus_dialogs
    xdotool key Escape
    for _ in $(seq 100); do
        kill -0 "$pid" 2> /dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2> /dev/null; then
        echo "FAIL: zkgallery still runs after Esc"
        fail=1
        return
    fi
    wait "$pid"
    local code=$?
    if [[ $code -ne 0 ]]; then
        echo "FAIL: zkgallery exited with $code"
        cat "$tmp/err.txt"
        fail=1
    fi
}
