#!/usr/bin/env bash
# Runs a command while three nginx servers serve one fresh folder over https
# on 127.0.0.1, with the certificates of tests/tls/with-test-certificates.sh
# (which must run around this script), and tells the command where:
#   STRATOSET_TLS_TRUSTED_PORT     certificate of the trusted test authority
#   STRATOSET_TLS_STRANGER_PORT    certificate of an authority nobody trusts
#   STRATOSET_TLS_OTHER_HOST_PORT  trusted authority, made out for another host
#   STRATOSET_TLS_ROOT             the served folder, as Windows programs see it
#   with-tls-nginx.sh <work folder> command [args...]
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
server="$here/../../../tools/loopback_nginx.sh"

[ $# -ge 2 ] || { echo "usage: $0 <work folder> command [args...]" >&2; exit 2; }
[ -n "${STRATOSET_TLS_DIR:-}" ] || { echo "run under tests/tls/with-test-certificates.sh" >&2; exit 2; }
folder="$1"
shift

rm -rf "$folder"
mkdir -p "$folder/root"
folder="$(cd "$folder" && pwd)"

stop()
{
    for name in server untrusted other-host; do
        "$server" stop "$folder/$name"
    done
    rm -rf "$folder"
}
trap stop EXIT

start()
{
    TLS_CERTIFICATE="$STRATOSET_TLS_DIR/$1.pem" TLS_KEY="$STRATOSET_TLS_DIR/$1.key" \
        "$server" start "$folder/root" "$folder/$1"
}

STRATOSET_TLS_TRUSTED_PORT="$(start server)"
STRATOSET_TLS_STRANGER_PORT="$(start untrusted)"
STRATOSET_TLS_OTHER_HOST_PORT="$(start other-host)"
export STRATOSET_TLS_TRUSTED_PORT STRATOSET_TLS_STRANGER_PORT STRATOSET_TLS_OTHER_HOST_PORT
export STRATOSET_TLS_ROOT="Z:$folder/root"

"$@"
