#!/usr/bin/env bash
# The whole test suite, from a fresh Debian machine: installs what is needed,
# builds with AddressSanitizer and UBSan, and runs every test under Xvfb;
# then builds the test runner with ThreadSanitizer and runs the tests of the
# threaded code (CTest label "threads") once more there; then cross-builds the
# Windows program and runs its tests under Wine (scripts/test-windows.sh);
# last, a fixed run of the fuzz targets (scripts/fuzz.sh). The later parts'
# builds start at once in the background, at the lowest priority
# (scripts/prebuild.sh, its output in build/prebuild.log).
# Extra arguments go to both Linux ctest runs. STRATOSET_SKIP_TSAN=1 leaves
# out the ThreadSanitizer part, STRATOSET_WINDOWS_TESTS=0 the Windows part,
# STRATOSET_FUZZ=0 the fuzz targets.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$top/scripts/setup.sh"

# What the later parts need is installed and built in the background
# (scripts/prebuild.sh, at the lowest priority) while the sanitizer build and
# its tests run: those tests mostly wait (on the window, on servers and
# programs), and the builds take the cores they leave idle. Each part still
# builds its own before running, which is then nothing or little.
mkdir -p "$top/build"
prebuild_log="$top/build/prebuild.log"
# In a process group of its own, so that an early end can stop it whole; in
# this session still, since the kernel's autogroups weigh sessions against
# each other and its low priority would count only within a session of its
# own.
set -m
"$top/scripts/prebuild.sh" > "$prebuild_log" 2>&1 &
prebuild=$!
set +m
trap '[ -z "$prebuild" ] || kill -- "-$prebuild" 2> /dev/null || true' EXIT

"$top/scripts/build.sh" test

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

status=0
(
    cd "$top/build/test"
    xvfb-run -a -s "-screen 0 1024x768x24" \
        ctest --output-on-failure --timeout 300 -j "$(nproc)" "$@"
) || status=$?

# A part whose background build failed builds again below, showing why.
if ! wait "$prebuild"; then
    echo "== the background builds stopped early ($prebuild_log)"
fi
prebuild=""

if [ "${STRATOSET_SKIP_TSAN:-0}" != "1" ]; then
    "$top/scripts/build.sh" tsan
    (
        export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}"
        cd "$top/build/tsan"
        xvfb-run -a -s "-screen 0 1024x768x24" \
            ctest --output-on-failure --timeout 300 -j "$(nproc)" -L threads "$@"
    ) || status=$?
fi

if [ "${STRATOSET_WINDOWS_TESTS:-1}" != "0" ]; then
    "$top/scripts/test-windows.sh" || status=$?
fi

if [ "${STRATOSET_FUZZ:-1}" != "0" ]; then
    "$top/scripts/fuzz.sh" || status=$?
fi

exit "$status"
