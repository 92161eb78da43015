#!/usr/bin/env python3
"""The faults a demanding user meets, driven as that user drives the program,
under Wine in Xvfb: the mouse plugged in and out while the window is hidden,
an interface that is not ready when the mouse arrives, Apply clicked many
times, Exit while applies wait, a mouse taking seconds over every report, a
missing background sheet, the stacking after a menu closes, and a soak of
them all.

usage: test_faults.py (the options of test_gui.py) [--long] [GROUP...]

--long runs the soak at its full length (100 unplug/replug cycles and 200
applies, about ten minutes); without it the soak is a short one that fits
the test command.
"""
import json
import os
import random
import shutil
import sys
import threading
import time

import harness
from harness import (ADVANCED, APPLY_TIMEOUT, BUTTON_PAGE, BUTTON_PAGE_APPLY, BUTTON_SETTING, CHANGED_SETTINGS,
                     DESKTOP, FIRMWARE_UPDATE_BUTTON, FIRMWARE_VERSION_TEXT, FIXTURE_TITLE, HELP, ID, IDCANCEL, IDOK,
                     LIST_FILE, MAIN_TITLE, MESSAGE_BOX_TEXT_ID, NO_MOUSE_PAGE, NO_VERSION_TEXT, OPTIONS,
                     MOUSE_PAGE_BUTTONS, NOTICE_PLACES, notice_text, sheet, SMOOTHING_SWITCH, SENSOR_PAGE_APPLY,
                     PAGE_BUTTONS, PAGE_ORIGIN, POINTER_REST, PROFILE_FILE, PROFILE_NAME, SENSOR_PAGE, SETTLE_SECONDS,
                     SUPPORT, WS_EX_TOPMOST, FaultCase, Korvidctl, centre, field, read_profile_list, replies_read,
                     reply_read, wine_path, SAVED_TEXT)

LONG = False

SENT_NOT_CONFIRMED = ("The settings were sent, but the mouse was unplugged before it confirmed. "
                      "Plug it in again to check.")
UNAPPLIED_QUESTION = "Apply your changes?"

CPI1_FIELD = ID.IDC_CPI1_FIELD
BLOCK_BYTES = 1024
# A discovery after an arrival is tried this many times (the first after the
# settle, the others half a second apart) before the window gives up.
ARRIVAL_DISCOVERIES = 9
ARRIVAL_GIVE_UP_SECONDS = 0.9 + 8 * 0.5
# A commit waits 1.5 s: ten clicks in two seconds fall within two applies.
CLICKS, CLICK_INTERVAL_MS = 10, 200
# The new copy waits for the old one to finish its running apply.
SECOND_START_TIMEOUT = 30
# A mouse taking this long over every report, the most a USB stack allows.
SLOW_TRANSFER_MS = 5000
SLOW_MOUSE = f"delay {SLOW_TRANSFER_MS}\n"
# A read of the slow mouse: a status query and a block read, each a set and a get.
SLOW_READ_SECONDS = 4 * SLOW_TRANSFER_MS / 1000 + 10
# How long Exit waits for a running apply before the program ends anyway.
EXIT_BOUND_SECONDS = 15


def sets(log, command):
    return [l for l in log if l[0] == "SET" and field(l, "cmd") == command]


def commits_read(log):
    """The commit replies read, each the end of one apply that reached the mouse."""
    return [l for l in replies_read(log, "04") if reply_read(l)]


def blocks_read(log):
    """The block read replies, each the end of one read of the mouse."""
    return [l for l in replies_read(log, "07") if reply_read(l)]


