#!/usr/bin/env python3
"""The real viewer on the GTK backend, in a virtual X display without a window manager,
with views narrower than its menu bar: a 16 x 16 view, then a typed name that loads
nothing, then a normal view. The window stays as wide as its menu bar, whose three
menus show whole; the client area is as high as the picture, which is drawn at the top
left on the form's colour; the normal view gives the window its own size again.

    narrow_window_scenario.py --viewer PATH --artifacts FOLDER

Screenshots and the display's log go to the artifacts folder."""

import argparse
import pathlib
import subprocess
import sys
import tempfile

from desktop_driver import (WAIT_SECONDS, Failure, Program, Steps, VirtualDisplay, find_window, key, near,
                            type_text, wait_focused, wait_until, window_exists, window_geometry)

MAIN_WINDOW = r"^(Orvalis|Fichier .*)$"
FILE_DIALOG = r"^Ouverture d'une liste de vues de perspectives$"
FORM_COLOUR = (240, 240, 240)  # clBtnFace
SMALL = (16, 16, (220, 30, 30))
LARGE = (320, 200, (30, 30, 220))
JPEG_TOLERANCE = 12


def write_view(path, width, height, colour):
    subprocess.run(["convert", "-size", f"{width}x{height}", "xc:rgb(%d,%d,%d)" % colour, "-quality", "95",
                    str(path)], check=True, timeout=WAIT_SECONDS)


class Scenario(Steps):
    def __init__(self, display, viewer, artifacts, folder):
        super().__init__(display.env, artifacts)
        self.viewer = viewer
        self.folder = folder

    def open_by_menu(self, path):
        """Fichier, Ouvrir from the keyboard, then the name typed in the dialog."""
        wait_focused(self.env, self.window)
        key(self.env, "F10", "Down", "Return")
        dialog = find_window(self.env, FILE_DIALOG)
        wait_focused(self.env, dialog)
        self.type_in_dialog(path)

    def type_in_dialog(self, path):
        type_text(self.env, str(path))
        key(self.env, "Return")
        wait_until(lambda: not window_exists(self.env, FILE_DIALOG), "the file dialog to go")

    def menu_items(self, shot, bar_height):
        """The runs of dark text in the menu bar, as (left, right) columns of the window,
        apart by more than a blank."""
        x, y, width, _ = window_geometry(self.env, self.window)
        inked = sorted({column for column in range(width) for row in range(bar_height)
                        if sum(shot.pixel(x + column, y + row)) < 3 * 110})
        items = []
        for column in inked:
            if items and column - items[-1][1] <= 6:
                items[-1][1] = column
            else:
                items.append([column, column])
        return items

    def check_narrow(self, name, client_height, colour):
        """The window is wider than the picture, its three menus whole; the client area is
        `client_height` high, the picture (if any) at its top left, the rest in the form's
        colour."""
        def settled():
            x, y, width, height = window_geometry(self.env, self.window)
            return width > 60 and height > client_height and (x, y, width, height)
        wait_until(settled, "the window to keep the width of its menu bar")
        x, y, width, height = window_geometry(self.env, self.window)
        bar_height = height - client_height
        shot = self.screenshot(name)
        items = self.menu_items(shot, bar_height)
        self.expect(len(items) == 3, f"the menu bar shows {len(items)} runs of text, expected 3 (ink at {items})")
        self.expect(items[-1][1] < width - 3, f"the last menu ends at {items[-1][1]}, at the window's edge ({width})")
        if client_height:
            top = y + bar_height
            inside = shot.pixel(x + 8, top + client_height // 2)
            self.expect(near(inside, colour, JPEG_TOLERANCE), f"the picture's pixel is {inside}, not {colour}")
            beside = shot.pixel(x + width - 3, top + client_height // 2)
            self.expect(near(beside, FORM_COLOUR), f"right of the picture the client area is {beside}")
        return width

    def run(self):
        self.step("a 16 x 16 view typed in the first dialog: the window keeps its menu bar's width")
        self.window = find_window(self.env, MAIN_WINDOW)
        wait_focused(self.env, find_window(self.env, FILE_DIALOG))
        self.type_in_dialog(self.folder / "petit1.jpg")
        narrow = self.check_narrow("small-view", SMALL[1], SMALL[2])

        self.step("a typed name that loads nothing: no client height, the same width")
        self.open_by_menu(self.folder / "absent1.jpg")
        wait_until(lambda: window_geometry(self.env, self.window)[3] < 40, "the client area to lose its height")
        self.expect(self.check_narrow("missing-view", 0, None) == narrow, "the width changed without a picture")

        self.step("a normal view gives the window its size")
        self.open_by_menu(self.folder / "grand1.jpg")
        wait_until(lambda: window_geometry(self.env, self.window)[2] == LARGE[0], f"the window to be {LARGE[0]} wide")
        x, y, width, height = window_geometry(self.env, self.window)
        shot = self.screenshot("large-view")
        corner = shot.pixel(x + LARGE[0] - 3, y + height - 3)
        self.expect(near(corner, LARGE[2], JPEG_TOLERANCE), f"the large view's corner is {corner}")

        self.step("Escape ends the viewer with status 0")
        wait_focused(self.env, self.window)
        key(self.env, "Escape")
        status = self.viewer.wait_exit()
        self.expect(status == 0, f"the viewer ended with status {status}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--artifacts", required=True, type=pathlib.Path)
    options = parser.parse_args()
    options.viewer = str(pathlib.Path(options.viewer).resolve())
    options.artifacts.mkdir(parents=True, exist_ok=True)

    scenario = None
    viewer = None
    try:
        with tempfile.TemporaryDirectory(prefix="orvalis-narrow-") as root, \
                VirtualDisplay(log_path=options.artifacts / "xvfb.log") as display:
            folder = pathlib.Path(root)
            write_view(folder / "petit1.jpg", *SMALL)
            write_view(folder / "grand1.jpg", *LARGE)
            viewer = Program([options.viewer], display.env, cwd=folder)
            scenario = Scenario(display, viewer, options.artifacts, folder)
            scenario.play(viewer)
    except Failure as failure:
        step = scenario.step_name if scenario else "setting up"
        print(f"FAILED at \"{step}\": {failure}", file=sys.stderr)
        if viewer and viewer.errors:
            print("The viewer said on its error stream:\n" + "\n".join(viewer.errors[-20:]), file=sys.stderr)
        print(f"Screenshots: {options.artifacts}", file=sys.stderr)
        return 1
    print("narrow window scenario: every step passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
