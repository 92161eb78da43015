#!/usr/bin/env python3
"""The Windows program driven as a user drives it, under Wine in Xvfb.

usage: test_gui.py --program EXE --probe EXE --fixture EXE --combo-fixture EXE
                   --firmware-tool EXE --korvidctl EXE --prefix DIR --screenshots DIR
                   --software-version TEXT [--standin DIR [--length MODE]] [GROUP...]

EXE are Windows programs of the cross build; the program is the build that
talks to the emulated mouse. With --standin the program is the shipped
build, run on its real device path through the test hid.dll and
setupapi.dll in DIR (tests/standin/windows/windows_standin.py), which keep the
length rule MODE (collection, the default, or report); the mouse is then
unplugged and plugged in through the plug helper, which tells the program as
Windows does, and korvidctl runs through the stand-in too. The tests run in the Wine prefix named by
WINEPREFIX (or --prefix when it is not set) followed by "-gui", created and
set up on first use. TEXT is the version the support page shows for the
program ("V1.09"). GROUP names test classes to run (default: all). The
other scripts take the same options and run on the same harness (harness.py),
which reads the control IDs from the file KORVID_CONTROL_IDS names: the
build writes it as BUILD/tests/gui/control_ids.json, and CTest sets the
variable for every GUI test.
"""
import os
import time

import harness
from harness import (ADVANCED, APPLY_TIMEOUT, BUTTON_PAGE, BUTTON_PAGE_APPLY, BUTTON_SETTING, CHANGED_SETTINGS, CLOSE,
                     CONFIG_MOUSE_ROW, DESKTOP, EXIT_SOFTWARE_ROW, FIRMWARE_UPDATE_BUTTON, FIRMWARE_VERSION_TEXT,
                     FIXTURE_BUTTON, FIXTURE_TITLE, HELP, HELP_PAGE, ID, IDCANCEL, IDOK, LIST_FILE, MAIN_BUTTONS,
                     MAIN_CLIENT_SIZE, MAIN_TITLE, MENU_FRAME, MENU_ITEM_HEIGHT, MENU_ITEM_TOP, MENU_RIGHT_STRIP,
                     MESSAGE_BOX_TEXT_ID, MINIMISE, NO_MOUSE_PAGE, NO_MOUSE_TITLE, NO_VERSION_TEXT, OPTIONS, PAGES,
                     MOUSE_PAGE_BUTTONS, NOTICE_PLACES, SMOOTHING_SWITCH, notice_text,
                     PAGE_BUTTONS, PAGE_OF_BUTTON, PAGE_ORIGIN, POINTER_REST, RESTORE_BUTTON, RESTORE_NO,
                     RESTORE_TITLE, RESTORE_YES, SENSOR_PAGE, SENSOR_PAGE_APPLY, SETTLE_SECONDS, SOFTWARE_LABEL,
                     STAY_ON_TOP, SUPPORT, SUPPORT_PAGE, TRAY_CALLBACK, TRAY_ICON_ID, WM_SYSCOMMAND, WS_EX_TOPMOST,
                     AppFolder, GuiCase, Korvidctl, ProgramCase, centre, end_programs, field, function_button,
                     menu_height, menu_item_centre, read_profile_list, region_distance, sheet, wine_path)

# The tray menu: two items 16 pixels high from 4 pixels below its top.
TRAY_MENU_SIZE = [105, menu_height(2)]
WM_RBUTTONDOWN = 0x0204
# A point of the strip above the pages that no button covers, and one on a page.
DRAG_STRIP_POINT = (270, 60)
PAGE_POINT = (500, 300)
# The system's double-click time: a second click of the same button on the
# tray icon within it reaches the program as a double click.
DOUBLE_CLICK_SECONDS = 0.5


class Harness(GuiCase):
    """The harness itself on a one-button window: probe, click, key, screenshot, quit."""

    def test_click_key_screenshot_and_quit(self):
        program = self.start(OPTIONS.fixture)
        window = DESKTOP.wait_started(FIXTURE_TITLE)
        button = window.control(FIXTURE_BUTTON)
        self.assertEqual((button.text, button.rect), ("Press", [50, 60, 120, 40]))
        before = DESKTOP.screenshot(window, "harness-fixture")
        self.assertEqual((before.width, before.height), (400, 300))
        DESKTOP.click_control(window, button)
        DESKTOP.wait("the button pressed", lambda s: s.titled(FIXTURE_TITLE)[0].control(FIXTURE_BUTTON).text == "Pressed")
        after = DESKTOP.screenshot(window, "harness-fixture-pressed")
        self.assertEqual(after.pixel(10, 10), (200, 30, 30))
        DESKTOP.key(window, "Escape")
        DESKTOP.wait("the key", lambda s: s.titled(FIXTURE_TITLE)[0].control(FIXTURE_BUTTON).text == "Key 27")
        self.assertIsNone(end_programs(DESKTOP, [program]))
        self.assertFalse(program.running())
        DESKTOP.wait("the fixture's window gone", lambda s: not s.titled(FIXTURE_TITLE))



