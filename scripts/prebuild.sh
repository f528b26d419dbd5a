#!/usr/bin/env bash
# Installs what the later parts of scripts/test.sh need and builds their
# folders at the lowest CPU and disk priority, so that it can run beside the
# sanitizer tests and take only the cores they leave idle. The same
# variables as scripts/test.sh leave parts out.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# The idle disk class where the system allows it, the lowest CPU share always.
low()
{
    if ionice -c 3 true 2> /dev/null; then
        nice -n 19 ionice -c 3 "$@"
    else
        nice -n 19 "$@"
    fi
}

if [ "${STRATOSET_SKIP_TSAN:-0}" != "1" ]; then
    low "$top/scripts/build.sh" tsan
fi

if [ "${STRATOSET_WINDOWS_TESTS:-1}" != "0" ]; then
    source "$top/scripts/windows-test-bits.sh"
    "$top/scripts/setup.sh" windows
    if [ "$windows_test_bits" = 32 ]; then
        low "$top/scripts/build.sh" windows
    else
        low "$top/scripts/build.sh" windows64
    fi
fi

if [ "${STRATOSET_FUZZ:-1}" != "0" ]; then
    "$top/scripts/setup.sh" fuzz
    low "$top/scripts/build.sh" fuzz
fi
