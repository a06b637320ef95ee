#!/usr/bin/env bash
# The global options dialog of the real window on the SDL backend under Xvfb, with zkgallery running beside
# it on the headless backend as a second program of the maker: File/Global Options, B and Enter turn both
# into the dark scheme; once "Apply to ZelkMsg only" is ticked, a change stays with zelkmsg.
# Runs itself again inside xvfb-run; skipped (77) when xvfb-run is missing.
set -u
bin="$1"
demo="$2"

if [[ "${3:-}" != "--inside" ]]; then
    if ! command -v xvfb-run > /dev/null; then
        echo "SKIP: xvfb-run is not installed"
        exit 77
    fi
    exec timeout 110 xvfb-run -a -n $((100 + ($$ + 300) % 800)) -s "-screen 0 1280x1024x24" \
        bash "$0" "$bin" "$demo" --inside
fi

here="$(dirname "$0")"
source "$here/netserver_env.sh"
tmp="$work"
source "$here/screen_pixels.sh"
export ZK_HKCU_DB="$work/hkcu.db" ZK_HKLM_DB="$work/hklm.db" XDG_DATA_HOME="$work/data" ZK_BACKEND=sdl
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
"$bin/zelknetserver" --scenario "$XDG_CONFIG_HOME/zelkor/netserver.toml"
"$bin/zkgallery" --headless > "$work/gallery.txt" 2>&1 &
gallery=$!
"$bin/zelkmsg" > "$work/app.txt" 2>&1 &
app=$!
trap 'timeout 5 python3 "$here/copydata_send.py" "$socket" 0 > /dev/null 2>&1; kill $app 2> /dev/null; cleanup' EXIT
socket="$XDG_RUNTIME_DIR/zelkor/copydata-$gallery.sock"

if ! window=$(timeout 20 xdotool search --sync --onlyvisible --name '^ZelkMsg 2\.15\.83$' | head -1); then
    echo "FAIL: no window titled \"ZelkMsg 2.15.83\""
    cat "$work/app.txt"
    exit 1
fi
xdotool windowactivate --sync "$window" 2> /dev/null || xdotool windowfocus "$window"
eval "$(xdotool getwindowgeometry --shell "$window")"
log_x=$((X + 400))
log_y=$((Y + 300))

# The colour of the gallery's dialogs window background, from the picture it writes on request.
gallery_background() {
    rm -rf "$work/shots" && mkdir -p "$work/shots"
    [[ "$(python3 "$here/copydata_send.py" "$socket" 1 "$work/shots")" == 1 ]] || return
    convert "$work/shots/dialogs.png" -format '%[hex:u.p{480,180}]' info: | cut -c1-6
}
expect_gallery() {  # expect_gallery WHAT RRGGBB
    local got
    for _ in $(seq 50); do
        got=$(gallery_background)
        [[ "$got" == "$2" ]] && return 0
        sleep 0.1
    done
    echo "FAIL: $1: the gallery's background is #$got, expected #$2"
    fail=1
}
# Opens File/Global Options and types the keys into the dialog.
options_dialog() {
    xdotool key f
    sleep 1
    xdotool key g
    sleep 1
    xdotool key "$@"
}

for _ in $(seq 50); do [[ -S "$socket" ]] && break; sleep 0.1; done
expect_pixel "zelkmsg starts light" $log_x $log_y FFFFFF
expect_gallery "the gallery starts light" FFFFFF

options_dialog b Return
expect_pixel "zelkmsg turned dark" $log_x $log_y 000000
expect_gallery "the gallery followed" 000000

# For ZelkMsg only: a notice would now make the gallery read the light scheme stored behind its back.
"$bin/zelkreg" ADD 'HKCU\Software\Zelkor' /v NEWGUI /t REG_DWORD /d 1 /f > /dev/null
options_dialog l b Return
expect_pixel "zelkmsg turned light for itself" $log_x $log_y FFFFFF
check "the gallery stays dark" test "$(gallery_background)" == 000000

[[ $fail -eq 0 ]] && echo "global options checks passed"
exit $fail
