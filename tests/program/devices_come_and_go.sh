#!/usr/bin/env bash
# Plugging and unplugging devices while the program runs: a device is offered
# once, its removal is noted once, and two devices plugged in either order
# are one set of devices (one rebuild).
source "$(dirname "${BASH_SOURCE[0]}")/world.sh"

world_make --no-device
server_start
program_start

sleep 2
logged "got device PID" && fail "a device offered although none is plugged"

plug qx4 0104 "Velmora QX4 Audio Interface"
wait_for 20 logged "<MainComponent> got device PID: 0x0104" || fail "the plugged QX4 was not offered"
sleep 2
[ "$(count_logged "got device PID: 0x0104")" = 1 ] || fail "the same device was offered again"

unplug qx4
wait_for 20 logged "<MainComponent::timerCallback> no device connected..." || fail "the removal was not noticed"
sleep 2
[ "$(count_logged "no device connected...")" = 1 ] || fail "the removal was logged more than once"

# One device, then a second beside it: the set grows, one rebuild each
# (each rebuild names every device of the set).
plug b-qx4 0104 "Velmora QX4 Audio Interface"
wait_for 20 bash -c "[ \$(grep -cF 'got device PID' '$log') -ge 2 ]" || fail "the plugged QX4 was not offered again"
plug a-arc 00A1 "Velmora Arc 2"
wait_for 20 logged "<MainComponent> got device PID: 0x00A1" || fail "the Arc 2 beside the QX4 was not offered"
sleep 1.5
[ "$(count_logged "<MainComponent> got device PID: 0x00A1")" = 1 ] || fail "Arc 2 offered more than once"
[ "$(count_logged "got device PID")" = 4 ] || fail "the two devices were offered more than once"

# The same two devices, enumerated the other way round now. The new ones
# come before the old ones go, so that every scan, whenever it falls, sees
# the same two devices.
plug a-qx4 0104 "Velmora QX4 Audio Interface"
plug b-arc 00A1 "Velmora Arc 2"
unplug b-qx4
unplug a-arc
sleep 2.5
[ "$(count_logged "got device PID")" = 4 ] || fail "the same set of devices was rebuilt"
[ "$(count_logged "no device connected...")" = 1 ] || fail "a removal was logged for a reordering"

program_stop
echo "plugged, unplugged and reordered devices are followed as one set"
