#!/usr/bin/env bash
# zelkreg round trip: ADD and QUERY in one hive, EXPORT, IMPORT into an empty hive, same values back;
# names match without regard to case; failures exit with 1 and a message on stderr.
set -u
zelkreg="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ZK_HKCU_DB="$work/first.db" ZK_HKLM_DB="$work/hklm.db" XDG_CONFIG_HOME="$work/config"
fail=0
check() {  # check <description> <command...>: the command must succeed
    local what="$1"; shift
    if ! "$@" >"$work/out" 2>"$work/err"; then echo "FAIL: $what: $(cat "$work/err")"; fail=1; fi
}

key='HKCU\Software\Zelkor\ZelkMsg'
check "add dword" "$zelkreg" ADD "$key\\Options" /v AutoConnect /t REG_DWORD /d 1 /f
check "add binary" "$zelkreg" add "HKEY_CURRENT_USER\\Software\\Zelkor\\ZelkMsg" /v WindowPlacement /t REG_BINARY /d 2C000000FFFF /f
check "add string" "$zelkreg" ADD "$key" /v Title /d 'say "hi" \ bye' /f
check "query" "$zelkreg" QUERY "hkcu\\software\\zelkor\\zelkmsg\\options" /v autoconnect
grep -q '^    AutoConnect    REG_DWORD    0x1$' "$work/out" || { echo "FAIL: query printed: $(cat "$work/out")"; fail=1; }

check "export" "$zelkreg" EXPORT "$key" "$work/backup.reg" /y
grep -q '^"AutoConnect"=dword:00000001$' "$work/backup.reg" || { echo "FAIL: export lacks AutoConnect"; fail=1; }

export ZK_HKCU_DB="$work/second.db"
check "import" "$zelkreg" IMPORT "$work/backup.reg"
check "export again" "$zelkreg" EXPORT "HKCU\\SOFTWARE\\ZELKOR\\ZELKMSG" "$work/again.reg" /y
cmp -s "$work/backup.reg" "$work/again.reg" || { echo "FAIL: the imported tree differs"; diff "$work/backup.reg" "$work/again.reg"; fail=1; }
check "query imported string" "$zelkreg" QUERY "$key" /v TITLE
grep -q '^    Title    REG_SZ    say "hi" \\ bye$' "$work/out" || { echo "FAIL: string came back as: $(cat "$work/out")"; fail=1; }

if "$zelkreg" QUERY "$key" /v Missing >/dev/null 2>"$work/err" || ! grep -q '^ERROR: ' "$work/err"; then
    echo "FAIL: a missing value must exit 1 with an error"; fail=1
fi
if "$zelkreg" FROB >/dev/null 2>&1; then echo "FAIL: an unknown verb must fail"; fail=1; fi
check "delete" "$zelkreg" DELETE "$key\\Options" /f
if "$zelkreg" QUERY "$key\\Options" >/dev/null 2>&1; then echo "FAIL: the key survived DELETE"; fail=1; fi

[[ $fail -eq 0 ]] && echo "zelkreg checks passed"
exit $fail
