#!/usr/bin/env python3
"""Faults a user meets with the program, shown mended, under Wine in Xvfb:
the program and korvidctl on one mouse at the same time, a saved profile
whose name no file can have, and a DataPath that names a file.

usage: test_lock_and_save.py (the options of test_gui.py) [GROUP...]

The harness, the options and the program's folder are harness.py's;
GROUP names test classes of this file (default: all).
"""
import glob
import os
import re
import shutil
import struct
import threading
import time

import harness
from harness import (notice_text, BUTTON_PAGE, BUTTON_PAGE_APPLY, CHANGED_SETTINGS, DESKTOP, LIST_FILE, MESSAGE_BOX_TEXT_ID,
                     PROFILE_FILE, PROFILE_NAME, SETTLE_SECONDS, FaultCase, field, read_profile_list, wine_path)

# What one program's transaction sends: korvidctl's read-change-write, the
# program's apply (status, write, commit).
SET_TRANSACTION = "03 07 03 08 04"
APPLY_TRANSACTION = "03 08 04"
# The program waits this long for another program to finish with the mouse.
MOUSE_LOCK_WAIT_SECONDS = 10
FACTORY_COLOUR1 = "#FDC415"
BUSY_MESSAGE = "The mouse is busy with another program. Try again when it has finished."


def sent_commands(log):
    return " ".join(field(l, "cmd") for l in log if l[0] == "SET" and field(l, "result") == "ok")


class TwoPrograms(FaultCase):
    """The program's apply and korvidctl on the same mouse at the same time."""

    def test_apply_and_a_loop_of_korvidctl_set_lose_no_change_and_never_interleave(self):
        self.launch(settings=CHANGED_SETTINGS)
        # The mouse moves on after the program read it: the program's apply
        # writes back what it read, so a lost update would show this value.
        self.ctl.run("set", "cpi2=2000")
        main = self.wait_page(BUTTON_PAGE)
        self.mouse.clear_log()
        colours = ["#0000%02X" % n for n in (0x11, 0x22, 0x33, 0x44)]
        results = []

        def loop():
            for colour in colours:
                results.append(self.run_ctl("set", "colour1=" + colour, timeout=90))

        korvidctl = threading.Thread(target=loop)
        korvidctl.start()
        # The program's apply once the loop has begun talking to the mouse.
        self.wait_log("korvidctl's first command", lambda log: len(log) > 0)
        self.click_on_page(main, BUTTON_PAGE_APPLY[1])
        korvidctl.join(180)
        self.assertFalse(korvidctl.is_alive())
        self.wait_log("every commit", lambda log: sent_commands(log).count("04") == len(colours) + 1)
        time.sleep(SETTLE_SECONDS)
        self.assertEqual([code for code, _, _ in results], [0] * len(colours), results)
        self.assertEqual(DESKTOP.snapshot().message_boxes(), [])
        # Whole transactions only, one after the other.
        sent = sent_commands(self.mouse.log())
        self.assertRegex(sent, rf"^(({SET_TRANSACTION}|{APPLY_TRANSACTION})( |$))+$")
        order = re.findall(rf"{SET_TRANSACTION}|{APPLY_TRANSACTION}", sent)
        self.assertEqual(sorted(order), sorted([SET_TRANSACTION] * len(colours) + [APPLY_TRANSACTION]))
        # Nothing lost: the program's settings are whole, and korvidctl's
        # colour is the last one set when a set came after the apply.
        shown = self.ctl.show()
        self.assertEqual(shown["levels"][1]["cpi"], 800, "the program's apply was lost to a korvidctl set")
        sets_after_apply = len(order) - 1 - order.index(APPLY_TRANSACTION)
        expected_colour = colours[-1] if sets_after_apply else FACTORY_COLOUR1
        self.assertEqual(shown["levels"][0]["colour"], expected_colour, order)

    def test_an_apply_that_waits_too_long_reports_the_busy_message(self):
        self.launch()
        main = self.wait_page(BUTTON_PAGE)
        self.mouse.clear_log()
        # korvidctl holds the mouse longer than the program waits: the mouse
        # answers its commands busy for a long while.
        self.mouse.faults("busy 10 cmd=03\nbusy 10 cmd=07\nbusy 10 cmd=08\nbusy 10 cmd=04\n")
        result = []
        korvidctl = threading.Thread(target=lambda: result.append(self.run_ctl("set", "cpi3=2400", timeout=90)))
        korvidctl.start()
        self.wait_log("korvidctl holding the mouse", lambda log: len(log) > 0)
        clicked = time.monotonic()
        self.click_on_page(main, BUTTON_PAGE_APPLY[1])
        box = DESKTOP.wait_notice("Mouse busy", timeout=MOUSE_LOCK_WAIT_SECONDS + 15)
        self.assertGreaterEqual(time.monotonic() - clicked, MOUSE_LOCK_WAIT_SECONDS - 1, "the apply did not wait")
        self.assertEqual(notice_text(box), BUSY_MESSAGE)
        DESKTOP.screenshot(box, "message-apply-failed-mouse-busy")
        korvidctl.join(90)
        self.assertEqual(result[0][0], 0, result)
        # The program sent nothing: korvidctl's one transaction is all there is.
        self.assertEqual(sent_commands(self.mouse.log()), SET_TRANSACTION)
        self.assertEqual(self.ctl.show()["levels"][2]["cpi"], 2400)
        self.dismiss_notice(box)
        self.apply_and_wait_for_commit()


