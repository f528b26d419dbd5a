#!/usr/bin/env bash
# Runs the program on the current (virtual) display, waits for its window,
# saves a screenshot and closes the window the way a user would.
#   scripts/demo-headless.sh <program> <output folder>
set -euo pipefail

program="$1"
output="$2"
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
close_window="$top/build/release/tools/x11_close_window"

"$close_window" --hold &
holder=$!
"$program" > "$output/program.out" 2>&1 &
pid=$!

window=""
for _ in $(seq 1 100); do
    window="$(xdotool search --onlyvisible --name '^Stratoset' 2>/dev/null | head -n 1 || true)"
    [ -n "$window" ] && break
    sleep 0.1
done

if [ -z "$window" ]; then
    echo "The Stratoset window did not appear; program output:" >&2
    cat "$output/program.out" >&2
    kill "$pid" "$holder" 2> /dev/null || true
    exit 1
fi

sleep 1
import -window root "$output/screen.png"
import -window "$window" "$output/window.png"
xdotool getwindowgeometry "$window"

"$close_window" "$window"
wait "$pid"
kill "$holder" 2> /dev/null || true

log="${STRATOSET_SIMULATED_HOST:-}/Users/user/AppData/Roaming/Velmora/Stratoset/runtimeLog.txt"
if [ -f "$log" ]; then
    cp "$log" "$output/runtimeLog.txt"
    echo "Run log: $output/runtimeLog.txt"
fi
echo "Screenshots: $output/screen.png (the whole screen) and $output/window.png (the window)"
