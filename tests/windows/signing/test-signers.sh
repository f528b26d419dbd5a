#!/usr/bin/env bash
# Throwaway code-signing certificates for the Windows tests, made with
# openssl, and the signing of a program with them (Debian's osslsigncode).
#
#   test-signers.sh certificates <folder> <publisher name>
#       writes into <folder>:
#         publisher.txt       the publisher name
#         authority.pem, authority.der   the test's code-signing authority,
#                                        which the tests' Wine prefixes trust
#                                        (wine-prefix.sh create --trust)
#         maker.pem/.key      CN=<publisher name>, by that authority (SHA-256)
#         other.pem/.key      CN=<publisher name>s, by that authority: another
#                             publisher, whose name begins with the maker's
#         stranger-sha1.pem/.key   CN=<publisher name>, by an authority nobody
#                             trusts (its certificate follows in the .pem);
#                             the certificate signed with SHA-1
#         expired-sha1.pem/.key    CN=<publisher name>, by the test's
#                             authority, expired a year ago; signed with SHA-1
#       Wine 8 checks a signer's chain (its root, its validity) only when the
#       signer's certificate is itself signed with SHA-1, hence those two.
#   test-signers.sh sign <folder> <signer> <in.exe> <out.exe>
#       signs <in.exe> as <out.exe> with <signer> of <folder> (SHA-256 file
#       digest, no timestamp)
#   test-signers.sh variants <folder> <unsigned.exe> <out folder>
#       writes the program as each verdict wants it: maker.exe, unsigned.exe,
#       tampered.exe (the maker's, then one byte of its code changed),
#       other.exe, untrusted-root.exe, expired.exe
set -euo pipefail

command="$1"
folder="$(mkdir -p "$2" && cd "$2" && pwd)"

# authority <name> <common name>
authority()
{
    openssl req -x509 -new -nodes -newkey rsa:2048 -sha256 -keyout "$1.key" -out "$1.pem" -days 30 -subj "/CN=$2" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2> /dev/null
}

# signer <name> <issuer> <common name> <digest> [<start> <end>]
signer()
{
    local name="$1" issuer="$2" common="$3" digest="$4"
    openssl req -new -nodes -newkey rsa:2048 -keyout "$name.key" -out "$name.csr" -subj "/CN=$common" 2> /dev/null
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' > "$name.ext"
    if [ $# -ge 6 ]; then
        # openssl ca alone sets a start date in the past.
        mkdir -p "ca-$name"
        : > "ca-$name/index.txt"
        printf '[ca]\ndefault_ca=test\n[test]\ndatabase=ca-%s/index.txt\nnew_certs_dir=ca-%s\nserial=ca-%s/serial\npolicy=any\nemail_in_dn=no\n[any]\ncommonName=supplied\n' \
            "$name" "$name" "$name" > "ca-$name/ca.cnf"
        echo 1000 > "ca-$name/serial"
        openssl ca -batch -config "ca-$name/ca.cnf" -cert "$issuer.pem" -keyfile "$issuer.key" -md "$digest" \
            -startdate "$5" -enddate "$6" -extfile "$name.ext" -in "$name.csr" -out "$name.pem" -notext 2> /dev/null
        rm -rf "ca-$name"
    else
        openssl x509 -req -in "$name.csr" -CA "$issuer.pem" -CAkey "$issuer.key" -CAcreateserial \
            "-$digest" -out "$name.pem" -days 30 -extfile "$name.ext" 2> /dev/null
    fi
    rm -f "$name.csr" "$name.ext"
}

case "$command" in
    certificates)
        publisher="$3"
        cd "$folder"
        authority authority "Stratoset test code signing authority"
        authority stranger "Stranger code signing authority"
        openssl x509 -in authority.pem -outform der -out authority.der
        signer maker authority "$publisher" sha256
        signer other authority "${publisher}s" sha256
        signer stranger-sha1 stranger "$publisher" sha1
        # The signature carries the stranger's authority too: the chain then
        # ends at a root, one that nobody trusts.
        cat stranger.pem >> stranger-sha1.pem
        last_year="$(date -u -d '-400 days' +%Y%m%d000000Z)"
        expired="$(date -u -d '-370 days' +%Y%m%d000000Z)"
        signer expired-sha1 authority "$publisher" sha1 "$last_year" "$expired"
        rm -f stranger.key ./*.srl
        printf '%s\n' "$publisher" > publisher.txt
        ;;
    sign)
        name="$3"
        rm -f "$5"
        osslsigncode sign -certs "$folder/$name.pem" -key "$folder/$name.key" -h sha256 -in "$4" -out "$5" > /dev/null
        chmod a+x "$5"
        ;;
    variants)
        unsigned="$3"
        out="$(mkdir -p "$4" && cd "$4" && pwd)"
        cp "$unsigned" "$out/unsigned.exe"
        "$0" sign "$folder" maker "$unsigned" "$out/maker.exe"
        "$0" sign "$folder" other "$unsigned" "$out/other.exe"
        "$0" sign "$folder" stranger-sha1 "$unsigned" "$out/untrusted-root.exe"
        "$0" sign "$folder" expired-sha1 "$unsigned" "$out/expired.exe"
        # One byte in the first section (the code), which the signature's
        # digest covers.
        python3 - "$out/maker.exe" "$out/tampered.exe" << 'PY'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
pe = struct.unpack_from("<I", data, 0x3C)[0]
sections = pe + 24 + struct.unpack_from("<H", data, pe + 20)[0]
raw = struct.unpack_from("<I", data, sections + 20)[0]
data[raw + 64] ^= 0x01
open(sys.argv[2], "wb").write(data)
PY
        ;;
    *)
        echo "usage: $0 certificates <folder> <publisher> | sign <folder> <signer> <in.exe> <out.exe> | variants <folder> <unsigned.exe> <out folder>" >&2
        exit 2
        ;;
esac
