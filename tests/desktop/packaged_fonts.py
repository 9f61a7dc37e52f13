"""The options dialog of the packaged program, shown with no fonts but those of the
packages the package depends on: its texts must fit their controls, as the forms are laid
out for DejaVu Sans Condensed (docs/framework.md) and a wider face makes the edit box
cover the label's last letters ("Délai entre chaque vu").

    problems = check_fonts_fit(program, depends, folder, artifacts)

The fonts are those of the installed packages the package's Depends name, and of theirs,
linked into a folder of the check's own: fontconfig (FONTCONFIG_FILE) reads that folder
only, and keeps its cache beside it."""

import pathlib
import re
import subprocess

from desktop_driver import Failure, VirtualDisplay, X11Driver, wait_until
from viewer_steps import FILE_DIALOG, MAIN_WINDOW, open_options, open_typed, write_view

FONT_FILE = re.compile(r"\.(ttf|otf|ttc|pfb)$")
# The label "Délai entre chaque vue" and the edit box beside it (app/forms/Options.form),
# in the dialog's client area: the label's ink must end two columns before the box.
LABEL_AREA = (8, 8, 120, 13)   # left, top, width, height
EDIT_LEFT = 128
INK = 3 * 140


def dependencies(names):
    """The installed packages `names` and, recursively, those they depend on."""
    found, pending = set(), list(names)
    while pending:
        name = pending.pop()
        if name in found:
            continue
        queried = subprocess.run(["dpkg-query", "-W", "-f=${Status}\t${Depends}\t${Pre-Depends}", name],
                                 capture_output=True, text=True, timeout=60)
        if queried.returncode != 0 or not queried.stdout.startswith("install ok installed"):
            continue
        found.add(name)
        for clause in re.split(r"[,\t]", queried.stdout.split("\t", 1)[1]):
            first = clause.split("|")[0].strip()
            if first:
                pending.append(re.split(r"[\s(:]", first, maxsplit=1)[0])
    return found


def font_files(packages):
    files = []
    for package in sorted(packages):
        listed = subprocess.run(["dpkg", "-L", package], capture_output=True, text=True, timeout=60).stdout
        files += [pathlib.Path(line) for line in listed.splitlines() if FONT_FILE.search(line)]
    return [path for path in files if path.is_file()]


def fontconfig_file(fonts, folder):
    """A fontconfig configuration that knows `fonts` only (linked into folder/fonts), with
    the system's rules (aliases, hinting) and its cache in `folder`."""
    linked = folder / "fonts"
    linked.mkdir()
    for font in fonts:
        (linked / font.name).symlink_to(font)
    configuration = folder / "fonts.conf"
    configuration.write_text(
        "<?xml version='1.0'?>\n<!DOCTYPE fontconfig SYSTEM 'urn:fontconfig:fonts.dtd'>\n<fontconfig>\n"
        f"  <dir>{linked}</dir>\n  <cachedir>{folder / 'cache'}</cachedir>\n"
        "  <include ignore_missing='yes'>/etc/fonts/conf.d</include>\n</fontconfig>\n")
    return configuration


def label_ink_end(shot, x, y):
    """The last screen column of the label's area that has ink, or None."""
    left, top, width, height = LABEL_AREA
    inked = [column for column in range(left, left + width) for row in range(top, top + height)
             if sum(shot.pixel(x + column, y + row)) < INK]
    return max(inked) if inked else None


def check_fonts_fit(program, depends, folder, artifacts):
    fonts = font_files(dependencies(depends))
    if not fonts:
        return [f"no package the package depends on gives a font (Depends: {', '.join(sorted(depends))})"]
    environment = {"FONTCONFIG_FILE": str(fontconfig_file(fonts, folder))}
    write_view(folder / "vue1.jpg", 1)
    with VirtualDisplay(log_path=artifacts / "xvfb-fonts.log") as display:
        driver = X11Driver(display)
        viewer = driver.start([str(program)], cwd=folder, env=environment)
        try:
            driver.find_window(MAIN_WINDOW)
            driver.focused_window(FILE_DIALOG)
            open_typed(driver, folder / "vue1.jpg")
            x, y, _, _ = driver.window_geometry(open_options(driver))

            def drawn():
                shot = driver.screenshot(artifacts / "options-package-fonts.png")
                return shot if label_ink_end(shot, x, y) is not None else None
            shot = wait_until(drawn, "the options dialog's label drawn with the package's fonts "
                              f"({', '.join(font.name for font in fonts)})")
        except Failure as failure:
            return [f"the packaged program's options dialog: {failure}\n{viewer.describe()}"]
        finally:
            viewer.stop()
    end = label_ink_end(shot, x, y)
    if end > EDIT_LEFT - 3:
        return [f"the options dialog's label runs to column {end}, under its edit box at {EDIT_LEFT}, with the "
                f"package's fonts ({', '.join(font.name for font in fonts)}); see {artifacts}"]
    return []
