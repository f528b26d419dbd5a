#!/usr/bin/env bash
# Without a display the program says why on standard error and exits with a
# non-zero code instead of crashing.
#   refuses_to_start_without_display.sh <Stratoset>
set -uo pipefail

program="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for display in "" ":97"; do
    if [ -z "$display" ]; then
        env -u DISPLAY STRATOSET_SIMULATED_HOST="$work" "$program" > "$work/out" 2> "$work/err"
    else
        DISPLAY="$display" STRATOSET_SIMULATED_HOST="$work" "$program" > "$work/out" 2> "$work/err"
    fi
    code=$?

    if [ "$code" -eq 0 ] || [ "$code" -ge 128 ]; then
        echo "DISPLAY='$display': exit code $code, expected a plain failure"
        cat "$work/err"
        exit 1
    fi

    if ! grep -q "no display" "$work/err"; then
        echo "DISPLAY='$display': standard error does not say why:"
        cat "$work/err"
        exit 1
    fi
done
echo "refused to start without a display, with a message"
