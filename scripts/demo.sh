#!/usr/bin/env bash
# The program's main job, from a fresh Debian machine: installs what is
# needed, builds the program, and runs it against a loopback server (Debian's
# nginx) that holds the maker's device list and packages made by the project,
# on a simulated Windows 10 (64-bit) with the maker's QX4 plugged in.
#
# With a display the window opens for you: pick a package and press its
# button. Without one the demo runs under Xvfb, plays the user's part
# (install, answer the launch question) and saves screenshots of each stage
# and the run log into build/demo (STRATOSET_DEMO_OUTPUT chooses another
# folder); the paths are printed at the end.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$top/scripts/setup.sh"
"$top/scripts/build.sh" release

build="$top/build/release"
program="$build/StratosetOnLoopback"
port="$(sed -n 's/^STRATOSET_LOOPBACK_PORT:STRING=//p' "$build/CMakeCache.txt")"
output="${STRATOSET_DEMO_OUTPUT:-$top/build/demo}"

rm -rf "$output"
mkdir -p "$output"

# What the maker's server holds, and the Windows machine the program sees.
python3 "$top/tools/make_demo_world.py" --package-mib 32 "$output/server" "$output/host"
export STRATOSET_SIMULATED_HOST="$output/host"
export STRATOSET_DEMO=1

# A per-connection limit lets the eight ranges of the download be seen at work.
if ! "$top/tools/loopback_nginx.sh" start "$output/server" "$output/nginx" 1m "$port" > /dev/null; then
    echo "demo: nginx could not listen on 127.0.0.1:$port; configure another port with" >&2
    echo "      scripts/build.sh release -DSTRATOSET_LOOPBACK_PORT=<port>" >&2
    exit 1
fi
trap '"$top/tools/loopback_nginx.sh" stop "$output/nginx"' EXIT

if [ -n "${DISPLAY:-}" ] && xdpyinfo > /dev/null 2>&1; then
    echo "Stratoset is talking to the loopback server on port $port; close its window to end the demo."
    "$program"
    exit 0
fi

echo "No display: running Stratoset under Xvfb."
xvfb-run -a -s "-screen 0 1024x768x24 -wr" "$top/scripts/demo-headless.sh" "$program" "$output"
