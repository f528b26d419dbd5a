#!/usr/bin/env bash
# The Windows tests, from a fresh Debian machine: installs the MinGW cross
# compilers and Wine, cross-builds the Windows program and the Windows test
# runner, and runs them under Wine and Xvfb in a Wine prefix that is made
# afresh for the run and removed at its end. Extra arguments go to ctest.
#
# Which build the tests run on follows the machine (scripts/windows-test-bits.sh):
#   a machine that runs 32-bit programs: the 32-bit build, the product itself
#     (build/windows), in 64- and 32-bit prefixes;
#   a machine whose kernel runs 64-bit code only: a 64-bit build of the same
#     sources (build/windows64) with Wine's 64-bit loader, in 64-bit prefixes;
#     the 32-bit product is still built (build/windows) and its header and
#     resources checked, and the tests that only a 32-bit process can run are
#     reported by CTest as skipped, each saying why.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$top/scripts/windows-test-bits.sh"
echo "== Windows tests on the $windows_test_bits-bit build: $windows_test_bits_reason"

"$top/scripts/setup.sh" windows
if [ "$windows_test_bits" = 32 ]; then
    "$top/scripts/build.sh" windows
    build="$top/build/windows"
else
    "$top/scripts/build.sh" windows64
    build="$top/build/windows64"
    # Wine's own programs, for the clean-up below, through its 64-bit loader.
    export PATH="$top/tests/windows/wine/loader64:$PATH"
fi

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
status=0
xvfb-run -a -s "-screen 0 1024x768x24" \
    ctest --output-on-failure --timeout 300 -j "$(nproc)" "$@" || status=$?

# CTest lists the skipped tests by name; their reasons are in their output.
grep -h -o '^windows\.[a-z0-9_]* skipped in the .*' Testing/Temporary/LastTest.log 2> /dev/null || true
echo "== Windows tests ran on the $windows_test_bits-bit build ($build)"
exit "$status"