class HotPlug(FaultCase):
    """The mouse unplugged and plugged in while the window is hidden; an interface not ready in time."""

    def test_unplug_and_replug_while_hidden_then_shown(self):
        main = self.launch()
        self.wait_page(BUTTON_PAGE)
        self.hide(main)
        self.mouse.unplug()
        self.wait_state(NO_MOUSE_PAGE, False, "the no-mouse page behind the hidden window")
        # Other settings are put on the mouse while it is out: the window must read them.
        other = Korvidctl(os.path.join(self.tmp, "other-mouse"))
        other.run("set", "cpi1=1250", "lift=3mm")
        shutil.copyfile(os.path.join(other.mouse_folder, "block.bin"), self.mouse.path("block.bin"))
        start = len(self.mouse.log())
        self.plug_in()
        self.wait_state(BUTTON_PAGE, True, "the button page behind the hidden window")
        self.wait_mouse_read(start)
        self.assert_mouse_read_since(start)
        self.assertIsNone(DESKTOP.snapshot().main(visible=True), "the window showed itself")

        shown = self.bring_back_through_tray()
        self.assertEqual(self.visible_pages(shown), [BUTTON_PAGE])
        self.assertTrue(all(shown.control(b).enabled for b in PAGE_BUTTONS))
        self.assert_selected(DESKTOP.screenshot(shown, "hotplug-hidden-shown-again"), BUTTON_SETTING)
        sensor = self.show_page(ADVANCED)
        self.assertEqual(sensor.control(SENSOR_PAGE).control(CPI1_FIELD).text, "1250")
        DESKTOP.screenshot(sensor, "hotplug-hidden-sensor-page")
        self.assertEqual(self.firmware_text(self.show_page(SUPPORT)), FIRMWARE_VERSION_TEXT)
        self.assertEqual(self.no_popups(), [])

    def test_interface_late_after_the_settle_is_found_by_a_retry(self):
        self.skip_through_standin("the system opens the interface, not the fault script")
        self.launch(unplugged=True)
        self.wait_page(NO_MOUSE_PAGE)
        # The interface refuses the first three opens, past the settle time.
        self.mouse.faults("open-error 32 3\n")
        start = len(self.mouse.log())
        self.plug_in()
        main = self.wait_state(BUTTON_PAGE, True, "the button page after the retries")
        self.assertFalse(os.path.exists(self.mouse.path("faults")), "the retries did not use the faults up")
        self.assert_mouse_read_since(start)
        self.assertEqual(self.firmware_text(self.show_page(SUPPORT)), FIRMWARE_VERSION_TEXT)
        self.assertTrue(all(main.control(b).enabled for b in PAGE_BUTTONS))

    def test_interface_never_ready_falls_back_to_no_mouse_then_a_replug_works(self):
        self.skip_through_standin("the system opens the interface, not the fault script")
        self.launch(unplugged=True)
        self.wait_page(NO_MOUSE_PAGE)
        opens = 1000
        self.mouse.faults(f"open-error 32 {opens}\n")
        self.plug_in()

        def tried(count):
            with open(self.mouse.path("faults")) as f:
                return f.read().split()[2] == str(opens - count)
        # Every discovery opens the interface once: the window gives up after its last.
        self.wait_log("the discoveries", lambda _: tried(ARRIVAL_DISCOVERIES), timeout=ARRIVAL_GIVE_UP_SECONDS + 10)
        time.sleep(1.0)
        self.assertTrue(tried(ARRIVAL_DISCOVERIES), "the window went on discovering after giving up")
        main = self.wait_state(NO_MOUSE_PAGE, False, "the no-mouse page after giving up")
        self.assertEqual(self.visible_pages(main), [NO_MOUSE_PAGE])
        DESKTOP.screenshot(main, "arrival-not-ready-no-mouse")

        os.remove(self.mouse.path("faults"))
        self.mouse.unplug()
        time.sleep(SETTLE_SECONDS)
        start = len(self.mouse.log())
        self.plug_in()
        main = self.wait_state(BUTTON_PAGE, True, "the button page after the later plug-in")
        self.wait_mouse_read(start)
        self.assert_mouse_read_since(start)
        main = self.show_page(SUPPORT)
        self.assertEqual(self.firmware_text(main), FIRMWARE_VERSION_TEXT)
        self.assertNotEqual(self.firmware_text(main), NO_VERSION_TEXT)


    def test_unplug_after_the_commit_is_told_and_the_replug_read_says_whether_the_mouse_holds_them(self):
        self.launch()
        normal = sheet("MSensor_Normal.png")
        for holds in (True, False):
            with self.subTest(holds=holds):
                sensor = self.show_page(ADVANCED)
                before = self.mouse.block()
                self.click_on_page(sensor, SMOOTHING_SWITCH[1])
                start = len(self.mouse.log())
                # The commit's reply comes late: the unplug lands after the commit went out.
                self.mouse.faults("delay 1000 cmd=04\n")
                self.click_on_page(sensor, SENSOR_PAGE_APPLY[1])
                self.wait_log("the commit sent", lambda log: sets(log[start:], "04"))
                self.mouse.unplug()
                popup = DESKTOP.wait_notice("Settings not confirmed", timeout=APPLY_TIMEOUT)
                self.assertEqual(notice_text(popup), SENT_NOT_CONFIRMED)
                self.assertEqual(DESKTOP.snapshot().message_boxes(), [])
                DESKTOP.screenshot(popup, "message-sent-not-confirmed")
                self.dismiss_notice(popup)
                self.clear_faults()
                sent = self.mouse.block()
                self.assertNotEqual(sent, before, "the mouse did not take the commit")
                if not holds:
                    # Another computer puts the mouse's old settings back while it is out.
                    with open(self.mouse.path("block.bin"), "wb") as f:
                        f.write(before)
                start = len(self.mouse.log())
                self.plug_in()
                if holds:
                    # Told as a commit is, with nothing to answer.
                    confirmation = DESKTOP.wait(
                        "the replug's read told as saved",
                        lambda s: next((c for c in [s.saved_confirmation(BUTTON_PAGE)] if c and c.visible), None),
                        timeout=APPLY_TIMEOUT)
                    self.assertEqual(confirmation.text, SAVED_TEXT)
                    self.assert_mouse_read_since(start)
                    DESKTOP.screenshot(self.main(), "replug-holds-settings")
                    self.assertEqual(DESKTOP.snapshot().notices(), [])
                else:
                    answer = DESKTOP.wait_notice("Settings not in the mouse", timeout=APPLY_TIMEOUT)
                    self.assert_mouse_read_since(start)
                    DESKTOP.screenshot(answer, "message-replug-lacks-settings")
                    self.dismiss_notice(answer)
                self.wait_state(BUTTON_PAGE, True, "the button page after the replug")
                self.show_page(ADVANCED)
                # Settings the mouse lacks stay on the page, marked for Apply to send again.
                self.wait_change_mark(SENSOR_PAGE_APPLY[1], normal, not holds, f"replug-{holds}-apply-mark")
        self.apply_and_check(lambda: self.click_on_page(self.main(), SENSOR_PAGE_APPLY[1]))
        self.assertEqual(self.mouse.block(), sent)
        self.wait_change_mark(SENSOR_PAGE_APPLY[1], normal, False, "replug-applied-again", timeout=APPLY_TIMEOUT)


