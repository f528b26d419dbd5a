#!/usr/bin/env bash
# A download outlives the copy that began it: killed (kill -9) halfway, the
# same package asked for again goes on from the ranges kept on disk; a
# package replaced on the server in between is downloaded anew, never mixed;
# nothing is left once it is installed. And a disk too small for the
# download is found out before anything is asked of the server.
source "$(dirname "${BASH_SOURCE[0]}")/world.sh"

world_make --package-mib 48
server_start 256k # eight ranges of 6 MiB at 256 KiB/s each: some 24 s
PROBE="${PROBE:-$default_probe}"
work_root="$STRATOSET_SIMULATED_HOST/Temp/VelmoraTmp"
store="$work_root/downloads"
package="$served/tesselmax/TesselMax 2.1.zip"
installed_line="<MainComponent::changeListenerCallback> Installed"
small_volume=""
trap '[ -z "$small_volume" ] || umount -l "$small_volume" 2> /dev/null || true; world_cleanup' EXIT

kept_bytes() { find "$store" -name 'range_*' -printf '%s\n' 2> /dev/null | awk '{ s += $1 } END { print s + 0 }'; }
# Bytes of the package the server sent, from line $1 of its log on.
served_bytes() { tail -n "+$1" "$work/nginx/access.log" | grep -F 'TesselMax' | awk '{ s += $NF } END { print s + 0 }'; }
log_lines() { wc -l < "$work/nginx/access.log"; }
start_and_ask()
{
    stall_figures="$work/stall-$1.txt"
    program_start
    wait_for 30 logged "<InterfaceComponent::updateButtons> found: " || fail "the QX4 was not offered"
    click_at 90 305
}
install_finishes()
{
    local before
    before="$(grep -cF "$installed_line" "$log" || true)"
    wait_for 90 bash -c "[ \"\$(grep -cF '$installed_line' '$log')\" -gt $before ]" || fail "not installed"
    cmp -s "$package" "$(find "$work_root" -path '*/copy-*' -name 'TesselMax*2.1.zip' | head -n 1)" || fail "the installed package is not the server's"
    answer no
    program_stop
    assert_no_stall 1000
    [ ! -e "$work_root" ] || fail "left behind after the installation: $(find "$work_root" | head)"
}

# Killed halfway, then asked again: it goes on where it stood.
size="$(stat -c %s "$package")"
first_line=1
start_and_ask killed
wait_for 60 bash -c "[ \$(find '$store' -name 'range_*' -printf '%s\n' 2> /dev/null | awk '{ s += \$1 } END { print s + 0 }') -ge $((size / 2)) ]" || fail "the download did not get halfway"
kill -9 "$pid"
wait "$pid" 2> /dev/null || true
pid=""
[ -f "$store"/*/record.json ] || fail "no record of the download was kept"

start_and_ask resumed
wait_for 10 logged "<WorkFolder> Removing the work folder of a copy that has ended" || fail "the killed copy's folder was not removed"
wait_for 10 logged "<ChunkedDownloader> Going on from " || fail "the download did not go on from the kept ranges"
install_finishes
total="$(served_bytes "$first_line")"
echo "served after a kill at half: $total bytes for a package of $size"
[ "$total" -lt $((size * 11 / 10)) ] || fail "the server sent $total bytes for a package of $size"

# Stopped, the package replaced on the server, asked again: the new one whole.
start_and_ask closed
wait_for 60 bash -c "[ \$(find '$store' -name 'range_*' -printf '%s\n' 2> /dev/null | awk '{ s += \$1 } END { print s + 0 }') -ge $((size / 10)) ]" || fail "the download did not get a tenth of the way"
program_stop
[ "$(kept_bytes)" -gt 0 ] || fail "closing the window did not keep the download"
python3 - "$package" "$top/tools/fake_installer.py" << 'PY'
import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as archive:
    archive.write(sys.argv[2], "Tessel Max 2.1/QX4 Tessel Max Setup.success.exe")
    archive.writestr("Tessel Max 2.1/other build.bin", os.urandom(4 * 1024 * 1024))
PY
start_and_ask replaced
wait_for 10 logged "<ChunkedDownloader> The kept part of the download is of another build of the file, starting anew" || fail "the kept ranges of the old build were not dropped"
install_finishes

# Too little room: told at once, with the room needed and where; no range asked for.
small_volume="$work_root"
mkdir -p "$small_volume"
if mount -t tmpfs -o size=4m stratoset-test "$small_volume" 2> /dev/null; then
    lines="$(log_lines)"
    start_and_ask small
    wait_for 10 logged "<DownloadMonitor::timerCallback> Not enough disk space: " || fail "the small disk was not found out"
    logged "bytes needed on $small_volume" || fail "the message does not name the volume"
    sleep 1
    tail -n "+$((lines + 1))" "$work/nginx/access.log" | grep -q '"bytes=' && fail "a range was asked for although the disk is too small"
    program_stop
    assert_no_stall 1000
    umount -l "$small_volume"
    small_volume=""
else
    echo "skipped the small disk: mounting a tmpfs is not permitted here"
fi
echo "a killed download went on from its ranges, a replaced package came anew, a small disk was found out first"
