#!/usr/bin/python3
"""The real viewer read and driven through the desktop's accessibility bus, as a screen
reader reads and drives it: in a session bus of its own (dbus-run-session) with the
accessibility bus, and a virtual X display without a window manager.

- the program appears on the bus (GTK's accessibility bridge is loaded);
- the main window's caption changes with the view, and the bus announces it; the
  picture is named by the view;
- the options dialog and a message dialog are announced modal on their window's own
  object, as GTK's modal dialogs are; the main window is not modal;
- the options dialog holds the label "Délai entre chaque vue", readable as text, and the
  spin button that it names (the edit box with its up-down): its text "3", selected, in
  one attribute run, its value 3 between 1 and 20; the radio buttons "Continu" (checked)
  and "Arrêt sur image" in the panel "Mode de défilement", listed last first as GTK
  lists a group; the buttons "OK" and "Annuler", each where it shows on the screen;
- a text, a caret and a value set through the bus reach the spin button, and the bus
  announces a change as the characters that changed, at their place;
- "Arrêt sur image" given the focus (as a click gives it: chosen), then the "OK"
  button's action, change the mode as clicks do: the dialog goes and the views stop;
- a message dialog's appearance is announced, with the focus on its "OK" button; it is
  an alert that says its text through its label only, and its "OK" button's action
  presses it.

    accessibility_scenario.py --viewer PATH --artifacts FOLDER

It runs with the system's python3, which has pyatspi (python3-pyatspi); it starts itself
again under dbus-run-session. Screenshots and the display's log go to the artifacts folder.
"""

import contextlib
import os
import shutil
import subprocess
import sys
import time

from desktop_driver import (WAIT_SECONDS, Failure, end_process, owned, play_scenario, start_program, viewer_options,
                            wait_until)
from viewer_steps import FILE_DIALOG, MAIN_WINDOW, OPTIONS_DIALOG, ViewerSteps, driven_display

SESSION_MARK = "ORVALIS_ACCESSIBILITY_SESSION"
ERROR_DIALOG = r"^Erreur$"
FILE_DIALOG_NAME = "Ouverture d'une liste de vues de perspectives"
VIEW_COUNT = 30
# A tick comes every 3 s in "Continu"; this long without a new view means the timer stopped.
STOPPED_SECONDS = 4.5
# The longest a path typed into the file dialog may take to reach its entry, while it keeps coming.
TYPING_SECONDS = 6 * WAIT_SECONDS
LISTENED = ["object:state-changed:checked", "object:state-changed:focused", "object:text-changed",
            "object:property-change:accessible-name", "object:property-change:accessible-value", "window:activate"]


def require_session_tools():
    """Fails with the packages to install when the bus tools are missing."""
    missing = []
    if not shutil.which("dbus-run-session"):
        missing.append("dbus-daemon")
    if not os.path.exists("/usr/libexec/at-spi-bus-launcher"):
        missing.append("at-spi2-core")
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        missing.append("python3-pyatspi")
    if missing:
        raise Failure("the accessibility test needs " + ", ".join(missing) + " (and /usr/bin/python3): install "
                      "them with scripts/ensure-deps.sh (as root) or apt-get install -y " + " ".join(missing))


