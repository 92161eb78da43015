#!/usr/bin/env python3
"""korvidctl as users get it, on Linux's real device path: the native
korvidctl without --emulator finds the mouse through /sys/class/hidraw and
talks to it through /dev/hidrawN, here the Linux stand-in for the HID layer
(tests/standin/linux/standin.py): hidraw nodes that fuse_hidraw serves from
the emulated mouse, with a sysfs tree of our own, in a private mount
namespace.

usage: test_hidraw.py KORVIDCTL FUSE_HIDRAW [GROUP...]
GROUP names test classes to run (default: all). Needs root, /dev/fuse and
util-linux; runs itself again in a mount namespace of its own. Where that
cannot be had it exits with 77 (skipped).
"""
import os
import pwd
import re
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "standin", "linux"))
import standin  # noqa: E402
import test_korvidctl  # noqa: E402
from test_korvidctl import KorvidctlCase, Mouse, field  # noqa: E402

FUSE_HIDRAW = None

UDEV_RULE = next(name[:-len(".in")] for name in os.listdir(os.path.join(standin.ROOT, "packaging", "udev"))
                 if name.endswith(".rules.in"))
EXIT_NO_MOUSE = standin.header_constant("korvidctl/exit_codes.h", "kExitNoMouse")
EXIT_MOUSE_FAILED = standin.header_constant("korvidctl/exit_codes.h", "kExitMouseFailed")
EXIT_NO_PERMISSION = standin.header_constant("korvidctl/exit_codes.h", "kExitNoPermission")
# Where udev reads rules from, in korvidctl diag's order.
UDEV_RULE_FOLDERS = ("/etc/udev/rules.d", "/run/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d")

# The report descriptors a mouse may present, as the nodes they make.
CONFIG_ALONE = ["hidraw0=config"]
LAYOUTS = {
    "the configuration collection alone": CONFIG_ALONE,
    "another vendor collection first on the same node": ["hidraw0=vendor+config"],
    "keyboard and pointer on nodes of their own": ["hidraw0=keyboard", "hidraw1=pointer", "hidraw2=config"],
    "another device with the same usages first": ["hidraw0=config@other", "hidraw1=config"],
}


def config_node(nodes):
    """/dev/hidrawN of the mouse's configuration collection."""
    node = next(n for n in nodes if "config" in n and not n.endswith(standin.OTHER_DEVICE_SUFFIX))
    return "/dev/" + standin.node_name(node)


class HidrawCase(KorvidctlCase):
    """korvidctl run without --emulator, as `user` when one is named, on
    the mouse served by the stand-in."""
    user = None

    def command(self, *args, emulated=True):
        command = [test_korvidctl.KORVIDCTL] + list(args)
        if self.user is None:
            return command
        account = pwd.getpwnam(self.user)
        return ["setpriv", "--reuid=%d" % account.pw_uid, "--regid=%d" % account.pw_gid, "--clear-groups", "--"] + command

    def served(self, nodes, mode="0600", sysfs_details=True):
        """The stand-in serving the mouse on `nodes`, for a `with` block."""
        return standin.HidrawStandin(FUSE_HIDRAW, self.mouse.folder, nodes, mode, sysfs_details)

    def serve_for_the_test(self, nodes=CONFIG_ALONE):
        served = self.served(nodes)
        served.__enter__()
        self.addCleanup(served.__exit__, None, None, None)
        return served

    def fresh_mouse(self, name):
        self.mouse = Mouse(os.path.join(self.tmp, name))

    def clear_faults(self):
        if os.path.exists(self.mouse.path("faults")):
            os.remove(self.mouse.path("faults"))


