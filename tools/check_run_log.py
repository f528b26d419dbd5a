#!/usr/bin/env python3
"""Checks a Stratoset run log (runtimeLog.txt) from the outside.

    check_run_log.py <log> [--runs N] [--max-old-bytes B] [--line TEXT ...]

The log must end with CR LF. Each run begins with its welcome block: an
empty line, 58 asterisks, "Stratoset version: 1.1.17", "Log started: ..." and
an empty line. --runs: how many welcome blocks the log must hold.
--max-old-bytes: the text before the first welcome block (older runs that
were kept) is at most that long and starts with a line break. --line: a line
that must occur exactly as given.
"""

import argparse
import sys

WELCOME = [b"", b"*" * 58, b"Stratoset version: 1.1.17"]


def fail(message):
    print("run log: " + message, file=sys.stderr)
    sys.exit(1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("log")
    parser.add_argument("--runs", type=int)
    parser.add_argument("--max-old-bytes", type=int)
    parser.add_argument("--line", action="append", default=[])
    args = parser.parse_args()

    try:
        data = open(args.log, "rb").read()
    except OSError as error:
        fail(str(error))

    if not data.endswith(b"\r\n"):
        fail("does not end with CR LF")

    marker = b"\r\n" + b"*" * 58 + b"\r\nStratoset version: 1.1.17\r\nLog started: "
    first = data.find(marker)
    if first < 0:
        fail("no welcome block")

    old, runs = data[:first], data[first:]

    # Every message ends with CR LF; a message may itself hold bare line
    # breaks (an empty message "\n" among them), which are written as they are.

    count = runs.count(marker)
    if args.runs is not None and count != args.runs:
        fail("%d welcome blocks, expected %d" % (count, args.runs))

    lines = runs.split(b"\r\n")
    for start in (i for i, line in enumerate(lines) if line == WELCOME[1]):
        block = lines[start - 1:start + 4]
        if block[:3] != WELCOME or not block[3].startswith(b"Log started: ") or block[4] != b"":
            fail("malformed welcome block: %r" % block)

    if args.max_old_bytes is not None and old:
        if len(old) > args.max_old_bytes:
            fail("%d bytes of older runs kept, at most %d allowed" % (len(old), args.max_old_bytes))
        if old[:1] not in (b"\r", b"\n"):
            fail("the kept part of older runs does not start with a line break")

    text = [line.decode("utf-8", "replace") for line in lines]
    for wanted in args.line:
        if wanted not in text:
            fail("no line %r" % wanted)


if __name__ == "__main__":
    main()
