#!/usr/bin/env bash
# Throwaway certificates for TLS tests on 127.0.0.1, made with openssl:
#
#   test_certificates.sh <folder>
#
# writes into <folder>:
#   ca.pem                   a certificate authority of the test (trust this)
#   server.pem, server.key   made out for localhost and 127.0.0.1 by that authority
#   other-host.pem/.key      made out for other-host.test by that authority
#   untrusted.pem/.key       made out for localhost and 127.0.0.1 by another
#                            authority, which nothing trusts
# Everything is valid for two days; the keys are EC P-256.
set -euo pipefail

folder="$(mkdir -p "$1" && cd "$1" && pwd)"
cd "$folder"

authority()
{
    openssl req -x509 -new -nodes -newkey ec -pkeyopt ec_paramgen_curve:P-256 \
        -keyout "$1.key" -out "$1.pem" -days 2 -subj "/CN=$2" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2> /dev/null
}

# server <name> <issuer> <common name> <subjectAltName>
server()
{
    local name="$1" issuer="$2" common="$3" alternatives="$4"
    openssl req -new -nodes -newkey ec -pkeyopt ec_paramgen_curve:P-256 \
        -keyout "$name.key" -out "$name.csr" -subj "/CN=$common" 2> /dev/null
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=serverAuth\nsubjectAltName=%s\n' \
        "$alternatives" > "$name.ext"
    openssl x509 -req -in "$name.csr" -CA "$issuer.pem" -CAkey "$issuer.key" -CAcreateserial \
        -out "$name.pem" -days 2 -extfile "$name.ext" 2> /dev/null
    rm -f "$name.csr" "$name.ext"
}

authority ca "Stratoset test authority"
authority stranger "Stranger authority"
# 127.0.0.1 as an address and as a name: Wine's check of the host name
# looks at the names only, Windows and OpenSSL look at the address.
loopback="DNS:localhost,IP:127.0.0.1,DNS:127.0.0.1"
server server ca localhost "$loopback"
server other-host ca other-host.test "DNS:other-host.test"
server untrusted stranger localhost "$loopback"
rm -f stranger.key ./*.srl
