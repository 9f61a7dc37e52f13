"""What the viewer's scenarios share: its screen, its windows' captions, its views drawn
as a person would see them, the display a scenario runs on, the steps that open its
dialogs, and the steps of a scenario of the viewer (ViewerSteps)."""

import contextlib
import subprocess

from desktop_driver import WAIT_SECONDS, Steps, VirtualDisplay, X11Driver
from wayland_driver import WaylandCompositor, WaylandDriver

SCREEN = (1280, 1024)
MAIN_WINDOW = r"^(Orvalis|Fichier .*)$"
FILE_DIALOG = r"^Ouverture d'une liste de vues de perspectives$"
OPTIONS_DIALOG = r"^Options de visualisation$"

# The views: a house seen from a point that moves round it, with a sky and a ground of
# their own per view, so that each view is told by its colours.
VIEW_SIZE = (320, 200)
SKIES = [(150, 200, 240), (250, 210, 150), (200, 160, 230)]
GROUNDS = [(110, 170, 90), (170, 130, 90), (90, 90, 150)]
HORIZON = 119
# JPEG keeps flat areas within a few levels.
JPEG_TOLERANCE = 12
# Points of the picture (from its top left) away from the house: sky above, ground below.
SKY_POINTS = [(6, 6), (VIEW_SIZE[0] - 7, 6), (30, 50)]
GROUND_POINTS = [(6, VIEW_SIZE[1] - 7), (VIEW_SIZE[0] - 7, VIEW_SIZE[1] - 7), (30, 160)]


def write_view(path, number, size=VIEW_SIZE):
    """View `number` (from 1): ImageMagick draws it at `size`, and writes it as a JPEG."""
    width, height = size
    sky = SKIES[(number - 1) % 3]
    ground = GROUNDS[(number - 1) % 3]
    # The eye goes round the house: the near corner moves and the two walls turn.
    turn = (number - 1) % 5
    corner = 90 + 12 * turn
    left, right = corner - 25 - 10 * turn, corner + 75 - 10 * turn

    def rgb(colour):
        return "rgb(%d,%d,%d)" % colour

    def points(*coordinates):
        # Drawn on a 240 by 160 plan, scaled to the view.
        return " ".join(f"{x * width // 240},{y * height // 160}" for x, y in coordinates)
    subprocess.run(
        ["convert", "-size", f"{width}x{height}", "xc:" + rgb(sky),
         "-fill", rgb(ground), "-draw", f"rectangle 0,{HORIZON} {width - 1},{height - 1}",
         "-fill", "rgb(235,235,225)",
         "-draw", "polygon " + points((left, 100), (corner, 110), (corner, 50), (left, 56)),
         "-fill", "rgb(170,170,160)",
         "-draw", "polygon " + points((corner, 110), (right, 102), (right, 58), (corner, 50)),
         "-fill", "rgb(150,60,50)",
         "-draw", "polygon " + points((left, 56), (corner, 50), (right, 58), (corner + 20, 30), (left + 20, 33)),
         "-stroke", "rgb(40,40,40)", "-draw", "line " + points((corner, 110), (corner, 50)),
         "-quality", "92", str(path)],
        check=True, timeout=WAIT_SECONDS)


@contextlib.contextmanager
def driven_display(kind, artifacts, scale=1, logs=""):
    """The display a scenario runs on, as a context that gives its driver: Xvfb without a
    window manager, or headless sway with the program forced onto Wayland; a screen of
    SCREEN units at `scale`, whose log goes to the artifacts (xvfb<logs>.log,
    sway<logs>.log)."""
    if kind == "wayland":
        with WaylandCompositor(artifacts / f"sway{logs}.log", SCREEN[0], SCREEN[1], scale) as compositor:
            yield WaylandDriver(compositor)
    else:
        with VirtualDisplay(SCREEN[0] * scale, SCREEN[1] * scale, log_path=artifacts / f"xvfb{logs}.log") as display:
            yield X11Driver(display)


def open_options(driver):
    """F10, Right and Enter (Options, from the keyboard): the options dialog, once it has
    the keyboard."""
    driver.key("F10", "Right", "Return")
    return driver.focused_window(OPTIONS_DIALOG)


def open_typed(driver, path):
    """The path typed in the file dialog, which has the keyboard, and Enter: the dialog goes."""
    driver.type_text(str(path))
    driver.key("Return")
    driver.wait_gone(FILE_DIALOG, "the file dialog to go")


def menu_bar_items(shot, x, y, width, bar_height, widest_blank):
    """The items of the menu bar at (x, y), `width` by `bar_height`, found as a person
    finds them: the runs of dark text in the bar, apart by more than a blank (at most
    `widest_blank` columns under the display's font); as [left, right] columns of the bar."""
    inked = sorted({column for column in range(width) for row in range(bar_height)
                    if sum(shot.pixel(x + column, y + row)) < 3 * 110})
    items = []
    for column in inked:
        if items and column - items[-1][1] <= widest_blank:
            items[-1][1] = column
        else:
            items.append([column, column])
    return items


def play_viewer(report, driver, options, folder, make_scenario, arguments=()):
    """The viewer of the command line (`options`) started in `folder` (handed over to the
    user the display's programs run as), with `arguments`, and the scenario
    `make_scenario(viewer)` played on it; both kept in `report` for its failure."""
    driver.hand_over(folder)
    report.viewer = driver.start([options.viewer, *arguments], cwd=folder)
    report.scenario = make_scenario(report.viewer)
    report.scenario.play(report.viewer)


class ViewerSteps(Steps):
    """The steps of a scenario of the viewer (`viewer`, a Program), shown through `driver`,
    whose views are in the folder `series`; `window` is its main window once found."""

    def __init__(self, driver, viewer, artifacts, series):
        super().__init__(driver.env, artifacts, driver)
        self.viewer = viewer
        self.series = series

    def caption(self):
        return self.driver.window_name(self.window)

    def view_caption(self, number):
        return f"Fichier {self.series / 'vue'} Dessin de la vue n° {number}"

    def end_by_escape(self, who):
        """Escape in the main window ends the viewer (`who`, in the failure) with status 0."""
        self.driver.wait_focused(self.window)
        self.driver.key("Escape")
        status = self.viewer.wait_exit()
        self.expect(status == 0, f"{who} ended with status {status}")