class Descriptors(HidrawCase):
    def test_show_and_set_on_each_descriptor(self):
        for number, (what, nodes) in enumerate(LAYOUTS.items()):
            self.fresh_mouse("mouse%d" % number)
            with self.subTest(what), self.served(nodes):
                shown = self.show()
                self.assertEqual(shown["firmware"], "V1.09")
                self.assertEqual([level["cpi"] for level in shown["levels"]], [400, 800, 1600, 3200])
                self.assertIn("Interface:  %s\n" % config_node(nodes), self.ok("info"))
                # diag: every node seen, only the configuration node taken.
                verdicts = dict(re.findall(r"\n  (/dev/hidraw\d+)\n    .*-> (taken|not taken)", self.ok("diag")))
                expected_verdicts = {"/dev/" + standin.node_name(node): "not taken" for node in nodes}
                expected_verdicts[config_node(nodes)] = "taken"
                self.assertEqual(verdicts, expected_verdicts)
                before = self.mouse.block()
                self.ok("set", "cpi1=1200", "button3=ctrl+b")
                self.assert_block_changed(before, self.mouse.block(), {52: "B0 04 B0 04", 115: "02 01 05 00 00 00 0F"})
                # Every report went to the configuration interface, and it took each.
                self.assertEqual([field(line, "result") for line in self.mouse.log()], ["ok"] * len(self.mouse.log()))
                self.assertEqual(self.mouse.commands_sent()[-5:], ["03", "07", "03", "08", "04"])


    def test_a_sysfs_that_only_lists_the_nodes(self):
        """As in a container: the IDs and collections come from the nodes'
        own ioctls (the release number is then unknown)."""
        nodes = ["hidraw0=keyboard", "hidraw1=vendor+config"]
        self.fresh_mouse("mouse")
        with self.served(nodes, sysfs_details=False):
            self.assertIn("Interface:  /dev/hidraw1\n", self.ok("info"))
            before = self.mouse.block()
            self.ok("set", "cpi1=1200")
            self.assert_block_changed(before, self.mouse.block(), {52: "B0 04 B0 04"})


class Permission(HidrawCase):
    user = "nobody"

    def test_a_node_the_user_may_not_open_is_named_with_the_udev_rule(self):
        nodes = LAYOUTS["keyboard and pointer on nodes of their own"]
        self.fresh_mouse("mouse")
        with self.served(nodes, mode="0600"):
            before = self.mouse.block()
            for args in (["info"], ["show"], ["set", "cpi1=800"]):
                with self.subTest(args):
                    code, out, err = self.run_ctl(*args)
                    self.assertEqual(code, EXIT_NO_PERMISSION, out + err)
                    self.assertIn(config_node(nodes), err)
                    self.assertIn(UDEV_RULE, err)
                    self.assertIn("permission", err)
                    self.assertEqual(len(err.strip().splitlines()), 1, err)
            code, out, err = self.run_ctl("diag")
            self.assertEqual(code, EXIT_NO_PERMISSION, out + err)
            self.assertIn("Result:        cannot open the mouse's configuration interface %s: permission denied"
                          % config_node(nodes), out)
            self.assertIn("Access:        udev rule " + UDEV_RULE, out)
            self.assertEqual(self.mouse.log(), [])
            self.assertEqual(self.mouse.block(), before)
        # The same nodes open to the user, as the rule makes them: all is well.
        with self.served(nodes, mode="0666"):
            self.ok("set", "cpi1=800")
            self.assertEqual(self.show()["levels"][0]["cpi"], 800)


class Diagnostics(HidrawCase):
    def test_diag_names_the_udev_rule_and_whether_it_is_installed(self):
        with self.served(CONFIG_ALONE) as served:
            # Each folder made writable for this namespace only.
            for folder in sorted({self.existing_ancestor(f) for f in UDEV_RULE_FOLDERS}):
                served.overlay(folder)
            etc, run, usr_lib = (os.path.join(folder, UDEV_RULE) for folder in UDEV_RULE_FOLDERS[:3])
            # (what, the rule's files: path -> a link's target or None for the
            # rule itself, what the access line says)
            cases = [
                ("nowhere", {}, "not installed (looked in " + ", ".join(UDEV_RULE_FOLDERS) + ")"),
                ("as the package installs it", {usr_lib: None}, "installed as " + usr_lib),
                ("by hand", {etc: None}, "installed as " + etc),
                ("for this boot", {run: None}, "installed as " + run),
                ("overridden by the administrator", {usr_lib: None, etc: None}, "installed as " + etc),
                ("switched off by a link to /dev/null", {usr_lib: None, etc: "/dev/null"},
                 "disabled by %s (a link to /dev/null)" % etc),
            ]
            for what, files, expected in cases:
                with self.subTest(what):
                    for folder in UDEV_RULE_FOLDERS:
                        if os.path.lexists(os.path.join(folder, UDEV_RULE)):
                            os.remove(os.path.join(folder, UDEV_RULE))
                    for path, target in files.items():
                        os.makedirs(os.path.dirname(path), exist_ok=True)
                        if target:
                            os.symlink(target, path)
                        else:
                            with open(path, "w") as f:
                                f.write("# the rule\n")
                    access = [line for line in self.ok("diag").splitlines() if line.startswith("Access:")]
                    self.assertEqual(access, ["Access:        udev rule %s, %s" % (UDEV_RULE, expected)])

    @staticmethod
    def existing_ancestor(folder):
        folder = os.path.realpath(folder)
        while not os.path.isdir(folder):
            folder = os.path.dirname(folder)
        return folder


