#!/usr/bin/env python3
"""A view larger than the screen: the viewer started on it, on X11 (Xvfb of 1280 x 1024,
no window manager) or on Wayland (headless sway with a 960 x 540 output at scale 2, the
view shown one picture pixel to one device pixel). The main window fits the screen, and
its client area shows the picture's top-left part, clipped: the patch at the picture's
top-left corner at the client area's own.

    work_area_scenario.py --viewer PATH --artifacts FOLDER --display x11|wayland

Screenshots and the display's log go to the artifacts folder."""

import contextlib
import subprocess
import sys

from desktop_driver import WAIT_SECONDS, Steps, near, play_scenario, viewer_options, wait_until
from viewer_steps import MAIN_WINDOW, driven_display, play_viewer
from wayland_driver import WaylandCompositor, WaylandDriver

# Larger than both screens in device pixels: 1280 x 1024 at scale 1, 1920 x 1080 at scale 2.
PICTURE = (2600, 2200)
# The picture's top-left corner: a patch of its own colour, PATCH device pixels square, on
# a plain field; JPEG keeps flat areas within a few levels.
PATCH = 120
CORNER, FIELD = (220, 40, 40), (40, 90, 200)
TOLERANCE = 12
WAYLAND_SCREEN, WAYLAND_SCALE = (960, 540), 2


def write_picture(path):
    rgb = "rgb(%d,%d,%d)"
    subprocess.run(["convert", "-size", "%dx%d" % PICTURE, "xc:" + rgb % FIELD, "-fill", rgb % CORNER,
                    "-draw", f"rectangle 0,0 {PATCH - 1},{PATCH - 1}", "-quality", "95", str(path)],
                   check=True, timeout=WAIT_SECONDS)


class Scenario(Steps):
    def __init__(self, driver, viewer, artifacts, screen, per_unit):
        super().__init__(driver.env, artifacts, driver)
        self.viewer = viewer
        self.screen = screen
        self.patch = PATCH // per_unit  # in the layout's units

    def run(self):
        self.step("started on a view larger than the screen: its top-left part shows, clipped by the client area")
        window = self.driver.find_window(MAIN_WINDOW)
        width, height = self.screen

        def corner_shown():
            x, y, w, h = self.driver.window_geometry(window)
            shot = self.screenshot("picture")
            # Below the menu bar (and the title bar GTK draws on Wayland), the first row of the
            # patch along the window's left edge, if it is on the screen.
            rows = range(max(y, 0), min(y + h, height))
            top = next((row for row in rows if 0 <= x + 1 < width and near(shot.pixel(x + 1, row), CORNER, TOLERANCE)),
                       None)
            if top is None:
                return None
            inside = [(1, 1), (self.patch - 2, 1), (1, self.patch - 2), (self.patch - 2, self.patch - 2)]
            outside = [(self.patch + 2, 1), (1, self.patch + 2)]
            return (all(near(shot.pixel(x + px, top + py), CORNER, TOLERANCE) for px, py in inside)
                    and all(near(shot.pixel(x + px, top + py), FIELD, TOLERANCE) for px, py in outside))
        wait_until(corner_shown, "the picture's corner patch at the client area's top-left corner")

        self.step("the main window fits the screen, the picture's field to its far corner")
        x, y, w, h = self.driver.window_geometry(window)
        self.expect(x >= 0 and y >= 0 and x + w <= width and y + h <= height,
                    f"the main window ({w} x {h} at {x}, {y}) lies beyond the {width} x {height} screen")
        shot = self.screenshot("window")
        self.expect(near(shot.pixel(x + w - 2, y + h - 2), FIELD, TOLERANCE),
                    f"the window's far corner shows {shot.pixel(x + w - 2, y + h - 2)}, not the picture's field")

        self.step("Escape ends the viewer with status 0")
        self.driver.wait_focused(window)
        self.driver.key("Escape")
        status = self.viewer.wait_exit()
        self.expect(status == 0, f"the viewer ended with status {status}")


@contextlib.contextmanager
def display_of(kind, artifacts):
    """The display and its screen in units, with the device pixels per unit of a view."""
    if kind == "wayland":
        with WaylandCompositor(artifacts / "sway.log", *WAYLAND_SCREEN, WAYLAND_SCALE) as compositor:
            yield WaylandDriver(compositor), WAYLAND_SCREEN, WAYLAND_SCALE
    else:
        with driven_display("x11", artifacts) as driver:
            yield driver, (1280, 1024), 1


def main():
    options = viewer_options(__doc__, displays=True)

    def play(report):
        with display_of(options.display, options.artifacts) as (driver, screen, per_unit), \
                driver.working_folder("orvalis-grande-vue-") as folder:
            write_picture(folder / "grande.jpg")
            play_viewer(report, driver, options, folder,
                        lambda viewer: Scenario(driver, viewer, options.artifacts, screen, per_unit),
                        arguments=[str(folder / "grande.jpg")])
    return play_scenario(play, f"work area scenario ({options.display})", options.artifacts)


if __name__ == "__main__":
    sys.exit(main())
