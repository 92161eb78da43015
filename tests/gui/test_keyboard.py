#!/usr/bin/env python3
"""The program used from the keyboard alone, what Apply shows while it writes
and after, and the names accessibility tools read, under Wine in Xvfb.

usage: test_keyboard.py (the options of test_gui.py) [GROUP...]

The harness, the options and the program's folder are harness.py's; this
module adds its own groups: Keyboard, ApplyFeedback, AccessibleNames,
FirmwareToolMissing.
"""
import json
import os
import time

import harness
from harness import (ADVANCED, BUTTON_PAGE, BUTTON_PAGE_APPLY, BUTTON_SETTING, CHANGED_SETTINGS, CLOSE, DESKTOP,
                     FIRMWARE_TOOL_FOLDER, FIRMWARE_UPDATE_BUTTON, HELP, HELP_PAGE, ID, MESSAGE_BOX_TEXT_ID, MINIMISE,
                     OPTIONS, PAGE_ORIGIN, RESTORE_BUTTON, RESTORE_NO, RESTORE_TITLE, RESTORE_YES, SENSOR_PAGE,
                     SENSOR_PAGE_APPLY, SETTLE_SECONDS, SUPPORT, SUPPORT_PAGE, TRAY_CALLBACK, TRAY_ICON_ID,
                     NOTICE_PLACES, ProgramCase, centre, field, function_button, notice_text, region_distance, sheet,
                     wine_path, CONFIRMATION_CLASS, SAVED_TEXT)

# The skin's focus mark: a ring of pale gold just inside the control.
FOCUS_GOLD = (0xFF, 0xEB, 0xAA)
# On a switch, gold while on, the mark is white on a dark rim.
FOCUS_ON_GOLD = (0xFF, 0xFF, 0xFF)
# Tab order: the page buttons along the top, then the shown page's controls
# in reading order.
TOP_ROW = [BUTTON_SETTING, ADVANCED, SUPPORT, HELP, MINIMISE, CLOSE]
BUTTON_PAGE_ORDER = [function_button(n) for n in range(1, 6)] + [BUTTON_PAGE_APPLY[0]]
LEVELS = range(1, 5)
LEVEL_SWITCHES = tuple(getattr(ID, f"IDC_LEVEL{n}_SWITCH") for n in LEVELS)
CPI_FIELDS = tuple(getattr(ID, f"IDC_CPI{n}_FIELD") for n in LEVELS)
SMOOTHING, LIFT_OFF = ID.IDC_SMOOTHING_SWITCH, ID.IDC_LIFT_OFF
# Each level's bottom frame segment, where the hint to pick a colour is, opens its colour dialog.
LEVEL_COLOURS = tuple(getattr(ID, f"IDC_LEVEL{n}_FRAME_BOTTOM") for n in LEVELS)
SENSOR_PAGE_ORDER = ([c for level in zip(LEVEL_SWITCHES, CPI_FIELDS, LEVEL_COLOURS) for c in level]
                     + [SMOOTHING, LIFT_OFF, SENSOR_PAGE_APPLY[0]])
SUPPORT_PAGE_ORDER = [ID.IDC_FIRMWARE_UPDATE, ID.IDC_SOFTWARE_UPDATE, RESTORE_BUTTON[0]]
HELP_PAGE_ORDER = [ID.IDC_FAQ_BUTTON, ID.IDC_EMAIL_BUTTON]
CPI1_FIELD_RECT = (64, 170, 151, 35)
# Level 1's switch control reaches from the page's header down to its art.
LEVEL1_SWITCH_ART = (239, 75, 23, 22)
LEVEL1_SWITCH_ABOVE_ART = (239, 15, 23, 58)
LEVEL_COLOUR_RECT = (40, 207, 225, 84)
COLOUR_SAVE = ID.IDC_COLOUR_SAVE
LIFT_OFF_RECT = (733, 202, 263, 28)
FUNCTION_BUTTON_3_RECT = (623, 207, 282, 31)
# The tray callback's lParam when the shell reports the menu key on the icon.
WM_CONTEXTMENU = 0x007B
CONFIRMATION_SECONDS = 2.0
RESTORE_NO_ID = RESTORE_NO[0]
HOTKEY_TITLE = "Custom Hotkey"
HOTKEY_KEY_FIELD, HOTKEY_SHIFT, HOTKEY_KEY_LIST = ID.IDC_HOTKEY_KEY, ID.IDC_HOTKEY_SHIFT, ID.IDC_HOTKEY_KEY_LIST
FUNCTION_MENU_KEYBOARD_KEY = 7


