#!/usr/bin/env python3
"""The desktop probe on the GTK backend, in a virtual X display without a window manager,
used as a person would: it must show its surface under its menu bar at the exact client
size, count timer ticks in its caption (also while its dialogs are open), get keys and
mouse clicks with the platform's codes, open its menus from the keyboard, list files
under a filter whatever the case of their names, answer its message box and file dialog
from the keyboard, hear the close box, and end with status 0.

    desktop_scenario.py --probe PATH --send-close PATH --artifacts FOLDER

Screenshots and the display's log go to the artifacts folder."""

import argparse
import pathlib
import re
import subprocess
import sys
import tempfile

from desktop_driver import (Program, Steps, VirtualDisplay, click, expect_no_display_message, find_window, key,
                            move_mouse, near, play_scenario, type_text, wait_focused, wait_until, window_exists,
                            window_geometry, window_name)

CAPTION = r"^Sonde Orvalis n° [0-9]+$"
QUESTION = r"^Question de la sonde$"
FILE_DIALOG = r"^Ouverture d'une liste de vues de perspectives$"
FILES = ["vue1.jpg", "PLAN.JPEG", "photo.Jpeg", "X.jpeg", "notes.txt", "image.png"]
# "*.JPG;*JPEG": the names the first filter lists.
JPEG_FILES = {"vue1.jpg", "PLAN.JPEG", "photo.Jpeg", "X.jpeg"}

RED, GREEN, BLUE, GREY = (255, 0, 0), (0, 255, 0), (0, 0, 255), (128, 128, 128)

# The key pressed, the virtual key it must give, and the character (None: no character).
KEY_CASES = [
    ("a", 65, 97), ("shift+a", 65, 65), ("5", 53, 53), ("space", 32, 32),
    ("Return", 13, 13), ("KP_Enter", 13, 13), ("Escape", 27, 27), ("Tab", 9, 9), ("shift+Tab", 9, 9),
    ("BackSpace", 8, 8), ("ctrl+c", 67, 3), ("Delete", 46, None), ("Left", 37, None), ("Up", 38, None),
    ("Right", 39, None), ("Down", 40, None), ("Home", 36, None), ("End", 35, None), ("Prior", 33, None),
    ("Next", 34, None), ("F1", 112, None), ("F12", 123, None),
]
MODIFIER_CODES = {"shift": 16, "ctrl": 17, "alt": 18}


