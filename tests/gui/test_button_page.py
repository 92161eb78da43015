#!/usr/bin/env python3
"""The button page and the custom hotkey pop-up, driven as a user drives them,
under Wine in Xvfb.

usage: test_button_page.py (the options of test_gui.py) [GROUP...]

The shared harness, the program's folder and the emulated mouse come from
harness.py; GROUP names test classes of this file (default: all).
"""
import os
import re
import shutil
import time

import harness
from harness import (ADVANCED, BUTTON_PAGE, BUTTON_PAGE_APPLY, BUTTON_SETTING, DESKTOP, FIXTURE_BUTTON,
                     FIXTURE_TITLE, ID, MENU_RIGHT_STRIP, NO_MOUSE_PAGE, OPTIONS, PAGE_ORIGIN, POINTER_REST,
                     PROFILE_FILE, RESTORE_BUTTON, RESTORE_TITLE, RESTORE_YES, SETTLE_SECONDS, SUPPORT, WM_COMMAND,
                     Korvidctl, ProgramCase, WaitTimeout, centre, function_button, menu_height, menu_item_centre,
                     scaled_centre, text_room_right)

# Function buttons 6 and 7 and the seven labels stay hidden.
HIDDEN_CONTROLS = (function_button(6), function_button(7)) + tuple(
    getattr(ID, f"IDC_BUTTON_TEXT_{n}") for n in range(1, 8))
FUNCTION_BUTTON_RECTS = {
    1: (623, 132, 282, 34), 2: (623, 169, 282, 34), 3: (623, 207, 282, 31), 4: (623, 245, 282, 31),
    5: (623, 282, 282, 31),
}
MENU = ("Left click", "Right click", "Middle click", "IE Forward", "IE Backward", "Scroll Up", "Scroll Down",
        "Keyboard key", "Disable button")
FACTORY_LABELS = ["Left click", "Right click", "Middle click", "IE Forward", "IE Backward"]
APPLY_TIP = "Apply settings and store it onboard mouse memory"
KEY_TIP = "Bind button to a custom hotkey"
TOOLTIP_CLASS = "tooltips_class32"
# Background columns a tip keeps after its last letter: a tip sized short of
# its text has its last letter clipped with only the control's own 2 left.
TIP_TEXT_ROOM = 4

# The custom hotkey pop-up, in its client pixels.
HOTKEY_TITLE = "Custom Hotkey"
HOTKEY_SIZE = [462, 260]
CTRL, SHIFT, ALT, WIN = ID.IDC_HOTKEY_CTRL, ID.IDC_HOTKEY_SHIFT, ID.IDC_HOTKEY_ALT, ID.IDC_HOTKEY_WIN
KEY_FIELD, CANCEL, SAVE, KEY_LIST = ID.IDC_HOTKEY_KEY, ID.IDC_HOTKEY_CANCEL, ID.IDC_HOTKEY_SAVE, ID.IDC_HOTKEY_KEY_LIST
HOTKEY_RECTS = {SHIFT: (38, 145, 27, 27), CTRL: (140, 145, 28, 27), ALT: (245, 145, 29, 27),
                WIN: (338, 145, 29, 27), KEY_FIELD: (43, 88, 377, 43), SAVE: (218, 205, 97, 37),
                CANCEL: (327, 205, 99, 37), KEY_LIST: (43, 205, 163, 37)}
# The pop-up's list of the keys a keyboard may lack, in its order.
LISTED_KEYS = tuple(f"F{n}" for n in range(13, 25)) + (
    "Volume Mute", "Volume Down", "Volume Up ", "<>", "CONVERT", "NONCONVERT", "CLEAR", "SELECT", "EXECUTE",
    "HELP", "SEPARATOR", "ATTN", "CRSEL", "EXSEL")
# A point of the pop-up's body beside its title, on no control.
BODY_POINT = (300, 24)
# The sensor page's first level colour, which opens the colour dialog, and a
# swatch of that dialog.
LEVEL1_COLOUR_RECT = (40, 207, 225, 84)
COLOUR_SAVE, GREEN_SWATCH_RECT = ID.IDC_COLOUR_SAVE, (113, 47, 99, 64)