class Bus:
    """The accessibility bus as a screen reader sees it: the applications' trees, and the
    events they announce, collected while waiting."""

    def __init__(self):
        import pyatspi
        from gi.repository import GLib
        self.pyatspi = pyatspi
        self.context = GLib.MainContext.default()
        self.events = []
        self.focused = None  # the element last announced focused, as a screen reader follows it
        self.listener = self.hear
        for kind in LISTENED:
            pyatspi.Registry.registerEventListener(self.listener, kind)

    def close(self):
        for kind in LISTENED:
            self.pyatspi.Registry.deregisterEventListener(self.listener, kind)

    def hear(self, event):
        self.events.append(self.describe_event(event))
        if event.type.startswith("object:state-changed:focused") and event.detail1 == 1:
            self.focused = event.source

    def describe_event(self, event):
        """(type, role, name, detail1, states): a window's states as it is announced (what a
        screen reader reads of a window that appears), None for the other events."""
        try:
            states = self.states(event.source) if event.type.startswith("window:") else None
            return (event.type, event.source.getRoleName(), event.source.name, event.detail1, states)
        except Exception:  # the source went meanwhile
            return (event.type, None, None, event.detail1, None)

    def pump(self):
        while self.context.pending():
            self.context.iteration(False)

    def wait(self, predicate, what, timeout=WAIT_SECONDS):
        def pumped():
            self.pump()
            return predicate()
        return wait_until(pumped, what, timeout)

    def application(self, name):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            if app is not None and app.name == name:
                return app
        return None

    @staticmethod
    def walk(accessible):
        yield accessible
        for index in range(accessible.childCount):
            child = accessible.getChildAtIndex(index)
            if child is not None:
                yield from Bus.walk(child)

    def find_where(self, root, matches):
        """The first element below `root` that `matches`, read afresh."""
        root.clearCache()
        for accessible in self.walk(root):
            accessible.clearCache()
            if matches(accessible):
                return accessible
        return None

    def find(self, root, role, name=None):
        """The first element below `root` with that role (and name), read afresh."""
        return self.find_where(root, lambda accessible: accessible.getRoleName() == role
                               and (name is None or accessible.name == name))

    def states(self, accessible):
        accessible.clearCache()
        return {self.pyatspi.stateToString(state) for state in accessible.getState().getStates()}

    def heard(self, kind, name, detail1=None):
        return any(event[0].startswith(kind) and event[2] == name and (detail1 is None or event[3] == detail1)
                   for event in self.events)

    def announced_states(self, kind, name):
        """The states of the window `name` when its first `kind` event was announced, or None."""
        return next((event[4] for event in self.events if event[0].startswith(kind) and event[2] == name), None)

    def expect_announced_modal(self, name, modal=True):
        """Fails unless the window `name` was announced activated with (or without) the modal state."""
        self.wait(lambda: self.heard("window:activate", name), f"the window {name!r} announced")
        states = self.announced_states("window:activate", name)
        if ("modal" in states) != modal:
            raise Failure(f"the window {name!r} announced with the states {sorted(states)}: "
                          + ("no modal state" if modal else "modal"))


def write_views(folder):
    """The series: one small JPEG under every number, and a PNG named as a view."""
    first = folder / "vue1.jpg"
    subprocess.run(["convert", "-size", "64x48", "xc:rgb(150,200,240)", "-quality", "92", str(first)], check=True,
                   timeout=WAIT_SECONDS)
    for number in range(2, VIEW_COUNT + 1):
        shutil.copyfile(first, folder / f"vue{number}.jpg")
    subprocess.run(["convert", "-size", "8x8", "xc:rgb(200,40,40)", "png:" + str(folder / "image.jpg")], check=True,
                   timeout=WAIT_SECONDS)


