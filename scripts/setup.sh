#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Stratoset
# needs. Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
    # building
    cmake g++ make pkg-config
    juce-modules-source
    libgtest-dev
    # running the window without a screen, looking at it and driving it
    xvfb xauth x11-utils xdotool imagemagick
    # a real HTTP server on 127.0.0.1 for tests and the demo
    nginx-light python3
    # other downloaders the download benchmark compares with, and GNU time
    curl aria2 time
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi

"${as_root[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
