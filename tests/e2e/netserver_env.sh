# Sourced by the scripts that run a real zelknetserver: a private runtime folder and configuration folder
# under a fresh temporary folder ($work; the server's log in $work/state), the demo scenario as the user's configured one, a cleanup that
# stops the server and removes everything, and `check DESCRIPTION COMMAND...`, which records a failure in
# $fail. Expects $bin (the build's bin/ folder) and $demo (the demo scenario) to be set.
fail=0
work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/zelkor"
chmod 700 "$XDG_RUNTIME_DIR"
cp "$demo" "$XDG_CONFIG_HOME/zelkor/netserver.toml"

cleanup() {
    timeout 5 "$bin/zelknet" sim quit >/dev/null 2>&1
    local pid
    pid=$(cat "$XDG_RUNTIME_DIR/zelkor/netserver.lock" 2>/dev/null)
    if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then kill -TERM "$pid"; fi
    rm -rf "$work"
}
trap cleanup EXIT

check() {  # check DESCRIPTION COMMAND...
    local what="$1"; shift
    if ! "$@"; then echo "FAIL: $what"; fail=1; fi
}
