#!/usr/bin/python3
"""Contact sheet of a skin folder, for review.

usage: preview.py --in FOLDER --out PREVIEW.png [--scale 0.5]

Sheets are laid out in rows with their file names, a layered sheet put
back over its base; transparent parts are shown over a checkerboard.
"""
import argparse
import os
import sys

from PIL import Image, ImageDraw, ImageFont

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from sheet_files import put_together  # noqa: E402
from sheet_list import bases, read_list  # noqa: E402

SHEET_LIST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "skin", "sheets.txt")

FONT = "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"
ORDER = ("Main_", "Buttons_", "MSensor_", "Update_", "Support_", "NoDevice_",
         "SystemMsg_", "Nodev_", "Error_", "Color_", "Key_")
STATES = ("BK", "Normal", "Over", "Down", "Off")


def checker(size, cell=8):
    img = Image.new("RGBA", size, (90, 90, 90, 255))
    d = ImageDraw.Draw(img)
    for y in range(0, size[1], cell):
        for x in range((y // cell) % 2 * cell, size[0], cell * 2):
            d.rectangle((x, y, x + cell - 1, y + cell - 1), fill=(140, 140, 140, 255))
    return img


def sort_key(name):
    stem = os.path.splitext(name)[0]
    family, _, state = stem.partition("_")
    rank = next((i for i, p in enumerate(ORDER) if stem.startswith(p)), len(ORDER))
    return (rank, STATES.index(state) if state in STATES else 9, name)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Contact sheet of a skin folder.")
    parser.add_argument("--in", dest="folder", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--scale", type=float, default=0.5)
    args = parser.parse_args(argv)
    try:
        names = sorted((n for n in os.listdir(args.folder)
                        if n.lower().endswith(".png")), key=sort_key)
    except OSError as error:
        print("preview: %s" % error, file=sys.stderr)
        return 1
    if not names:
        print("preview: no sheets in %s" % args.folder, file=sys.stderr)
        return 1
    base_of = bases(read_list(SHEET_LIST))
    label_font = ImageFont.truetype(FONT, 14)
    tiles = []
    for name in names:
        img = Image.open(os.path.join(args.folder, name))
        base = base_of.get(name, name)
        if base != name:
            img = put_together(Image.open(os.path.join(args.folder, base)), img)
        img = img.convert("RGBA")
        base = checker(img.size)
        base.alpha_composite(img)
        w, h = int(img.width * args.scale), int(img.height * args.scale)
        tiles.append((name, img.size, base.resize((w, h), Image.LANCZOS)))
    width, pad = 1800, 16
    rows, row, x = [], [], pad
    def span(tile):
        label = "%s  %dx%d" % (tile[0], tile[1][0], tile[1][1])
        return max(tile[2].width, int(label_font.getlength(label))) + pad

    for tile in tiles:
        if row and x + span(tile) > width:
            rows.append(row)
            row, x = [], pad
        row.append(tile)
        x += span(tile)
    rows.append(row)
    height = pad + sum(max(t[2].height for t in r) + 24 + pad for r in rows)
    sheet = Image.new("RGBA", (width, height), (10, 10, 10, 255))
    d = ImageDraw.Draw(sheet)
    y = pad
    for r in rows:
        x = pad
        for name, size, img in r:
            d.text((x, y), "%s  %dx%d" % (name, size[0], size[1]), font=label_font,
                   fill=(253, 196, 21, 255))
            sheet.alpha_composite(img, (x, y + 20))
            x += span((name, size, img))
        y += max(t[2].height for t in r) + 24 + pad
    sheet.convert("RGB").save(args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
