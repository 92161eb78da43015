#!/usr/bin/env python3
"""The program used from the keyboard alone, what Apply shows while it runs
and after, and the names accessibility tools read, under Wine in Xvfb.

usage: test_keyboard.py (the options of test_gui.py) [GROUP...]

The harness, the options and the program's folder are test_gui.py's; this
module adds its own groups: Keyboard, ApplyFeedback, AccessibleNames.
"""
import os
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import test_gui  # noqa: E402
from test_gui import (ADVANCED, BUTTON_PAGE, BUTTON_SETTING, CLOSE, HELP, HELP_PAGE, MINIMISE,  # noqa: E402
                      PAGE_ORIGIN, RESTORE_TITLE, SENSOR_PAGE, SETTLE_SECONDS, SUPPORT, SUPPORT_PAGE, TRAY_CALLBACK,
                      TRAY_ICON_ID, ProgramCase)
from test_korvidctl import field  # noqa: E402


def DESKTOP():
    return test_gui.DESKTOP


class KeyboardCase(ProgramCase):
    def focused(self, snapshot=None):
        """The control that has the keyboard focus, as (page id or None, control id)."""
        snapshot = snapshot or DESKTOP().snapshot()
        main = snapshot.main()
        for window in [main] + list(main.descendants()):
            for child in window.children:
                if child.hwnd == snapshot.focus:
                    return (window.id if window is not main else None, child.id)
        return None

    def keys(self, *keys):
        DESKTOP().key(self.main() or DESKTOP().snapshot().main(), *keys)


class Keyboard(KeyboardCase):
    def test_explore(self):
        self.launch()
        self.wait_page(BUTTON_PAGE)
        print("start focus", self.focused())
        for i in range(10):
            self.keys("Tab")
            time.sleep(0.2)
            print("tab", i, self.focused())
        shot = DESKTOP().screenshot(self.main(), "explore-focus")


GROUPS = (Keyboard,)


def load_tests(loader, tests, pattern):
    suite = unittest.TestSuite()
    for case in GROUPS:
        if not test_gui.SELECTED or case.__name__ in test_gui.SELECTED:
            suite.addTests(loader.loadTestsFromTestCase(case))
    return suite


if __name__ == "__main__":
    test_gui.main(GROUPS)
