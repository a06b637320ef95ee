#!/usr/bin/env bash
# zkgallery's file name dialog on the SDL backend under Xvfb, driven by xdotool: it opens with its edit
# field focused (found on the screen by the focus colour), a typed name is confirmed with Enter and printed,
# a reserved name is refused (Enter leaves the dialog open) and Escape cancels. Every wait is for an event
# (gallery_dialogs.sh), so a loaded machine makes it slower, not wrong.
# Runs itself again inside xvfb-run; skipped (77) when xvfb-run or xdotool is missing.
set -u
zkgallery="$1"

if [[ "${2:-}" != "--inside" ]]; then
    if ! command -v xvfb-run > /dev/null || ! command -v xdotool > /dev/null; then
        echo "SKIP: xvfb-run or xdotool is not installed"
        exit 77
    fi
    # A display number of our own (see zkgallery_sdl.sh).
    exec timeout 150 xvfb-run -a -n $((100 + ($$ + 200) % 800)) -s "-screen 0 1280x1024x24" bash ${ZK_E2E_TRACE:+-x} "$0" "$zkgallery" --inside
fi

fail=0
tmp=$(mktemp -d)
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"  # see zkgallery_sdl.sh
ZK_BACKEND=sdl "$zkgallery" > "$tmp/out.txt" 2> "$tmp/err.txt" &
pid=$!
trap 'kill $pid 2> /dev/null; rm -rf "$tmp"' EXIT

source "$(dirname "$0")/gallery_dialogs.sh"
source "$(dirname "$0")/zkgallery_exit.sh"

# open_edit: opens the file name dialog (E, the access letter of the dialogs window's "Text entry" button)
# and waits for its focused edit field
open_edit() {
    focus_dialogs
    xdotool key e
    if ! wait_dialog open > /dev/null; then
        echo "FAIL: the file name dialog did not open with a focused edit field"
        cat "$tmp/err.txt"
        exit 1
    fi
}
# expect_answer N TEXT
expect_answer() {
    local answer
    answer=$(wait_answer "edit dialog: " "$1")
    if [[ "$answer" != "$2" ]]; then
        echo "FAIL: answer $1 is '${answer:-nothing}', expected '$2'"
        fail=1
    fi
}

if ! find_dialogs; then
    echo "FAIL: the gallery's dialogs window did not appear"
    cat "$tmp/err.txt"
    exit 1
fi

# The field starts with "log": select it all, type a new name, confirm.
open_edit
xdotool key ctrl+a
xdotool type --delay 30 "new log"
xdotool key BackSpace BackSpace BackSpace BackSpace period t x t
xdotool key Return
expect_answer 1 "edit dialog: 1 new.txt"
wait_dialog closed || { echo "FAIL: the dialog is still open after Enter"; fail=1; }

# A reserved device name is refused: Enter leaves the dialog open, so the Escape after it cancels the
# dialog (had Enter closed it, the second answer would be "1 NUL" and Escape would end the gallery).
open_edit
xdotool key ctrl+a
xdotool type --delay 30 "NUL"
xdotool key Return Escape
expect_answer 2 "edit dialog: 0"
wait_dialog closed || { echo "FAIL: the dialog is still open after Escape"; fail=1; }

focus_dialogs
expect_exit_after_esc
if [[ $fail -ne 0 ]]; then
    echo "zkgallery printed:"
    cat "$tmp/out.txt" "$tmp/err.txt"
fi
exit $fail
