#!/usr/bin/env python3
"""Download benchmark: the same file from nginx on 127.0.0.1, fetched by
ChunkedDownloader (8 chunks), by one JUCE stream, by curl and by
aria2c -x8 -s8 -k1M, unthrottled and with nginx's per-connection rate limit.

    tools/download_benchmark.py [--sizes 16,256] [--runs 3] [--build build/release]

Builds the release configuration if its download_benchmark program is
missing. Prints the throughput of each downloader, its ratio against aria2c
and against curl (unthrottled) or the link limit (throttled: 8 times the
per-connection rate), and the peak memory (resident set) of its process.

The rate limit is chosen per file so that every range of 8 takes about 8 s:
nginx lets each request send about one second's worth at once, and ranges
many times larger than the per-second rate keep that burst small against the
whole. Every 8-connection downloader fetches the same 8 ranges, so they are
compared on the same piece size.
"""

import argparse
import filecmp
import os
import shutil
import subprocess
import sys
import tempfile
import time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MiB = 1024 * 1024


def run_measured(command, env):
    """Runs one downloader; returns (seconds, peak resident MiB of its process).

    GNU time starts it: a child forked from this Python process would count
    Python's own memory in its peak.
    """
    with tempfile.NamedTemporaryFile("r") as report:
        start = time.monotonic()
        process = subprocess.run(["/usr/bin/time", "-q", "-f", "%M", "-o", report.name] + command,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
        seconds = time.monotonic() - start
        if process.returncode != 0:
            raise RuntimeError("%s failed: %s" % (command[0], process.stderr.decode(errors="replace").strip()[-500:]))
        peak_kib = int(report.read().split()[-1])
    return seconds, peak_kib / 1024.0


class Nginx:
    def __init__(self, root, work, rate=None):
        self.work = work
        command = [os.path.join(TOP, "tools", "loopback_nginx.sh"), "start", root, work]
        if rate:
            command.append(rate)
        self.port = int(subprocess.check_output(command).decode().strip())

    def url(self, name):
        return "http://127.0.0.1:%d/%s" % (self.port, name)

    def request_count(self):
        with open(os.path.join(self.work, "access.log")) as f:
            return sum(1 for _ in f)

    def stop(self):
        subprocess.call([os.path.join(TOP, "tools", "loopback_nginx.sh"), "stop", self.work])


def downloaders(program, temporary):
    env = dict(os.environ, TMPDIR=temporary)
    return [
        ("ChunkedDownloader x8", lambda url, out: [program, "chunked", url, out, "8"], env),
        ("JUCE stream", lambda url, out: [program, "stream", url, out], env),
        ("curl", lambda url, out: ["curl", "-s", "-f", "-o", out, url], env),
        ("aria2c -x8 -s8 -k1M", lambda url, out: ["aria2c", "-x8", "-s8", "-k1M", "-q", "--allow-overwrite=true",
                                                   "--auto-file-renaming=false", "-d", os.path.dirname(out),
                                                   "-o", os.path.basename(out), url], env),
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--sizes", default="16,256", help="file sizes in MiB, comma-separated")
    parser.add_argument("--runs", type=int, default=3,
                        help="runs per downloader, the median counts (one for one connection under the limit)")
    parser.add_argument("--build", default=os.path.join(TOP, "build", "release"))
    parser.add_argument("--skip-throttled-single", action="store_true",
                        help="leave out the one-connection downloaders in the throttled runs (8 times slower)")
    args = parser.parse_args()

    program = os.path.join(args.build, "tools", "download_benchmark")
    if not os.path.exists(program):
        subprocess.check_call([os.path.join(TOP, "scripts", "build.sh"), "release"])

    for tool in ("curl", "aria2c", "/usr/sbin/nginx", "/usr/bin/time"):
        if shutil.which(tool) is None:
            sys.exit("%s is missing: run scripts/setup.sh" % tool)

    work = tempfile.mkdtemp(prefix="stratoset-benchmark-", dir=os.path.join(TOP, "build"))
    root = os.path.join(work, "www")
    out_dir = os.path.join(work, "out")
    temporary = os.path.join(work, "tmp")
    for folder in (root, out_dir, temporary):
        os.makedirs(folder)

    rows = []
    try:
        for size_mib in [int(s) for s in args.sizes.split(",")]:
            name = "file%d.bin" % size_mib
            source = os.path.join(root, name)
            with open(source, "wb") as f:
                for _ in range(size_mib):
                    f.write(os.urandom(MiB))

            rate_kib = size_mib * 1024 // 64
            for throttled in (False, True):
                rate = "%dk" % rate_kib if throttled else None
                server = Nginx(root, os.path.join(work, "nginx-%d-%s" % (size_mib, rate or "free")), rate)
                try:
                    results = {}
                    for label, command, env in downloaders(program, temporary):
                        single = label in ("JUCE stream", "curl")
                        if throttled and single and args.skip_throttled_single:
                            continue
                        # The one-connection downloaders take 8 times as long when throttled
                        # and only show the limit itself: one run of them is enough.
                        runs = 1 if throttled and single else args.runs
                        times, peaks, requests = [], [], []
                        for _ in range(runs):
                            out = os.path.join(out_dir, name)
                            if os.path.exists(out):
                                os.remove(out)
                            before = server.request_count()
                            seconds, peak = run_measured(command(server.url(name), out), env)
                            requests.append(server.request_count() - before)
                            if not filecmp.cmp(source, out, shallow=False):
                                raise RuntimeError("%s fetched a different file" % label)
                            times.append(seconds)
                            peaks.append(peak)
                        seconds = sorted(times)[len(times) // 2]
                        results[label] = (seconds, max(peaks), max(requests))
                        print("  %-22s %4d MiB %-11s %7.3f s" % (label, size_mib, rate or "unthrottled", seconds), flush=True)
                    rows.append((size_mib, rate, rate_kib, results))
                finally:
                    server.stop()
            os.remove(source)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    print()
    print("%-22s %6s %-12s %9s %10s %9s %12s %9s %9s" % ("downloader", "MiB", "limit", "seconds", "MiB/s", "x aria2c", "x curl/link", "requests", "peak MiB"))
    verdicts = []
    for size_mib, rate, rate_kib, results in rows:
        aria = results.get("aria2c -x8 -s8 -k1M")
        curl = results.get("curl")
        link = 8 * rate_kib / 1024.0 if rate else None
        for label, (seconds, peak, requests) in results.items():
            speed = size_mib / seconds
            vs_aria = speed / (size_mib / aria[0]) if aria else float("nan")
            if rate:
                vs_other = speed / link
            else:
                vs_other = speed / (size_mib / curl[0]) if curl else float("nan")
            print("%-22s %6d %-12s %9.3f %10.1f %9.2f %12.2f %9d %9.1f" % (
                label, size_mib, ("%s/conn" % rate) if rate else "none", seconds, speed, vs_aria, vs_other, requests, peak))
            if label.startswith("ChunkedDownloader"):
                if rate:
                    verdicts.append("%d MiB throttled: %.2f x link limit (target 0.9), %.2f x aria2c (target 1.0)" % (size_mib, vs_other, vs_aria))
                else:
                    verdicts.append("%d MiB unthrottled: %.2f x curl (target 0.8)" % (size_mib, vs_other))
    print()
    print("ChunkedDownloader against the targets:")
    for verdict in verdicts:
        print("  " + verdict)


if __name__ == "__main__":
    main()
