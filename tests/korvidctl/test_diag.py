#!/usr/bin/env python3
"""korvidctl diag and --verbose against the emulated mouse.

usage: test_diag.py [--wine | --standin DIR [--length MODE]] KORVIDCTL
Runs on the same mouse folder fixture as test_korvidctl.py, with its options.
"""
import os
import re
import sys
import unittest

import test_korvidctl
from test_korvidctl import KorvidctlCase, field, hexbytes

REPORT_LINE = re.compile(r"^korvidctl: \+\s*[0-9.]+ ms  (SET|GET) .* \([0-9.]+ ms\)$")


def block_from_diag(out):
    """The bytes of the diag's hex block: lines '  OFFS  XX XX ...' after its heading."""
    lines = out.split("Configuration block as read (1024 bytes):\n", 1)[1].split("\n\n", 1)[0].splitlines()
    data = b""
    for number, line in enumerate(lines):
        offset, hex_text = line.split(None, 1)
        assert int(offset, 16) == 16 * number, line
        data += hexbytes(hex_text)
    return data


class Diagnostics(KorvidctlCase):
    windows = True

    def test_diag_reports_what_a_bug_report_needs_and_only_reads(self):
        self.ok("set", "cpi1=1200", "colour2=#102030")
        before = self.mouse.block()
        self.mouse.clear_log()
        out = self.ok("diag")

        self.assertRegex(out, r"Program: +korvidctl V\d\.\d\d")
        self.assertRegex(out, r"System: +\S")
        self.assertIn("HID interfaces seen: 4", out)
        # Each interface with its IDs and usages, and only the vendor
        # collection of the mouse taken.
        devices = re.findall(r"vendor (\w{4})  product (\w{4})  release (\w{4})  usage page (\w{4})  usage (\w{4})  -> (.*)",
                             out)
        self.assertEqual([d[:5] for d in devices], [
            ("31C5", "2716", "0109", "0001", "0006"), ("31C5", "2716", "0109", "0001", "0002"),
            ("1D57", "AD03", "0100", "FF01", "0002"), ("31C5", "2716", "0109", "FF01", "0002")])
        self.assertEqual([d[5].startswith("taken") for d in devices], [False, False, False, True])
        self.assertRegex(out, r"Firmware: +V1\.09")
        for step in ("discovery", "status query", "block read"):
            self.assertRegex(out, rf"\n  {step} +ok +[0-9.]+ ms")
        self.assertEqual(block_from_diag(out), before)
        self.assertRegex(out, r"GET len 1041 -> 1041 bytes: A1 01")

        self.assertEqual(self.mouse.block(), before)
        log = self.mouse.log()
        self.assertEqual([(l[0], field(l, "cmd")) for l in log],
                         [("SET", "03"), ("GET", "03"), ("SET", "07"), ("GET", "07")])

    def test_diag_reports_an_absent_or_failing_mouse(self):
        self.ok("show")
        before = self.mouse.block()
        self.mouse.clear_log()
        self.mouse.faults("error 31 cmd=07\n")
        code, out, err = self.run_ctl("diag")
        self.assertEqual(code, 4, out + err)
        self.assertRegex(out, r"\n  status query +ok ")
        self.assertRegex(out, r"\n  block read +FAILED +[0-9.]+ ms  the mouse refused the request, error 31")
        self.assertIn("Result:        the block read failed", out)
        self.assertIn("Configuration block: not read", out)
        self.assertEqual(self.mouse.block(), before)
        self.assertEqual({field(l, "cmd") for l in self.mouse.log()}, {"03", "07"})

        self.mouse.faults("")
        self.mouse.unplug()
        code, out, err = self.run_ctl("diag")
        self.assertEqual(code, 3, out + err)
        self.assertIn("HID interfaces seen: 1", out)
        self.assertIn("-> not taken: another device", out)
        self.assertRegex(out, r"Firmware: +-\.--")
        self.assertRegex(out, r"\n  discovery +FAILED .*no Korvid mouse found")
        self.assertIn("Configuration block: not read", out)


class Verbose(KorvidctlCase):
    windows = True

    def test_verbose_logs_every_report_with_timing_to_stderr(self):
        plain = self.ok("show")
        self.mouse.clear_log()
        code, out, err = self.run_ctl("--verbose", "set", "cpi1=500")
        self.assertEqual(code, 0, err)
        reports = [line for line in err.splitlines() if REPORT_LINE.match(line)]
        # One line per report the mouse saw, in the same order.
        self.assertEqual([line.split()[4] for line in reports], [l[0] for l in self.mouse.log()])
        self.assertIn("SET A0 len 1041: A0 08", err)
        self.assertIn("SET A1 len 64: A1 04", err)
        self.assertRegex(err, r"pause 1500 ms \([0-9]+\.[0-9] ms\)")
        # The output is the command's own.
        code, out, err = self.run_ctl("--verbose", "show")
        self.assertEqual(code, 0, err)
        self.assertEqual(out, plain.replace("400 cpi", "500 cpi"))
        self.assertIn("GET len 1041 -> 1041 bytes", err)


GROUPS = (Diagnostics, Verbose)


def load_tests(loader, tests, pattern):
    suite = unittest.TestSuite()
    for case in GROUPS:
        suite.addTests(loader.loadTestsFromTestCase(case))
    return suite


if __name__ == "__main__":
    args = test_korvidctl.parse_options(sys.argv[1:], __doc__)
    if len(args) != 1:
        sys.exit(__doc__)
    test_korvidctl.KORVIDCTL = os.path.abspath(args[0])
    unittest.main(argv=[sys.argv[0], "-v"])
