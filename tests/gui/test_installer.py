#!/usr/bin/env python3
"""The Windows installer and uninstaller under Wine, in a prefix of their own.

usage: test_installer.py --installer EXE --resources DIR --probe EXE --stubborn-copy EXE
                         --prefix DIR --screenshots DIR --software-version TEXT [GROUP...]

EXE is KorvidConfig-<version>-setup.exe; DIR the build's Resources folder,
whose sheets the installer must carry; TEXT the version the program shows
("V1.09"). Screenshots of every page go to the screenshots folder.
"""
import filecmp
import os
import re
import shutil
import sys
import time

import harness
from harness import CONFIG_MOUSE_ROW, DESKTOP, MAIN_TITLE, MENU_CLASS, OPTIONS, GuiCase

PRODUCT = "Korvid Configuration Software"
PUBLISHER = "Orvanta"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvidConfig"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
RUN_VALUE = "Korvid Configuration"
INSTALL_FOLDER = r"Programs\Korvid Configuration"  # in the user's local AppData
SHORTCUT = r"Microsoft\Windows\Start Menu\Programs" + "\\" + PRODUCT + ".lnk"  # in the roaming AppData
PROFILE = r"Orvanta\Korvid\Profiles\Mine.profile"  # in the roaming AppData
INSTALLED_FILES = ("KorvidConfig.exe", "korvidctl.exe", "README.txt", "Uninstall.exe")
SETTLE_SECONDS = 1.0
UNINSTALL_SECONDS = 60
# How long the installer waits for a running copy to end before it asks.
CLOSE_WAIT_SECONDS = 30
# The wizard's own buttons are children of its frame.
NEXT_BUTTON = 1


def plain(text):
    return (text or "").replace("&", "")


def files_under(folder):
    """The files in a folder and its subfolders, as sorted relative paths."""
    return sorted(os.path.relpath(os.path.join(d, f), folder) for d, _, files in os.walk(folder) for f in files)


class Machine:
    """The prefix's user folders and registry, as Windows names them."""

    def __init__(self, desktop):
        self.desktop = desktop
        self.local = self.unix(self.expand("%LOCALAPPDATA%"))
        self.roaming = self.unix(self.expand("%APPDATA%"))

    def expand(self, variable):
        code, out, err = self.desktop.run_wine(["cmd.exe", "/c", "echo", variable])
        if code != 0 or "%" in out:
            raise RuntimeError(f"cannot read {variable}: {out} {err}")
        return out.strip()

    def unix(self, windows_path):
        drive, rest = windows_path.split(":", 1)
        if drive.upper() != "C":
            raise ValueError(windows_path)
        return os.path.join(self.desktop.prefix, "drive_c", *[p for p in rest.split("\\") if p])

    def install_dir(self):
        return os.path.join(self.local, *INSTALL_FOLDER.split("\\"))

    def shortcut(self):
        return os.path.join(self.roaming, *SHORTCUT.split("\\"))

    def profile(self):
        return os.path.join(self.roaming, *PROFILE.split("\\"))

    def values(self, key):
        """The values of a registry key as {name: (type, data)}; None when the key is absent."""
        code, out, _ = self.desktop.run_wine(["reg", "query", key])
        if code != 0:
            return None
        values = {}
        for line in out.splitlines():
            found = re.match(r"^\s+(.+?)\s{4}(REG_\w+)\s{4}(.*)$", line)
            if found:
                values[found.group(1)] = (found.group(2), found.group(3))
        return values

    def run_entry(self):
        values = self.values(RUN_KEY) or {}
        return values.get(RUN_VALUE, (None, None))[1]

    def clean(self):
        """Nothing of an earlier run left: no install, entries or running copy."""
        snapshot = self.desktop.snapshot()
        for window in snapshot.titled(MAIN_TITLE):
            self.desktop.run_wine([self.desktop.probe, "quit", str(window.hwnd)])
        self.desktop.wait("no program left", lambda s: not s.titled(MAIN_TITLE), timeout=30)
        shutil.rmtree(self.install_dir(), ignore_errors=True)
        if os.path.exists(self.shortcut()):
            os.remove(self.shortcut())
        self.desktop.run_wine(["reg", "delete", UNINSTALL_KEY, "/f"])
        self.desktop.run_wine(["reg", "delete", RUN_KEY, "/v", RUN_VALUE, "/f"])


