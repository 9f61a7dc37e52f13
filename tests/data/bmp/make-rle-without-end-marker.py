#!/usr/bin/env python3
"""Writes the two run-length files whose rows are all there but whose end-of-bitmap
marker is missing, as some encoders leave them (4 x 3 pixels, four colours):

    rle8-without-end-marker.bmp   RLE8; the data stops right after the top row's pixels
    rle4-without-end-marker.bmp   RLE4; the data stops after the top row's end of line

Rows from the top: 2 2 3 3 / 2 3 1 2 / 1 1 1 1 in RLE8, 3 3 3 3 / 3 1 2 3 / 1 2 1 2 in
RLE4, colours 0 black, 1 red, 2 green, 3 blue. Run it from this folder to write them again."""

import struct

COLOURS = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (0, 0, 255)]


def bmp(bit_count, compression, data, width=4, height=3):
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in COLOURS)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bit_count, compression, len(data), 2835, 2835,
                         len(COLOURS), 0)
    offset = 14 + len(header) + len(table)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + header + table + data


RLE8 = bytes([
    0x04, 0x01, 0x00, 0x00,                                # bottom row: four 1, end of line
    0x00, 0x03, 0x02, 0x03, 0x01, 0x00, 0x01, 0x02, 0x00, 0x00,  # 2 3 1 (padded), one 2, end of line
    0x02, 0x02, 0x02, 0x03,                                # top row: two 2, two 3; no end marker
])
RLE4 = bytes([
    0x04, 0x12, 0x00, 0x00,                                # bottom row: 1 2 1 2, end of line
    0x00, 0x04, 0x31, 0x23, 0x00, 0x00,                    # absolute 3 1 2 3, end of line
    0x04, 0x33, 0x00, 0x00,                                # top row: four 3, end of line; no end marker
])

if __name__ == "__main__":
    with open("rle8-without-end-marker.bmp", "wb") as out:
        out.write(bmp(8, 1, RLE8))
    with open("rle4-without-end-marker.bmp", "wb") as out:
        out.write(bmp(4, 2, RLE4))
