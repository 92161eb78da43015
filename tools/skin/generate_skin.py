#!/usr/bin/python3
"""Writes the Korvid skin: every sheet of the Resources folder and the
program icon.

usage: generate_skin.py --out FOLDER --icon PATH/korvid.ico

Prints nothing on success; on failure prints the reason and exits with 1.
Needs Pillow (Debian python3-pil) and the fonts-liberation package.
"""
import argparse
import os
import sys

sys.dont_write_bytecode = True   # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from skinkit import DOWN, NORMAL, OFF, OVER, SkinError, check_fonts  # noqa: E402
import sheets  # noqa: E402
from mark import write_icon  # noqa: E402

# (file name, drawing function, state); the names are the ones the program
# loads from its Resources folder.
SHEETS = (
    ("Main_BK.bmp", sheets.main_sheet, NORMAL),
    ("Main_Normal.bmp", sheets.main_sheet, NORMAL),
    ("Main_Over.bmp", sheets.main_sheet, OVER),
    ("Main_Down.bmp", sheets.main_sheet, DOWN),
    ("Main_Off.bmp", sheets.main_sheet, OFF),
    ("MSensor_Normal.png", sheets.sensor_sheet, NORMAL),
    ("MSensor_Over.bmp", sheets.sensor_sheet, OVER),
    ("MSensor_Down.bmp", sheets.sensor_sheet, DOWN),
    ("MSensor_Off.bmp", sheets.sensor_sheet, OFF),
    ("Nodev_Normal.bmp", lambda s: sheets.message_sheet("nodev", s), NORMAL),
    ("Buttons_Normal.bmp", sheets.buttons_sheet, NORMAL),
    ("Buttons_Over.bmp", sheets.buttons_sheet, OVER),
    ("Buttons_Down.bmp", sheets.buttons_sheet, DOWN),
    ("Update_Normal.bmp", sheets.update_sheet, NORMAL),
    ("Update_Over.bmp", sheets.update_sheet, OVER),
    ("Update_Down.bmp", sheets.update_sheet, DOWN),
    ("Update_Off.bmp", sheets.update_sheet, OFF),
    ("SystemMsg_Normal.bmp", lambda s: sheets.message_sheet("question", s), NORMAL),
    ("SystemMsg_Over.bmp", lambda s: sheets.message_sheet("question", s), OVER),
    ("SystemMsg_Down.bmp", lambda s: sheets.message_sheet("question", s), DOWN),
    ("Color_Normal.bmp", sheets.colour_sheet, NORMAL),
    ("Color_Over.bmp", sheets.colour_sheet, OVER),
    ("Color_Down.bmp", sheets.colour_sheet, DOWN),
    ("Support_Normal.bmp", sheets.help_sheet, NORMAL),
    ("Support_Over.bmp", sheets.help_sheet, OVER),
    ("Support_Down.bmp", sheets.help_sheet, DOWN),
    ("Error_Normal.bmp", lambda s: sheets.message_sheet("error", s), NORMAL),
    ("Error_Over.bmp", lambda s: sheets.message_sheet("error", s), OVER),
    ("Error_Down.bmp", lambda s: sheets.message_sheet("error", s), DOWN),
    ("NoDevice_Normal.bmp", sheets.nodevice_sheet, NORMAL),
    ("Key_Normal.bmp", sheets.key_sheet, NORMAL),
    ("Key_Down.bmp", sheets.key_sheet, DOWN),
)


def save(img, path):
    if path.endswith(".png"):
        img.save(path, "PNG", optimize=False)   # 32-bit RGBA
    else:
        img.convert("RGB").save(path, "BMP")    # 24-bit


def generate(out_folder, icon_path):
    check_fonts()
    try:
        os.makedirs(out_folder, exist_ok=True)
        icon_folder = os.path.dirname(os.path.abspath(icon_path))
        os.makedirs(icon_folder, exist_ok=True)
    except OSError as error:
        raise SkinError("cannot create folder: %s" % error)
    for name, draw, state in SHEETS:
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
    args = parser.parse_args(argv)
    try:
        generate(args.out, args.icon)
    except SkinError as error:
        print("generate_skin: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
