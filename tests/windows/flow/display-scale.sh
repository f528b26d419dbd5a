#!/usr/bin/env bash
# Screenshots of the Windows program's window at 100 %, 150 % and 200 %
# display scale, under Wine on an X display of its own: a fresh prefix for
# each scale, its LogPixels set (96, 144, 192), StratosetOnLoopback.exe
# started with the QX4 as a registry device and no server, so the window
# shows the device box and the notice of the unreachable server. The
# pictures go to <build>/screenshots/scale/.
#   display-scale.sh <build folder>   (build/windows, or build/windows64)
# Not part of the suite: run by hand to look at the window.
set -euo pipefail

build="$(cd "$1" && pwd)"

if [ -z "${STRATOSET_SCALE_OWN_DISPLAY:-}" ]; then
    exec env STRATOSET_SCALE_OWN_DISPLAY=1 xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$@"
fi

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(cd "$here/../../.." && pwd)"
shots="$build/screenshots/scale"
mkdir -p "$shots"

if file -b "$build/StratosetOnLoopback.exe" | grep -q x86-64; then
    export PATH="$top/tests/windows/wine/loader64:$PATH"
fi

export WINEDEBUG=-all
for dpi in 96 144 192; do
    export WINEPREFIX="$build/scale-prefix-$dpi"
    "$top/tests/windows/wine/wine-prefix.sh" create > /dev/null
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f > /dev/null
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1600x1200 /f > /dev/null
    wineserver --wait
    wine "$build/StratosetOnLoopback.exe" > /dev/null 2>&1 &
    sleep 15
    import -window root "$shots/scale-$((dpi * 100 / 96)).png"
    echo "$((dpi * 100 / 96)) %: $shots/scale-$((dpi * 100 / 96)).png"
    wineserver -k 2> /dev/null || true
    rm -rf "$WINEPREFIX" "$WINEPREFIX.boot.log"
done
