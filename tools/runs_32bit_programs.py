#!/usr/bin/env python3
"""Tells whether this machine's kernel runs 32-bit x86 programs.

Some kernels run 64-bit user code only (IA-32 emulation off): every 32-bit
program, Wine's 32-bit loader among them, then fails with "Exec format
error". The test is to run one: a smallest static i386 ELF program, made
here, that only calls exit(0). Needs nothing installed.

Exit status 0 and "yes" when it runs, 1 and "no: <reason>" when it does not.
"""

import os
import struct
import subprocess
import sys
import tempfile

LOAD_ADDRESS = 0x08048000
HEADER_SIZE = 52
PROGRAM_HEADER_SIZE = 32

# mov eax, 1 (exit); xor ebx, ebx (status 0); int 0x80
CODE = bytes([0xB8, 0x01, 0x00, 0x00, 0x00, 0x31, 0xDB, 0xCD, 0x80])


def smallest_i386_program():
    size = HEADER_SIZE + PROGRAM_HEADER_SIZE + len(CODE)
    header = struct.pack(
        "<4sBBBB8xHHIIIIIHHHHHH",
        b"\x7fELF", 1, 1, 1, 0,  # 32-bit, little-endian, version 1, System V
        2, 3, 1,  # an executable, for Intel 80386, version 1
        LOAD_ADDRESS + HEADER_SIZE + PROGRAM_HEADER_SIZE,  # entry point
        HEADER_SIZE, 0, 0,  # program headers, no section headers, no flags
        HEADER_SIZE, PROGRAM_HEADER_SIZE, 1, 0, 0, 0)
    program_header = struct.pack(
        "<IIIIIIII",
        1, 0, LOAD_ADDRESS, LOAD_ADDRESS,  # one loadable segment: the whole file
        size, size, 5, 0x1000)  # readable and executable
    return header + program_header + CODE


def main():
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "exit0-i386")
        with open(path, "wb") as program:
            program.write(smallest_i386_program())
        os.chmod(path, 0o755)
        try:
            status = subprocess.run([path], timeout=20).returncode
        except OSError as error:
            print("no: %s" % error.strerror)
            return 1
        except subprocess.TimeoutExpired:
            print("no: a 32-bit program did not end")
            return 1
    if status != 0:
        print("no: a 32-bit program that exits with 0 ended with %d" % status)
        return 1
    print("yes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