def page_rect(rect):
    x, y, w, h = rect
    return PAGE_ORIGIN[0] + x, PAGE_ORIGIN[1] + y, w, h


def has_colour(shot, rect, colour):
    data = shot.region(*rect)
    wanted = bytes(colour)
    return any(data[i:i + 3] == wanted for i in range(0, len(data), 3))


class KeyboardCase(ProgramCase):
    """The program driven by keys; where the focus is, as the probe sees it."""

    def focused(self, snapshot=None):
        """(page id or None for the main window itself, control id) of the focused control."""
        snapshot = snapshot or DESKTOP.snapshot()
        main = snapshot.main()
        for parent in [main] + [w for w in main.descendants()]:
            for child in parent.children:
                if child.hwnd == snapshot.focus:
                    return (None if parent is main else parent.id, child.id)
        return None

    def keys(self, *keys):
        DESKTOP.key(DESKTOP.snapshot().main(), *keys)

    def wait_focus(self, expected, what=None):
        return DESKTOP.wait(what or f"the focus on {expected}", lambda s: s if self.focused(s) == expected else None)

    def tab_through(self, expected, key="Tab"):
        """Presses key once per expected stop and checks each stop in turn."""
        for stop in expected:
            self.keys(key)
            self.wait_focus(stop, f"{key} to {stop}")


