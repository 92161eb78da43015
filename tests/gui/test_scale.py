#!/usr/bin/env python3
"""The program at the display scales of Windows' steps (100, 125, 150, 175 and
200 %), driven as a user drives it, under Wine in Xvfb.

usage: test_scale.py (the options of test_gui.py) [GROUP...]

Each case runs the program in a Wine prefix whose system DPI is the step's
(Desktop.use_dpi: 96, 120, 144, 168, 192), on a screen large enough for the
window at 200 %. The places the cases click are the ones the other scripts
click at 100 %, scaled as the program scales them (harness.scaled_centre).
Screenshots are kept as scale-DPI-*.png.
"""
import os
import subprocess
import time

import harness
from harness import (ADVANCED, BUTTON_PAGE, BUTTON_PAGE_APPLY, BUTTON_SETTING, CONVERT, DESKTOP, EXIT_SOFTWARE_ROW,
                     FIRMWARE_UPDATE_BUTTON, FIXTURE_TITLE, HELP, HELP_PAGE, ID, LARGE_SCREEN_SIZE, LOGICAL_DPI,
                     MAIN_BUTTONS, MAIN_CLIENT_SIZE, NO_MOUSE_OK, NO_MOUSE_PAGE, NO_MOUSE_TITLE, NOTICE_PLACES,
                     OPTIONS, PAGE_BUTTONS, PAGE_ORIGIN, PROFILE_FILE, RESTORE_BUTTON, RESTORE_NO, RESTORE_TITLE,
                     SMOOTHING_SWITCH, SUPPORT, SUPPORT_PAGE, GuiCase, Image, centre, end_programs, function_button,
                     menu_item_centre, region_distance, scaled, scaled_centre, scaled_rect, sheet)
from test_button_page import (CTRL, FACTORY_LABELS, FUNCTION_BUTTON_RECTS, HOTKEY_SIZE, HOTKEY_TITLE, MENU, SAVE,
                              ButtonPageCase)
from test_faults import UNAPPLIED_QUESTION
from test_sensor_page import COLOUR_CANCEL, COLOUR_SAVE, COLOUR_SIZE, FRAMES, LIFT_OFF

# Windows' scale steps as DPIs: 100, 125, 150, 175 and 200 %.
STEP_DPIS = (96, 120, 144, 168, 192)
# A shot's region shows a sheet's art when it differs from it by less than
# this (mean per colour channel): the art drawn as it is, in its place.
ART_DISTANCE = 2.0
# The window's size may differ by this from the logical size scaled.
SIZE_SLACK = 1
# A menu opens this close to its combo's bottom edge.
MENU_SLACK = 2
# The text of a function button's label: its rectangle less its frame and,
# at the right, its arrow.
LABEL_INSET, LABEL_ARROW = 2, 40
# Regions whose edges must stay sharp at 200 %, in logical client pixels: a
# page button's caption (the skin's art) and the third function button's
# label (text the program writes).
SHARP_REGIONS = {
    "page-button": MAIN_BUTTONS[BUTTON_SETTING],
    "button-label": (PAGE_ORIGIN[0] + FUNCTION_BUTTON_RECTS[3][0] + LABEL_INSET,
                     PAGE_ORIGIN[1] + FUNCTION_BUTTON_RECTS[3][1] + LABEL_INSET,
                     FUNCTION_BUTTON_RECTS[3][2] - 2 * LABEL_INSET - LABEL_ARROW,
                     FUNCTION_BUTTON_RECTS[3][3] - 2 * LABEL_INSET),
}
# A region is as sharp as another when its edge sharpness is at least this
# share of the other's. Measured here: the skin's art drawn at 200 % keeps
# about 0.95 of its sharpness at 100 %, and the label's text (drawn without
# smoothing at 100 %, smoothed at 200 %) about 0.75; the 100 % regions
# stretched to twice their size with a smooth filter keep 0.4 to 0.55.
SHARP_SHARE = 0.65
# Steps of less than this share of a region's contrast are no edges (gradients, dither).
EDGE_STEP_FLOOR = 0.1
# The smooth filters a stretched bitmap is drawn with: ImageMagick's names.
SMOOTH_FILTERS = {"bilinear": "Triangle", "bicubic": "Catrom"}


def art_step(dpi):
    """The art step (percent) drawn for a DPI of one of the steps."""
    return dpi * 100 // LOGICAL_DPI


def step_sheet(name, dpi):
    """A sheet as the build drew it for the step of a DPI."""
    return sheet(name, art_step(dpi))


