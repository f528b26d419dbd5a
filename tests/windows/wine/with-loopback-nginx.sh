#!/usr/bin/env bash
# Runs a command while Debian's nginx serves a fresh folder on 127.0.0.1
# (tools/loopback_nginx.sh), and tells the command where, in the names that
# Windows programs under Wine use (drive Z: is the Linux root):
#   STRATOSET_NGINX_PORT        the port
#   STRATOSET_NGINX_ROOT        the served folder, which the command may fill
#   STRATOSET_NGINX_ACCESS_LOG  nginx's access log
#   with-loopback-nginx.sh <work folder> command [args...]
# The work folder is made afresh and removed at the end, with nginx stopped.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
server="$here/../../../tools/loopback_nginx.sh"

[ $# -ge 2 ] || { echo "usage: $0 <work folder> command [args...]" >&2; exit 2; }
folder="$1"
shift

rm -rf "$folder"
mkdir -p "$folder/root" "$folder/server"
folder="$(cd "$folder" && pwd)"

stop()
{
    "$server" stop "$folder/server"
    rm -rf "$folder"
}
trap stop EXIT

port="$("$server" start "$folder/root" "$folder/server")"

export STRATOSET_NGINX_PORT="$port"
export STRATOSET_NGINX_ROOT="Z:$folder/root"
export STRATOSET_NGINX_ACCESS_LOG="Z:$folder/server/access.log"

"$@"
