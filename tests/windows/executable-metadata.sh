#!/usr/bin/env bash
# Reads the cross-built Stratoset.exe with Debian's tools (file, exiftool):
# a 32-bit Windows GUI program with the version block users see in its
# properties.
#   executable-metadata.sh <Stratoset.exe>
set -euo pipefail

exe="$1"
failures=0

check()
{
    local what="$1" actual="$2" expected="$3"
    if [ "$actual" != "$expected" ]; then
        echo "FAIL $what: '$actual', expected '$expected'"
        failures=$((failures + 1))
    else
        echo "ok   $what: $actual"
    fi
}

kind="$(file -b "$exe")"
case "$kind" in
    "PE32 executable (GUI) Intel 80386"*) echo "ok   file: $kind" ;;
    *) echo "FAIL file: '$kind', expected a PE32 GUI program for Intel 80386"; failures=$((failures + 1)) ;;
esac

field()
{
    exiftool -s3 -"$1" "$exe"
}

check CompanyName "$(field CompanyName)" "Velmora Studio"
check FileDescription "$(field FileDescription)" "Stratoset 1.1.17"
check ProductName "$(field ProductName)" "Stratoset 1.1.17"
check FileVersion "$(field FileVersion)" "1.1.17"
check ProductVersion "$(field ProductVersion)" "1.1.17"
check FileVersionNumber "$(field FileVersionNumber)" "1.1.17.0"
check ProductVersionNumber "$(field ProductVersionNumber)" "1.1.17.0"
check Subsystem "$(field Subsystem)" "Windows GUI"

[ "$failures" -eq 0 ] || exit 1
