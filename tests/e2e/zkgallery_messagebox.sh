#!/usr/bin/env bash
# zkgallery's message box on the SDL backend under Xvfb, driven by xdotool: the box opens with its first
# button ("Yes") focused, found on the screen by its colour; "y" answers Yes (3) and Escape answers No (1);
# zkgallery prints each answer.
# Runs itself again inside xvfb-run; skipped (77) when xvfb-run or xdotool is missing.
set -u
zkgallery="$1"

if [[ "${2:-}" != "--inside" ]]; then
    if ! command -v xvfb-run > /dev/null || ! command -v xdotool > /dev/null; then
        echo "SKIP: xvfb-run or xdotool is not installed"
        exit 77
    fi
    # A display number of our own (see zkgallery_sdl.sh).
    exec timeout 150 xvfb-run -a -n $((100 + ($$ + 400) % 800)) -s "-screen 0 1280x1024x24" bash "$0" "$zkgallery" --inside
fi

fail=0
tmp=$(mktemp -d)
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"  # see zkgallery_sdl.sh
ZK_BACKEND=sdl "$zkgallery" > "$tmp/out.txt" 2> "$tmp/err.txt" &
pid=$!
trap 'kill $pid 2> /dev/null; rm -rf "$tmp"' EXIT

# The dialogs window lies at (600, 770, 1100, 1000); the box opens centred over it.
readonly area="500x230+600+770" centre_x=850
# The leftmost screen x of the focused-control frame colour (slot 31, #FFBD69) in the dialogs area, or
# nothing when it is not there (the bounding box of that colour is then empty).
focused_x() {
    local box
    import -window root -crop "$area" "$tmp/area.png" || return
    box=$(convert "$tmp/area.png" -fill black +opaque '#FFBD69' -format '%@' info: 2> /dev/null)
    [[ "$box" == 0x0* || -z "$box" ]] && return
    local x=${box#*+}
    echo $((${x%%+*} + 600))
}
# wait_box open|closed: waits up to 5 s for the box's focused button to appear or go
wait_box() {
    local x
    for _ in $(seq 50); do
        x=$(focused_x)
        [[ "$1" == open && -n "$x" ]] && echo "$x" && return 0
        [[ "$1" == closed && -z "$x" ]] && return 0
        sleep 0.1
    done
    return 1
}
# wait_answer N: waits up to 5 s for the N-th answer line and prints it
wait_answer() {
    for _ in $(seq 50); do
        local line
        line=$(grep '^message box: ' "$tmp/out.txt" | sed -n "$1p")
        [[ -n "$line" ]] && echo "$line" && return 0
        sleep 0.1
    done
    return 1
}
# Without a window manager nothing moves the X focus: it goes to the dialogs window by hand, as a window
# manager would give it on a click (and give it back when the box's window goes).
focus_dialogs() {
    xdotool search --onlyvisible --name '^Dialogs$' windowfocus --sync
    sleep 0.2
}
# ask KEY N EXPECTED: opens the box (M, the access letter of the dialogs window's "Message box" button),
# checks its focused button, answers with KEY and checks answer N
ask() {
    focus_dialogs
    xdotool key m
    local x
    if ! x=$(wait_box open); then
        echo "FAIL: the message box did not open with a focused button"
        fail=1
        return
    fi
    if ((x >= centre_x)); then
        echo "FAIL: the focused button lies right of the box's centre (x $x): not the first button"
        fail=1
    fi
    xdotool key "$1"
    local answer
    answer=$(wait_answer "$2")
    if [[ "$answer" != "message box: $3" ]]; then
        echo "FAIL: $1 answered '${answer:-nothing}', expected 'message box: $3'"
        fail=1
    fi
    if ! wait_box closed; then
        echo "FAIL: the message box is still open after $1"
        fail=1
    fi
}

if ! timeout 20 xdotool search --sync --onlyvisible --name '^Dialogs$' > /dev/null; then
    echo "FAIL: the gallery's dialogs window did not appear"
    cat "$tmp/err.txt"
    exit 1
fi
sleep 0.5  # the first paint

ask y 1 3
ask Escape 2 1

# Esc on the dialogs window ends the program with 0.
focus_dialogs
xdotool key Escape
for _ in $(seq 100); do
    kill -0 $pid 2> /dev/null || break
    sleep 0.1
done
if kill -0 $pid 2> /dev/null; then
    echo "FAIL: zkgallery still runs after Esc"
    fail=1
else
    wait $pid
    code=$?
    if [[ $code -ne 0 ]]; then
        echo "FAIL: zkgallery exited with $code"
        cat "$tmp/err.txt"
        fail=1
    fi
fi
exit $fail
