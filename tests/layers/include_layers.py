#!/usr/bin/env python3
"""Checks that the program's includes point down the library graph.

    include_layers.py <src folder> <library list>

The library list (written by tests/CMakeLists.txt) has one line per library,
lowest layer first: its rank, its name and its sources separated by ";".
Libraries of equal rank do not use each other. A file belongs to the library
that compiles it, a header to the library of its .cpp; a header without one
to the library its folder stands for. Every .cpp outside src/platform
(whose other system's folder no build here compiles) and the programs' own
src/app/Main.cpp must be in a list. Prints each include that points up or
sideways and each source that no library compiles; exits with 1 if there
is any.
"""

import os
import re
import sys

FOLDER_LIBRARIES = {
    "platform": "stratoset_platform",
    "base": "stratoset_base",
    "devices": "stratoset_engine",
    "download": "stratoset_engine",
    "core": "stratoset_gui",
    "ui": "stratoset_gui",
    "app": "stratoset_gui",
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def read_libraries(path):
    ranks, owners = {}, {}
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            if not line.strip():
                continue
            rank, name, sources = line.rstrip("\n").split(" ", 2)
            ranks[name] = int(rank)
            for source in filter(None, sources.split(";")):
                owners[os.path.normpath(source)] = name
    return ranks, owners


def main():
    src, library_list = sys.argv[1], sys.argv[2]
    ranks, owners = read_libraries(library_list)
    top = os.path.dirname(os.path.abspath(src))
    problems = []

    def library_of(relative):  # relative to src/
        path = os.path.join("src", relative)
        stem, extension = os.path.splitext(path)
        for candidate in (path, stem + ".cpp"):
            if candidate in owners:
                return owners[candidate]
        return FOLDER_LIBRARIES.get(relative.split("/")[0])

    for folder, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            relative = os.path.relpath(os.path.join(folder, name), src).replace(os.sep, "/")
            path = os.path.join("src", relative)
            if name.endswith(".cpp") and path not in owners and not relative.startswith("platform/") and relative != "app/Main.cpp":
                problems.append(f"{path} is in no library's list")
            own = library_of(relative)
            with open(os.path.join(top, path), encoding="utf-8") as text:
                for included in INCLUDE.findall(text.read()):
                    other = library_of(included)
                    if other is None or other == own or own is None:
                        continue
                    if ranks[other] >= ranks[own]:
                        problems.append(f"{path} ({own}) includes {included} ({other})")

    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
