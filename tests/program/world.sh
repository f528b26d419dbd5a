#!/usr/bin/env bash
# Shared by the whole-program tests: the real program on a simulated host,
# the maker's servers played by nginx on the program's loopback port, and
# the user's clicks through xdotool. Source it, then call world_start.
#   PROGRAM   StratosetOnLoopback of the build under test
#   PORT      its loopback port

set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(cd "$here/../.." && pwd)"
close_window="$(dirname "$PROGRAM")/tools/x11_close_window"

work="$(mktemp -d)"
served="$work/server"
export STRATOSET_SIMULATED_HOST="$work/host"
log="$STRATOSET_SIMULATED_HOST/Users/user/AppData/Roaming/Velmora/Stratoset/runtimeLog.txt"

source "$top/tools/x-user.sh"

pid=""
holder=""
nginx_running=""

world_cleanup()
{
    stop_program_and_holder
    [ -z "$nginx_running" ] || "$top/tools/loopback-nginx.sh" stop "$work/nginx"
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
    "$top/tools/loopback-nginx.sh" start "$served" "$work/nginx" "${1:-0}" "$PORT" > /dev/null || fail "nginx could not listen on port $PORT"
    nginx_running=1
}

plug() { printf 'USB\\VID_2C7D&PID_%s&REV_0100\n%s\n' "$2" "$3" > "$STRATOSET_SIMULATED_HOST/usb/$1.device"; }
unplug() { rm -f "$STRATOSET_SIMULATED_HOST/usb/$1.device"; }

program_start()
{
    hold_display "$close_window" "$work/holder.txt"
    "$PROGRAM" > "$work/program.out" 2>&1 &
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
