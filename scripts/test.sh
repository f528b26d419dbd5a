#!/usr/bin/env bash
# The whole test suite, from a fresh Debian machine: installs what is needed,
# builds with AddressSanitizer and UBSan, and runs every test under Xvfb;
# then cross-builds the Windows program and runs its tests under Wine
# (scripts/test-windows.sh; STRATOSET_WINDOWS_TESTS=0 leaves that out).
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$top/scripts/setup.sh"
"$top/scripts/build.sh" test

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

status=0
(
    cd "$top/build/test"
    xvfb-run -a -s "-screen 0 1024x768x24" \
        ctest --output-on-failure --timeout 300 -j "$(nproc)" "$@"
) || status=$?

if [ "${STRATOSET_WINDOWS_TESTS:-1}" != "0" ]; then
    "$top/scripts/test-windows.sh" || status=$?
fi

exit "$status"
