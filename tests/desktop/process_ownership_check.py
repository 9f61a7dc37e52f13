#!/usr/bin/env python3
"""The desktop tests' own promise that they leave no program running: a program started
with desktop_driver.start_program does not outlive the test that started it, whether the
test is killed (as CTest's timeout kills it) or ends without ending the program (then
programs_left() names it and ends it). As root, the same for a program run as the
unprivileged user of the Wayland tests.

    process_ownership_check.py

The test under test is this script again (--as-test CASE): it starts a long sleep,
prints its process number, then waits to be killed or ends."""

import contextlib
import os
import pwd
import signal
import subprocess
import sys

from check_outcome import argument_parser, outcome
from desktop_driver import WAIT_SECONDS, Failure, programs_left, start_program, wait_until
from wayland_driver import TEST_USER


def credentials(user):
    if not user:
        return []
    entry = pwd.getpwnam(user)
    return [f"--reuid={entry.pw_uid}", f"--regid={entry.pw_gid}", "--init-groups"]


def as_test(case, user):
    program = start_program(["sleep", "600"], credentials(user))
    print(program.pid, flush=True)
    if case == "killed":
        signal.pause()
    left = programs_left()
    print("left: " + "; ".join(left), flush=True)
    return 0


def running(pid):
    """Whether the process runs (a zombie waiting for its parent has ended)."""
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
    except FileNotFoundError:
        return False


def play(case, user):
    """The problems found when a test of `case` started a program as `user`."""
    argv = [sys.executable, __file__, "--as-test", case] + (["--user", user] if user else [])
    test = subprocess.Popen(argv, stdout=subprocess.PIPE, text=True, process_group=0)
    try:
        pid = int(test.stdout.readline())
        if case == "killed":
            if not running(pid):
                return [f"{case}: the program did not start"]
            test.kill()
            test.wait()
        else:
            said = test.stdout.readline().strip()
            test.wait(timeout=WAIT_SECONDS)
            if said != "left: sleep 600":
                return [f"{case}: programs_left() said {said!r}, not that the sleep was left"]
        wait_until(lambda: not running(pid), f"the program of a test that {case} to end")
        return []
    except Failure as failure:
        with contextlib.suppress(ProcessLookupError):
            os.kill(pid, signal.SIGKILL)
        return [f"{case} as {user or 'ourselves'}: {failure}"]
    finally:
        if test.poll() is None:
            test.kill()
            test.wait()


def main():
    parser = argument_parser(__doc__)
    parser.add_argument("--as-test", choices=("killed", "ended"))
    parser.add_argument("--user")
    options = parser.parse_args()
    if options.as_test:
        return as_test(options.as_test, options.user)
    users = [None, TEST_USER] if os.geteuid() == 0 else [None]
    problems = [problem for case in ("killed", "ended") for user in users for problem in play(case, user)]
    return outcome(problems, "process ownership: no program outlives the test that started it")


if __name__ == "__main__":
    sys.exit(main())
