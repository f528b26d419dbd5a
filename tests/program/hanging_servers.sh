#!/usr/bin/env bash
# Servers that accept and never answer: the list's (the window opens at once,
# and says the server is away once the list's time limit is over) and the
# pictures' (the device and its buttons come, and work, without them). The
# window answers all the while.
source "$(dirname "${BASH_SOURCE[0]}")/world.sh"

world_make
export SILENT_LOCATIONS="/list_20260509_1.1.16.xml /pictures/"
server_start
PROBE="${PROBE:-$default_probe}"
started=$SECONDS
program_start
[ $((SECONDS - started)) -le 4 ] || fail "the window took $((SECONDS - started)) s to open while the list server was silent"
! logged "MainComponent > Failed to download XML file: " || fail "the list was given up before its time limit"
wait_for 15 logged "MainComponent > Failed to download XML file: " || fail "the hanging list was not given up"

# The list comes back; the pictures still hang.
sleep 2
server_stop
export SILENT_LOCATIONS="/pictures/"
server_start
wait_for 30 logged "<MainComponent::timerCallback> reconnected!" || fail "no reconnection once the list was served"
wait_for 10 logged "<InterfaceComponent::updateButtons> found: " || fail "the QX4 was not offered while its picture hangs"

# The window is usable while the picture is still on its way.
click_at 580 15
wait_for 5 logged "<InterfaceComponent::buttonClicked> clicked switch language button" || fail "the window did not answer"
wait_for 15 logged "<InterfaceComponent::loadImage> download failed: " || fail "the hanging picture was not given up"

program_stop
assert_no_stall 1000
echo "the window opened, answered and offered the QX4 while its servers hung"
