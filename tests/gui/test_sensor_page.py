#!/usr/bin/env python3
"""The sensor page, its colour dialog and the image slider, driven as a user
drives them, under Wine in Xvfb.

usage: test_sensor_page.py (the options of test_gui.py) --slider-fixture EXE [GROUP...]

The harness, the options and the program's folder are harness.py's; this
module adds its own groups: SensorPage, ColourDialog, SliderControl.
"""
import os
import subprocess
import time

import harness
from harness import (ADVANCED, BUTTON_PAGE, CONVERT, DESKTOP, ID, MENU_ITEM_HEIGHT, MENU_ITEM_TOP, NO_MOUSE_PAGE,
                     OPTIONS, PAGE_ORIGIN, POINTER_REST, PROFILE_FILE, PROGRAM_OPTIONS, RESTORE_BUTTON, RESTORE_TITLE,
                     RESTORE_YES, SENSOR_PAGE, SENSOR_PAGE_APPLY, SETTLE_SECONDS, SHEETS, SMOOTHING_SWITCH, SUPPORT, GuiCase,
                     ProgramCase, centre, region_distance, sheet)

LEVELS = range(1, 5)


def per_level(name, rects):
    """(control ID, rectangle) of a control of each level 1 to 4, `name` its ID's name with {n} for the level."""
    return tuple((getattr(ID, name.format(n=n)), rect) for n, rect in zip(LEVELS, rects))


# The page's controls, per level 1 to 4, in page client rectangles.
FIELDS = per_level("IDC_CPI{n}_FIELD", [(64, 170, 151, 35), (296, 170, 149, 35), (63, 395, 151, 35),
                                        (296, 395, 151, 34)])
UP = per_level("IDC_CPI{n}_UP", [(216, 170, 17, 12), (447, 169, 19, 13), (215, 394, 18, 12), (448, 394, 18, 12)])
DOWN = per_level("IDC_CPI{n}_DOWN", [(216, 182, 18, 11), (449, 182, 18, 12), (215, 406, 18, 12),
                                     (448, 406, 18, 13)])
# The art of the first level's switch is the bottom 23 x 23 of its control.
SWITCHES = per_level("IDC_LEVEL{n}_SWITCH", [(239, 75, 23, 23), (470, 75, 23, 23), (239, 299, 22, 22),
                                             (470, 299, 23, 22)])
BADGES = per_level("IDC_LEVEL{n}_BADGE", [(208, 78, 26, 16), (439, 78, 27, 16), (208, 302, 27, 15),
                                          (440, 302, 25, 16)])
# Frame segments top, left, bottom, right.
FRAMES = tuple(zip(
    per_level("IDC_LEVEL{n}_FRAME_TOP", [(40, 99, 225, 58), (271, 99, 225, 58), (40, 322, 225, 58),
                                         (271, 322, 225, 58)]),
    per_level("IDC_LEVEL{n}_FRAME_LEFT", [(40, 156, 24, 52), (271, 156, 25, 52), (40, 379, 24, 52),
                                          (271, 379, 25, 52)]),
    per_level("IDC_LEVEL{n}_FRAME_BOTTOM", [(40, 207, 225, 84), (271, 207, 225, 84), (40, 430, 225, 84),
                                            (271, 430, 225, 84)]),
    per_level("IDC_LEVEL{n}_FRAME_RIGHT", [(240, 156, 25, 52), (472, 156, 24, 52), (240, 379, 25, 52),
                                           (472, 379, 24, 52)])))
SMOOTHING_INDICATOR = (ID.IDC_SMOOTHING_INDICATOR, (775, 133, 33, 20))
LIFT_OFF = (ID.IDC_LIFT_OFF, (733, 202, 263, 28))
LIFT_OFF_ITEMS = ("2mm [default]", "3mm")
# The selector's window text: its name for accessibility tools, then its item.
LIFT_OFF_NAME = "Lift-off distance: "
SLIDERS = tuple(getattr(ID, f"IDC_SENSOR_SLIDER{n}") for n in range(1, 6))

