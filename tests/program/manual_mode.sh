#!/usr/bin/env bash
# Manual selection without a device offers every device of the list; a
# device plugged in then raises the question whether to leave manual mode:
# "No" keeps it (and is not asked again for the same devices), "Yes" leaves it.
source "$(dirname "${BASH_SOURCE[0]}")/world.sh"

world_make --no-device
server_start
program_start
sleep 1.5

# The Manual button (Chinese interface) lies at (320, 250), 80 x 30.
click_at 360 265
wait_for 20 logged "<MainComponent::obtainAll> obtain 3 devices" || fail "manual selection did not offer the list's three devices"
title="$(xdotool getwindowname "$window")"
[[ "$title" == *"[Manual mode]" ]] || fail "the title is '$title'"

plug qx4 0104 "Velmora QX4 Audio Interface"
answer no
sleep 2
question_open && fail "asked again for the same device"
logged "got device PID" && fail "manual mode was left after No"

plug arc 00A1 "Velmora Arc 2"
answer yes
wait_for 20 logged "<MainComponent> got device PID: 0x00A1" || fail "the connected devices were not offered after Yes"
title="$(xdotool getwindowname "$window")"
[[ "$title" != *"[Manual mode]"* ]] || fail "still titled '$title'"

program_stop
echo "manual mode offered every device and asked once per set of devices"
