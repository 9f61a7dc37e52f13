#!/usr/bin/env python3
"""Runs a program in a virtual X display of its own (Xvfb without a window manager) and
ends with the program's status:  run_in_xvfb.py PROGRAM [ARGUMENT...]

CTest runs the desktop backend's GoogleTest binary through this (its emulator). Listing
the tests (--gtest_list_tests) needs no display and runs the program directly. The
program and the display end with this script, even when it is killed."""

import subprocess
import sys

from desktop_driver import Failure, VirtualDisplay, programs_left, start_program


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    if "--gtest_list_tests" in argv:
        return subprocess.run(argv[1:]).returncode
    try:
        with VirtualDisplay() as display:
            program = start_program(argv[1:], env=display.env)
            status = program.wait()
    except Failure as failure:
        print(f"run_in_xvfb: {failure}", file=sys.stderr)
        return 1
    left = programs_left()
    if left:
        print("run_in_xvfb: still running after the test: " + "; ".join(left), file=sys.stderr)
        return 1
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