class Keyboard(KeyboardCase):
    """Every page used without the mouse, from the start."""

    def test_tab_and_shift_tab_follow_reading_order_and_ctrl_tab_switches_pages(self):
        self.launch()
        self.wait_page(BUTTON_PAGE)
        self.wait_focus((None, BUTTON_SETTING), "the focus on the first page button at start")
        stops = [(None, b) for b in TOP_ROW[1:]] + [(BUTTON_PAGE, c) for c in BUTTON_PAGE_ORDER]
        self.tab_through(stops + [(None, BUTTON_SETTING)])
        self.tab_through(list(reversed(stops)) + [(None, BUTTON_SETTING), (BUTTON_PAGE, BUTTON_PAGE_ORDER[-1])],
                         key="shift+Tab")
        # From a control of a page, Ctrl+Tab shows the next page with the
        # focus on its first control.
        self.keys("ctrl+Tab")
        self.wait_page(SENSOR_PAGE)
        self.wait_focus((SENSOR_PAGE, SENSOR_PAGE_ORDER[0]), "the focus on the sensor page's first control")
        self.tab_through([(SENSOR_PAGE, c) for c in SENSOR_PAGE_ORDER[1:]] + [(None, BUTTON_SETTING)])
        # From a page button, Ctrl+Tab shows the next page with the focus on its button.
        table = [("ctrl+Tab", SUPPORT_PAGE, SUPPORT_PAGE_ORDER), ("ctrl+Tab", HELP_PAGE, HELP_PAGE_ORDER),
                 ("ctrl+Tab", BUTTON_PAGE, BUTTON_PAGE_ORDER), ("ctrl+shift+Tab", HELP_PAGE, HELP_PAGE_ORDER)]
        for key, page, order in table:
            with self.subTest(key=key, page=page):
                self.keys(key)
                self.wait_page(page)
                button = self.button_of(page)
                self.wait_focus((None, button))
                self.tab_through([(None, b) for b in TOP_ROW[TOP_ROW.index(button) + 1:]]
                                 + [(page, c) for c in order] + [(None, BUTTON_SETTING)])
        self.assertEqual(self.folder.profile_files(), [])

    @staticmethod
    def button_of(page):
        return {BUTTON_PAGE: BUTTON_SETTING, SENSOR_PAGE: ADVANCED, SUPPORT_PAGE: SUPPORT, HELP_PAGE: HELP}[page]

    def test_focus_mark_on_a_button_a_combo_and_a_field(self):
        self.launch()
        main = self.wait_page(BUTTON_PAGE)
        apply_rect = page_rect(BUTTON_PAGE_APPLY[1])
        combo_rect = page_rect(FUNCTION_BUTTON_3_RECT)
        # Used with the mouse only, the window shows no focus mark.
        unfocused = DESKTOP.screenshot(main, "focus-none")
        self.assertFalse(has_colour(unfocused, combo_rect, FOCUS_GOLD))
        self.tab_through([(None, b) for b in TOP_ROW[1:]] + [(BUTTON_PAGE, c) for c in BUTTON_PAGE_ORDER[:3]])
        combo = DESKTOP.screenshot(self.main(), "focus-mark-combo")
        self.assertTrue(has_colour(combo, combo_rect, FOCUS_GOLD), "no focus mark on the combo")
        self.assertFalse(has_colour(combo, apply_rect, FOCUS_GOLD))
        self.tab_through([(BUTTON_PAGE, c) for c in BUTTON_PAGE_ORDER[3:]])
        button = DESKTOP.screenshot(self.main(), "focus-mark-button")
        self.assertTrue(has_colour(button, apply_rect, FOCUS_GOLD), "no focus mark on Apply")
        self.assertFalse(has_colour(button, combo_rect, FOCUS_GOLD), "the mark stayed on the combo")
        self.keys("ctrl+Tab")
        self.wait_page(SENSOR_PAGE)
        # Ctrl+Tab lands on level 1's switch, gold while the level is in use:
        # its mark, white on a dark rim, rings the switch's art and nothing
        # of the tall control above it.
        self.wait_focus((SENSOR_PAGE, LEVEL_SWITCHES[0]))
        switch = DESKTOP.screenshot(self.main(), "focus-mark-level-switch")
        self.assertTrue(has_colour(switch, page_rect(LEVEL1_SWITCH_ART), FOCUS_ON_GOLD), "no focus mark on the switch")
        for colour in (FOCUS_GOLD, FOCUS_ON_GOLD):
            self.assertFalse(has_colour(switch, page_rect(LEVEL1_SWITCH_ABOVE_ART), colour),
                             "a focus mark above the switch")
        self.tab_through([(SENSOR_PAGE, CPI_FIELDS[0])])
        field_shot = DESKTOP.screenshot(self.main(), "focus-mark-field")
        self.assertTrue(has_colour(field_shot, page_rect(CPI1_FIELD_RECT), FOCUS_GOLD), "no focus mark on the field")

    def test_apply_cpi_and_lift_off_from_the_keys_alone(self):
        self.launch()
        self.wait_page(BUTTON_PAGE)
        # Apply on the button page: Shift+Tab from the first page button wraps to it.
        self.keys("shift+Tab")
        self.wait_focus((BUTTON_PAGE, BUTTON_PAGE_APPLY[0]))
        self.apply_and_check(lambda: self.keys("Return"))
        # A CPI value: Up steps the field by 50, typing replaces it.
        self.keys("ctrl+Tab")
        self.wait_page(SENSOR_PAGE)
        self.tab_through([(SENSOR_PAGE, CPI_FIELDS[0])])
        self.keys("Up", "Up")
        DESKTOP.wait("level 1 stepped up twice", lambda s: s.main().control(CPI_FIELDS[0]).text == "500")
        self.tab_through([(SENSOR_PAGE, c) for c in SENSOR_PAGE_ORDER[2:5]])
        self.keys("ctrl+a", "1", "2", "0", "0")
        DESKTOP.wait("level 2 typed", lambda s: s.main().control(CPI_FIELDS[1]).text == "1200")
        # The lift-off distance: Space opens the menu on the current item,
        # Down moves to the next, Enter takes it.
        self.tab_through([(SENSOR_PAGE, c) for c in SENSOR_PAGE_ORDER[5:SENSOR_PAGE_ORDER.index(LIFT_OFF) + 1]])
        main = self.main()
        self.keys("space")
        menu = DESKTOP.wait_menu(main.pid, "the lift-off menu")
        menu_shot = DESKTOP.screenshot_screen("keyboard-lift-off-menu", menu.rect)
        # The first item, "2mm [default]", in gold inside the gold frame.
        self.assertTrue(has_colour(menu_shot, (2, 4, menu.rect[2] - 4, 16), (0xFD, 0xC4, 0x15)),
                        "the current item is not highlighted")
        self.assertFalse(has_colour(menu_shot, (2, 20, menu.rect[2] - 4, 16), (0xFD, 0xC4, 0x15)))
        self.keys("Down", "Return")
        DESKTOP.wait("the menu closed", lambda s: not s.menus(main.pid))
        DESKTOP.wait("3mm chosen", lambda s: s.main().control(LIFT_OFF).text.endswith(": 3mm"))
        self.tab_through([(SENSOR_PAGE, SENSOR_PAGE_APPLY[0])])
        self.apply_and_check(lambda: self.keys("space"))
        shown = self.ctl.show()
        self.assertEqual([level["cpi"] for level in shown["levels"]][:2], [500, 1200])
        self.assertEqual(shown["liftOff"], "3mm")

    def test_colour_dialog_from_the_keys(self):
        self.launch()
        self.wait_page(BUTTON_PAGE)
        self.keys("shift+Tab", "ctrl+Tab")
        self.wait_page(SENSOR_PAGE)
        self.tab_through([(SENSOR_PAGE, c) for c in SENSOR_PAGE_ORDER[1:3]])
        shot = DESKTOP.screenshot(self.main(), "focus-mark-colour")
        self.assertTrue(has_colour(shot, page_rect(LEVEL_COLOUR_RECT), FOCUS_GOLD), "no focus mark on the colour")
        main = self.main()
        self.keys("Return")
        dialog = DESKTOP.wait("the colour dialog", lambda s: next(
            (w for w in s.of_process(main.pid) if w.hwnd != main.hwnd and w.control(COLOUR_SAVE) is not None), None))
        DESKTOP.press_keys(dialog, "Escape")
        DESKTOP.wait("the colour dialog closed",
                     lambda s: not any(w.control(COLOUR_SAVE) is not None for w in s.of_process(main.pid)))
        self.wait_focus((SENSOR_PAGE, LEVEL_COLOURS[0]))

    def test_hotkey_popup_opened_and_finished_from_the_keys(self):
        self.launch()
        self.wait_page(BUTTON_PAGE)
        self.tab_through([(None, b) for b in TOP_ROW[1:]] + [(BUTTON_PAGE, c) for c in BUTTON_PAGE_ORDER[:3]])
        for opener, chord, field, close in (("Return", "ctrl+shift+F5", "Ctrl+Shift+F5", "Return"),
                                            ("space", "x", "X", "Escape")):
            with self.subTest(opener=opener):
                main = self.main()
                self.keys(opener)
                DESKTOP.wait("the function menu", lambda s: s.menus(main.pid))
                # The menu opens on the current item, or on the first.
                current = 2 if opener == "Return" else 0
                self.keys(*["Down"] * (FUNCTION_MENU_KEYBOARD_KEY - current), opener)
                popup = DESKTOP.wait_titled(HOTKEY_TITLE)
                time.sleep(SETTLE_SECONDS)
                self.assertEqual(self.key_field(), "", f"the {opener} that opened the pop-up was captured")
                DESKTOP.press_keys(popup, chord)
                self.wait_key_field(field)
                if close == "Return":
                    # The chord taken, Tab reaches the toggles and Space flips one.
                    DESKTOP.press_keys(popup, "Tab")
                    self.wait_popup_focus(HOTKEY_SHIFT)
                    DESKTOP.press_keys(popup, "space")
                    self.wait_key_field("Ctrl+F5")
                else:
                    # The list of other keys, from the keys too.
                    DESKTOP.press_keys(popup, *["Tab"] * 5)
                    self.wait_popup_focus(HOTKEY_KEY_LIST)
                    DESKTOP.press_keys(popup, "Return")
                    DESKTOP.wait("the list of other keys", lambda s: len(s.menus(main.pid)) == 1)
                    DESKTOP.press_keys(popup, "Down", "Return")
                    self.wait_key_field("F14")
                DESKTOP.press_keys(popup, close)
                DESKTOP.wait("the pop-up closed", lambda s: not s.titled(HOTKEY_TITLE, True))
                self.wait_focus((BUTTON_PAGE, function_button(3)))
                self.assertTrue(self.main().control(function_button(3)).text.endswith(": Ctrl+F5"))
        self.tab_through([(BUTTON_PAGE, c) for c in BUTTON_PAGE_ORDER[3:]])
        self.apply_and_check(lambda: self.keys("Return"))
        button = self.ctl.show()["buttons"][2]
        self.assertEqual((button["label"], button["type"], button["code"], button["extra"]), ("Ctrl+F5", 2, 1, 0x3E))

    def wait_popup_focus(self, control):
        DESKTOP.wait(f"the focus on {control}",
                     lambda s: s.focus == s.titled(HOTKEY_TITLE, True)[0].control(control).hwnd)

    def key_field(self, snapshot=None):
        popup = (snapshot or DESKTOP.snapshot()).titled(HOTKEY_TITLE, True)
        return popup[0].control(HOTKEY_KEY_FIELD).text if popup else None

    def wait_key_field(self, text):
        DESKTOP.wait(f"the key field showing {text!r}", lambda s: self.key_field(s) == text)

    def test_escape_closes_a_menu_and_escape_or_enter_in_a_field_do_nothing(self):
        self.launch()
        self.wait_page(BUTTON_PAGE)
        self.tab_through([(None, b) for b in TOP_ROW[1:]] + [(BUTTON_PAGE, c) for c in BUTTON_PAGE_ORDER[:3]])
        main = self.main()
        self.keys("Return")
        DESKTOP.wait("the function menu", lambda s: s.menus(main.pid))
        self.keys("Down", "Escape")
        DESKTOP.wait("the menu closed", lambda s: not s.menus(main.pid))
        self.assertTrue(self.main().control(function_button(3)).text.endswith(": Middle click"))
        self.wait_focus((BUTTON_PAGE, function_button(3)))
        # In a field Enter and Escape are the page's, which does nothing with them.
        self.keys("ctrl+Tab")
        self.wait_page(SENSOR_PAGE)
        self.tab_through([(SENSOR_PAGE, CPI_FIELDS[0])])
        self.keys("ctrl+a", "1", "2", "3", "4", "Escape", "Return", "Escape")
        DESKTOP.wait("1234 typed", lambda s: s.main().control(CPI_FIELDS[0]).text == "1234")
        time.sleep(SETTLE_SECONDS)
        self.wait_focus((SENSOR_PAGE, CPI_FIELDS[0]))
        self.assertTrue(self.program.running())
        self.assertEqual(self.visible_pages(self.main()), [SENSOR_PAGE])
        self.assertEqual(DESKTOP.snapshot().menus(main.pid), [])
        self.assertEqual(self.folder.profile_files(), [])

    def test_restore_question_answers_no_to_escape_and_to_enter(self):
        self.launch(settings=CHANGED_SETTINGS)
        block = self.mouse.block()
        self.wait_page(BUTTON_PAGE)
        self.keys("ctrl+Tab", "ctrl+Tab")
        self.wait_page(SUPPORT_PAGE)
        for key in ("Escape", "Return"):
            with self.subTest(key=key):
                if key == "Escape":
                    self.wait_focus((None, SUPPORT))
                    self.tab_through([(None, b) for b in TOP_ROW[TOP_ROW.index(SUPPORT) + 1:]]
                                     + [(SUPPORT_PAGE, c) for c in SUPPORT_PAGE_ORDER])
                self.keys("Return")
                DESKTOP.wait_titled(RESTORE_TITLE)
                # No, the default, has the focus and shows the mark.
                snapshot = DESKTOP.wait("No focused", lambda s: s if s.titled(RESTORE_TITLE, True) and s.focus == s.titled(
                    RESTORE_TITLE, True)[0].control(RESTORE_NO_ID).hwnd else None)
                question = snapshot.titled(RESTORE_TITLE, True)[0]
                if key == "Escape":
                    shot = DESKTOP.screenshot(question, "keyboard-restore-question-no-focused")
                    x, y, w, h = question.control(RESTORE_NO_ID).rect
                    self.assertTrue(has_colour(shot, (x, y, w, h), FOCUS_GOLD), "no focus mark on No")
                DESKTOP.press_keys(question, key)
                DESKTOP.wait("the question closed", lambda s: not s.titled(RESTORE_TITLE, True))
                self.wait_focus((SUPPORT_PAGE, RESTORE_BUTTON[0]))
        time.sleep(SETTLE_SECONDS)
        self.assertEqual(self.folder.profile_files(), [])
        self.assertEqual(self.mouse.block(), block)
        self.assertNotIn("08", [field(l, "cmd") for l in self.mouse.log()])

    def test_tray_menu_from_its_key_down_and_enter_on_config_mouse(self):
        main = self.launch()
        self.wait_page(BUTTON_PAGE)
        # Close from the keys: the last button of the top row.
        self.tab_through([(None, b) for b in TOP_ROW[1:]])
        self.press_until(lambda: self.main(), "Return", "the window hidden",
                         lambda s: s.main(visible=False) and not s.main(visible=True))
        # The shell reports the menu key on the icon to the program.
        DESKTOP.post(main, TRAY_CALLBACK, TRAY_ICON_ID, WM_CONTEXTMENU)
        menu = DESKTOP.wait_menu(main.pid, "the tray menu")

        def highlighted(row):
            shot = DESKTOP.screenshot_screen("keyboard-tray-menu", menu.rect)
            # Inside the gold frame: gold there is an item's highlighted text.
            return has_colour(shot, (2, 4 + 16 * row, menu.rect[2] - 4, 16), (0xFD, 0xC4, 0x15))
        self.assertFalse(highlighted(0) or highlighted(1), "an item was highlighted before a key")
        self.press_until(lambda: menu, "Down", "Config Mouse highlighted", lambda s: highlighted(0))
        self.assertFalse(highlighted(1))
        shown = self.press_until(lambda: menu, "Return", "the window back", lambda s: s.main(visible=True))
        self.assertEqual(shown.main(visible=True).rect, main.rect)
        DESKTOP.wait("the tray menu closed", lambda s: not s.menus(main.pid))

    def press_until(self, window, key, what, done):
        """Presses a key in a window of the program and waits until done(snapshot) holds."""
        DESKTOP.press_keys(window(), key)
        return DESKTOP.wait(what, lambda s: s if done(s) else None)


