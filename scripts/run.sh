#!/usr/bin/env bash
# Starts the program from a build folder's bin/.
set -euo pipefail
bin="$1"
exec "$bin/zelkmsg"
