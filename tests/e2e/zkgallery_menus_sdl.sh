#!/usr/bin/env bash
# zkgallery's menu window on the SDL backend under Xvfb: its File menu opens with the letter F, the row
# under the mouse is highlighted, and a click chooses it (the gallery prints the choice).
# Runs itself again inside xvfb-run; skipped (77) when xvfb-run is missing.
set -u
zkgallery="$1"

if [[ "${2:-}" != "--inside" ]]; then
    if ! command -v xvfb-run > /dev/null; then
        echo "SKIP: xvfb-run is not installed"
        exit 77
    fi
    exec timeout 60 xvfb-run -a -n $((100 + ($$ + 400) % 800)) -s "-screen 0 1280x1024x24" bash "$0" "$zkgallery" --inside
fi

fail=0
tmp=$(mktemp -d)
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
ZK_BACKEND=sdl "$zkgallery" > "$tmp/out.txt" 2>&1 &
pid=$!
trap 'kill $pid 2> /dev/null; rm -rf "$tmp"' EXIT

source "$(dirname "$0")/screen_pixels.sh"

# Waits by the window tree: a window that goes while `xdotool search` looks at it can make that fail.
for _ in $(seq 100); do
    xwininfo -root -tree 2> /dev/null | grep -q '"Menus"' && break
    sleep 0.2
done
if ! xwininfo -root -tree 2> /dev/null | grep -q '"Menus"'; then
    echo "FAIL: the menu window did not appear"
    cat "$tmp/out.txt"
    exit 1
fi

# The menu window lies at (1080, 360): title strip, then the menu bar with File at (3, 3) in it. Its popup
# opens below the title, one row per 22 pixels: Open, Save (disabled), a separator, folDer..., eXit.
open_row_x=1113
open_row_y=417
expect_pixel "the menu window's text area" $open_row_x $open_row_y FFFFFF
xdotool mousemove 1150 370 click 1          # activate the window by its title strip
xdotool key f
expect_pixel "the open File menu's first row, current" $open_row_x $open_row_y BEDCFF
xdotool mousemove $open_row_x $((open_row_y + 22))
expect_pixel "the first row, still current with the mouse over the disabled row" $open_row_x $open_row_y BEDCFF
xdotool mousemove $open_row_x $((open_row_y + 66))
expect_pixel "folDer... under the mouse" $open_row_x $((open_row_y + 66)) BEDCFF
expect_pixel "the first row, no longer current" $open_row_x $open_row_y FFFFFF
xdotool mousemove $open_row_x $open_row_y
expect_pixel "the first row under the mouse" $open_row_x $open_row_y BEDCFF
import -window root "$tmp/menu.png"
xdotool click 1
for _ in $(seq 50); do
    grep -q '^menu: F O Open$' "$tmp/out.txt" && break
    sleep 0.1
done
if ! grep -q '^menu: F O Open$' "$tmp/out.txt"; then
    echo "FAIL: the click did not choose File > Open; the gallery printed:"
    cat "$tmp/out.txt"
    fail=1
fi
expect_pixel "the closed menu's place" $open_row_x $open_row_y FFFFFF

xdotool key Escape
for _ in $(seq 100); do
    kill -0 $pid 2> /dev/null || break
    sleep 0.1
done
if kill -0 $pid 2> /dev/null; then
    echo "FAIL: zkgallery still runs after Esc"
    fail=1
fi
exit $fail
