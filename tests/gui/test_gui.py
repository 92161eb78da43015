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
program ("V1.09"). GROUP names test classes to run (default: all).
"""
import argparse
import json
import os
import shutil
import struct
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "korvidctl"))
sys.path.insert(0, os.path.join(HERE, "..", "standin", "windows"))

from harness import (MAIN_TITLE, POINTER_REST, PROGRAM_TIMEOUT_SECONDS, AppFolder, Desktop, Image,  # noqa: E402
                     Program, WaitTimeout, end_programs, region_distance, wine_path)
from test_korvidctl import Mouse, field, hexbytes  # noqa: E402
import windows_standin as standin  # noqa: E402

OPTIONS = None
DESKTOP = None

FIXTURE_TITLE = "Korvid Harness Fixture"
FIXTURE_BUTTON = 1001

MAIN_CLIENT_SIZE = (1068, 647)
PAGE_ORIGIN = (3, 90)
BUTTON_PAGE, SENSOR_PAGE, SUPPORT_PAGE, HELP_PAGE, NO_MOUSE_PAGE = 130, 132, 135, 150, 154
PAGES = (BUTTON_PAGE, SENSOR_PAGE, SUPPORT_PAGE, HELP_PAGE, NO_MOUSE_PAGE)
HELP, MINIMISE, CLOSE, BUTTON_SETTING, ADVANCED, SUPPORT = 1002, 1003, 1004, 1005, 1007, 1011
# Client rectangles of the main window's buttons: x, y, width, height.
MAIN_BUTTONS = {
    MINIMISE: (980, 17, 28, 12), CLOSE: (1030, 5, 22, 24), HELP: (867, 32, 137, 58),
    BUTTON_SETTING: (67, 32, 135, 58), ADVANCED: (340, 32, 123, 58), SUPPORT: (609, 32, 119, 58),
}
PAGE_BUTTONS = (HELP, BUTTON_SETTING, ADVANCED, SUPPORT)
PAGE_OF_BUTTON = {BUTTON_SETTING: BUTTON_PAGE, ADVANCED: SENSOR_PAGE, SUPPORT: SUPPORT_PAGE, HELP: HELP_PAGE}
# Controls of the pages, in page client rectangles.
BUTTON_PAGE_APPLY = (1033, (686, 426, 219, 61))
SENSOR_PAGE_APPLY = (1086, (783, 457, 215, 60))
SOFTWARE_LABEL, FIRMWARE_LABEL = 1110, 1111
RESTORE_BUTTON = (1109, (893, 156, 120, 47))
FIRMWARE_UPDATE_BUTTON = (368, 87, 120, 47)
FIRMWARE_TOOL_FOLDER = "Korvid Firmware Update Tool"
# The message pop-up's buttons, in its client rectangle.
RESTORE_TITLE = "Restore default settings"
RESTORE_YES = (1114, (202, 187, 90, 36))
RESTORE_NO = (1113, (299, 187, 90, 35))
NO_MOUSE_TITLE = "No mouse found"
NO_MOUSE_OK = (1114, (299, 187, 90, 35))

# The emulated mouse's firmware, release number 0x0109.
FIRMWARE_VERSION_TEXT = "V1.09"
NO_VERSION_TEXT = "-.--"
PROFILE_NAME = "Default Profile"
PROFILE_FILE = PROFILE_NAME + ".profile"
LIST_FILE = "pfList.dat"
# The mouse changed away from its factory settings before some tests.
CHANGED_SETTINGS = ("cpi1=1200", "colour2=#102030", "lift=3mm", "smoothing=on", "button4=f5")
# The tray icon's callback and the mouse messages it carries.
TRAY_CALLBACK, TRAY_ICON_ID = 0x07EB, 128
WM_LBUTTONDBLCLK, WM_RBUTTONDOWN = 0x0203, 0x0204
WM_SYSCOMMAND, STAY_ON_TOP = 0x0112, 0x08BA
WS_EX_TOPMOST = 0x8
# The tray menu: two items 16 pixels high from 4 pixels below its top.
TRAY_MENU_SIZE = [105, 2 * 16 + 8]
CONFIG_MOUSE_ROW, EXIT_SOFTWARE_ROW = 0, 1
# A point of the strip above the pages that no button covers, and one on a page.
DRAG_STRIP_POINT = (270, 60)
PAGE_POINT = (500, 300)
# The system's double-click time: a second click of the same button on the
# tray icon within it reaches the program as a double click.
DOUBLE_CLICK_SECONDS = 0.5
# How long the program is given after a step whose absence is being checked.
SETTLE_SECONDS = 0.5
APPLY_TIMEOUT = 15
# The mouse's short reply: its status replies are this long.
SHORT_REPLY_BYTES = 64


def centre(rect, origin=(0, 0)):
    x, y, width, height = rect
    return origin[0] + x + width // 2, origin[1] + y + height // 2


def read_profile_list(path):
    """Entry count, first profile index and first path of a pfList.dat."""
    with open(path, "rb") as f:
        data = f.read()
    count, index, length = struct.unpack_from("<IBi", data, 0)
    text = data[9:9 + 2 * length].decode("utf-16-le")
    return count, index, text, len(data) == 9 + 2 * length


def reply_read(line):
    """Whether a GET line of exchange.log read the mouse's whole reply. Through
    the HID stand-in every read asks for the collection's report length,
    longer than the mouse's short replies, which the log then calls short."""
    result = field(line, "result")
    if result == "ok":
        return True
    return bool(OPTIONS.standin) and result.startswith("short:") and int(result[6:]) >= SHORT_REPLY_BYTES


