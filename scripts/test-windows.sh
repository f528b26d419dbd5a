#!/usr/bin/env bash
# The Windows tests, from a fresh Debian machine: installs the MinGW cross
# compilers and Wine, cross-builds Stratoset.exe and the Windows test runner
# (build/windows), and runs them under Wine and Xvfb in a Wine prefix that is
# made afresh for the run and removed at its end. Extra arguments go to ctest.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$top/scripts/setup.sh" windows
"$top/scripts/build.sh" windows

build="$top/build/windows"
export WINEPREFIX="$build/wine-prefix"

# The prefix is made and removed by CTest fixtures; this catches a run that
# stops half-way (Ctrl-C, a time-out) so that no Wine process stays behind.
cleanup()
{
    wineserver -k 2> /dev/null || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

cd "$build"
xvfb-run -a -s "-screen 0 1024x768x24" \
    ctest --output-on-failure --timeout 300 -j "$(nproc)" "$@"