class ButtonPageCase(ProgramCase):
    """The program on the button page, and how to use the page's controls."""

    def page(self, snapshot=None):
        main = (snapshot or DESKTOP.snapshot()).main(visible=True)
        return main.control(BUTTON_PAGE) if main else None

    def labels(self, snapshot=None):
        """The function buttons' labels: their window texts less their names ("Button 3: ")."""
        page = self.page(snapshot)
        texts = [page.control(function_button(n)).text for n in range(1, 6)]
        for n, text in enumerate(texts, 1):
            self.assertTrue(text.startswith(f"Button {n}: "), text)
        return [text.split(": ", 1)[1] for text in texts]

    def wait_labels(self, expected, what="the page's labels"):
        seen = []

        def shown(snapshot):
            seen[:] = self.labels(snapshot)
            return seen == expected
        try:
            DESKTOP.wait(what, shown)
        except WaitTimeout:
            self.assertEqual(seen, expected, what)

    def menus(self, snapshot=None):
        return (snapshot or DESKTOP.snapshot()).menus(self.program_pid())

    def program_pid(self):
        return DESKTOP.snapshot().main().pid

    def wait_menus(self, count, what):
        return DESKTOP.wait_menus(self.program_pid(), count, what)

    def assert_no_menu_opens(self, what):
        time.sleep(SETTLE_SECONDS)
        self.assertEqual(self.menus(), [], what)

    def button_centre(self, number):
        """The screen point at the centre of function button n."""
        main = self.main()
        x, y = centre(FUNCTION_BUTTON_RECTS[number], PAGE_ORIGIN)
        return main.client[0] + x, main.client[1] + y

    def click_button(self, number):
        self.click_on_page(self.main(), FUNCTION_BUTTON_RECTS[number])

    def open_menu(self, number):
        return DESKTOP.open_menu(self.program_pid(), lambda: self.click_button(number),
                                 f"the menu of button {number}")

    def choose(self, number, item):
        """Chooses a menu item of function button n as a user does."""
        menu = self.open_menu(number)
        DESKTOP.click_and_rest(*menu_item_centre(menu, MENU.index(item), self.dpi))

    # -- the pop-up

    def open_hotkey_popup(self, number):
        self.choose(number, "Keyboard key")
        return DESKTOP.wait_titled(HOTKEY_TITLE)

    def popup(self):
        found = DESKTOP.snapshot().titled(HOTKEY_TITLE, True)
        return found[0] if found else None

    def click_popup(self, popup, control):
        DESKTOP.click(popup, *scaled_centre(HOTKEY_RECTS[control], self.dpi))

    def key_field(self, snapshot=None):
        popup = (snapshot or DESKTOP.snapshot()).titled(HOTKEY_TITLE, True)
        return popup[0].control(KEY_FIELD).text if popup else None

    def wait_key_field(self, text):
        DESKTOP.wait(f"the key field showing {text!r}", lambda s: self.key_field(s) == text)

    def wait_popup_closed(self, what="the pop-up closed"):
        DESKTOP.wait(what, lambda s: not s.titled(HOTKEY_TITLE, True))

    def bound_buttons(self):
        """korvidctl's view of the mouse: label, type, code, extra of buttons 1 to 5."""
        return [(b["label"], b["type"], b["code"], b["extra"]) for b in self.ctl.show()["buttons"][:5]]


