#!/usr/bin/env bash
# Runs the program on the current (virtual) display, waits for its window,
# saves a screenshot and closes the window the way a user would.
#   scripts/demo-headless.sh <program> <output folder>
set -euo pipefail

program="$1"
output="$2"
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
close_window="$top/build/release/tools/x11_close_window"

"$close_window" --hold > "$output/holder.out" &
holder=$!
for _ in $(seq 1 100); do
    grep -q holding "$output/holder.out" 2>/dev/null && break
    sleep 0.1
done
"$program" > "$output/program.out" 2>&1 &
pid=$!

# While the program downloads the device list, JUCE on X11 already shows a
# window of the title that it replaces afterwards: wait for the one window
# that has stayed 600 x 400 for two looks.
window=""
previous=""
for _ in $(seq 1 300); do
    candidates="$(xdotool search --onlyvisible --name '^Stratoset' 2>/dev/null || true)"
    current=""
    if [ "$(printf '%s\n' "$candidates" | grep -c .)" = "1" ]; then
        geometry="$(xwininfo -id "$candidates" 2>/dev/null | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}' || true)"
        [ "$geometry" = "600x400" ] && current="$candidates"
    fi
    if [ -n "$current" ] && [ "$current" = "$previous" ]; then
        window="$current"
        break
    fi
    previous="$current"
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
