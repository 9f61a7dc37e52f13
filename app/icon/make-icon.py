#!/usr/bin/env python3
"""Draws the application icon (a perspective grid on a drawing board) at 256, 128, 48 and
16 pixels with ImageMagick and as a scalable SVG drawing, and packs the 48 and 16 pixel
images into MainIcon.ico, the icon group that the program embeds as its resource
"MAINICON"; the others are installed for the desktop's icon theme. Run it from anywhere
after changing the drawing; the files it writes are committed."""

import os
import struct
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
SIZES = (256, 128, 48, 16)
ICON_GROUP_SIZES = (48, 16)


def shapes(size):
    """The drawing on a 48-unit square, as (kind, colour, stroke width in units at this
    size, points); a small icon leaves out the lines it could not show apart."""
    s = size / 48.0
    board_stroke = max(1.0, 2 * s) / s
    # The board, the horizon and the vanishing point, the floor lines that run to it and
    # the cross lines that come closer together towards the horizon.
    drawn = [("board", "#f4efe1", "#6b4a2b", board_stroke, [(3, 3), (44, 44)]),
             ("line", None, "#3b6fb6", max(1.0, 1.5 * s) / s, [(5, 17), (42, 17)])]
    for x in (5, 13, 21, 27, 35, 42):
        if size < 32 and x in (13, 35):
            continue
        drawn.append(("line", None, "#2d2d2d", max(0.8, 1.2 * s) / s, [(24, 17), (x, 42)]))
    for y in (42, 31, 24, 20):
        if size < 32 and y == 20:
            continue
        drawn.append(("line", None, "#2d2d2d", max(0.8, 1.0 * s) / s, [(5, y), (42, y)]))
    drawn.append(("dot", "#d9412b", None, 0, [(24, 17)]))
    return drawn


def draw_png(size, path):
    s = size / 48.0

    def p(x, y):
        return f"{x * s:.1f},{y * s:.1f}"

    commands = []
    for kind, fill, stroke, width, points in shapes(size):
        if kind == "board":
            commands.append("fill %s stroke %s stroke-width %.1f roundrectangle %s %s %.1f,%.1f"
                            % (fill, stroke, width * s, p(*points[0]), p(*points[1]), 4 * s, 4 * s))
        elif kind == "line":
            commands.append("stroke %s stroke-width %.1f line %s %s" % (stroke, width * s, p(*points[0]), p(*points[1])))
        else:
            x, y = points[0]
            commands.append("fill %s stroke none circle %s %s" % (fill, p(x, y), p(x + 2.2, y)))
    subprocess.run(["convert", "-size", f"{size}x{size}", "xc:none", "-draw", " ".join(commands),
                    "-strip", "-define", "png:color-type=6", path], check=True)


def draw_svg(path):
    elements = []
    for kind, fill, stroke, width, points in shapes(256):
        if kind == "board":
            (x0, y0), (x1, y1) = points
            elements.append(f'<rect x="{x0}" y="{y0}" width="{x1 - x0}" height="{y1 - y0}" rx="4" ry="4" '
                            f'fill="{fill}" stroke="{stroke}" stroke-width="{width:g}"/>')
        elif kind == "line":
            (x0, y0), (x1, y1) = points
            elements.append(f'<line x1="{x0}" y1="{y0}" x2="{x1}" y2="{y1}" stroke="{stroke}" '
                            f'stroke-width="{width:g}"/>')
        else:
            x, y = points[0]
            elements.append(f'<circle cx="{x}" cy="{y}" r="2.2" fill="{fill}"/>')
    with open(path, "w") as out:
        out.write('<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48" viewBox="0 0 48 48">\n')
        for element in elements:
            out.write(f"  {element}\n")
        out.write("</svg>\n")


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
for size in SIZES:
    png = os.path.join(HERE, f"MainIcon{size}.png")
    draw_png(size, png)
    if size in ICON_GROUP_SIZES:
        with open(png, "rb") as f:
            images.append((size, f.read()))
draw_svg(os.path.join(HERE, "MainIcon.svg"))
pack(images, os.path.join(HERE, "MainIcon.ico"))