# The colour dialog's controls, in its client rectangle; the shown palette
# buttons with their colours as "#RRGGBB".
COLOUR_CLOSE = (ID.IDC_COLOUR_CLOSE, (389, 7, 24, 23))
COLOUR_CANCEL = (ID.IDC_COLOUR_CANCEL, (218, 232, 189, 61))
COLOUR_SAVE = (ID.IDC_COLOUR_SAVE, (14, 232, 189, 61))
COLOUR_CUSTOM = (ID.IDC_COLOUR_CUSTOM, (156, 190, 98, 26))
COLOUR_HINT = (ID.IDC_COLOUR_HINT, (312, 186, 100, 32))
NOT_A_COLOUR = "Not a colour"
PALETTE = {name: (getattr(ID, "IDC_COLOUR_" + name), rect, colour) for name, rect, colour in (
    ("A1", (13, 47, 101, 64), "#FF0000"), ("A2", (113, 47, 99, 64), "#00FF00"),
    ("A3", (211, 49, 99, 62), "#0000FF"), ("A4", (309, 49, 99, 62), "#FFEB00"),
    ("B1", (13, 110, 101, 63), "#FF9600"), ("B2", (113, 110, 99, 63), "#9B00FF"),
    ("B3", (211, 110, 99, 63), "#00FFFF"), ("B4", (309, 110, 99, 63), "#FFFFFF"))}
HIDDEN_PALETTE = tuple(getattr(ID, f"IDC_COLOUR_{row}{n}") for row in "AB" for n in range(5, 9))
COLOUR_SIZE = [421, 306]

# A mouse whose block holds four different CPI values and colours, one
# level off, lift-off 11 (3mm) and smoothing 1.
DISTINCT = ("cpi1=650", "cpi2=1850", "cpi3=4200", "cpi4=12800", "colour1=#FF2040", "colour2=#20E060",
            "colour3=#3060FF", "colour4=#FFB000", "level2=off", "lift=3mm", "smoothing=on")
DISTINCT_CPI = ["650", "1850", "4200", "12800"]
DISTINCT_COLOURS = ["#FF2040", "#20E060", "#3060FF", "#FFB000"]
DISTINCT_IN_USE = [True, False, True, True]
# Where each level's LED colour (red, green, blue, then its flags) is in the mouse's block.
CPI_LED_OFFSETS = (37, 41, 45, 196)
TIMER_TICKS_SECONDS = 0.6   # four ticks of the page's 150 ms timer


