#!/usr/bin/env python3
"""The real viewer on the GTK backend, in a virtual X display without a window manager,
with views narrower than its menu bar: a 16 x 16 view, then a typed name that loads
nothing, then a normal view. The window stays as wide as its menu bar, whose three
menus show whole; the client area is as high as the picture, which is drawn at the top
left on the form's colour; the normal view gives the window its own size again.

    narrow_window_scenario.py --viewer PATH --artifacts FOLDER

Screenshots and the display's log go to the artifacts folder."""

import subprocess
import sys

from desktop_driver import WAIT_SECONDS, near, play_scenario, viewer_options, wait_until
from viewer_steps import (FILE_DIALOG, JPEG_TOLERANCE, MAIN_WINDOW, ViewerSteps, driven_display, menu_bar_items,
                          open_typed, play_viewer)

FORM_COLOUR = (246, 245, 244)  # clBtnFace: the window background of the desktop's theme (Adwaita)
SMALL = (16, 16, (220, 30, 30))
LARGE = (320, 200, (30, 30, 220))


def write_view(path, width, height, colour):
    subprocess.run(["convert", "-size", f"{width}x{height}", "xc:rgb(%d,%d,%d)" % colour, "-quality", "95",
                    str(path)], check=True, timeout=WAIT_SECONDS)


class Scenario(ViewerSteps):
    def open_by_menu(self, path):
        """Fichier, Ouvrir from the keyboard, then the name typed in the dialog."""
        self.driver.wait_focused(self.window)
        self.driver.key("F10", "Down", "Return")
        self.driver.focused_window(FILE_DIALOG)
        open_typed(self.driver, path)

    def check_narrow(self, name, client_height, colour):
        """The window is wider than the picture, its three menus whole; the client area is
        `client_height` high, the picture (if any) at its top left, the rest in the form's
        colour."""
        def settled():
            x, y, width, height = self.driver.window_geometry(self.window)
            return width > 60 and height > client_height and (x, y, width, height)
        wait_until(settled, "the window to keep the width of its menu bar")
        x, y, width, height = self.driver.window_geometry(self.window)
        bar_height = height - client_height
        shot = self.screenshot(name)
        items = menu_bar_items(shot, x, y, width, bar_height, widest_blank=6)
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
        self.window = self.driver.find_window(MAIN_WINDOW)
        self.driver.focused_window(FILE_DIALOG)
        open_typed(self.driver, self.series / "petit1.jpg")
        narrow = self.check_narrow("small-view", SMALL[1], SMALL[2])

        self.step("a typed name that loads nothing: no client height, the same width")
        self.open_by_menu(self.series / "absent1.jpg")
        wait_until(lambda: self.driver.window_geometry(self.window)[3] < 40, "the client area to lose its height")
        self.expect(self.check_narrow("missing-view", 0, None) == narrow, "the width changed without a picture")

        self.step("a normal view gives the window its size")
        self.open_by_menu(self.series / "grand1.jpg")
        wait_until(lambda: self.driver.window_geometry(self.window)[2] == LARGE[0],
                   f"the window to be {LARGE[0]} wide")
        x, y, width, height = self.driver.window_geometry(self.window)
        shot = self.screenshot("large-view")
        corner = shot.pixel(x + LARGE[0] - 3, y + height - 3)
        self.expect(near(corner, LARGE[2], JPEG_TOLERANCE), f"the large view's corner is {corner}")

        self.step("Escape ends the viewer with status 0")
        self.end_by_escape("the viewer")


def main():
    options = viewer_options(__doc__)

    def play(report):
        with driven_display("x11", options.artifacts) as driver, driver.working_folder("orvalis-narrow-") as folder:
            write_view(folder / "petit1.jpg", *SMALL)
            write_view(folder / "grand1.jpg", *LARGE)
            play_viewer(report, driver, options, folder,
                        lambda viewer: Scenario(driver, viewer, options.artifacts, folder))
    return play_scenario(play, "narrow window scenario", options.artifacts)


if __name__ == "__main__":
    sys.exit(main())
