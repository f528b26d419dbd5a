#!/usr/bin/env bash
# The whole flow of the Windows program as a user meets it, under Wine and
# through its own window: StratosetOnLoopback.exe starts in a fresh prefix
# with the QX4 as a registry device and nginx playing the maker's servers on
# its loopback port; the device is recognised, the interface is switched to
# English and the plug-in's install button is clicked (xdotool, on the
# screen); the package, a ZIP holding a real NSIS installer signed by the
# maker's name (tests/windows/signing), arrives over eight ranges through
# WinINet, is unpacked, its signature is checked, and the installer runs with its
# switches and installs; "Installed" leads to the newest shortcut and the
# launch question, which is answered "Yes" with a click; the installed
# program then runs from its own folder. All the while a probe asks the
# window every 50 ms whether it takes messages (hung_window_probe.exe): the
# flow fails when an answer takes longer than 5 s, after which Windows shows
# the window as "Not Responding".
#   whole-flow.sh win64|win32 <build folder> <loopback port> [32|64]
# win32 makes a 32-bit prefix, where the package holds an x86 and an x64
# build of the installer and the x86 one must be picked. The last argument
# says which build the folder holds (32 unless told): the 32-bit one, the
# product, or the 64-bit one that runs where no 32-bit program can; the
# package's single installer is built for the same architecture. Screenshots of each
# stage go to <build>/screenshots/flow-<64|32>/. KEEP_FLOW=1 keeps the work
# folder (prefix, served files, logs).
set -euo pipefail

arch="$1"
build="$(cd "$2" && pwd)"
port="$3"
build_bits="${4:-32}"
case "$build_bits" in
    32) installer_arch=x86 ;;
    64) installer_arch=x64 ;;
    *) echo "the build is 32- or 64-bit, not '$build_bits'" >&2; exit 2 ;;
esac

# A display of its own: clicks and screenshots meet only this program's
# Wine desktop, whatever else runs at the same time.
if [ -z "${STRATOSET_FLOW_OWN_DISPLAY:-}" ]; then
    exec env STRATOSET_FLOW_OWN_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(cd "$here/../../.." && pwd)"

case "$arch" in
    win64) bits=64; package="$build/packages/ShortcutPlugin.zip" ;;
    win32) bits=32; package="$build/packages/ShortcutPlugin-x86-x64.zip" ;;
    *) echo "usage: $0 win64|win32 <build folder> <port> [32|64]" >&2; exit 2 ;;
esac

work="$build/flow-$bits"
shots="$build/screenshots/flow-$bits"
figures="$work/probe-figures.txt"
served="$work/server"
rm -rf "$work" "$shots"
mkdir -p "$work" "$shots" "$served/plugin" "$served/pictures"

export WINEPREFIX="$work/prefix"
export WINEARCH="$arch"
export WINEDEBUG="${WINEDEBUG:--all}"
wine_prefix="$top/tests/windows/wine/wine-prefix.sh"

