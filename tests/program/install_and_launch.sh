#!/usr/bin/env bash
# The whole flow as the user sees it: the connected QX4 is recognised, its
# Tessel Max package downloads over eight ranges, its installer's dialog
# pages are answered, "Installed" leads to the newest matching shortcut and
# the launch question, and "Yes" starts the installed program.
source "$(dirname "${BASH_SOURCE[0]}")/world.sh"

world_make --package-mib 4

# An older shortcut of Tessel Max on the user's desktop: the new one must win.
mkdir -p "$STRATOSET_SIMULATED_HOST/Program Files/Old Tessel"
printf '#!/bin/sh\npwd >> "$0.started"\n' > "$STRATOSET_SIMULATED_HOST/Program Files/Old Tessel/TesselMax.exe"
ln -s "$STRATOSET_SIMULATED_HOST/Program Files/Old Tessel/TesselMax.exe" "$STRATOSET_SIMULATED_HOST/Users/user/Desktop/Tessel Max.lnk"
touch -h -d '1 hour ago' "$STRATOSET_SIMULATED_HOST/Users/user/Desktop/Tessel Max.lnk"

server_start 512k
mkdir -p "$work/screens"
PROBE="${PROBE:-$default_probe}"
STRATOSET_PROGRAM_PRELOAD="$PROBE" STRATOSET_STALL_PROBE_OUT="$stall_figures" STRATOSET_STALL_PROBE_EVERY_MS=500 \
    "$top/scripts/demo-headless.sh" "$PROGRAM" "$work/screens" > "$work/demo.txt" 2>&1 || { cat "$work/demo.txt"; fail "the flow did not complete"; }
assert_no_stall 1000

for line in "<InstallMonitor::analyseWindow> clicked OK button" \
            "<InstallMonitor::analyseWindow> clicked Install button" \
            "<InstallMonitor::analyseWindow> clicked exit button" \
            "<InterfaceComponent::updateStatus> Downloaded" \
            "<MainComponent::changeListenerCallback> The newest shortcut is: $STRATOSET_SIMULATED_HOST/Users/Public/Desktop/QX4 Tessel Max.lnk"; do
    logged "$line" || fail "no line: $line"
done

ranges="$(grep -c ' 206 "bytes=' "$work/nginx/access.log" || true)"
[ "$ranges" -ge 8 ] || fail "the package came in $ranges range answers, not 8"

started="$STRATOSET_SIMULATED_HOST/Program Files/Velmora/QX4 Tessel Max/QX4TesselMax.exe.started"
wait_for 10 test -f "$started" || fail "the installed program did not start"
[ "$(head -n 1 "$started")" = "$(dirname "$started")" ] || fail "the installed program started in $(head -n 1 "$started"), not in its own folder"
[ ! -e "$STRATOSET_SIMULATED_HOST/Program Files/Old Tessel/TesselMax.exe.started" ] || fail "the older shortcut's program was started"
[ ! -e "$STRATOSET_SIMULATED_HOST/Temp/VelmoraTmp" ] || fail "the work folder was left behind"

cat "$work/demo.txt" | tail -n 3
echo "downloaded, installed through the dialog, offered and launched the newest shortcut"