class ManyApplies(FaultCase):
    """Apply clicked many times; an unplug meanwhile; Exit while applies wait, then a new start."""

    def click_apply_many_times(self, main):
        x, y = centre(BUTTON_PAGE_APPLY[1], PAGE_ORIGIN)
        left, top = main.client[0], main.client[1]
        DESKTOP.xdotool("mousemove", left + x, top + y, "click", "--repeat", CLICKS, "--delay",
                        CLICK_INTERVAL_MS, 1, "mousemove", *POINTER_REST)

    def test_ten_clicks_in_two_seconds_write_the_mouse_at_most_twice(self):
        main = self.launch(settings=CHANGED_SETTINGS)
        self.wait_page(BUTTON_PAGE)
        start = len(self.mouse.log())
        self.click_apply_many_times(main)
        self.wait_commit(start)
        # Long enough for every click to have been written, one after the other.
        time.sleep(2 * APPLY_TIMEOUT / 5)
        log = self.mouse.log()[start:]
        self.assertIn(len(commits_read(log)), (1, 2), log)
        self.assertLessEqual(len(sets(log, "03")), 2, log)
        self.assertEqual(self.no_popups(), [])
        self.assertEqual(self.folder.profile_files(), sorted([PROFILE_FILE, LIST_FILE]))

    def test_unplug_during_many_applies_brings_one_failure_message(self):
        main = self.launch(settings=CHANGED_SETTINGS)
        self.wait_page(BUTTON_PAGE)
        block = self.mouse.block()
        start = len(self.mouse.log())
        # Each report waits for the mouse a little, and the commit a second
        # more: the unplug, once the ten clicks are done, lands mid-apply
        # however long the program takes per report.
        self.mouse.faults("busy 3 cmd=08\ndelay 1000 cmd=04\n")
        self.click_apply_many_times(main)
        self.wait_log("the block write begun", lambda log: sets(log[start:], "08"))
        self.mouse.unplug()
        popup = DESKTOP.wait("a failure message", lambda s: next(iter(self.popups(s)), None),
                             timeout=APPLY_TIMEOUT)
        DESKTOP.screenshot(popup, "many-applies-unplugged-message")
        self.close_popup(popup)
        time.sleep(3 * SETTLE_SECONDS + 2)
        self.assertEqual(self.popups(), [], "a second failure message followed the first")
        self.assertEqual(self.mouse.block(), block)
        self.wait_page(NO_MOUSE_PAGE)

    def test_exit_while_applies_wait_then_a_start_within_a_second_shows_the_new_window(self):
        main = self.launch(settings=CHANGED_SETTINGS)
        self.wait_page(BUTTON_PAGE)
        start = len(self.mouse.log())
        self.click_apply_many_times(main)
        self.wait_log("an apply running", lambda log: sets(log[start:], "03"))
        self.choose_exit_software(main)
        # At once, while the old copy still finishes its write.
        second = self.relaunch()
        shown = DESKTOP.wait("the new copy's window", lambda s: s.main(visible=True),
                             timeout=SECOND_START_TIMEOUT)
        self.assertTrue(self.program.wait_exit(5), "the old copy lives on")
        self.assertTrue(second.running())
        self.assertNotEqual(shown.pid, main.pid)
        self.wait_page(BUTTON_PAGE)
        log = self.mouse.log()[start:]
        # The running apply was finished, the one waiting dropped.
        self.assertLessEqual(len(commits_read(log)), 2, log)
        self.assertEqual(len(self.mouse.block()), BLOCK_BYTES)
        DESKTOP.screenshot(shown, "exit-then-start-new-window")