class StartAndConnection(ProgramCase):
    """Start with and without the mouse; the mouse unplugged and plugged in."""

    def test_start_with_mouse_shows_button_page_and_reads_mouse(self):
        self.launch()
        main = self.wait_page(BUTTON_PAGE)
        self.assertEqual(main.client[2:], list(MAIN_CLIENT_SIZE))
        self.assertEqual(main.client, main.rect, "the window has a frame or caption")
        self.assertTrue(all(self.enabled_buttons(main).values()))
        self.assertEqual(main.control(BUTTON_PAGE).rect[:2], list(PAGE_ORIGIN))
        # A page's window is built when the page is first shown.
        self.assertEqual([page for page in PAGES if main.control(page) is not None], [BUTTON_PAGE])
        shot = DESKTOP.screenshot(main, "main-button-page")
        self.assert_main_screenshot(shot)
        self.assert_selected(shot, BUTTON_SETTING)
        main = self.show_page(SUPPORT)
        self.assertEqual(main.control(SOFTWARE_LABEL).text, OPTIONS.software_version)
        self.assertEqual(self.firmware_text(main), FIRMWARE_VERSION_TEXT)
        sets = [field(l, "cmd") for l in self.mouse.log() if l[0] == "SET"]
        self.assertEqual(sets[:2], ["03", "07"])
        self.assertTrue(any(l[0] == "GET" and field(l, "cmd") == "07" and field(l, "result") == "ok"
                            for l in self.mouse.log()))
        self.assertNotIn("08", sets)
        self.assertEqual(self.folder.profile_files(), [], "starting wrote profile files")
        if OPTIONS.standin:
            # What the system's HID layer saw: buffers of the collection's length.
            self.assertEqual({(field(c, "len"), field(c, "result")) for c in self.mouse.calls()}, {("4097", "ok")})

    def test_start_without_mouse_shows_no_mouse_page(self):
        self.launch(unplugged=True)
        main = self.wait_page(NO_MOUSE_PAGE)
        self.assertEqual([page for page in PAGES if main.control(page) is not None], [NO_MOUSE_PAGE])
        enabled = self.enabled_buttons(main)
        # Help and Support stay reachable: the FAQ and the support address are needed most now.
        self.assertEqual(enabled, {HELP: True, BUTTON_SETTING: False, ADVANCED: False, SUPPORT: True,
                                   MINIMISE: True, CLOSE: True})
        shot = DESKTOP.screenshot(main, "main-no-mouse-page")
        self.assert_main_screenshot(shot)
        self.assertEqual(self.mouse.log(), [])
        # A disabled page button does nothing when clicked.
        self.click_main(main, ADVANCED)
        self.assertEqual(self.visible_pages(self.wait_page(NO_MOUSE_PAGE)), [NO_MOUSE_PAGE])
        for button, page in ((HELP, HELP_PAGE), (SUPPORT, SUPPORT_PAGE)):
            self.click_main(main, button)
            main = self.wait_page(page, f"{page} without a mouse")
            self.assertEqual(self.visible_pages(main), [page])
            DESKTOP.screenshot(main, f"main-no-mouse-{page}")
        self.assertEqual(self.firmware_text(main), NO_VERSION_TEXT)
        # The mouse plugged in then shows its settings as usual.
        self.mouse.plug()
        main = self.wait_page(BUTTON_PAGE, "the button page after plugging in")
        self.assertTrue(all(main.control(b).enabled for b in PAGE_BUTTONS))

    def test_unplug_on_sensor_page_then_plug_in(self):
        self.launch()
        self.show_page(SUPPORT)
        self.show_page(ADVANCED)
        self.mouse.unplug()
        main = self.wait_page(NO_MOUSE_PAGE, "the no-mouse page after the unplug")
        main = self.wait_firmware_text(NO_VERSION_TEXT, "the firmware label cleared")
        self.assertFalse(any(main.control(b).enabled for b in MOUSE_PAGE_BUTTONS))
        self.assertTrue(main.control(HELP).enabled and main.control(SUPPORT).enabled)
        self.assert_selected(DESKTOP.screenshot(main, "main-after-unplug"), None)
        reads = len(self.mouse.log())
        self.mouse.plug()
        main = self.wait_page(BUTTON_PAGE, "the button page after plugging in")
        main = self.wait_firmware_text(FIRMWARE_VERSION_TEXT, "the firmware label")
        self.assertTrue(all(main.control(b).enabled for b in PAGE_BUTTONS))
        self.assert_selected(DESKTOP.screenshot(main, "main-after-plug-in"), BUTTON_SETTING)
        again = [field(l, "cmd") for l in self.mouse.log()[reads:] if l[0] == "SET"]
        self.assertEqual(again[:2], ["03", "07"], "the mouse was not read again")


# The pages' size, and the support page's controls in its client pixels.
PAGE_SIZE = (1062, 554)
SUPPORT_PAGE_CONTROLS = ((ID.IDC_SOFTWARE_UPDATE, (367, 156, 122, 47)), (ID.IDC_FIRMWARE_UPDATE, (368, 87, 120, 47)),
                         (ID.IDC_RESTORE_DEFAULTS, (893, 156, 120, 47)))
FIRST_VISIT_WATCH_SECONDS = 1.2