class Scenario(ViewerSteps):
    # How many times open_file types the path before it gives up.
    typing_attempts = 2

    def __init__(self, driver, artifacts, bus, viewer, series):
        super().__init__(driver, viewer, artifacts, series)
        self.bus = bus

    def frame(self, name):
        """The window of the program with that name, on the bus."""
        self.app.clearCache()
        for index in range(self.app.childCount):
            window = self.app.getChildAtIndex(index)
            if window is not None:
                window.clearCache()
                if window.name == name and "showing" in self.bus.states(window):
                    return window
        return None

    def element(self, root, role, name=None):
        found = self.bus.find(root, role, name)
        self.expect(found is not None, f"no {role} {name!r} in the window {root.name!r} on the bus")
        return found

    def open_file(self, path):
        """The path typed into the file dialog, and Enter once the dialog's entry holds it
        all. The bridge slows the dialog down, so much that keys typed while it builds its
        location entry can be lost: the path is typed again over what the entry holds."""
        self.driver.focused_window(FILE_DIALOG)
        self.bus.wait(lambda: self.frame(FILE_DIALOG_NAME), "the file dialog on the bus")
        typed = str(path)

        def entry_text():
            """The text of the focused entry, found as a screen reader finds it: from the
            focus announced (walking the dialog read the states of its entry late under a
            slow run, and missed the entry shown)."""
            entry = self.bus.focused
            try:
                return entry.queryText().getText(0, -1) if entry.getRoleName() == "text" else None
            except Exception:  # none yet, or gone meanwhile
                return None

        def holds_typed():
            """Whether the entry comes to hold the path. The wait lasts while the entry's
            text still changes: a slow run (the sanitizers, the screen reader, a busy
            machine) still takes the keys typed, and typing over them would mix the two."""
            seen, changed_at, started = entry_text(), time.monotonic(), time.monotonic()
            while time.monotonic() - started < TYPING_SECONDS:
                self.bus.pump()
                text = entry_text()
                if text == typed:
                    return True
                if text != seen:
                    seen, changed_at = text, time.monotonic()
                elif time.monotonic() - changed_at > WAIT_SECONDS:
                    return False
                time.sleep(0.05)
            return False

        self.driver.type_text(typed)
        for attempt in range(self.typing_attempts):
            if holds_typed():
                break
            if attempt + 1 == self.typing_attempts:
                raise Failure(f"the file dialog's entry holds {entry_text()!r}, typed {typed!r}")
            self.driver.key("ctrl+a")
            self.driver.type_text(typed)
        self.driver.key("Return")
        self.driver.wait_gone(FILE_DIALOG, "the file dialog to go")

    def run(self):
        bus = self.bus
        self.step("the program appears on the accessibility bus")
        self.window = self.driver.find_window(MAIN_WINDOW)
        self.app = bus.wait(lambda: bus.application("orvalis"),
                            "the program on the accessibility bus: GTK's accessibility bridge is not loaded")

        self.step("a view opened: the caption changes with the view, and the bus says so")
        self.open_file(self.series / "vue1.jpg")
        main = bus.wait(lambda: self.frame(self.view_caption(1)), "the main window named by view 1 on the bus",
                        timeout=2 * WAIT_SECONDS)
        picture = self.element(main, "image")
        bus.wait(lambda: picture.name == self.view_caption(1) or picture.clearCache(),
                 f"the picture named by view 1 (it is {picture.name!r})")
        bus.wait(lambda: self.frame(self.view_caption(2)), "view 2 on the bus", timeout=2 * WAIT_SECONDS)
        bus.wait(lambda: bus.heard("object:property-change:accessible-name", self.view_caption(2)),
                 "the new caption announced on the bus")

        self.step("the options dialog's controls, with their roles, names, states and places")
        self.driver.wait_focused(self.window)
        self.driver.key("F10", "Right", "Return")
        options_window = self.driver.find_window(OPTIONS_DIALOG)
        options = bus.wait(lambda: self.frame("Options de visualisation"), "the options dialog on the bus")
        self.screenshot("options")
        self.expect(options.getRoleName() == "dialog", f"the options dialog is a {options.getRoleName()}")
        # Modal on the window's own object, as a GTK modal dialog, from its appearance; the
        # main window not.
        bus.expect_announced_modal("Options de visualisation")
        self.expect("modal" not in bus.states(main), f"the main window is {sorted(bus.states(main))}")
        label = self.element(options, "label", "Délai entre chaque vue")
        said = label.queryText().getText(0, -1)
        self.expect(said == "Délai entre chaque vue", f"the label's text reads {said!r}")
        # The edit box and its up-down are one spin button, typed into.
        spin = self.element(options, "spin button", "Délai entre chaque vue")
        text = spin.queryText()
        self.expect(text.getText(0, -1) == "3", "the spin button's text is not 3")
        bus.wait(lambda: {"editable", "focusable", "focused"} <= bus.states(spin),
                 "the spin button editable and focused, as the dialog's first tab stop")
        self.expect(text.getNSelections() == 1 and tuple(text.getSelection(0)) == (0, 1),
                    "the text 3 is not selected, as the dialog opens with it")
        run = text.getAttributeRun(0, False)
        self.expect(tuple(run[1:]) == (0, 1), f"the text's attribute run is {run}, not the whole text")
        value = spin.queryValue()
        self.expect((value.currentValue, value.minimumValue, value.maximumValue) == (3, 1, 20),
                    f"the spin button holds {value.currentValue} in {value.minimumValue}..{value.maximumValue}")
        group = self.element(options, "panel", "Mode de défilement")
        continu = self.element(group, "radio button", "Continu")
        arret = self.element(group, "radio button", "Arrêt sur image")
        self.expect("checked" in bus.states(continu), "Continu is not checked")
        self.expect("checked" not in bus.states(arret), "Arrêt sur image is checked")
        # Last first, as GTK lists a group: a screen reader says "1 of 2" on Continu.
        members = [target.name for relation in arret.getRelationSet()
                   if relation.getRelationType() == bus.pyatspi.RELATION_MEMBER_OF
                   for target in (relation.getTarget(i) for i in range(relation.getNTargets()))]
        self.expect(members == ["Arrêt sur image", "Continu"], f"the radio buttons' group is {members}")
        ok = self.element(options, "push button", "OK")
        self.element(options, "push button", "Annuler")
        # Without a menu bar or a window manager's frame the window is its client area,
        # where OK lies at (8, 104), 75 by 25.
        x, y = self.driver.window_geometry(options_window)[:2]
        extents = ok.queryComponent().getExtents(bus.pyatspi.DESKTOP_COORDS)
        expected = (x + 8, y + 104, 75, 25)
        self.expect((extents.x, extents.y, extents.width, extents.height) == expected,
                    f"OK lies at {extents.x, extents.y, extents.width, extents.height} on the screen, not {expected}")

        self.step("a text, a caret and a value set through the bus reach the spin button, and the bus says so")
        spin.queryEditableText().setTextContents("5")
        bus.wait(lambda: text.getText(0, -1) == "5", "the spin button's text 5")
        bus.wait(lambda: bus.heard("object:text-changed:insert", "Délai entre chaque vue"),
                 "the spin button's new text announced")
        spin.queryEditableText().setTextContents("54")
        bus.wait(lambda: bus.heard("object:text-changed:insert", "Délai entre chaque vue", 1),
                 "the 4 added announced at its place, after the 5 that stays")
        self.expect(text.setCaretOffset(1), "the caret cannot be set")
        bus.wait(lambda: text.caretOffset == 1, "the caret after the 5")
        spin.queryValue().currentValue = 4
        bus.wait(lambda: text.getText(0, -1) == "4", "the text 4 after the spin button's value")
        bus.wait(lambda: spin.queryValue().currentValue == 4, "the spin button's value 4")

        self.step("Arrêt sur image focused, then OK pressed, through the bus, stop the views as clicks do")
        # The focus goes to a radio button as a click takes it there: the button chosen.
        self.expect(arret.queryComponent().grabFocus(), "Arrêt sur image refuses the focus")
        bus.wait(lambda: "focused" in bus.states(arret), "the focus on Arrêt sur image")
        bus.wait(lambda: "checked" in bus.states(arret) and "checked" not in bus.states(continu),
                 "Arrêt sur image checked in place of Continu")
        bus.wait(lambda: bus.heard("object:state-changed:checked", "Arrêt sur image", 1),
                 "Arrêt sur image announced checked")
        bus.wait(lambda: bus.heard("object:state-changed:focused", "Arrêt sur image", 1),
                 "the focus announced on Arrêt sur image")
        ok.queryAction().doAction(0)
        self.driver.wait_gone(OPTIONS_DIALOG, "the options dialog to go")
        stopped_at = self.caption()
        time.sleep(STOPPED_SECONDS)
        self.expect(self.caption() == stopped_at,
                    f"the views went on from {stopped_at!r} to {self.caption()!r} after Arrêt sur image")

        self.step("a message dialog is an alert that says its text, with its OK button")
        self.driver.wait_focused(self.window)
        self.driver.key("F10", "Down", "Return")
        self.open_file(self.series / "image.jpg")
        self.driver.find_window(ERROR_DIALOG)
        alert = bus.wait(lambda: self.frame("Erreur"), "the message dialog on the bus")
        self.screenshot("message")
        bus.wait(lambda: bus.heard("window:activate", "Erreur"), "the message dialog's appearance announced")
        self.expect(alert.getRoleName() == "alert", f"the message dialog is a {alert.getRoleName()}")
        bus.expect_announced_modal("Erreur")
        # It says its text through its label, once: not as its description too.
        self.expect(alert.description == "", f"the message dialog's description is {alert.description!r}")
        message = self.bus.find(alert, "label")
        said = message.queryText().getText(0, -1) if message else None
        self.expect(said and said.startswith("Format d'image non reconnu"), f"the message dialog says {said!r}")
        button = self.element(alert, "push button", "OK")
        self.expect({"focused", "is default"} <= bus.states(button), f"its OK button is {bus.states(button)}")
        bus.wait(lambda: bus.heard("object:state-changed:focused", "OK", 1),
                 "the focus on OK announced as the dialog appears")
        button.queryAction().doAction(0)
        self.driver.wait_gone(ERROR_DIALOG, "the message dialog to go")

        self.step("Escape ends the program")
        self.end_by_escape("the viewer")