class ApplyFeedback(KeyboardCase):
    """Busy while the write runs, "Saved to the mouse" for about two seconds after."""

    def confirmation(self, snapshot, page):
        found = [w for w in snapshot.main().control(page).children if w.record["class"] == CONFIRMATION_CLASS]
        self.assertEqual(len(found), 1)
        return found[0]

    def looks_busy(self, shot, rect, busy_sheet, normal_sheet):
        seen = shot.region(*page_rect(rect))
        return region_distance(seen, busy_sheet.region(*rect)) < region_distance(seen, normal_sheet.region(*rect))

    def watch_apply(self, page, rect, busy_sheet, normal_sheet, name, start):
        """Watches one apply from the press: busy until the commit, then the
        confirmation, which goes by itself. Returns the seconds it showed."""
        busy_seen = False
        while True:
            before = DESKTOP.snapshot()
            shot = DESKTOP.screenshot(self.main(), name + "-watching")
            log = self.mouse.log()[start:]
            if any(l[0] == "GET" and field(l, "cmd") == "04" for l in log):
                break
            # Nothing had committed when the snapshot and the shot were taken.
            self.assertFalse(self.confirmation(before, page).visible, "saved before the commit")
            if self.looks_busy(shot, rect, busy_sheet, normal_sheet):
                if not busy_seen:
                    os.replace(shot.path, os.path.join(os.path.dirname(shot.path), name + "-busy.png"))
                busy_seen = True
            time.sleep(0.05)
        self.assertTrue(busy_seen, "the button never looked busy before the commit")
        appeared = gone = None
        saved_seen = False
        deadline = time.monotonic() + 15
        while gone is None:
            self.assertLess(time.monotonic(), deadline, "the confirmation did not come and go")
            # The shot before the look at the windows: a look that finds the
            # confirmation shown may come late in its two seconds, and a shot
            # taken after it would find it gone. Its art on a shot is proof
            # enough that it showed.
            shot_time = time.monotonic()
            shot = DESKTOP.screenshot(self.main(), name + "-saved-watching")
            snapshot = DESKTOP.snapshot()
            confirmation = self.confirmation(snapshot, page)
            x, y, w, h = confirmation.rect
            saved = busy_sheet.region(x, y, w, h)
            shows_art = region_distance(shot.region(PAGE_ORIGIN[0] + x, PAGE_ORIGIN[1] + y, w, h), saved) < 3
            if appeared is None and (shows_art or confirmation.visible):
                appeared = shot_time if shows_art else time.monotonic()
                self.assertEqual(confirmation.text, SAVED_TEXT)
            if not confirmation.visible and appeared is not None:
                gone = time.monotonic()
            if shows_art:
                os.replace(shot.path, os.path.join(os.path.dirname(shot.path), name + "-saved.png"))
                saved_seen = True
                self.assertFalse(self.looks_busy(shot, rect, busy_sheet, normal_sheet), "still busy after the commit")
                # Used with the mouse only, the window shows no focus mark, on any page.
                self.assertFalse(has_colour(shot, page_rect(rect), FOCUS_GOLD), "a focus mark after the mouse alone")
        self.assertTrue(saved_seen, "the confirmation never showed its art")
        after = DESKTOP.screenshot(self.main(), name + "-after")
        self.assertGreater(region_distance(after.region(PAGE_ORIGIN[0] + x, PAGE_ORIGIN[1] + y, w, h), saved), 3)
        return gone - appeared

    def test_apply_is_busy_until_the_commit_then_says_saved_and_the_word_goes(self):
        self.launch()
        table = [(BUTTON_SETTING, BUTTON_PAGE, BUTTON_PAGE_APPLY, "Buttons"),
                 (ADVANCED, SENSOR_PAGE, SENSOR_PAGE_APPLY, "MSensor")]
        for page_button, page, (_, rect), sheet_name in table:
            with self.subTest(page=page):
                main = self.show_page(page_button)
                busy = sheet(f"{sheet_name}_Busy.png")
                normal = sheet(f"{sheet_name}_{'Off' if page == SENSOR_PAGE else 'Normal'}.png")
                # The mouse answers busy for a while, so the write takes its time.
                self.mouse.faults("busy 6 cmd=08\n")
                start = len(self.mouse.log())
                DESKTOP.click(main, *centre(rect, PAGE_ORIGIN))
                seconds = self.watch_apply(page, rect, busy, normal, f"apply-feedback-{page}", start)
                self.assertGreater(seconds, CONFIRMATION_SECONDS / 2)
                self.assertEqual(self.no_popups(), [])

    def test_restore_defaults_is_busy_then_says_saved(self):
        self.launch(settings=CHANGED_SETTINGS)
        main = self.show_page(SUPPORT)
        busy = sheet("Update_Busy.png")
        normal = sheet("Update_Normal.png")
        self.click_on_page(main, RESTORE_BUTTON[1])
        question = DESKTOP.wait_titled(RESTORE_TITLE)
        start = len(self.mouse.log())
        DESKTOP.click(question, *centre(RESTORE_YES[1]))
        self.watch_apply(SUPPORT_PAGE, RESTORE_BUTTON[1], busy, normal, "restore-feedback", start)

    def test_failed_apply_keeps_its_message_and_shows_no_confirmation(self):
        self.launch()
        main = self.wait_page(BUTTON_PAGE)
        self.mouse.faults("send-error 31 1 cmd=08\n")
        self.click_on_page(main, BUTTON_PAGE_APPLY[1])
        box = DESKTOP.wait_notice("The mouse refused the settings")
        self.assertFalse(self.confirmation(DESKTOP.snapshot(), BUTTON_PAGE).visible)
        self.dismiss_notice(box)
        deadline = time.monotonic() + CONFIRMATION_SECONDS + 1
        while time.monotonic() < deadline:
            self.assertFalse(self.confirmation(DESKTOP.snapshot(), BUTTON_PAGE).visible,
                             "a failed apply said it saved")
            time.sleep(0.1)
        busy = sheet("Buttons_Busy.png")
        normal = sheet("Buttons_Normal.png")
        shot = DESKTOP.screenshot(self.main(), "apply-failed-after")
        self.assertFalse(self.looks_busy(shot, BUTTON_PAGE_APPLY[1], busy, normal), "Apply stayed busy")


