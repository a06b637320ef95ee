#!/usr/bin/env bash
# Starts the program from a build folder's bin/, with zelknetserver serving the demo scenario.
set -euo pipefail
bin="$1"
here="$(cd "$(dirname "$0")/.." && pwd)"
# An already running server (of this user) is kept; otherwise start one on the demo scenario. The server
# detaches by itself once it serves.
if ! "$bin/zelknet" sim ping on >/dev/null 2>&1; then
    "$bin/zelknetserver" --scenario "$here/data/scenarios/demo.toml" || true
fi
exec "$bin/zelkmsg"