def without_keys(record, *keys):
    return {k: v for k, v in record.items() if k not in keys}


class Korvidctl:
    """korvidctl.exe under Wine, against one mouse folder: the emulated mouse's,
    or, when the program runs through the HID stand-in, through the stand-in
    too (the same interfaces and the same lock as the program)."""

    def __init__(self, mouse_folder):
        self.mouse_folder = mouse_folder
        self.program = None

    def run_wine(self, *args, emulated=True, timeout=60):
        """Exit status, output and errors of one run."""
        if not (emulated and OPTIONS.standin):
            command = [OPTIONS.korvidctl] + (["--emulator", self.mouse_folder] if emulated else []) + list(args)
            return DESKTOP.run_wine(command, timeout=timeout)
        if self.program is None:
            self.program = standin.install(OPTIONS.standin, OPTIONS.korvidctl, self.mouse_folder + "-korvidctl")
        return DESKTOP.run_wine([self.program] + list(args), timeout=timeout,
                                **standin.variables(self.mouse_folder, OPTIONS.length))

    def run(self, *args, emulated=True):
        code, out, err = self.run_wine(*args, emulated=emulated)
        if code != 0:
            raise AssertionError(f"korvidctl {' '.join(args)} failed ({code}): {err}")
        return out

    def show(self):
        return json.loads(self.run("show", "--json"))

    def profile(self, path):
        return json.loads(self.run("profile", "show", path, "--json", emulated=False))

    def block(self, path):
        return hexbytes(self.run("block", path, emulated=False))


class PluggedMouse(Mouse):
    """The mouse of a program run through the HID stand-in: unplugged and
    plugged in through the plug helper, which sends the program's windows
    WM_DEVICECHANGE as Windows does; finish() waits for the helpers."""

    def __init__(self, folder):
        super().__init__(folder)
        self.plugs = []

    # The mouse itself goes or comes at once (the emulator's plug file, which
    # the stand-in follows at its next call); Windows tells the windows after.
    def unplug(self):
        super().unplug()
        self.plugs.append(standin.Plug(OPTIONS.standin, self.folder, False, DESKTOP.env()))

    def plug(self):
        super().plug()
        self.plugs.append(standin.Plug(OPTIONS.standin, self.folder, True, DESKTOP.env()))

    def finish(self):
        while self.plugs:
            self.plugs.pop(0).finish()


class GuiCase(unittest.TestCase):
    """A private folder and the programs a test started, all ended in tearDown."""

    # A program still running this long after its start is killed.
    program_timeout = PROGRAM_TIMEOUT_SECONDS

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="korvid-gui-")
        self.programs = []

    def tearDown(self):
        forced = end_programs(DESKTOP, self.programs)
        # The plug helper's notifications end with the windows they were for.
        mouse = getattr(self, "mouse", None)
        if isinstance(mouse, PluggedMouse):
            mouse.finish()
        shutil.rmtree(self.tmp, ignore_errors=True)
        if forced:
            self.fail(f"teardown: {forced}")

    def start(self, exe, **env):
        program = Program(DESKTOP, exe, os.path.join(self.tmp, f"program-{len(self.programs)}.log"),
                          timeout=self.program_timeout, **env)
        self.programs.append(program)
        return program


class Harness(GuiCase):
    """The harness itself on a one-button window: probe, click, key, screenshot, quit."""

    def test_click_key_screenshot_and_quit(self):
        program = self.start(OPTIONS.fixture)
        window = DESKTOP.wait_titled(FIXTURE_TITLE)
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


