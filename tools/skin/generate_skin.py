#!/usr/bin/python3
"""Writes the Korvid skin: every sheet of the Resources folder at every
scale step, and the program icon.

usage: generate_skin.py --out FOLDER [--icon PATH/korvid.ico] [--sheets LIST]
                        [--steps 100,125,...]

LIST is the sheet list, skin/sheets.txt by default: each sheet's file and
how it is drawn.  The 100 % sheets go into FOLDER under their own names;
each other step's into FOLDER/<percent>/ under the same names
(Resources/150/Main_BK.png).  Every sheet is a PNG: a family's base whole,
the family's other sheets as layers over it (see sheet_files.py).  --steps
draws only the steps listed (default: all).

Prints nothing on success; on failure prints the reason and exits with 1.
Needs Pillow (Debian python3-pil) and the fonts-liberation package.
"""
import argparse
import os
import re
import sys

sys.dont_write_bytecode = True   # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from skinkit import BUSY, DOWN, NORMAL, OFF, OVER, SkinError, check_fonts, set_scale  # noqa: E402
import sheets  # noqa: E402
from mark import write_icon  # noqa: E402
from sheet_files import make_layer, put_together, stored_mode  # noqa: E402
from sheet_list import bases, read_list, sheet_path  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
# The one list of the sheets, which the program's build reads too.
SHEET_LIST = os.path.join(HERE, "..", "..", "skin", "sheets.txt")
# The scale steps, as the program knows them (kArtSteps).
STEPS_HEADER = os.path.join(HERE, "..", "..", "skin", "display_scale.h")
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
    """(file name, drawing function, state, base file name) of every sheet in
    the list, in its order."""
    entries = read_list(path)
    base_of = bases(entries)
    result = []
    for _name, file_name, family, state in entries:
        where = "%s: %s" % (path, file_name)
        if state not in STATES:
            raise SkinError("%s: the state is one of %s" % (where, ", ".join(STATES)))
        result.append((file_name, drawing(family, where), state, base_of[file_name]))
    return result


def read_steps(path=STEPS_HEADER):
    """The scale steps in percent, from the program's kArtSteps."""
    try:
        with open(path, encoding="utf-8") as header:
            found = re.search(r"kArtSteps\[\]\s*=\s*\{([0-9,\s]+)\}", header.read())
    except OSError as error:
        raise SkinError("cannot read the scale steps: %s" % error)
    if not found:
        raise SkinError("%s declares no kArtSteps" % path)
    return [int(word) for word in found.group(1).split(",") if word.strip()]


def save(img, path):
    try:
        img.save(path, "PNG", compress_level=9)
    except OSError as error:
        raise SkinError("cannot write %s: %s" % (path, error))


def make_folder(folder):
    try:
        os.makedirs(folder, exist_ok=True)
    except OSError as error:
        raise SkinError("cannot create folder: %s" % error)


def draw_step(entries, out_folder, step):
    """Draws a step's sheets: a family's base whole, the others as layers
    over it, each checked to put back the sheet as drawn."""
    set_scale(step)
    drawn_bases = {}
    for name, draw, state, base in entries:
        path = sheet_path(out_folder, name, step)
        make_folder(os.path.dirname(os.path.abspath(path)))
        img = draw(state)
        if base == name:
            img = img.convert(stored_mode(img))
            drawn_bases[name] = img
            save(img, path)
            continue
        below = drawn_bases[base]
        layer = make_layer(below, img, name)
        if put_together(below, layer).tobytes() != img.convert(below.mode).tobytes():
            raise SkinError("%s at %d %%: its layer does not put it back" % (name, step))
        save(layer, path)


def generate(out_folder, icon_path=None, sheet_list=SHEET_LIST, steps=None):
    check_fonts()
    steps = steps or read_steps()
    entries = read_sheet_list(sheet_list)
    make_folder(out_folder)
    for step in steps:
        draw_step(entries, out_folder, step)
    if icon_path:
        make_folder(os.path.dirname(os.path.abspath(icon_path)))
        try:
            write_icon(icon_path)
        except OSError as error:
            raise SkinError("cannot write %s: %s" % (icon_path, error))


def step_list(text):
    """The --steps argument: percentages separated by commas."""
    try:
        steps = [int(word) for word in text.split(",")]
    except ValueError:
        raise argparse.ArgumentTypeError("steps are percentages separated by commas: %r" % text)
    wrong = [step for step in steps if step < 100]
    if wrong:
        raise argparse.ArgumentTypeError("a step is a percentage from 100 up, not %d" % wrong[0])
    return steps


def main(argv=None):
    parser = argparse.ArgumentParser(description="Writes the Korvid skin sheets and icon.")
    parser.add_argument("--out", required=True, help="folder for the skin sheets")
    parser.add_argument("--icon", help="path of the .ico file to write")
    parser.add_argument("--sheets", default=SHEET_LIST, help="the sheet list (default: skin/sheets.txt)")
    parser.add_argument("--steps", type=step_list,
                        help="scale steps to draw, in percent (default: the program's, from skin/display_scale.h)")
    args = parser.parse_args(argv)
    try:
        generate(args.out, args.icon, args.sheets, args.steps)
    except SkinError as error:
        print("generate_skin: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