class Pages(ProgramCase):
    """The page buttons, and the keys that must not close the window."""

    def test_each_page_button_shows_its_page(self):
        self.launch()
        self.wait_page(BUTTON_PAGE)
        table = [(ADVANCED, "main-sensor-page"), (SUPPORT, "main-support-page"), (HELP, "main-help-page"),
                 (BUTTON_SETTING, "main-button-page-again")]
        for button, name in table:
            with self.subTest(button=button):
                main = self.show_page(button)
                self.assertEqual(main.control(PAGE_OF_BUTTON[button]).rect[:2], list(PAGE_ORIGIN))
                self.assertTrue(all(self.enabled_buttons(main).values()))
                shot = DESKTOP.screenshot(main, name)
                self.assert_main_screenshot(shot)
                self.assert_selected(shot, button)
                # The shown page's own button changes nothing.
                self.click_main(main, button)
                again = self.wait_page(PAGE_OF_BUTTON[button])
                self.assertEqual(DESKTOP.screenshot(again, name + "-clicked-again").rgb, shot.rgb)
        self.assertEqual(self.folder.profile_files(), [])

    def test_a_page_seen_first_shows_whole_from_its_first_frame(self):
        main = self.launch()
        self.wait_page(BUTTON_PAGE)
        x, y = main.client[0] + PAGE_ORIGIN[0], main.client[1] + PAGE_ORIGIN[1]
        area = (x, y, PAGE_SIZE[0], PAGE_SIZE[1])
        before = DESKTOP.screenshot_screen("page-first-visit-before", area)
        # The frames from the click on, while the support page is built and shown.
        DESKTOP.click(main, *centre(MAIN_BUTTONS[SUPPORT]))
        frames, started = [], time.monotonic()
        while time.monotonic() - started < FIRST_VISIT_WATCH_SECONDS:
            frames.append(DESKTOP.screenshot_now(f"page-first-visit-{len(frames):02d}", area))
        self.wait_page(SUPPORT_PAGE)
        after = DESKTOP.screenshot_screen("page-first-visit-after", area)
        # Each frame shows the page before or the support page whole, with its
        # controls; never the content area empty or a page without controls.
        controls = [rect for _, rect in SUPPORT_PAGE_CONTROLS]
        for number, frame in enumerate(frames):
            with self.subTest(frame=number):
                whole = region_distance(frame.rgb, after.rgb)
                if region_distance(frame.rgb, before.rgb) < whole:
                    self.assertLess(region_distance(frame.rgb, before.rgb), 1, "neither page shows")
                    continue
                self.assertLess(whole, 1, "neither page shows")
                for rect in controls:
                    self.assertLess(region_distance(frame.region(*rect), after.region(*rect)), 2,
                                    f"the support page shows without its control at {rect}")

    def test_support_and_help_page_controls(self):
        self.launch()
        self.show_page(ADVANCED)
        self.show_page(SUPPORT)
        main = self.show_page(HELP)
        support = main.control(SUPPORT_PAGE)
        for control, rect in SUPPORT_PAGE_CONTROLS:
            with self.subTest(control=control):
                self.assertEqual(support.control(control).rect, list(rect))
        help_page = main.control(HELP_PAGE)
        self.assertEqual(help_page.control(ID.IDC_FAQ_BUTTON).rect, [616, 189, 395, 47])
        self.assertEqual(help_page.control(ID.IDC_EMAIL_BUTTON).rect, [676, 341, 277, 23])
        self.assertEqual(main.control(BUTTON_PAGE).control(BUTTON_PAGE_APPLY[0]).rect, list(BUTTON_PAGE_APPLY[1]))
        self.assertEqual(main.control(SENSOR_PAGE).control(SENSOR_PAGE_APPLY[0]).rect, list(SENSOR_PAGE_APPLY[1]))
        for button, rect in MAIN_BUTTONS.items():
            with self.subTest(button=button):
                self.assertEqual(main.control(button).rect, list(rect))

    def test_enter_escape_and_alt_f4_do_nothing(self):
        main = self.launch()
        self.wait_page(BUTTON_PAGE)
        for keys in (["Return"], ["Escape"], ["alt+F4"]):
            with self.subTest(keys=keys):
                DESKTOP.key(self.main(), *keys)
                # Input is handled in order: once the next click has shown its
                # page, the key has been handled too.
                self.show_page(ADVANCED)
                self.show_page(BUTTON_SETTING)
                self.assertTrue(self.program.running())
                self.assertIsNotNone(self.main())
        self.assertEqual(self.main().hwnd, main.hwnd)
        self.assertEqual(self.folder.profile_files(), [])


class SupportPage(ProgramCase):
    """The firmware update tool's launch; the support page's no-mouse notice."""

    def test_firmware_update_starts_the_tool_with_argument_0(self):
        main = self.launch()
        launched = self.install_firmware_tool()
        main = self.show_page(SUPPORT)
        self.click_on_page(main, FIRMWARE_UPDATE_BUTTON)
        self.wait_log("the tool's start", lambda _: os.path.exists(launched) and os.path.getsize(launched) > 0)
        with open(launched, encoding="utf-8") as f:
            self.assertEqual(f.read().splitlines(), ["0"])
        self.assertEqual(self.visible_pages(self.main()), [SUPPORT_PAGE])
        self.assertEqual(self.no_popups(), [])

    def test_firmware_update_without_reaching_the_mouse_says_whether_it_is_missing_or_busy(self):
        main = self.launch()
        launched = self.install_firmware_tool()
        main = self.show_page(SUPPORT)
        for code in (2, 32):
            with self.subTest(code=code):
                self.mouse.faults(f"open-error {code} 1\n")
                self.click_on_page(main, FIRMWARE_UPDATE_BUTTON)
                if code == 2:
                    popup = DESKTOP.wait_titled(NO_MOUSE_TITLE)
                    self.assert_no_mouse_popup(popup, main, "popup-no-mouse-firmware-update")
                    self.close_no_mouse_popup(popup)
                else:
                    popup = DESKTOP.wait_notice("Mouse busy")
                    self.assertEqual(DESKTOP.snapshot().titled(NO_MOUSE_TITLE, True), [])
                    DESKTOP.screenshot(popup, "message-mouse-busy-firmware-update")
                    self.dismiss_notice(popup)
                self.assertFalse(os.path.exists(launched), "the tool started without the mouse")


