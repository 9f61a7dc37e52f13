#!/usr/bin/env python3
"""The real viewer on the GTK backend, in a virtual X display without a window manager
(or, with --display wayland, on headless sway through wayland_driver.py), used as a
person would: it greets with the file dialog; a view typed there shows at the
top left of a client area of its size; the series then plays on the timer and on keys,
with the file and the view number in the caption; the options dialog, reached from the
menu bar by keyboard, sets the delay to one second; the views go on while the file dialog
is open; a PNG image chosen under the second filter is counted into espion.log, byte for
byte; Escape ends the program with status 0. A second run, in "Arrêt sur image":
a view rewritten in place once it was prepared, its size and times put back, shows as it
is now; SIGHUP (the terminal that started the program closed) ends it through its
normal shutdown, with status 0.

    viewer_scenario.py --viewer PATH --artifacts FOLDER [--display x11|wayland]

Screenshots (viewer.png: a view in the window) and the display's log go to the
artifacts folder, the second run's screenshots to its folder second-run."""

import contextlib
import os
import re
import signal
import subprocess
import sys
import tempfile
import struct
import time
import zlib

from desktop_driver import WAIT_SECONDS, expect_no_display_message, near, play_scenario, viewer_options, wait_until
from viewer_steps import (FILE_DIALOG, GROUNDS, GROUND_POINTS, JPEG_TOLERANCE, MAIN_WINDOW, OPTIONS_DIALOG, SKIES,
                          SKY_POINTS, VIEW_SIZE, ViewerSteps, driven_display, menu_bar_items, open_options, open_typed,
                          write_view)

# Before a series is opened each tick looks for 0.jpg in the working folder: the first
# tick finds it there and names it with an empty base.
NO_SERIES_CAPTION = "Fichier  Dessin de la vue n° 0"

# The series' length: views past the third repeat the three skies, so that the series
# lasts while the delay is measured.
VIEW_COUNT = 24

# The delay measured between caption changes once the options say one second: each
# interval within 0.6 s of it (a loaded machine delays a tick, or the reading of a
# caption), and their mean within 0.2 s; the default, 3 s, is far from both.
DELAY_SECONDS = 1.0
DELAY_TOLERANCE = 0.6
MEAN_DELAY_TOLERANCE = 0.2

# The predefined colour classes of the count: reference colour and tolerance per channel.
PREDEFINED_CLASSES = [
    ((30, 30, 30), (31, 31, 31)), ((250, 250, 250), (6, 6, 6)), ((250, 152, 65), (10, 10, 10)),
    ((247, 215, 72), (10, 10, 10)), ((245, 237, 90), (5, 5, 10)), ((244, 244, 68), (5, 5, 10)),
    ((214, 248, 70), (15, 5, 5)), ((195, 248, 86), (10, 10, 10)), ((160, 250, 70), (10, 10, 10)),
    ((156, 246, 149), (10, 10, 10)), ((143, 246, 230), (10, 10, 10)), ((112, 244, 242), (10, 10, 10)),
    ((102, 146, 245), (10, 10, 10)), ((142, 140, 240), (10, 10, 10)), ((183, 144, 244), (10, 10, 10)),
    ((214, 164, 237), (10, 10, 10)),
]

# The PNG to count: bands of colours whose classes are plain to see, as (colour, pixels).
# Black and dark red fall in class 1 (the second by the dark-pixel rule), white in class 2,
# a near orange in class 3; red, then blue, are met first in that order and make classes
# 17 and 18; a red a little off still fits class 17.
PNG_WIDTH = 20
PNG_BANDS = [
    ((0, 0, 0), 40),          # class 1
    ((255, 255, 255), 60),    # class 2
    ((245, 150, 70), 20),     # class 3: within 10 of (250, 152, 65)
    ((200, 0, 0), 40),        # new: class 17
    ((0, 0, 255), 20),        # new: class 18
    ((61, 0, 0), 20),         # fits nothing, sum 61 < 200: class 1
    ((206, 5, 4), 40),        # within 10 of (200, 0, 0): class 17
]
# The report the count must append, as (class number, colour, count), predefined first.
EXPECTED_CLASSES = (
    [(1, (30, 30, 30), 40 + 20), (2, (250, 250, 250), 60), (3, (250, 152, 65), 20)]
    + [(n + 1, PREDEFINED_CLASSES[n][0], 0) for n in range(3, 16)]
    + [(17, (200, 0, 0), 40 + 40), (18, (0, 0, 255), 20)]
)


