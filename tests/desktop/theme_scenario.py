#!/usr/bin/env python3
"""The viewer's own forms in the desktop's theme, in Xvfb, under each theme a user may
choose (GTK_THEME): light, dark, high contrast and high contrast inverse. In each, a plain GTK window with a
button (desktop_theme_sample) gives the theme's window and button colours; then

- the message dialog (the error shown for a view that is no picture) and the options dialog have the window's colour as their background and
  the button's colour on their buttons' faces;
- the options dialog keeps the size and the controls' places of its form: its client
  area, and the outer edges of its edit box, up-down control, radio group and buttons
  where the form puts them, with the background just beside each.

Then the theme changes while the viewer runs, as a desktop's settings daemon changes it
(xsettingsd, the theme's name from Adwaita to HighContrastInverse, the viewer started without
GTK_THEME): the options dialog, open meanwhile, takes the inverse theme's colours at once.

The screenshots of each dialog in each theme are left in the artifacts folder.

    theme_scenario.py --viewer PATH --sample PATH --artifacts FOLDER"""

import argparse
import pathlib
import signal
import sys

from desktop_driver import (Program, Screenshot, Steps, VirtualDisplay, X11Driver, near, play_scenario, require_tools,
                            wait_until)
from viewer_steps import FILE_DIALOG, MAIN_WINDOW, SCREEN, open_options, open_typed, write_view

# GTK's own high-contrast themes, the light one and the inverse (light on dark).
THEMES = [("light", "Adwaita"), ("dark", "Adwaita:dark"), ("high-contrast", "HighContrast"),
          ("high-contrast-inverse", "HighContrastInverse")]
# The theme changed while the viewer runs: from the first to the second, by their names as
# a settings daemon gives them (the runs above give their colours).
SWITCH = [("light", "Adwaita"), ("high-contrast-inverse", "HighContrastInverse")]
SAMPLE_WINDOW = r"^Échantillon du thème$"
MESSAGE_DIALOG = r"^Erreur$"
# A view that is no picture: opening it shows the error message dialog.
NOT_A_PICTURE = b"pas une image"
# The options dialog's client area and its buttons (OK, Annuler), as its form gives them.
OPTIONS_CLIENT = (178, 138)
OPTIONS_BUTTONS = {"OK": (8, 104, 75, 25), "Annuler": (96, 104, 75, 25)}
# The outer edges of the options dialog's controls as its form places them (x of the
# control's edge column, x of the background beside it, y), so that a control drawn a
# pixel off shows: the edit box (Left 128) and the up-down control (Left 153, Width 15)
# at Top 8, Height 21, seen in the up-down's upper half (away from the rounded corners
# where its halves meet); the radio group's frame (Left 24, Width 129) below its caption.
OPTIONS_EDGES = {"the edit box's left edge": (128, 127, 13), "the up-down control's right edge": (167, 168, 13),
                 "the radio group's left edge": (24, 23, 80), "the radio group's right edge": (152, 153, 80),
                 "OK's left edge": (8, 7, 116), "Annuler's right edge": (170, 171, 116)}
# Colours drawn by the same theme through two routes differ only by rounding.
TOLERANCE = 3


def face_point(x, y, width, height):
    """A point of a button's face away from its caption, its frame and its shading."""
    return x + 6, y + height // 2


