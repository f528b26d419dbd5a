#!/usr/bin/env bash
# The program's main job, from a fresh Debian machine: installs what is
# needed, builds the program and runs it. With a display the window opens
# for you; without one it runs under Xvfb and a screenshot of the window is
# saved (the path is printed at the end).
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$top/scripts/setup.sh"
"$top/scripts/build.sh" release

program="$top/build/release/Stratoset"
output="${STRATOSET_DEMO_OUTPUT:-$top/build/demo}"
mkdir -p "$output"

# The Windows host the program sees: Windows 10 (22H2), 64-bit.
host="$output/host"
rm -rf "$host"
mkdir -p "$host/Users/user/Desktop" "$host/ProgramData" "$host/Temp" "$host/System32"
echo "10.0.19045" > "$host/windows-version"
echo "1" > "$host/wow64"
export STRATOSET_SIMULATED_HOST="$host"

if [ -n "${DISPLAY:-}" ] && xdpyinfo > /dev/null 2>&1; then
    exec "$program"
fi

echo "No display: running Stratoset under Xvfb."
xvfb-run -a -s "-screen 0 1024x768x24 -wr" "$top/scripts/demo-headless.sh" "$program" "$output"
