#!/usr/bin/python3
"""Writes the Korvid skin: every sheet of the Resources folder and the
program icon.

usage: generate_skin.py --out FOLDER --icon PATH/korvid.ico [--sheets LIST]

LIST is the sheet list, skin/sheets.txt by default: each sheet's file and
how it is drawn.

Prints nothing on success; on failure prints the reason and exits with 1.
Needs Pillow (Debian python3-pil) and the fonts-liberation package.
"""
import argparse
import os
import sys

sys.dont_write_bytecode = True   # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from skinkit import BUSY, DOWN, NORMAL, OFF, OVER, SkinError, check_fonts  # noqa: E402
import sheets  # noqa: E402
from mark import write_icon  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
# The one list of the sheets, which the program's build reads too.
SHEET_LIST = os.path.join(HERE, "..", "..", "skin", "sheets.txt")
STATES = (NORMAL, OVER, DOWN, OFF, BUSY)


def drawing(family, where):
    """The function that draws a sheet of FAMILY in a state: FAMILY_sheet of
    sheets.py, or for "message:KIND" message_sheet with KIND."""
    function, _, kind = family.partition(":")
    draw = getattr(sheets, function + "_sheet", None)
    if not callable(draw):
        raise SkinError("%s: sheets.py has no %s_sheet" % (where, function))
    if kind:
        return lambda state: draw(kind, state)
    return draw


def read_sheet_list(path):
    """(file name, drawing function, state) of every sheet in the list, in
    its order."""
    try:
        with open(path, encoding="utf-8") as list_file:
            lines = list_file.read().splitlines()
    except OSError as error:
        raise SkinError("cannot read the sheet list: %s" % error)
    entries = []
    for number, line in enumerate(lines, 1):
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        where = "%s:%d" % (path, number)
        if len(words) != 4:
            raise SkinError("%s: a line is NAME FILE FAMILY STATE" % where)
        _name, file_name, family, state = words
        if state not in STATES:
            raise SkinError("%s: the state is one of %s" % (where, ", ".join(STATES)))
        entries.append((file_name, drawing(family, where), state))
    if not entries:
        raise SkinError("%s lists no sheets" % path)
    return entries


def save(img, path):
    if path.endswith(".png"):
        img.save(path, "PNG", optimize=False)   # 32-bit RGBA
    else:
        img.convert("RGB").save(path, "BMP")    # 24-bit


def generate(out_folder, icon_path, sheet_list=SHEET_LIST):
    check_fonts()
    entries = read_sheet_list(sheet_list)
    try:
        os.makedirs(out_folder, exist_ok=True)
        icon_folder = os.path.dirname(os.path.abspath(icon_path))
        os.makedirs(icon_folder, exist_ok=True)
    except OSError as error:
        raise SkinError("cannot create folder: %s" % error)
    for name, draw, state in entries:
        img = draw(state)
        try:
            save(img, os.path.join(out_folder, name))
        except OSError as error:
            raise SkinError("cannot write %s: %s" % (name, error))
    try:
        write_icon(icon_path)
    except OSError as error:
        raise SkinError("cannot write %s: %s" % (icon_path, error))


def main(argv=None):
    parser = argparse.ArgumentParser(description="Writes the Korvid skin sheets and icon.")
    parser.add_argument("--out", required=True, help="folder for the skin sheets")
    parser.add_argument("--icon", required=True, help="path of the .ico file to write")
    parser.add_argument("--sheets", default=SHEET_LIST, help="the sheet list (default: skin/sheets.txt)")
    args = parser.parse_args(argv)
    try:
        generate(args.out, args.icon, args.sheets)
    except SkinError as error:
        print("generate_skin: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