class ThemeRun(Steps):
    def __init__(self, driver, artifacts, options, folder, name, theme):
        super().__init__(driver.env, artifacts, driver)
        self.options = options
        self.folder = folder
        self.name = name
        self.theme = theme
        self.programs = []

    def start(self, argv):
        program = self.driver.start(argv, cwd=self.folder, env={"GTK_THEME": self.theme})
        self.programs.append(program)
        return program

    def colours(self):
        """The window and button colours of the theme, read from the GTK sample."""
        return self.window_colour, self.button_colour

    def run(self):
        driver = self.driver
        self.step(f"{self.name}: the colours of a GTK window and button")
        sample = self.start([self.options.sample])
        _, placed = sample.wait_line(r"button (\d+) (\d+) (\d+) (\d+)")
        window = driver.find_window(SAMPLE_WINDOW)
        bx, by, bw, bh = (int(value) for value in placed.groups())

        def sampled():
            x, y, _, _ = driver.window_geometry(window)
            shot = self.screenshot(f"{self.name}-gtk-sample")
            return shot.pixel(x + 4, y + 4), shot.pixel(*face_point(x + bx, y + by, bw, bh))
        self.window_colour, self.button_colour = wait_until(sampled, "the sample window drawn")
        print(f"   window {self.window_colour}, button {self.button_colour}", flush=True)
        sample.stop()

        self.step(f"{self.name}: the message dialog")
        viewer = self.start([self.options.viewer])
        driver.find_window(MAIN_WINDOW)
        driver.focused_window(FILE_DIALOG)
        open_typed(driver, self.folder / "faux.jpg")
        message = driver.focused_window(MESSAGE_DIALOG)
        self.check_dialog(message, "message", None)
        driver.key("Return")
        driver.wait_gone(MESSAGE_DIALOG, "the message dialog to go")

        self.step(f"{self.name}: the options dialog")
        options = open_options(driver)
        self.check_dialog(options, "options", OPTIONS_BUTTONS)
        driver.key("Escape")
        viewer.stop()

    def check_dialog(self, window, what, buttons):
        x, y, width, height = self.driver.window_geometry(window)

        before = None

        def drawn():
            # The background in the window colour, and the dialog as in the shot before: its
            # whole picture, not one caught while its controls still paint (a slow build).
            nonlocal before
            shot = self.screenshot(f"{self.name}-{what}")
            dialog = shot.crop(x, y, width, height)
            steady = dialog == before
            before = dialog
            return shot if steady and near(shot.pixel(x + 2, y + 2), self.window_colour, TOLERANCE) else None
        shot = wait_until(drawn, f"the {what} dialog settled, its background in the window colour {self.window_colour}")
        # The dialog alone, for a person to look at (README's pictures are made from these).
        Screenshot(width, height, shot.crop(x, y, width, height)).save(self.artifacts / f"{what}-{self.name}.png")
        placed = buttons is not None
        if placed:
            self.expect((width, height) == OPTIONS_CLIENT,
                        f"the {what} dialog is {width} x {height}, not its form's {OPTIONS_CLIENT}")
            for name, (edge, beside, row) in OPTIONS_EDGES.items():
                at, next_to = shot.pixel(x + edge, y + row), shot.pixel(x + beside, y + row)
                self.expect(not near(at, self.window_colour, TOLERANCE) and near(next_to, self.window_colour, TOLERANCE),
                            f"{what} dialog: {name} is not at x = {edge} ({at} there, {next_to} beside)")
        else:
            buttons = {"OK": self.message_button(shot, x, y, width, height)}
        for name, (bx, by, bw, bh) in buttons.items():
            face = shot.pixel(*face_point(x + bx, y + by, bw, bh))
            self.expect(near(face, self.button_colour, TOLERANCE),
                        f"{what} dialog: {name}'s face is {face}, not the theme's button {self.button_colour}")
        return shot

    def message_button(self, shot, x, y, width, height):
        """The message dialog's one button, centred under the message: between the highest
        and the lowest pixel of the dialog's lower half that are not the background, in a
        column left of its caption; a rectangle 12 pixels wide whose face point is in that
        column."""
        column = width // 2 - 12
        rows = [row for row in range(height // 2, height)
                if not near(shot.pixel(x + column, y + row), self.window_colour, TOLERANCE)]
        self.expect(rows, "the message dialog shows no button under its message")
        return column - 6, rows[0], 12, rows[-1] + 1 - rows[0]


class ThemeSwitch(ThemeRun):
    """The viewer started without GTK_THEME under a settings daemon (xsettingsd) that names
    the first theme of SWITCH; the options dialog is open when the daemon names the second.
    `colours` holds each theme's window and button colours, by name."""

    def __init__(self, driver, artifacts, options, folder, colours):
        super().__init__(driver, artifacts, options, folder, "switched", None)
        self.colours_of = colours

    def name_theme(self, theme):
        (self.folder / "xsettingsd.conf").write_text(f'Net/ThemeName "{theme}"\n')

    def run(self):
        driver = self.driver
        (first, first_theme), (second, second_theme) = SWITCH
        self.step(f"switched: a settings daemon names {first_theme}; the options dialog in its colours")
        require_tools({"xsettingsd": "xsettingsd"}, "the theme scenario needs a settings daemon")
        self.name_theme(first_theme)
        daemon = Program(["xsettingsd", "-c", str(self.folder / "xsettingsd.conf")], driver.env)
        self.programs.append(daemon)
        viewer = driver.start([self.options.viewer], cwd=self.folder)
        self.programs.append(viewer)
        driver.find_window(MAIN_WINDOW)
        driver.focused_window(FILE_DIALOG)
        driver.key("Escape")
        driver.wait_gone(FILE_DIALOG, "the file dialog to go")
        options = open_options(driver)
        self.window_colour, self.button_colour = self.colours_of[first]
        self.name = f"switched-{first}"
        self.check_dialog(options, "options", OPTIONS_BUTTONS)

        self.step(f"switched: the daemon names {second_theme}; the open options dialog takes its colours at once")
        self.name_theme(second_theme)
        daemon.process.send_signal(signal.SIGHUP)  # the daemon reads its settings again
        self.window_colour, self.button_colour = self.colours_of[second]
        self.name = f"switched-{second}"
        shot = self.check_dialog(options, "options", OPTIONS_BUTTONS)
        # Nothing keeps the first theme's face where the dialog started in the second has
        # none (a glyph's edge may have that colour): the labels and the radio group too.
        x, y, width, height = driver.window_geometry(options)
        started = Screenshot.read(self.artifacts / f"options-{second}.png")
        old_face = self.colours_of[first][0]
        stale = [(px, py) for py in range(height) for px in range(width)
                 if near(shot.pixel(x + px, y + py), old_face, TOLERANCE)
                 and not near(started.pixel(px, py), old_face, TOLERANCE)]
        self.expect(not stale, f"{len(stale)} points of the options dialog keep the {first} theme's window colour "
                               f"{old_face}, the first at {stale[:1]}")
        driver.key("Escape")
        viewer.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--viewer", required=True)
    parser.add_argument("--sample", required=True)
    parser.add_argument("--artifacts", required=True, type=pathlib.Path)
    options = parser.parse_args()
    options.viewer = str(pathlib.Path(options.viewer).resolve())
    options.sample = str(pathlib.Path(options.sample).resolve())
    options.artifacts.mkdir(parents=True, exist_ok=True)

    def play(report):
        colours = {}

        def run_in_display(name, make_run):
            with VirtualDisplay(*SCREEN, log_path=options.artifacts / f"xvfb-{name}.log") as display:
                driver = X11Driver(display)
                with driver.working_folder("orvalis-theme-") as folder:
                    (folder / "faux.jpg").write_bytes(NOT_A_PICTURE)
                    report.scenario = make_run(driver, folder)
                    report.scenario.shots = 10 * len(report.scenario.name)
                    try:
                        report.scenario.run()
                    finally:
                        for program in report.scenario.programs:
                            program.stop()
            return report.scenario

        for name, theme in THEMES:
            run = run_in_display(name, lambda driver, folder: ThemeRun(driver, options.artifacts, options, folder,
                                                                       name, theme))
            colours[name] = run.colours()
        run_in_display("switched", lambda driver, folder: ThemeSwitch(driver, options.artifacts, options, folder,
                                                                      colours))
    return play_scenario(play, "theme scenario", options.artifacts)


if __name__ == "__main__":
    sys.exit(main())
