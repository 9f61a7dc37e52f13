#!/usr/bin/env python3
"""The viewer on a high-density screen (GDK_SCALE=2), against the same viewer at scale 1,
on X11 (Xvfb) or Wayland (headless sway with an output of scale 2):

- a view shows its picture's pixels exactly, one to one on the device's pixels: the client
  area's device pixels at scale 2 are byte for byte those of the client area at scale 1
  (an enlarged or interpolated picture would differ, and be twice as large);
- the options dialog is drawn at the device's resolution: twice as large in device pixels,
  equal to the scale-1 dialog enlarged two times (pixel doubling) on its plain background,
  and different from it where text is drawn (sharper glyphs, not doubled ones); its
  up-down arrows and radio marks are drawn at the device's resolution too (some pair of
  device rows differs, where doubled units would give equal pairs);
- the message dialog's icon (the error shown for a view that is no picture) is twice as wide in device pixels at scale 2.

    scale_scenario.py --viewer PATH --artifacts FOLDER [--display x11|wayland]"""

import sys

from desktop_driver import Failure, Steps, play_scenario, viewer_options, wait_until
from viewer_steps import (FILE_DIALOG, MAIN_WINDOW, OPTIONS_DIALOG, driven_display, open_options, open_typed,
                          write_view)

# Wide enough that at scale 2 its client area is still wider than the menu bar, under which
# the window never narrows.
VIEW_SIZE = (640, 400)
# Rectangles of the options dialog (its client area, in units) where text is drawn, and
# one where nothing is: the label "Délai entre chaque vue", the buttons' captions, the
# radio group's items; and the plain background under the buttons.
TEXT_AREAS = {"the label": (8, 8, 111, 13), "OK": (36, 110, 20, 13), "Annuler": (112, 110, 44, 13),
              "Continu": (48, 56, 40, 13)}
PLAIN_AREA = (8, 132, 160, 4)
# Glyphs of the options dialog (units): the up-down control and the column of radio marks.
GLYPH_AREAS = {"the up-down arrows": (153, 8, 15, 21), "the radio marks": (32, 54, 13, 42)}
DIALOG_FACE = (246, 245, 244)  # clBtnFace: the window background of the desktop's theme (Adwaita)
MESSAGE_DIALOG = r"^Erreur$"
# A view that is no picture: opening it shows the error message dialog.
NOT_A_PICTURE = b"pas une image"
# Where the message dialog's icon stands (units from its top left), with room around it.
ICON_AREA = (0, 0, 46, 46)
# Text drawn at the device's resolution differs from doubled text in many pixels.
TEXT_DIFFERENCE = 0.08


def enlarged(rgb, width, height):
    """An image of width by height RGB pixels, enlarged two times by pixel doubling."""
    rows = []
    for y in range(height):
        row = rgb[3 * width * y:3 * width * (y + 1)]
        doubled = b"".join(row[3 * x:3 * x + 3] * 2 for x in range(width))
        rows += [doubled, doubled]
    return b"".join(rows)


def part(rgb, width, area, scale):
    """The pixels of an area (units) of an image `width` device pixels wide."""
    x, y, w, h = (value * scale for value in area)
    return b"".join(rgb[3 * (width * row + x):3 * (width * row + x + w)] for row in range(y, y + h))


def differing(a, b):
    pixels = len(a) // 3
    return sum(1 for i in range(pixels) if a[3 * i:3 * i + 3] != b[3 * i:3 * i + 3]) / max(pixels, 1)


class Run(Steps):
    """One start of the viewer at one scale: the view and the options dialog, as device
    pixels."""

    def __init__(self, driver, artifacts, viewer, folder, scale):
        super().__init__(driver.env, artifacts, driver)
        self.viewer = viewer
        self.folder = folder
        self.scale = scale

    def run(self):
        driver = self.driver
        self.step(f"scale {self.scale}: a view shows in a client area of its size in device pixels")
        window = driver.find_window(MAIN_WINDOW)
        driver.focused_window(FILE_DIALOG)
        open_typed(driver, self.folder / "vue1.jpg")
        # The layout's units: X11 counts device pixels, Wayland counts units of `scale`.
        per_unit = self.scale if driver.name == "Wayland" else 1
        width, height = VIEW_SIZE[0] // per_unit, VIEW_SIZE[1] // per_unit
        wait_until(lambda: driver.window_geometry(window)[2] == width,
                   f"the window to be {width} wide (the view's {VIEW_SIZE[0]} device pixels)")
        last = None

        def view_settled():
            # The window's height follows its width a moment later on a slow build: the
            # view is read once its place and its pixels agree in two shots.
            nonlocal last
            x, y, _, window_height = driver.window_geometry(window)
            seen = ((x, y, window_height),
                    self.screenshot(f"view-scale{self.scale}").crop(x, y + window_height - height, width, height))
            settled, last = seen == last, seen
            return seen[1] if settled else None
        self.view = wait_until(view_settled, "the view on the screen, settled")

        self.step(f"scale {self.scale}: the options dialog")
        driver.wait_focused(window)
        options = open_options(driver)
        ox, oy, ow, oh = driver.window_geometry(options)

        before = None

        def settled():
            # The dialog's face under its buttons, and its texts and face as in the shot
            # before: its whole picture, not one caught while its controls still paint.
            nonlocal before
            shot = self.screenshot(f"options-scale{self.scale}")
            dialog = shot.crop(ox, oy, ow, oh)
            areas = [part(dialog, ow * shot.scale, area, self.scale) for area in (*TEXT_AREAS.values(), PLAIN_AREA)]
            steady = areas == before
            before = areas
            face = shot.pixel(ox + PLAIN_AREA[0], oy + PLAIN_AREA[1]) == DIALOG_FACE
            return (shot, dialog) if steady and face else None
        shot, self.options = wait_until(settled, "the options dialog on the screen, settled")
        self.options_size = (ow * shot.scale, oh * shot.scale)
        # Annuler: Left 96, Top 104, 75 by 25 units in the dialog's client area.
        device = self.scale // per_unit
        driver.click_at(ox + (96 + 37) * device, oy + (104 + 12) * device)
        driver.wait_gone(OPTIONS_DIALOG, "the options dialog to go")

        self.step(f"scale {self.scale}: the message dialog's icon")
        driver.wait_focused(window)
        driver.key("F10", "Down", "Return")
        driver.focused_window(FILE_DIALOG)
        open_typed(driver, self.folder / "faux.jpg")
        message = driver.focused_window(MESSAGE_DIALOG)
        mx, my, mw, mh = driver.window_geometry(message)

        widths = [None]

        def icon_drawn():
            # The same width in two shots in a row: the dialog whole, not caught while it paints.
            shot = self.screenshot(f"message-scale{self.scale}")
            widths.append(ink_width(shot.crop(mx, my, mw, mh), mw * shot.scale, ICON_AREA, self.scale))
            return widths[-1] if widths[-1] and widths[-1] == widths[-2] else None
        self.icon_width = wait_until(icon_drawn, "the message dialog's icon on the screen, settled")
        driver.key("Return")
        self.viewer.stop()