def gray_levels(image, rect):
    """The luminance (0-255) of each pixel of a region (x, y, width, height), row by row."""
    data = image.region(*rect)
    return [(299 * data[i] + 587 * data[i + 1] + 114 * data[i + 2]) / 1000 for i in range(0, len(data), 3)]


def edge_sharpness(image, rect):
    """How sharp the edges of a region of an image are: the mean step across its
    edges as a share of the region's contrast, between 0 and 1.

    The steps are the differences of horizontally and vertically adjacent
    pixels' luminance; those below EDGE_STEP_FLOOR of the contrast (the 98th
    less the 2nd percentile of the luminance) are gradients, not edges. Each
    step counts with its own size (sum of squares over sum), so that an edge
    counts by the height it climbs whatever its length: an edge crossed in
    one pixel gives one step of its whole height, one smeared over two pixels
    two steps of half of it. The measure therefore does not depend on the
    region's scale: text drawn at twice the size keeps edges one pixel wide
    and scores about as high, while a bitmap stretched to twice its size with
    a smooth (bilinear or bicubic) filter has every edge two pixels wide and
    scores about half.
    """
    x0, y0, width, height = rect
    gray = gray_levels(image, rect)
    ordered = sorted(gray)
    contrast = ordered[len(ordered) * 98 // 100] - ordered[len(ordered) * 2 // 100]
    if contrast <= 0:
        return 0.0
    steps = [abs(gray[y * width + x + 1] - gray[y * width + x]) for y in range(height) for x in range(width - 1)]
    steps += [abs(gray[(y + 1) * width + x] - gray[y * width + x]) for y in range(height - 1) for x in range(width)]
    edges = [step for step in steps if step > EDGE_STEP_FLOOR * contrast]
    if not edges:
        return 0.0
    return sum(step * step for step in edges) / (sum(edges) * contrast)


def stretched(image, rect, smooth_filter, name):
    """A region of an image stretched to twice its size with a smooth filter, as
    a program unaware of the display's scale is shown; kept as <name>.png."""
    x, y, width, height = rect
    path = os.path.join(OPTIONS.screenshots, name + ".png")
    subprocess.run([CONVERT, image.path, "-crop", f"{width}x{height}+{x}+{y}", "+repage", "-filter", smooth_filter,
                    "-resize", "200%", path], check=True, timeout=20)
    return Image(path)


class ScaleCase(ButtonPageCase):
    """The program started at a DPI, and what every scale must show."""

    def start_at(self, dpi, **launch):
        """Starts a fresh copy in a prefix of `dpi`; its main window on the button page."""
        seen = DESKTOP.use_dpi(dpi)
        self.assertEqual((seen["system"], seen["logPixels"]), (dpi, dpi),
                         f"the prefix's DPI is not {dpi}: programs see {seen}")
        self.dpi = dpi
        self.launch(**launch)
        return self.wait_page(BUTTON_PAGE)

    def end_programs(self):
        """Ends the programs started so far, for a start at another DPI in the same case."""
        forced = end_programs(DESKTOP, self.programs)
        self.programs = []
        self.assertIsNone(forced)

    def in_folder(self, name):
        """A fresh private folder for the next start within one case."""
        self.tmp = os.path.join(self.base_tmp, name)
        os.makedirs(self.tmp)

    def setUp(self):
        super().setUp()
        self.base_tmp = self.tmp

    def shot_name(self, what):
        return f"scale-{self.dpi}-{what}"

    def screenshot(self, window, what):
        return DESKTOP.screenshot(window, self.shot_name(what))

    def screenshot_with_menus(self, window, what):
        return DESKTOP.screenshot_with_menus(window, self.shot_name(what))

    # -- sizes and places

    def scaled_size(self, size):
        return [scaled(value, self.dpi) for value in size]

    def assert_size(self, actual, logical, what):
        expected = self.scaled_size(logical)
        self.assertTrue(all(abs(a - e) <= SIZE_SLACK for a, e in zip(actual, expected)),
                        f"{what} at {self.dpi} DPI is {actual[0]} x {actual[1]}, not {expected[0]} x {expected[1]}")

    def assert_main_size(self, main):
        self.assertEqual(main.client, main.rect, "the window has a frame or caption")
        self.assert_size(main.client[2:], MAIN_CLIENT_SIZE, "the main window")

    def assert_popup_size(self, popup, logical, what):
        self.assert_size(popup.client[2:], logical, what)

    def assert_menu_under(self, menu, combo, what):
        """A combo's menu opens under it: its top at the combo's bottom edge, its left at the combo's."""
        x, y, _, height = combo.screen
        self.assertLessEqual(abs(menu.rect[1] - (y + height)), MENU_SLACK,
                             f"{what}: the menu's top {menu.rect[1]} is not at the combo's bottom {y + height}")
        self.assertLessEqual(abs(menu.rect[0] - x), MENU_SLACK,
                             f"{what}: the menu's left {menu.rect[0]} is not at the combo's {x}")

    def assert_step_art(self, shot, selected):
        """The page buttons show the art of the window's step, cut at their scaled
        places: the selected one pressed, the others normal."""
        self.assertEqual([shot.width, shot.height], self.scaled_size(MAIN_CLIENT_SIZE),
                         "the window is not at the scale: its art cannot be in place")
        down, normal = step_sheet("Main_Down.png", self.dpi), step_sheet("Main_Normal.png", self.dpi)
        for button in PAGE_BUTTONS:
            rect = scaled_rect(MAIN_BUTTONS[button], self.dpi)
            sheet = down if button == selected else normal
            with self.subTest(button=button):
                self.assertLess(region_distance(shot.region(*rect), sheet.region(*rect)), ART_DISTANCE,
                                f"page button {button} does not show the {art_step(self.dpi)} % art in place")

    def wait_popup(self, title):
        return DESKTOP.wait_titled(title)

    def close_by(self, popup, rect, what):
        """Clicks a pop-up's button at its scaled place and waits until the pop-up has gone."""
        DESKTOP.click(popup, *scaled_centre(rect, self.dpi))
        DESKTOP.wait(f"{what} closed", lambda s: all(w.hwnd != popup.hwnd or not w.visible for w in s.windows))


class ScaleSteps(ScaleCase):
    """At each scale step the window is its size at 100 % times the scale and
    shows the step's own art; at 200 % text and edges are as sharp as at 100 %."""

    def test_each_step_sizes_the_window_and_draws_its_own_art(self):
        shots = {}
        for dpi in STEP_DPIS:
            with self.subTest(dpi=dpi):
                self.in_folder(f"dpi{dpi}")
                try:
                    main = self.start_at(dpi)
                    self.wait_labels(FACTORY_LABELS)
                    shots[dpi] = self.screenshot(main, "button-page")
                    self.assert_main_size(main)
                    self.assert_step_art(shots[dpi], BUTTON_SETTING)
                finally:
                    self.end_programs()
        self.assert_as_sharp(shots)

    def assert_as_sharp(self, shots):
        """The regions of SHARP_REGIONS at 200 % are as sharp as at 100 %, and the
        same measure finds the 100 % region stretched twice with a smooth filter
        not as sharp: it would catch a stretched bitmap."""
        if 96 not in shots or 192 not in shots:
            self.fail("no shots at 96 and 192 DPI to compare")
        at_100, at_200 = shots[96], shots[192]
        self.assertEqual((at_200.width, at_200.height), (2 * at_100.width, 2 * at_100.height),
                         "the window at 200 % is not twice its size at 100 %")
        for region, rect in SHARP_REGIONS.items():
            with self.subTest(region=region):
                reference = edge_sharpness(at_100, rect)
                self.assertGreater(reference, 0, f"the {region} region at 100 % has no edges")
                seen = edge_sharpness(at_200, scaled_rect(rect, 192))
                self.assertGreaterEqual(seen, SHARP_SHARE * reference,
                                        f"the {region} at 200 % is blurred: sharpness {seen:.3f} "
                                        f"against {reference:.3f} at 100 %")
                for name, smooth_filter in SMOOTH_FILTERS.items():
                    blurred = stretched(at_100, rect, smooth_filter, f"scale-96-{region}-{name}-x2")
                    blur = edge_sharpness(blurred, (0, 0, blurred.width, blurred.height))
                    self.assertLess(blur, SHARP_SHARE * reference,
                                    f"the measure takes the {region} stretched {name} for sharp: "
                                    f"{blur:.3f} against {reference:.3f}")


class ScaleWalk(ScaleCase):
    """At 150 % and at 200 % every page and pop-up, each screenshotted; the button
    page's controls clicked at their scaled places do what they do at 100 %;
    the menus open under their combos."""

    def test_at_150_percent(self):
        self.walk(144)

    def test_at_200_percent(self):
        self.walk(192)

    def walk(self, dpi):
        main = self.start_at(dpi)
        self.assert_main_size(main)
        self.wait_labels(FACTORY_LABELS)
        self.screenshot(main, "button-page")
        self.use_button_page()
        self.use_sensor_page()
        self.ask_about_unapplied_changes()
        self.show_support_and_help_pages()
        self.show_no_mouse_page()

    def use_button_page(self):
        """Each function button and Apply at its scaled place, as at 100 % (test_button_page.py)."""
        for number in (1, 2):
            self.click_button(number)
            self.assert_no_menu_opens(f"button {number} opened a menu")
        page = self.page()
        for number, item in ((3, "Scroll Down"), (5, "Disable button"), (4, "Keyboard key")):
            menu = self.open_menu(number)
            self.assert_menu_under(menu, page.control(function_button(number)), f"button {number}")
            if number == 3:
                self.screenshot_with_menus(self.main(), "button-page-menu-open")
            DESKTOP.click_and_rest(*menu_item_centre(menu, MENU.index(item), self.dpi))
        popup = DESKTOP.wait_titled(HOTKEY_TITLE)
        self.assert_popup_size(popup, HOTKEY_SIZE, "the hotkey pop-up")
        self.click_popup(popup, CTRL)
        DESKTOP.press_keys(popup, "a")
        self.wait_key_field("Ctrl+A")
        self.screenshot(popup, "hotkey-popup")
        self.click_popup(popup, SAVE)
        self.wait_popup_closed()
        self.wait_labels(["Left click", "Right click", "Scroll Down", "Ctrl+A", "Disable button"])
        self.screenshot(self.main(), "button-page-chosen")
        self.apply_and_check(lambda: self.click_on_page(self.main(), BUTTON_PAGE_APPLY[1]))
        self.assertEqual(self.mouse.block(), self.ctl.block(os.path.join(self.folder.profiles, PROFILE_FILE)))
        self.assertEqual(self.bound_buttons(), [
            ("Left click", 0, 1, 0), ("Right click", 0, 2, 0), ("Scroll Down", 1, 255, 0), ("Ctrl+A", 2, 1, 4),
            ("Disable button", 255, 255, 0)])

    def use_sensor_page(self):
        """The sensor page, its lift-off menu under its combo and the colour dialog."""
        main = self.show_page(ADVANCED)
        self.screenshot(main, "sensor-page")
        combo = main.control(ID.IDD_SENSOR_PAGE).control(LIFT_OFF[0])
        menu = DESKTOP.open_menu(main.pid, lambda: self.click_on_page(main, LIFT_OFF[1]), "the lift-off menu")
        self.assert_menu_under(menu, combo, "the lift-off selector")
        self.screenshot_with_menus(main, "sensor-lift-off-menu")
        DESKTOP.key(main, "Escape")
        DESKTOP.wait("the lift-off menu closed", lambda s: not s.menus(main.pid))
        self.click_on_page(main, FRAMES[0][2][1])
        dialog = DESKTOP.wait("the colour dialog", lambda s: next(
            (w for w in s.of_process(main.pid) if w.hwnd != main.hwnd and w.control(COLOUR_SAVE[0]) is not None),
            None))
        self.assert_popup_size(dialog, COLOUR_SIZE, "the colour dialog")
        self.screenshot(dialog, "colour-dialog")
        self.close_by(dialog, COLOUR_CANCEL[1], "the colour dialog")

    def ask_about_unapplied_changes(self):
        """A change left unapplied, Exit Software from the tray menu: the question; Cancel keeps the program."""
        main = self.main()
        self.click_on_page(main, SMOOTHING_SWITCH[1])
        x, y = DESKTOP.tray_icon()
        DESKTOP.click_at(x, y, button=3)
        menu = DESKTOP.wait_menu(main.pid, "the tray menu")
        DESKTOP.screenshot_screen(self.shot_name("tray-menu"), (0, 0, menu.rect[0] + menu.rect[2] + 20,
                                                                 menu.rect[1] + menu.rect[3] + 20))
        DESKTOP.click_tray_item(menu, EXIT_SOFTWARE_ROW, self.dpi)
        question = DESKTOP.wait_notice(UNAPPLIED_QUESTION)
        self.screenshot(question, "question-unapplied-changes")
        self.close_by(question, NOTICE_PLACES[0], "the question")
        time.sleep(harness.SETTLE_SECONDS)
        self.assertTrue(self.program.running(), "Cancel ended the program")

    def show_support_and_help_pages(self):
        main = self.show_page(SUPPORT)
        self.screenshot(main, "support-page")
        self.click_on_page(main, RESTORE_BUTTON[1])
        question = self.wait_popup(RESTORE_TITLE)
        self.screenshot(question, "question-restore-defaults")
        self.close_by(question, RESTORE_NO[1], "the restore question")
        self.screenshot(self.show_page(HELP), "help-page")

    def show_no_mouse_page(self):
        """Unplugged: the no-mouse page; the firmware update without the mouse: its pop-up."""
        self.mouse.unplug()
        main = self.wait_page(NO_MOUSE_PAGE, "the no-mouse page after the unplug")
        self.screenshot(main, "no-mouse-page")
        main = self.show_page(SUPPORT)
        self.click_on_page(main, FIRMWARE_UPDATE_BUTTON)
        popup = self.wait_popup(NO_MOUSE_TITLE)
        self.screenshot(popup, "popup-no-mouse")
        self.close_by(popup, NO_MOUSE_OK[1], "the no-mouse pop-up")


# Where the window is told to go at 150 % and then back at 100 %: the
# suggested rectangles' places.
MOVED_TO, MOVED_BACK_TO = (100, 60), (40, 30)
# The fixture's rectangle at its start and the one it is told to take.
FIXTURE_RECT = [100, 100, 400, 300]
FIXTURE_SUGGESTED = (300, 200, 600, 450)


class MonitorChange(ScaleCase):
    """The window moved to a monitor of another scale (WM_DPICHANGED) takes the
    suggested place, resizes to the new scale and rebuilds its pages there,
    unapplied edits and all."""

    def test_the_message_carries_its_rectangle_to_another_process(self):
        # The harness's own check, on the fixture window: the rectangle arrives.
        DESKTOP.use_dpi(LOGICAL_DPI)
        self.start(OPTIONS.fixture)
        fixture = DESKTOP.wait_started(FIXTURE_TITLE)
        self.assertEqual(fixture.rect, FIXTURE_RECT)
        DESKTOP.send_dpi_changed(fixture, 144, FIXTURE_SUGGESTED)
        DESKTOP.wait("the fixture at the suggested rectangle",
                     lambda s: s.titled(FIXTURE_TITLE)[0].rect == list(FIXTURE_SUGGESTED))

    def test_moved_from_100_to_150_percent(self):
        main = self.start_at(96)
        self.wait_labels(FACTORY_LABELS)
        self.choose(3, "Scroll Up")
        edited = ["Left click", "Right click", "Scroll Up", "IE Forward", "IE Backward"]
        self.wait_labels(edited)
        self.dpi = 144
        suggested = MOVED_TO + tuple(self.scaled_size(MAIN_CLIENT_SIZE))
        DESKTOP.send_dpi_changed(main, 144, suggested)
        main = DESKTOP.wait("the window at its new place", lambda s: next(
            (w for w in [s.main(True)] if w is not None and w.rect[:2] == list(MOVED_TO)), None))
        self.assert_main_size(main)
        self.wait_labels(edited, "the unapplied choice after the change of scale")
        main = self.wait_page(BUTTON_PAGE)
        shot = self.screenshot(main, "moved-from-96")
        self.assert_step_art(shot, BUTTON_SETTING)
        # The page is the one at the new scale: its menus open under its
        # combos, its pop-ups are drawn at 150 %, its Apply is where 150 % puts it.
        menu = self.open_menu(4)
        self.assert_menu_under(menu, self.page().control(function_button(4)), "button 4 after the move")
        DESKTOP.click_and_rest(*menu_item_centre(menu, MENU.index("Keyboard key"), self.dpi))
        popup = DESKTOP.wait_titled(HOTKEY_TITLE)
        self.assert_popup_size(popup, HOTKEY_SIZE, "the hotkey pop-up after the move")
        DESKTOP.press_keys(popup, "F5")
        self.wait_key_field("F5")
        self.screenshot(popup, "hotkey-popup-moved-from-96")
        self.click_popup(popup, SAVE)
        self.wait_popup_closed()
        edited[3] = "F5"
        self.wait_labels(edited)
        self.apply_and_check(lambda: self.click_on_page(main, BUTTON_PAGE_APPLY[1]))
        self.assertEqual([b[0] for b in self.bound_buttons()], edited)
        # And back on a monitor at 100 %: the window as it started, with the 100 % art.
        self.dpi = LOGICAL_DPI
        DESKTOP.send_dpi_changed(main, LOGICAL_DPI, MOVED_BACK_TO + MAIN_CLIENT_SIZE)
        main = DESKTOP.wait("the window back at 100 %", lambda s: next(
            (w for w in [s.main(True)] if w is not None and w.rect == list(MOVED_BACK_TO + MAIN_CLIENT_SIZE)), None))
        self.wait_labels(edited, "the labels back at 100 %")
        self.assert_step_art(self.screenshot(self.wait_page(BUTTON_PAGE), "moved-back-from-144"), BUTTON_SETTING)


GROUPS = (ScaleSteps, ScaleWalk, MonitorChange)


if __name__ == "__main__":
    harness.main(GROUPS, __doc__, screen_size=LARGE_SCREEN_SIZE)
