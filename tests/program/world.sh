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

pid=""
holder=""
window=""
nginx_running=""

world_cleanup()
{
    for p in $pid $holder; do
        kill "$p" 2> /dev/null || true
    done
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

# JUCE reads X events only when the X connection has new data; events that
# an Xlib round trip of the program already took into its queue wait for the
# next one. A real desktop has a steady trickle of events; a bare Xvfb does
# not, so the waits below give one: a one-pixel move of the pointer.
nudge_direction=1
nudge()
{
    xdotool mousemove_relative -- "$nudge_direction" 0 2> /dev/null || true
    nudge_direction=$((-nudge_direction))
}

# Waits (up to $1 seconds) until the command given after it succeeds.
wait_for()
{
    local limit="$1"
    shift
    local end=$((SECONDS + limit))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        nudge
        sleep 0.1
    done
}

logged() { [ -f "$log" ] && grep -qF -- "$1" "$log"; }
count_logged() { [ -f "$log" ] && grep -cF -- "$1" "$log" || echo 0; }

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
    "$close_window" --hold > "$work/holder.txt" &
    holder=$!
    wait_for 10 grep -q holding "$work/holder.txt" || fail "could not hold the display"

    "$PROGRAM" > "$work/program.out" 2>&1 &
    pid=$!

    find_window()
    {
        for candidate in $(xdotool search --onlyvisible --name '^Stratoset 1\.1\.17' 2> /dev/null || true); do
            if xwininfo -id "$candidate" 2> /dev/null | grep -q "Width: 600"; then
                window="$candidate"
                return 0
            fi
        done
        return 1
    }
    wait_for 60 find_window || fail "no Stratoset window"
}

program_stop()
{
    "$close_window" "$window"
    wait_for 20 bash -c "! kill -0 $pid 2> /dev/null" || { import -window root "$work/stop.png"; [ -z "${DEBUG_STOP:-}" ] || { gdb -p "$pid" -batch -ex "thread apply all bt 25"; echo "window $window"; xwininfo -root -tree; } > "$work/stop-bt.txt" 2>&1; fail "the program did not quit when its window was closed"; }
    wait "$pid" || fail "the program ended with an error"
    pid=""
}

# Clicks the window at (x, y) of its 600 x 400 content.
click_at() { xdotool mousemove --window "$window" "$1" "$2" click 1; }

# The question box (JUCE gives it the title " "), answered with its first
# button ("yes") or its second ("no"), clicked as a user would: the two
# buttons sit side by side, centred near the bottom of the box.
question=""
question_open()
{
    question="$(xdotool search --onlyvisible --name '^ $' 2> /dev/null | head -n 1 || true)"
    [ -n "$question" ]
}
answer()
{
    wait_for 30 question_open || fail "no question box"
    sleep 0.3
    local width height x
    width="$(xwininfo -id "$question" | awk '/Width:/ {print $2}')"
    height="$(xwininfo -id "$question" | awk '/Height:/ {print $2}')"
    if [ "$1" = yes ]; then x=$((width / 2 - 35)); else x=$((width / 2 + 35)); fi
    xdotool mousemove --window "$question" "$x" $((height - 53)) click 1
    wait_for 10 bash -c "! xdotool search --onlyvisible --name '^ \$' > /dev/null 2>&1" || { import -window root "$work/question.png"; fail "the question box stayed open"; }
}
