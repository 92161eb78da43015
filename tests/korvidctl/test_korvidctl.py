#!/usr/bin/env python3
"""korvidctl against the emulated mouse, as a user runs it.

usage: test_korvidctl.py [--wine | --standin DIR [--length MODE]] KORVIDCTL [GROUP...]
GROUP names test classes to run (default: all).
With --wine the Windows build runs under Wine: then only the cases marked
for Windows run (the logic is the same code as the native build's), plus
the real Win32 HID backend, which must find no mouse among Wine's devices.
With --standin the shipped korvidctl.exe runs under Wine on its real device
path, through the test hid.dll and setupapi.dll in DIR (see
tests/standin/windows/windows_standin.py), without --emulator; MODE is the length
rule the stand-in keeps (collection, the default, or report). Then only the
cases marked for the stand-in run.
"""
import json
import os
import shutil
import stat
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "standin", "windows"))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "emulator"))
import windows_standin as standin  # noqa: E402
from mouse_folder import Mouse, field  # noqa: E402,F401  (field: for the scripts built on this one)

KORVIDCTL = None
WINE = False
STANDIN = None
STANDIN_LENGTH = "collection"

# The default profile packed, at the offsets that matter (offset: bytes).
FACTORY_BYTES = {
    0: "00", 17: "00 04", 21: "01 01", 23: "00 00 00 0D 00 00 00 0D",
    37: "FD C4 15 0D 37 3B 89 0D CE 06 06 0D", 50: "02", 52: "90 01 90 01", 61: "20 03 20 03",
    70: "06", 82: "40 06 40 06", 86: "04 00 00 01", 92: "80 0C 80 0C", 196: "1C 7C 39 0D",
    101: "00 01 00 00 00 00 0F 00 02 00 00 00 00 0F 00 04 00 00 00 00 0F",
    122: "00 10 00 00 00 00 0F 00 08 00 00 00 00 0F 09 F1 00 00 00 00 0F",
    143: "00 00 00 00 00 00 00",
}


def hexbytes(text):
    return bytes.fromhex(text.replace(" ", ""))


class KorvidctlCase(unittest.TestCase):
    # Whether a group runs on the Windows build, and through the stand-in.
    windows = False
    standin = False

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="korvidctl-test-")
        self.mouse = Mouse(os.path.join(self.tmp, "mouse"))
        self.program = KORVIDCTL
        if STANDIN:
            # The shipped program beside the stand-in DLLs, in a folder of its own.
            self.program = standin.install(STANDIN, KORVIDCTL, os.path.join(self.tmp, "program"))

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def command(self, *args, emulated=True):
        command = (["wine"] if WINE else []) + [self.program]
        if emulated and not STANDIN:
            command += ["--emulator", self.mouse.folder]
        return command + list(args)

    def env(self):
        if STANDIN:
            return standin.environment(os.environ, self.mouse.folder, STANDIN_LENGTH)
        env = dict(os.environ)
        env.pop("KORVID_EMULATOR", None)
        return env

    def run_ctl(self, *args, emulated=True):
        result = subprocess.run(self.command(*args, emulated=emulated), capture_output=True, text=True,
                                env=self.env(), timeout=120)
        return result.returncode, result.stdout.replace("\r\n", "\n"), result.stderr.replace("\r\n", "\n")

    def ok(self, *args):
        code, out, err = self.run_ctl(*args)
        self.assertEqual(code, 0, f"korvidctl {' '.join(args)} failed: {err}")
        return out

    def show(self):
        return json.loads(self.ok("show", "--json"))

    def file(self, name):
        return os.path.join(self.tmp, name)

    def assert_block_changed(self, before, after, expected):
        """`after` holds the bytes `expected` names (offset: hex) and
        differs from `before` nowhere else."""
        for offset, want in expected.items():
            want = hexbytes(want)
            self.assertEqual(after[offset:offset + len(want)], want, f"offset {offset}")
        changed = {i for i in range(len(after)) if after[i] != before[i]}
        allowed = {o + k for o, w in expected.items() for k in range(len(hexbytes(w)))}
        self.assertLessEqual(changed, allowed)


class ReadAndShow(KorvidctlCase):
    windows = True
    standin = True

    def test_fresh_mouse_shows_factory_settings(self):
        shown = self.show()
        self.assertEqual(shown["firmware"], "V1.09")
        self.assertEqual([l["cpi"] for l in shown["levels"]], [400, 800, 1600, 3200])
        self.assertEqual([l["enabled"] for l in shown["levels"]], [True] * 4)
        self.assertEqual([l["colour"] for l in shown["levels"]], ["#FDC415", "#373B89", "#CE0606", "#1C7C39"])
        self.assertEqual(shown["liftOff"], "2mm")
        self.assertFalse(shown["smoothing"])
        self.assertEqual([b["label"] for b in shown["buttons"]],
                         ["Left click", "Right click", "Middle click", "IE Forward", "IE Backward"])
        self.assertEqual(self.mouse.commands_sent(), ["03", "07"])

    def test_text_show_and_info(self):
        out = self.ok("show")
        for text in ("V1.09", "400 cpi", "#FDC415", "2mm", "IE Backward"):
            self.assertIn(text, out)
        info = self.ok("info")
        self.assertIn("V1.09", info)
        self.assertIn("VID_31C5&PID_2716", info.upper())

    def test_factory_block_is_the_default_profile_packed(self):
        self.ok("show")
        block = self.mouse.block()
        self.assertEqual(len(block), 1024)
        for offset, expected in FACTORY_BYTES.items():
            want = hexbytes(expected)
            self.assertEqual(block[offset:offset + len(want)], want, f"offset {offset}")
        self.assertEqual(block[201:231], hexbytes("00 00 00 0D 00" * 6))
        dump = self.ok("block")
        self.assertEqual(hexbytes(dump), block)
        self.assertTrue(all(len(line.split()) == 16 for line in dump.splitlines()))


