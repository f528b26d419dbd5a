#!/usr/bin/env bash
# A package that is the installer itself, not an archive: it is started
# as it arrived, its dialog is answered, and "Installed" leads to the launch
# question, with the window answering all the while.
source "$(dirname "${BASH_SOURCE[0]}")/world.sh"

world_make --bare-exe --package-mib 1
server_start
PROBE="${PROBE:-$default_probe}"
program_start
wait_for 30 logged "<InterfaceComponent::updateButtons> found: " || fail "the QX4 was not offered"

click_at 90 305
wait_for 60 logged "<MainComponent::changeListenerCallback> Installed" || fail "the installation did not end"
logged "<handleDownloadResult> Detected ZIP file: " && fail "the bare installer was taken for an archive"
logged "<InstallMonitor::analyseWindow> clicked exit button" || fail "the installer's dialog was not answered"
answer no

program_stop
assert_no_stall 1000
echo "the bare installer was started, answered and reported installed"
