#!/usr/bin/env python3
"""Runs a program in a virtual X display of its own (Xvfb without a window manager) and
ends with the program's status:  run_in_xvfb.py PROGRAM [ARGUMENT...]

CTest runs the desktop backend's GoogleTest binary through this (its emulator). Listing
the tests (--gtest_list_tests) needs no display and runs the program directly."""

import subprocess
import sys

from desktop_driver import Failure, VirtualDisplay


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    if "--gtest_list_tests" in argv:
        return subprocess.run(argv[1:]).returncode
    try:
        with VirtualDisplay() as display:
            return subprocess.run(argv[1:], env=display.env).returncode
    except Failure as failure:
        print(f"run_in_xvfb: {failure}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