class ButtonPage(ButtonPageCase):
    """The page's labels, menus, tool tips and Apply."""

    def test_start_shows_what_the_mouse_holds(self):
        self.launch(settings=("button3=ctrl+shift+a", "button4=scroll-up", "button5=disable"))
        main = self.wait_page(BUTTON_PAGE)
        self.wait_labels(["Left click", "Right click", "Ctrl+Shift+A", "Scroll Up", "Disable button"])
        page = main.control(BUTTON_PAGE)
        for number, rect in FUNCTION_BUTTON_RECTS.items():
            with self.subTest(button=number):
                control = page.control(function_button(number))
                self.assertTrue(control.visible)
                self.assertEqual(control.rect, list(rect))
        for hidden in HIDDEN_CONTROLS:
            with self.subTest(hidden=hidden):
                self.assertFalse(page.control(hidden).visible)
        shot = DESKTOP.screenshot(main, "button-page-bound")
        self.assert_main_screenshot(shot)
        # Each label is drawn: the five fields differ from one another.
        fields = [shot.region(*centre_strip(rect)) for rect in FUNCTION_BUTTON_RECTS.values()]
        self.assertEqual(len(set(fields[2:])), 3, "buttons 3 to 5 do not show their labels")

    def test_menus_and_keyboard_key_reach_the_mouse_through_apply(self):
        self.launch()
        self.wait_page(BUTTON_PAGE)
        self.wait_labels(FACTORY_LABELS)
        read = len(self.mouse.log())
        self.choose(3, "Scroll Down")
        self.wait_labels(["Left click", "Right click", "Scroll Down", "IE Forward", "IE Backward"])
        self.choose(5, "Disable button")
        popup = self.open_hotkey_popup(4)
        self.click_popup(popup, CTRL)
        DESKTOP.press_keys(popup, "a")
        self.wait_key_field("Ctrl+A")
        self.click_popup(popup, SAVE)
        self.wait_popup_closed()
        expected = ["Left click", "Right click", "Scroll Down", "Ctrl+A", "Disable button"]
        self.wait_labels(expected, "the labels after the choices")
        self.assertEqual(self.menus(), [])
        self.assertEqual(self.mouse.log()[read:], [], "a choice reached the mouse before Apply")
        self.apply_and_check()
        profile = os.path.join(self.folder.profiles, PROFILE_FILE)
        self.assertEqual(self.mouse.block(), self.ctl.block(profile))
        self.assertEqual(self.bound_buttons(), [
            ("Left click", 0, 1, 0), ("Right click", 0, 2, 0), ("Scroll Down", 1, 255, 0), ("Ctrl+A", 2, 1, 4),
            ("Disable button", 255, 255, 0)])
        self.wait_labels(expected, "the labels after Apply")

    def test_every_item_of_the_menus_of_buttons_3_to_5(self):
        self.launch()
        self.wait_page(BUTTON_PAGE)
        table = [(3, "Left click"), (4, "Right click"), (5, "Middle click"), (3, "IE Forward"),
                 (4, "IE Backward"), (5, "Scroll Up")]
        labels = list(FACTORY_LABELS)
        for number, item in table:
            with self.subTest(button=number, item=item):
                self.choose(number, item)
                labels[number - 1] = item
                self.wait_labels(labels)
        self.apply_and_check()
        self.assertEqual([b[0] for b in self.bound_buttons()],
                         ["Left click", "Right click", "IE Forward", "IE Backward", "Scroll Up"])

    def test_open_menu_screenshot(self):
        self.launch(settings=("button3=ctrl+shift+a", "button4=scroll-up", "button5=disable"))
        self.wait_page(BUTTON_PAGE)
        menu = self.open_menu(3)
        main = self.main()
        x, y, width, height = DESKTOP.snapshot().main().control(BUTTON_PAGE).control(function_button(3)).screen
        self.assertEqual(menu.rect, [x, y + height, width - 2, menu_height(len(MENU))])
        DESKTOP.xdotool("mousemove", *menu_item_centre(menu, MENU.index("Keyboard key")))
        time.sleep(SETTLE_SECONDS)
        shot = DESKTOP.screenshot_with_menus(main, "button-page-menu-open")
        left, top = menu.rect[0] - main.rect[0], menu.rect[1] - main.rect[1]
        self.assertEqual(shot.pixel(left, top + 20), (0xFD, 0xC4, 0x15), "the menu's gold frame")
        DESKTOP.xdotool("mousemove", *POINTER_REST)

    def test_fixed_buttons_open_no_menu(self):
        self.launch()
        self.wait_page(BUTTON_PAGE)
        for number in (1, 2):
            with self.subTest(button=number):
                self.click_button(number)
                self.assert_no_menu_opens(f"button {number} opened a menu")
        self.wait_labels(FACTORY_LABELS)

    def test_tool_tips_name_each_buttons_function(self):
        self.launch(settings=("button3=ctrl+shift+a", "button4=scroll-up", "button5=disable"))
        self.wait_page(BUTTON_PAGE)
        expected = {1: "Bind left button", 2: "Bind right button", 3: KEY_TIP,
                    4: "Bind to standard mouse functions", 5: "Disable button"}
        for number, tip in expected.items():
            with self.subTest(button=number):
                self.assertEqual(self.hover_tip(self.button_centre(number)), tip)
        main = self.main()
        apply_point = centre(BUTTON_PAGE_APPLY[1], PAGE_ORIGIN)
        self.assertEqual(self.hover_tip((main.client[0] + apply_point[0], main.client[1] + apply_point[1])),
                         APPLY_TIP)
        # The tip follows the button's function.
        self.choose(5, "IE Forward")
        self.wait_labels(["Left click", "Right click", "Ctrl+Shift+A", "Scroll Up", "IE Forward"])
        self.assertEqual(self.hover_tip(self.button_centre(5)), "Bind IE forward button")
        self.choose(3, "Middle click")
        self.assertEqual(self.hover_tip(self.button_centre(3)), "Bind wheel button")

    def hover_tip(self, point):
        """The text of the tool tip shown while the pointer rests at a screen point."""
        DESKTOP.xdotool("mousemove", *POINTER_REST)
        time.sleep(0.3)
        DESKTOP.xdotool("mousemove", point[0] - 3, point[1], "mousemove", *point)
        pid = self.program_pid()

        def tip(snapshot):
            shown = [w for w in snapshot.of_process(pid) if w.record["class"] == TOOLTIP_CLASS and w.text]
            return shown[0] if shown else None
        found = DESKTOP.wait(f"a tool tip at {point}", tip)
        # The tip is as wide as its text: its last letter clear of the border.
        shot = DESKTOP.screenshot_screen("button-page-tip", found.rect)
        self.assertGreaterEqual(text_room_right(shot), TIP_TEXT_ROOM, f"the tip {found.text!r} cuts its text off")
        DESKTOP.xdotool("mousemove", *POINTER_REST)
        return found.text

    def test_bindings_the_menus_do_not_offer_survive_applies(self):
        self.launch(settings=("cpi1=800",), unplugged=True)
        path = self.mouse.path("block.bin")
        with open(path, "rb") as f:
            block = bytearray(f.read())
        block[115:122] = bytes.fromhex("20 E9 00 00 00 00 0F")  # button 3: a media function
        block[122:129] = bytes.fromhex("02 01 58 00 00 00 0F")  # button 4: Ctrl and a usage the key table lacks
        with open(path, "wb") as f:
            f.write(block)
        os.remove(self.mouse.path("unplugged"))
        self.wait_page(BUTTON_PAGE, "the button page after plugging in")
        self.wait_labels(["Left click", "Right click", "Media: Volume Up", "Ctrl+Key usage 0x58", "IE Backward"])
        for _ in range(3):
            self.apply_and_check()
            with open(path, "rb") as f:
                self.assertEqual(f.read()[115:129].hex(" "), block[115:129].hex(" "))

    def test_restore_defaults_and_a_replug_refresh_the_page(self):
        self.launch(settings=("button3=alt+f4", "button4=scroll-down", "button5=right"))
        self.wait_labels(["Left click", "Right click", "Alt+F4", "Scroll Down", "Right click"])
        # Replug: the mouse changed by another program while it was away.
        self.mouse.unplug()
        self.wait_page(NO_MOUSE_PAGE, "the no-mouse page after the unplug")
        other = Korvidctl(os.path.join(self.tmp, "other-mouse"))
        other.run("set", "button3=win+f13", "button4=disable", "button5=scroll-up")
        shutil.copy2(os.path.join(other.mouse_folder, "block.bin"), self.mouse.path("block.bin"))
        os.remove(self.mouse.path("unplugged"))
        self.wait_page(BUTTON_PAGE, "the button page after plugging in")
        self.wait_labels(["Left click", "Right click", "Win+F13", "Disable button", "Scroll Up"],
                         "the labels after the replug")
        # Restore defaults on the support page.
        main = self.show_page(SUPPORT)
        self.click_on_page(main, RESTORE_BUTTON[1])
        question = DESKTOP.wait_titled(RESTORE_TITLE)
        DESKTOP.click(question, *centre(RESTORE_YES[1]))
        self.wait_commit()
        self.show_page(BUTTON_SETTING)
        self.wait_labels(FACTORY_LABELS, "the labels after restoring the defaults")


    def test_a_choice_left_open_at_an_unplug_is_dropped(self):
        self.launch()
        self.wait_page(BUTTON_PAGE)
        before = self.ctl.show()

        def replug(what, gone):
            self.mouse.unplug()
            DESKTOP.wait(f"{what} closed by the unplug", lambda s: gone(s))
            self.wait_page(NO_MOUSE_PAGE, f"the no-mouse page after the unplug with {what} open")
            self.mouse.plug()
            self.wait_page(BUTTON_PAGE, f"the button page after the replug with {what} open")

        # The hotkey pop-up with a key captured, the colour dialog with a
        # swatch picked: each closes, storing nothing.
        popup = self.open_hotkey_popup(3)
        DESKTOP.press_keys(popup, "a")
        self.wait_key_field("A")
        replug("the hotkey pop-up", lambda s: not s.titled(HOTKEY_TITLE, True))
        self.wait_labels(FACTORY_LABELS, "the labels after the pop-up was dropped")
        main = self.show_page(ADVANCED)
        self.click_on_page(main, LEVEL1_COLOUR_RECT)
        dialog = DESKTOP.wait("the colour dialog", lambda s: next(
            (w for w in s.of_process(main.pid) if w.hwnd != main.hwnd and w.control(COLOUR_SAVE) is not None), None))
        DESKTOP.click(dialog, *centre(GREEN_SWATCH_RECT))
        replug("the colour dialog",
               lambda s: not any(w.control(COLOUR_SAVE) is not None for w in s.of_process(main.pid)))
        # A menu open at the unplug closes, and takes no keys after the replug.
        self.open_menu(5)
        replug("a menu", lambda s: not self.menus(s))
        DESKTOP.key(self.main(), "Down", "Return")
        time.sleep(SETTLE_SECONDS)
        # Applied as a click would report it: the keys may have sent the window away.
        start = len(self.mouse.log())
        page = DESKTOP.snapshot().main().control(BUTTON_PAGE)
        DESKTOP.post(page, WM_COMMAND, BUTTON_PAGE_APPLY[0], page.control(BUTTON_PAGE_APPLY[0]).hwnd)
        self.wait_commit(start)
        self.assertEqual(self.ctl.show(), before)


