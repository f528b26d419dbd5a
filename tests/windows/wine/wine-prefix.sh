#!/usr/bin/env bash
# The Wine prefix that the Windows tests run in: a 64-bit Windows (so the
# 32-bit programs run under WOW64), or a 32-bit one when WINEARCH=win32, with
# the test fixtures in its registry.
#   wine-prefix.sh create [--trust <trust_test_authority.exe> <authority.der>]
#       makes the prefix in $WINEPREFIX afresh (whatever was there goes);
#       with --trust, the tests' code-signing authority is added to its
#       LocalMachine Root store (tests/windows/signing)
#   wine-prefix.sh run [--windows-version win7|win10|win11] program.exe [args...]
#       runs a program in it, after making Wine report that Windows version
#   wine-prefix.sh remove
#       ends every Wine process of the prefix (wineserver -k) and deletes it
# Every Windows program here sees STRATOSET_WINE_WINDOWS_VERSION: the version
# that the prefix was last told to report.
set -euo pipefail

: "${WINEPREFIX:?WINEPREFIX must name the prefix folder}"
export WINEPREFIX
# 64-bit unless WINEARCH asks for a 32-bit prefix (win32).
export WINEARCH="${WINEARCH:-win64}"
# No Mono or Gecko installers (they would wait for a click), no debugger
# waiting for a click after a crash, and none of Wine's "fixme" chatter
# (nor the error JUCE's tablet-mode query causes on every window).
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
export WINEDEBUG="${WINEDEBUG:-fixme-all,err-combase}"

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
version_file="$WINEPREFIX/.stratoset-windows-version"

wine_reg()
{
    wine reg "$@" > /dev/null
}

current_version_key='HKLM\Software\Microsoft\Windows NT\CurrentVersion'

set_windows_version()
{
    case "$1" in
        win7 | win10)
            wine_reg add 'HKCU\Software\Wine' /v Version /d "$1" /f
            ;;
        win11)
            # Wine has no name for Windows 11: without the HKCU value it
            # reports what the HKLM version key says.
            wine reg delete 'HKCU\Software\Wine' /v Version /f > /dev/null 2>&1 || true
            wine_reg add "$current_version_key" /v CurrentVersion /d 10.0 /f
            wine_reg add "$current_version_key" /v CurrentMajorVersionNumber /t REG_DWORD /d 10 /f
            wine_reg add "$current_version_key" /v CurrentMinorVersionNumber /t REG_DWORD /d 0 /f
            wine_reg add "$current_version_key" /v CurrentBuildNumber /d 22631 /f
            wine_reg add "$current_version_key" /v CurrentBuild /d 22631 /f
            ;;
        *)
            echo "unknown Windows version '$1' (win7, win10 or win11)" >&2
            exit 2
            ;;
    esac
    echo "$1" > "$version_file"
}

case "${1:-}" in
    create)
        if [ -d "$WINEPREFIX" ]; then
            wineserver -k 2> /dev/null || true
            rm -rf "$WINEPREFIX"
        fi
        mkdir -p "$(dirname "$WINEPREFIX")"
        wineboot --init > "$WINEPREFIX.boot.log" 2>&1 || { cat "$WINEPREFIX.boot.log"; exit 1; }
        wineserver --wait
        # A crash ends the program with a backtrace instead of a dialog.
        wine_reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
        # One virtual desktop, so that Wine draws the windows' frames and
        # title bars as Windows does (there is no window manager).
        wine_reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
        wine_reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f
        wine_reg import "$here/usb-devices.reg"
        # Wine links the user's Desktop, Documents and the like to the Unix
        # home folder; tests put shortcuts there, so they become folders of
        # the prefix, as on Windows.
        find "$WINEPREFIX/drive_c/users" -mindepth 2 -maxdepth 2 -type l -print0 |
            while IFS= read -r -d '' link; do
                rm "$link"
                mkdir "$link"
            done
        # Windows has Microsoft YaHei, which draws the Chinese texts of the
        # interface; Debian's WenQuanYi Micro Hei stands in for it.
        wine_reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft YaHei' /d 'WenQuanYi Micro Hei' /f
        if [ "${2:-}" = "--trust" ]; then
            # Once the registry writes above have settled.
            wineserver --wait
            wine "$3" "$(winepath -w "$4")" || { echo "the test authority $4 could not be trusted" >&2; exit 1; }
        fi
        set_windows_version win10
        wineserver --wait
        echo "Wine prefix ready: $WINEPREFIX ($(wine --version))"
        ;;

    run)
        shift
        if [ "${1:-}" = "--windows-version" ]; then
            set_windows_version "$2"
            shift 2
        fi
        [ $# -ge 1 ] || { echo "usage: $0 run [--windows-version NAME] program.exe [args...]" >&2; exit 2; }
        STRATOSET_WINE_WINDOWS_VERSION="$(cat "$version_file")"
        export STRATOSET_WINE_WINDOWS_VERSION
        exec wine "$@"
        ;;

    remove)
        wineserver -k 2> /dev/null || true
        rm -rf "$WINEPREFIX" "$WINEPREFIX.boot.log"
        ;;

    *)
        echo "usage: $0 create | run [--windows-version NAME] program.exe [args...] | remove" >&2
        exit 2
        ;;
esac
