#!/usr/bin/env bash
# Copies of the program side by side on one host: each works in a folder of
# its own, so closing one never breaks another's download; one installs at a
# time (another copy's request ends at once, and goes through when asked
# again after); and a copy presses only its own installer's dialogs, not
# one the user started by hand with a title alike.
source "$(dirname "${BASH_SOURCE[0]}")/world.sh"

world_make --package-mib 16
server_start 256k # eight ranges of 2 MiB at 256 KiB/s each: some 8 s
PROBE="${PROBE:-$default_probe}"
work_root="$STRATOSET_SIMULATED_HOST/Temp/VelmoraTmp"
installed_line="<MainComponent::changeListenerCallback> Installed"

# Starts one more copy under the stall probe (figures in $1); sets $window and $pid.
start_copy()
{
    env "LD_PRELOAD=$PROBE${LD_PRELOAD:+:$LD_PRELOAD}" "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
        "STRATOSET_STALL_PROBE_OUT=$1" STRATOSET_STALL_PROBE_EVERY_MS=500 "$PROGRAM" >> "$work/program.out" 2>&1 &
    pid=$!
    wait_for 60 find_window || fail "no window of the new copy"
    known_windows="$known_windows $window"
}

# The windows lie on top of each other: the one clicked comes first.
click_in() { xdotool windowraise "$1"; window="$1"; sleep 0.3; click_at "$2" "$3"; }
copy_folders() { find "$work_root" -mindepth 1 -maxdepth 1 -type d -name 'copy-*' 2> /dev/null | wc -l; }
stop_copy()
{
    "$close_window" "$1"
    wait_for 20 bash -c "! kill -0 $2 2> /dev/null" || fail "a copy did not quit when its window was closed"
    wait "$2" || fail "a copy ended with an error"
    [ "$2" != "$pid_a" ] || pid_a=""
    [ "$2" != "$pid_b" ] || pid_b=""
    [ "$2" != "$pid_c" ] || pid_c=""
}

# The copies beside the one world.sh knows of ($pid) go too, whatever the end.
pid_a="" pid_b="" pid_c="" by_hand_pid=""
trap 'for p in $pid_a $pid_b $pid_c $by_hand_pid; do kill "$p" 2> /dev/null || true; done; world_cleanup' EXIT

hold_display "$close_window" "$work/holder.txt"
start_copy "$work/stall-a.txt"
window_a="$window" pid_a="$pid"
start_copy "$work/stall-b.txt"
window_b="$window" pid_b="$pid"
pid=""
wait_for 30 bash -c "[ \"\$(grep -cF '<InterfaceComponent::updateButtons> found: ' '$log')\" -ge 2 ]" || fail "the QX4 was not offered in both copies"
[ "$(copy_folders)" -eq 2 ] || fail "not one work folder per copy: $(copy_folders)"

# An installer the user started by hand, whose title the watch would take
# for the package's: it waits on its first page.
by_hand="$STRATOSET_SIMULATED_HOST/Users/user/Downloads/Velmora QX4 Setup.success.exe"
mkdir -p "$(dirname "$by_hand")"
cp "$top/tools/fake_installer.py" "$by_hand"
chmod +x "$by_hand"
"$by_hand" > /dev/null 2>&1 &
by_hand_pid=$!
wait_for 10 bash -c "ls '$STRATOSET_SIMULATED_HOST/windows/'*.window > /dev/null 2>&1" || fail "the installer started by hand shows no dialog"

# A downloads Tessel Max; B asks for it meanwhile and is told at once.
click_in "$window_a" 90 305
wait_for 10 logged "<DownloadMonitor> Download: " || fail "copy A's request was not accepted"
click_in "$window_b" 90 305
wait_for 5 logged "<MainComponent::changeListenerCallback> Another copy is installing, request ended: Tessel Max" || fail "copy B's request did not end at once"
[ "$(count_logged "<DownloadMonitor> Download: ")" -eq 1 ] || fail "copy B downloaded although A was installing"

# C opens and closes while A downloads: its folder goes, A's stays.
start_copy "$work/stall-c.txt"
window_c="$window" pid_c="$pid"
pid=""
[ "$(copy_folders)" -eq 3 ] || fail "copy C has no work folder of its own"
stop_copy "$window_c" "$pid_c"
[ "$(copy_folders)" -eq 2 ] || fail "closing copy C did not remove just its own folder: $(copy_folders) left"
logged "<DownloadMonitor::timerCallback> Downloaded in" && fail "A's download ended before C was closed: too fast to tell"

wait_for 90 logged "$installed_line" || fail "copy A did not end with Installed"
logged "Download error" && fail "copy A's download failed"
cmp -s "$served/tesselmax/TesselMax 2.1.zip" "$(find "$work_root" -name 'TesselMax*2.1.zip' | head -n 1)" || fail "copy A's package is not the server's"
[ "$(count_logged "<InstallMonitor::analyseWindow> clicked")" -eq 3 ] || fail "copy A pressed $(count_logged "<InstallMonitor::analyseWindow> clicked") buttons, not its installer's 3"
grep -q "Please choose your language" "$STRATOSET_SIMULATED_HOST/windows/$by_hand_pid.window" 2> /dev/null || fail "the installer started by hand was pressed"
kill "$by_hand_pid" 2> /dev/null || true
answer no

# Once A is done, B's request goes through.
click_in "$window_b" 90 305
wait_for 90 bash -c "[ \"\$(grep -cF '$installed_line' '$log')\" -ge 2 ]" || fail "copy B did not install when asked again"
[ "$(count_logged "<InstallMonitor::analyseWindow> clicked")" -eq 6 ] || fail "copy B's installer was not pressed 3 times"
answer no

stop_copy "$window_a" "$pid_a"
stop_copy "$window_b" "$pid_b"
[ ! -e "$work_root" ] || fail "the work folders were left behind: $(ls -A "$work_root")"

for figures in a b c; do
    stall_figures="$work/stall-$figures.txt"
    assert_no_stall 1000
done
echo "two copies kept to their own folders and installers, one installer at a time"