class ProgramCase(GuiCase):
    """The program in its own folder, with its own data folder and mouse."""

    def setUp(self):
        super().setUp()
        if not os.path.exists(OPTIONS.program):
            self.fail(f"the program is not built: {OPTIONS.program}")

    def prepare_folder(self, without=()):
        """The program's private folder, its mouse, and korvidctl on that mouse."""
        self.folder = AppFolder(self.tmp, OPTIONS.program, OPTIONS.resources, without, standin=OPTIONS.standin)
        self.mouse = (PluggedMouse if OPTIONS.standin else Mouse)(self.folder.mouse_folder)
        self.ctl = Korvidctl(self.folder.mouse_folder)

    def launch(self, unplugged=False, settings=(), without=(), faults=None):
        """Starts a fresh copy; returns its main window once it shows (None when `without` sheets).
        `faults`, when given, is the mouse's fault script from the start."""
        self.prepare_folder(without)
        if settings:
            self.ctl.run("set", *settings)
        self.mouse.clear_log()
        if unplugged:
            self.mouse.unplug()
        if faults:
            self.mouse.faults(faults)
        self.program = self.relaunch()
        return None if without else DESKTOP.wait_main()

    def relaunch(self):
        if OPTIONS.standin:
            return self.start(self.folder.exe, **standin.variables(self.folder.mouse_folder, OPTIONS.length))
        return self.start(self.folder.exe, KORVID_EMULATOR=self.folder.mouse_folder)

    def skip_through_standin(self, why):
        if OPTIONS.standin:
            self.skipTest("through the HID stand-in: " + why)

    # -- looking at the main window

    def main(self):
        return DESKTOP.snapshot().main(visible=True)

    def visible_pages(self, main):
        return [page for page in PAGES if main.control(page) is not None and main.control(page).visible]

    def wait_page(self, page, what=None):
        def shown(snapshot):
            main = snapshot.main(visible=True)
            return main if main is not None and self.visible_pages(main) == [page] else None
        return DESKTOP.wait(what or f"page {page} alone visible", shown)

    def firmware_text(self, main):
        """The support page's firmware label; the page must have been shown once."""
        return main.control(FIRMWARE_LABEL).text

    def enabled_buttons(self, main):
        return {button: main.control(button).enabled for button in MAIN_BUTTONS}

    def assert_selected(self, shot, selected):
        """Each page button looks pressed when it is the selected one, normal otherwise."""
        for button in PAGE_BUTTONS:
            rect = MAIN_BUTTONS[button]
            seen = shot.region(*rect)
            to_down = region_distance(seen, SHEETS["Main_Down.bmp"].region(*rect))
            to_normal = region_distance(seen, SHEETS["Main_Normal.bmp"].region(*rect))
            with self.subTest(button=button):
                if button == selected:
                    self.assertLess(to_down, to_normal, f"button {button} should look pressed")
                else:
                    self.assertLess(to_normal, to_down, f"button {button} should look normal")

    def assert_main_screenshot(self, shot):
        self.assertEqual((shot.width, shot.height), MAIN_CLIENT_SIZE)
        self.assertGreater(shot.colours(), 50, "the window looks blank")

    # -- acting

    def click_main(self, main, button):
        DESKTOP.click(main, *centre(MAIN_BUTTONS[button]))

    def click_on_page(self, main, rect):
        DESKTOP.click(main, *centre(rect, PAGE_ORIGIN))

    def show_page(self, button):
        self.click_main(self.main(), button)
        return self.wait_page(PAGE_OF_BUTTON[button])

    # -- the mouse and the files

    def wait_log(self, what, predicate, timeout=APPLY_TIMEOUT):
        deadline = time.monotonic() + timeout
        while True:
            log = self.mouse.log()
            if predicate(log):
                return log
            if time.monotonic() > deadline:
                raise WaitTimeout(f"timed out waiting for {what}; exchange.log: {log}")
            time.sleep(0.05)

    def wait_commit(self, start=0):
        """The log from `start` once the commit's reply has been read."""
        return self.wait_log("the commit", lambda log: any(
            l[0] == "GET" and field(l, "cmd") == "04" for l in log[start:]))[start:]

    def assert_apply_exchange(self, log, index="0"):
        """Status query, block write, commit: the sets of one apply, in order, all acknowledged."""
        sets = [(field(l, "cmd"), field(l, "result")) for l in log if l[0] == "SET"]
        commands = [cmd for cmd, _ in sets]
        self.assertIn("08", commands)
        self.assertEqual(commands[0], "03", log)
        self.assertEqual(commands[-1], "04", log)
        self.assertEqual(set(commands[1:-1]), {"08"}, log)
        self.assertTrue(all(result == "ok" for _, result in sets), log)
        self.assertEqual({field(l, "index") for l in log if l[0] == "SET" and field(l, "cmd") == "08"}, {index})

    def assert_profile_saved(self, expected):
        """Exactly the profile file and the list; the list names the file; the file decodes to expected."""
        self.assertEqual(self.folder.profile_files(), sorted([PROFILE_FILE, LIST_FILE]))
        profile = os.path.join(self.folder.profiles, PROFILE_FILE)
        count, _, path, exact = read_profile_list(os.path.join(self.folder.profiles, LIST_FILE))
        self.assertEqual((count, path, exact), (1, wine_path(profile), True))
        saved = self.ctl.profile(profile)
        self.assertEqual(saved["name"], PROFILE_NAME)
        self.assertEqual(without_keys(saved, "name", "firmware"), without_keys(expected, "firmware"))
        return profile

    def factory_settings(self):
        fresh = Korvidctl(os.path.join(self.tmp, "fresh-mouse"))
        return fresh.show()

    def no_popups(self):
        main = self.main()
        return [w for w in DESKTOP.snapshot().of_process(main.pid) if w.hwnd != main.hwnd and w.title]

    def assert_no_mouse_popup(self, popup, main, screenshot):
        self.assertEqual(popup.owner, main.hwnd)
        self.assert_centred(popup, main)
        ok_button = popup.control(NO_MOUSE_OK[0])
        self.assertTrue(ok_button.visible)
        self.assertEqual(ok_button.rect, list(NO_MOUSE_OK[1]))
        DESKTOP.screenshot(popup, screenshot)

    def close_no_mouse_popup(self, popup):
        DESKTOP.click(popup, *centre(NO_MOUSE_OK[1]))
        DESKTOP.wait("the pop-up closed", lambda s: not s.titled(NO_MOUSE_TITLE, True))
        self.assertTrue(self.program.running())

    def assert_centred(self, popup, owner):
        popup_centre = centre(popup.rect)
        owner_centre = centre(owner.rect)
        self.assertLessEqual(abs(popup_centre[0] - owner_centre[0]), 1)
        self.assertLessEqual(abs(popup_centre[1] - owner_centre[1]), 1)


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
        self.assertEqual(enabled, {HELP: False, BUTTON_SETTING: False, ADVANCED: False, SUPPORT: False,
                                   MINIMISE: True, CLOSE: True})
        shot = DESKTOP.screenshot(main, "main-no-mouse-page")
        self.assert_main_screenshot(shot)
        self.assertEqual(self.mouse.log(), [])
        # A disabled page button does nothing when clicked.
        self.click_main(main, ADVANCED)
        self.click_main(main, SUPPORT)
        self.assertEqual(self.visible_pages(self.wait_page(NO_MOUSE_PAGE)), [NO_MOUSE_PAGE])

    def test_unplug_on_sensor_page_then_plug_in(self):
        self.launch()
        self.show_page(SUPPORT)
        self.show_page(ADVANCED)
        self.mouse.unplug()
        main = self.wait_page(NO_MOUSE_PAGE, "the no-mouse page after the unplug")
        main = DESKTOP.wait("the firmware label cleared",
                            lambda s: s.main(True) if self.firmware_text(s.main(True)) == NO_VERSION_TEXT else None)
        self.assertFalse(any(main.control(b).enabled for b in PAGE_BUTTONS))
        self.assert_selected(DESKTOP.screenshot(main, "main-after-unplug"), None)
        reads = len(self.mouse.log())
        self.mouse.plug()
        main = self.wait_page(BUTTON_PAGE, "the button page after plugging in")
        main = DESKTOP.wait("the firmware label",
                            lambda s: s.main(True) if self.firmware_text(s.main(True)) == FIRMWARE_VERSION_TEXT else None)
        self.assertTrue(all(main.control(b).enabled for b in PAGE_BUTTONS))
        self.assert_selected(DESKTOP.screenshot(main, "main-after-plug-in"), BUTTON_SETTING)
        again = [field(l, "cmd") for l in self.mouse.log()[reads:] if l[0] == "SET"]
        self.assertEqual(again[:2], ["03", "07"], "the mouse was not read again")


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

    def test_support_and_help_page_controls(self):
        self.launch()
        self.show_page(ADVANCED)
        self.show_page(SUPPORT)
        main = self.show_page(HELP)
        support = main.control(SUPPORT_PAGE)
        expected = {1107: [367, 156, 122, 47], 1108: [368, 87, 120, 47], 1109: [893, 156, 120, 47]}
        for control, rect in expected.items():
            with self.subTest(control=control):
                self.assertEqual(support.control(control).rect, rect)
        help_page = main.control(HELP_PAGE)
        self.assertEqual(help_page.control(1127).rect, [616, 189, 395, 47])
        self.assertEqual(help_page.control(1128).rect, [676, 341, 277, 23])
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

    def install_firmware_tool(self):
        folder = os.path.join(self.folder.app, FIRMWARE_TOOL_FOLDER)
        os.makedirs(folder)
        shutil.copy2(OPTIONS.firmware_tool, os.path.join(folder, FIRMWARE_TOOL_FOLDER + ".exe"))
        return os.path.join(folder, "launched.txt")

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

    def test_firmware_update_without_reaching_the_mouse_shows_no_mouse_popup(self):
        main = self.launch()
        launched = self.install_firmware_tool()
        main = self.show_page(SUPPORT)
        self.mouse.faults("open-error 32 1\n")
        self.click_on_page(main, FIRMWARE_UPDATE_BUTTON)
        popup = DESKTOP.wait_titled(NO_MOUSE_TITLE)
        self.assert_no_mouse_popup(popup, main, "popup-no-mouse-firmware-update")
        self.close_no_mouse_popup(popup)
        self.assertFalse(os.path.exists(launched), "the tool started without the mouse")


