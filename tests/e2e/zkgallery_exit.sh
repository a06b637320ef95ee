# Sourced by the zkgallery scripts that run it on the SDL backend: `expect_exit_after_esc` sends Esc and
# records in $fail when zkgallery ($pid) does not end within 30 s or ends with a code other than 0 (then its
# output, $tmp/out.txt and $tmp/err.txt, is shown).
expect_exit_after_esc() {
    xdotool key Escape
    local deadline=$((SECONDS + 30))
    while kill -0 "$pid" 2> /dev/null && ((SECONDS < deadline)); do
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
        cat "$tmp/out.txt" "$tmp/err.txt" 2> /dev/null
        fail=1
    fi
}