class ChangeAndApply(KorvidctlCase):
    windows = True
    standin = True

    def test_set_changes_exactly_the_named_bytes(self):
        self.ok("show")
        before = self.mouse.block()
        self.ok("set", "cpi1=1225", "level2=off", "colour3=#102030", "lift=3mm", "smoothing=on",
                "button3=ctrl+shift+a", "button4=scroll-down", "button5=disable")
        self.assert_block_changed(before, self.mouse.block(), {
            52: "E2 04 E2 04", 60: "FF", 45: "10 20 30 0D", 70: "0B", 87: "01",
            115: "02 03 04 00 00 00 0F", 122: "01 FF 00 00 00 00 0F", 129: "FF FF 00 00 00 00 0F"})
        # Read, then status, write, commit: the read-modify-write in order.
        self.assertEqual(self.mouse.commands_sent()[2:], ["03", "07", "03", "08", "04"])
        shown = self.show()
        self.assertEqual([b["label"] for b in shown["buttons"]][2:],
                         ["Ctrl+Shift+A", "Scroll Down", "Disable button"])
        self.assertEqual(shown["levels"][0]["cpi"], 1250)
        self.assertFalse(shown["levels"][1]["enabled"])
        self.assertEqual(shown["levels"][2]["colour"], "#102030")
        self.assertEqual(shown["liftOff"], "3mm")
        self.assertTrue(shown["smoothing"])

    def test_cpi_rounding_and_key_labels(self):
        cases = [("cpi2=1224", 1200), ("cpi2=16000", 16000), ("cpi2=50", 50), ("cpi2=74", 50), ("cpi2=75", 100)]
        for assignment, cpi in cases:
            with self.subTest(assignment):
                self.ok("set", assignment)
                self.assertEqual(self.show()["levels"][1]["cpi"], cpi)
        labels = [("f5", "F5"), ("ctrl", "Ctrl"), ("alt+num5", "Alt+NUM 5"), ("win+page up", "Win+PAGE UP"),
                  ("shift+left control", "Shift+Left CONTROL"), ("left", "Left click"), ("middle", "Middle click"),
                  ("ctrl+f13", "Ctrl+F13"), ("f24", "F24")]
        for value, label in labels:
            with self.subTest(value):
                self.ok("set", "button5=" + value)
                self.assertEqual(self.show()["buttons"][4]["label"], label)
        # F13 to F24 go out as their own usages (0x68-0x73), not as Copy and its neighbours.
        self.ok("set", "button5=ctrl+f13")
        self.assertEqual(self.mouse.block()[129:136], bytes([2, 1, 0x68, 0, 0, 0, 0x0F]))

    def test_apply_sends_status_write_commit_only(self):
        self.ok("set", "cpi4=6400")
        self.mouse.clear_log()
        self.ok("reset")
        log = self.mouse.log()
        self.assertEqual([(l[0], field(l, "cmd")) for l in log],
                         [("SET", "03"), ("GET", "03"), ("SET", "08"), ("GET", "08"), ("SET", "04"), ("GET", "04")])
        self.assertEqual(field(log[2], "len"), "1041")
        self.assertEqual(field(log[2], "id"), "A0")
        self.assertEqual(field(log[2], "index"), "0")
        block = self.mouse.block()
        for offset, expected in FACTORY_BYTES.items():
            want = hexbytes(expected)
            self.assertEqual(block[offset:offset + len(want)], want, f"offset {offset}")

    def test_save_and_apply_round_trip(self):
        self.ok("set", "cpi3=2400", "colour1=#00FF00", "button4=alt+f4")
        changed = self.mouse.block()
        saved = self.file("Zo\u00eb's Settings.profile")
        self.ok("save", saved)
        shown = json.loads(self.ok("profile", "show", saved, "--json"))
        self.assertEqual(shown["name"], "Zo\u00eb's Settings")
        self.assertIsNone(shown["firmware"])
        self.assertEqual(shown["buttons"][3]["label"], "Alt+F4")
        self.ok("reset")
        self.assertNotEqual(self.mouse.block(), changed)
        self.ok("apply", saved)
        self.assertEqual(self.mouse.block(), changed)
        code, dump, _ = self.run_ctl("block", saved, emulated=False)
        self.assertEqual(code, 0)
        self.assertEqual(hexbytes(dump), changed)