class SlowMouse(FaultCase):
    """A mouse taking 5 s over every report: the window answers the user all along, the
    mouse's settings come when they are read, and Exit ends the program within its bound."""

    def test_start_shows_the_window_at_once_and_the_settings_once_read(self):
        main = self.launch(settings=CHANGED_SETTINGS, faults=SLOW_MOUSE)
        # Shown while the first read still runs: as without the mouse.
        self.assertEqual(blocks_read(self.mouse.log()), [], "the window waited for the mouse before showing")
        self.assertEqual(self.visible_pages(main), [NO_MOUSE_PAGE])
        self.assertFalse(any(main.control(b).enabled for b in MOUSE_PAGE_BUTTONS))
        # A click is handled at once: the window goes to the tray and comes back.
        self.hide(main)
        self.bring_back_through_tray()
        self.assertEqual(blocks_read(self.mouse.log()), [], "the clicks were handled only once the mouse was read")
        self.wait_state(BUTTON_PAGE, True, "the button page once the mouse is read", timeout=SLOW_READ_SECONDS)
        self.assertEqual(len(blocks_read(self.mouse.log())), 1)
        self.clear_faults()
        sensor = self.show_page(ADVANCED)
        self.assertEqual(sensor.control(SENSOR_PAGE).control(CPI1_FIELD).text, "1200")
        self.assertEqual(self.firmware_text(self.show_page(SUPPORT)), FIRMWARE_VERSION_TEXT)

    def test_window_answers_while_it_reads_a_slow_mouse_just_plugged_in(self):
        main = self.launch(unplugged=True)
        self.wait_page(NO_MOUSE_PAGE)
        self.mouse.faults(SLOW_MOUSE)
        start = len(self.mouse.log())
        self.plug_in()
        self.wait_log("the arrival's read begun", lambda log: sets(log[start:], "03"), timeout=SLOW_READ_SECONDS)
        # The page buttons are off until the mouse is read; the window's own buttons answer.
        self.hide(main)
        self.assertEqual(blocks_read(self.mouse.log()[start:]), [], "the click was handled only once the mouse was read")
        self.wait_state(BUTTON_PAGE, True, "the button page once the mouse is read", timeout=SLOW_READ_SECONDS)
        self.clear_faults()
        shown = self.bring_back_through_tray()
        self.assertEqual(self.visible_pages(shown), [BUTTON_PAGE])
        self.assertEqual(self.firmware_text(self.show_page(SUPPORT)), FIRMWARE_VERSION_TEXT)

    def test_pages_switch_while_a_slow_apply_runs_and_update_firmware_waits_behind_it(self):
        main = self.launch(settings=CHANGED_SETTINGS)
        launched = self.install_firmware_tool()
        self.wait_page(BUTTON_PAGE)
        start = len(self.mouse.log())
        self.mouse.faults(SLOW_MOUSE)
        self.click_on_page(main, BUTTON_PAGE_APPLY[1])
        self.wait_log("the apply begun", lambda log: sets(log[start:], "03"), timeout=SLOW_READ_SECONDS)
        # Update Firmware looks for the mouse after the apply; the pages answer meanwhile.
        self.click_on_page(self.show_page(SUPPORT), FIRMWARE_UPDATE_BUTTON)
        for button in (ADVANCED, HELP, BUTTON_SETTING):
            self.show_page(button)
            self.assertEqual(commits_read(self.mouse.log()[start:]), [],
                             f"the click on {button} was handled only once the apply had ended")
        self.assertFalse(os.path.exists(launched), "the tool started before the mouse was found")
        self.clear_faults()
        self.assert_apply_exchange(self.wait_commit(start))
        self.wait_log("the tool's start", lambda _: os.path.exists(launched) and os.path.getsize(launched) > 0)
        self.assertEqual(self.no_popups(), [])

    def test_exit_during_a_slow_apply_ends_the_program_within_its_bound(self):
        main = self.launch(settings=CHANGED_SETTINGS)
        launched = self.install_firmware_tool()
        self.wait_page(BUTTON_PAGE)
        block = self.mouse.block()
        start = len(self.mouse.log())
        self.mouse.faults(SLOW_MOUSE)
        self.click_on_page(main, BUTTON_PAGE_APPLY[1])
        self.wait_log("the apply begun", lambda log: sets(log[start:], "03"), timeout=SLOW_READ_SECONDS)
        # The user asks for the firmware tool, which waits for the apply, then gives up.
        self.click_on_page(self.show_page(SUPPORT), FIRMWARE_UPDATE_BUTTON)
        self.choose_exit_software(main)
        self.assertTrue(self.program.wait_exit(EXIT_BOUND_SECONDS + 10), "the program outlived Exit's bound")
        self.program.log.flush()
        with open(self.program.log.name, "rb") as log:
            output = log.read().decode("utf-8", "replace")
        self.assertEqual(self.program.process.returncode, 0, output[-5000:])
        self.assertNotIn("Unhandled", output)
        # The mouse holds a whole block: the one it had, as the commit was never reached.
        self.assertEqual(self.mouse.block(), block)
        self.assertEqual(commits_read(self.mouse.log()[start:]), [])
        self.assertFalse(os.path.exists(launched), "the tool started after Exit")
        # The mouse is free for the next start, which reads it.
        self.clear_faults()
        start = len(self.mouse.log())
        self.program = self.relaunch()
        self.wait_page(BUTTON_PAGE)
        self.wait_log("the mouse read", lambda log: blocks_read(log[start:]))