class Apply(ProgramCase):
    """Apply from both pages; with the mouse unplugged; with the mouse failing."""

    def apply_with_faults(self, faults):
        """Apply pressed on the button page, with the mouse on changed settings and
        then given the fault script `faults`: what korvidctl read, the block and
        the main window from before."""
        self.launch(settings=CHANGED_SETTINGS)
        read = self.ctl.show()
        block = self.mouse.block()
        main = self.wait_page(BUTTON_PAGE)
        self.mouse.faults(faults)
        self.click_on_page(main, BUTTON_PAGE_APPLY[1])
        return read, block, main

    def test_apply_from_each_page_saves_and_writes_the_mouse(self):
        self.launch(settings=CHANGED_SETTINGS)
        read = self.ctl.show()
        table = [(BUTTON_SETTING, BUTTON_PAGE_APPLY), (ADVANCED, SENSOR_PAGE_APPLY)]
        for button, (_, rect) in table:
            with self.subTest(page=PAGE_OF_BUTTON[button]):
                main = self.show_page(button)
                self.apply_and_check(lambda: self.click_on_page(main, rect))
                profile = self.assert_profile_saved(read)
                self.assertEqual(self.mouse.block(), self.ctl.block(profile))
                time.sleep(SETTLE_SECONDS)
                self.assertEqual(self.no_popups(), [])
                self.assertEqual(self.visible_pages(self.main()), [PAGE_OF_BUTTON[button]])

    def test_apply_without_reaching_the_mouse_says_whether_it_is_missing_or_busy(self):
        self.skip_through_standin("the system opens the interface, not the fault script")
        # The apply's discovery cannot open the mouse: not there (error 2), or
        # another program holds it (a sharing violation, 32).
        self.launch(settings=CHANGED_SETTINGS)
        read = self.ctl.show()
        block = self.mouse.block()
        main = self.wait_page(BUTTON_PAGE)
        for code in (2, 32):
            with self.subTest(code=code):
                self.mouse.faults(f"open-error {code} 1\n")
                self.click_on_page(main, BUTTON_PAGE_APPLY[1])
                if code == 2:
                    popup = DESKTOP.wait_titled(NO_MOUSE_TITLE, timeout=APPLY_TIMEOUT)
                    self.assert_no_mouse_popup(popup, main, "popup-no-mouse")
                else:
                    popup = DESKTOP.wait_notice("Mouse busy", timeout=APPLY_TIMEOUT)
                    self.assertEqual(notice_text(popup),
                                     "The mouse is busy with another program. Try again when it has finished.")
                    self.assertEqual(DESKTOP.snapshot().titled(NO_MOUSE_TITLE, True), [])
                    self.assert_centred(popup, main)
                    DESKTOP.screenshot(popup, "message-mouse-busy")
                self.assert_profile_saved(read)
                self.assertEqual(self.mouse.block(), block)
                self.assertNotIn("08", [field(l, "cmd") for l in self.mouse.log()])
                if code == 2:
                    self.close_no_mouse_popup(popup)
                else:
                    self.dismiss_notice(popup)

    def test_apply_marks_unapplied_changes_until_applied_or_undone(self):
        self.launch()
        sensor = self.show_page(ADVANCED)
        normal = sheet("MSensor_Normal.png")
        self.wait_change_mark(SENSOR_PAGE_APPLY[1], normal, False, "apply-mark-none")
        self.click_on_page(sensor, SMOOTHING_SWITCH[1])
        self.wait_change_mark(SENSOR_PAGE_APPLY[1], normal, True, "apply-mark-unapplied")
        # Undone by hand: the pages equal the mouse again.
        self.click_on_page(sensor, SMOOTHING_SWITCH[1])
        self.wait_change_mark(SENSOR_PAGE_APPLY[1], normal, False, "apply-mark-undone")
        self.click_on_page(sensor, SMOOTHING_SWITCH[1])
        self.wait_change_mark(SENSOR_PAGE_APPLY[1], normal, True, "apply-mark-unapplied")
        # The other page's Apply would send the same settings: it shows the mark too.
        self.show_page(BUTTON_SETTING)
        buttons_normal = sheet("Buttons_Normal.png")
        self.wait_change_mark(BUTTON_PAGE_APPLY[1], buttons_normal, True, "apply-mark-button-page")
        smoothing = self.ctl.show()["smoothing"]
        self.apply_and_check()
        self.assertNotEqual(self.ctl.show()["smoothing"], smoothing)
        self.wait_change_mark(BUTTON_PAGE_APPLY[1], buttons_normal, False, "apply-mark-applied", timeout=APPLY_TIMEOUT)
        self.show_page(ADVANCED)
        self.wait_change_mark(SENSOR_PAGE_APPLY[1], normal, False, "apply-mark-applied-sensor")

    def test_profile_that_cannot_be_saved_is_reported_and_not_applied(self):
        self.launch(settings=CHANGED_SETTINGS)
        block = self.mouse.block()
        main = self.wait_page(BUTTON_PAGE)
        # A file where the profiles folder belongs: the save cannot succeed.
        os.makedirs(os.path.dirname(self.folder.profiles))
        with open(self.folder.profiles, "w") as blocker:
            blocker.write("not a folder")
        start = len(self.mouse.log())
        self.click_on_page(main, BUTTON_PAGE_APPLY[1])
        box = DESKTOP.wait_message_box("The profile could not be saved")
        DESKTOP.screenshot(box, "message-profile-not-saved")
        self.assertIn(wine_path(self.folder.profiles), box.control(MESSAGE_BOX_TEXT_ID).text.replace("\r", ""))
        self.dismiss_message_box(box)
        time.sleep(SETTLE_SECONDS)
        # The block is written while the profile is saved; its commit waits for
        # the save and never goes out when the save fails.
        self.assertNotIn("04", [field(l, "cmd") for l in self.mouse.log()[start:]], "the apply was committed")
        self.assertEqual(self.mouse.block(), block)
        self.assertEqual(DESKTOP.snapshot().notices(), [], "a second message about the same failure")
        with open(self.folder.profiles) as blocker:
            self.assertEqual(blocker.read(), "not a folder")

    def test_failed_write_shows_apply_failed_then_next_apply_succeeds(self):
        read, block, _ = self.apply_with_faults("send-error 31 1 cmd=08\n")
        # The mouse refused the write: said so, with the reason.
        box = DESKTOP.wait_notice("The mouse refused the settings")
        self.assertEqual(notice_text(box), "The mouse did not take the new settings; it keeps the ones it had.\n\n"
                         "Reason: the mouse refused the request (configuration write, error 31).")
        DESKTOP.screenshot(box, "message-apply-failed")
        profile = self.assert_profile_saved(read)
        self.assertEqual(self.mouse.block(), block, "a failed write changed the stored block")
        self.assertNotIn("04", [field(l, "cmd") for l in self.mouse.log()])
        self.dismiss_notice(box)
        self.apply_and_check()
        self.assertEqual(self.mouse.block(), self.ctl.block(profile))
        time.sleep(SETTLE_SECONDS)
        self.assertEqual(self.no_popups(), [])

