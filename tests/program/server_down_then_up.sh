#!/usr/bin/env bash
# The server is down at start: the program retries the list on every tick
# (showing "Server error") until the server answers, then says it has
# reconnected once and shows the connected device.
source "$(dirname "${BASH_SOURCE[0]}")/world.sh"

world_make
program_start

wait_for 30 bash -c "[ \$(grep -cF 'MainComponent > Failed to download XML file: ' '$log' 2> /dev/null || echo 0) -ge 3 ]" \
    || fail "the list was not retried while the server was down"
logged "reconnected!" && fail "reconnected without a server"
logged "got device PID" && fail "devices offered without a list"

server_start
wait_for 30 logged "<MainComponent::timerCallback> reconnected!" || fail "no reconnection once the server answered"
wait_for 30 logged "<MainComponent> got device PID: 0x0104" || fail "the QX4 was not offered after the reconnection"
logged "MainComponent > XML file: http://127.0.0.1:$PORT/list_20260509_1.1.16.xml successfully downloaded to " || fail "no download line"

sleep 2
[ "$(count_logged "reconnected!")" = 1 ] || fail "reconnected more than once"

program_stop
"$top/tools/check_run_log.py" "$log" --runs 1 || fail "run log"
echo "retried while down, reconnected once, then offered the QX4"
