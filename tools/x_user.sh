#!/usr/bin/env bash
# Playing the user's part on an X display (Xvfb): waiting, finding the
# program's window, clicking, answering its question boxes. Sourced by the
# demo and the whole-program tests; they define fail() and $log (the run log).

# JUCE reads X events only when the X connection has new data; events that
# an Xlib round trip of the program already took into its queue wait for the
# next one. A real desktop has a steady trickle of events; a bare Xvfb does
# not, so every wait gives one: a one-pixel move of the pointer.
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

# JUCE takes part in the window manager's close protocol only when its atoms
# exist; on a bare Xvfb a holder creates them and keeps the display alive.
# Sets $holder. $1: the x11_close_window program, $2: a scratch file.
hold_display()
{
    "$1" --hold > "$2" &
    holder=$!
    wait_for 10 grep -q holding "$2" || fail "could not hold the display"
}

# Ends the program ($pid) and the display holder ($holder) where they run.
stop_program_and_holder()
{
    local p
    for p in ${pid:-} ${holder:-}; do
        kill "$p" 2> /dev/null || true
    done
}

# Sets $window to the program's 600 x 400 window once it is shown and has
# stayed: JUCE may replace a window's first X window by another as it sets
# the window up, and the first one's id is then no longer valid.
# A window already known (one of the ids in $known_windows) is passed over.
window=""
known_windows=""
find_window()
{
    local candidate
    for candidate in $(xdotool search --onlyvisible --name '^Stratoset 1\.1\.17' 2> /dev/null || true); do
        case " $known_windows " in *" $candidate "*) continue ;; esac
        if xwininfo -id "$candidate" 2> /dev/null | grep -q "Width: 600"; then
            sleep 0.5
            xwininfo -id "$candidate" > /dev/null 2>&1 || continue
            window="$candidate"
            return 0
        fi
    done
    return 1
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
    wait_for 10 bash -c "! xdotool search --onlyvisible --name '^ \$' > /dev/null 2>&1" || fail "the question box stayed open"
}