class Faults(HidrawCase):
    def test_an_unplugged_mouse_is_no_mouse(self):
        self.serve_for_the_test(LAYOUTS["keyboard and pointer on nodes of their own"])
        self.ok("show")
        before = self.mouse.block()
        self.mouse.unplug()
        for args in (["info"], ["show"], ["set", "cpi1=800"]):
            with self.subTest(args):
                code, out, err = self.run_ctl(*args)
                self.assertEqual(code, EXIT_NO_MOUSE, out + err)
                self.assertEqual(err.strip(), "korvidctl: no Korvid mouse found")
        os.remove(self.mouse.path("unplugged"))
        self.assertEqual(self.mouse.block(), before)
        self.ok("set", "cpi1=800")

    def test_a_mouse_gone_during_the_write_is_no_mouse(self):
        self.serve_for_the_test()
        self.ok("show")
        before = self.mouse.block()
        self.mouse.faults("send-error 1167 1 cmd=08\n")
        code, out, err = self.run_ctl("set", "cpi1=800")
        self.assertEqual(code, EXIT_NO_MOUSE, out + err)
        self.assertIn("the mouse went away during the command", err)
        self.assertEqual(self.mouse.block(), before)

    def test_errors_as_the_kernel_reports_them(self):
        """The emulated mouse's error reaches korvidctl as the errno the
        kernel gives (fuse_hidraw): a stall (EPIPE) and a malformed request
        (EINVAL) are refusals, sent once; the passing ones are tried again."""
        self.serve_for_the_test()
        self.ok("show")
        cases = [(31, "EPIPE", False), (87, "EINVAL", False), (21, "ETIMEDOUT", True), (23, "EPROTO", True),
                 (1627, "EIO", True)]
        for code, errno_name, retried in cases:
            with self.subTest(errno_name):
                self.clear_faults()
                self.mouse.faults("send-error %d 4 cmd=03\n" % code)
                self.mouse.clear_log()
                got, out, err = self.run_ctl("show")
                self.assertEqual(got, EXIT_MOUSE_FAILED, out + err)
                attempts = [field(line, "result") for line in self.mouse.log() if line[0] == "SET"]
                self.assertEqual(attempts, ["error:%d" % code] * (4 if retried else 1))
                if retried:
                    self.assertIn("(error %d)" % code, err)
                else:
                    self.assertIn("the mouse refused the request", err)
        self.clear_faults()


class TwoPrograms(HidrawCase, test_korvidctl.TwoPrograms):
    """Two korvidctl at once: the lock on the node keeps each change whole."""

    def setUp(self):
        super().setUp()
        self.serve_for_the_test()


GROUPS = (Descriptors, Permission, Diagnostics, Faults, TwoPrograms)
SELECTED = []


def load_tests(loader, tests, pattern):
    suite = unittest.TestSuite()
    for case in GROUPS:
        if not SELECTED or case.__name__ in SELECTED:
            suite.addTests(loader.loadTestsFromTestCase(case))
    return suite


if __name__ == "__main__":
    args = sys.argv[1:]
    if len(args) < 2 or any(name not in [g.__name__ for g in GROUPS] for name in args[2:]):
        sys.exit(__doc__)
    standin.enter_private_namespace()
    test_korvidctl.KORVIDCTL = os.path.abspath(args[0])
    FUSE_HIDRAW = os.path.abspath(args[1])
    SELECTED = args[2:]
    unittest.main(argv=[sys.argv[0], "-v"])
