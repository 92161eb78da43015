#!/usr/bin/env python3
"""The Debian package of korvidctl: what it holds, that the korvidctl in it
runs, its maintainer scripts, its man page and README agreeing with --help,
and lintian's verdict where lintian is installed.

usage: test_deb.py --script build_deb.py --korvidctl BIN --udev-rule RULE --version X.Y.Z --source REPO
"""
import argparse
import gzip
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile
import time
import unittest

ARGS = None

EXPECTED_FILES = {
    "./usr/bin/korvidctl": "-rwxr-xr-x",
    "./usr/lib/udev/rules.d/70-korvid-mouse.rules": "-rw-r--r--",
    "./usr/share/man/man1/korvidctl.1.gz": "-rw-r--r--",
    "./usr/share/doc/korvidctl/copyright": "-rw-r--r--",
    "./usr/share/doc/korvidctl/changelog.gz": "-rw-r--r--",
}


def run(*command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, timeout=300, **kwargs)


def build_package(out):
    return run(sys.executable, ARGS.script, "--korvidctl", ARGS.korvidctl, "--udev-rule", ARGS.udev_rule,
               "--version", ARGS.version, "--source", ARGS.source, "--out", out)


class Package(unittest.TestCase):
    """One package built for the whole class: building it is the slow part."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="korvid-deb-")
        result = build_package(os.path.join(cls.tmp, "out"))
        if result.returncode != 0:
            raise AssertionError("the package did not build: " + result.stderr)
        cls.deb = result.stdout.strip()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def field(self, name):
        return run("dpkg-deb", "-f", self.deb, name).stdout.strip()

    def extracted(self):
        root = tempfile.mkdtemp(dir=self.tmp)
        self.assertEqual(run("dpkg-deb", "-x", self.deb, root).returncode, 0)
        return root

    def test_contents_and_control_fields(self):
        self.assertTrue(os.path.basename(self.deb).startswith(f"korvidctl_{ARGS.version}_"))
        listing = run("dpkg", "-c", self.deb).stdout.splitlines()
        files = {}
        for line in listing:
            mode, owner, _size, _date, _time, path = line.split(None, 5)
            self.assertEqual(owner, "root/root", line)
            if not mode.startswith("d"):
                files[path] = mode
        self.assertEqual(files, EXPECTED_FILES)
        self.assertEqual(self.field("Package"), "korvidctl")
        self.assertEqual(self.field("Version"), ARGS.version)
        self.assertEqual(self.field("Architecture"), run("dpkg", "--print-architecture").stdout.strip())
        depends = self.field("Depends")
        for library in ("libc6 (>=", "libstdc++6 (>="):
            self.assertIn(library, depends)
        with tempfile.TemporaryDirectory() as control:
            run("dpkg-deb", "-e", self.deb, control)
            for script in ("postinst", "postrm"):
                self.assertTrue(os.stat(os.path.join(control, script)).st_mode & stat.S_IXUSR, script)

    def test_extracted_korvidctl_runs(self):
        root = self.extracted()
        korvidctl = os.path.join(root, "usr/bin/korvidctl")
        help_result = run(korvidctl, "--help")
        self.assertEqual(help_result.returncode, 0, help_result.stderr)
        self.assertEqual(help_result.stdout, run(ARGS.korvidctl, "--help").stdout)
        self.assertIn("diag", help_result.stdout)
        show = run(korvidctl, "--emulator", os.path.join(root, "mouse"), "show", "--json")
        self.assertEqual(show.returncode, 0, show.stderr)
        self.assertIn('"firmware"', show.stdout)
        with open(os.path.join(root, "usr/lib/udev/rules.d/70-korvid-mouse.rules")) as rule, \
                open(ARGS.udev_rule) as source:
            self.assertEqual(rule.read(), source.read())

    def test_two_builds_give_the_same_bytes(self):
        again = os.path.join(self.tmp, "again")
        # A second later every file the build makes is newer.
        time.sleep(1.1)
        result = build_package(again)
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(self.deb, "rb") as first, open(result.stdout.strip(), "rb") as second:
            self.assertEqual(first.read(), second.read(), "two builds of the package differ")

    def test_the_udev_rule_gives_the_seat_access_and_no_one_else(self):
        with open(ARGS.udev_rule) as f:
            rules = [line for line in f if line.strip() and not line.startswith("#")]
        self.assertEqual(len(rules), 1)
        self.assertIn('TAG+="uaccess"', rules[0])
        # A mode without a group widens the node to root's group; a group
        # would widen it to that group's members.
        self.assertNotIn("MODE", rules[0])
        self.assertNotIn("GROUP", rules[0])

    def test_the_udev_rule_names_the_models_ids_as_sysfs_shows_them(self):
        with open(os.path.join(ARGS.source, "profile/device_model.h")) as f:
            model = f.read()
        ids = [int(re.search(r"\b%s = (0x[0-9A-Fa-f]+);" % field, model).group(1), 16)
               for field in ("vendorId", "productId")]
        with open(ARGS.udev_rule) as f:
            rule = f.read()
        self.assertIn('ATTRS{idVendor}=="%04x", ATTRS{idProduct}=="%04x"' % tuple(ids), rule)
        self.assertNotIn("@", rule)

    def test_postinst_reloads_udev_when_there_is_one(self):
        with tempfile.TemporaryDirectory() as control:
            run("dpkg-deb", "-e", self.deb, control)
            bin_dir = os.path.join(control, "bin")
            os.mkdir(bin_dir)
            calls = os.path.join(control, "calls")
            # No udevadm at all: the scripts still succeed.
            bare = {"PATH": bin_dir}
            for script, action in (("postinst", "configure"), ("postrm", "remove")):
                result = run("/bin/sh", os.path.join(control, script), action, env=bare)
                self.assertEqual(result.returncode, 0, f"{script} without udevadm: {result.stderr}")
            fake = os.path.join(bin_dir, "udevadm")
            with open(fake, "w") as f:
                f.write(f'#!/bin/sh\necho "$*" >> {calls}\nexit 1\n')
            os.chmod(fake, 0o755)
            # A failing udevadm (no udev daemon) does not fail the install.
            result = run("/bin/sh", os.path.join(control, "postinst"), "configure", env=bare)
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(calls) as f:
                self.assertEqual(f.read().splitlines(), ["control --reload-rules",
                                                         "trigger --subsystem-match=hidraw --action=change"])
            os.remove(calls)
            run("/bin/sh", os.path.join(control, "postinst"), "abort-upgrade", env=bare)
            self.assertFalse(os.path.exists(calls), "postinst reloaded on abort-upgrade")

    def test_man_page_and_readme_carry_the_help_text(self):
        root = self.extracted()
        with gzip.open(os.path.join(root, "usr/share/man/man1/korvidctl.1.gz"), "rt") as f:
            page = f.read()
        self.assertTrue(page.startswith(".TH KORVIDCTL 1 "), page[:80])
        self.assertIn(f"korvidctl {ARGS.version}", page)
        with open(os.path.join(ARGS.source, "README.md")) as f:
            readme = f.read()
        texts = [run(ARGS.korvidctl, "--help").stdout] + \
            [run(ARGS.korvidctl, command, "--help").stdout for command in ("set", "diag")]
        for text in texts:
            self.assertIn(text, readme, "the README's korvidctl text differs from the program's help")
            for line in text.splitlines():
                if line.strip():
                    self.assertIn(line.replace("\\", "\\e").replace("-", "\\-"), page)
        # Every command the program lists has its own section, with its help.
        usage = run(ARGS.korvidctl, "--help").stdout
        listed = [line.split()[0] for line in usage.split("Commands:\n", 1)[1].split("\n\n", 1)[0].splitlines()
                  if line.startswith("  ") and not line.startswith("   ")]
        self.assertIn("diag", listed)
        for command in listed:
            with self.subTest(command=command):
                self.assertIn(".SS " + command + "\n", page)
                first = run(ARGS.korvidctl, command, "--help").stdout.splitlines()[0]
                self.assertIn(first.replace("-", "\\-"), page)
        # What the README tells developers stays out of the users' manual.
        self.assertNotIn("fuse_hidraw", page)
        if shutil.which("groff"):
            result = subprocess.run(["groff", "-man", "-Tutf8", "-ww", "-z"], input=page, capture_output=True,
                                    text=True, timeout=60)
            self.assertEqual(result.stderr, "", "groff warns about the man page")

    @unittest.skipUnless(shutil.which("lintian"), "lintian is not installed")
    def test_lintian_finds_no_error_or_warning(self):
        result = run("lintian", "--fail-on", "error,warning", self.deb)
        findings = [line for line in result.stdout.splitlines() if line[:2] in ("E:", "W:")]
        self.assertEqual(findings, [])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for name in ("script", "korvidctl", "udev-rule", "version", "source"):
        parser.add_argument("--" + name, required=True)
    ARGS, rest = parser.parse_known_args()
    ARGS.korvidctl = os.path.abspath(ARGS.korvidctl)
    unittest.main(argv=[sys.argv[0], "-v"] + rest)