class Scenario(Steps):
    def __init__(self, display, probe, send_close, artifacts, folder):
        super().__init__(display.env, artifacts)
        self.probe = probe
        self.send_close = send_close
        self.folder = folder

    def ticks(self):
        match = re.search(r"n° ([0-9]+)$", window_name(self.env, self.window))
        self.expect(match, f"the caption {window_name(self.env, self.window)!r} has no tick count")
        return int(match.group(1))

    def expect_ticking(self, while_what):
        start = self.ticks()
        wait_until(lambda: self.ticks() > start, f"the caption's tick count to pass {start} {while_what}")

    def run(self):
        self.step("the window shows its surface under its menu bar, at the exact client size")
        _, ready = self.probe.wait_line(r"ready client=([0-9]+),([0-9]+)")
        client = int(ready.group(1)), int(ready.group(2))
        self.window = find_window(self.env, CAPTION)
        wait_focused(self.env, self.window)
        x, y, width, height = window_geometry(self.env, self.window)
        self.expect(width == client[0], f"the window is {width} wide, its client area should be {client[0]}")
        self.expect(height > client[1], f"the window is {height} high: no room for a menu bar above {client[1]}")
        self.origin = (x, y + height - client[1])
        self.check_surface(client)

        self.step("the caption counts the timer's ticks")
        self.expect_ticking("in the message loop")

        self.step("keys reach the program with their codes and characters")
        for case in KEY_CASES:
            self.check_key(*case)
        self.check_alt_key()

        self.step("the mouse reaches the program in client coordinates")
        self.check_mouse()

        self.step("F10 and the arrows choose a menu item; Enter answers the message box")
        self.choose_question()
        box = find_window(self.env, QUESTION)
        wait_focused(self.env, box)
        self.screenshot("message-box")
        self.expect_ticking("while the message box is open")
        mark = self.probe.mark()
        key(self.env, "Return")
        self.probe.wait_line(r"messagebox 6", mark)
        wait_until(lambda: not window_exists(self.env, QUESTION), "the message box to go")

        self.step("Escape answers the message box with Cancel")
        self.choose_question()
        wait_focused(self.env, find_window(self.env, QUESTION))
        mark = self.probe.mark()
        key(self.env, "Escape")
        self.probe.wait_line(r"messagebox 2", mark)

        self.step("Alt and a mnemonic open the menu; the file dialog opens in the folder asked")
        mark = self.probe.mark()
        key(self.env, "alt+f")
        key(self.env, "o")
        self.probe.wait_line(r"command 101", mark)
        self.probe.wait_line(r"hook show", mark)
        wait_focused(self.env, find_window(self.env, FILE_DIALOG))

        self.step("the timer keeps ticking while the file dialog is open")
        self.expect_ticking("while the file dialog is open")

        self.step("the first filter lists the JPEG files, whatever the case of their names")
        self.check_listing(mark)
        self.screenshot("file-dialog")

        self.step("a choice that the program refuses keeps the dialog open")
        mark = self.probe.mark()
        type_text(self.env, str(self.folder / "refuse.jpeg"))
        key(self.env, "Return")
        self.probe.wait_line(r"hook fileok .*/refuse\.jpeg refused", mark)
        self.expect(window_exists(self.env, FILE_DIALOG), "the file dialog closed after a refused choice")

        self.step("a path typed into the file dialog and Enter is the result")
        mark = self.probe.mark()
        key(self.env, "ctrl+a")
        type_text(self.env, str(self.folder / "X.jpeg"))
        key(self.env, "Return")
        self.probe.wait_line(re.escape(f"open ok path={self.folder / 'X.jpeg'} filter=1"), mark)
        self.probe.wait_line(r"hook close", mark)
        wait_until(lambda: not window_exists(self.env, FILE_DIALOG), "the file dialog to go")

        self.step("the keyboard is back at the window once the dialog went")
        wait_focused(self.env, self.window)
        mark = self.probe.mark()
        key(self.env, "b")
        self.probe.wait_line(r"keydown vk=66 sys=0", mark)

        self.step("the second filter lists the PNG image, and Enter on it answers with that filter")
        mark = self.probe.mark()
        key(self.env, "F10", "Down", "Down", "Return")
        self.probe.wait_line(r"command 104", mark)
        wait_focused(self.env, find_window(self.env, FILE_DIALOG))
        self.probe.wait_line(re.escape(f"hook selection {self.folder / 'image.png'}"), mark)
        key(self.env, "Return")
        self.probe.wait_line(re.escape(f"open ok path={self.folder / 'image.png'} filter=2"), mark)

        self.step("Escape cancels the file dialog")
        mark = self.probe.mark()
        key(self.env, "alt+f")
        key(self.env, "o")
        wait_focused(self.env, find_window(self.env, FILE_DIALOG))
        self.probe.wait_line(r"hook selection .*", mark)
        key(self.env, "Escape")
        self.probe.wait_line(r"open cancelled", mark)

        self.step("the close box reaches the program, which keeps its window")
        mark = self.probe.mark()
        subprocess.run([self.send_close, self.window], env=self.env, check=True, timeout=10)
        self.probe.wait_line(r"syscommand f060", mark)
        self.probe.wait_line(r"close refused", mark)
        self.expect(window_exists(self.env, CAPTION), "the window went although the program refused to close")
        self.expect_ticking("after the refused close")

        self.step("quitting from the menu by keyboard ends the program with status 0")
        wait_focused(self.env, self.window)
        mark = self.probe.mark()
        key(self.env, "F10", "Up", "Return")
        self.probe.wait_line(r"command 103", mark)
        self.probe.wait_line(r"exit 0", mark)
        status = self.probe.wait_exit()
        self.expect(status == 0, f"the program ended with status {status}")

        self.step("GTK said nothing about misuse")
        complaints = [line for line in self.probe.errors if "CRITICAL" in line or "WARNING" in line]
        self.expect(not complaints, "GTK complained:\n" + "\n".join(complaints))

    def check_surface(self, client):
        ox, oy = self.origin

        def drawn():
            # The program painted its surface; GTK shows it on the next frame.
            shot = self.screenshot("window")
            return shot if near(shot.pixel(ox, oy), RED) else None
        shot = wait_until(drawn, "the window's surface to show on the screen")
        width, height = client
        checks = [
            ((0, 0), RED, "the top left corner of the client area"),
            ((19, 19), RED, "the end of the red square"),
            ((20, 20), GREY, "the grey just past the red square"),
            ((width // 2, height // 2), GREEN, "the centre"),
            ((width - 1, height - 1), BLUE, "the bottom right corner"),
            ((width - 21, height - 21), GREY, "the grey just before the blue square"),
        ]
        for (cx, cy), colour, where in checks:
            got = shot.pixel(ox + cx, oy + cy)
            self.expect(near(got, colour), f"{where} (client {cx},{cy}) is {got}, expected {colour}")
        above = shot.pixel(ox, oy - 1)
        self.expect(not near(above, RED), "the row above the client area is red: the menu bar covers nothing")

    def check_key(self, keys, code, character):
        mark = self.probe.mark()
        key(self.env, keys)
        end, _ = self.probe.wait_line(rf"keyup vk={code}", mark)
        lines = self.probe.lines_since(mark)[:end - mark + 1]
        self.expect(f"keydown vk={code} sys=0" in lines, f"{keys}: no key-down {code} in {lines}")
        for modifier, modifier_code in MODIFIER_CODES.items():
            if modifier + "+" in keys:
                self.expect(f"keydown vk={modifier_code} sys=0" in lines, f"{keys}: no {modifier} key in {lines}")
        characters = [line for line in lines if line.startswith("char ")]
        expected = [f"char {character}"] if character is not None else []
        self.expect(characters == expected, f"{keys}: characters {characters}, expected {expected}")

    def check_alt_key(self):
        mark = self.probe.mark()
        key(self.env, "alt+x")
        end, _ = self.probe.wait_line(r"keyup vk=88", mark)
        lines = self.probe.lines_since(mark)[:end - mark + 1]
        for expected in ("keydown vk=18 sys=1", "keydown vk=88 sys=1", "syschar 120"):
            self.expect(expected in lines, f"alt+x: no {expected!r} in {lines}")

    def check_mouse(self):
        ox, oy = self.origin
        mark = self.probe.mark()
        move_mouse(self.env, ox + 50, oy + 60)
        self.probe.wait_line(r"mouse move 50 60", mark)
        click(self.env, 1)
        index, _ = self.probe.wait_line(r"mouse ldown 50 60", mark)
        self.probe.wait_line(r"mouse lup 50 60", index)
        click(self.env, 3)
        index, _ = self.probe.wait_line(r"mouse rdown 50 60", index)
        index, _ = self.probe.wait_line(r"mouse rup 50 60", index)
        mark = self.probe.mark()
        click(self.env, 1, repeat=2)
        index, _ = self.probe.wait_line(r"mouse ldblclk 50 60", mark)
        presses = [line for line in self.probe.lines_since(mark)[:index - mark] if line.startswith("mouse ldown")]
        self.expect(len(presses) == 1, f"a double click gave {len(presses)} presses before the double click")
        self.probe.wait_line(r"mouse lup 50 60", index)

    def choose_question(self):
        mark = self.probe.mark()
        key(self.env, "F10", "Down", "Down", "Down", "Return")
        self.probe.wait_line(r"command 102", mark)

    def check_listing(self, mark):
        # The dialog selects the first file of the list; the arrows walk down the rest.
        selection = r"hook selection (.*)"
        index, _ = self.probe.wait_line(selection, mark)
        seen = set()
        for _ in range(len(FILES)):
            lines = self.probe.lines_since(index)
            seen.update(pathlib.Path(m.group(1)).name for m in map(re.compile(selection).fullmatch, lines) if m)
            if seen >= JPEG_FILES or len(seen) >= len(JPEG_FILES):
                break
            before = self.probe.mark()
            key(self.env, "Down")
            self.probe.wait_line(selection, before)
        self.expect(seen == JPEG_FILES, f"the first filter listed {sorted(seen)}, expected {sorted(JPEG_FILES)}")
        # Past the last file there is nothing more to select.
        before = self.probe.mark()
        key(self.env, "Down", "Up")
        self.probe.wait_line(selection, before)
        moved = [line for line in self.probe.lines_since(before) if line.startswith("hook selection")]
        self.expect(len(moved) == 1, f"more files than expected under the first filter: {moved}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--send-close", required=True)
    parser.add_argument("--artifacts", required=True, type=pathlib.Path)
    options = parser.parse_args()
    options.artifacts.mkdir(parents=True, exist_ok=True)

    def play(report):
        print("-- without a display the program says so in one line and ends", flush=True)
        expect_no_display_message([options.probe, "."], "the probe")
        with tempfile.TemporaryDirectory(prefix="orvalis-desktop-") as folder, \
                VirtualDisplay(log_path=options.artifacts / "xvfb.log") as display:
            folder = pathlib.Path(folder)
            for name in FILES:
                (folder / name).write_bytes(b"")
            probe = Program([options.probe, str(folder)], display.env)
            report.clues.append(lambda: "The probe printed last:\n" + probe.describe(max(0, probe.mark() - 25)))
            report.scenario = Scenario(display, probe, options.send_close, options.artifacts, folder)
            report.scenario.play(probe)
    return play_scenario(play, "desktop scenario", options.artifacts)


if __name__ == "__main__":
    sys.exit(main())
