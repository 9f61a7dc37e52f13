#!/usr/bin/env python3
"""The real viewer on the desktop backend, in a virtual X display, for the benchmarks:
what the headless harness cannot see (GTK's own buffers, the X connection).

    desktop_viewer.py peak VIEWER FOLDER    opens FOLDER/vue1.jpg, shows view 1 then
                                            view 2 by keys; prints the peak resident
                                            size in bytes (VmHWM) before Escape
    desktop_viewer.py exit VIEWER FILE      opens FILE; prints the seconds from Escape
                                            to the end of the program

The views must be large enough that the window takes their size; nothing is checked but
the captions, which say each view was shown."""

import pathlib
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "desktop"))
sys.dont_write_bytecode = True

from desktop_driver import (Failure, Program, VirtualDisplay, find_window, key, type_text,  # noqa: E402
                            wait_focused, wait_until, window_geometry, window_name)

MAIN_WINDOW = r"^(Orvalis|Fichier .*)$"
FILE_DIALOG = r"^Ouverture d'une liste de vues de perspectives$"
# A large view takes a while to decode in a loaded machine.
VIEW_SECONDS = 60.0


def peak_resident_bytes(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) * 1024
    raise Failure("no VmHWM for the viewer")


def open_file(display, program, path):
    window = find_window(display.env, MAIN_WINDOW, timeout=VIEW_SECONDS)
    wait_focused(display.env, find_window(display.env, FILE_DIALOG, timeout=VIEW_SECONDS))
    type_text(display.env, str(path))
    key(display.env, "Return")
    return window


def wait_caption(display, window, number):
    wait_until(lambda: window_name(display.env, window).endswith(f"vue n° {number}"), f"view {number}",
               timeout=VIEW_SECONDS)


def main(mode, viewer, target):
    with VirtualDisplay() as display:
        work = pathlib.Path(target).resolve()
        program = Program([viewer], display.env, cwd=str(work if mode == "peak" else work.parent))
        try:
            if mode == "peak":
                window = open_file(display, program, work / "vue1.jpg")
                # Each key is an advance: view 1 again, then view 2, each waited for.
                for number in (1, 2):
                    wait_focused(display.env, window)
                    key(display.env, "space")
                    wait_caption(display, window, number)
                time.sleep(0.5)  # the paint of view 2 and the preparation of view 3
                print(peak_resident_bytes(program.process.pid))
                key(display.env, "Escape")
                program.wait_exit(timeout=VIEW_SECONDS)
            else:
                window = open_file(display, program, work)
                # The window takes the view's size (688 wide before, as its form says).
                wait_until(lambda: window_geometry(display.env, window)[2] != 688, "the view shown",
                           timeout=VIEW_SECONDS)
                wait_focused(display.env, window)
                time.sleep(2.0)  # its paint, and GTK's own redraw of the new size in the X server
                start = time.monotonic()
                key(display.env, "Escape")
                program.wait_exit(timeout=VIEW_SECONDS)
                print(f"{time.monotonic() - start:.4f}")
        finally:
            program.stop()


if __name__ == "__main__":
    if len(sys.argv) != 4 or sys.argv[1] not in ("peak", "exit"):
        sys.exit(__doc__)
    main(*sys.argv[1:])