nginx_running=""
probe_pid=""
cleanup()
{
    touch "$figures.stop"
    [ -z "$probe_pid" ] || wait "$probe_pid" 2> /dev/null || true
    wineserver -k 2> /dev/null || true
    [ -z "$nginx_running" ] || "$top/tools/loopback_nginx.sh" stop "$work/nginx" || true
    if [ -n "${KEEP_FLOW:-}" ]; then
        echo "work folder kept: $work"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

log=""
fail()
{
    echo "FAILED ($bits-bit): $*"
    import -window root "$shots/failure.png" 2> /dev/null || true
    [ -f "$figures" ] && { echo "---- probe"; cat "$figures"; }
    if [ -n "$log" ] && [ -f "$log" ]; then
        echo "---- run log (last 40 lines)"
        tail -n 40 "$log"
    fi
    exit 1
}

now() { date +%s.%N; }
seconds() { python3 -c "print('%.1f' % ($2 - $1))"; }

# wait_for, logged: the user's part on an X display, as the Linux tests play it.
source "$top/tools/x_user.sh"

shoot()
{
    import -window root "$shots/$1.png"
    echo "screenshot: $shots/$1.png ($2)"
}

# "window"/"box" geometry from the probe: sets x y w h, or fails.
read_geometry()
{
    local line
    line="$(grep "^$1 " "$figures" 2> /dev/null || true)"
    [ -n "$line" ] || return 1
    read -r _ x y w h <<< "$line"
}

# The mean brightness (0 to 1) of a part of the window in a screenshot:
#   brightness <screenshot> <x> <y> <width> <height>   (window coordinates)
brightness()
{
    convert "$shots/$1.png" -crop "$4x$5+$((wx + $2))+$((wy + $3))" +repage -colorspace Gray -format '%[fx:mean]' info:
}

# The pixels of a part of the window that differ between two screenshots.
changed_pixels()
{
    convert "$shots/$1.png" -crop "$5x$6+$((wx + $3))+$((wy + $4))" +repage "$work/before.png"
    convert "$shots/$2.png" -crop "$5x$6+$((wx + $3))+$((wy + $4))" +repage "$work/after.png"
    compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1 || true
}

# Clicks at a point of the screen, which is the Wine desktop.
click() { xdotool mousemove "$1" "$2" sleep 0.2 click 1; }

#-------------------------------------------------------------------------------
# The maker's servers: the device list, a picture, and the plug-in package.

cat > "$served/list_20260509_1.1.16.xml" << 'XML'
<?xml version="1.0" encoding="UTF-8"?>
<list driverBaseUrl="https://download.velmora.com/drivers"
      driverBaseUrlCN=""
      driverBaseUrlWin7="http://download.velmora.com/drivers"
      pluginWebUrl="https://www.velmora.com/user-center">
  <oldWin10Whitelist>
    <pid>0x0104</pid>
  </oldWin10Whitelist>
  <item pid="260" name="QX4" type="pic" file="pictures/qx4.png"/>
  <item pid="260" name="QX4" area="cn/en" type="plugin" os="win" file="plugin/ShortcutPlugin.zip"/>
</list>
XML
convert -size 400x300 xc:white -fill "#1f6f8b" -draw "roundrectangle 40,60 360,240 24,24" \
    -fill white -font DejaVu-Sans-Bold -pointsize 36 -gravity center -annotate +0+0 QX4 \
    -strip "$served/pictures/qx4.png"
[ -f "$package" ] || fail "no package $package (built with the Windows build)"
cp "$package" "$served/plugin/ShortcutPlugin.zip"

"$top/tools/loopback_nginx.sh" start "$served" "$work/nginx" 0 "$port" > /dev/null \
    || fail "nginx could not listen on port $port"
nginx_running=1

#-------------------------------------------------------------------------------
# A fresh prefix of this architecture, with the registry devices.

"$wine_prefix" create --trust "$build/trust_test_authority.exe" "$build/signing/authority.der" > "$work/prefix.log" 2>&1 \
    || { cat "$work/prefix.log"; fail "no Wine prefix"; }

# What the program learns of a 32-bit Windows, straight from it.
if [ "$bits" = 32 ]; then
    wine "$build/stratoset_windows_tests.exe" "--gtest_filter=*On32BitWindows*" > "$work/host-probe.txt" 2>&1 \
        || { cat "$work/host-probe.txt"; fail "the host probe of the 32-bit Windows"; }
    grep -q '^\[  PASSED  \] 1 test' "$work/host-probe.txt" || { cat "$work/host-probe.txt"; fail "the host probe of the 32-bit Windows did not run"; }
fi

#-------------------------------------------------------------------------------
# The program and the probe.

started="$(now)"
# The program ends with the prefix (wineserver -k), unannounced.
wine "$build/StratosetOnLoopback.exe" > "$work/program.out" 2>&1 &
disown
wine "$build/hung_window_probe.exe" "Stratoset 1.1.17" "Z:$figures" > "$work/probe.out" 2>&1 &
probe_pid=$!

wait_for 90 read_geometry window || fail "the Stratoset window did not appear"
shown="$(now)"
[ "$w" -eq 600 ] && [ "$h" -eq 400 ] || fail "the window's client area is ${w}x$h, not 600x400"
wx=$x
wy=$y

find_log() { log="$(find "$WINEPREFIX/drive_c/users" -path '*/Velmora/Stratoset/runtimeLog.txt' -print -quit 2> /dev/null)"; [ -n "$log" ]; }
wait_for 30 find_log || fail "no run log"
wait_for 60 logged "<InterfaceComponent::updateButtons> found: <QX4,plugin" || fail "the QX4 was not recognised"
grep -q ' /list_20260509_1.1.16.xml 200 ' "$work/nginx/access.log" || fail "the device list did not come from the loopback server"
logged "<DeviceDatabase::DeviceDatabase> OS is now: win10 $bits-bit" || fail "the program did not see a $bits-bit Windows 10"
sleep 1
shoot 1-device-recognised "the QX4 recognised from the registry: its picture and its one install button, the plug-in"
# Drawn, not only decided: the install button, dark on the white page, at
# the start of the row at y 290.
button_brightness="$(brightness 1-device-recognised 45 292 30 26)"
python3 -c "import sys; sys.exit(0 if $button_brightness < 0.6 else 1)" \
    || fail "no install button drawn at (45, 292) (brightness $button_brightness)"

# The language button (top right), then the plug-in's button, the only one
# (it starts at x 40 of the row at y 290).
click $((wx + 580)) $((wy + 15))
wait_for 20 logged "clicked switch language button" || fail "the language button did not take the click"
sleep 1
shoot 2-english "the interface in English"
[ "$(changed_pixels 1-device-recognised 2-english 30 60 80 30)" -gt 0 ] \
    || fail "the product label was not drawn again in English"

click $((wx + 60)) $((wy + 305))
clicked="$(now)"
wait_for 30 logged "<DownloadMonitor> Download: " || fail "the install click was not taken"

wait_for 120 logged "<MainComponent::changeListenerCallback> Installed" || fail "no \"Installed\""
installed="$(now)"
wait_for 30 logged "<MainComponent::changeListenerCallback> upper founded! The shortcut linked to: " \
    || fail "no shortcut of the installed program was found"
wait_for 30 read_geometry box || fail "no launch question"
sleep 1
shoot 3-installed-launch-question "\"Installed\" and the question whether to launch the plug-in"

# "Yes", the first of the box's two buttons, centred near its bottom.
click $((x + w / 2 - 35)) $((y + h - 53))
wait_for 20 bash -c "! grep -q '^box ' '$figures'" || fail "the launch question stayed open"

started_note="$(find "$WINEPREFIX/drive_c" -path '*/Velmora/Shortcut Plugin/ShortcutPlugin.exe.started' -print -quit 2> /dev/null || true)"
program_started()
{
    started_note="$(find "$WINEPREFIX/drive_c" -path '*/Velmora/Shortcut Plugin/ShortcutPlugin.exe.started' -print -quit 2> /dev/null || true)"
    [ -n "$started_note" ]
}
wait_for 30 program_started || fail "the installed program did not start"
sleep 1.5
shoot 4-program-started "the installed plug-in program runs (its window)"
# The probe goes on a while: starting a program through the shell may return
# long after the program runs (a wait that must not fall on the window).
sleep 5

#-------------------------------------------------------------------------------
# What happened on the way.

install_folder="$(dirname "$started_note")"
from="$(head -n 1 "$started_note" | tr -d '\r')"
expected_folder="$(winepath -w "$install_folder" 2> /dev/null)"
[ "${from,,}" = "${expected_folder,,}" ] || fail "the installed program started in $from, not in its folder $expected_folder"

installed_by="$install_folder/installed-by.txt"
[ -f "$installed_by" ] || fail "the installer left no note of its run"
grep -q '/S /allusers' "$installed_by" || fail "the installer did not get /S /allusers: $(tail -n 1 "$installed_by")"
[ "$(head -n 1 "$installed_by" | tr -d '\r')" = "$installer_arch" ] || fail "the $installer_arch installer was not the one that ran"

logged "<InstallerSignature> Signed by $(head -n 1 "$build/signing/publisher.txt"): " \
    || fail "the installer's signature was not checked"

case "$bits" in
    64) logged "<DownloadMonitor::handleDownloadResult> Only single one .exe: velmorashortcutpluginsetup.exe" \
            || fail "the single installer was not picked" ;;
    32) logged "<DownloadMonitor::handleDownloadResult> This one not match: " || fail "the x64 installer was not passed over"
        grep -F "This one not match: " "$log" | grep -q 'x64' || fail "the installer passed over is not the x64 one"
        logged "<DownloadMonitor::handleDownloadResult> Found setup.exe, must be driver-only" || fail "no setup program picked" ;;
esac

ranges="$(grep -c '/plugin/ShortcutPlugin.zip 206 "bytes=' "$work/nginx/access.log" || true)"
[ "$ranges" -ge 8 ] || { cat "$work/nginx/access.log"; fail "the package came in $ranges range answers, not 8"; }

touch "$figures.stop"
wait "$probe_pid" 2> /dev/null || true
probe_pid=""
longest="$(awk '$1 == "longest_ms" { print $2 }' "$figures")"
answers="$(awk '$1 == "answers" { print $2 }' "$figures")"
unanswered="$(awk '$1 == "unanswered" { print $2 }' "$figures")"
[ "${answers:-0}" -gt 0 ] || fail "the probe got no answer at all"
[ "${unanswered:-1}" -eq 0 ] && [ "${longest:-99999}" -le 5000 ] \
    || fail "the window took $longest ms to answer ($unanswered sends unanswered): Windows would show it as Not Responding"

cp "$log" "$shots/runtimeLog.txt"
echo "$bits-bit Windows, $build_bits-bit build: start to window $(seconds "$started" "$shown") s;" \
     "click to \"Installed\" $(seconds "$clicked" "$installed") s;" \
     "longest answer to WM_NULL $longest ms over $answers answers"
