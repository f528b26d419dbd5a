#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Stratoset
# needs. Safe to run again: it only calls apt-get when something is missing.
#   scripts/setup.sh           the Linux build, its tests and the demo
#   scripts/setup.sh windows   also the Windows cross builds and Wine: the 32-bit
#                              build and 32-bit Wine where this machine runs
#                              32-bit programs, else also the 64-bit build
#                              (scripts/windows-test-bits.sh)
#   scripts/setup.sh fuzz      also clang and libFuzzer for tests/fuzz
set -euo pipefail

packages=(
    # building
    cmake g++ make pkg-config patch
    juce-modules-source
    libgtest-dev
    # running the window without a screen, looking at it and driving it
    xvfb xauth x11-utils xdotool imagemagick
    # a font with Chinese glyphs, standing in for Windows' Microsoft YaHei
    fonts-wqy-microhei
    # a real HTTP server on 127.0.0.1 for tests and the demo; openssl makes
    # the throwaway certificates of its TLS tests
    nginx-light python3 openssl
    # other downloaders the download benchmark compares with, and GNU time
    curl aria2 time
)

windows_packages=(
    # cross-compiling for 32-bit Windows (the product); dpkg-dev and patch
    # fetch, unpack and patch Debian's sources of libjpeg-turbo and libpng and
    # JUCE's copy
    g++-mingw-w64-i686-posix libz-mingw-w64-dev dpkg-dev patch
    # running the Windows programs: Wine's 64-bit part
    wine wine64 fonts-wine
    # reading the executable's header and version block
    file libimage-exiftool-perl
    # a real installer made by a real toolkit, for the whole flow under Wine
    nsis
    # Authenticode signatures of the tests' installers (the program starts
    # only installers signed by the maker), with certificates of openssl
    osslsigncode openssl
)

# Where the machine runs 32-bit programs: Wine's 32-bit part, and the OpenGL
# and X libraries its 32-bit graphics need (DXGI fails without them).
windows_32bit_packages=(
    wine32:i386
    libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386
    libxrender1:i386 libxrandr2:i386 libxcursor1:i386 libxi6:i386
    libxcomposite1:i386 libxfixes3:i386 libxinerama1:i386 libxxf86vm1:i386
)

# Where it runs 64-bit code only: the 64-bit cross build the tests run on.
windows_64bit_packages=(
    g++-mingw-w64-x86-64-posix
)

fuzz_packages=(
    # the fuzz targets: clang with libFuzzer and its sanitizers
    clang-14 libfuzzer-14-dev
)

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi

need_update=0
if [ "${1:-}" = "fuzz" ]; then
    packages+=("${fuzz_packages[@]}")
fi
if [ "${1:-}" = "windows" ]; then
    packages+=("${windows_packages[@]}")
    source "$(dirname "${BASH_SOURCE[0]}")/windows-test-bits.sh"
    if [ "$windows_test_bits" = 64 ]; then
        packages+=("${windows_64bit_packages[@]}")
    else
        packages+=("${windows_32bit_packages[@]}")
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            "${as_root[@]}" dpkg --add-architecture i386
            need_update=1
        fi
    fi
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ] && [ "$need_update" -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"

"${as_root[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
