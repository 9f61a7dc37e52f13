#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets: small valid files of each kind.

    make-corpus.py --formc <orvalis-formc> --out <folder>

<folder>/<target>/ receives the seeds of each target: form data compiled by the form
compiler (the viewer's two forms and small forms of the reader target's own classes),
form sources, PNG files of every colour type and bit depth, JPEG files (baseline,
progressive, grey, CMYK, restart markers, arithmetic coding), BMP files (1 to 32 bits,
RLE, OS/2). PNG bytes are written here; JPEG files come from cjpeg and ImageMagick, BMP
files from ImageMagick (scripts/ensure-deps.sh installs both). Nothing is large.
"""

import argparse
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# Forms of the reader target's classes (tests/classes/TestClasses.h), each showing a
# few of the things a resource can hold.
READER_FORMS = {
    "every_kind": """
TTestForm Form1 {
  Caption = "Essai"
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = "MS Sans Serif"
  Font.Style = {tsBold, tsItalic, fsUnknown}
  Items.Strings = ["Continu", "Arrêt sur image", long"x"]
  Columns = collection { item { Caption = "A" Width = 40 } item 3 { Width = 60 } }
  Menu = Timer1
  Default = Button1
  OnClose = FormClose
  Tag = 7
  Left = 10
  Top = 20
  TTestChild Button1 {
    Accelerator = "O"
    Align = alClient
    Associate = Button2
    Big = 0x123456789
    Caption = "Délai entre chaque vue"
    Enabled = False
    Flag = True
    Hint = wide"h\\u{E9}"
    Many = {m0, m31, m39}
    Ratio = -2e3
    Width = 197
    OnClick = Button1Click
    Data = hex"424D 0000 0102"
  }
  TTestChild Button2 {
    Associate = Other.Button1
    Caption = utf8"ascii"
  }
  TTestTimer Timer1 {
    Interval = 3000
    OnTimer = Timer1Timer
    Left = 280
    Top = 112
  }
}
""",
    "nested_children": """
TTestForm Form1 {
  TTestChild A {
    TTestChild B {
      TTestChild C { Associate = A }
    }
  }
  TTestTimer T (position 2) { }
}
""",
    "inherited_and_inline": """
TTestDerivedForm Form1 {
  TTestChild Inherited1 (inherited) { Width = 5 }
  TTestChild Extra (inline) {
    TTestChild Inner { Associate = Extra }
  }
}
""",
    "references": """
TTestForm Form2 {
  Menu = Form3.Button1
  Default = Other.Button1
  OnClose = nil
  TTestChild Button1 { Associate = Owner }
  TTestChild Button3 { Associate = Button1 }
}
""",
    "every_tag": """
TTestForm Form1 {
  TTestChild Button1 {
    Width = int64(5)
    Ratio = extended(hex"00000000000000C0FF7F")
    Caption = long"long"
    Hint = utf8"é"
    Big = int8(1)
    Flag = ident"-5"
    Align = ident"alTop"
    Accelerator = wide"x"
    Enabled = True
  }
}
""",
    "read_only": """
TTestForm Form1 {
  Counter = 1
}
""",
    "another_form": """
TTestForm Form1 {
  Menu = Other.Owner
}
""",
    "no_root_class": """
