#!/usr/bin/env python3
"""The virtual display of the desktop tests stays as it is while clients come and go, as
a desktop session's display does.

An X server left to itself resets when its last client leaves, and a program that
connects during the reset is refused: the viewer then ends with its "no display" message.
The scenarios poll for the viewer's window with one short xdotool client after another
while the viewer starts, so each poll could reset the display under it. Here one client
names the root window and leaves; the next one must still read that name.

    virtual_display_check.py
"""

import sys

from desktop_driver import Failure, VirtualDisplay, xdotool

MARK = "orvalis-display-kept"


def check():
    with VirtualDisplay(width=320, height=240) as display:
        code, out = xdotool(display.env, "search", "--maxdepth", "0", "--name", "")
        root = out.split()[0] if code == 0 and out.split() else None
        if root is None:
            raise Failure(f"xdotool did not find the root window (status {code})")
        code, _ = xdotool(display.env, "set_window", "--name", MARK, root)
        if code != 0:
            raise Failure(f"xdotool could not name the root window (status {code})")
        code, out = xdotool(display.env, "getwindowname", root)
        if out.strip() != MARK:
            raise Failure(f"the root window's name was {out.strip()!r} once the client that gave it "
                          f"{MARK!r} had left: the display reset between its clients")


def main():
    try:
        check()
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
    print("virtual display: kept between its clients")
    return 0


if __name__ == "__main__":
    sys.exit(main())