def union(a, b):
    """The smallest screen rectangle holding two (x, y, width, height)."""
    left, top = min(a[0], b[0]), min(a[1], b[1])
    right, bottom = max(a[0] + a[2], b[0] + b[2]), max(a[1] + a[3], b[1] + b[3])
    return left, top, right - left, bottom - top


def centre_strip(rect):
    """The text part of a function button: the left two thirds, inside its frame."""
    x, y, width, height = rect
    return PAGE_ORIGIN[0] + x + 4, PAGE_ORIGIN[1] + y + 6, width * 2 // 3, height - 12


class ComboRelease(ButtonPageCase):
    """A release over a function button opens its menu only after a press on that button."""

    def test_dragging_onto_a_button_opens_no_menu(self):
        self.launch()
        self.wait_page(BUTTON_PAGE)
        main = self.main()
        start = (main.client[0] + PAGE_ORIGIN[0] + 700, main.client[1] + PAGE_ORIGIN[1] + 400)
        target = self.button_centre(4)
        DESKTOP.xdotool("mousemove", *start, "mousedown", 1)
        for step in range(1, 11):
            DESKTOP.xdotool("mousemove", start[0] + (target[0] - start[0]) * step // 10,
                            start[1] + (target[1] - start[1]) * step // 10)
        DESKTOP.xdotool("mouseup", 1, "mousemove", *POINTER_REST)
        self.assert_no_menu_opens("a drag onto button 4 opened its menu")
        self.wait_labels(FACTORY_LABELS)

    def test_pressing_the_open_menus_strip_over_another_button_opens_nothing(self):
        self.launch()
        self.wait_page(BUTTON_PAGE)
        menu = self.open_menu(3)
        # The strip at the right of the items, where the menu lies over button 4.
        button4 = self.button_centre(4)
        point = (menu.rect[0] + menu.rect[2] - MENU_RIGHT_STRIP // 2, button4[1])
        self.assertTrue(menu.rect[1] < point[1] < menu.rect[1] + menu.rect[3])
        DESKTOP.click_and_rest(*point)
        self.wait_menus(0, "the menu closed by the press on its strip")
        self.assert_no_menu_opens("the release opened button 4's menu")
        self.wait_labels(FACTORY_LABELS)

    def test_a_click_still_opens_and_closes_the_menu(self):
        self.launch()
        self.wait_page(BUTTON_PAGE)
        self.open_menu(4)
        self.click_button(4)
        self.wait_menus(0, "the menu closed by a second click on its button")
        self.assert_no_menu_opens("the menu opened again")


class HotkeyPopup(ButtonPageCase):
    """The custom hotkey pop-up: capture, toggles, Save, Cancel, the hook."""

    def test_ctrl_a_and_screenshot_with_two_toggles(self):
        main = self.launch()
        popup = self.open_hotkey_popup(3)
        self.assertEqual(popup.client[2:], HOTKEY_SIZE)
        self.assertEqual(popup.client, popup.rect, "the pop-up has a frame or caption")
        self.assertEqual(popup.owner, main.hwnd)
        self.assert_centred(popup, main)
        self.assertEqual(self.menus(), [], "the menu that opened the pop-up is still open")
        for control, rect in HOTKEY_RECTS.items():
            with self.subTest(control=control):
                self.assertEqual(popup.control(control).rect, list(rect))
        self.click_popup(popup, SHIFT)
        self.click_popup(popup, CTRL)
        DESKTOP.press_keys(popup, "F5")
        self.wait_key_field("Ctrl+Shift+F5")
        DESKTOP.xdotool("mousemove", *POINTER_REST)
        shot = DESKTOP.screenshot(popup, "popup-hotkey-captured")
        self.assertGreater(shot.colours(), 50)
        self.click_popup(popup, SAVE)
        self.wait_popup_closed()
        self.wait_labels(["Left click", "Right click", "Ctrl+Shift+F5", "IE Forward", "IE Backward"])

    def test_escape_as_the_first_key_is_captured_and_keeps_the_popup_open(self):
        self.launch()
        popup = self.open_hotkey_popup(5)
        DESKTOP.press_keys(popup, "Escape")
        self.wait_key_field("ESC")
        time.sleep(SETTLE_SECONDS)
        self.assertIsNotNone(self.popup(), "Escape closed the pop-up")
        # The chord taken, Enter is the dialog's: it saves.
        DESKTOP.press_keys(popup, "Return")
        self.wait_popup_closed("the pop-up closed by Enter")
        self.wait_labels(["Left click", "Right click", "Middle click", "IE Forward", "ESC"])

    def test_cancel_and_save_with_nothing_chosen_change_nothing(self):
        self.launch(settings=("button4=shift+q",))
        labels = ["Left click", "Right click", "Middle click", "Shift+Q", "IE Backward"]
        self.wait_labels(labels)
        # Cancel after a key and a toggle; Save with neither.
        popup = self.open_hotkey_popup(4)
        self.click_popup(popup, ALT)
        DESKTOP.press_keys(popup, "b")
        self.wait_key_field("Alt+B")
        self.click_popup(popup, CANCEL)
        self.wait_popup_closed("the pop-up closed by Cancel")
        self.wait_labels(labels, "the labels after Cancel")
        popup = self.open_hotkey_popup(4)
        self.assertEqual(self.key_field(), "")
        self.click_popup(popup, SAVE)
        self.wait_popup_closed("the pop-up closed by Save with nothing chosen")
        self.wait_labels(labels, "the labels after Save with nothing chosen")
        self.apply_and_check()
        self.assertEqual(self.bound_buttons()[3], ("Shift+Q", 2, 2, 0x14))

    def test_modifier_only_binding_on_a_popup_dragged_by_its_body(self):
        self.launch()
        popup = self.open_hotkey_popup(5)
        # Dragged by its body, away from every control.
        x, y = popup.client[0] + BODY_POINT[0], popup.client[1] + BODY_POINT[1]
        DESKTOP.xdotool("mousemove", x, y, "mousedown", 1)
        for step in range(1, 11):
            DESKTOP.xdotool("mousemove", x - 6 * step, y + 4 * step)
        DESKTOP.xdotool("mouseup", 1, "mousemove", *POINTER_REST)
        before = popup.rect
        popup = DESKTOP.wait("the pop-up moved", lambda s: self.popup() if self.popup().rect != before else None)
        self.assertEqual(popup.rect, [before[0] - 60, before[1] + 40] + before[2:])
        self.click_popup(popup, SHIFT)
        self.click_popup(popup, ALT)
        self.click_popup(popup, SAVE)
        self.wait_popup_closed()
        self.wait_labels(["Left click", "Right click", "Middle click", "IE Forward", "Shift+Alt"])
        self.apply_and_check()
        self.assertEqual(self.bound_buttons()[4], ("Shift+Alt", 2, 6, 0))

    def test_a_key_the_mouse_cannot_send_is_refused(self):
        self.launch()
        popup = self.open_hotkey_popup(3)
        self.click_popup(popup, WIN)
        DESKTOP.press_keys(popup, "XF86Forward")
        self.wait_key_field("Browser Forward cannot be bound")
        DESKTOP.xdotool("mousemove", *POINTER_REST)
        DESKTOP.screenshot(popup, "popup-hotkey-refused")
        # Saved, nothing changes: neither another key nor the toggled modifier alone.
        self.click_popup(popup, SAVE)
        self.wait_popup_closed()
        self.wait_labels(["Left click", "Right click", "Middle click", "IE Forward", "IE Backward"])
        # F13 is a key like any other.
        popup = self.open_hotkey_popup(4)
        DESKTOP.press_keys(popup, "F13")
        self.wait_key_field("F13")
        self.click_popup(popup, SAVE)
        self.wait_popup_closed()
        self.wait_labels(["Left click", "Right click", "Middle click", "F13", "IE Backward"])
        self.apply_and_check()
        self.assertEqual(self.bound_buttons()[2:4], [("Middle click", 0, 4, 0), ("F13", 2, 0, 0x68)])

    def test_a_chord_is_taken_as_it_is_pressed(self):
        self.launch()
        popup = self.open_hotkey_popup(4)
        # Ctrl and Shift held: the field shows them live, waiting for the key.
        DESKTOP.xdotool("windowfocus", popup.xid, "keydown", "ctrl+shift")
        try:
            self.wait_key_field("Ctrl+Shift+")
            DESKTOP.xdotool("mousemove", *POINTER_REST)
            DESKTOP.screenshot(popup, "popup-hotkey-chord-held")
            DESKTOP.xdotool("key", "F5")
        finally:
            DESKTOP.xdotool("keyup", "ctrl+shift")
        self.wait_key_field("Ctrl+Shift+F5")
        # The chord is taken: another key changes nothing.
        DESKTOP.press_keys(popup, "g")
        time.sleep(SETTLE_SECONDS)
        self.assertEqual(self.key_field(), "Ctrl+Shift+F5")
        self.click_popup(popup, SAVE)
        self.wait_popup_closed()
        self.wait_labels(["Left click", "Right click", "Middle click", "Ctrl+Shift+F5", "IE Backward"])
        self.apply_and_check()
        # Type 2 (a key), modifiers 3 (Ctrl and Shift), usage 0x3E (F5), named as the page names it.
        self.assertEqual(self.bound_buttons()[3], ("Ctrl+Shift+F5", 2, 3, 0x3E))

    def test_a_key_from_the_list_of_keys_a_keyboard_may_lack(self):
        self.launch()
        popup = self.open_hotkey_popup(5)
        menu = DESKTOP.open_menu(self.program_pid(), lambda: self.click_popup(popup, KEY_LIST),
                                 "the list of other keys")
        self.assertEqual(menu.rect[3], menu_height(len(LISTED_KEYS)))
        DESKTOP.xdotool("mousemove", *menu_item_centre(menu, LISTED_KEYS.index("F17")))
        time.sleep(SETTLE_SECONDS)
        DESKTOP.screenshot_screen("popup-hotkey-key-list", union(popup.rect, menu.rect))
        DESKTOP.click_and_rest(*menu_item_centre(menu, LISTED_KEYS.index("F17")))
        self.wait_menus(0, "the list closed by the choice")
        self.wait_key_field("F17")
        self.click_popup(popup, CTRL)
        self.wait_key_field("Ctrl+F17")
        self.click_popup(popup, SAVE)
        self.wait_popup_closed()
        self.wait_labels(["Left click", "Right click", "Middle click", "IE Forward", "Ctrl+F17"])
        self.apply_and_check()
        self.assertEqual(self.bound_buttons()[4], ("Ctrl+F17", 2, 1, 0x6C))

    def test_keys_reach_other_windows_and_no_hook_is_left(self):
        self.launch_traced()
        self.open_hotkey_popup(3)
        # Another program comes to the front while the pop-up is open: a key
        # typed there reaches that program, and the pop-up sees it too.
        fixture = self.start_fixture()
        DESKTOP.key(fixture, "Escape")
        self.wait_fixture_key(27)
        self.wait_key_field("ESC")
        self.assertGreaterEqual(self.hook_calls(), 1)
        self.click_popup(self.popup(), CANCEL)
        self.wait_popup_closed()
        calls = self.hook_calls()
        # Closed, it leaves no hook: keys typed afterwards reach no hook of the program.
        self.end_fixture()
        fixture = self.start_fixture()
        DESKTOP.key(fixture, "Return", "a")
        self.wait_fixture_key(ord("A"))
        time.sleep(SETTLE_SECONDS)
        self.assertEqual(self.hook_calls(), calls, "a keyboard hook outlived the pop-up")
        self.wait_labels(FACTORY_LABELS)

    def start_fixture(self):
        self.fixture_program = self.start(OPTIONS.fixture)
        return DESKTOP.wait_started(FIXTURE_TITLE)

    def end_fixture(self):
        self.fixture_program.kill()
        DESKTOP.wait("the fixture gone", lambda s: not s.titled(FIXTURE_TITLE))

    def wait_fixture_key(self, key):
        DESKTOP.wait(f"key {key} in the other program's window",
                     lambda s: s.titled(FIXTURE_TITLE)[0].control(FIXTURE_BUTTON).text == f"Key {key}")

    # -- the hook, as Wine reports it

    def launch_traced(self):
        """Starts the program with Wine's hook messages in its log."""
        self.relaunch = lambda: self.start(self.folder.exe, KORVID_EMULATOR=self.folder.mouse_folder,
                                           WINEDEBUG="-all,+hook")
        return self.launch()

    def hook_calls(self):
        """How many times Wine has called a low-level keyboard hook of the program."""
        self.program.log.flush()
        with open(self.program.log.name, "rb") as log:
            text = log.read().decode("utf-8", "replace")
        return len(re.findall(r"calling hook .*WH_KEYBOARD_LL", text))


GROUPS = (ButtonPage, ComboRelease, HotkeyPopup)


if __name__ == "__main__":
    harness.main(GROUPS, __doc__)