class Apply(ProgramCase):
    """Apply from both pages; with the mouse unplugged; with the mouse failing."""

    def test_apply_from_each_page_saves_and_writes_the_mouse(self):
        self.launch(settings=CHANGED_SETTINGS)
        read = self.ctl.show()
        table = [(BUTTON_SETTING, BUTTON_PAGE_APPLY), (ADVANCED, SENSOR_PAGE_APPLY)]
        for button, (_, rect) in table:
            with self.subTest(page=PAGE_OF_BUTTON[button]):
                main = self.show_page(button)
                start = len(self.mouse.log())
                self.click_on_page(main, rect)
                log = self.wait_commit(start)
                self.assert_apply_exchange(log)
                profile = self.assert_profile_saved(read)
                self.assertEqual(self.mouse.block(), self.ctl.block(profile))
                time.sleep(SETTLE_SECONDS)
                self.assertEqual(self.no_popups(), [])
                self.assertEqual(self.visible_pages(self.main()), [PAGE_OF_BUTTON[button]])

    def test_apply_without_reaching_the_mouse_shows_no_mouse_popup(self):
        self.skip_through_standin("the system opens the interface, not the fault script")
        self.launch(settings=CHANGED_SETTINGS)
        read = self.ctl.show()
        block = self.mouse.block()
        main = self.wait_page(BUTTON_PAGE)
        # Another program holds the mouse: the apply's discovery cannot open it.
        self.mouse.faults("open-error 32 1\n")
        self.click_on_page(main, BUTTON_PAGE_APPLY[1])
        popup = DESKTOP.wait_titled(NO_MOUSE_TITLE, timeout=APPLY_TIMEOUT)
        self.assert_no_mouse_popup(popup, main, "popup-no-mouse")
        self.assert_profile_saved(read)
        self.assertEqual(self.mouse.block(), block)
        self.assertNotIn("08", [field(l, "cmd") for l in self.mouse.log()])
        self.close_no_mouse_popup(popup)

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
        self.assertIn(wine_path(self.folder.profiles), box.control(0xFFFF).text.replace("\r", ""))
        DESKTOP.click_control(box, box.control(1) or box.control(2))
        DESKTOP.wait("the message box closed", lambda s: not s.message_boxes())
        time.sleep(SETTLE_SECONDS)
        self.assertEqual(self.mouse.log()[start:], [], "the mouse was written although the save failed")
        self.assertEqual(self.mouse.block(), block)
        with open(self.folder.profiles) as blocker:
            self.assertEqual(blocker.read(), "not a folder")

    def test_failed_write_shows_apply_failed_then_next_apply_succeeds(self):
        self.launch(settings=CHANGED_SETTINGS)
        read = self.ctl.show()
        block = self.mouse.block()
        main = self.wait_page(BUTTON_PAGE)
        self.mouse.faults("send-error 31 1 cmd=08\n")
        self.click_on_page(main, BUTTON_PAGE_APPLY[1])
        box = DESKTOP.wait_message_box("Apply Failed")
        self.assertEqual(box.control(0xFFFF).text, "Apply Failed")
        DESKTOP.screenshot(box, "message-apply-failed")
        profile = self.assert_profile_saved(read)
        self.assertEqual(self.mouse.block(), block, "a failed write changed the stored block")
        self.assertNotIn("04", [field(l, "cmd") for l in self.mouse.log()])
        ok_button = box.control(1) or box.control(2)
        DESKTOP.click_control(box, ok_button)
        DESKTOP.wait("the message box closed", lambda s: not s.message_boxes())
        start = len(self.mouse.log())
        self.click_on_page(self.main(), BUTTON_PAGE_APPLY[1])
        self.assert_apply_exchange(self.wait_commit(start))
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
        self.click_main(main, CLOSE)
        DESKTOP.wait("the window hidden", lambda s: s.main(visible=False) and not s.main(visible=True))
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
        self.launch(without=("Main_Normal.bmp",))
        box = DESKTOP.wait_message_box("UI load failed!")
        self.assertEqual(box.control(0xFFFF).text, "UI load failed!")
        DESKTOP.screenshot(box, "message-ui-load-failed")
        self.assertIsNone(DESKTOP.snapshot().main(visible=True))
        DESKTOP.click_control(box, box.control(1) or box.control(2))
        self.assertTrue(self.program.wait_exit(10), "the program did not exit after UI load failed!")
        self.assertEqual(DESKTOP.snapshot().titled(MAIN_TITLE), [])


