#!/usr/bin/env bash
# The whole flow with the keyboard alone (xdotool key events, no pointer):
# from the first install button shift-Tab reaches the device box, whose
# arrows choose the QX4; Tab and Return start its Tessel Max package, Return
# dismisses the restart tip. While the request runs, the device box and,
# four Tabs on, the language button take Space, Return and the arrows and
# change nothing. Return answers the launch question "Yes", and the installed
# program starts. All under the stall probe.
source "$(dirname "${BASH_SOURCE[0]}")/world.sh"

world_make --package-mib 8
# A second device, sorted before the QX4 in the device box.
plug nova 1A2A "Velmora Nova"

# Slow enough (8 ranges of 64 KiB/s) that the request still runs while the
# lock is tried.
server_start 64k
PROBE="${PROBE:-$default_probe}"
program_start

wait_for 30 logged "<InterfaceComponent::updateButtons> found: <Nova," || fail "the Nova was not shown first"
sleep 1
xdotool windowfocus --sync "$window" 2> /dev/null || true

key() { xdotool key --delay 150 "$@"; sleep 0.3; }

# From the Nova's install button back to the device box, down to the QX4.
key shift+Tab
key Down
wait_for 20 logged "<InterfaceComponent::updateButtons> found: <QX4,tesselmax_notqt+dri" || fail "the arrow did not choose the QX4"
key Tab Return
wait_for 30 logged "<DownloadMonitor> Download: " || fail "Return on the first install button started nothing"
logged "<InterfaceComponent::buttonClicked> click button:Tessel Max" || fail "another button than Tessel Max was pressed"

# The restart tip takes the focus; Return dismisses it and the focus goes
# back to where it was: the device box (the pressed button is greyed out).
sleep 1.5
key Return

found_before="$(count_logged "<InterfaceComponent::updateButtons> found: ")"
key Down Up Down space Return
sleep 0.5
key Tab Tab Tab Tab
key space Return
wait_for 10 logged "<InterfaceComponent::buttonClicked> the language cannot change while a request runs" \
    || fail "the keys did not reach the language button"
logged "clicked switch language button" && fail "the language changed while the request ran"
[ "$(count_logged "<InterfaceComponent::updateButtons> found: ")" = "$found_before" ] || fail "the device box changed while the request ran"
logged "<InterfaceComponent::buttonClicked> click button: quit download" && fail "the Cancel question was asked"

wait_for 120 logged "<MainComponent::changeListenerCallback> Installed" || fail "no \"Installed\""
wait_for 20 logged "<MainComponent::changeListenerCallback> upper founded! The shortcut linked to: " || fail "no shortcut of the installed program"
sleep 1
key Return

started()
{
    [ -n "$(find "$STRATOSET_SIMULATED_HOST/Program Files" -name '*.exe.started' -print -quit 2> /dev/null)" ]
}
wait_for 20 started || fail "Return on the launch question did not start the installed program"
[ -f "$STRATOSET_SIMULATED_HOST/Program Files/Velmora/QX4 Tessel Max/QX4TesselMax.exe.started" ] || fail "another program than Tessel Max started"

program_stop
assert_no_stall 1000
echo "installed and launched with the keyboard alone; the lock held against keys"