@contextlib.contextmanager
def bridged_display(artifacts, prefix):
    """The display, with GTK's bridge loaded by the programs it shows and the bus
    listened to, and a working folder that holds the series (its "vues"): yields
    (driver, the folder, the Bus)."""
    with driven_display("x11", artifacts) as driver, driver.working_folder(prefix) as root:
        (root / "vues").mkdir()
        write_views(root / "vues")
        # The bridge is what is under test: GTK must load it, and find the bus of this run.
        for name in ("NO_AT_BRIDGE", "GTK_A11Y", "GTK_MODULES", "AT_SPI_BUS_ADDRESS"):
            driver.env.pop(name, None)
        bus = Bus()
        try:
            yield driver, root, bus
        finally:
            bus.close()


def run_scenario(options):
    require_session_tools()

    def play(report):
        with bridged_display(options.artifacts, "orvalis-a11y-") as (driver, root, bus):
            report.clues.append(lambda: "Heard on the bus: " + repr(bus.events[-30:]))
            report.viewer = driver.start([options.viewer], cwd=root)
            report.scenario = Scenario(driver, options.artifacts, bus, report.viewer, root / "vues")
            report.scenario.play(report.viewer)
    return play_scenario(play, "accessibility scenario", options.artifacts)


def main_in_session(run, description):
    """Runs `run(options)` (the options of viewer_options) in a session bus of this run's
    own, which starts the accessibility bus on demand: the script starts itself again
    under dbus-run-session, whose bus and the services it started end with it."""
    options = viewer_options(description)
    if os.environ.get(SESSION_MARK) == "1":
        return run(options)
    try:
        require_session_tools()
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
    # The accessibility bus is found through that session bus, not one given outside.
    env = {name: value for name, value in os.environ.items() if name != "AT_SPI_BUS_ADDRESS"}
    env[SESSION_MARK] = "1"
    # The session's bus, and the run inside it, in a process group of the test's own that
    # ends with the test: the run dies with dbus-run-session, which dies with the test.
    session = start_program(["dbus-run-session", "--", *owned([sys.executable, os.path.abspath(sys.argv[0]),
                                                                 *sys.argv[1:]])], env=env)
    try:
        return session.wait()
    finally:
        end_process(session)


if __name__ == "__main__":
    sys.exit(main_in_session(run_scenario, __doc__))
