#!/usr/bin/env bash
# An installer whose dialog never takes the press it is given: the window
# answers all the while, and closing it ends the program at once, the click
# still hanging.
source "$(dirname "${BASH_SOURCE[0]}")/world.sh"

world_make --package-mib 1
repack "qx4/HubDriver_4.2_x64.zip" "x64/Velmora HubDriver Setup.hung.exe"
server_start
PROBE="${PROBE:-$default_probe}"
program_start
wait_for 30 logged "<InterfaceComponent::updateButtons> found: " || fail "the QX4 was not offered"

click_at 245 305
wait_for 60 bash -c "ls '$STRATOSET_SIMULATED_HOST'/windows/*.press > /dev/null 2>&1" || fail "the dialog was never pressed"

# The press is given up after its bound, logged, and tried again.
wait_for 20 logged "<InstallMonitor::analyseWindow> The dialog did not take the click on OK within 5000 ms: Velmora HubDriver Setup" \
    || fail "the click that was not taken was not logged"
sleep 1

start_ms=$(date +%s%3N)
"$close_window" "$window"
wait_for 20 bash -c "! kill -0 $pid 2> /dev/null" || fail "the program did not quit when its window was closed"
took_ms=$(( $(date +%s%3N) - start_ms ))
wait "$pid" || fail "the program ended with an error"
pid=""
# A second for the threads to end, and the rest of the exit.
[ "$took_ms" -le 3000 ] || fail "the program took $took_ms ms to quit with a click hanging"

assert_no_stall 1000
echo "a dialog that does not answer left the window usable, and the program quit in $took_ms ms"