class SmallFaults(FaultCase):
    """A missing background sheet; the stacking after the tray menu closes."""

    def test_missing_sheet_reports_ui_load_failed_and_exits(self):
        base = self.tmp
        # The window's background, and a sheet of a page built only when shown.
        for sheet in ("Main_BK.png", "MSensor_Normal.png"):
            with self.subTest(sheet=sheet):
                self.tmp = os.path.join(base, os.path.splitext(sheet)[0])
                os.makedirs(self.tmp)
                self.launch(without=(sheet,))
                box = DESKTOP.wait_message_box("UI load failed!")
                self.assertEqual(box.control(MESSAGE_BOX_TEXT_ID).text, "UI load failed!")
                snapshot = DESKTOP.snapshot()
                self.assertIsNone(snapshot.main(visible=True))
                self.assertEqual([w for w in snapshot.of_process(box.pid) if w.hwnd != box.hwnd and w.title], [])
                DESKTOP.click_control(box, box.control(IDOK) or box.control(IDCANCEL))
                self.assertTrue(self.program.wait_exit(10), "the program did not exit after UI load failed!")
                self.assertEqual(DESKTOP.snapshot().titled(MAIN_TITLE), [])
        self.tmp = base

    def test_exit_with_unapplied_changes_asks_once_apply_discard_or_cancel(self):
        main = self.launch()
        before = self.mouse.block()
        self.click_on_page(self.show_page(ADVANCED), SMOOTHING_SWITCH[1])
        self.choose_exit_software(main)
        question = DESKTOP.wait_notice(UNAPPLIED_QUESTION)
        answers = {name: question.control(control) for name, control in
                   (("cancel", ID.IDC_MESSAGE_CLOSE), ("discard", ID.IDC_MESSAGE_NO), ("apply", ID.IDC_MESSAGE_YES))}
        self.assertEqual([answers[name].rect for name in ("cancel", "discard", "apply")],
                         [list(place) for place in NOTICE_PLACES])
        self.assertTrue(all(a.visible for a in answers.values()))
        self.assert_centred(question, self.main())
        DESKTOP.screenshot(question, "question-unapplied-changes")
        # Cancel: the program stays, the changes with it.
        DESKTOP.click(question, *centre(NOTICE_PLACES[0]))
        DESKTOP.wait("the question closed", lambda s: not s.notices())
        time.sleep(SETTLE_SECONDS)
        self.assertTrue(self.program.running())
        self.assertEqual(self.popups(), [])
        # Discard: the program ends and the mouse keeps what it had.
        self.choose_exit_software(main)
        DESKTOP.click(DESKTOP.wait_notice(UNAPPLIED_QUESTION), *centre(NOTICE_PLACES[1]))
        self.assertTrue(self.program.wait_exit(10), "Discard did not end the program")
        self.assertEqual(self.mouse.block(), before)
        # Apply: written to the mouse, then the program ends.
        self.program = self.relaunch()
        main = DESKTOP.wait_main()
        self.click_on_page(self.show_page(ADVANCED), SMOOTHING_SWITCH[1])
        self.choose_exit_software(main)
        question = DESKTOP.wait_notice(UNAPPLIED_QUESTION)
        start = len(self.mouse.log())
        DESKTOP.click(question, *centre(NOTICE_PLACES[2]))
        self.assert_apply_exchange(self.wait_commit(start))
        self.assertTrue(self.program.wait_exit(10), "Apply did not end the program")
        self.assertNotEqual(self.mouse.block(), before)
        # Nothing unapplied: Exit asks nothing.
        self.program = self.relaunch()
        main = DESKTOP.wait_main()
        self.wait_page(BUTTON_PAGE)
        self.choose_exit_software(main)
        self.assertTrue(self.program.wait_exit(10), "Exit asked although nothing was unapplied")

    def test_exit_whose_apply_fails_stays_with_the_failure_message(self):
        main = self.launch()
        before = self.mouse.block()
        self.click_on_page(self.show_page(ADVANCED), SMOOTHING_SWITCH[1])
        self.mouse.faults("send-error 31 1 cmd=08\n")
        self.choose_exit_software(main)
        DESKTOP.click(DESKTOP.wait_notice(UNAPPLIED_QUESTION), *centre(NOTICE_PLACES[2]))
        failure = DESKTOP.wait_notice("The mouse refused the settings", timeout=APPLY_TIMEOUT)
        self.assertTrue(self.program.running())
        self.dismiss_notice(failure)
        time.sleep(SETTLE_SECONDS)
        self.assertTrue(self.program.running(), "the program ended although the mouse lacks the settings")
        self.assertEqual(self.mouse.block(), before)

    def test_closing_the_tray_menu_leaves_the_window_under_the_program_in_use(self):
        main = self.launch()
        self.start(OPTIONS.fixture)
        other = DESKTOP.wait_started(FIXTURE_TITLE)

        def order(snapshot):
            """Top-level windows from the top of the z-order down."""
            return [w.hwnd for w in snapshot.windows]

        def assert_other_above(snapshot, what):
            stack = order(snapshot)
            self.assertLess(stack.index(other.hwnd), stack.index(main.hwnd), what)
            self.assertFalse(snapshot.main().record["exstyle"] & WS_EX_TOPMOST, what)
        assert_other_above(DESKTOP.snapshot(), "the program in use is not on top to begin with")
        tray_x, tray_y = DESKTOP.tray_icon()
        DESKTOP.click_at(tray_x, tray_y, button=3)
        DESKTOP.wait_menu(main.pid, "the tray menu")
        # Closed without a choice by a click beside it, on the tray's own window.
        DESKTOP.click_at(tray_x + 130, tray_y)
        DESKTOP.wait("the tray menu closed", lambda s: not s.menus(main.pid))
        time.sleep(SETTLE_SECONDS)
        assert_other_above(DESKTOP.snapshot(), "the window rose above the program in use")


