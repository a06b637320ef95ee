#!/usr/bin/env bash
# zkgallery --snapshot paints its windows on the headless backend and writes one PNG per window.
set -u
zkgallery="$1"
fail=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Without a display and without --snapshot there is nothing to show the windows on: it says so and ends.
timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY -u ZK_BACKEND "$zkgallery" > "$tmp/nodisplay.txt" 2>&1
code=$?
if [[ $code -ne 1 ]] || ! grep -q "no display" "$tmp/nodisplay.txt"; then
    echo "FAIL: without a display zkgallery exited with $code, expected 1 and a message:"
    cat "$tmp/nodisplay.txt"
    fail=1
fi

# The snapshot folder is created when it does not exist.
shots="$tmp/new/shots"
if ! "$zkgallery" --snapshot "$shots" > "$tmp/out.txt" 2>&1; then
    echo "FAIL: zkgallery --snapshot exited with an error:"
    cat "$tmp/out.txt"
    exit 1
fi

count=$(find "$shots" -name '*.png' | wc -l)
if [[ $count -ne 17 ]]; then
    echo "FAIL: expected 17 PNG files, found $count"
    fail=1
fi

check() {  # check FILE WIDTHxHEIGHT|any [MIN_COLOURS]
    local file="$shots/$1" size colours
    if ! size=$(identify -format '%wx%h' "$file" 2>&1); then
        echo "FAIL: $1 is not a readable PNG: $size"
        fail=1
        return
    fi
    if [[ "$2" != any && "$size" != "$2" ]]; then
        echo "FAIL: $1 is $size, expected $2"
        fail=1
    fi
    colours=$(identify -format '%k' "$file")
    if [[ $colours -lt ${3:-16} ]]; then
        echo "FAIL: $1 holds only $colours colours"
        fail=1
    fi
}

check fonts.png 640x380
check colours.png 1056x330
check input.png 500x320
check text.png 560x240
check log.png 500x320
check menus.png 196x340
check menu.png 74x110 4
check dialogs.png 500x230
check messagebox.png any
for f in editdialog editdialog-dark choose choose-dark globaloptions globaloptions-dark editbox editbox-dark; do
    check $f.png any
done

# The entry dialogs: the file name field has the focus (slot 31 frame, #FFBD69 light, #8080FF dark); the
# typed search shows in green in the choose dialog's rows; the dark twins have the dark background.
has_colour() {  # has_colour FILE RRGGBB
    convert "$shots/$1" -format %c histogram:info:- | grep -qi "#$2"
}
has_colour editdialog.png FFBD69 || { echo "FAIL: no focused edit field in editdialog.png"; fail=1; }
has_colour editdialog-dark.png 8080FF || { echo "FAIL: no focused edit field in editdialog-dark.png"; fail=1; }
has_colour editbox.png FFBD69 || { echo "FAIL: no focused edit field in editbox.png"; fail=1; }
has_colour editbox-dark.png 8080FF || { echo "FAIL: no focused edit field in editbox-dark.png"; fail=1; }
# The note box is shot with 12 pixels of the screen around it: its shadow darkens the light dialogs window
# right of the box, and nothing lies left of it.
right=$(convert "$shots/editbox.png" -format '%[fx:int(255*p{w-11,h/2}.g)]' info:)
left=$(convert "$shots/editbox.png" -format '%[fx:int(255*p{10,h/2}.g)]' info:)
if ((right >= left - 40)); then
    echo "FAIL: no shadow right of the note box (green $right there, $left left of it)"
    fail=1
fi
for f in choose choose-dark; do
    has_colour $f.png 00FF00 || { echo "FAIL: no highlighted match in $f.png"; fail=1; }
done
for f in editdialog-dark choose-dark globaloptions-dark; do
    corner=$(convert "$shots/$f.png" -format '%[hex:u.p{4,4}]' info:)
    [[ "$corner" == 000000* ]] || { echo "FAIL: $f.png is not in the dark scheme (found #$corner)"; fail=1; }
done

# The message box: its title band starts in slot 16 and its first button has the focus (slot 31 frame).
band=$(convert "$shots/messagebox.png" -format '%[hex:u.p{1,2}]' info:)
if [[ "$band" != E8F2FF* ]]; then
    echo "FAIL: the message box's title band does not start in slot 16 (found #$band)"
    fail=1
fi
if ! convert "$shots/messagebox.png" -format %c histogram:info:- | grep -qi '#FFBD69'; then
    echo "FAIL: no focused button in the message box"
    fail=1
fi

# The box follows the injected mouse move to client (150, 200) of the input window.
box=$(convert "$shots/input.png" -format '%[hex:u.p{150,200}]' info:)
if [[ "$box" != C82828* ]]; then
    echo "FAIL: the input window's box is not under the mouse (found #$box)"
    fail=1
fi
# The long text needs the scroll bar: its trough (colour slot 6) shows below the thumb at the view's left.
trough=$(convert "$shots/text.png" -format '%[hex:u.p{14,212}]' info:)
if [[ "$trough" != E1EEFF* ]]; then
    echo "FAIL: the text window shows no scroll bar trough (found #$trough)"
    fail=1
fi
# The log follows its end: its bar shows with the thumb at the bottom, so the trough shows at the top.
trough=$(convert "$shots/log.png" -format '%[hex:u.p{14,48}]' info:)
if [[ "$trough" != E1EEFF* ]]; then
    echo "FAIL: the log window shows no scroll bar trough at its top (found #$trough)"
    fail=1
fi
# The open File menu: one Down from the first row passes over the disabled row and the separator to
# "folDer...", which shows in the selection colour (slot 7); the first row shows the background (slot 5).
current=$(convert "$shots/menu.png" -format '%[hex:u.p{30,77}]' info:)
other=$(convert "$shots/menu.png" -format '%[hex:u.p{30,11}]' info:)
if [[ "$current" != BEDCFF* || "$other" != FFFFFF* ]]; then
    echo "FAIL: the open menu does not show its current row (found #$current and #$other)"
    fail=1
fi
exit $fail
