#!/usr/bin/env bash
# zkprofile check: the demo profile is valid; a header whose FROM_CODE_REVISION is above its CODE_REVISION
# fails with the positioned message; dump lists the objects in definition order.
set -u
zkprofile="$1"
demo="$2"
fail=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

if ! out=$("$zkprofile" check "$demo"); then
    echo "FAIL: check of the demo profile exited $?: $out"
    fail=1
fi

printf 'PROFILE_HEADER() {\n    CODE_REVISION(3)\n    FROM_CODE_REVISION(4)\n}\n' > "$tmp/bad.txt"
out=$("$zkprofile" check "$tmp/bad.txt")
code=$?
expected="00003 \"$tmp/bad.txt\" - FROM_CODE_REVISION is > CODE_REVISION"
if [[ $code -ne 1 || "$out" != "$expected" ]]; then
    echo "FAIL: revision check gave exit code $code and output: $out"
    fail=1
fi

dump=$("$zkprofile" dump "$demo")
first=$(printf '%s\n' "$dump" | grep -v '^ ' | head -3 | tr '\n' ' ')
if [[ "$first" != "GLOBAL_ID_DATABASE(GLOBAL_ID_DATABASE) GLOBAL_UNIT_DATABASE(GLOBAL_UNIT_DATABASE) GLOBAL_QTY_DATABASE(GLOBAL_QTY_DATABASE) " ]]; then
    echo "FAIL: dump starts with: $first"
    fail=1
fi
if ! printf '%s\n' "$dump" | grep -qx '    CAUSE bit 7 (100, CAUSE_LAMBDA_HEATER)'; then
    echo "FAIL: dump lacks the local cause bit of the sensor group"
    fail=1
fi

"$zkprofile" check "$tmp/missing.txt" > /dev/null
[[ $? -eq 1 ]] || { echo "FAIL: a missing file must exit 1"; fail=1; }
"$zkprofile" > /dev/null 2>&1
[[ $? -eq 1 ]] || { echo "FAIL: no arguments must exit 1"; fail=1; }

[[ $fail -eq 0 ]] && echo "zkprofile checks passed"
exit $fail
