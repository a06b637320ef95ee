# Helpers for the end-to-end tests of zkgallery's dialogs under Xvfb; sourced by them. They expect $tmp
# (a scratch folder) and zkgallery's standard output in $tmp/out.txt.
#
# Every wait is for something that happens (a line printed, a colour shown on the screen or gone) and
# gives up only at a deadline in seconds: on a loaded machine one screen grab alone can take
# seconds, so a budget counted in polls would run out long before the program is slow.

source "$(dirname "${BASH_SOURCE[0]}")/zkgallery_exit.sh"

# The dialogs window lies at (760, 770, 1260, 1000); dialogs open centred over it.
readonly dialogs_area="500x230+760+770" dialogs_left=760 dialogs_centre_x=1010
readonly wait_seconds=30

# The leftmost screen x of the focused-control frame colour (slot 31, #FFBD69) in the dialogs area, or
# nothing when it is not there (the bounding box of that colour is then empty). One process grabs the
# screen and measures, as a loaded machine makes every process start slow.
focused_x() {
    local box
    box=$(convert x:root -crop "$dialogs_area" -fill black +opaque '#FFBD69' -format '%@' info: 2> /dev/null)
    [[ "$box" == 0x0* || -z "$box" ]] && return
    local x=${box#*+}
    echo $((${x%%+*} + dialogs_left))
}

# wait_dialog open|closed: waits for a dialog's focused control to be drawn (and prints its x), or to be
# gone with the dialog.
wait_dialog() {
    local deadline=$((SECONDS + wait_seconds)) x
    while x=$(focused_x); [[ "$1" == open && -z "$x" || "$1" == closed && -n "$x" ]]; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
    [[ "$1" == open ]] && echo "$x"
    return 0
}

# wait_answer PREFIX N: waits for the N-th line of standard output that starts with PREFIX, and prints it
wait_answer() {
    local deadline=$((SECONDS + wait_seconds)) line
    until line=$(grep "^$1" "$tmp/out.txt" | sed -n "$2p") && [[ -n "$line" ]]; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
    echo "$line"
}

# find_dialogs: waits for the gallery's dialogs window to be shown and painted. Its first paint may give
# it a new X window (SDL does so when it shows surfaces through an accelerated renderer), so the window
# is looked for by its name whenever it is needed, never by an id kept from before.
find_dialogs() {
    local deadline=$((SECONDS + 60))
    until [[ -n "$(dialogs_window)" ]] &&
        [[ "$(convert x:root -crop "$dialogs_area" -format '%[fx:maxima]' info: 2> /dev/null)" != 0 ]]; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# The X id of the dialogs window (nothing when the search failed: a search walks the window tree and
# fails when a window goes during the walk).
dialogs_window() {
    xdotool search --onlyvisible --name '^Dialogs$' 2> /dev/null | tail -1
}

# Without a window manager nothing moves the X focus: it goes to the dialogs window by hand, as a window
# manager would give it on a click (and give it back when a dialog's window goes), until the display
# says it is there.
focus_dialogs() {
    local deadline=$((SECONDS + wait_seconds)) id
    until id=$(dialogs_window) && [[ -n "$id" && "$(xdotool getwindowfocus 2> /dev/null)" == "$id" ]]; do
        ((SECONDS < deadline)) || return 1
        [[ -n "$id" ]] && xdotool windowfocus --sync "$id" 2> /dev/null
        sleep 0.1
    done
}

# Esc on the dialogs window ends the program; fails unless it ends with 0. Needs $pid.
quit_gallery() {
    focus_dialogs
    expect_exit_after_esc
}
