#!/usr/bin/env bash
# The demo world's package can be larger than what fits in one piece of
# random data (256 MiB): the demo and the benchmarks use packages of any size.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 "$top/tools/make_demo_world.py" --package-mib 260 "$work/served" "$work/host" > /dev/null
package="$work/served/tesselmax/TesselMax 2.1.zip"
size=$(stat -c %s "$package")
[ "$size" -gt $((260 * 1024 * 1024)) ] || { echo "FAIL: the package has $size bytes" >&2; exit 1; }
python3 -c 'import sys, zipfile; sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() is not None)' "$package" || { echo "FAIL: the package is not a sound ZIP archive" >&2; exit 1; }
echo "a package of $size bytes, sound"