class Tray(ProgramCase):
    """The tray icon and its menu."""

    def launch_hidden(self):
        """The program started and closed to the tray; its main window as it was shown."""
        main = self.launch()
        self.click_main(main, CLOSE)
        DESKTOP.wait("the window hidden", lambda s: s.main(visible=False) and not s.main(visible=True))
        return main

    def tray_menu(self, main):
        return DESKTOP.wait("the tray menu", lambda s: next(iter(s.menus(main.pid)), None))

    def assert_menu_closed(self, main, menu):
        DESKTOP.wait("the tray menu closed", lambda s: not s.menus(main.pid))
        DESKTOP.wait_unmapped(menu)

    def click_item(self, menu, row):
        DESKTOP.click_at(menu.rect[0] + 30, menu.rect[1] + 4 + 16 * row + 8)

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
        self.click_item(menu, CONFIG_MOUSE_ROW)
        shown = DESKTOP.wait_main()
        self.assertEqual(shown.rect, main.rect)
        self.assert_menu_closed(main, menu)

        # A second right click, not a double click.
        time.sleep(max(0.0, first_right_click + DOUBLE_CLICK_SECONDS + 0.1 - time.monotonic()))
        DESKTOP.click_at(x, y, button=3)
        self.click_item(self.tray_menu(main), EXIT_SOFTWARE_ROW)
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
    MENU_CLASS = "KorvidQuoMenu"
    # Function button n has control ID 1022 + n; the fixture's own combos and reports.
    FUNCTION_BUTTON_BASE = 1022
    DROP_UP, CASCADE = 1201, 1202
    LAST_CHOICE, STAY_ON_TOP = 1301, 1302
    FUNCTION_MENU = (("Left click", 2101), ("Right click", 2102), ("Middle click", 2103), ("IE Forward", 2105),
                     ("IE Backward", 2104), ("Scroll Up", 2106), ("Scroll Down", 2107), ("Keyboard key", 1000),
                     ("Disable button", 0))
    INITIAL_LABELS = {1: "Left click", 2: "Right click", 3: "Middle click", 4: "IE Forward", 5: "IE Backward"}
    PROFILE_ITEMS = 4
    CASCADE_MENU = ("Left click", "Right click", "Wheel")
    WHEEL_INDEX = 2
    WHEEL_MENU = (("Scroll Up", 2106), ("Scroll Down", 2107), ("Middle click", 2103))
    # Menu geometry: items one 16-pixel text line high from 4 pixels below
    # the top, 8 pixels added to the height, a 15-pixel strip at the right
    # outside every item; a sub-menu overlaps its parent by 5 pixels.
    ITEM_HEIGHT, ITEM_TOP, EXTRA_HEIGHT, RIGHT_STRIP, SUBMENU_OVERLAP = 16, 4, 8, 15, 5
    MENU_BACKGROUND, MENU_FRAME = (0x1A, 0x1A, 0x1A), (0xFD, 0xC4, 0x15)
    # A combo notes its open menu every 100 ms; a press that is to close the
    # menu must come after the first note.
    MENU_NOTE_SECONDS = 0.25
    # A client point of the fixture's background away from every control.
    EMPTY_SPOT = (560, 40)

    def setUp(self):
        super().setUp()
        if not os.path.exists(OPTIONS.combo_fixture):
            self.fail(f"the combo fixture is not built: {OPTIONS.combo_fixture}")
        folder = AppFolder(self.tmp, OPTIONS.combo_fixture, OPTIONS.resources)
        self.start(folder.exe)
        self.window = DESKTOP.wait_titled(self.TITLE)

    # -- looking

    def fixture(self, snapshot=None):
        return (snapshot or DESKTOP.snapshot()).titled(self.TITLE, True)[0]

    def control(self, control_id, snapshot=None):
        return self.fixture(snapshot).control(control_id)

    def function_button(self, number):
        return self.FUNCTION_BUTTON_BASE + number

    def menus(self, snapshot=None):
        """The fixture's visible menus, each a top-level window of its own."""
        snapshot = snapshot or DESKTOP.snapshot()
        return [w for w in snapshot.of_process(self.window.pid) if w.record["class"] == self.MENU_CLASS]

    def wait_menus(self, count, what):
        """The fixture's visible menus once there are `count` of them."""
        found = []

        def counted(snapshot):
            found[:] = self.menus(snapshot)
            return len(found) == count
        DESKTOP.wait(what, counted)
        return found

    def report(self, control_id):
        return self.control(control_id).text

    def wait_text(self, control_id, text):
        DESKTOP.wait(f"control {control_id} showing {text!r}", lambda s: self.control(control_id, s).text == text)

    def assert_stays(self, what, predicate):
        time.sleep(SETTLE_SECONDS)
        self.assertTrue(predicate(DESKTOP.snapshot()), what)

    def menu_height(self, items):
        return items * self.ITEM_HEIGHT + self.EXTRA_HEIGHT

    def item_centre(self, menu, index):
        x, y, width, _ = menu.rect
        return x + (width - self.RIGHT_STRIP) // 2, y + self.ITEM_TOP + index * self.ITEM_HEIGHT + self.ITEM_HEIGHT // 2

    def screenshot_with_menus(self, name):
        """The fixture's part of the screen with the menus over it (they are windows of their own)."""
        import subprocess
        import types
        from harness import CONVERT
        screen = DESKTOP.screenshot(types.SimpleNamespace(xid="root"), name + "-screen")
        x, y, width, height = self.window.rect
        path = os.path.join(OPTIONS.screenshots, name + ".png")
        subprocess.run([CONVERT, screen.path, "-crop", f"{width}x{height}+{x}+{y}", "+repage", path], check=True)
        os.remove(screen.path)
        return Image(path)

    def sheet(self, name):
        return Image(os.path.join(OPTIONS.resources, name))

    def client_rect(self, control):
        x, y, width, height = control.screen
        return x - self.window.client[0], y - self.window.client[1], width, height

    # -- acting

    def point_at(self, x, y):
        DESKTOP.xdotool("mousemove", x, y)

    def click_at(self, x, y, button=1):
        DESKTOP.xdotool("mousemove", x, y, "click", button, "mousemove", *POINTER_REST)

    def click_empty(self, button=1):
        x, y = self.EMPTY_SPOT
        self.click_at(self.window.client[0] + x, self.window.client[1] + y, button)

    def open_menu(self, control_id):
        """Clicks a combo; returns its record and its menu once the menu shows."""
        combo = self.control(control_id)
        DESKTOP.click_control(self.window, combo)
        menu = self.wait_menus(1, f"the menu of {control_id}")[0]
        time.sleep(self.MENU_NOTE_SECONDS)
        return combo, menu

    # -- the cases

    def test_click_opens_menu_below_and_second_click_closes_it(self):
        before = self.report(self.STAY_ON_TOP)
        button, menu = self.open_menu(self.function_button(3))
        x, y, width, height = button.screen
        self.assertEqual(menu.rect, [x, y + height, width - 2, self.menu_height(len(self.FUNCTION_MENU))])
        self.assertEqual(menu.owner, self.window.hwnd)
        self.assertEqual(self.report(self.STAY_ON_TOP), before, "opening a menu sent a stay-on-top request")
        shot = self.screenshot_with_menus("combo-menu-open")
        left, top = menu.rect[0] - self.window.rect[0], menu.rect[1] - self.window.rect[1]
        self.assertEqual(shot.pixel(left, top + 20), self.MENU_FRAME)
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
                button, menu = self.open_menu(self.function_button(number))
                self.click_at(*self.item_centre(menu, index))
                self.wait_text(self.LAST_CHOICE, f"{button.id} {function_id}")
                self.wait_text(button.id, text)
                self.assertEqual(self.menus(), [])
        after = DESKTOP.screenshot(self.window, "combo-items-chosen")
        for number, _ in table:
            with self.subTest(drawn=number):
                rect = self.client_rect(self.control(self.function_button(number)))
                self.assertNotEqual(after.region(*rect), before.region(*rect), "the new label is not drawn")

    def test_left_click_outside_closes_the_menu_right_click_does_not(self):
        _, menu = self.open_menu(self.function_button(4))
        self.click_empty(button=3)
        self.assert_stays("a right click outside closed the menu",
                          lambda s: [m.hwnd for m in self.menus(s)] == [menu.hwnd])
        self.click_empty(button=1)
        self.wait_menus(0, "the menu closed by a left click outside")
        self.assertEqual(self.report(self.LAST_CHOICE), "")
        self.assertEqual(self.report(self.function_button(4)), self.INITIAL_LABELS[4])

    def test_click_on_the_menu_outside_its_items_closes_it_without_a_choice(self):
        # The strip at the right of every item and the frame above the first.
        table = [
            ("right strip", lambda m: (m.rect[0] + m.rect[2] - self.RIGHT_STRIP // 2, self.item_centre(m, 2)[1])),
            ("top frame", lambda m: (m.rect[0] + m.rect[2] // 2, m.rect[1] + 1)),
        ]
        for where, point in table:
            with self.subTest(where=where):
                _, menu = self.open_menu(self.function_button(5))
                self.click_at(*point(menu))
                self.wait_menus(0, f"the menu closed by a click on its {where}")
                self.assert_stays("a choice was made", lambda s: self.control(self.LAST_CHOICE, s).text == "")
                self.assertEqual(self.report(self.function_button(5)), self.INITIAL_LABELS[5])

    def test_fixed_buttons_show_hover_and_press_but_open_no_menu(self):
        sheets = {name: self.sheet(f"Buttons_{name}.bmp") for name in ("Normal", "Over", "Down")}
        for number in (1, 2):
            with self.subTest(button=number):
                button = self.control(self.function_button(number))
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
        height = self.menu_height(self.PROFILE_ITEMS)
        self.assertEqual(menu.rect, [x, y - height, width - 2, height])
        self.screenshot_with_menus("combo-menu-drop-up")
        self.click_at(*self.item_centre(menu, 2))
        self.wait_text(self.LAST_CHOICE, f"{self.DROP_UP} 3")
        self.wait_text(self.DROP_UP, "Profile 3")

    def test_hovering_a_submenu_item_opens_the_submenu_at_the_right_edge(self):
        _, menu = self.open_menu(self.CASCADE)
        self.assertEqual(menu.rect[3], self.menu_height(len(self.CASCADE_MENU)))
        self.point_at(*self.item_centre(menu, self.WHEEL_INDEX))
        opened = self.wait_menus(2, "the sub-menu")
        submenu = next(m for m in opened if m.hwnd != menu.hwnd)
        x, y, width, _ = menu.rect
        item_top = self.ITEM_TOP + self.WHEEL_INDEX * self.ITEM_HEIGHT
        self.assertEqual(submenu.rect[:2], [x + width - self.SUBMENU_OVERLAP, y + item_top - self.SUBMENU_OVERLAP])
        self.assertEqual(submenu.rect[3], self.menu_height(len(self.WHEEL_MENU)))
        self.screenshot_with_menus("combo-submenu-open")
        # Another item of the parent closes the sub-menu and leaves the parent open.
        self.point_at(*self.item_centre(menu, 0))
        remaining = self.wait_menus(1, "the sub-menu closed")
        self.assertEqual(remaining[0].hwnd, menu.hwnd)
        DESKTOP.xdotool("mousemove", *POINTER_REST)

    def test_choosing_a_submenu_item_sets_the_label_and_notifies_the_parent(self):
        _, menu = self.open_menu(self.CASCADE)
        self.point_at(*self.item_centre(menu, self.WHEEL_INDEX))
        submenu = next(m for m in self.wait_menus(2, "the sub-menu") if m.hwnd != menu.hwnd)
        text, function_id = self.WHEEL_MENU[1]
        self.click_at(*self.item_centre(submenu, 1))
        self.wait_menus(0, "the menus closed by the choice")
        self.wait_text(self.LAST_CHOICE, f"{self.CASCADE} {function_id}")
        self.wait_text(self.CASCADE, text)

    def test_hiding_a_menu_sends_the_stay_on_top_pair(self):
        button = self.function_button(3)
        table = [
            ("choice", button, lambda menu: self.click_at(*self.item_centre(menu, 1)), "1 0"),
            ("click outside", button, lambda menu: self.click_empty(), "1 0"),
            ("click on the button", button, lambda menu: DESKTOP.click_control(self.window, self.control(button)),
             "1 0"),
            # A sub-menu hides inside its parent's hide, with a pair of its own.
            ("click outside a cascade", self.CASCADE, self.open_wheel_and_click_outside, "1 1 0 0"),
        ]
        for how, control_id, close, requests in table:
            with self.subTest(how=how):
                before = self.report(self.STAY_ON_TOP)
                _, menu = self.open_menu(control_id)
                close(menu)
                self.wait_menus(0, f"the menu closed by a {how}")
                expected = (before + " " + requests).strip()
                self.wait_text(self.STAY_ON_TOP, expected)
                self.assert_stays("more requests followed",
                                  lambda s: self.control(self.STAY_ON_TOP, s).text == expected)

    def open_wheel_and_click_outside(self, menu):
        self.point_at(*self.item_centre(menu, self.WHEEL_INDEX))
        self.wait_menus(2, "the sub-menu")
        self.click_empty()


GROUPS = (Harness, StartAndConnection, Pages, SupportPage, Apply, RestoreDefaults, WindowHandling, Tray, ComboMenus)
SELECTED = []
SHEETS = {}


def groups_suite(loader, groups):
    """The tests of the groups selected on the command line (all by default)."""
    suite = unittest.TestSuite()
    for case in groups:
        if not SELECTED or case.__name__ in SELECTED:
            suite.addTests(loader.loadTestsFromTestCase(case))
    return suite


def load_tests(loader, tests, pattern):
    return groups_suite(loader, GROUPS)


def main(groups=GROUPS):
    """Runs the groups of the calling script (test_gui.py's own by default)."""
    global OPTIONS, DESKTOP
    parser = argparse.ArgumentParser(usage=__doc__)
    for name in ("program", "probe", "fixture", "firmware-tool", "korvidctl", "combo-fixture", "prefix",
                 "screenshots", "software-version"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--standin")
    parser.add_argument("--length", choices=standin.MODES, default=standin.MODES[0])
    parser.add_argument("groups", nargs="*")
    OPTIONS = parser.parse_args()
    unknown = set(OPTIONS.groups) - {g.__name__ for g in groups}
    if unknown:
        parser.error(f"unknown groups: {', '.join(sorted(unknown))}")
    OPTIONS.resources = os.path.join(os.path.dirname(OPTIONS.program), "Resources")
    SELECTED.extend(OPTIONS.groups)
    # A prefix of its own beside the given one: its server must be started
    # with this run's display (see Desktop.start), and a restart must not end
    # the programs other tests run in the given prefix.
    prefix = (os.environ.get("WINEPREFIX") or OPTIONS.prefix).rstrip("/") + "-gui"
    DESKTOP = Desktop(prefix, OPTIONS.probe, OPTIONS.screenshots)
    if os.path.isdir(OPTIONS.resources):
        for name in ("Main_Normal.bmp", "Main_Down.bmp"):
            SHEETS[name] = Image(os.path.join(OPTIONS.resources, name))
    started = time.monotonic()
    DESKTOP.start()
    try:
        result = unittest.main(argv=[sys.argv[0], "-v"], exit=False).result
    finally:
        DESKTOP.stop()
    print(f"GUI tests took {time.monotonic() - started:.1f} s", file=sys.stderr)
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
