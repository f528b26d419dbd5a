#!/usr/bin/env bash
# Runs a command while the project's fault-injecting HTTP server
# (tools/fault_http_server.py) serves a fresh folder on 127.0.0.1, and tells
# the command where, in the names that Windows programs under Wine use:
#   STRATOSET_FAULT_PORT   the port
#   STRATOSET_FAULT_ROOT   the served folder, which the command may fill
#   STRATOSET_FAULT_LOG    the server's request log
#   with-fault-server.sh <work folder> command [args...]
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

[ $# -ge 2 ] || { echo "usage: $0 <work folder> command [args...]" >&2; exit 2; }
folder="$1"
shift

rm -rf "$folder"
mkdir -p "$folder/root" "$folder/server"
folder="$(cd "$folder" && pwd)"

python3 "$here/../../../tools/fault_http_server.py" "$folder/root" "$folder/server" > /dev/null 2>&1 &
server=$!

stop()
{
    kill "$server" 2> /dev/null || true
    wait "$server" 2> /dev/null || true
    rm -rf "$folder"
}
trap stop EXIT

for _ in $(seq 1 100); do
    [ -s "$folder/server/port" ] && break
    sleep 0.1
done
[ -s "$folder/server/port" ] || { echo "the fault-injecting server did not start" >&2; exit 1; }

export STRATOSET_FAULT_PORT="$(cat "$folder/server/port")"
export STRATOSET_FAULT_ROOT="Z:$folder/root"
export STRATOSET_FAULT_LOG="Z:$folder/server/requests.log"

"$@"