def expected_report():
    """espion.log after one count: Windows-1252 text, each line feed written as CR LF."""
    text = "\nFin de traitement\n"
    for number, (r, v, b), count in EXPECTED_CLASSES:
        text += "N° %3d r=%3d v=%3d b=%3d nb=%d\n" % (number, r, v, b, count)
    return text.replace("\n", "\r\n").encode("cp1252")


def write_palette_png(path, width, bands):
    """An 8-bit palette PNG, one palette entry per band, the bands filling whole rows."""
    colours = [colour for colour, _ in bands]
    indices = bytearray()
    for index, (_, pixels) in enumerate(bands):
        indices += bytes([index]) * pixels
    if len(indices) % width:
        raise ValueError("the bands must fill whole rows")
    height = len(indices) // width
    raw = b"".join(b"\0" + bytes(indices[y * width:(y + 1) * width]) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    path.write_bytes(b"\x89PNG\r\n\x1a\n"
                     + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0))
                     + chunk(b"PLTE", b"".join(bytes(colour) for colour in colours))
                     + chunk(b"IDAT", zlib.compress(raw))
                     + chunk(b"IEND", b""))


class Scenario(ViewerSteps):
    def __init__(self, driver, viewer, artifacts, series, workdir):
        super().__init__(driver, viewer, artifacts, series)
        self.workdir = workdir
        self.menu_bar_height = None

    def view_number(self):
        match = re.fullmatch(re.escape(f"Fichier {self.series / 'vue'} Dessin de la vue n° ") + r"([0-9]+)",
                             self.caption())
        return int(match.group(1)) if match else None

    def wait_caption(self, caption, timeout=WAIT_SECONDS):
        wait_until(lambda: self.caption() == caption, f"the caption {caption!r} (it is {self.caption()!r})", timeout)

    def wait_view(self, number, timeout=WAIT_SECONDS):
        self.wait_caption(self.view_caption(number), timeout)

    def picture_origin(self):
        """The screen point of the client area's top left: the client area lies under the
        menu bar (no window manager frame), whose height is measured when the window is
        first sized to a view."""
        x, y, _, _ = self.driver.window_geometry(self.window)
        return x, y + self.menu_bar_height

    def shows(self, shot, number):
        """Whether the screenshot shows view `number` at the top left of the client area."""
        ox, oy = self.picture_origin()
        sky, ground = SKIES[(number - 1) % 3], GROUNDS[(number - 1) % 3]
        return (all(near(shot.pixel(ox + px, oy + py), sky, JPEG_TOLERANCE) for px, py in SKY_POINTS)
                and all(near(shot.pixel(ox + px, oy + py), ground, JPEG_TOLERANCE) for px, py in GROUND_POINTS))

    def wait_shown(self, number, name, caption):
        """Waits for the screen to show view `number` while the caption is `caption`
        (read after the screenshot, so that no advance came before it); returns that
        screenshot."""
        def shown():
            shot = self.screenshot(name)
            now = self.caption()
            self.expect(now == caption, f"the caption became {now!r} before view {number} was seen under {caption!r}")
            return shot if self.shows(shot, number) else None
        return wait_until(shown, f"view {number}'s colours at the top left of the client area")

    def run(self):
        self.step("the viewer greets with the file dialog")
        self.window = self.driver.find_window(MAIN_WINDOW)
        self.driver.focused_window(FILE_DIALOG)
        self.expect(self.caption() == "Orvalis", f"the caption is {self.caption()!r} before any view")

        self.step("before any series, the timer's first tick shows 0.jpg of the working folder")
        # The path is typed first, and Enter waits for that tick: the open then has a whole
        # period of the timer before view 1 comes, however slow the machine.
        self.driver.type_text(str(self.series / "vue2.jpg"))
        self.wait_caption(NO_SERIES_CAPTION)
        self.expect(self.driver.window_exists(FILE_DIALOG), "the file dialog went at the timer's tick")

        self.step("the view typed in the dialog shows at the top left, in a client area of its size")
        self.driver.key("Return")
        self.driver.wait_gone(FILE_DIALOG, "the file dialog to go")
        wait_until(lambda: self.driver.window_geometry(self.window)[2] == VIEW_SIZE[0],
                   f"the window to be {VIEW_SIZE[0]} wide, as the view")
        self.menu_bar_height = self.driver.window_geometry(self.window)[3] - VIEW_SIZE[1]
        # The open command leaves the caption as it was.
        shot = self.wait_shown(2, "vue2", caption=NO_SERIES_CAPTION)
        ox, oy = self.picture_origin()
        above = shot.pixel(ox + 6, oy - 1)
        self.expect(not near(above, SKIES[1], JPEG_TOLERANCE),
                    f"the row above the client area is sky {above}: the client area is taller than the view")

        self.step("the timer shows view 1, with the series and its number in the caption")
        self.wait_view(1)
        first_seen = time.monotonic()
        self.wait_shown(1, "vue1", caption=self.view_caption(1))

        self.step("a key shows the next view at once")
        self.driver.wait_focused(self.window)
        self.driver.key("space")
        self.wait_view(2)
        # The timer ticks 3 seconds after view 1: a change well before is the key's.
        self.expect(time.monotonic() - first_seen < 2.5, "view 2 came too late to be the key's")
        shot = self.wait_shown(2, "vue2-key", caption=self.view_caption(2))
        self.save_view_picture(shot)

        self.step("the options dialog, from the menu bar by keyboard, sets the delay to one second")
        open_options(self.driver)
        self.screenshot("options")
        self.driver.key("ctrl+a")
        self.driver.type_text("1")
        self.driver.key("Tab", "Tab", "Return")
        self.driver.wait_gone(OPTIONS_DIALOG, "the options dialog to go")

        self.step("the next views come a second apart")
        self.check_delay(changes=4)

        self.step("one click on the menu bar's Options opens the dialog; Annuler keeps the delay")
        self.click_menu_bar_item(1)
        options = self.driver.focused_window(OPTIONS_DIALOG)
        # Annuler: Left 96, Top 104, 75 by 25 in the dialog's client area, which is the
        # whole window (no menu bar, no window manager frame).
        x, y, _, _ = self.driver.window_geometry(options)
        self.driver.click_at(x + 96 + 37, y + 104 + 12)
        self.driver.wait_gone(OPTIONS_DIALOG, "the options dialog to go")
        self.check_delay(changes=2)

        self.step("the views go on while the file dialog is open")
        self.driver.wait_focused(self.window)
        self.driver.key("F10", "Down", "Return")
        self.driver.focused_window(FILE_DIALOG)
        start = self.view_number()
        wait_until(lambda: (self.view_number() or 0) >= start + 2,
                   f"two views past n° {start} while the file dialog is open")
        self.screenshot("file-dialog")

        self.step("the PNG image, chosen under the second filter, is counted into espion.log")
        self.choose_png_under_second_filter()
        self.driver.wait_gone(FILE_DIALOG, "the file dialog to go")
        self.driver.wait_focused(self.window)
        self.driver.key("F10", "Right", "Right", "Down", "Return")
        log = self.workdir / "espion.log"
        report = expected_report()
        wait_until(lambda: log.exists() and log.read_bytes() == report,
                   "espion.log to hold the count's report")
        self.check_png_shown()

        self.step("Escape ends the program with status 0")
        self.end_by_escape("the program")
        self.expect(log.read_bytes() == report, "espion.log changed after the count")

        self.step("GTK said nothing about misuse")
        complaints = [line for line in self.viewer.errors if "CRITICAL" in line or "WARNING" in line]
        self.expect(not complaints, "GTK complained:\n" + "\n".join(complaints))

    def save_view_picture(self, shot):
        """The window showing a view, cut out of the screenshot, for the documentation."""
        x, y, width, height = self.driver.window_geometry(self.window)
        whole = self.artifacts / f"{self.shots:02d}-vue2-key.png"
        subprocess.run(["convert", str(whole), "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                        "-strip", str(self.artifacts / "viewer.png")], check=True, timeout=WAIT_SECONDS)

    def check_delay(self, changes):
        """Times `changes` caption changes after the first one seen: each about a second."""
        def next_change(after):
            return wait_until(lambda: (self.view_number() or 0) > after and self.view_number(),
                              f"the view after n° {after}", timeout=2 * DELAY_SECONDS + 3)
        number = next_change(self.view_number())
        last = time.monotonic()
        intervals = []
        for _ in range(changes):
            number = next_change(number)
            now = time.monotonic()
            intervals.append(now - last)
            last = now
        print("   intervals: " + ", ".join(f"{interval:.2f} s" for interval in intervals), flush=True)
        for interval in intervals:
            self.expect(abs(interval - DELAY_SECONDS) <= DELAY_TOLERANCE,
                        f"views came {interval:.2f} s apart, not about {DELAY_SECONDS:g} s: {intervals}")
        mean = sum(intervals) / len(intervals)
        self.expect(abs(mean - DELAY_SECONDS) <= MEAN_DELAY_TOLERANCE,
                    f"views came {mean:.2f} s apart on average, not about {DELAY_SECONDS:g} s: {intervals}")

    def click_menu_bar_item(self, index):
        """Clicks once in the middle of the menu bar's item `index` (from 0). A blank is
        wider under Wayland, whose desktop font is larger."""
        x, y, width, _ = self.driver.window_geometry(self.window)
        bar_height = self.menu_bar_height
        shot = self.screenshot("menu-bar")
        items = menu_bar_items(shot, x, y, width, bar_height, widest_blank=12)
        self.expect(len(items) == 3, f"the menu bar shows {len(items)} items, expected 3 (ink at {items})")
        left, right = items[index]
        self.driver.click_at(x + (left + right) // 2, y + bar_height // 2)

    def choose_png_under_second_filter(self):
        """In the dialog, open on the series' folder with the last view chosen: Tab to the
        filter, Down to its second entry (which lists the PNG image alone), back to the
        list (the image is selected) and Enter. Under Wayland GTK's dialog has a header bar
        and another order of its controls: there the image's path is typed."""
        if self.driver.name == "Wayland":
            self.driver.type_text(str(self.series / "comptage.png"))
            self.screenshot("png-typed")
            self.driver.key("Return")
            return
        self.driver.key("Tab")
        self.driver.key("Down")
        self.driver.key("shift+Tab")
        self.screenshot("second-filter")
        self.driver.key("Return")

    def check_png_shown(self):
        """The counted image is shown at the top left of the client area: its bands, one
        row of pixels after another."""
        ox, oy = self.picture_origin()
        rows = []
        for colour, pixels in PNG_BANDS:
            rows += [colour] * (pixels // PNG_WIDTH)

        def shown():
            shot = self.screenshot("counted")
            return all(near(shot.pixel(ox + 3, oy + row), colour, 2) and
                       near(shot.pixel(ox + PNG_WIDTH - 1, oy + row), colour, 2) for row, colour in enumerate(rows))
        wait_until(shown, "the counted image's bands at the top left of the client area")


# The second run's views: one colour each, the same size in bytes.
SOLID_VIEWS = {"base1.jpg": (20, 40, 220), "base2.jpg": (30, 170, 40), "rouge.jpg": (220, 30, 30)}
# The name of the thread that prepares the next view.
WORKER_THREAD = "vue suivante"


def write_solid_views(folder):
    """The views of SOLID_VIEWS in `folder`, as ImageMagick writes them at VIEW_SIZE, made
    the same size with bytes after the picture's end, which a decoder leaves."""
    for name, colour in SOLID_VIEWS.items():
        subprocess.run(["convert", "-size", f"{VIEW_SIZE[0]}x{VIEW_SIZE[1]}", "xc:rgb(%d,%d,%d)" % colour,
                        "-quality", "92", str(folder / name)], check=True, timeout=WAIT_SECONDS)
    size = max((folder / name).stat().st_size for name in SOLID_VIEWS)
    for name in SOLID_VIEWS:
        with open(folder / name, "ab") as view:
            view.write(b"\0" * (size - view.tell()))


class RewriteAndHangUp(ViewerSteps):
    """The second run: views base1 (blue) and base2 (green) in `series`, and rouge (red)
    beside them."""

    def view_caption(self, number):
        return f"Fichier {self.series / 'base'} Dessin de la vue n° {number}"

    def wait_caption(self, caption):
        wait_until(lambda: self.caption() == caption, f"the caption {caption!r} (it is {self.caption()!r})")

    def wait_colour(self, name, colour, what):
        """Waits for the client area, under the menu bar, to show `colour`."""
        def shown():
            x, y, _, height = self.driver.window_geometry(self.window)
            client_y = y + height - VIEW_SIZE[1]
            shot = self.screenshot(name)
            return all(near(shot.pixel(x + px, client_y + py), colour, JPEG_TOLERANCE)
                       for px, py in ((10, 10), (VIEW_SIZE[0] // 2, VIEW_SIZE[1] // 2)))
        wait_until(shown, what)

    def worker_threads(self):
        """The viewer's threads that prepare a view."""
        count = 0
        for task in os.listdir(f"/proc/{self.viewer.process.pid}/task"):
            with contextlib.suppress(OSError), open(f"/proc/{self.viewer.process.pid}/task/{task}/comm") as comm:
                count += comm.read().strip() == WORKER_THREAD
        return count

    def run(self):
        driver = self.driver
        self.step("in \"Arrêt sur image\", view 1 shown, view 2 prepared")
        self.window = driver.find_window(MAIN_WINDOW)
        # The mode is set before any series, so that no tick ever advances.
        driver.focused_window(FILE_DIALOG)
        driver.key("Escape")
        driver.wait_gone(FILE_DIALOG, "the file dialog to go")
        driver.wait_focused(self.window)
        open_options(driver)
        # From the delay: Tab to the scrolling mode, Down to its second entry, Tab to OK.
        driver.key("Tab", "Down", "Tab", "Return")
        driver.wait_gone(OPTIONS_DIALOG, "the options dialog to go")
        # View 2 chosen: it shows at once, then each Space shows the next view from 1.
        driver.wait_focused(self.window)
        driver.key("F10", "Down", "Return")
        driver.focused_window(FILE_DIALOG)
        open_typed(driver, self.series / "base2.jpg")
        self.wait_colour("base2", SOLID_VIEWS["base2.jpg"], "the chosen view's green")
        driver.wait_focused(self.window)
        driver.key("space")
        self.wait_caption(self.view_caption(1))
        # Painted once the advance is over: view 2's preparation has started by then.
        self.wait_colour("vue1", SOLID_VIEWS["base1.jpg"], "view 1's blue")
        wait_until(lambda: self.worker_threads() == 0, "view 2's preparation to end")

        self.step("view 2 rewritten in place, its size and times put back: Space shows it as it is now")
        view, reference = self.series / "base2.jpg", self.series / "reference"
        for command in (["touch", "-r", view, reference], ["cp", self.series / "rouge.jpg", view],
                        ["touch", "-r", reference, view]):
            subprocess.run(command, check=True, timeout=WAIT_SECONDS)
        self.expect(view.stat().st_mtime_ns == reference.stat().st_mtime_ns, "the modification time was not put back")
        driver.key("space")
        self.wait_caption(self.view_caption(2))
        self.wait_colour("vue2-reecrite", SOLID_VIEWS["rouge.jpg"], "view 2's new red")

        self.step("SIGHUP ends the program through its normal shutdown, with status 0")
        os.kill(self.viewer.process.pid, signal.SIGHUP)
        status = self.viewer.wait_exit()
        self.expect(status == 0, f"the program ended with status {status} (a negative status: killed by that signal)")
        complaints = [line for line in self.viewer.errors if "CRITICAL" in line or "WARNING" in line]
        self.expect(not complaints, "GTK complained:\n" + "\n".join(complaints))


def main():
    options = viewer_options(__doc__, displays=True)

    def play(report):
        print("-- without a display the viewer says so in one line and ends", flush=True)
        with tempfile.TemporaryDirectory(prefix="orvalis-viewer-") as folder:
            expect_no_display_message([options.viewer], "the viewer", cwd=folder)
        with driven_display(options.display, options.artifacts) as driver:
            print(f"-- on {driver.name}", flush=True)
            with driver.working_folder("orvalis-viewer-") as root:
                series = root / "vues"
                workdir = root / "travail"
                series.mkdir()
                workdir.mkdir()
                for number in range(1, VIEW_COUNT + 1):
                    write_view(series / f"vue{number}.jpg", number)
                write_palette_png(series / "comptage.png", PNG_WIDTH, PNG_BANDS)
                write_view(workdir / "0.jpg", 3)
                driver.hand_over(root)
                report.viewer = driver.start([options.viewer], cwd=workdir)
                report.scenario = Scenario(driver, report.viewer, options.artifacts, series, workdir)
                report.scenario.play(report.viewer)
            with driver.working_folder("orvalis-viewer-") as root:
                series = root / "vues"
                series.mkdir()
                write_solid_views(series)
                driver.hand_over(root)
                report.viewer = driver.start([options.viewer], cwd=root)
                second = options.artifacts / "second-run"
                second.mkdir(exist_ok=True)
                report.scenario = RewriteAndHangUp(driver, report.viewer, second, series)
                report.scenario.play(report.viewer)
    return play_scenario(play, "viewer scenario", options.artifacts)


if __name__ == "__main__":
    sys.exit(main())