def write_profile_list(path, profile_path):
    text = wine_path(profile_path).encode("utf-16-le")
    with open(path, "wb") as f:
        f.write(struct.pack("<IBi", 1, 0, len(text) // 2) + text)


def renamed_profile(data, name):
    """A profile file's bytes with another stored name (the string after the magic)."""
    count = struct.unpack_from("<i", data, 4)[0]
    encoded = name.encode("utf-16-le")
    return data[:4] + struct.pack("<i", len(encoded) // 2) + encoded + data[8 + 2 * count:]


class SavedProfiles(FaultCase):
    """Profiles and data folders a user can end up with."""

    def test_a_profile_stored_as_con_applies_and_saves_as_default_profile(self):
        def prepare():
            source = os.path.join(self.tmp, "source.profile")
            self.ctl.run("save", wine_path(source))
            with open(source, "rb") as f:
                data = f.read()
            os.makedirs(self.folder.profiles)
            foreign = os.path.join(self.folder.profiles, "foreign.profile")
            with open(foreign, "wb") as f:
                f.write(renamed_profile(data, "CON"))
            write_profile_list(os.path.join(self.folder.profiles, LIST_FILE), foreign)

        self.launch_prepared(prepare, settings=CHANGED_SETTINGS)
        self.apply_and_wait_for_commit()
        self.assertEqual(self.folder.profile_files(), sorted([PROFILE_FILE, LIST_FILE]))
        saved = os.path.join(self.folder.profiles, PROFILE_FILE)
        self.assertEqual(read_profile_list(os.path.join(self.folder.profiles, LIST_FILE))[2], wine_path(saved))
        self.assertEqual(self.ctl.profile(saved)["name"], PROFILE_NAME)
        self.assertEqual(self.mouse.block(), self.ctl.block(saved))

    def test_a_damaged_saved_profile_reaches_the_mouse_only_through_the_page_rules(self):
        def prepare():
            # A profile file as other software may leave it: CPI 0 and 65535,
            # a Y other than X, lift-off 9, smoothing 5, no level in use.
            factory = self.mouse.block()
            damaged = bytearray(factory)
            for offset, text in {52: "00 00 00 00", 61: "FF FF FF FF", 82: "40 06 20 03", 70: "09", 87: "05",
                                 51: "FF", 60: "FF", 81: "FF", 91: "FF"}.items():
                data = bytes.fromhex(text)
                damaged[offset:offset + len(data)] = data
            self.mouse.write_block(damaged)
            os.makedirs(self.folder.profiles)
            saved = os.path.join(self.folder.profiles, PROFILE_FILE)
            self.ctl.run("save", wine_path(saved))
            write_profile_list(os.path.join(self.folder.profiles, LIST_FILE), saved)
            self.mouse.write_block(factory)
            # The start's read fails: the window shows the saved profile.
            self.mouse.faults("get-error 31 1 cmd=07\n")

        self.launch_prepared(prepare, settings=("smoothing=off",))
        self.apply_and_check(press=lambda: self.click_on_page(self.main(), BUTTON_PAGE_APPLY[1]))
        shown = self.ctl.show()
        self.assertEqual([(level["cpi"], level["cpiY"], level["enabled"]) for level in shown["levels"]],
                         [(50, 50, True), (16000, 16000, False), (1600, 1600, False), (3200, 3200, False)])
        self.assertEqual((shown["liftOff"], shown["smoothing"]), ("2mm", True))

    def roaming_profiles(self):
        pattern = os.path.join(DESKTOP.prefix, "drive_c", "users", "*", "AppData", "Roaming", "Orvanta", "Korvid")
        return glob.glob(pattern)

    def test_data_path_naming_a_file_applies_into_the_roaming_folder(self):
        for folder in self.roaming_profiles():
            shutil.rmtree(folder)
        blocker = os.path.join(self.tmp, "a file")

        def prepare():
            with open(blocker, "w") as f:
                f.write("not a folder")
            with open(os.path.join(self.folder.app, "Resources", "Config.ini"), "w", newline="\r\n") as ini:
                ini.write(f"[ConfigData]\nDataPath={wine_path(blocker)}\n")

        try:
            self.launch_prepared(prepare)
            self.apply_and_wait_for_commit()
            with open(blocker) as f:
                self.assertEqual(f.read(), "not a folder")
            roaming = self.roaming_profiles()
            self.assertEqual(len(roaming), 1, "the profile did not go to the roaming folder")
            self.assertEqual(sorted(os.listdir(os.path.join(roaming[0], "Profiles"))),
                             sorted([PROFILE_FILE, LIST_FILE]))
        finally:
            for folder in self.roaming_profiles():
                shutil.rmtree(folder)

    def test_data_path_with_a_trailing_backslash_is_that_folder(self):
        def prepare():
            with open(os.path.join(self.folder.app, "Resources", "Config.ini"), "w", newline="\r\n") as ini:
                ini.write(f"[ConfigData]\nDataPath={wine_path(self.folder.data)}\\\n")

        self.launch_prepared(prepare)
        self.apply_and_wait_for_commit()
        self.assertEqual(self.folder.profile_files(), sorted([PROFILE_FILE, LIST_FILE]))


GROUPS = (TwoPrograms, SavedProfiles)


if __name__ == "__main__":
    harness.main(GROUPS, __doc__)
