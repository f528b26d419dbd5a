#!/usr/bin/env bash
# Cancel in the middle of a download: the download stops, nothing is
# installed, the downloaded part is removed, and the browser question is asked.
source "$(dirname "${BASH_SOURCE[0]}")/world.sh"

world_make --package-mib 16
server_start 256k
PROBE="${PROBE:-$default_probe}"
program_start
wait_for 30 logged "<InterfaceComponent::updateButtons> found: " || fail "the QX4 was not offered"

click_at 90 305
wait_for 30 logged "<DownloadMonitor> Download: " || fail "the request was not accepted"
sleep 2

# Cancel lies at (520, 320), 60 x 24.
click_at 550 332
wait_for 10 logged "<InterfaceComponent::buttonClicked> click button: quit download" || fail "Cancel was not pressed"
answer no

sleep 2
logged "Downloaded in" && fail "the download completed although it was cancelled"
logged "Download failed" && fail "a cancelled download was reported as failed"
[ -z "$(find "$STRATOSET_SIMULATED_HOST/Temp/VelmoraTmp" -name 'TesselMax*' -o -name 'range_*' 2> /dev/null)" ] || fail "the downloaded part was left behind"
ls "$STRATOSET_SIMULATED_HOST/Program Files/Velmora" > /dev/null 2>&1 && fail "something was installed"

program_stop
assert_no_stall 1000
echo "the download stopped at Cancel and left nothing behind"