class AccessibleNames(KeyboardCase):
    """The names screen readers read, through the probe's accessibility view."""

    def names(self, window):
        code, out, err = DESKTOP.run_wine([OPTIONS.probe, "names", str(window.hwnd)])
        self.assertEqual(code, 0, err)
        return {entry["id"]: entry for entry in json.loads(out)}

    def assert_names(self, window, expected):
        names = self.names(window)
        for control, name in expected.items():
            with self.subTest(control=control):
                self.assertIn(control, names)
                self.assertEqual(names[control]["name"], name)
        # Every button and field the user can reach has a name.
        for entry in names.values():
            if entry["class"].lower() in ("button", "edit"):
                self.assertTrue(entry["name"], f"control {entry['id']} has no name")

    def test_every_skinned_control_has_a_name(self):
        self.launch()
        main = self.wait_page(BUTTON_PAGE)
        self.assert_names(main, {BUTTON_SETTING: "Button Setting", ADVANCED: "Advanced", SUPPORT: "Support",
                                 HELP: "Help", MINIMISE: "Minimise", CLOSE: "Close"})
        self.assert_names(main.control(BUTTON_PAGE), {
            function_button(1): "Button 1: Left click", function_button(2): "Button 2: Right click",
            function_button(3): "Button 3: Middle click", function_button(4): "Button 4: IE Forward",
            function_button(5): "Button 5: IE Backward", BUTTON_PAGE_APPLY[0]: "Apply"})
        main = self.show_page(ADVANCED)
        expected = {SMOOTHING: "Smoothing", LIFT_OFF: "Lift-off distance: 2mm [default]",
                    SENSOR_PAGE_APPLY[0]: "Apply"}
        for level, (field_id, switch) in enumerate(zip(CPI_FIELDS, LEVEL_SWITCHES), 1):
            expected[field_id] = f"CPI level {level}"
            expected[switch] = f"CPI level {level} in use"
            expected[LEVEL_COLOURS[level - 1]] = f"CPI level {level} colour"
        self.assert_names(main.control(SENSOR_PAGE), expected)
        main = self.show_page(SUPPORT)
        self.assert_names(main.control(SUPPORT_PAGE), {ID.IDC_FIRMWARE_UPDATE: "Update Firmware",
                                                       ID.IDC_SOFTWARE_UPDATE: "Download",
                                                       RESTORE_BUTTON[0]: "Restore Defaults"})
        main = self.show_page(HELP)
        self.assert_names(main.control(HELP_PAGE), {ID.IDC_FAQ_BUTTON: "FAQ", ID.IDC_EMAIL_BUTTON: "E-mail"})
        # The confirmation after a write reads as it shows.
        main = self.show_page(BUTTON_SETTING)
        self.click_on_page(main, BUTTON_PAGE_APPLY[1])
        page = DESKTOP.wait("the confirmation", lambda s: next(
            (w for w in s.main().control(BUTTON_PAGE).children
             if w.record["class"] == CONFIRMATION_CLASS and w.visible), None) and s.main().control(BUTTON_PAGE))
        confirmation = next(w for w in page.children if w.record["class"] == CONFIRMATION_CLASS)
        self.assertEqual(self.names(page).get(confirmation.id, {}).get("name"), SAVED_TEXT)
        # And a pop-up's buttons.
        main = self.show_page(SUPPORT)
        self.click_on_page(main, RESTORE_BUTTON[1])
        question = DESKTOP.wait_titled(RESTORE_TITLE)
        self.assert_names(question, {RESTORE_YES[0]: "Yes", RESTORE_NO_ID: "No"})
        DESKTOP.press_keys(question, "Escape")
        DESKTOP.wait("the question closed", lambda s: not s.titled(RESTORE_TITLE, True))


