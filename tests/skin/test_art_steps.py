#!/usr/bin/python3
"""The skin's scale steps as the build drew them: every sheet of the list at
every step, in the size the program expects (R(w * p / 100) x R(h * p / 100),
R rounding half up), in the 100 % file's colour mode, and with its controls
drawn inside the rectangles the program cuts at that step: the states of a
family (each a layer over the family's first sheet, put back as the program
puts it back) differ only inside the scaled control rectangles, and in each the
control sits where the 100 % control sits, scaled.  And the program icon
holds a frame for each size Windows picks at 100 to 200 %.

usage: test_art_steps.py RESOURCES ICON   (the build's Resources folder and
       korvid.ico; needs Pillow)
"""
import math
import os
import struct
import sys
import unittest

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "skin"))

from PIL import Image, ImageChops  # noqa: E402

import layout as L  # noqa: E402
from generate_skin import SHEET_LIST, read_sheet_list, read_steps  # noqa: E402
from sheet_files import open_sheet  # noqa: E402
from sheet_list import sheet_path  # noqa: E402

RESOURCES = None
STEPS = read_steps()
ICON = None
# The small icon at 100, 125, 150 and 200 %, the large one at the same, and
# the Explorer's big views.
ICON_FRAMES = {16, 20, 24, 32, 40, 48, 64, 256}

# The rectangles the program cuts from each family's sheets.
CONTROLS = {
    "main": [rect for rect, _, _ in L.MAIN_TABS] + [L.MAIN_MINIMISE, L.MAIN_CLOSE],
    "buttons": list(L.FUNCTION_BUTTONS) + [L.BUTTONS_APPLY, L.BUTTONS_SAVED],
    "sensor": (list(L.CPI_UP) + list(L.CPI_DOWN) + list(L.LEVEL_SWITCHES) + list(L.LEVEL_BADGES)
               + [seg for frame in L.LEVEL_FRAMES for seg in frame]
               + [L.SMOOTHING_SWITCH, L.SMOOTHING_INDICATOR, L.LIFT_OFF_SELECTOR, L.SENSOR_APPLY,
                  L.SENSOR_SAVED]),
    "update": [L.FIRMWARE_UPDATE, L.SOFTWARE_UPDATE, L.RESTORE_DEFAULTS, L.RESTORE_SAVED],
    "help": [L.FAQ_BUTTON, L.EMAIL_BUTTON],
    "message": [L.MESSAGE_YES, L.MESSAGE_NO],
    "notice": list(L.NOTICE_BUTTONS),
    "colour": [L.COLOUR_CLOSE, L.COLOUR_SAVE, L.COLOUR_CANCEL] + [r for r, _ in L.COLOUR_SWATCHES],
    "key": [r for r, _ in L.KEY_TOGGLES] + [L.KEY_SAVE, L.KEY_CANCEL, L.KEY_LIST],
}

# A state difference up to this (in any channel) is noise, not the control.
SEEN = 8
# How far (pixels of the step) a control's drawn edge may stand from its
# 100 % edge scaled: the drawing's own rounding, and 3 % of the control's
# extent for the fonts' whole-pixel sizes, which move what follows a text.
SLACK = 2.5
FONT_SLACK = 0.03


def R(x):
    return int(math.floor(x + 0.5))


def scaled(rect, step):
    s = step / 100
    return (R(rect.x * s), R(rect.y * s), R(rect.right * s), R(rect.bottom * s))


def families():
    """Sheet files by the list's FAMILY (a message or notice kind apart)."""
    groups = {}
    with open(SHEET_LIST, encoding="utf-8") as list_file:
        for line in list_file:
            words = line.split("#", 1)[0].split()
            if words:
                groups.setdefault(words[2], []).append(words[1])
    return groups


def load(name, step):
    """A sheet as the program sees it: its file, or its layer over its base."""
    return open_sheet(RESOURCES, name, step, SHEET_LIST)


def difference(a, b):
    """Where two sheets of a family differ visibly, as a mask."""
    diff = ImageChops.difference(a.convert("RGB"), b.convert("RGB")).point(
        lambda v: 255 if v > SEEN else 0)
    r, g, b = diff.split()
    return ImageChops.lighter(ImageChops.lighter(r, g), b)


class Steps(unittest.TestCase):

    def test_every_sheet_at_every_step_has_the_programs_size_and_mode(self):
        for name, _, _, _ in read_sheet_list(SHEET_LIST):
            at_100 = load(name, 100)
            w, h = at_100.size
            for step in STEPS[1:]:
                with self.subTest(sheet=name, step=step):
                    self.assertEqual(Image.open(sheet_path(RESOURCES, name, step)).format, "PNG")
                    img = load(name, step)
                    self.assertEqual(img.size, (R(w * step / 100), R(h * step / 100)))
                    self.assertEqual(img.mode, at_100.mode)

    def test_controls_are_drawn_where_the_program_cuts_them(self):
        for family, names in families().items():
            rects = CONTROLS.get(family.split(":")[0])
            if rects is None or len(names) < 2:
                continue
            # Every state against the first, control by control.
            places100 = self.places(names, rects, 100)
            for step in STEPS[1:]:
                with self.subTest(family=family, step=step):
                    places = self.places(names, rects, step)
                    for (name, rect), box in places.items():
                        self.check_place(name, rect, step, box, places100[name, rect])

    def places(self, names, rects, step):
        """The box of each control's state difference, in the control's own
        rectangle at the step; checks that nothing differs outside them."""
        base = load(names[0], step)
        boxes = {}
        for name in names[1:]:
            diff = difference(base, load(name, step))
            outside = diff.copy()
            for rect in rects:
                boxes[name, rect] = diff.crop(scaled(rect, step)).getbbox()
                outside.paste(0, scaled(rect, step))
            self.assertIsNone(outside.getbbox(), "%s at %d %%: drawn outside the controls at %s"
                              % (name, step, outside.getbbox()))
        return boxes

    def check_place(self, name, rect, step, box, box100):
        """A control's box at a step where its 100 % box lands, scaled."""
        self.assertEqual(box is None, box100 is None, "%s %s at %d %%" % (name, rect, step))
        if box is None:
            return
        left, top, right, bottom = scaled(rect, step)
        origin = (left, top)
        slack = (SLACK + FONT_SLACK * (right - left), SLACK + FONT_SLACK * (bottom - top))
        expected = [(v + (rect.x, rect.y)[i % 2]) * step / 100 - origin[i % 2] for i, v in enumerate(box100)]
        for i, (got, want) in enumerate(zip(box, expected)):
            self.assertLessEqual(abs(got - want), slack[i % 2],
                                 "%s %s at %d %%: control at %s, its 100 %% place scaled is %s"
                                 % (name, rect, step, box, expected))


class Icon(unittest.TestCase):

    def test_the_icon_has_a_frame_for_every_scale(self):
        with open(ICON, "rb") as icon:
            data = icon.read()
        _, kind, count = struct.unpack_from("<HHH", data)
        self.assertEqual(kind, 1)
        sizes = set()
        for index in range(count):
            w, h, _, _, _, _, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * index)
            self.assertEqual(w, h)
            self.assertLessEqual(offset + length, len(data))
            sizes.add(w or 256)
        self.assertLessEqual(ICON_FRAMES, sizes)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    RESOURCES, ICON = sys.argv.pop(1), sys.argv.pop(1)
    unittest.main()