class Soak(FaultCase):
    """Unplug and replug, Apply with injected faults, the window shown and hidden; then the
    program still answers, the mouse and the profile folder are whole, and the process holds
    no more than it did."""

    FAULTS = ["", "", "busy 3\n", "busy 25 cmd=04\n", "send-error 31 1 cmd=08\n", "send-error 31 9 cmd=08\n",
              "get-error 31 1 cmd=04\n", "get-error 31 9 cmd=04\n", "status 2 1 cmd=03\n", "short 10 1\n",
              "open-error 32 1\n", "open-error 32 3\n"]
    # The long soak runs for about twenty minutes.
    program_timeout = 3600
    # Resource growth allowed over the soak, from a baseline taken once every
    # page has been built and the first cycles have run.
    HANDLE_BOUND, GDI_BOUND, MEMORY_BOUND = 20, 20, 12 * 1024 * 1024

    def setUp(self):
        super().setUp()
        self.rng = random.Random(int(os.environ.get("KORVID_SOAK_SEED", "1313")))
        self.cycles = 100 if LONG else 8
        self.applies = 200 if LONG else 12
        self.known_blocks = set()   # blocks the mouse held at quiet moments
        self.seen_blocks = set()    # every content block.bin was seen with
        self.watching = False

    # -- the mouse's block, watched all along

    def watch_block(self):
        """Reads block.bin all along: a half-written block would show up here."""
        while self.watching:
            try:
                with open(self.mouse.path("block.bin"), "rb") as f:
                    self.seen_blocks.add(f.read())
            except FileNotFoundError:
                self.seen_blocks.add(b"missing")
            time.sleep(0.01)

    def quiet_point(self):
        """Nothing writes the mouse now: what it holds is a whole block someone committed."""
        self.known_blocks.add(self.mouse.block())

    def usage(self, pid):
        code, out, err = DESKTOP.run_wine([OPTIONS.probe, "usage", str(pid)])
        self.assertEqual(code, 0, err)
        return json.loads(out)

    # -- steps

    def connected(self, shown):
        if shown:
            return self.wait_page(BUTTON_PAGE, "the button page after plugging in")
        return self.wait_state(BUTTON_PAGE, True, "the button page after plugging in (hidden)")

    def plug_in_and_wait_read(self, shown):
        start = len(self.mouse.log())
        self.plug_in()
        self.connected(shown)
        self.wait_mouse_read(start)

    def cycle(self, shown):
        self.mouse.unplug()
        self.wait_state(NO_MOUSE_PAGE, False, "the no-mouse page after the unplug")
        self.close_all_popups()
        self.plug_in_and_wait_read(shown)

    def close_all_popups(self):
        """Closes the failure messages shown, one at a time; never two may be up at once."""
        closed = 0
        while True:
            popups = self.popups()
            if not popups:
                return closed
            self.assertEqual(len(popups), 1, f"a cascade of failure messages: {popups}")
            self.close_popup(popups[0])
            closed += 1

    def apply(self, shown, unplug):
        main = self.main_any()
        faults = self.rng.choice(self.FAULTS)
        if faults:
            self.mouse.faults(faults)
        start = len(self.mouse.log())
        clicks = self.rng.randint(1, 3)
        for _ in range(clicks):
            if shown:
                self.click_on_page(main, BUTTON_PAGE_APPLY[1])
            else:
                self.post_apply(main)
        if unplug:
            time.sleep(self.rng.uniform(0.1, 1.6))
            self.mouse.unplug()
        deadline = time.monotonic() + 3 * APPLY_TIMEOUT
        failures = 0
        while not (failures or commits_read(self.mouse.log()[start:])):
            if time.monotonic() > deadline:
                self.fail(f"the apply never ended (faults {faults!r}); exchange.log: {self.mouse.log()[start:]}")
            time.sleep(0.1)
            failures += self.close_all_popups()
        if unplug or clicks > 1:
            # An apply that waited runs now, or meets the unplugged mouse: it
            # must not add a message.
            self.wait_mouse_quiet()
            failures += self.close_all_popups()
        # Clicks handled after a failure begin a spell of their own, which may fail in turn.
        self.assertLessEqual(failures, clicks, "more failure messages than clicks")
        self.clear_faults()
        self.assert_profile_folder()
        self.quiet_point()
        if unplug:
            self.wait_state(NO_MOUSE_PAGE, False, "the no-mouse page after the unplug")
            self.plug_in_and_wait_read(shown)

    def wait_mouse_quiet(self):
        """Until no report has reached the mouse for longer than a commit's pause."""
        quiet_for = 1.8
        last, since = len(self.mouse.log()), time.monotonic()
        deadline = since + 3 * APPLY_TIMEOUT
        while time.monotonic() - since < quiet_for:
            self.assertLess(time.monotonic(), deadline, "the mouse never went quiet")
            time.sleep(0.1)
            now = len(self.mouse.log())
            if now != last:
                last, since = now, time.monotonic()

    def assert_profile_folder(self):
        files = self.folder.profile_files()
        self.assertIn(LIST_FILE, files)
        _, _, path, exact = read_profile_list(os.path.join(self.folder.profiles, LIST_FILE))
        self.assertTrue(exact)
        self.assertEqual(path, wine_path(os.path.join(self.folder.profiles, PROFILE_FILE)))
        self.assertTrue(os.path.exists(os.path.join(self.folder.profiles, PROFILE_FILE)), files)

    def change_settings(self):
        """Another program changes the mouse while the window waits: the next read and apply carry it."""
        self.ctl.run("set", f"cpi1={self.rng.randrange(50, 16001, 50)}",
                     f"lift={self.rng.choice(['2mm', '3mm'])}")
        self.quiet_point()

    # -- the soak

    def test_soak(self):
        try:
            self.soak()
        except BaseException:
            # What Wine wrote of the program (a crash's backtrace) goes with the failure.
            if getattr(self, "program", None):
                self.program.log.flush()
                with open(self.program.log.name, "rb") as log:
                    print(log.read().decode("utf-8", "replace")[-20000:], file=sys.stderr)
            raise

    def soak(self):
        started = time.monotonic()
        main = self.launch(settings=CHANGED_SETTINGS)
        self.quiet_point()
        for button in (ADVANCED, SUPPORT, HELP, BUTTON_SETTING):
            self.show_page(button)
        self.cycle(True)
        self.apply(True, False)
        baseline = self.usage(main.pid)
        self.watching = True
        watcher = threading.Thread(target=self.watch_block, daemon=True)
        watcher.start()
        try:
            cycles = applies = 1  # the first of each, before the baseline
            for phase, shown in enumerate((True, False)):
                if not shown:
                    self.hide(self.main())
                phase_cycles = self.cycles // 2 - (1 if phase == 0 else 0)
                phase_applies = self.applies // 2 - (1 if phase == 0 else 0)
                steps = ["cycle"] * phase_cycles + ["apply"] * phase_applies
                self.rng.shuffle(steps)
                for number, step in enumerate(steps):
                    if number % 8 == 7:
                        self.change_settings()
                    if step == "cycle":
                        self.cycle(shown)
                        self.quiet_point()
                        cycles += 1
                    else:
                        unplug = self.rng.random() < 0.2
                        self.apply(shown, unplug)
                        applies += 1
                        cycles += 1 if unplug else 0
                if not shown:
                    self.bring_back_through_tray()
        finally:
            self.watching = False
            watcher.join()
        self.quiet_point()
        self.assertEqual([len(block) for block in self.seen_blocks - self.known_blocks], [],
                         "block.bin held something other than a whole block committed")
        self.assertEqual({len(block) for block in self.known_blocks}, {BLOCK_BYTES})

        # The program still answers: every page, the firmware, a clean apply.
        main = self.wait_page(BUTTON_PAGE)
        for button in (ADVANCED, SUPPORT, BUTTON_SETTING):
            self.show_page(button)
        self.assertEqual(self.firmware_text(self.main()), FIRMWARE_VERSION_TEXT)
        self.apply_and_check()
        time.sleep(SETTLE_SECONDS)
        self.assertEqual(self.no_popups(), [])
        saved = self.ctl.profile(os.path.join(self.folder.profiles, PROFILE_FILE))
        self.assertEqual(self.ctl.block(os.path.join(self.folder.profiles, PROFILE_FILE)), self.mouse.block())
        self.assertEqual(saved["name"], PROFILE_NAME)

        after = self.usage(main.pid)
        report = ", ".join(f"{key} {baseline[key]} -> {after[key]}" for key in baseline)
        print(f"\nsoak: {cycles} unplug/replug cycles, {applies} applies in {time.monotonic() - started:.0f} s; "
              f"{report}", file=sys.stderr)
        self.assertLessEqual(after["handles"] - baseline["handles"], self.HANDLE_BOUND, report)
        self.assertLessEqual(after["gdiObjects"] - baseline["gdiObjects"], self.GDI_BOUND, report)
        self.assertLessEqual(after["workingSetBytes"] - baseline["workingSetBytes"], self.MEMORY_BOUND, report)
        DESKTOP.screenshot(self.main(), "soak-after")


GROUPS = (HotPlug, ManyApplies, SlowMouse, SmallFaults, Soak)


if __name__ == "__main__":
    if "--long" in sys.argv:
        sys.argv.remove("--long")
        LONG = True
    harness.main(GROUPS, __doc__)