class RestoreDefaults(ProgramCase):
    """The restore question on the support page, answered No, then Yes."""

    def test_no_changes_nothing_yes_restores_and_applies(self):
        self.launch(settings=CHANGED_SETTINGS)
        block = self.mouse.block()
        main = self.show_page(SUPPORT)
        for answer, (control, rect) in (("no", RESTORE_NO), ("yes", RESTORE_YES)):
            with self.subTest(answer=answer):
                start = len(self.mouse.log())
                self.click_on_page(main, RESTORE_BUTTON[1])
                question = DESKTOP.wait_titled(RESTORE_TITLE)
                self.assertIn(question.owner, (main.hwnd, main.control(SUPPORT_PAGE).hwnd))
                self.assert_centred(question, main)
                self.assertEqual(question.control(control).rect, list(rect))
                DESKTOP.screenshot(question, "popup-restore-question")
                DESKTOP.click(question, *centre(rect))
                DESKTOP.wait("the question closed", lambda s: not s.titled(RESTORE_TITLE, True))
                if answer == "no":
                    time.sleep(SETTLE_SECONDS)
                    self.assertEqual(self.mouse.log()[start:], [])
                    self.assertEqual(self.folder.profile_files(), [])
                    self.assertEqual(self.mouse.block(), block)
        log = self.wait_commit(start)
        self.assert_apply_exchange(log, index="0")
        fresh = Korvidctl(os.path.join(self.tmp, "fresh-mouse"))
        fresh.run("reset")
        with open(os.path.join(fresh.mouse_folder, "block.bin"), "rb") as f:
            self.assertEqual(self.mouse.block(), f.read())
        profile = self.assert_profile_saved(fresh.show())
        self.assertEqual(self.ctl.block(profile), self.mouse.block())
        count, index, _, _ = read_profile_list(os.path.join(self.folder.profiles, LIST_FILE))
        self.assertEqual(index, 0)
        self.assertEqual(self.visible_pages(self.main()), [SUPPORT_PAGE])
        self.assertEqual(self.no_popups(), [])


    def test_yes_after_the_mouse_was_unplugged_saves_and_shows_no_mouse_popup(self):
        self.launch(settings=CHANGED_SETTINGS)
        block = self.mouse.block()
        main = self.show_page(SUPPORT)
        self.click_on_page(main, RESTORE_BUTTON[1])
        question = DESKTOP.wait_titled(RESTORE_TITLE)
        # The mouse goes while the question is open; the window notices.
        self.mouse.unplug()
        self.wait_page(NO_MOUSE_PAGE, "the no-mouse page behind the question")
        DESKTOP.click(question, *centre(RESTORE_YES[1]))
        popup = DESKTOP.wait_titled(NO_MOUSE_TITLE, timeout=APPLY_TIMEOUT)
        self.assert_no_mouse_popup(popup, self.main(), "popup-no-mouse-after-unplug")
        fresh = Korvidctl(os.path.join(self.tmp, "fresh-mouse"))
        fresh.run("reset")
        self.assert_profile_saved(fresh.show())
        self.assertEqual(self.mouse.block(), block)
        self.close_no_mouse_popup(popup)


