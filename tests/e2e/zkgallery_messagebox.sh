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

source "$(dirname "$0")/gallery_dialogs.sh"

# ask KEY N EXPECTED: opens the box (M, the access letter of the dialogs window's "Message box" button),
# checks its focused button, answers with KEY and checks answer N
ask() {
    focus_dialogs
    xdotool key m
    local x
    if ! x=$(wait_dialog open); then
        echo "FAIL: the message box did not open with a focused button"
        fail=1
        return
    fi
    if ((x >= dialogs_centre_x)); then
        echo "FAIL: the focused button lies right of the box's centre (x $x): not the first button"
        fail=1
    fi
    xdotool key "$1"
    local answer
    answer=$(wait_answer "message box: " "$2")
    if [[ "$answer" != "message box: $3" ]]; then
        echo "FAIL: $1 answered '${answer:-nothing}', expected 'message box: $3'"
        fail=1
    fi
    if ! wait_dialog closed; then
        echo "FAIL: the message box is still open after $1"
        fail=1
    fi
}

if ! find_dialogs; then
    echo "FAIL: the gallery's dialogs window did not appear"
    cat "$tmp/err.txt"
    exit 1
fi

ask y 1 3
ask Escape 2 1

# Esc on the dialogs window ends the program with 0.
quit_gallery
exit $fail