class FirmwareToolMissing(KeyboardCase):
    """Update Firmware without its tool says where it looked and where the tool comes from."""

    DOWNLOADS_URL = "https://www.orvanta.com/downloads"
    YES, NO = 6, 7

    def test_message_names_the_place_and_the_downloads_page(self):
        self.launch()
        main = self.show_page(SUPPORT)
        self.click_on_page(main, FIRMWARE_UPDATE_BUTTON)
        box = DESKTOP.wait_notice("Firmware update tool not found")
        text = notice_text(box)
        tool = os.path.join(self.folder.app, FIRMWARE_TOOL_FOLDER, FIRMWARE_TOOL_FOLDER + ".exe")
        # The whole path, on a line of its own.
        self.assertIn("\n" + wine_path(tool) + "\n", text)
        self.assertIn(self.DOWNLOADS_URL, text)
        yes, no = box.control(ID.IDC_MESSAGE_YES), box.control(ID.IDC_MESSAGE_NO)
        self.assertTrue(yes.visible and no.visible, "no Yes and No to the downloads page")
        self.assertEqual((no.rect, yes.rect), (list(NOTICE_PLACES[0]), list(NOTICE_PLACES[1])))
        DESKTOP.screenshot(box, "message-firmware-tool-missing")
        DESKTOP.click(box, *centre(NOTICE_PLACES[0]))
        DESKTOP.wait("the message closed", lambda s: not s.notices())
        self.assertEqual(self.visible_pages(self.main()), [SUPPORT_PAGE])
        self.assertEqual(self.no_popups(), [])


GROUPS = (Keyboard, ApplyFeedback, AccessibleNames, FirmwareToolMissing)


if __name__ == "__main__":
    harness.main(GROUPS, __doc__)
