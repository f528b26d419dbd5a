#!/usr/bin/env bash
# Plays the user's part of the demo on the current (virtual) display: starts
# the program, waits for the connected device, presses the first install
# button, waits for the installation to complete, answers the launch
# question with "Yes" and checks that the installed program started. A
# screenshot of every stage goes to the output folder, with the run log.
#   scripts/demo-headless.sh <program> <output folder>
# STRATOSET_SIMULATED_HOST names the simulated Windows host.
set -euo pipefail

program="$1"
output="$2"
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
close_window="$(dirname "$program")/tools/x11_close_window"
source "$top/tools/x_user.sh"
host="$STRATOSET_SIMULATED_HOST"
log="$host/Users/user/AppData/Roaming/Velmora/Stratoset/runtimeLog.txt"

pid=""
holder=""
cleanup()
{
    stop_program_and_holder
    pkill -f "xmessage -center -timeout 60" 2> /dev/null || true
}
trap cleanup EXIT

fail()
{
    echo "demo: $*" >&2
    [ -f "$log" ] && cp "$log" "$output/runtimeLog.txt" && echo "run log: $output/runtimeLog.txt" >&2
    exit 1
}

now() { date +%s.%N; }
seconds() { python3 -c "print('%.1f' % ($2 - $1))"; }

shoot()
{
    import -window root "$output/$1.png"
    echo "screenshot: $output/$1.png ($2)"
}

hold_display "$close_window" "$output/holder.txt"

started="$(now)"
if [ -n "${STRATOSET_PROGRAM_PRELOAD:-}" ]; then
    # A test measures the program's stalls: the probe goes into the program
    # alone, ahead of a sanitizer runtime (tests/program/world.sh).
    LD_PRELOAD="$STRATOSET_PROGRAM_PRELOAD" ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
        "$program" > "$output/program.out" 2>&1 &
else
    "$program" > "$output/program.out" 2>&1 &
fi
pid=$!

wait_for 60 find_window || fail "the Stratoset window did not appear"
shown="$(now)"

wait_for 30 logged "<InterfaceComponent::updateButtons> found: " || fail "the connected device was not recognised"
sleep 1
shoot 1-device-recognised "the QX4 is recognised, its picture and three install buttons"

# The first install button (Tessel Max with its driver) lies at x 40, y 290.
xdotool mousemove --window "$window" 90 305 click 1
clicked="$(now)"

wait_for 30 logged "<DownloadMonitor> Download: " || fail "the install request was not accepted"
sleep 1.5
shoot 2-downloading "eight ranges in flight, progress bar and Cancel, and the reboot hint"

# The reboot hint lies over the middle of the window; its OK button at (300, 245).
xdotool mousemove --window "$window" 300 245 click 1

wait_for 120 logged "<DownloadMonitor::timerCallback> Downloaded in " || fail "the download did not complete"
downloaded="$(now)"
shoot 3-downloaded "download complete, the installer runs and its dialog pages are answered"

wait_for 120 logged "<MainComponent::changeListenerCallback> Installed" || fail "the installation did not complete"
installed="$(now)"
wait_for 20 logged "<MainComponent::changeListenerCallback> upper founded! The shortcut linked to: " || fail "no shortcut of the installed program was found"
sleep 1
shoot 4-installed-launch-question "Installation complete and the question whether to launch Tessel Max"

answer yes

marker="$(find "$host/Program Files" -name '*.exe.started' -print -quit 2> /dev/null || true)"
launched()
{
    marker="$(find "$host/Program Files" -name '*.exe.started' -print -quit 2> /dev/null || true)"
    [ -n "$marker" ]
}
wait_for 20 launched || fail "the installed program did not start"
sleep 1
shoot 5-program-started "the installed Tessel Max runs (its window in the middle)"

"$close_window" "$window"
wait_for 20 bash -c "! kill -0 $pid 2> /dev/null" || fail "the program did not quit when its window was closed"
wait "$pid" || fail "the program ended with an error"
pid=""

cp "$log" "$output/runtimeLog.txt"

echo
echo "run log: $output/runtimeLog.txt"
echo "started program: ${marker%.started} (started in $(tail -n 1 "$marker"))"
echo "start to visible window:        $(seconds "$started" "$shown") s"
echo "install click to download done: $(seconds "$clicked" "$downloaded") s"
echo "install click to installed:     $(seconds "$clicked" "$installed") s"
