#!/usr/bin/env bash
# zelkmsg answers exactly "/version" with its version line; no other command line is the version request.
set -u
zelkmsg="$1"
fail=0

actual=$("$zelkmsg" /version | od -An -c)
code=${PIPESTATUS[0]}
expected=$(printf 'ZelkMsg 2.15.83\n' | od -An -c)
if [[ $code -ne 0 || "$actual" != "$expected" ]]; then
    echo "FAIL: /version gave exit code $code and bytes:$actual"
    fail=1
fi

# Any other command line starts the program; with a runtime folder where no server can run it stops at once.
blocked=$(mktemp)
trap 'rm -f "$blocked"' EXIT
not_version() {
    if ZK_BACKEND=headless XDG_RUNTIME_DIR="$blocked" timeout 20 "$zelkmsg" "$@" 2>/dev/null </dev/null |
        grep -q 'ZelkMsg 2.15.83'; then
        echo "FAIL: [$*] was taken as the version request"
        fail=1
    fi
}
not_version /Version
not_version "/version "
not_version " /version"
not_version /version x
not_version

[[ $fail -eq 0 ]] && echo "version checks passed"
exit $fail