class InstallerCase(GuiCase):
    def setUp(self):
        super().setUp()
        self.machine = Machine(DESKTOP)
        self.machine.clean()
        # A profile of the user's, which no uninstall may touch.
        os.makedirs(os.path.dirname(self.machine.profile()), exist_ok=True)
        with open(self.machine.profile(), "wb") as f:
            f.write(b"the user's own profile")

    def clean_up(self):
        leftovers = [w for w in DESKTOP.snapshot().windows if w.title.startswith(PRODUCT) and w.visible]
        if leftovers:
            DESKTOP.restart_server()
        self.machine.clean()

    def install_silently(self, *switches):
        code, out, err = DESKTOP.run_wine([OPTIONS.installer, "/S", *switches], timeout=180)
        self.assertEqual(code, 0, f"the silent install failed: {out} {err}")

    def uninstall_silently(self, kept=()):
        uninstaller = os.path.join(self.machine.install_dir(), "Uninstall.exe")
        code, out, err = DESKTOP.run_wine([uninstaller, "/S"], timeout=120)
        self.assertEqual(code, 0, f"the silent uninstall failed: {out} {err}")
        # The uninstaller runs on from a copy of itself in the temporary folder.
        self.wait_removed(kept)

    def wait_removed(self, kept=()):
        """Waits until the install folder is gone, or holds only the files
        `kept` (paths inside it), and the uninstall entry is gone."""
        deadline = time.monotonic() + UNINSTALL_SECONDS
        folder = self.machine.install_dir()

        def left():
            return files_under(folder) != sorted(kept) if kept else os.path.exists(folder)
        while left() or self.machine.values(UNINSTALL_KEY) is not None:
            if time.monotonic() > deadline:
                self.fail(f"the uninstall left {os.listdir(self.machine.install_dir())}")
            time.sleep(0.2)

    def assert_installed(self):
        folder = self.machine.install_dir()
        for name in INSTALLED_FILES:
            self.assertTrue(os.path.isfile(os.path.join(folder, name)), name)
        # The sheets, with the folder of each larger scale step.
        sheets = files_under(OPTIONS.resources)
        self.assertTrue(any(os.path.dirname(sheet) for sheet in sheets), "no scale step folder in the build")
        self.assertEqual(files_under(os.path.join(folder, "Resources")), sheets)
        _, mismatch, errors = filecmp.cmpfiles(OPTIONS.resources, os.path.join(folder, "Resources"), sheets,
                                               shallow=False)
        self.assertEqual(mismatch + errors, [], "sheets that differ from the build's")
        self.assertTrue(os.path.isfile(self.machine.shortcut()), "the Start menu shortcut")

        values = self.machine.values(UNINSTALL_KEY)
        self.assertIsNotNone(values, "the uninstall entry")
        windows_folder = values["InstallLocation"][1]
        self.assertEqual(self.machine.unix(windows_folder), folder)
        expected = {
            "DisplayName": PRODUCT,
            "DisplayVersion": OPTIONS.software_version.lstrip("V"),
            "Publisher": PUBLISHER,
            "DisplayIcon": f'"{windows_folder}\\KorvidConfig.exe",0',
            "UninstallString": f'"{windows_folder}\\Uninstall.exe"',
            "QuietUninstallString": f'"{windows_folder}\\Uninstall.exe" /S',
        }
        for name, data in expected.items():
            self.assertEqual(values.get(name), ("REG_SZ", data), name)
        size_kb = int(values["EstimatedSize"][1], 16)
        actual_kb = sum(os.path.getsize(os.path.join(d, f)) for d, _, files in os.walk(folder) for f in files) / 1024
        self.assertLess(abs(size_kb - actual_kb), actual_kb * 0.05 + 16, "EstimatedSize")
        return windows_folder

    def assert_removed(self):
        self.assertFalse(os.path.exists(self.machine.install_dir()))
        self.assertFalse(os.path.exists(self.machine.shortcut()))
        self.assertIsNone(self.machine.values(UNINSTALL_KEY))
        self.assertIsNone(self.machine.run_entry())
        with open(self.machine.profile(), "rb") as f:
            self.assertEqual(f.read(), b"the user's own profile", "the uninstall touched the user's profile")

    def start_from_run_entry(self):
        entry = self.machine.run_entry()
        self.assertIsNotNone(entry, "no sign-in entry")
        found = re.match(r'^"([^"]+)" (.+)$', entry)
        self.assertIsNotNone(found, entry)
        return self.start(self.machine.unix(found.group(1)), found.group(2).split())


