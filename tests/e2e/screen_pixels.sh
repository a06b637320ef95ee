# Sourced by the end-to-end scripts that check the screen of an X display by its pixels. They expect $tmp
# (a scratch folder) and set $fail when a colour does not show.

# pixel X Y: the screen's colour at (X, Y) as RRGGBB
pixel() {
    import -window root -crop "1x1+$1+$2" "$tmp/pixel.png" && convert "$tmp/pixel.png" -format "%[hex:u.p{0,0}]" info: | cut -c1-6
}
# expect_pixel WHAT X Y RRGGBB: waits up to 5 s for the colour, since painting follows the events
expect_pixel() {
    local what="$1" x="$2" y="$3" want="$4" got=""
    for _ in $(seq 50); do
        got=$(pixel "$x" "$y")
        [[ "$got" == "$want" ]] && return 0
        sleep 0.1
    done
    echo "FAIL: $what: ($x, $y) is #$got, expected #$want"
    fail=1
}
