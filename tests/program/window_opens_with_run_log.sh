#!/usr/bin/env bash
# Starts the real program on a simulated Windows 10 host, as a user would, and
# checks the window, the run log and a clean shutdown through the close button.
#   window_opens_with_run_log.sh <Stratoset>
set -euo pipefail

program="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
close_window="$(dirname "$program")/tools/x11_close_window"

work="$(mktemp -d)"
pid=""
holder=""
cleanup()
{
    for p in $pid $holder; do
        kill "$p" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

export STRATOSET_SIMULATED_HOST="$work/host"
mkdir -p "$STRATOSET_SIMULATED_HOST"
echo "10.0.19045" > "$STRATOSET_SIMULATED_HOST/windows-version"
echo "1" > "$STRATOSET_SIMULATED_HOST/wow64"

log="$STRATOSET_SIMULATED_HOST/Users/user/AppData/Roaming/Velmora/Stratoset/runtimeLog.txt"
mkdir -p "$(dirname "$log")"
# An earlier run's log of 200 KiB: cut to its last 128 KiB at start.
python3 -c "
import sys
line = b'<Earlier> a line of an earlier run\r\n'
sys.stdout.buffer.write(line * (200 * 1024 // len(line) + 1))" > "$log"

"$close_window" --hold > "$work/holder.txt" &
holder=$!
for _ in $(seq 1 100); do
    grep -q holding "$work/holder.txt" 2>/dev/null && break
    sleep 0.1
done
grep -q holding "$work/holder.txt" || { echo "x11_close_window --hold did not get hold of the display"; exit 1; }
"$program" > "$work/out.txt" 2>&1 &
pid=$!

# The window's first peer (before it takes the native title bar) may still be
# listed while the program builds its content; wait for the window at its size.
# The interface later adds one blank to the title.
window=""
geometry=""
for _ in $(seq 1 200); do
    for candidate in $(xdotool search --onlyvisible --name '^Stratoset 1\.1\.17 ?$' 2>/dev/null || true); do
        geometry="$(xwininfo -id "$candidate" 2>/dev/null | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}' || true)"
        if [ "$geometry" = "600x400" ]; then
            window="$candidate"
            break
        fi
    done
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "no 600x400 window titled 'Stratoset 1.1.17' (last size seen: ${geometry:-none})"; cat "$work/out.txt"; exit 1; }

"$here/../../tools/check_run_log.py" "$log" --runs 1 --max-old-bytes 131072

"$close_window" "$window"
for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "the program did not quit after its window was closed"
    exit 1
fi
wait "$pid" || { echo "exit code $?"; cat "$work/out.txt"; exit 1; }
pid=""
echo "window 600x400, run log as expected, clean exit"