class SilentInstall(InstallerCase):
    def test_install_start_hidden_from_sign_in_entry_reinstall_over_it_and_uninstall(self):
        self.install_silently()
        windows_folder = self.assert_installed()
        self.assertEqual(self.machine.run_entry(), f'"{windows_folder}\\KorvidConfig.exe" /tray')

        # Started as the sign-in would start it: the tray icon, no window.
        program = self.start_from_run_entry()
        DESKTOP.tray_icon()
        main = DESKTOP.wait("the hidden main window", lambda s: s.main(visible=False))
        time.sleep(SETTLE_SECONDS)
        snapshot = DESKTOP.snapshot()
        self.assertIsNone(snapshot.main(visible=True), "a window showed at a start with /tray")
        self.assertEqual([w for w in snapshot.of_process(main.pid) if w.record["class"] != MENU_CLASS], [])
        # The sign-in entry run again while it runs only ends.
        again = self.start_from_run_entry()
        self.assertTrue(again.wait_exit(30), "a second start with /tray kept running")
        time.sleep(SETTLE_SECONDS)
        self.assertIsNone(DESKTOP.snapshot().main(visible=True), "a second start with /tray showed the window")
        # The tray menu's "Config Mouse" shows it.
        x, y = DESKTOP.tray_icon()
        DESKTOP.click_at(x, y, button=3)
        menu = DESKTOP.wait_menu(main.pid, "the tray menu")
        DESKTOP.click_tray_item(menu, CONFIG_MOUSE_ROW)
        shown = DESKTOP.wait_main()
        DESKTOP.screenshot(shown, "installed-program-shown-from-tray")

        # Installing again while it runs closes it first; /STARTUP=0 takes the entry away.
        self.install_silently("/STARTUP=0")
        self.assertTrue(program.wait_exit(30), "the installer did not close the running program")
        self.assert_installed()
        self.assertIsNone(self.machine.run_entry())
        self.install_silently("/STARTUP=1")
        self.assertIsNotNone(self.machine.run_entry())

        # The uninstaller closes a running copy too, and keeps the profile.
        program = self.start_from_run_entry()
        DESKTOP.wait("the hidden main window", lambda s: s.main(visible=False))
        self.uninstall_silently()
        self.assertTrue(program.wait_exit(30), "the uninstaller did not close the running program")
        self.assert_removed()

    def test_a_copy_that_will_not_close_stops_a_silent_install_before_any_file(self):
        holder = self.start(OPTIONS.stubborn_copy, ["60"])
        time.sleep(SETTLE_SECONDS)
        started = time.monotonic()
        code, out, err = DESKTOP.run_wine([OPTIONS.installer, "/S"], timeout=180)
        self.assertEqual(code, 2, f"{out} {err}")
        self.assertGreater(time.monotonic() - started, CLOSE_WAIT_SECONDS, "gave up before the copy had its time")
        self.assertFalse(os.path.exists(self.machine.install_dir()))
        self.assertIsNone(self.machine.values(UNINSTALL_KEY))
        holder.kill()
        self.programs.remove(holder)
        holder.close_log()

    def test_an_install_over_bitmap_sheets_removes_them_and_keeps_config_ini(self):
        # An earlier version's install: its 100 % sheets were bitmaps of the same names.
        self.install_silently()
        resources = os.path.join(self.machine.install_dir(), "Resources")
        stems = {os.path.splitext(name)[0] for name in os.listdir(OPTIONS.resources)
                 if os.path.isfile(os.path.join(OPTIONS.resources, name))}
        for stem in stems:
            with open(os.path.join(resources, stem + ".bmp"), "wb") as old:
                old.write(b"BM an earlier version's sheet")
        with open(os.path.join(resources, "Config.ini"), "w") as ini:
            ini.write("[ConfigData]\n")
        self.install_silently()
        self.assertEqual(files_under(resources), sorted(files_under(OPTIONS.resources) + ["Config.ini"]))
        self.uninstall_silently(kept=["Resources/Config.ini"])

    def test_reinstall_keeps_the_sign_in_choice_unless_told(self):
        self.install_silently("/STARTUP=0")
        self.assertIsNone(self.machine.run_entry())
        self.install_silently()
        self.assertIsNone(self.machine.run_entry(), "a reinstall switched the sign-in entry back on")
        self.uninstall_silently()
        self.assert_removed()


