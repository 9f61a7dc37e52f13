#!/usr/bin/env python3
"""`make install`'s step (cmake --install) into a temporary DESTDIR: the program, its
desktop entry, its AppStream metadata and its icons must land under the prefix; the entry
must pass desktop-file-validate and name the program and the icon that were installed,
the metadata, named after its component id (lower-case reverse-DNS), must name the entry
and pass appstreamcli validate-tree on the installed tree.

    install_check.py --build-dir BUILD

check_tree() is also what the package's test (package_check.py) asks of the package."""

import os
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

from check_outcome import argument_parser, outcome

PREFIX = "/usr/local"
# The icon theme's sizes, and the pixmap older menus read.
ICON_SIZES = (16, 48, 128, 256)
PIXMAP_SIZE = 48
TOOLS = {"desktop-file-validate": "desktop-file-utils", "appstreamcli": "appstream"}
COMPONENT_ID = "example.orvalis.orvalis"
METAINFO = f"{COMPONENT_ID}.metainfo.xml"


def png_size(path):
    if not path.is_file():
        return None
    data = path.read_bytes()[:24]
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", data[16:24])


def desktop_entry(path):
    """The keys of the [Desktop Entry] group."""
    entry, group = {}, None
    for line in path.read_text(encoding="utf-8").splitlines():
        if line.startswith("["):
            group = line
        elif group == "[Desktop Entry]" and "=" in line and not line.startswith("#"):
            name, value = line.split("=", 1)
            entry[name] = value
    return entry


def missing_tools():
    missing = sorted({package for tool, package in TOOLS.items() if not shutil.which(tool)})
    if missing:
        return [f"missing package(s) {' '.join(missing)}: install them with scripts/ensure-deps.sh (as root) "
                f"or apt-get install -y {' '.join(missing)}"]
    return []


def latest_release(metainfo):
    """The version of the metadata's newest release (listed first)."""
    release = ElementTree.parse(metainfo).getroot().find("releases/release")
    return release.get("version") if release is not None else None


def check_tree(root):
    """What an installed prefix (`root`, e.g. DESTDIR + /usr) must hold; the problems found."""
    problems = []
    program = root / "bin" / "orvalis"
    entry_file = root / "share" / "applications" / "orvalis.desktop"
    metainfo = root / "share" / "metainfo" / METAINFO
    scalable = root / "share/icons/hicolor/scalable/apps/orvalis.svg"
    pixmap = root / "share/pixmaps/orvalis.png"

    if not (program.is_file() and os.access(program, os.X_OK)):
        problems.append(f"no executable program at {program}")
    for size in ICON_SIZES:
        icon = root / f"share/icons/hicolor/{size}x{size}/apps/orvalis.png"
        if png_size(icon) != (size, size):
            problems.append(f"{icon} is not a {size} by {size} PNG image")
    if png_size(pixmap) != (PIXMAP_SIZE, PIXMAP_SIZE):
        problems.append(f"{pixmap} is not a {PIXMAP_SIZE} by {PIXMAP_SIZE} PNG image")
    if not scalable.is_file() or ElementTree.parse(scalable).getroot().tag != "{http://www.w3.org/2000/svg}svg":
        problems.append(f"{scalable} is not an SVG drawing")
    if not entry_file.is_file():
        problems.append(f"no desktop entry at {entry_file}")
    else:
        validated = subprocess.run(["desktop-file-validate", str(entry_file)], capture_output=True, text=True,
                                   timeout=30)
        if validated.returncode != 0 or validated.stdout.strip() or validated.stderr.strip():
            problems.append(f"desktop-file-validate: {validated.stdout}{validated.stderr}")
        entry = desktop_entry(entry_file)
        # The file manager offers the viewer for JPEG and BMP files and passes the one chosen.
        expected = {"Type": "Application", "Name": "Orvalis", "Exec": "orvalis %f", "Icon": "orvalis",
                    "Categories": "Graphics;Viewer;", "MimeType": "image/jpeg;image/bmp;"}
        for name, value in expected.items():
            if entry.get(name) != value:
                problems.append(f"the desktop entry's {name} is {entry.get(name)!r}, expected {value!r}")
        if "perspective" not in entry.get("Comment", ""):
            problems.append(f"the desktop entry's Comment {entry.get('Comment')!r} does not say what it shows")
    if not metainfo.is_file():
        problems.append(f"no AppStream metadata at {metainfo}")
    else:
        # The tree as software centres read it: the metadata beside the entry it launches.
        validated = subprocess.run(["appstreamcli", "validate-tree", "--no-net", "--no-color", str(root)],
                                   capture_output=True, text=True, timeout=60)
        if validated.returncode != 0 or METAINFO not in validated.stdout:
            problems.append(f"appstreamcli validate-tree: {validated.stdout}{validated.stderr}")
        component = ElementTree.parse(metainfo).getroot()
        if component.findtext("id") != COMPONENT_ID:
            problems.append(f"the metadata's component id is {component.findtext('id')!r}, not {COMPONENT_ID!r}")
        launchable = component.find("launchable[@type='desktop-id']")
        if launchable is None or launchable.text != entry_file.name:
            problems.append(f"the metadata's launchable is not the desktop entry {entry_file.name}")
        if component.find("provides/binary") is None or component.find("provides/binary").text != program.name:
            problems.append(f"the metadata does not name the program {program.name}")
    return problems


def check(build_dir):
    problems = missing_tools()
    if problems:
        return problems
    with tempfile.TemporaryDirectory(prefix="orvalis-install-") as destdir:
        installed = subprocess.run(["cmake", "--install", build_dir, "--prefix", PREFIX],
                                   env=dict(os.environ, DESTDIR=destdir), capture_output=True, text=True, timeout=60)
        if installed.returncode != 0:
            return [f"cmake --install failed:\n{installed.stdout}{installed.stderr}"]
        return check_tree(pathlib.Path(destdir + PREFIX))


def main():
    parser = argument_parser(__doc__)
    parser.add_argument("--build-dir", required=True)
    options = parser.parse_args()
    problems = check(options.build_dir)
    return outcome(problems, "install: the program, its desktop entry, its metadata and its icons are in place")


if __name__ == "__main__":
    sys.exit(main())
