#!/usr/bin/env bash
# zkgallery on the SDL backend under Xvfb: its windows appear on the X screen in their colours, the box
# follows the real mouse, a window is dragged by its title strip, and Esc ends the program.
# Runs itself again inside xvfb-run; skipped (77) when xvfb-run is missing.
set -u
zkgallery="$1"

if [[ "${2:-}" != "--inside" ]]; then
    if ! command -v xvfb-run > /dev/null; then
        echo "SKIP: xvfb-run is not installed"
        exit 77
    fi
    # xvfb-run -a searches for a free display from -n on; two test runs that start the search at the same
    # number at the same moment can both pick it, so each run starts at a number of its own.
    exec timeout 60 xvfb-run -a -n $((100 + $$ % 800)) -s "-screen 0 1280x1024x24" bash "$0" "$zkgallery" --inside
fi

fail=0
tmp=$(mktemp -d)
source "$(dirname "$0")/zkgallery_exit.sh"
# SDL loads the X11 libraries at run time and unloads them at exit, so the leak checker of a sanitizer
# build cannot name (or be told to ignore) what they keep; the headless snapshot test checks our leaks.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
ZK_BACKEND=sdl "$zkgallery" > "$tmp/out.txt" 2>&1 &
pid=$!
trap 'kill $pid 2> /dev/null; rm -rf "$tmp"' EXIT

source "$(dirname "$0")/screen_pixels.sh"

if ! timeout 20 xdotool search --sync --onlyvisible --name '^Input$' > /dev/null; then
    echo "FAIL: the gallery's windows did not appear"
    cat "$tmp/out.txt"
    exit 1
fi

# The gallery's known colours: title strips, the input window's tracker and list, a light-scheme slot.
expect_pixel "the input window's tracker" 700 300 E0ECF8
import -window root "$tmp/shot.png"
colours=$(convert "$tmp/shot.png" -format %c histogram:info:-)
for c in 1E3C78 E0ECF8 FFFAE8 C82828 BEDCFF; do
    if ! grep -qi "#$c" <<< "$colours"; then
        echo "FAIL: colour #$c is not on the screen"
        fail=1
    fi
done

# The input window lies at (680, 20); its box follows the mouse.
xdotool mousemove 900 250
expect_pixel "the box under the mouse" 900 250 C82828
expect_pixel "the box's old place" 800 170 E0ECF8

# Drag the input window by its title strip down by 700 pixels.
expect_pixel "below the input window" 700 900 000000
xdotool mousemove 1000 30 mousedown 1 mousemove 1000 200 mousemove 1000 730 mouseup 1
expect_pixel "the dragged input window" 700 900 E0ECF8

# Esc ends the program with 0.
expect_exit_after_esc
exit $fail
