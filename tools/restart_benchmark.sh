#!/usr/bin/env bash
# Restart benchmark: a package downloaded as the program does (8 ranges,
# kept in a download store) from nginx on 127.0.0.1, throttled; the
# downloader is killed (kill -9) when half of the package is on disk and
# started again. Prints the bytes the server sent in all relative to the
# package, and the peak disk use of the download (store and target, sampled
# every 50 ms) relative to the package.
#
#   tools/restart_benchmark.sh [MiB (64)] [per-connection rate (1m)] [build folder (build/release)]
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
mib="${1:-64}"
rate="${2:-1m}"
build="${3:-$top/build/release}"
case "$build" in /*) ;; *) build="$PWD/$build" ;; esac
program="$build/tools/download_benchmark"
[ -x "$program" ] || cmake --build "$build" -j2 --target download_benchmark > /dev/null

work="$(mktemp -d)"
trap '"$top/tools/loopback_nginx.sh" stop "$work/nginx" > /dev/null 2>&1 || true; [ -z "${downloader:-}" ] || kill -9 "$downloader" 2> /dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/www" "$work/disk"
head -c "$((mib * 1024 * 1024))" /dev/urandom > "$work/www/package.zip"
size="$(stat -c %s "$work/www/package.zip")"
port="$("$top/tools/loopback_nginx.sh" start "$work/www" "$work/nginx" "$rate")"
address="http://127.0.0.1:$port/package.zip"

peak=0
# Files may go while du counts them (the ranges as they are joined).
on_disk() { { du -sb "$work/disk" 2> /dev/null || true; } | cut -f1; }
sample() { local now; now="$(on_disk)"; [ "$now" -le "$peak" ] || peak="$now"; }

cd "$work/disk"
"$program" kept "$address" package.zip store > /dev/null 2>&1 &
downloader=$!
until [ "$(find store -name 'range_*' -printf '%s\n' 2> /dev/null | awk '{ s += $1 } END { print s + 0 }')" -ge $((size / 2)) ]; do
    kill -0 "$downloader" 2> /dev/null || { echo "the download ended before half of it was there"; exit 1; }
    sample
    sleep 0.05
done
kill -9 "$downloader"
wait "$downloader" 2> /dev/null || true

"$program" kept "$address" package.zip store > "$work/result.txt" 2>&1 &
downloader=$!
while kill -0 "$downloader" 2> /dev/null; do
    sample
    sleep 0.05
done
wait "$downloader" || { cat "$work/result.txt"; exit 1; }
downloader=""
cmp -s package.zip "$work/www/package.zip" || { echo "the package arrived changed"; exit 1; }

served="$(awk '{ s += $NF } END { print s + 0 }' "$work/nginx/access.log")"
awk -v served="$served" -v peak="$peak" -v size="$size" -v mib="$mib" -v rate="$rate" 'BEGIN {
    printf "restart at 50%% of %d MiB at %s per range: served %.3fx the package, peak disk %.3fx the package\n", mib, rate, served / size, peak / size }'
