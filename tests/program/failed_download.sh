#!/usr/bin/env bash
# A package the server does not have: the download fails, the interface says
# so and offers its install buttons again, and a new request is accepted.
source "$(dirname "${BASH_SOURCE[0]}")/world.sh"

world_make
rm "$served/qx4/HubDriver_4.2_x64.zip"
server_start
program_start
wait_for 30 logged "<InterfaceComponent::updateButtons> found: " || fail "the QX4 was not offered"

# The second install button: HubDriver.
click_at 245 305
wait_for 30 logged "<MainComponent::changeListenerCallback> Download failed" || fail "the failure was not reported"
logged "<ChunkedDownloader> Download error: Failed to get file size" || fail "no downloader error line"
found_before="$(count_logged "<InterfaceComponent::updateButtons> found: ")"
[ "$found_before" -ge 6 ] || fail "the install buttons were not rebuilt after the failure"

# The buttons work again: the same request is accepted once more.
sleep 1
click_at 245 305
wait_for 30 bash -c "[ \$(grep -cF '<MainComponent::changeListenerCallback> Download failed' '$log') -ge 2 ]" || fail "a second request was not accepted"
logged "Already installing" && fail "the second request was refused"

program_stop
echo "the failed download was reported and the buttons came back"