class InstallerPages(InstallerCase):
    def wizard(self, title):
        return DESKTOP.wait_titled(title, timeout=30)

    def shot(self, window, name):
        """The page itself, the client area: the caption above it is Wine's."""
        return DESKTOP.screenshot_screen(name, tuple(window.client))

    def wait_text(self, title, text, timeout=30):
        def found(snapshot):
            # The wizard adds a space to its caption after the first page.
            for window in self.titled(snapshot, title):
                if any(text in plain(c.text) and c.visible for c in window.descendants()):
                    return window
            return None
        return DESKTOP.wait(f"the text {text!r}", found, timeout)

    @staticmethod
    def titled(snapshot, title):
        return [w for w in snapshot.windows if w.title.strip() == title and w.visible]

    def control_with_text(self, title, text):
        """The wizard window and its visible, enabled control showing `text`, once there."""
        def found(snapshot):
            for window in self.titled(snapshot, title):
                for control in window.descendants():
                    if plain(control.text) == text and control.visible and control.enabled:
                        return window, control
            return None
        return DESKTOP.wait(f"the control {text!r}", found)

    def press(self, title, text):
        window, control = self.control_with_text(title, text)
        DESKTOP.click_control(window, control)

    def test_every_page_then_the_uninstaller(self):
        title = f"{PRODUCT} {OPTIONS.software_version.lstrip('V')} Setup"
        self.start(OPTIONS.installer)
        window = self.wait_text(title, f"Welcome to {PRODUCT}")
        self.shot(window, "installer-1-welcome")
        self.press(title, "Next >")

        window = self.wait_text(title, "Setup will install")
        folder = next(c for c in window.descendants() if c.record["class"] == "Edit")
        self.assertEqual(self.machine.unix(folder.text), self.machine.install_dir())
        self.shot(window, "installer-2-folder")
        self.press(title, "Next >")

        window = self.wait_text(title, "Start Korvid Configuration when I sign in")
        checked = self.shot(window, "installer-3-sign-in")
        _, box = self.control_with_text(title, "Start Korvid Configuration when I sign in")
        DESKTOP.click_control(window, box)
        time.sleep(SETTLE_SECONDS)
        unchecked = self.shot(window, "installer-3-sign-in-off")
        square = (box.screen[0] - window.client[0], box.screen[1] - window.client[1], 14, box.screen[3])
        self.assertNotEqual(checked.region(*square), unchecked.region(*square), "the check box did not change")
        self.press(title, "Install")

        window = self.wait_text(title, f"{PRODUCT} is installed", timeout=120)
        self.shot(window, "installer-4-finished")
        self.press(title, "Start Korvid Configuration now")
        time.sleep(SETTLE_SECONDS)
        self.press(title, "Finish")
        DESKTOP.wait("the installer closed", lambda s: not self.titled(s, title), timeout=30)
        self.assertTrue(self.programs[0].wait_exit(30))
        self.assert_installed()
        self.assertIsNone(self.machine.run_entry(), "the sign-in entry written though switched off")
        self.assertIsNone(DESKTOP.snapshot().main(), "the program started though switched off")

        title = f"{PRODUCT} {OPTIONS.software_version.lstrip('V')} Uninstall"
        self.start(os.path.join(self.machine.install_dir(), "Uninstall.exe"))
        window = self.wait_text(title, f"Remove {PRODUCT}")
        self.shot(window, "uninstaller-1-confirm")
        self.press(title, "Uninstall")
        window = self.wait_text(title, f"{PRODUCT} has been removed", timeout=120)
        self.shot(window, "uninstaller-2-finished")
        self.press(title, "Finish")
        DESKTOP.wait("the uninstaller closed", lambda s: not self.titled(s, title), timeout=30)
        self.wait_removed()
        self.assert_removed()


    def test_a_copy_that_will_not_close_is_left_to_the_user(self):
        holder = self.start(OPTIONS.stubborn_copy, ["90"])
        title = f"{PRODUCT} {OPTIONS.software_version.lstrip('V')} Setup"
        setup = self.start(OPTIONS.installer)
        self.wait_text(title, f"Welcome to {PRODUCT}")
        self.press(title, "Next >")
        self.wait_text(title, "Setup will install")
        self.press(title, "Next >")
        self.wait_text(title, "Start Korvid Configuration when I sign in")
        self.press(title, "Install")
        box = self.wait_text(title, f"{PRODUCT} is still running", timeout=CLOSE_WAIT_SECONDS + 30)
        self.shot(box, "installer-5-program-still-running")
        self.press(title, "Cancel")
        self.assertTrue(setup.wait_exit(30), "the installer did not end after Cancel")
        self.assertEqual(setup.process.returncode, 2)
        self.assertFalse(os.path.exists(os.path.join(self.machine.install_dir(), "KorvidConfig.exe")))
        holder.kill()
        self.programs.remove(holder)
        holder.close_log()


GROUPS = (SilentInstall, InstallerPages)


def prepare(options):
    if not os.path.isfile(options.installer):
        sys.exit(f"the installer is not built: {options.installer}")
    # Shortcuts the installer makes must not become menu entries of this
    # machine's desktop.
    os.environ["WINEDLLOVERRIDES"] = "winemenubuilder.exe=d"


if __name__ == "__main__":
    harness.main(GROUPS, __doc__, options=("installer", "resources", "probe", "stubborn-copy", "prefix", "screenshots",
                                           "software-version"),
                 standin_options=False, prefix_beside=False, what="Installer", prepare=prepare)
