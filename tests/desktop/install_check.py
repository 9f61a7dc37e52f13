#!/usr/bin/env python3
"""`make install`'s step (cmake --install) into a temporary DESTDIR: the program, its
desktop entry and its icon must land under the prefix, the entry must pass
desktop-file-validate and name the program and the icon that were installed.

    install_check.py --build-dir BUILD"""

import argparse
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile

PREFIX = "/usr/local"


def png_size(path):
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


def check(build_dir):
    problems = []
    validate = shutil.which("desktop-file-validate")
    if not validate:
        return ["desktop-file-validate is missing: install desktop-file-utils "
                "(scripts/ensure-deps.sh as root, or apt-get install -y desktop-file-utils)"]
    with tempfile.TemporaryDirectory(prefix="orvalis-install-") as destdir:
        installed = subprocess.run(["cmake", "--install", build_dir, "--prefix", PREFIX],
                                   env=dict(os.environ, DESTDIR=destdir), capture_output=True, text=True, timeout=60)
        if installed.returncode != 0:
            return [f"cmake --install failed:\n{installed.stdout}{installed.stderr}"]
        root = pathlib.Path(destdir + PREFIX)
        program = root / "bin" / "orvalis"
        entry_file = root / "share" / "applications" / "orvalis.desktop"
        icons = {48: root / "share/icons/hicolor/48x48/apps/orvalis.png",
                 16: root / "share/icons/hicolor/16x16/apps/orvalis.png"}
        pixmap = root / "share/pixmaps/orvalis.png"

        if not (program.is_file() and os.access(program, os.X_OK)):
            problems.append(f"no executable program at {program}")
        for size, icon in icons.items():
            if png_size(icon) != (size, size):
                problems.append(f"{icon} is not a {size} by {size} PNG image")
        if png_size(pixmap) != (48, 48):
            problems.append(f"{pixmap} is not a 48 by 48 PNG image")
        if not entry_file.is_file():
            problems.append(f"no desktop entry at {entry_file}")
            return problems

        validated = subprocess.run([validate, str(entry_file)], capture_output=True, text=True, timeout=30)
        if validated.returncode != 0 or validated.stdout.strip() or validated.stderr.strip():
            problems.append(f"desktop-file-validate: {validated.stdout}{validated.stderr}")
        entry = desktop_entry(entry_file)
        expected = {"Type": "Application", "Name": "Orvalis", "Exec": "orvalis", "Icon": "orvalis",
                    "Categories": "Graphics;Viewer;"}
        for name, value in expected.items():
            if entry.get(name) != value:
                problems.append(f"the desktop entry's {name} is {entry.get(name)!r}, expected {value!r}")
        if "perspective" not in entry.get("Comment", ""):
            problems.append(f"the desktop entry's Comment {entry.get('Comment')!r} does not say what it shows")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", required=True)
    options = parser.parse_args()
    problems = check(options.build_dir)
    for problem in problems:
        print("FAILED: " + problem, file=sys.stderr)
    if not problems:
        print("install: the program, its desktop entry and its icons are in place")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
