#!/usr/bin/env python3
"""Draws the application icon (a perspective grid on a drawing board) at 48 and 16 pixels
with ImageMagick, and packs both PNG images into MainIcon.ico, the icon group that the
program embeds as its resource "MAINICON". Run it from anywhere after changing the drawing;
the three files it writes are committed."""

import os
import struct
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))


def draw(size, path):
    s = size / 48.0

    def p(x, y):
        return f"{x * s:.1f},{y * s:.1f}"

    # The board, the horizon and the vanishing point, the floor lines that run to it and
    # the cross lines that come closer together towards the horizon.
    commands = [
        "fill #f4efe1 stroke #6b4a2b stroke-width %.1f roundrectangle %s %s %.1f,%.1f" % (max(1.0, 2 * s), p(3, 3), p(44, 44), 4 * s, 4 * s),
        "stroke #3b6fb6 stroke-width %.1f line %s %s" % (max(1.0, 1.5 * s), p(5, 17), p(42, 17)),
    ]
    for x in (5, 13, 21, 27, 35, 42):
        if size < 32 and x in (13, 35):
            continue
        commands.append("stroke #2d2d2d stroke-width %.1f line %s %s" % (max(0.8, 1.2 * s), p(24, 17), p(x, 42)))
    for y in (42, 31, 24, 20):
        if size < 32 and y == 20:
            continue
        commands.append("stroke #2d2d2d stroke-width %.1f line %s %s" % (max(0.8, 1.0 * s), p(5, y), p(42, y)))
    commands.append("fill #d9412b stroke none circle %s %s" % (p(24, 17), p(24 + 2.2, 17)))
    subprocess.run(["convert", "-size", f"{size}x{size}", "xc:none", "-draw", " ".join(commands),
                    "-strip", "-define", "png:color-type=6", path], check=True)


def pack(images, path):
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, data = b"", b""
    for size, png in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(png), offset + len(data))
        data += png
    with open(path, "wb") as out:
        out.write(header + entries + data)


images = []
for size in (48, 16):
    png = os.path.join(HERE, f"MainIcon{size}.png")
    draw(size, png)
    with open(png, "rb") as f:
        images.append((size, f.read()))
pack(images, os.path.join(HERE, "MainIcon.ico"))