class WindowHandling(ProgramCase):
    """The second start, minimising, dragging, staying on top, the missing sheet."""

    def test_second_start_shows_the_hidden_first_copy(self):
        main = self.launch()
        self.hide(main)
        self.assertTrue(self.program.running())
        second = self.relaunch()
        shown = DESKTOP.wait_main()
        self.assertEqual((shown.hwnd, shown.rect), (main.hwnd, main.rect))
        self.assertTrue(second.wait_exit(10), "the second copy did not exit")
        snapshot = DESKTOP.snapshot()
        self.assertEqual([w.hwnd for w in snapshot.titled(MAIN_TITLE)], [main.hwnd])
        self.assertTrue(self.program.running())
        self.assertEqual(self.visible_pages(snapshot.main(True)), [BUTTON_PAGE])

    def test_minimise_button_then_a_second_start_restores_the_window(self):
        main = self.launch()
        self.click_main(main, MINIMISE)
        DESKTOP.wait("the window minimised", lambda s: s.main().iconic)
        second = self.relaunch()
        # Restoring passes through states that are no longer iconic but not
        # yet back in place: the window counts as restored once it is.
        DESKTOP.wait("the window restored where it was",
                     lambda s: s.main(visible=True) if not s.main().iconic and s.main().rect == main.rect else None)
        self.assertTrue(second.wait_exit(10), "the second copy did not exit")

    def test_dragging_the_strip_above_the_pages_moves_the_window_and_a_page_does_not(self):
        main = self.launch()

        def drag(point, dx, dy):
            x, y = main.client[0] + point[0], main.client[1] + point[1]
            DESKTOP.xdotool("mousemove", x, y, "mousedown", 1)
            for step in range(1, 11):
                DESKTOP.xdotool("mousemove", x + dx * step // 10, y + dy * step // 10)
            DESKTOP.xdotool("mouseup", 1, "mousemove", *POINTER_REST)

        drag(DRAG_STRIP_POINT, -60, 40)
        moved = DESKTOP.wait("the window moved", lambda s: s.main(True) if s.main(True).rect != main.rect else None)
        self.assertEqual(moved.rect, [main.rect[0] - 60, main.rect[1] + 40] + main.rect[2:])
        drag(PAGE_POINT, -80, -40)
        time.sleep(SETTLE_SECONDS)
        self.assertEqual(self.main().rect, moved.rect)
        self.assert_main_screenshot(DESKTOP.screenshot(moved, "main-window-dragged"))

    def test_stay_on_top_requests(self):
        main = self.launch()

        def topmost():
            return bool(self.main().record["exstyle"] & WS_EX_TOPMOST)

        for argument, expected in ((1, True), (0, False)):
            DESKTOP.post(main, WM_SYSCOMMAND, STAY_ON_TOP, argument)
            DESKTOP.wait(f"topmost {expected}", lambda s: topmost() == expected)
            # Any other argument changes nothing.
            DESKTOP.post(main, WM_SYSCOMMAND, STAY_ON_TOP, 2)
            time.sleep(SETTLE_SECONDS)
            self.assertEqual(topmost(), expected)
        self.assertTrue(self.main().visible)

    def test_missing_sheet_reports_ui_load_failed_and_exits(self):
        self.launch(without=("Main_Normal.png",))
        box = DESKTOP.wait_message_box("UI load failed!")
        self.assertEqual(box.control(MESSAGE_BOX_TEXT_ID).text, "UI load failed!")
        DESKTOP.screenshot(box, "message-ui-load-failed")
        self.assertIsNone(DESKTOP.snapshot().main(visible=True))
        DESKTOP.click_control(box, box.control(IDOK) or box.control(IDCANCEL))
        self.assertTrue(self.program.wait_exit(10), "the program did not exit after UI load failed!")
        self.assertEqual(DESKTOP.snapshot().titled(MAIN_TITLE), [])


class Tray(ProgramCase):
    """The tray icon and its menu."""

    def launch_hidden(self):
        """The program started and closed to the tray; its main window as it was shown."""
        main = self.launch()
        self.hide(main)
        return main

    def tray_menu(self, main):
        return DESKTOP.wait_menu(main.pid, "the tray menu")

    def assert_menu_closed(self, main, menu):
        DESKTOP.wait("the tray menu closed", lambda s: not s.menus(main.pid))
        DESKTOP.wait_unmapped(menu)

    def test_menu_lists_config_mouse_then_exit_software(self):
        main = self.launch_hidden()
        x, y = DESKTOP.tray_icon()
        DESKTOP.click_at(x, y, button=3)
        first_right_click = time.monotonic()
        menu = self.tray_menu(main)
        # Wine's tray sits in the screen's top-left corner, where a menu with
        # its bottom-right corner at the cursor would be off the screen: it
        # opens on the other side of the cursor instead.
        self.assertEqual(menu.rect, [x, y] + TRAY_MENU_SIZE)
        shot = DESKTOP.screenshot_screen("tray-menu-open", (0, 0, menu.rect[0] + menu.rect[2] + 20,
                                                            menu.rect[1] + menu.rect[3] + 20))
        self.assertEqual(shot.pixel(menu.rect[0], menu.rect[1] + 20), (0xFD, 0xC4, 0x15), "the gold frame")
        texts = shot.region(menu.rect[0] + 10, menu.rect[1] + 4, 80, 32)
        self.assertIn(b"\xff\xff\xff", [texts[i:i + 3] for i in range(0, len(texts), 3)], "the white item texts")
        DESKTOP.click_tray_item(menu, CONFIG_MOUSE_ROW)
        shown = DESKTOP.wait_main()
        self.assertEqual(shown.rect, main.rect)
        self.assert_menu_closed(main, menu)

        # A second right click, not a double click.
        time.sleep(max(0.0, first_right_click + DOUBLE_CLICK_SECONDS + 0.1 - time.monotonic()))
        DESKTOP.click_at(x, y, button=3)
        DESKTOP.click_tray_item(self.tray_menu(main), EXIT_SOFTWARE_ROW)
        self.assertTrue(self.program.wait_exit(10), "Exit Software did not end the program")
        snapshot = DESKTOP.wait("the tray icon removed", lambda s: s if s.tray() is None else None)
        self.assertEqual(snapshot.titled(MAIN_TITLE), [])

    def test_callback_opens_menu_at_cursor_and_only_a_left_click_outside_closes_it(self):
        main = self.launch()
        DESKTOP.xdotool("mousemove", 700, 500)
        DESKTOP.post(main, TRAY_CALLBACK, TRAY_ICON_ID, WM_RBUTTONDOWN)
        menu = self.tray_menu(main)
        self.assertEqual(menu.rect, [700 - TRAY_MENU_SIZE[0], 500 - TRAY_MENU_SIZE[1]] + TRAY_MENU_SIZE)
        # Wine sees only clicks on its own windows: outside the menu means on
        # the main window's page here.
        outside = (main.client[0] + 200, main.client[1] + 400)
        DESKTOP.click_at(*outside, button=3)
        time.sleep(SETTLE_SECONDS)
        self.assertEqual(len(DESKTOP.snapshot().menus(main.pid)), 1, "a right click closed the menu")
        DESKTOP.click_at(*outside)
        self.assert_menu_closed(main, menu)
        self.assertTrue(DESKTOP.snapshot().main(visible=True))

    def test_single_click_does_nothing_and_double_click_brings_window_back(self):
        main = self.launch_hidden()
        x, y = DESKTOP.tray_icon()
        DESKTOP.click_at(x, y)
        time.sleep(SETTLE_SECONDS)
        self.assertIsNone(DESKTOP.snapshot().main(visible=True), "a single click showed the window")
        DESKTOP.click_at(x, y, repeat=2)
        shown = DESKTOP.wait_main()
        self.assertEqual((shown.hwnd, shown.rect), (main.hwnd, main.rect))
        self.assertEqual(self.visible_pages(shown), [BUTTON_PAGE])

    def built_pages(self, main):
        return [page for page in PAGES if main.control(page) is not None]

    def test_a_start_in_the_tray_builds_no_page_until_the_window_is_asked_for(self):
        self.prepare_folder()
        self.mouse.clear_log()
        self.program = self.relaunch(args=("/tray",))
        x, y = DESKTOP.tray_icon()
        self.wait_mouse_read(0)
        hidden = DESKTOP.snapshot().main(visible=False)
        self.assertIsNotNone(hidden, "no main window")
        self.assertEqual(self.built_pages(hidden), [], "a page was built for nobody to see")
        DESKTOP.click_at(x, y, repeat=2)
        shown = self.wait_page(BUTTON_PAGE)
        self.assert_main_screenshot(DESKTOP.screenshot(shown, "first-show-from-the-tray"))

    def test_icon_comes_back_when_the_shell_restarts(self):
        main = self.launch()
        DESKTOP.tray_icon()
        code, _, err = DESKTOP.run_wine([OPTIONS.probe, "tray-delete", str(main.hwnd), str(TRAY_ICON_ID)])
        self.assertEqual(code, 0, err)
        DESKTOP.wait("the tray emptied", lambda s: s.tray() is None)
        DESKTOP.post(main, "TaskbarCreated")
        x, y = DESKTOP.tray_icon()
        DESKTOP.click_at(x, y, button=3)
        self.tray_menu(main)


class ComboMenus(GuiCase):
    """The skinned combo buttons and their menus, on a window of their own."""

    TITLE = "Korvid Combo Fixture"
    # The function buttons as on the button page; the fixture's own combos and reports.
    DROP_UP, CASCADE = ID.IDC_COMBO_FIXTURE_DROP_UP, ID.IDC_COMBO_FIXTURE_CASCADE
    LAST_CHOICE, STAY_ON_TOP_REPORT = ID.IDC_COMBO_FIXTURE_LAST_CHOICE, ID.IDC_COMBO_FIXTURE_STAY_ON_TOP
    FUNCTION_MENU = (("Left click", 2101), ("Right click", 2102), ("Middle click", 2103), ("IE Forward", 2105),
                     ("IE Backward", 2104), ("Scroll Up", 2106), ("Scroll Down", 2107), ("Keyboard key", 1000),
                     ("Disable button", 0))
    INITIAL_LABELS = {1: "Left click", 2: "Right click", 3: "Middle click", 4: "IE Forward", 5: "IE Backward"}
    PROFILE_ITEMS = 4
    CASCADE_MENU = ("Left click", "Right click", "Wheel")
    WHEEL_INDEX = 2
    WHEEL_MENU = (("Scroll Up", 2106), ("Scroll Down", 2107), ("Middle click", 2103))
    # A sub-menu overlaps its parent by 5 pixels (the menus' geometry is the harness's).
    SUBMENU_OVERLAP = 5
    MENU_BACKGROUND = (0x1A, 0x1A, 0x1A)
    # A client point of the fixture's background away from every control.
    EMPTY_SPOT = (560, 40)

    def setUp(self):
        super().setUp()
        if not os.path.exists(OPTIONS.combo_fixture):
            self.fail(f"the combo fixture is not built: {OPTIONS.combo_fixture}")
        folder = AppFolder(self.tmp, OPTIONS.combo_fixture, OPTIONS.resources)
        self.start(folder.exe)
        self.window = DESKTOP.wait_started(self.TITLE)

    # -- looking

    def fixture(self, snapshot=None):
        return (snapshot or DESKTOP.snapshot()).titled(self.TITLE, True)[0]

    def control(self, control_id, snapshot=None):
        return self.fixture(snapshot).control(control_id)

    def menus(self, snapshot=None):
        """The fixture's visible menus, each a top-level window of its own."""
        return (snapshot or DESKTOP.snapshot()).menus(self.window.pid)

    def wait_menus(self, count, what):
        return DESKTOP.wait_menus(self.window.pid, count, what)

    def report(self, control_id):
        return self.control(control_id).text

    def wait_text(self, control_id, text):
        DESKTOP.wait(f"control {control_id} showing {text!r}", lambda s: self.control(control_id, s).text == text)

    def assert_stays(self, what, predicate):
        time.sleep(SETTLE_SECONDS)
        self.assertTrue(predicate(DESKTOP.snapshot()), what)

    def screenshot_with_menus(self, name):
        return DESKTOP.screenshot_with_menus(self.window, name)

    def client_rect(self, control):
        x, y, width, height = control.screen
        return x - self.window.client[0], y - self.window.client[1], width, height

    # -- acting

    def point_at(self, x, y):
        DESKTOP.xdotool("mousemove", x, y)

    def click_at(self, x, y, button=1):
        DESKTOP.click_and_rest(x, y, button)

    def click_empty(self, button=1):
        x, y = self.EMPTY_SPOT
        self.click_at(self.window.client[0] + x, self.window.client[1] + y, button)

    def open_menu(self, control_id):
        """Clicks a combo; returns its record and its menu once the menu shows."""
        combo = self.control(control_id)
        menu = DESKTOP.open_menu(self.window.pid, lambda: DESKTOP.click_control(self.window, combo),
                                 f"the menu of {control_id}")
        return combo, menu

    # -- the cases

    def test_click_opens_menu_below_and_second_click_closes_it(self):
        before = self.report(self.STAY_ON_TOP_REPORT)
        button, menu = self.open_menu(function_button(3))
        x, y, width, height = button.screen
        self.assertEqual(menu.rect, [x, y + height, width - 2, menu_height(len(self.FUNCTION_MENU))])
        self.assertEqual(menu.owner, self.window.hwnd)
        self.assertEqual(self.report(self.STAY_ON_TOP_REPORT), before, "opening a menu sent a stay-on-top request")
        shot = self.screenshot_with_menus("combo-menu-open")
        left, top = menu.rect[0] - self.window.rect[0], menu.rect[1] - self.window.rect[1]
        self.assertEqual(shot.pixel(left, top + 20), MENU_FRAME)
        self.assertEqual(shot.pixel(left + menu.rect[2] - 5, top + 20), self.MENU_BACKGROUND)
        self.assertGreater(shot.colours((left + 1, top + 1, menu.rect[2] - 2, menu.rect[3] - 2)), 1,
                           "the menu shows no text")
        DESKTOP.click_control(self.window, button)
        self.wait_menus(0, "the menu closed by a second click on its button")
        self.assert_stays("the menu opened again", lambda s: not self.menus(s))
        self.assertEqual(self.report(self.LAST_CHOICE), "")

    def test_choosing_an_item_sets_the_label_and_notifies_the_parent(self):
        table = [(3, 5), (4, 8), (5, 0)]
        before = DESKTOP.screenshot(self.window, "combo-fixture")
        for number, index in table:
            text, function_id = self.FUNCTION_MENU[index]
            with self.subTest(button=number, item=text):
                button, menu = self.open_menu(function_button(number))
                self.click_at(*menu_item_centre(menu, index))
                self.wait_text(self.LAST_CHOICE, f"{button.id} {function_id}")
                self.wait_text(button.id, text)
                self.assertEqual(self.menus(), [])
        after = DESKTOP.screenshot(self.window, "combo-items-chosen")
        for number, _ in table:
            with self.subTest(drawn=number):
                rect = self.client_rect(self.control(function_button(number)))
                self.assertNotEqual(after.region(*rect), before.region(*rect), "the new label is not drawn")

    def test_left_click_outside_closes_the_menu_right_click_does_not(self):
        _, menu = self.open_menu(function_button(4))
        self.click_empty(button=3)
        self.assert_stays("a right click outside closed the menu",
                          lambda s: [m.hwnd for m in self.menus(s)] == [menu.hwnd])
        self.click_empty(button=1)
        self.wait_menus(0, "the menu closed by a left click outside")
        self.assertEqual(self.report(self.LAST_CHOICE), "")
        self.assertEqual(self.report(function_button(4)), self.INITIAL_LABELS[4])

    def test_click_on_the_menu_outside_its_items_closes_it_without_a_choice(self):
        # The strip at the right of every item and the frame above the first.
        table = [
            ("right strip", lambda m: (m.rect[0] + m.rect[2] - MENU_RIGHT_STRIP // 2, menu_item_centre(m, 2)[1])),
            ("top frame", lambda m: (m.rect[0] + m.rect[2] // 2, m.rect[1] + 1)),
        ]
        for where, point in table:
            with self.subTest(where=where):
                _, menu = self.open_menu(function_button(5))
                self.click_at(*point(menu))
                self.wait_menus(0, f"the menu closed by a click on its {where}")
                self.assert_stays("a choice was made", lambda s: self.control(self.LAST_CHOICE, s).text == "")
                self.assertEqual(self.report(function_button(5)), self.INITIAL_LABELS[5])

    def test_fixed_buttons_show_hover_and_press_but_open_no_menu(self):
        sheets = {name: sheet(f"Buttons_{name}.png") for name in ("Normal", "Over", "Down")}
        for number in (1, 2):
            with self.subTest(button=number):
                button = self.control(function_button(number))
                rect = self.client_rect(button)
                self.point_at(button.screen[0] + button.screen[2] // 2, button.screen[1] + button.screen[3] // 2)
                for look, action in (("Over", None), ("Down", "mousedown")):
                    if action:
                        DESKTOP.xdotool(action, 1)
                    seen = DESKTOP.screenshot(self.window, f"combo-fixed-{number}-{look.lower()}").region(*rect)
                    distances = {name: region_distance(seen, sheet.region(*rect)) for name, sheet in sheets.items()}
                    self.assertEqual(min(distances, key=distances.get), look, distances)
                DESKTOP.xdotool("mouseup", 1, "mousemove", *POINTER_REST)
                self.assert_stays("a fixed button opened a menu", lambda s: not self.menus(s))
                self.assertEqual(self.report(button.id), self.INITIAL_LABELS[number])
        self.assertEqual(self.report(self.LAST_CHOICE), "")

    def test_drop_up_combo_opens_its_menu_above_itself(self):
        combo, menu = self.open_menu(self.DROP_UP)
        x, y, width, _ = combo.screen
        height = menu_height(self.PROFILE_ITEMS)
        self.assertEqual(menu.rect, [x, y - height, width - 2, height])
        self.screenshot_with_menus("combo-menu-drop-up")
        self.click_at(*menu_item_centre(menu, 2))
        self.wait_text(self.LAST_CHOICE, f"{self.DROP_UP} 3")
        self.wait_text(self.DROP_UP, "Profile 3")

    def test_hovering_a_submenu_item_opens_the_submenu_at_the_right_edge(self):
        _, menu = self.open_menu(self.CASCADE)
        self.assertEqual(menu.rect[3], menu_height(len(self.CASCADE_MENU)))
        self.point_at(*menu_item_centre(menu, self.WHEEL_INDEX))
        opened = self.wait_menus(2, "the sub-menu")
        submenu = next(m for m in opened if m.hwnd != menu.hwnd)
        x, y, width, _ = menu.rect
        item_top = MENU_ITEM_TOP + self.WHEEL_INDEX * MENU_ITEM_HEIGHT
        self.assertEqual(submenu.rect[:2], [x + width - self.SUBMENU_OVERLAP, y + item_top - self.SUBMENU_OVERLAP])
        self.assertEqual(submenu.rect[3], menu_height(len(self.WHEEL_MENU)))
        self.screenshot_with_menus("combo-submenu-open")
        # Another item of the parent closes the sub-menu and leaves the parent open.
        self.point_at(*menu_item_centre(menu, 0))
        remaining = self.wait_menus(1, "the sub-menu closed")
        self.assertEqual(remaining[0].hwnd, menu.hwnd)
        DESKTOP.xdotool("mousemove", *POINTER_REST)

    def test_choosing_a_submenu_item_sets_the_label_and_notifies_the_parent(self):
        _, menu = self.open_menu(self.CASCADE)
        self.point_at(*menu_item_centre(menu, self.WHEEL_INDEX))
        submenu = next(m for m in self.wait_menus(2, "the sub-menu") if m.hwnd != menu.hwnd)
        text, function_id = self.WHEEL_MENU[1]
        self.click_at(*menu_item_centre(submenu, 1))
        self.wait_menus(0, "the menus closed by the choice")
        self.wait_text(self.LAST_CHOICE, f"{self.CASCADE} {function_id}")
        self.wait_text(self.CASCADE, text)

    def test_hiding_a_menu_sends_the_stay_on_top_pair(self):
        button = function_button(3)
        table = [
            ("choice", button, lambda menu: self.click_at(*menu_item_centre(menu, 1)), "1 0"),
            ("click outside", button, lambda menu: self.click_empty(), "1 0"),
            ("click on the button", button, lambda menu: DESKTOP.click_control(self.window, self.control(button)),
             "1 0"),
            # A sub-menu hides inside its parent's hide, with a pair of its own.
            ("click outside a cascade", self.CASCADE, self.open_wheel_and_click_outside, "1 1 0 0"),
        ]
        for how, control_id, close, requests in table:
            with self.subTest(how=how):
                before = self.report(self.STAY_ON_TOP_REPORT)
                _, menu = self.open_menu(control_id)
                close(menu)
                self.wait_menus(0, f"the menu closed by a {how}")
                expected = (before + " " + requests).strip()
                self.wait_text(self.STAY_ON_TOP_REPORT, expected)
                self.assert_stays("more requests followed",
                                  lambda s: self.control(self.STAY_ON_TOP_REPORT, s).text == expected)

    def open_wheel_and_click_outside(self, menu):
        self.point_at(*menu_item_centre(menu, self.WHEEL_INDEX))
        self.wait_menus(2, "the sub-menu")
        self.click_empty()


GROUPS = (Harness, StartAndConnection, Pages, SupportPage, Apply, RestoreDefaults, WindowHandling, Tray, ComboMenus)


if __name__ == "__main__":
    harness.main(GROUPS, __doc__)
