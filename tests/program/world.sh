#!/usr/bin/env bash
# Shared by the whole-program tests: the real program on a simulated host,
# the maker's servers played by nginx on the program's loopback port, and
# the user's clicks through xdotool. Source it, then call world_start.
#   PROGRAM   StratosetOnLoopback of the build under test
#   PORT      its loopback port
#   PROBE     optional: the stall probe (libstall_probe.so, tools/stall_probe.c)
#             to start the program under, for assert_no_stall; a test opts in
#             with PROBE="${PROBE:-$default_probe}", the one built beside $PROGRAM

set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(cd "$here/../.." && pwd)"
close_window="$(dirname "$PROGRAM")/tools/x11_close_window"
default_probe="$(dirname "$PROGRAM")/tools/libstall_probe.so"

work="$(mktemp -d)"
served="$work/server"
export STRATOSET_SIMULATED_HOST="$work/host"
log="$STRATOSET_SIMULATED_HOST/Users/user/AppData/Roaming/Velmora/Stratoset/runtimeLog.txt"
stall_figures="$work/stall-probe.txt"

source "$top/tools/x_user.sh"

pid=""
holder=""
nginx_running=""

world_cleanup()
{
    stop_program_and_holder
    [ -z "$nginx_running" ] || "$top/tools/loopback_nginx.sh" stop "$work/nginx"
    # Installers and programs of the simulated host still running.
    pkill -f "$work/host" 2> /dev/null || true
    if [ -n "${KEEP_WORLD:-}" ]; then
        echo "world kept in $work"
    else
        rm -rf "$work"
    fi
}
trap world_cleanup EXIT

fail()
{
    echo "FAILED: $*"
    if [ -f "$log" ]; then
        echo "---- run log (last 40 lines)"
        tail -n 40 "$log"
    fi
    exit 1
}

# The server's files and the host; extra arguments go to make_demo_world.py.
world_make() { python3 "$top/tools/make_demo_world.py" "$@" "$served" "$STRATOSET_SIMULATED_HOST" > /dev/null; }

server_start()
{
    "$top/tools/loopback_nginx.sh" start "$served" "$work/nginx" "${1:-0}" "$PORT" > /dev/null || fail "nginx could not listen on port $PORT"
    nginx_running=1
}

server_stop()
{
    "$top/tools/loopback_nginx.sh" stop "$work/nginx"
    nginx_running=""
}

# Replaces a package of the served world by a ZIP holding the fake installer
# under the path given (its name chooses its scenario).
repack() { python3 - "$served/$1" "$2" "$top/tools/fake_installer.py" << 'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as archive:
    archive.write(sys.argv[3], sys.argv[2])
PY
}

plug() { printf 'USB\\VID_2C7D&PID_%s&REV_0100\n%s\n' "$2" "$3" > "$STRATOSET_SIMULATED_HOST/usb/$1.device"; }
unplug() { rm -f "$STRATOSET_SIMULATED_HOST/usb/$1.device"; }

program_start()
{
    # Under the stall probe, which writes its figures to $stall_figures. It
    # must come before the sanitizer runtime of a sanitizer build (it tells
    # JUCE's run-loop polls by their caller), so ASan is told not to insist
    # on being first.
    local probe=()
    if [ -n "${PROBE:-}" ]; then
        [ -f "$PROBE" ] || fail "no stall probe at $PROBE"
        probe=("LD_PRELOAD=$PROBE${LD_PRELOAD:+:$LD_PRELOAD}"
               "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
               "STRATOSET_STALL_PROBE_OUT=$stall_figures"
               "STRATOSET_STALL_PROBE_EVERY_MS=500")
    fi
    # One holder for every start of the program in a test.
    if [ -z "$holder" ] || ! kill -0 "$holder" 2> /dev/null; then
        hold_display "$close_window" "$work/holder.txt"
    fi
    env "${probe[@]}" "$PROGRAM" > "$work/program.out" 2>&1 &
    pid=$!
    wait_for 60 find_window || fail "no Stratoset window"
}

program_stop()
{
    "$close_window" "$window"
    wait_for 20 bash -c "! kill -0 $pid 2> /dev/null" || fail "the program did not quit when its window was closed"
    wait "$pid" || fail "the program ended with an error"
    pid=""
}

# Fails when the message thread stayed away from its event loop for longer
# than $1 ms at a time since the loop first ran (a stall still going on
# counts too); prints the longest time otherwise.
assert_no_stall()
{
    [ -n "${PROBE:-}" ] || fail "assert_no_stall: the program was not started under the stall probe (PROBE)"
    [ -s "$stall_figures" ] || fail "the stall probe wrote no figures: the program's event loop never ran"
    local longest
    longest="$(awk '$1 == "max_gap_ms" || $1 == "busy_ms" { if ($2 > m) m = $2 } END { printf "%.0f", m }' "$stall_figures")"
    [ "$longest" -le "$1" ] || fail "the message thread stalled for $longest ms (at most $1 ms allowed)"
    echo "longest stall of the message thread: $longest ms"
}
