#!/usr/bin/env bash
# Runs a command that trusts the test's own certificate authority and no
# other: in a private mount namespace, a bundle holding that authority alone
# is mounted over the system's CA bundle. The machine's own trust store is
# never touched. The command finds the certificates in $STRATOSET_TLS_DIR
# (tools/test_certificates.sh describes them).
#
#   with-test-certificates.sh <command> [arguments...]
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
bundle=/etc/ssl/certs/ca-certificates.crt

folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
"$top/tools/test_certificates.sh" "$folder"
export STRATOSET_TLS_DIR="$folder"

[ -f "$bundle" ] || { echo "no CA bundle at $bundle to stand in for" >&2; exit 1; }

unshare --mount --propagation private -- \
    bash -c 'mount --bind "$STRATOSET_TLS_DIR/ca.pem" "$0" && exec "$@"' "$bundle" "$@"
