#!/usr/bin/env bash
# zkexpr compiles one expression and prints one result line per sample.
set -u
zkexpr="$1"
fail=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

check() {  # check NAME EXPECTED-OUTPUT EXPECTED-CODE ARGS...
    local name="$1" expected="$2" code="$3"
    shift 3
    local actual rc
    actual=$("$zkexpr" "$@" 2>&1)
    rc=$?
    if [[ "$actual" != "$expected" || $rc -ne $code ]]; then
        echo "FAIL: $name: exit $rc, output:"
        echo "$actual"
        fail=1
    fi
}

check "simple" "7" 0 '1+2*3'
check "samples" $'0\n0.01\n0.02' 0 --samples 3 'zk.sample * zk.sampleSize'
check "last sample" $'0\n1' 0 --samples 2 --interval-ms 5 'zk.lastSample'
check "undefined" "undefined" 0 'undefined()'
check "real format" $'  12.3\n######' 0 --samples 2 --format real:-50,200,1 'zk.sample ? 1500 : 12.34'
check "enum format" $'OFF\nON\nunknown(2)' 0 --samples 3 --format enum:0=OFF,1=ON 'zk.sample'
check "time format" "1:15.50" 0 --format time:0,90,2,s '75.5'

printf 'time,speed\n0,10\n0.5,20\n1.5,\n' > "$tmp/log.csv"
check "csv items" $'10\n20.5\nundefined' 0 --csv "$tmp/log.csv" 'speed + zk.time'
check "csv intervals" $'0.5\n0.5\n1' 0 --csv "$tmp/log.csv" 'zk.sampleSize'
check "csv derivative" $'undefined\n20\nundefined' 0 --csv "$tmp/log.csv" 'derivative(speed)'

out=$("$zkexpr" '1/0' 2>&1)
rc=$?
if [[ $rc -ne 1 ]] || ! grep -q 'Cannot evaluate this operator to replace with constant' <<<"$out" || ! grep -q '"/"' <<<"$out"; then
    echo "FAIL: 1/0 gave exit $rc and: $out"
    fail=1
fi
check "missing csv" "cannot read $tmp/none.csv" 1 --csv "$tmp/none.csv" '1'
check "bad format" "--format: expected real:..., time:... or enum:..." 1 --format hex:1 '1'

[[ $fail -eq 0 ]] && echo "zkexpr checks passed"
exit $fail