def ink_width(rgb, width, area, scale):
    """The number of device columns of an area (units) with a pixel other than the
    dialog's face."""
    x, y, w, h = (value * scale for value in area)
    face = bytes(DIALOG_FACE)
    return sum(1 for column in range(x, x + w)
               if any(rgb[3 * (width * row + column):3 * (width * row + column) + 3] != face for row in range(y, y + h)))


def rows_doubled(rgb, width, area):
    """Whether every pair of device rows (2k, 2k + 1) of an area (units, at scale 2) is the
    same: a drawing made at one unit per pixel and enlarged."""
    rows = part(rgb, width, area, 2)
    row_bytes = 3 * 2 * area[2]
    lines = [rows[row_bytes * i:row_bytes * (i + 1)] for i in range(2 * area[3])]
    return all(lines[2 * k] == lines[2 * k + 1] for k in range(area[3]))


def compare(first, second):
    problems = []
    if second.view != first.view:
        share = differing(first.view, second.view) if len(first.view) == len(second.view) else 1
        problems.append(f"the view at scale 2 differs from its pixels at scale 1 in {share:.0%} of them")
    width, height = first.options_size
    if second.options_size != (2 * width, 2 * height):
        return problems + [f"the options dialog is {second.options_size} device pixels at scale 2, "
                           f"not twice its {first.options_size} at scale 1"]
    print(f"   the message dialog's icon: {first.icon_width} device pixels wide at scale 1, "
          f"{second.icon_width} at scale 2", flush=True)
    if second.icon_width != 2 * first.icon_width:
        problems.append(f"the message dialog's icon is {second.icon_width} device pixels wide at scale 2, "
                        f"not twice its {first.icon_width} at scale 1")
    for name, area in GLYPH_AREAS.items():
        if rows_doubled(second.options, 2 * width, area):
            problems.append(f"{name} at scale 2 are the scale-1 drawing doubled (each pair of device rows equal)")
    doubled = enlarged(first.options, width, height)
    plain = (part(doubled, 2 * width, PLAIN_AREA, 2), part(second.options, 2 * width, PLAIN_AREA, 2))
    if plain[0] != plain[1]:
        problems.append("the dialog's plain background at scale 2 is not the scale-1 one doubled")
    for name, area in TEXT_AREAS.items():
        share = differing(part(doubled, 2 * width, area, 2), part(second.options, 2 * width, area, 2))
        print(f"   {name}: {share:.0%} of the pixels differ from the doubled scale-1 text", flush=True)
        if share < TEXT_DIFFERENCE:
            problems.append(f"{name} at scale 2 is the scale-1 text doubled ({share:.0%} of its pixels differ)")
    return problems


def main():
    options = viewer_options(__doc__, displays=True)

    def play(report):
        runs = []
        for scale in (1, 2):
            with driven_display(options.display, options.artifacts, scale, logs=f"-scale{scale}") as driver, \
                    driver.working_folder("orvalis-scale-") as folder:
                write_view(folder / "vue1.jpg", 1, VIEW_SIZE)
                (folder / "faux.jpg").write_bytes(NOT_A_PICTURE)
                driver.hand_over(folder)
                report.viewer = driver.start([options.viewer], cwd=folder, env={"GDK_SCALE": str(scale)})
                report.scenario = Run(driver, options.artifacts, report.viewer, folder, scale)
                report.scenario.shots = 10 * scale
                try:
                    report.scenario.run()
                finally:
                    report.viewer.stop()
                runs.append(report.scenario)
        problems = compare(*runs)
        if problems:
            raise Failure("; ".join(problems))
    return play_scenario(play, "scale scenario", options.artifacts)


if __name__ == "__main__":
    sys.exit(main())
