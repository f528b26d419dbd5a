#!/usr/bin/env bash
# Screenshots of every state of the interface on a virtual display, taken by
# the on-screen test of the interface.
#   scripts/ui-screenshots.sh [output folder]    (default: build/screenshots)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
output="${1:-$top/build/screenshots}"
mkdir -p "$output"
output="$(cd "$output" && pwd)"

"$top/scripts/setup.sh"
"$top/scripts/build.sh" test

STRATOSET_SCREENSHOT_DIR="$output" xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$top/build/test/tests/stratoset_tests" --gtest_filter='InterfaceOnScreen.*'

ls -1 "$output"/*.png