TTestChild Lone {
  Caption = "root of its own class"
  TTestTimer T { }
}
""",
}


def run(command, **kwargs):
    subprocess.run(command, check=True, **kwargs)


def convert_tool():
    """ImageMagick's convert; the package's own binary when a wrapper stands first."""
    for candidate in ("/usr/bin/convert", shutil.which("convert")):
        if candidate and Path(candidate).exists():
            return candidate
    return None


# Form data and form sources.

def make_forms(formc, out, work):
    reader = out / "fuzz_form_reader"
    source = out / "fuzz_form_source"
    sources = {path.stem: path.read_text(encoding="utf-8") for path in sorted((ROOT / "app" / "forms").glob("*.form"))}
    sources.update(READER_FORMS)
    for name, text in sources.items():
        form = work / f"{name}.form"
        form.write_text(text, encoding="utf-8")
        data = work / f"{name}.tpf0"
        run([formc, "compile", str(form), "-o", str(data)])
        shutil.copy(data, reader / f"{name}.tpf0")
        shutil.copy(form, source / f"{name}.form")
        shutil.copy(data, source / f"{name}.tpf0")
        printed = subprocess.run([formc, "print", str(data)], check=True, capture_output=True).stdout
        (source / f"{name}.printed.form").write_bytes(printed)


# PNG files, written byte by byte.

def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}

ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def pack_row(samples, depth):
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    if depth == 8:
        return bytes(samples)
    per_byte = 8 // depth
    out = bytearray()
    for i in range(0, len(samples), per_byte):
        byte = 0
        group = samples[i:i + per_byte]
        for j, s in enumerate(group):
            byte |= s << (8 - depth * (j + 1))
        out.append(byte)
    return bytes(out)


def png_bytes(width, height, colour_type, depth, interlaced=False, palette=None, trns=None, extra=()):
    channels = CHANNELS[colour_type]
    top = (1 << depth) - 1
    if colour_type == 3:
        top = len(palette) - 1

    def sample(x, y, c):
        return (x * 7 + y * 13 + c * 29) % (top + 1)

    def rows_of(xs, ys):
        raw = bytearray()
        for y in ys:
            # Every filter type; any bytes unfilter to valid samples, but palette
            # indices must stay within the palette.
            raw.append(0 if colour_type == 3 else y % 5)
            raw += pack_row([sample(x, y, c) for x in xs for c in range(channels)], depth)
        return raw

    if interlaced:
        raw = bytearray()
        for x0, y0, dx, dy in ADAM7:
            xs, ys = list(range(x0, width, dx)), list(range(y0, height, dy))
            if xs and ys:
                raw += rows_of(xs, ys)
    else:
        raw = rows_of(list(range(width)), list(range(height)))
    header = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 1 if interlaced else 0)
    chunks = [png_chunk(b"IHDR", header)]
    chunks += [png_chunk(kind, data) for kind, data in extra]
    if palette is not None:
        chunks.append(png_chunk(b"PLTE", b"".join(bytes(c) for c in palette)))
    if trns is not None:
        chunks.append(png_chunk(b"tRNS", trns))
    compressed = zlib.compress(bytes(raw), 9)
    # Two IDAT chunks when there is enough data: readers must join them.
    half = len(compressed) // 2 if len(compressed) > 16 else len(compressed)
    chunks.append(png_chunk(b"IDAT", compressed[:half]))
    if half < len(compressed):
        chunks.append(png_chunk(b"IDAT", compressed[half:]))
    chunks.append(png_chunk(b"IEND", b""))
    return b"\x89PNG\r\n\x1a\n" + b"".join(chunks)


def make_pngs(out):
    target = out / "fuzz_png"
    palette = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (200, 100, 50), (25, 25, 25), (255, 255, 255)]
    grey16_trns = struct.pack(">H", 0x1234)
    files = {
        "grey1": png_bytes(7, 5, 0, 1),
        "grey2": png_bytes(7, 5, 0, 2),
        "grey4": png_bytes(7, 5, 0, 4),
        "grey8": png_bytes(7, 5, 0, 8),
        "grey16_trns": png_bytes(5, 3, 0, 16, trns=grey16_trns),
        "rgb8": png_bytes(6, 4, 2, 8),
        "rgb8_trns": png_bytes(6, 4, 2, 8, trns=struct.pack(">HHH", 10, 20, 30)),
        "rgb16": png_bytes(4, 3, 2, 16),
        "palette1": png_bytes(9, 3, 3, 1, palette=palette[:2]),
        "palette2": png_bytes(9, 3, 3, 2, palette=palette[:4]),
        "palette4": png_bytes(9, 3, 3, 4, palette=palette),
        "palette8_trns": png_bytes(9, 3, 3, 8, palette=palette, trns=bytes([255, 0, 255])),
        "palette8_partial": png_bytes(9, 3, 3, 8, palette=palette, trns=bytes([128, 64])),
        "grey_alpha8": png_bytes(5, 4, 4, 8),
        "grey_alpha16": png_bytes(5, 4, 4, 16),
        "rgba8": png_bytes(5, 4, 6, 8),
        "rgba16": png_bytes(3, 2, 6, 16),
        "interlaced_rgb": png_bytes(11, 9, 2, 8, interlaced=True),
        "interlaced_grey2": png_bytes(11, 9, 0, 2, interlaced=True),
        "interlaced_palette": png_bytes(11, 9, 3, 8, interlaced=True, palette=palette),
        "ancillary": png_bytes(4, 4, 2, 8, extra=[(b"gAMA", struct.pack(">I", 45455)),
                                                  (b"tEXt", b"Comment\x00seed"),
                                                  (b"pHYs", struct.pack(">IIB", 2835, 2835, 1))]),
        "one_pixel": png_bytes(1, 1, 0, 8),
    }
    for name, data in files.items():
        (target / f"{name}.png").write_bytes(data)


# Pictures for the JPEG and BMP encoders, as PPM and PGM.

def ppm(width, height):
    pixels = bytearray()
    for y in range(height):
        for x in range(width):
            pixels += bytes(((x * 255) // max(1, width - 1), (y * 255) // max(1, height - 1), (x * y * 7) & 255))
    return b"P6\n%d %d\n255\n" % (width, height) + bytes(pixels)


def pgm(width, height):
    pixels = bytes(((x + y) * 255 // max(1, width + height - 2)) for y in range(height) for x in range(width))
    return b"P5\n%d %d\n255\n" % (width, height) + pixels


def make_jpegs(out, work, convert):
    target = out / "fuzz_jpeg"
    colour = work / "colour.ppm"
    colour.write_bytes(ppm(19, 13))
    grey = work / "grey.pgm"
    grey.write_bytes(pgm(17, 11))
    cjpeg = shutil.which("cjpeg")
    if cjpeg:
        variants = {
            "baseline": [],
            "progressive": ["-progressive"],
            "optimized": ["-optimize", "-quality", "50"],
            "restart": ["-restart", "1B"],
            "arithmetic": ["-arithmetic"],
            "sample_1x1": ["-sample", "1x1"],
            "sample_2x1": ["-sample", "2x1"],
            "rgb": ["-rgb"],
            "smooth": ["-smooth", "30"],
            "dct_float": ["-dct", "float"],
        }
        for name, options in variants.items():
            run([cjpeg, *options, "-outfile", str(target / f"{name}.jpg"), str(colour)])
        run([cjpeg, "-outfile", str(target / "grey.jpg"), str(grey)])
        run([cjpeg, "-progressive", "-outfile", str(target / "grey_progressive.jpg"), str(grey)])
        run([cjpeg, "-grayscale", "-outfile", str(target / "colour_as_grey.jpg"), str(colour)])
    else:
        print("make-corpus: cjpeg not found, JPEG seeds from ImageMagick only", file=sys.stderr)
    if convert:
        run([convert, str(colour), "-colorspace", "CMYK", str(target / "cmyk.jpg")])
        run([convert, str(colour), "-interlace", "JPEG", "-colorspace", "CMYK", str(target / "cmyk_progressive.jpg")])
        run([convert, str(colour), "-quality", "95", str(target / "magick.jpg")])
        run([convert, "-size", "1x1", "xc:red", str(target / "one_pixel.jpg")])


def make_bmps(out, work, convert):
    target = out / "fuzz_bmp"
    colour = work / "bmp_colour.ppm"
    colour.write_bytes(ppm(13, 7))
    if not convert:
        print("make-corpus: ImageMagick not found, no BMP seeds", file=sys.stderr)
        return
    # name: convert options, output format (BMP3 is the Windows 3 header, BMP2 OS/2).
    variants = {
        "mono": (["-monochrome", "-type", "Bilevel"], "BMP3"),
        "palette4": (["-colors", "16", "-type", "Palette"], "BMP3"),
        "palette8": (["-colors", "200", "-type", "Palette", "-compress", "None"], "BMP3"),
        "rle8": (["-colors", "200", "-type", "Palette", "-compress", "RLE"], "BMP3"),
        "rgb24": (["-type", "TrueColor"], "BMP3"),
        "rgb565": (["-define", "bmp:subtype=RGB565"], "BMP"),
        "rgb555": (["-define", "bmp:subtype=RGB555"], "BMP"),
        "rgba32": (["-type", "TrueColorAlpha"], "BMP"),
        "v5_palette8": (["-colors", "100", "-type", "Palette", "-compress", "None"], "BMP"),
        "os2_24": ([], "BMP2"),
        "os2_4": (["-colors", "16", "-type", "Palette"], "BMP2"),
        "top_down": (["-flip", "-type", "TrueColor"], "BMP3"),
    }
    for name, (options, fmt) in variants.items():
        run([convert, str(colour), *options, f"{fmt}:{target / (name + '.bmp')}"])
    (target / "rle4.bmp").write_bytes(rle4_bmp())


def rle4_bmp():
    """A 4-bit RLE file (ImageMagick writes none): runs, an absolute run, a delta."""
    width, height = 10, 3
    rows = [
        bytes([10, 0x12]),                           # ten pixels alternating 1 and 2
        bytes([0, 6, 0x34, 0x56, 0x78, 0]),          # absolute: 3 4 5 6 7 8, padded to 16 bits
        bytes([4, 0xFF, 0, 2, 2, 0, 2, 0x9A]),       # a run, a delta of two, a run
    ]
    pixels = b"".join(row + b"\x00\x00" for row in rows[:-1]) + rows[-1] + b"\x00\x01"
    palette = b"".join(bytes((i * 16, 255 - i * 16, i * 8, 0)) for i in range(16))
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 2, len(pixels), 2835, 2835, 16, 0)
    header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return header + info + palette + pixels


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--formc", required=True, help="the form compiler, orvalis-formc")
    parser.add_argument("--out", required=True, help="the folder of the seed corpora")
    args = parser.parse_args()

    out = Path(args.out)
    if out.exists():
        shutil.rmtree(out)
    for target in ("fuzz_form_reader", "fuzz_form_source", "fuzz_png", "fuzz_jpeg", "fuzz_bmp"):
        (out / target).mkdir(parents=True)
    convert = convert_tool()
    with tempfile.TemporaryDirectory() as folder:
        work = Path(folder)
        make_forms(args.formc, out, work)
        make_pngs(out)
        make_jpegs(out, work, convert)
        make_bmps(out, work, convert)
    for target in sorted(out.iterdir()):
        print(f"make-corpus: {target.name}: {len(list(target.iterdir()))} seeds")


if __name__ == "__main__":
    main()