def rgb(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def sheet_alpha(path):
    """The alpha channel of a PNG sheet: (width, bytes)."""
    size = subprocess.run([CONVERT, path, "-format", "%w", "info:"], capture_output=True, text=True, check=True)
    data = subprocess.run([CONVERT, path, "-alpha", "extract", "-depth", "8", "gray:-"], capture_output=True,
                          check=True).stdout
    return int(size.stdout), data


class SensorCase(ProgramCase):
    """The program on the sensor page, and ways of looking at the page."""

    def open_page(self, settings=(), **launch):
        self.launch(settings=settings, **launch)
        return self.show_page(ADVANCED)

    def page(self, main=None):
        return (main or self.main()).control(SENSOR_PAGE)

    def texts(self, main=None):
        page = self.page(main)
        return [page.control(control_id).text for control_id, _ in FIELDS]

    def wait_texts(self, what, expected):
        return DESKTOP.wait(what, lambda s: s.main(True) if self.texts(s.main(True)) == expected else None)

    def wait_field(self, level, text):
        control_id = FIELDS[level][0]
        return DESKTOP.wait(f"field {level + 1} showing {text!r}",
                            lambda s: s.main(True) if self.page(s.main(True)).control(control_id).text == text
                            else None)

    def page_shot(self, name):
        return DESKTOP.screenshot(self.main(), name)

    def looks_pressed(self, shot, rect):
        """True when a control shows its pressed (selected, lit) image rather than its normal one."""
        x, y, w, h = rect
        seen = shot.region(PAGE_ORIGIN[0] + x, PAGE_ORIGIN[1] + y, w, h)
        down = SHEETS["MSensor_Down.png"].region(x, y, w, h)
        normal = SHEETS["MSensor_Off.png"].region(x, y, w, h)
        return region_distance(seen, down) < region_distance(seen, normal)

    def light_guide_points(self, level):
        """One fully see-through point of each frame segment of a level, in page pixels."""
        width, alpha = ALPHA["MSensor_Normal.png"]
        points = []
        for _, (x, y, w, h) in FRAMES[level]:
            found = next(((px, py) for py in range(y, y + h) for px in range(x, x + w)
                          if alpha[py * width + px] == 0), None)
            self.assertIsNotNone(found, f"no light guide in the segment at {x},{y}")
            points.append(found)
        return points

    def frame_colours(self, shot, level):
        return {shot.pixel(PAGE_ORIGIN[0] + x, PAGE_ORIGIN[1] + y) for x, y in self.light_guide_points(level)}

    def assert_frame_shows(self, shot, level, colour, in_use):
        """A level's light guides show its colour; dimmed, plainly darker, when the level is off."""
        seen = self.frame_colours(shot, level)
        if in_use:
            self.assertEqual(seen, {rgb(colour)})
            return
        self.assertEqual(len(seen), 1, f"the light guides of level {level + 1} differ: {seen}")
        dimmed, full = seen.pop(), rgb(colour)
        self.assertTrue(all(d <= f for d, f in zip(dimmed, full)) and sum(dimmed) < 0.6 * sum(full),
                        f"level {level + 1} is off but shows {dimmed}, not a dimmed {full}")

    def assert_page_shows(self, shot, main, cpi, colours, in_use, smoothing):
        self.assertEqual(self.texts(main), cpi)
        for level in range(4):
            with self.subTest(level=level + 1):
                self.assert_frame_shows(shot, level, colours[level], in_use[level])
                self.assertEqual(self.looks_pressed(shot, SWITCHES[level][1]), in_use[level])
                self.assertEqual(self.looks_pressed(shot, BADGES[level][1]), in_use[level])
        self.assertEqual(self.looks_pressed(shot, SMOOTHING_SWITCH[1]), smoothing)
        self.assertEqual(self.looks_pressed(shot, SMOOTHING_INDICATOR[1]), smoothing)

    # -- acting

    def click(self, rect):
        self.click_on_page(self.main(), rect)

    def focus_field(self, level):
        """Clicks into a field and selects its text, as a user about to retype it."""
        self.click(FIELDS[level][1])
        DESKTOP.key(self.main(), "ctrl+a")

    def type_into(self, level, text):
        self.focus_field(level)
        DESKTOP.xdotool("type", "--delay", 40, text)

    def wheel(self, level, notches):
        main = self.main()
        x, y = centre(FIELDS[level][1], PAGE_ORIGIN)
        left, top = main.client[0] - main.rect[0], main.client[1] - main.rect[1]
        DESKTOP.xdotool("mousemove", "--window", main.xid, x + left, y + top, "click", "--repeat", abs(notches),
                        "--delay", 80, 4 if notches > 0 else 5, "mousemove", *POINTER_REST)

    def pick_lift_off(self, index):
        main = self.main()
        self.click(LIFT_OFF[1])
        menu = DESKTOP.wait_menu(main.pid, "the lift-off menu")
        return menu, (menu.client[0] + 40, menu.client[1] + MENU_ITEM_TOP + index * MENU_ITEM_HEIGHT
                      + MENU_ITEM_HEIGHT // 2)

    def colour_dialog(self, main):
        return DESKTOP.wait("the colour dialog", lambda s: next(
            (w for w in s.of_process(main.pid) if w.hwnd != main.hwnd and w.control(COLOUR_SAVE[0]) is not None),
            None))

    def open_colour_dialog(self, level, segment=0):
        main = self.main()
        self.click(FRAMES[level][segment][1])
        return self.colour_dialog(main)

    def dialog_key(self, *keys):
        """Keys to the open colour dialog, sent through the main window's X
        focus, which outlives the dialog: with the focus on the dialog's own X
        window, the key's release is lost with it."""
        DESKTOP.xdotool("windowfocus", self.main().xid, "key", *keys)

    def swatches_pressed(self, shot):
        """The names of the swatches that look selected in a shot of the colour dialog."""
        normal, down = SHEETS["Color_Normal.png"], SHEETS["Color_Down.png"]
        return {name for name, (_, rect, _) in PALETTE.items()
                if region_distance(shot.region(*rect), down.region(*rect))
                < region_distance(shot.region(*rect), normal.region(*rect))}

    def wait_dialog_closed(self, main):
        DESKTOP.wait("the colour dialog closed", lambda s: not any(
            w.control(COLOUR_SAVE[0]) is not None for w in s.of_process(main.pid)))

    def apply(self):
        self.apply_and_check(lambda: self.click(SENSOR_PAGE_APPLY[1]))


class SensorPage(SensorCase):
    """The page shows the mouse's settings and takes the user's changes to it."""

    def test_start_shows_the_mouse_settings(self):
        main = self.open_page(DISTINCT)
        main = self.wait_texts("the mouse's CPI values", DISTINCT_CPI)
        page = self.page(main)
        self.assertEqual(page.control(LIFT_OFF[0]).text, LIFT_OFF_NAME + "3mm")
        for slider in SLIDERS:
            self.assertFalse(page.control(slider).visible, f"slider {slider} is shown")
        shot = self.page_shot("sensor-page-distinct-colours")
        self.assert_page_shows(shot, main, DISTINCT_CPI, DISTINCT_COLOURS, DISTINCT_IN_USE, True)
        # The lift-off menu, open, over the page.
        menu, _ = self.pick_lift_off(0)
        x, y, w, h = LIFT_OFF[1]
        DESKTOP.screenshot_screen("sensor-lift-off-menu", (main.client[0] + PAGE_ORIGIN[0] + x - 20,
                                                           main.client[1] + PAGE_ORIGIN[1] + y - 20,
                                                           w + 40, h + menu.rect[3] + 40))
        self.assertEqual(menu.rect[1], main.client[1] + PAGE_ORIGIN[1] + y + h)
        # Escape closes an open menu, as in any menu.
        DESKTOP.key(main, "Escape")
        DESKTOP.wait("the menu closed", lambda s: not s.menus(main.pid))

    def test_user_changes_reach_the_mouse_through_apply(self):
        self.open_page()
        self.type_into(0, "1234")
        self.wait_field(0, "1234")
        self.click(UP[0][1])                       # 1284, not rounded
        self.wait_field(0, "1284")
        self.wheel(1, 2)                           # 800 -> 900
        self.wait_field(1, "900")
        self.wheel(2, -1)                          # 1600 -> 1550
        self.wait_field(2, "1550")
        self.click(DOWN[3][1])                     # 3200 -> 3150
        self.wait_field(3, "3150")
        self.click(SWITCHES[3][1])                 # level 4 off
        menu, item = self.pick_lift_off(1)
        DESKTOP.click_at(*item)
        DESKTOP.xdotool("mousemove", *POINTER_REST)
        DESKTOP.wait("3mm picked", lambda s: self.page(s.main(True)).control(LIFT_OFF[0]).text == LIFT_OFF_NAME + "3mm")
        self.click(SMOOTHING_SWITCH[1])
        dialog = self.open_colour_dialog(1, 3)
        DESKTOP.click(dialog, *centre(PALETTE["B3"][1]))
        DESKTOP.click(dialog, *centre(COLOUR_SAVE[1]))
        self.wait_dialog_closed(self.main())
        self.apply()
        # The page's rounding shows in the field it stored.
        main = self.wait_field(0, "1300")
        profile = os.path.join(self.folder.profiles, PROFILE_FILE)
        self.assertEqual(self.mouse.block(), self.ctl.block(profile))
        shown = self.ctl.show()
        self.assertEqual([l["cpi"] for l in shown["levels"]], [1300, 900, 1550, 3150])
        self.assertEqual([l["enabled"] for l in shown["levels"]], [True, True, True, False])
        self.assertEqual([l["colour"] for l in shown["levels"]], ["#FDC415", "#00FFFF", "#CE0606", "#1C7C39"])
        self.assertEqual((shown["liftOff"], shown["smoothing"]), ("3mm", True))
        shot = self.page_shot("sensor-page-after-apply")
        self.assert_page_shows(shot, main, ["1300", "900", "1550", "3150"], ["#FDC415", "#00FFFF", "#CE0606",
                                                                              "#1C7C39"],
                               [True, True, True, False], True)

    def test_the_timer_keeps_the_fields_in_range(self):
        self.open_page()
        # Too large: corrected while the field still has the focus, the caret at the end.
        self.type_into(0, "16050")
        self.wait_field(0, "16000")
        DESKTOP.key(self.main(), "BackSpace")
        self.wait_field(0, "1600")
        # Too small: left alone while typed, corrected once the focus has gone.
        self.type_into(1, "20")
        self.wait_field(1, "20")
        time.sleep(TIMER_TICKS_SECONDS)
        self.assertEqual(self.texts()[1], "20")
        self.click(FIELDS[2][1])
        self.wait_field(1, "50")
        # A number too long for an integer is a number above the maximum.
        self.type_into(3, "99999999999999999999")
        self.wait_field(3, "16000")
        # Tab goes through the levels in reading order: switch, field, colour;
        # typing replaces as in any edit field.
        self.focus_field(0)
        shot = self.page_shot("sensor-field-selected")
        x, y, w, h = FIELDS[0][1]
        self.assertGreater(shot.colours((PAGE_ORIGIN[0] + x, PAGE_ORIGIN[1] + y, w, h)), 8)
        DESKTOP.key(self.main(), "Tab", "Tab", "Tab", "ctrl+a", "7", "5", "0")
        self.wait_field(1, "750")
        DESKTOP.key(self.main(), "Tab", "Tab", "Tab", "End", "BackSpace", "BackSpace", "5", "0")
        self.wait_field(2, "1650")
        DESKTOP.key(self.main(), "Home", "Delete", "9")
        self.wait_field(2, "9650")

    def test_up_and_down_clamp_and_store_rounds(self):
        self.open_page()
        table = [(0, "50", DOWN, "50"), (1, "30", DOWN, "50"), (2, "15990", UP, "16000"), (3, "1234", UP, "1284")]
        for level, typed, button, expected in table:
            with self.subTest(level=level + 1, typed=typed):
                self.type_into(level, typed)
                self.wait_field(level, typed)
                self.click(button[level][1])
                self.wait_field(level, expected)
        self.apply()
        self.assertEqual([l["cpi"] for l in self.ctl.show()["levels"]], [50, 50, 16000, 1300])

    def test_the_last_level_in_use_cannot_be_switched_off(self):
        self.open_page(("level1=off", "level2=off", "level4=off"))
        self.wait_texts("the mouse's CPI values", ["400", "800", "1600", "3200"])
        self.click(SWITCHES[2][1])
        time.sleep(SETTLE_SECONDS)
        shot = self.page_shot("sensor-page-one-level")
        self.assertEqual([self.looks_pressed(shot, r) for _, r in SWITCHES], [False, False, True, False])
        self.assertEqual([self.looks_pressed(shot, r) for _, r in BADGES], [False, False, True, False])
        self.click(SWITCHES[0][1])
        self.click(SWITCHES[2][1])
        time.sleep(SETTLE_SECONDS)
        shot = self.page_shot("sensor-page-level-moved")
        self.assertEqual([self.looks_pressed(shot, r) for _, r in SWITCHES], [True, False, False, False])
        self.assertEqual([self.looks_pressed(shot, r) for _, r in BADGES], [True, False, False, False])
        self.apply()
        self.assertEqual([l["enabled"] for l in self.ctl.show()["levels"]], [True, False, False, False])

    def test_tool_tips_of_the_visible_controls(self):
        main = self.open_page()
        # The tips' texts, shortest first: the tip window grows with its text.
        tips = [(SENSOR_PAGE_APPLY, "apply"), (LIFT_OFF, "lift-off"),
                (SMOOTHING_INDICATOR, "indicator")]   # disabled: the page watches its area
        left, top = main.client[0] - main.rect[0], main.client[1] - main.rect[1]
        widths = []
        for (_, rect), name in tips:
            with self.subTest(tip=name):
                x, y = centre(rect, PAGE_ORIGIN)
                DESKTOP.xdotool("mousemove", "--window", main.xid, x + left - 2, y + top - 1)
                DESKTOP.xdotool("mousemove", "--window", main.xid, x + left, y + top)
                tip = DESKTOP.wait(f"the {name} tip", lambda s: next(
                    (w for w in s.of_process(main.pid) if w.record["class"] == "tooltips_class32"), None))
                widths.append(tip.rect[2])
                DESKTOP.screenshot_screen(f"sensor-tip-{name}", (tip.rect[0] - 10, tip.rect[1] - 10,
                                                                  tip.rect[2] + 20, tip.rect[3] + 20))
                DESKTOP.xdotool("mousemove", *POINTER_REST)
                DESKTOP.wait("the tip gone", lambda s: not any(
                    w.record["class"] == "tooltips_class32" for w in s.of_process(main.pid)))
        self.assertEqual(widths, sorted(widths))
        self.assertEqual(len(set(widths)), len(widths), f"the tips have the same width: {widths}")

    def test_restore_defaults_and_a_replug_refresh_the_page(self):
        self.open_page(DISTINCT)
        self.wait_texts("the mouse's CPI values", DISTINCT_CPI)
        self.show_page(SUPPORT)
        self.click(RESTORE_BUTTON[1])
        popup = DESKTOP.wait_titled(RESTORE_TITLE)
        DESKTOP.click(popup, *centre(RESTORE_YES[1]))
        self.wait_commit()
        main = self.show_page(ADVANCED)
        main = self.wait_texts("the defaults", ["400", "800", "1600", "3200"])
        self.assertEqual(self.page(main).control(LIFT_OFF[0]).text, LIFT_OFF_NAME + LIFT_OFF_ITEMS[0])
        shot = self.page_shot("sensor-page-restored")
        self.assert_page_shows(shot, main, ["400", "800", "1600", "3200"],
                               ["#FDC415", "#373B89", "#CE0606", "#1C7C39"], [True] * 4, False)
        # Another program changes the mouse while it is unplugged; plugged in again, the page shows it.
        self.mouse.unplug()
        self.wait_page(NO_MOUSE_PAGE, "the no-mouse page")
        os.remove(self.mouse.path("unplugged"))
        self.ctl.run("set", *DISTINCT)
        self.wait_page(BUTTON_PAGE, "the button page after plugging in")
        self.show_page(ADVANCED)
        main = self.wait_texts("the mouse's values after the replug", DISTINCT_CPI)
        self.assertEqual(self.page(main).control(LIFT_OFF[0]).text, LIFT_OFF_NAME + "3mm")
        shot = self.page_shot("sensor-page-after-replug")
        self.assert_page_shows(shot, main, DISTINCT_CPI, DISTINCT_COLOURS, DISTINCT_IN_USE, True)


class ColourDialog(SensorCase):
    """The colour dialog: choices, Save, and every way out that hands nothing over."""

    def test_only_save_hands_the_colour_to_that_level(self):
        main = self.open_page(DISTINCT)
        self.wait_texts("the mouse's CPI values", DISTINCT_CPI)
        ways_out = [
            ("cancel", lambda d: DESKTOP.click(d, *centre(COLOUR_CANCEL[1]))),
            ("close", lambda d: DESKTOP.click(d, *centre(COLOUR_CLOSE[1]))),
            ("escape", lambda d: self.dialog_key("Escape")),
        ]
        for how, leave in ways_out:
            with self.subTest(how=how):
                dialog = self.open_colour_dialog(2, 3)
                DESKTOP.click(dialog, *centre(PALETTE["A2"][1]))
                leave(dialog)
                self.wait_dialog_closed(main)
                shot = self.page_shot(f"sensor-page-after-{how}")
                for level in range(4):
                    self.assert_frame_shows(shot, level, DISTINCT_COLOURS[level], DISTINCT_IN_USE[level])
        dialog = self.open_colour_dialog(2, 1)
        self.assertEqual(dialog.owner, main.hwnd)
        self.assertEqual(dialog.client[2:], COLOUR_SIZE)
        page = dialog
        for control_id in HIDDEN_PALETTE:
            self.assertFalse(page.control(control_id).visible)
        # A choice, a second click that clears it, another choice.
        DESKTOP.click(dialog, *centre(PALETTE["A2"][1]))
        DESKTOP.click(dialog, *centre(PALETTE["A2"][1]))
        DESKTOP.click(dialog, *centre(PALETTE["A4"][1]))
        DESKTOP.click(dialog, *centre(PALETTE["B3"][1]))
        time.sleep(SETTLE_SECONDS)
        shot = DESKTOP.screenshot(dialog, "colour-dialog-selection")
        self.assertEqual(self.swatches_pressed(shot), {"B3"})
        DESKTOP.click(dialog, *centre(COLOUR_SAVE[1]))
        self.wait_dialog_closed(main)
        expected = list(DISTINCT_COLOURS)
        expected[2] = PALETTE["B3"][2]
        shot = self.page_shot("sensor-page-colour-saved")
        for level in range(4):
            self.assert_frame_shows(shot, level, expected[level], DISTINCT_IN_USE[level])

    def test_save_without_a_choice_gives_black_and_a_second_click_clears(self):
        main = self.open_page()
        dialog = self.open_colour_dialog(0)
        DESKTOP.click(dialog, *centre(PALETTE["A2"][1]))
        DESKTOP.click(dialog, *centre(PALETTE["A2"][1]))
        DESKTOP.click(dialog, *centre(COLOUR_SAVE[1]))
        self.wait_dialog_closed(main)
        self.apply()
        self.assertEqual(self.ctl.show()["levels"][0]["colour"], "#000000")


    def test_opens_on_the_level_colour_and_enter_saves_the_focused_choice(self):
        main = self.open_page(("colour1=#FF2040", "colour2=#00FF00", "colour3=#0000FF", "colour4=#FFB000"))
        self.wait_texts("the mouse's CPI values", ["400", "800", "1600", "3200"])
        # A swatch's colour opens marked, another one in the field; the
        # dialog names its level as the page does.
        table = [(1, "A2", "#00FF00"), (0, None, "#FF2040")]
        for level, swatch, text in table:
            with self.subTest(level=level + 1):
                dialog = self.open_colour_dialog(level, 2)
                self.assertEqual(dialog.title, f"CPI level {level + 1} colour")
                self.assertEqual(dialog.control(COLOUR_CUSTOM[0]).text, text)
                shot = DESKTOP.screenshot(dialog, f"colour-dialog-opens-level-{level + 1}")
                self.assertEqual(self.swatches_pressed(shot), {swatch} if swatch else set())
                # Enter at once keeps the level's colour.
                self.dialog_key("Return")
                self.wait_dialog_closed(main)
        # Enter on a swatch just picked saves it; so does Enter on one only
        # reached with the keys (Shift+Tab from the field to the last swatch).
        dialog = self.open_colour_dialog(2)
        DESKTOP.click(dialog, *centre(PALETTE["A4"][1]))
        self.dialog_key("Return")
        self.wait_dialog_closed(main)
        dialog = self.open_colour_dialog(3)
        self.assertEqual(self.swatches_pressed(DESKTOP.screenshot(dialog, "colour-dialog-custom-focused")), set())
        self.dialog_key("shift+Tab", "Return")
        self.wait_dialog_closed(main)
        expected = ["#FF2040", "#00FF00", PALETTE["A4"][2], PALETTE["B4"][2]]
        shot = self.page_shot("sensor-page-enter-saved")
        for level in range(4):
            self.assertEqual(self.frame_colours(shot, level), {rgb(expected[level])}, f"level {level + 1}")

    def test_custom_colour_reaches_the_block_and_text_that_is_no_colour_is_not_saved(self):
        main = self.open_page()
        block = self.mouse.block()
        dialog = self.open_colour_dialog(2)
        # Text that is no colour: shown as such, and Save keeps the dialog open.
        DESKTOP.click(dialog, *centre(COLOUR_CUSTOM[1]))
        self.dialog_key("ctrl+a", "numbersign", "1", "2", "x", "y", "3", "4")
        DESKTOP.wait("the field shown as no colour", lambda s: s.titled("CPI level 3 colour", True) and s.titled(
            "CPI level 3 colour", True)[0].control(COLOUR_HINT[0]).text == NOT_A_COLOUR)
        DESKTOP.screenshot(dialog, "colour-dialog-not-a-colour")
        DESKTOP.click(dialog, *centre(COLOUR_SAVE[1]))
        time.sleep(SETTLE_SECONDS)
        self.assertTrue(DESKTOP.snapshot().titled("CPI level 3 colour", True), "Save closed the dialog")
        self.dialog_key("Escape")
        self.wait_dialog_closed(main)
        # A colour outside the palette, typed, saved, applied.
        dialog = self.open_colour_dialog(1)
        DESKTOP.click(dialog, *centre(COLOUR_CUSTOM[1]))
        self.dialog_key("ctrl+a", "numbersign", "1", "2", "A", "B", "3", "4")
        DESKTOP.wait("#12AB34 typed", lambda s: s.titled("CPI level 2 colour", True) and s.titled(
            "CPI level 2 colour", True)[0].control(COLOUR_CUSTOM[0]).text == "#12AB34")
        DESKTOP.screenshot(dialog, "colour-dialog-custom-colour")
        DESKTOP.click(dialog, *centre(COLOUR_SAVE[1]))
        self.wait_dialog_closed(main)
        self.apply()
        written = self.mouse.block()
        for level, offset in enumerate(CPI_LED_OFFSETS):
            expected = bytes([0x12, 0xAB, 0x34]) if level == 1 else block[offset:offset + 3]
            self.assertEqual(written[offset:offset + 3], expected, f"level {level + 1}'s LED")
        self.assertEqual(self.ctl.show()["levels"][1]["colour"], "#12AB34")


class SliderControl(GuiCase):
    """The image slider on its fixture window: click, drag, snapping, notifications, disabled."""

    TITLE = "Korvid Slider Fixture"
    FINE, COARSE, OFF = ID.IDC_SLIDER_FIXTURE_FINE, ID.IDC_SLIDER_FIXTURE_COARSE, ID.IDC_SLIDER_FIXTURE_OFF
    REPORT = ID.IDC_SLIDER_FIXTURE_REPORT

    def setUp(self):
        super().setUp()
        self.start(OPTIONS.slider_fixture)
        self.window = DESKTOP.wait_started(self.TITLE)

    def report(self):
        window = DESKTOP.snapshot().titled(self.TITLE)[0]
        text = window.control(self.REPORT).text
        return text.split() if text else []

    def slider_point(self, control_id, x):
        slider = self.window.control(control_id)
        return slider.rect[0] + x, slider.rect[1] + 10

    def click_slider(self, control_id, x):
        DESKTOP.click(self.window, *self.slider_point(control_id, x))

    def wait_report(self, expected):
        return DESKTOP.wait(f"the notifications {expected}", lambda s: self.report() == expected)

    def test_clicks_pick_rounded_clamped_snapped_values(self):
        # 280 pixels wide, a 20-pixel thumb: 260 pixels of travel for 0 to 100.
        shot = DESKTOP.screenshot(self.window, "slider-fixture")
        self.assertGreater(shot.colours(), 50)
        expected = []
        table = [(self.FINE, 140, 50), (self.FINE, 270, 100), (self.FINE, 10, 0),
                 (self.FINE, 10, None),      # the same value again: no notification
                 (self.COARSE, 124, 40),     # 43.8 -> 44 -> 40
                 (self.COARSE, 130, 50),     # 46.2 -> 46 -> 50
                 (self.COARSE, 127, 40),     # 45.0 -> 45: the remainder 5 is not above 5
                 (self.COARSE, 270, 100)]
        for control_id, x, value in table:
            with self.subTest(control=control_id, x=x):
                self.click_slider(control_id, x)
                if value is not None:
                    expected.append(f"{control_id}:{value}")
                    self.wait_report(expected)
                else:
                    time.sleep(SETTLE_SECONDS)
                    self.assertEqual(self.report(), expected)

    def test_drag_sends_one_notification_per_value_and_clamps_outside(self):
        x0, y = self.slider_point(self.FINE, 140)
        left, top = self.window.client[0], self.window.client[1]
        steps = [140, 141, 142, 143, 160, 161, 380]
        DESKTOP.xdotool("mousemove", left + x0, top + y, "mousedown", "1")
        for x in steps[1:]:
            px, _ = self.slider_point(self.FINE, x)
            DESKTOP.xdotool("mousemove", left + px, top + y)
            time.sleep(0.05)
        DESKTOP.xdotool("mouseup", "1", "mousemove", *POINTER_REST)
        time.sleep(SETTLE_SECONDS)
        values = [int(entry.split(":")[1]) for entry in self.report()]
        self.assertEqual(values[0], 50)
        self.assertEqual(len(values), len(set(values)), f"a value was reported twice: {values}")
        self.assertEqual(values, sorted(values))
        # 141 and 143 fall on values already reported; 160 is 57.7, rounded up.
        self.assertEqual(values, [50, 51, 58, 100], "the drag beyond the right end clamps to the maximum")
        shot = DESKTOP.screenshot(self.window, "slider-fixture-dragged")
        self.assertGreater(shot.colours(), 50)

    def test_disabled_slider_ignores_the_mouse(self):
        before = DESKTOP.screenshot(self.window, "slider-fixture-disabled")
        self.click_slider(self.OFF, 200)
        time.sleep(SETTLE_SECONDS)
        self.assertEqual(self.report(), [])
        after = DESKTOP.screenshot(self.window, "slider-fixture-disabled-clicked")
        self.assertEqual(before.rgb, after.rgb)


GROUPS = (SensorPage, ColourDialog, SliderControl)
ALPHA = {}


def load_sheets(options):
    for name in ("MSensor_Down.png", "MSensor_Off.png", "Color_Normal.png", "Color_Down.png"):
        if os.path.exists(os.path.join(options.resources, name)):
            SHEETS[name] = sheet(name)
    ALPHA["MSensor_Normal.png"] = sheet_alpha(os.path.join(options.resources, "MSensor_Normal.png"))


if __name__ == "__main__":
    # The sensor page's groups run on the emulated build only.
    harness.main(GROUPS, __doc__, options=PROGRAM_OPTIONS + ("slider-fixture",), standin_options=False,
                 what="Sensor page", prepare=load_sheets)