class BadInput(KorvidctlCase):
    windows = True

    def test_bad_arguments_exit_2_and_touch_nothing(self):
        self.ok("show")
        block = self.mouse.block()
        self.mouse.clear_log()
        cases = [
            ["frobnicate"], ["set"], ["set", "cpi1=49"], ["set", "cpi1=16001"], ["set", "cpi1=abc"],
            ["set", "cpi5=800"], ["set", "level1=maybe"], ["set", "colour1=#GG0000"], ["set", "colour2=#12345"],
            ["set", "lift=4mm"], ["set", "smoothing=yes"], ["set", "button1=right"], ["set", "button3=ctrl+q+w"],
            ["set", "button3=hyper"], ["set", "nonsense"], ["apply"], ["save"], ["show", "extra"],
            ["profile", "show"], ["profile", "list"], ["show", "--verbose"], ["info", "--json"],
            ["set", "level1=off", "level2=off", "level3=off", "level4=off"],
        ]
        for args in cases:
            with self.subTest(args):
                code, out, err = self.run_ctl(*args)
                self.assertEqual(code, 2, out + err)
                self.assertTrue(err.startswith("korvidctl: "), err)
                self.assertEqual(len(err.strip().splitlines()), 1, err)
        self.assertEqual(self.mouse.block(), block)
        self.assertNotIn("08", self.mouse.commands_sent())

    def test_broken_profile_files_exit_2(self):
        self.ok("save", self.file("good.profile"))
        with open(self.file("good.profile"), "rb") as f:
            good = f.read()
        broken = {"missing.profile": None, "empty.profile": b"", "truncated.profile": good[: len(good) // 2],
                  "wrong-magic.profile": b"\x00" + good[1:], "text.profile": b"hello world\n" * 20}
        block = self.mouse.block()
        for name, content in broken.items():
            path = self.file(name)
            if content is not None:
                with open(path, "wb") as f:
                    f.write(content)
            for args in (["apply", path], ["profile", "show", path], ["block", path]):
                with self.subTest(name=name, command=args[0]):
                    code, _, err = self.run_ctl(*args)
                    self.assertEqual(code, 2, err)
                    self.assertIn(name, err)
        self.assertEqual(self.mouse.block(), block)

    def test_help_for_every_command(self):
        for command in ("info", "show", "block", "profile", "save", "apply", "set", "reset"):
            with self.subTest(command):
                code, out, _ = self.run_ctl(command, "--help")
                self.assertEqual(code, 0)
                self.assertIn("usage: korvidctl " + command, out)
        code, out, _ = self.run_ctl("--help")
        self.assertEqual(code, 0)
        self.assertIn("Exit status", out)


class MouseFaults(KorvidctlCase):
    windows = False
    standin = True

    def test_no_mouse_exits_3(self):
        self.ok("show")
        self.mouse.unplug()
        for args in (["info"], ["show"], ["reset"], ["set", "cpi1=800"], ["save", self.file("x.profile")]):
            with self.subTest(args):
                code, _, err = self.run_ctl(*args)
                self.assertEqual(code, 3)
                self.assertIn("no Korvid mouse found", err)
        self.assertFalse(os.path.exists(self.file("x.profile")))

    def test_failing_mouse_exits_4_and_nothing_is_half_written(self):
        self.ok("set", "cpi1=800")
        block = self.mouse.block()
        cases = [
            ("error 5\n", ["show"]),
            ("error 5\n", ["reset"]),
            ("send-error 5 1 cmd=04\n", ["reset"]),
            ("send-error 5 1 cmd=08\n", ["set", "cpi2=3000"]),
            ("status 2 2\n", ["show"]),
            ("short 10 1\n", ["show"]),
            ("get-error 5 1\n", ["reset"]),
        ]
        if STANDIN:
            # A Windows get-feature tells no length: a short reply is the
            # front of the report, the rest zeros, as the stand-in gives it.
            cases = [case for case in cases if not case[0].startswith("short")]
        for faults, args in cases:
            with self.subTest(faults=faults.strip(), args=args):
                self.mouse.faults(faults)
                code, _, err = self.run_ctl(*args)
                self.assertEqual(code, 4, err)
                self.assertEqual(len(err.strip().splitlines()), 1)
                self.assertEqual(self.mouse.block(), block)
                if os.path.exists(self.mouse.path("faults")):
                    os.remove(self.mouse.path("faults"))

    def test_a_refused_request_is_sent_once_and_named(self):
        self.ok("set", "cpi1=800")
        block = self.mouse.block()
        cases = [
            # (faults, command, direction and command of the refused report, what the message names)
            ("send-error 87 4 cmd=08\n", ["set", "cpi2=3000"], ("SET", "08"), "configuration write, error 87"),
            ("send-error 31 4 cmd=03\n", ["show"], ("SET", "03"), "status query, error 31"),
            ("get-error 31 4 cmd=07\n", ["show"], ("GET", "07"), "configuration read, error 31"),
        ]
        for faults, args, refused, named in cases:
            with self.subTest(faults=faults.strip(), args=args):
                self.mouse.clear_log()
                self.mouse.faults(faults)
                code, _, err = self.run_ctl(*args)
                self.assertEqual(code, 4, err)
                self.assertIn(f"the mouse refused the request ({named})", err)
                tries = [l for l in self.mouse.log() if (l[0], field(l, "cmd")) == refused]
                self.assertEqual(len(tries), 1, self.mouse.log())
                self.assertEqual(self.mouse.block(), block)
                os.remove(self.mouse.path("faults"))

    def test_an_interface_the_user_may_not_open_is_named_with_its_own_exit_code(self):
        if STANDIN:
            self.skipTest("through the stand-in the system's CreateFileW opens the interface, not the fault script")
        self.mouse.no_pauses()
        self.mouse.faults("open-error 5 1\n")
        code, _, err = self.run_ctl("show")
        self.assertEqual(code, 6, err)
        self.assertIn("cannot open the mouse's configuration interface", err)
        self.assertIn("VID_31C5&PID_2716&MI_02", err.upper())
        self.assertIn("permission denied", err)

    def test_transient_errors_and_busy_replies_are_ridden_out(self):
        self.ok("show")
        self.mouse.clear_log()
        self.mouse.faults("send-error 21 2\nbusy 2\n")
        self.ok("set", "cpi1=1000")
        log = self.mouse.log()
        sets = [l for l in log if l[0] == "SET"]
        self.assertEqual([field(l, "result") for l in sets[:3]], ["error:21", "error:21", "ok"])
        gets = [field(l, "status") for l in log if l[0] == "GET"]
        self.assertEqual(gets[:3], ["04", "04", "01"])
        self.assertEqual(self.show()["levels"][0]["cpi"], 1000)
        self.assertFalse(os.path.exists(self.mouse.path("faults")))


def factory_block(case):
    """The block of a mouse in factory state, read through korvidctl."""
    case.ok("show")
    return bytearray(case.mouse.block())


# Bytes korvidctl cannot name or the profile cannot carry: a media binding
# written by other software on button 3, a Y CPI that differs from X on
# level 2, a seventh binding record, and a byte no field covers.
FOREIGN_BYTES = {115: "20 05 00 00 00 00 0F", 63: "40 06", 143: "07 06 05 04 03 02 0F", 300: "AB"}


def with_bytes(block, changes):
    block = bytearray(block)
    for offset, text in changes.items():
        want = hexbytes(text)
        block[offset:offset + len(want)] = want
    return block


class TellsTheTruth(KorvidctlCase):
    """korvidctl changes only what it is asked to and says what happened."""
    windows = False

    def save_profile_of(self, block, name):
        """A profile file holding what `block` holds, as `save` writes it."""
        self.mouse.write_block(block)
        path = self.file(name)
        self.ok("save", path)
        return path

    def test_item_table(self):
        factory = factory_block(self)
        foreign = with_bytes(factory, FOREIGN_BYTES)
        no_level = with_bytes(factory, {51: "FF", 60: "FF", 81: "FF", 91: "FF"})
        only_level1 = with_bytes(factory, {60: "FF", 81: "FF", 91: "FF"})
        bad_files = {
            "cpi 0": (with_bytes(factory, {52: "00 00"}), "cpi1 is 0"),
            "cpi 65535": (with_bytes(factory, {63: "FF FF"}), "cpi2 Y is 65535"),
            "cpi off the step": (with_bytes(factory, {82: "07 00"}), "cpi3 is 7"),
            "all levels off": (no_level, "no CPI level is in use"),
            "unknown lift-off": (with_bytes(factory, {70: "07"}), "lift is the unknown code 7"),
            "Y other than X": (with_bytes(factory, {63: "40 06"}), "cpi2 Y is 1600 and X 800"),
            "unknown level switch": (with_bytes(factory, {60: "07"}), "level2 is the unknown switch value 7"),
            "unknown smoothing": (with_bytes(factory, {87: "05"}), "smoothing is the unknown value 5"),
        }
        cases = []
        # (what, block before, args, faults, exit code, stderr holds, block after: None = unchanged)
        cases.append(("set keeps bytes it does not name", foreign, ["set", "cpi1=450"], None, 0, "",
                      with_bytes(foreign, {52: "C2 01 C2 01"})))
        cases.append(("set on a mouse with no level in use", no_level, ["set", "smoothing=on"], None, 0, "",
                      with_bytes(no_level, {87: "01"})))
        cases.append(("set switching off the last level", only_level1, ["set", "level1=off"], None, 2,
                      "at least one CPI level must stay on", None))
        cases.append(("'.' is the main keyboard's", factory, ["set", "button3=."], None, 0, "",
                      with_bytes(factory, {115: "02 00 37 00 00 00 0F"})))
        cases.append(("'/' is the main keyboard's", factory, ["set", "button3=/"], None, 0, "",
                      with_bytes(factory, {115: "02 00 38 00 00 00 0F"})))
        cases.append(("the keypad's '.' has its own name", factory, ["set", "button3=num ."], None, 0, "",
                      with_bytes(factory, {115: "02 00 63 00 00 00 0F"})))
        cases.append(("backspace is the key", factory, ["set", "button3=backspace"], None, 0, "",
                      with_bytes(factory, {115: "02 00 2A 00 00 00 0F"})))
        cases.append(("back is the mouse function", factory, ["set", "button3=back"], None, 0, "",
                      with_bytes(factory, {115: "00 08 00 00 00 00 0F"})))
        cases.append(("mouse gone during the write", factory, ["set", "cpi1=800"], "send-error 1167 1 cmd=08\n",
                      3, "the mouse went away during the command", None))
        cases.append(("interface held by another program", factory, ["show"], "open-error 32 1\n", 4,
                      "the mouse is busy with another program", None))
        cases.append(("commit's reply lost", factory, ["set", "cpi1=1000"], "get-error 1627 4 cmd=04\n", 4,
                      "reply to the commit was lost", "written"))
        cases.append(("commit still busy after the polls", factory, ["set", "cpi1=1000"], "busy 11 cmd=04\n", 4,
                      "the mouse did not confirm the commit", "written"))
        cases.append(("commit answered with another status", factory, ["reset"], "status 2 1 cmd=04\n", 4,
                      "the mouse did not confirm the commit", None))
        cases.append(("block write not confirmed", factory, ["set", "cpi1=1000"], "status 3 1 cmd=08\n", 4,
                      "set failed: the mouse did not take the configuration block", None))
        for what, (block, message) in bad_files.items():
            path = self.save_profile_of(block, what + ".profile")
            cases.append(("apply refuses " + what, factory, ["apply", path], None, 2, message, None))
        # A profile goes only to the onboard slot the mouse says it holds (or the first).
        slot2 = with_bytes(factory, {0: "02", 52: "20 03 20 03"})
        for what, file_block, mouse_block, message in (
                ("index 200", with_bytes(factory, {0: "C8"}), factory, "for onboard slot 200, but the mouse's profile is in slot 0"),
                ("index 2 on a mouse in slot 0", slot2, factory, "for onboard slot 2"),
                ("index 0 on a mouse in slot 2", factory, slot2, ""),
                ("index 2 on a mouse in slot 2", slot2, with_bytes(slot2, {52: "40 06 40 06"}), "")):
            path = self.save_profile_of(file_block, what + ".profile")
            after = None if message else file_block
            cases.append(("apply of " + what, mouse_block, ["apply", path], None, 2 if message else 0, message, after))
        trailing = self.save_profile_of(factory, "trailing.profile")
        with open(trailing, "ab") as f:
            f.write(b"\x00")
        cases.append(("apply refuses a file with bytes after the profile", factory, ["apply", trailing], None, 2,
                      "holds more than one profile", None))
        for args, field in ((["cpi1=800", "cpi1=1600"], "cpi1"), (["colour2=#010203", "color2=#040506"], "colour2"),
                            (["button4=f5", "lift=3mm", "button4=left"], "button4")):
            cases.append(("set refuses " + " ".join(args), factory, ["set", *args], None, 2,
                          f"'{field}' is given twice", None))
        for what, before, args, faults, code, message, after in cases:
            with self.subTest(what):
                self.mouse.write_block(before)
                if faults:
                    self.mouse.faults(faults)
                self.mouse.clear_log()
                got, out, err = self.run_ctl(*args)
                self.assertEqual(got, code, out + err)
                self.assertIn(message, err)
                if code != 0:
                    self.assertEqual(len(err.strip().splitlines()), 1, err)
                if after is None:
                    self.assertEqual(self.mouse.block(), bytes(before))
                elif after == "written":
                    self.assertNotEqual(self.mouse.block(), bytes(before))
                else:
                    self.assertEqual(self.mouse.block().hex(" "), bytes(after).hex(" "))
                if os.path.exists(self.mouse.path("faults")):
                    os.remove(self.mouse.path("faults"))

    def test_show_prints_what_the_mouse_holds(self):
        block = with_bytes(factory_block(self), FOREIGN_BYTES)
        self.mouse.write_block(block)
        text = self.ok("show")
        self.assertIn("3  unnamed binding: type 0x20, code 0x05, extra 0x0000", text)
        self.assertIn("800 cpi  in use  #373B89  (Y 1600 cpi)", text)
        shown = self.show()
        self.assertIsNone(shown["buttons"][2]["label"])
        self.assertEqual((shown["buttons"][2]["type"], shown["buttons"][2]["code"]), (0x20, 5))
        self.assertEqual((shown["levels"][1]["cpi"], shown["levels"][1]["cpiY"]), (800, 1600))
        records = [bytes([b["type"], b["code"]]) + b["extra"].to_bytes(2, "little") for b in shown["buttons"]]
        self.assertEqual(records, [block[101 + 7 * i:105 + 7 * i] for i in range(5)])

    def test_every_key_label_show_prints_set_reads_as_the_same_key(self):
        self.mouse.no_pauses()
        factory = factory_block(self)
        usages = list(range(1, 0xE8))
        for start in range(0, len(usages), 3):
            batch = usages[start:start + 3]
            block = with_bytes(factory, {115 + 7 * i: "02 00 %02X 00 00 00 0F" % u for i, u in enumerate(batch)})
            self.mouse.write_block(block)
            labels = [b["label"] for b in self.show()["buttons"][2:2 + len(batch)]]
            named = [(u, l) for u, l in zip(batch, labels) if l is not None]
            if not named:
                continue
            self.mouse.write_block(factory)
            self.ok("set", *["button%d=%s" % (3 + batch.index(u), l) for u, l in named])
            after = self.mouse.block()
            for usage, label in named:
                offset = 115 + 7 * batch.index(usage)
                with self.subTest(usage=hex(usage), label=label):
                    self.assertEqual(after[offset:offset + 3], bytes([2, 0, usage]))
        # The functions' labels too.
        for function in ("left", "right", "middle", "back", "forward", "scroll-up", "scroll-down", "disable"):
            self.ok("set", "button3=" + function)
            label = self.show()["buttons"][2]["label"]
            record = self.mouse.block()[115:122]
            self.mouse.write_block(factory)
            self.ok("set", "button3=" + label)
            with self.subTest(function=function, label=label):
                self.assertEqual(self.mouse.block()[115:122], record)

    def test_a_binding_show_names_is_the_binding_set_writes_for_that_name(self):
        # Every code of the types the menus know, and of the disabled type:
        # a name is printed only for a record that the name, fed back to
        # `set`, writes again; the others are "unnamed".
        self.mouse.no_pauses()
        factory = factory_block(self)
        records = [(kind, code) for kind in (0x00, 0x01, 0x09, 0xFF) for code in range(256)]
        for start in range(0, len(records), 3):
            batch = records[start:start + 3]
            block = with_bytes(factory, {115 + 7 * i: "%02X %02X 00 00 00 00 0F" % r for i, r in enumerate(batch)})
            self.mouse.write_block(block)
            shown = self.show()["buttons"][2:2 + len(batch)]
            for (kind, code), button in zip(batch, shown):
                label = button["label"]
                if label is None:
                    continue
                self.mouse.write_block(factory)
                self.ok("set", "button3=" + label)
                with self.subTest(type=hex(kind), code=hex(code), label=label):
                    self.assertEqual(self.mouse.block()[115:119], bytes([kind, code, 0, 0]))
        text_block = with_bytes(factory, {115: "01 63 00 00 00 00 0F"})
        self.mouse.write_block(text_block)
        self.assertIn("3  unnamed binding: type 0x01, code 0x63, extra 0x0000", self.ok("show"))

    def test_set_writes_a_buttons_function_and_keeps_the_rest_of_its_record(self):
        self.mouse.no_pauses()
        block = with_bytes(factory_block(self), {115: "01 04 00 00 34 12 0E"})
        self.mouse.write_block(block)
        self.ok("set", "button3=f5")
        self.assertEqual(self.mouse.block()[115:122].hex(" "), "02 00 3e 00 34 12 0e")

    def test_save_writes_a_regular_file_and_nothing_else(self):
        self.mouse.no_pauses()
        target = self.file("kept.profile")
        with open(target, "wb") as f:
            f.write(b"old")
        os.chmod(target, 0o640)
        link = self.file("link.profile")
        os.symlink("kept.profile", link)
        self.ok("save", link)
        self.assertTrue(os.path.islink(link))
        self.assertEqual(os.readlink(link), "kept.profile")
        self.assertEqual(os.stat(target).st_mode & 0o777, 0o640)
        self.assertEqual(json.loads(self.ok("profile", "show", target, "--json"))["name"], "link")

        dangling = self.file("dangling.profile")
        os.symlink("made.profile", dangling)
        self.ok("save", dangling)
        self.assertTrue(os.path.islink(dangling))
        self.assertTrue(os.path.isfile(self.file("made.profile")))

        fifo = self.file("fifo.profile")
        os.mkfifo(fifo)
        device = self.file("device.profile")
        os.mknod(device, 0o600 | stat.S_IFCHR, os.makedev(1, 3))
        folder = self.file("folder.profile")
        os.mkdir(folder)
        missing = os.path.join(self.file("no-such-folder"), "x.profile")
        for path, kind, what in ((fifo, stat.S_ISFIFO, "it is not a regular file"),
                                 (device, stat.S_ISCHR, "it is not a regular file"),
                                 (folder, stat.S_ISDIR, "it is not a regular file")):
            with self.subTest(path=os.path.basename(path)):
                code, _, err = self.run_ctl("save", path)
                self.assertEqual(code, 2, err)
                self.assertIn(what, err)
                self.assertTrue(kind(os.lstat(path).st_mode))
        code, _, err = self.run_ctl("save", missing)
        self.assertEqual(code, 2, err)
        self.assertIn("the folder it would be in does not exist", err)
        self.assertFalse(os.path.exists(os.path.dirname(missing)))
        self.assertEqual([n for n in os.listdir(self.tmp) if n.endswith(".tmp")], [])

    def test_arguments_cannot_drive_the_terminal_and_long_ones_are_cut(self):
        self.mouse.no_pauses()
        hostile = "\x1b]0;pwned\x07\x1b[2J\u009b31m"
        for args in (["set", "cpi1=" + hostile], ["set", hostile + "=1"], ["apply", hostile], [hostile]):
            with self.subTest(args=args):
                code, _, err = self.run_ctl(*args)
                self.assertEqual(code, 2, err)
                for raw in ("\x1b", "\x07", "\u009b"):
                    self.assertNotIn(raw, err)
                self.assertIn("\\x1B]0;pwned\\x07", err)
        code, _, err = self.run_ctl("set", "cpi1=" + "9" * 5000)
        self.assertEqual(code, 2)
        self.assertLess(len(err), 700)
        self.assertTrue(err.rstrip().endswith("..."), err[-40:])

    def test_output_that_fills_the_disk_says_so(self):
        self.mouse.no_pauses()
        for command in (["diag"], ["show"], ["block"]):
            with self.subTest(command=command), open("/dev/full", "w") as full:
                result = subprocess.run(self.command(*command), stdout=full, stderr=subprocess.PIPE, text=True,
                                        env=self.env(), timeout=60)
                self.assertEqual(result.returncode, 5, result.stderr)
                self.assertIn("cannot write the output: No space left on device", result.stderr)

    def test_diag_and_show_give_one_exit_code_for_one_fault(self):
        self.mouse.no_pauses()
        faults = ["get-error 1167 1 cmd=07\n", "send-error 1167 1 cmd=03\n", "error 5\n", "get-error 31 1 cmd=07\n",
                  "open-error 5 1\n", "open-error 32 1\n", "status 2 1 cmd=07\n"]
        for fault in faults:
            with self.subTest(fault=fault.strip()):
                codes = []
                for command in ("show", "diag"):
                    self.mouse.faults(fault)
                    codes.append(self.run_ctl(command)[0])
                    if os.path.exists(self.mouse.path("faults")):
                        os.remove(self.mouse.path("faults"))
                self.assertEqual(codes[0], codes[1], f"show {codes[0]}, diag {codes[1]}")
                self.assertNotEqual(codes[0], 0)

    def test_profile_names_cannot_drive_the_terminal(self):
        self.ok("save", self.file("plain.profile"))
        hostile = "\x1b]0;pwned\x07\x1b[2J\u009b31m"
        path = self.file("hostile.profile")
        with open(self.file("plain.profile"), "rb") as f:
            data = f.read()
        # The name is the string after the magic: a 32-bit count of UTF-16 units.
        old_count = int.from_bytes(data[4:8], "little")
        encoded = hostile.encode("utf-16-le")
        with open(path, "wb") as f:
            f.write(data[:4] + (len(encoded) // 2).to_bytes(4, "little") + encoded + data[8 + 2 * old_count:])
        out = self.ok("profile", "show", path)
        self.assertNotIn("\x1b", out)
        self.assertNotIn("\x07", out)
        self.assertNotIn("\u009b", out)
        self.assertIn("Profile:    \\x1B]0;pwned\\x07\\x1B[2J\\x9B31m", out)
        self.assertEqual(json.loads(self.ok("profile", "show", path, "--json"))["name"], hostile)

    def test_output_that_cannot_be_written_is_a_failure(self):
        with open("/dev/full", "w") as full:
            result = subprocess.run(self.command("show", "--json"), stdout=full, stderr=subprocess.PIPE,
                                    text=True, env=self.env(), timeout=60)
        self.assertEqual(result.returncode, 5, result.stderr)
        self.assertIn("cannot write the output", result.stderr)
        read_end, write_end = os.pipe()
        os.close(read_end)
        result = subprocess.run(self.command("--help"), stdout=write_end, stderr=subprocess.PIPE, text=True,
                                env=self.env(), timeout=60)
        os.close(write_end)
        self.assertEqual(result.returncode, 5, result.stderr)
        self.assertIn("cannot write the output", result.stderr)

    def test_two_saves_to_one_path_at_once_both_succeed(self):
        self.mouse.no_pauses()
        target = self.file("shared.profile")
        for _ in range(10):
            runs = [subprocess.Popen(self.command("save", target), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                     text=True, env=self.env()) for _ in range(3)]
            for run in runs:
                _, err = run.communicate(timeout=60)
                self.assertEqual(run.returncode, 0, err)
            self.ok("profile", "show", target)
        self.assertEqual(sorted(os.listdir(self.tmp)), ["mouse", "shared.profile"])
        # What a killed save left is cleared by a later one once it is old;
        # a fresh one may be a save running now, and other files are not ours.
        names = ["shared.profile.1-2-3.tmp", "shared.profile.4-5-6.tmp", "shared.profile.notes.tmp"]
        for name in names:
            with open(self.file(name), "w") as f:
                f.write("left over")
        hour_ago = time.time() - 3600
        for name in (names[0], names[2]):
            os.utime(self.file(name), (hour_ago, hour_ago))
        self.ok("save", target)
        self.assertEqual(sorted(os.listdir(self.tmp)), sorted(["mouse", "shared.profile"] + names[1:]))


class TwoPrograms(KorvidctlCase):
    """Two korvidctl at once on one mouse: each read-change-write is whole."""
    windows = True
    standin = True

    def test_two_sets_at_once_lose_neither_change(self):
        self.ok("show")
        for round, (first, second) in enumerate([(450, 2250), (500, 2300), (550, 2350)]):
            runs = [subprocess.Popen(self.command("set", assignment), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                     text=True, env=self.env())
                    for assignment in ("cpi1=%d" % first, "cpi2=%d" % second)]
            for run in runs:
                _, err = run.communicate(timeout=120)
                self.assertEqual(run.returncode, 0, err)
            levels = self.show()["levels"]
            self.assertEqual((levels[0]["cpi"], levels[1]["cpi"]), (first, second), f"round {round}")
        # Whole transactions only: status, read, status, write, commit.
        sent = " ".join(self.mouse.commands_sent())
        self.assertRegex(sent, r"^(03 07)( 03 07 03 08 04| 03 07)*$")


class Kills(KorvidctlCase):
    """korvidctl killed with SIGKILL at random moments of apply, save and set.
    KORVID_KILL_RUNS sets the number of kills (default 200; more for a long
    run)."""
    windows = False

    def test_killed_at_random_moments_leaves_whole_blocks_and_readable_profiles(self):
        import random
        import signal
        runs = int(os.environ.get("KORVID_KILL_RUNS", "200"))
        rng = random.Random(int(os.environ.get("KORVID_KILL_SEED", "13")))
        self.mouse.no_pauses()
        self.ok("show")
        blocks = {bytes(self.mouse.block())}
        profile_a, profile_b, saved = self.file("a.profile"), self.file("b.profile"), self.file("saved.profile")
        self.ok("set", "cpi1=1000", "smoothing=on")
        blocks.add(self.mouse.block())
        self.ok("save", profile_a)
        self.ok("set", "cpi1=2000", "button3=ctrl+b")
        blocks.add(self.mouse.block())
        self.ok("save", profile_b)
        self.ok("save", saved)
        commands = [["apply", profile_a], ["apply", profile_b], ["save", saved],
                    ["set", "cpi1=1000", "smoothing=on", "button3=middle"], ["set", "cpi1=2000", "button3=ctrl+b"]]
        # Whole blocks the commands can leave: each command's own result.
        self.ok("set", "cpi1=1000", "smoothing=on", "button3=middle")
        blocks.add(self.mouse.block())
        self.ok("set", "cpi1=2000", "button3=ctrl+b")
        blocks.add(self.mouse.block())
        # How long a command runs here and now: the middle of a few runs.
        durations = []
        for _ in range(5):
            start = time.monotonic()
            self.ok("apply", profile_a)
            durations.append(time.monotonic() - start)
        duration = sorted(durations)[2]
        killed = 0
        for run in range(runs):
            command = rng.choice(commands)
            process = subprocess.Popen(self.command(*command), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                       env=self.env())
            time.sleep(rng.uniform(0, duration * 1.2))
            if process.poll() is None:
                process.send_signal(signal.SIGKILL)
                killed += 1
            process.wait(30)
            with self.subTest(run=run, command=command[0]):
                self.assertIn(self.mouse.block(), blocks, "the block is not one a command writes whole")
                code, _, err = self.run_ctl("profile", "show", saved)
                self.assertEqual(code, 0, "the saved profile is not readable: " + err)
        # The lock died with its holders: the mouse is free.
        self.ok("set", "cpi4=6400")
        self.assertGreater(killed, runs // 10, "too few runs were killed mid-command")


class PlatformBackend(KorvidctlCase):
    windows = True

    def test_platform_hid_backend_finds_no_mouse(self):
        code, out, err = self.run_ctl("info", emulated=False)
        self.assertEqual(code, 3, out + err)
        self.assertEqual(err.strip(), "korvidctl: no Korvid mouse found")


class ClassDriver(KorvidctlCase):
    """Through the stand-in only: what the system's HID class driver sees of
    korvidctl's conversation (the stand-in's call log), and a mouse going
    away while a command waits on it."""
    standin = True

    def test_every_buffer_is_the_collections_length(self):
        saved = self.file("saved.profile")
        for args in (["show"], ["set", "cpi1=1200", "button3=ctrl+b"], ["save", saved], ["reset"], ["apply", saved],
                     ["diag"]):
            self.ok(*args)
        calls = self.mouse.calls()
        self.assertEqual({(c[0], field(c, "cmd")) for c in calls},
                         {("SET", "03"), ("GET", "03"), ("SET", "07"), ("GET", "07"), ("SET", "08"), ("GET", "08"),
                          ("SET", "04"), ("GET", "04")})
        self.assertEqual({(field(c, "len"), field(c, "result")) for c in calls}, {("4097", "ok")})
        self.assertEqual(self.show()["levels"][0]["cpi"], 1200)

    def test_a_refused_request_is_one_call(self):
        self.ok("show")
        block = self.mouse.block()
        for faults, args, refused in [("send-error 31 4 cmd=08\n", ["set", "cpi2=3000"], ("SET", "08")),
                                      ("get-error 87 4 cmd=03\n", ["show"], ("GET", "03"))]:
            with self.subTest(faults=faults.strip()):
                self.mouse.clear_log()
                self.mouse.faults(faults)
                code, _, err = self.run_ctl(*args)
                self.assertEqual(code, 4, err)
                self.assertIn("the mouse refused the request", err)
                tries = [c for c in self.mouse.calls() if (c[0], field(c, "cmd")) == refused]
                self.assertEqual([field(c, "result") for c in tries], ["error:" + faults.split()[1]])
                self.assertEqual(self.mouse.block(), block)
                os.remove(self.mouse.path("faults"))

    def test_an_interface_another_program_holds_is_the_mouse_busy(self):
        self.ok("show")
        block = self.mouse.block()
        holder = standin.Hold(STANDIN, self.mouse.folder, self.env())
        try:
            code, _, err = self.run_ctl("set", "cpi1=1600")
        finally:
            holder.stop()
        self.assertEqual(code, 4, err)
        self.assertIn("the mouse is busy with another program", err)
        self.assertEqual(self.mouse.block(), block)
        self.ok("set", "cpi1=1600")
        self.assertEqual(self.show()["levels"][0]["cpi"], 1600)

    def test_a_busy_mouse_is_waited_for(self):
        self.ok("show")
        self.mouse.clear_log()
        self.mouse.faults("busy 3 cmd=07\n")
        self.ok("set", "cpi1=1500")
        reads = [field(l, "status") for l in self.mouse.log() if l[0] == "GET" and field(l, "cmd") == "07"]
        self.assertEqual(reads, ["04", "04", "04", "01"])
        self.assertEqual(len([c for c in self.mouse.calls() if (c[0], field(c, "cmd")) == ("GET", "07")]), 4)
        self.assertEqual(self.show()["levels"][0]["cpi"], 1500)

    def test_an_unplug_during_apply_is_the_mouse_gone(self):
        self.ok("set", "cpi1=900")
        saved = self.file("saved.profile")
        self.ok("save", saved)
        self.ok("reset")
        block = self.mouse.block()
        self.mouse.clear_log()
        # The block write takes three seconds; the mouse is unplugged once
        # the status query before it has been answered.
        self.mouse.faults("delay 3000 cmd=08\n")
        run = subprocess.Popen(self.command("apply", saved), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               text=True, env=self.env())
        deadline = time.monotonic() + 60
        while not any(l[0] == "GET" and field(l, "cmd") == "03" for l in self.mouse.log()):
            self.assertLess(time.monotonic(), deadline, "the apply never queried the mouse")
            self.assertIsNone(run.poll(), "the apply ended before its write")
            time.sleep(0.02)
        self.mouse.unplug()
        _, err = run.communicate(timeout=60)
        self.assertEqual(run.returncode, 3, err)
        self.assertIn("the mouse went away during the command", err)
        writes = [c for c in self.mouse.calls() if (c[0], field(c, "cmd")) == ("SET", "08")]
        self.assertEqual([field(c, "result") for c in writes], ["error:1167"])
        os.remove(self.mouse.path("unplugged"))
        os.remove(self.mouse.path("faults"))
        self.assertEqual(self.mouse.block(), block)
        self.assertEqual(self.show()["levels"][0]["cpi"], 400)


GROUPS = (ReadAndShow, ChangeAndApply, BadInput, MouseFaults, TellsTheTruth, TwoPrograms, Kills, PlatformBackend,
          ClassDriver)
SELECTED = []


def load_tests(loader, tests, pattern):
    suite = unittest.TestSuite()
    for case in GROUPS:
        if STANDIN and not case.standin:
            continue
        if WINE and not STANDIN and not case.windows:
            continue
        if not STANDIN and case is ClassDriver:
            continue
        if SELECTED and case.__name__ not in SELECTED:
            continue
        suite.addTests(loader.loadTestsFromTestCase(case))
    return suite


def parse_options(args, usage):
    """Takes --wine, --standin DIR and --length MODE off `args` into this
    module's settings; the remaining arguments."""
    global WINE, STANDIN, STANDIN_LENGTH
    while args and args[0] in ("--wine", "--standin", "--length"):
        option = args.pop(0)
        if option == "--wine":
            WINE = True
            continue
        if not args:
            sys.exit(usage)
        value = args.pop(0)
        if option == "--standin":
            WINE, STANDIN = True, os.path.abspath(value)
        elif value in standin.MODES:
            STANDIN_LENGTH = value
        else:
            sys.exit(usage)
    if WINE:
        # A persistent wineserver, otherwise each run waits for a new one; and
        # Wine's services started with no pipe of ours to inherit.
        subprocess.run(["wineserver", "-p"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wine", "cmd.exe", "/c", "exit"], stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return args


if __name__ == "__main__":
    args = parse_options(sys.argv[1:], __doc__)
    if not args or any(name not in [g.__name__ for g in GROUPS] for name in args[1:]):
        sys.exit(__doc__)
    KORVIDCTL = os.path.abspath(args[0])
    SELECTED = args[1:]
    unittest.main(argv=[sys.argv[0], "-v"])
