#!/usr/bin/env bash
# Installers that do not end by themselves: one works on without ever showing
# the dialog that is waited for, one shows a page that does not move on when
# pressed. Each request ends with the window usable again ("Time out",
# "Manual install"), and the window answers all the while.
source "$(dirname "${BASH_SOURCE[0]}")/world.sh"

world_make --package-mib 1
repack "tesselmax/TesselMax 2.1.zip" "Tessel Max 2.1/QX4 Tessel Max Setup.busy.exe"
repack "qx4/HubDriver_4.2_x64.zip" "x64/Velmora HubDriver Setup.stuck.exe"
server_start
PROBE="${PROBE:-$default_probe}"
program_start
wait_for 30 logged "<InterfaceComponent::updateButtons> found: " || fail "the QX4 was not offered"

# Tessel Max: its installer runs on with no dialog; the watch gives up after
# its half minute and, the installer still running, hands over.
click_at 90 305
wait_for 30 logged "<DownloadMonitor::handleDownloadResult> matched: " || fail "the installer was not started"
wait_for 60 logged "<DownloadMonitor::timerCallback> Timeout waiting!" || fail "the watch did not end"

# The buttons are back: HubDriver is accepted at once. Its INSTALL page does
# not move on when pressed; after ten seconds of that the user takes over.
sleep 1
click_at 245 305
wait_for 10 bash -c "[ \$(grep -cF '<DownloadMonitor> Download: ' '$log') -ge 2 ]" || fail "no new request after the time-out"
logged "Already installing" && fail "the request after the time-out was refused"
wait_for 60 logged "<DownloadMonitor::timerCallback> The installer's page needs the user: Velmora HubDriver Setup" || fail "the stuck page was not handed over"
[ "$(count_logged "clicked Install button")" -gt 20 ] || fail "INSTALL was not pressed again and again"

# And the window is the user's again: the language button answers.
sleep 1
click_at 580 15
wait_for 10 logged "<InterfaceComponent::buttonClicked> clicked switch language button" || fail "the window was not usable after the hand-over"

program_stop
assert_no_stall 1000
echo "a busy installer timed out, a stuck page was handed over, and the window stayed usable"
