#!/usr/bin/env bash
# Starts the real program on a simulated Windows 10 host, as a user would, and
# checks the window, the run log and a clean shutdown through the close button.
#   window_opens_with_run_log.sh <Stratoset>
set -euo pipefail

program="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
close_window="$(dirname "$program")/tools/x11_close_window"
source "$here/../../tools/x_user.sh"

work="$(mktemp -d)"
pid=""
holder=""
cleanup()
{
    stop_program_and_holder
    rm -rf "$work"
}
trap cleanup EXIT

fail()
{
    echo "$*"
    [ -f "$work/out.txt" ] && cat "$work/out.txt"
    exit 1
}

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

hold_display "$close_window" "$work/holder.txt"
"$program" > "$work/out.txt" 2>&1 &
pid=$!

# The window's first peer (before it takes the native title bar) may still be
# listed while the program builds its content, and may go between two looks
# at it: wait until one window is found and read at its size.
geometry=""
shown_at_its_size()
{
    find_window || return 1
    geometry="$(xwininfo -id "$window" 2> /dev/null | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')"
    [ "$geometry" = "600x400" ]
}
wait_for 20 shown_at_its_size || fail "no 600x400 window titled 'Stratoset 1.1.17' (last seen: ${geometry:-none})"

"$here/../../tools/check_run_log.py" "$log" --runs 1 --max-old-bytes 131072

"$close_window" "$window"
wait_for 10 bash -c "! kill -0 $pid 2> /dev/null" || fail "the program did not quit after its window was closed"
wait "$pid" || fail "exit code $?"
pid=""
echo "window 600x400, run log as expected, clean exit"
