"""Drives Windows programs under Wine in a private X server, as a user does:
the one harness of every GUI script (tests/gui/test_*.py) and of the GUI
benchmark (tools/bench_gui.py).

One Desktop per test run: an Xvfb on a free display, the Wine prefix made
ready once, korvid-probe to look at the windows, xdotool for the pointer and
the keys, ImageMagick for screenshots. Program runs in the background under
`timeout`; every wait polls with a deadline. Below the desktop: the program
in a folder of its own on the emulated mouse (ProgramCase), the faults a
user meets (FaultCase), and the runner every script's main() calls.
"""
import argparse
import json
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import types
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "korvidctl"))
sys.path.insert(0, os.path.join(HERE, "..", "standin", "windows"))
sys.path.insert(0, os.path.join(HERE, "..", "emulator"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "skin"))
import windows_standin as standin  # noqa: E402
from sheet_list import bases, read_list, sheet_path  # noqa: E402
from mouse_folder import Mouse, field, replies_read  # noqa: E402
from test_korvidctl import hexbytes  # noqa: E402

MAIN_TITLE = "Korvid Configuration Software"
MESSAGE_BOX_CLASS = "#32770"
# The confirmation a page shows beside its button once the mouse holds its settings.
CONFIRMATION_CLASS = "KorvidSavedConfirmation"
SAVED_TEXT = "Saved to the mouse"
MESSAGE_BOX_CAPTION = "Korvid Configuration"
MESSAGE_BOX_TEXT_ID = 0xFFFF
# With no shell, Wine keeps the tray icons in a window of its own; the
# first icon's 20x20 cell starts at its client area's top-left corner.
TRAY_TITLE = "Wine System Tray"
TRAY_ICON_CENTRE = (10, 10)
MENU_CLASS = "KorvidQuoMenu"
SCREEN_SIZE = [1280, 1024]
# The screen of the display-scale tests: the main window at 200 % is 2136 x 1294.
LARGE_SCREEN_SIZE = [2400, 1500]
PREFIX_STAMP = "korvid-gui-2.stamp"
# The server ends by itself this long after the last program of the prefix.
SERVER_PERSIST_SECONDS = 10
PREFIX_SETTINGS = [
    # GDI+ draws no "Arial" text at all without a replacement font.
    ("HKCU\\Software\\Wine\\Fonts\\Replacements", "Arial", "Liberation Sans"),
    # Without a window manager, hiding a managed window stalls and keys go nowhere.
    ("HKCU\\Software\\Wine\\X11 Driver", "Managed", "N"),
    # Xvfb's RandR names a disconnected output: Wine would then fall back to
    # a 1024x768 desktop and clip the program's window.
    ("HKCU\\Software\\Wine\\X11 Driver", "UseXRandR", "N"),
]
# ImageMagick itself: an earlier `convert` on PATH may be a stand-in.
CONVERT = "/usr/bin/convert"
IMPORT = "/usr/bin/import"
POLL_SECONDS = 0.05
DUMP_ATTEMPTS = 3
QUIT_GRACE_SECONDS = 5
PROGRAM_TIMEOUT_SECONDS = 120
# A program just started under Wine on a loaded machine may take well over 10 s to show its window.
START_TIMEOUT = 30
# The pointer rests in the screen's bottom-right corner between clicks, off
# every window, so that no button shows its pointer-over look in a
# screenshot: here on the usual screen (Desktop.pointer_rest on any).
POINTER_REST = (1279, 1023)
# The system DPI of a prefix (96 at 100 %), which Wine reads at each program's start.
DPI_KEY = "HKCU\\Control Panel\\Desktop"
LOGICAL_DPI = 96
# What a prefix of another DPI takes from the prepared one; drive C it shares.
DPI_PREFIX_FILES = ("system.reg", "user.reg", "userdef.reg", ".update-timestamp")


class Window:
    """A window as the probe saw it: the JSON record with easier access."""

    def __init__(self, record, parent=None):
        self.record = record
        self.parent = parent
        self.children = [Window(child, self) for child in record.get("children", [])]

    def __getattr__(self, name):
        try:
            return self.record[name]
        except KeyError:
            raise AttributeError(name) from None

    def descendants(self):
        for child in self.children:
            yield child
            yield from child.descendants()

    def control(self, control_id):
        """The first descendant with this control ID, or None."""
        return next((w for w in self.descendants() if w.id == control_id), None)

    def __repr__(self):
        title = self.record.get("title", self.record.get("text"))
        return f"<{self.record['class']} {title!r} id={self.record.get('id')} visible={self.visible}>"


class Snapshot:
    """Every top-level window of the Wine session at one moment."""

    def __init__(self, data):
        self.foreground = data["foreground"]
        self.focus = data.get("focus", 0)
        self.desktop = data["desktop"]
        self.windows = [Window(w) for w in data["windows"]]

    def titled(self, title, visible=None):
        return [w for w in self.windows if w.title == title and (visible is None or w.visible == visible)]

    def main(self, visible=None):
        found = self.titled(MAIN_TITLE, visible)
        return found[0] if found else None

    def of_process(self, pid, visible=True):
        return [w for w in self.windows if w.pid == pid and (visible is None or w.visible == visible)]

    def tray(self):
        """Wine's own tray window, shown while it holds an icon; None when hidden."""
        return next((w for w in self.windows if w.title == TRAY_TITLE and w.visible), None)

    def menus(self, pid):
        """The visible skinned pop-up menus of a process."""
        return [w for w in self.of_process(pid) if w.record["class"] == MENU_CLASS]

    def message_boxes(self):
        return [w for w in self.windows if w.visible and w.record["class"] == MESSAGE_BOX_CLASS
                and w.title == MESSAGE_BOX_CAPTION]

    def saved_confirmation(self, page):
        """The "Saved to the mouse" window of a page of the main window, or None."""
        main = self.main()
        owner = main.control(page) if main else None
        return next((w for w in owner.children if w.record["class"] == CONFIRMATION_CLASS), None) if owner else None

    def notices(self):
        """The skinned pop-ups that tell what happened: titled with their headline,
        their words in the label (the no-mouse pop-up and the restore question aside)."""
        return [w for w in self.windows if w.visible and w.record["class"] == MESSAGE_BOX_CLASS
                and w.title not in (NO_MOUSE_TITLE, RESTORE_TITLE, MESSAGE_BOX_CAPTION)
                and w.control(ID.IDC_MESSAGE_LABEL) is not None and w.control(ID.IDC_MESSAGE_YES) is not None]

    def summary(self):
        return "; ".join(f"{w.title!r}/{w.record['class']} pid={w.pid} visible={w.visible}"
                         for w in self.windows if w.title)


class WaitTimeout(AssertionError):
    pass


def link_or_copy(source, target):
    """A hard link to source at target, or a copy where links cannot be made."""
    try:
        os.link(source, target)
    except OSError:
        shutil.copy2(source, target)


def wine_path(path):
    """The Windows name of a Unix path: drive Z: is the Unix root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def start_xvfb(size=SCREEN_SIZE):
    """A virtual screen of `size` on a free display, ready for clients: its process and its display name."""
    # -displayfd: the server picks a free display and reports it when ready.
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp", "-screen", "0", f"{size[0]}x{size[1]}x24"],
        pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as reader:
        number = reader.readline().strip()
    if not number.isdigit():
        stop_xvfb(xvfb)
        raise RuntimeError("Xvfb did not start")
    return xvfb, ":" + number


def stop_xvfb(xvfb):
    if xvfb.poll() is None:
        xvfb.terminate()
        try:
            xvfb.wait(5)
        except subprocess.TimeoutExpired:
            xvfb.kill()
            xvfb.wait()


class Desktop:
    """An Xvfb display with the Wine prefix ready on it."""

    def __init__(self, prefix=None, probe=None, screenshots=None):
        self.configure(prefix, probe, screenshots)
        self.xvfb = None
        self.display = None
        self.system_pids = set()

    def configure(self, prefix, probe, screenshots, screen_size=SCREEN_SIZE):
        # The prefix programs run in: the prepared one, or one of another DPI beside it (use_dpi).
        self.prefix = self.prepared_prefix = prefix
        self.probe = probe
        self.screenshots = screenshots
        self.screen_size = list(screen_size)

    @property
    def pointer_rest(self):
        return self.screen_size[0] - 1, self.screen_size[1] - 1

    # -- the session

    def start(self):
        self.xvfb, self.display = start_xvfb(self.screen_size)
        try:
            self._prepare_prefix()
            self._check_desktop()
        except BaseException:
            self.stop()
            raise
        os.makedirs(self.screenshots, exist_ok=True)

    def _check_desktop(self):
        if self.snapshot().desktop[2:] != self.screen_size:
            # A server started without this display keeps the null
            # driver's 1024x768 desktop, which clips the window.
            self.restart_server()
        desktop = self.snapshot().desktop[2:]
        if desktop != self.screen_size:
            raise RuntimeError(f"Wine's desktop is {desktop}, not the screen's {self.screen_size}")
        # Windows of Wine's own processes; everything else belongs to a test.
        self.system_pids = {w.pid for w in self.snapshot().windows}

    def stop(self):
        if self.xvfb:
            stop_xvfb(self.xvfb)

    def env(self, **extra):
        env = dict(os.environ)
        env.update(WINEPREFIX=self.prefix, WINEDEBUG="-all", WINEARCH="win64", DISPLAY=self.display)
        env.pop("KORVID_EMULATOR", None)
        env.update(extra)
        return env

    def _quiet(self, command, timeout=120, env=None):
        """Runs a Wine command with no pipe of ours: services it starts must not hold the runner's."""
        return subprocess.run(command, env=env or self.env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout).returncode

    def _server_running(self):
        return self._quiet(["wineserver", "-k0"]) == 0

    def _prepare_prefix(self):
        if not os.path.exists(os.path.join(self.prefix, PREFIX_STAMP)):
            os.makedirs(self.prefix, exist_ok=True)
            if not os.path.exists(os.path.join(self.prefix, "system.reg")):
                # No display and no Mono or Gecko: nothing may ask questions.
                headless = self.env(WINEDLLOVERRIDES="mscoree,mshtml=")
                headless.pop("DISPLAY")
                self._quiet(["wineboot", "-i"], timeout=300, env=headless)
            was_running = self._server_running()
            for key, value, data in PREFIX_SETTINGS:
                if self._quiet(["wine", "reg", "add", key, "/v", value, "/d", data, "/f"]) != 0:
                    raise RuntimeError(f"cannot set {key}\\{value} in {self.prefix}")
            if not was_running:
                # Stored on disk before the stamp says so. A persistent server
                # of another runner is never waited for: it would not end.
                self._quiet(["wineserver", "-w"])
            with open(os.path.join(self.prefix, PREFIX_STAMP), "w") as stamp:
                stamp.write("Arial replaced; unmanaged windows; no XRandR\n")
        self._start_server()

    def _start_server(self):
        self._quiet(["wineserver", f"-p{SERVER_PERSIST_SECONDS}"])
        self._quiet(["wine", "cmd.exe", "/c", "exit"])
        # The first look at the windows starts Wine's desktop process for this display.
        self._quiet(["wine", self.probe, "dump"])

    def use_dpi(self, dpi):
        """From now on runs the programs at `dpi` (96 at 100 %, 144 at 150 %), as
        Windows set to that scale does: in a prefix of their own beside the
        prepared one, made anew from its registry with the system DPI set, on
        its drive C. Returns what a program started there sees (korvid-probe
        dpi: "system" and "logPixels")."""
        prefix = f"{self.prepared_prefix}-dpi{dpi}"
        self.prefix = prefix
        if os.path.exists(os.path.join(prefix, "system.reg")):
            # This run's earlier server there ends before its registry goes.
            self._quiet(["wineserver", "-k"])
            self._quiet(["wineserver", "-w"], timeout=30)
        shutil.rmtree(prefix, ignore_errors=True)
        os.makedirs(prefix)
        for name in DPI_PREFIX_FILES:
            shutil.copy2(os.path.join(self.prepared_prefix, name), prefix)
        shutil.copytree(os.path.join(self.prepared_prefix, "dosdevices"), os.path.join(prefix, "dosdevices"),
                        symlinks=True)
        os.symlink(os.path.join(self.prepared_prefix, "drive_c"), os.path.join(prefix, "drive_c"))
        if self._quiet(["wine", "reg", "add", DPI_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi),
                        "/f"]) != 0:
            raise RuntimeError(f"cannot set the DPI in {prefix}")
        # Wine's desktop process, started by the first program, takes the
        # DPI at its start too: everything starts anew with it set.
        self._quiet(["wineserver", "-k"])
        self._quiet(["wineserver", "-w"], timeout=30)
        self._start_server()
        self._check_desktop()
        code, out, err = self.run_wine([self.probe, "dpi"])
        if code != 0:
            raise RuntimeError(f"korvid-probe dpi failed ({code}): {err}")
        return json.loads(out)

    def send_dpi_changed(self, window, dpi, rect):
        """WM_DPICHANGED to a window, as Windows sends it when the window moves to a
        monitor of another scale: the new DPI and the suggested window
        rectangle (x, y, width, height)."""
        x, y, width, height = rect
        code, _, err = self.run_wine([self.probe, "dpi-changed", str(window.hwnd), str(dpi), str(x), str(y),
                                      str(x + width), str(y + height)])
        if code != 0:
            raise RuntimeError(f"korvid-probe dpi-changed failed ({code}): {err}")

    def restart_server(self):
        """The last resort when a program will not go: ends every process of the prefix."""
        self._quiet(["wineserver", "-k"])
        self._quiet(["wineserver", "-w"], timeout=30)
        self._start_server()
        self.system_pids = {w.pid for w in self.snapshot().windows}

    def run_wine(self, args, timeout=60, **extra_env):
        """Runs a Windows console program; returns its exit status, output and errors.
        The output goes through files, not pipes: a Wine service the program
        happens to start (the desktop process) would hold a pipe open."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run(["wine"] + list(args), env=self.env(**extra_env), stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=err, timeout=timeout).returncode
            out.seek(0)
            err.seek(0)
            return code, out.read().decode("utf-8", "replace").replace("\r\n", "\n"), \
                err.read().decode("utf-8", "replace")

    # -- looking

    def snapshot(self):
        # Under load Wine now and then fails to start a process at all (status
        # 1, nothing written); the dump only looks, so it is simply run again.
        for attempt in range(DUMP_ATTEMPTS):
            code, out, err = self.run_wine([self.probe, "dump"])
            if code == 0:
                return Snapshot(json.loads(out))
            print(f"korvid-probe dump failed ({code}) on attempt {attempt + 1}: {err}", file=sys.stderr)
            time.sleep(POLL_SECONDS)
        raise RuntimeError(f"korvid-probe dump failed ({code}) {DUMP_ATTEMPTS} times: {err}")

    def wait(self, what, predicate, timeout=10):
        """Polls the windows until predicate(snapshot) gives a true value, and returns it."""
        deadline = time.monotonic() + timeout
        while True:
            snapshot = self.snapshot()
            result = predicate(snapshot)
            if result:
                return result
            if time.monotonic() > deadline:
                raise WaitTimeout(f"timed out after {timeout} s waiting for {what}; windows: {snapshot.summary()}")
            time.sleep(POLL_SECONDS)

    def wait_main(self, timeout=START_TIMEOUT):
        return self.wait("the visible main window", lambda s: s.main(visible=True), timeout)

    def wait_titled(self, title, timeout=10):
        return self.wait(f"a window titled {title!r}", lambda s: next(iter(s.titled(title, True)), None),
                         timeout)

    def wait_started(self, title):
        """Waits for the first window of a program that was just started."""
        return self.wait_titled(title, START_TIMEOUT)

    def wait_message_box(self, text, timeout=10):
        def found(snapshot):
            for box in snapshot.message_boxes():
                label = box.control(MESSAGE_BOX_TEXT_ID)
                if label is not None and label.text and label.text.startswith(text):
                    return box
            return None
        return self.wait(f"the message box {text!r}", found, timeout)

    def wait_notice(self, headline, timeout=10):
        """The skinned pop-up titled `headline`; its words are notice_text(popup)."""
        return self.wait(f"the pop-up {headline!r}",
                         lambda s: next((w for w in s.notices() if w.title == headline), None), timeout)

    # -- acting, as a user

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env(), check=True, timeout=20,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)

    def click(self, window, x, y):
        """A left click at client coordinates of a top-level window; the pointer then rests off it."""
        left, top = window.client[0] - window.rect[0], window.client[1] - window.rect[1]
        self.xdotool("mousemove", "--window", window.xid, x + left, y + top, "click", "1",
                     "mousemove", *self.pointer_rest)

    def click_control(self, window, control):
        """A left click at the centre of a control of the top-level window."""
        x = control.screen[0] + control.screen[2] // 2 - window.client[0]
        y = control.screen[1] + control.screen[3] // 2 - window.client[1]
        self.click(window, x, y)

    def click_at(self, x, y, button=1, repeat=1):
        """Clicks at a point of the screen; the pointer stays there."""
        self.xdotool("mousemove", x, y, "click", "--repeat", repeat, "--delay", 60, button)

    def click_and_rest(self, x, y, button=1):
        """Clicks at a point of the screen; the pointer then rests off every window."""
        self.xdotool("mousemove", x, y, "click", button, "mousemove", *self.pointer_rest)

    def wait_unmapped(self, window, timeout=5):
        """Waits until the X server has unmapped a window that Wine already hides: a
        click sent before then would still land on it."""
        deadline = time.monotonic() + timeout
        while True:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."], env=self.env(),
                                   capture_output=True, text=True, timeout=20).stdout.split()
            if str(window.xid) not in found:
                return
            if time.monotonic() > deadline:
                raise WaitTimeout(f"X window {window.xid} still mapped after {timeout} s")
            time.sleep(POLL_SECONDS)

    def tray_icon(self):
        """The screen point of the first tray icon."""
        tray = self.wait("the tray icon", lambda s: s.tray())
        return tray.client[0] + TRAY_ICON_CENTRE[0], tray.client[1] + TRAY_ICON_CENTRE[1]

    def post(self, window, message, wparam=0, lparam=0):
        """Posts a message to a window as another program would; message may be a registered name."""
        code, _, err = self.run_wine([self.probe, "post", str(window.hwnd), str(message), str(wparam),
                                      str(lparam)])
        if code != 0:
            raise RuntimeError(f"korvid-probe post failed ({code}): {err}")

    def key(self, window, *keys):
        """Keys sent to a window after the X focus has gone to it."""
        self.xdotool("windowfocus", window.xid, "key", "--window", window.xid, *keys)

    def press_keys(self, window, *keys):
        """Real key presses: the X server hands them to the window it has focused."""
        self.xdotool("windowfocus", window.xid, "key", *keys)

    def screenshot(self, window, name):
        """The window's pixels once they stop changing, kept as <name>.png."""
        return self._steady_import(name, ["-window", str(window.xid)])

    def screenshot_screen(self, name, region):
        """A region of the whole screen (x, y, width, height) once its pixels stop
        changing, kept as <name>.png: pop-up menus are windows of their own
        beside the window they belong to."""
        x, y, width, height = region
        return self._steady_import(name, ["-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage"])

    def screenshot_with_menus(self, window, name):
        """The screen where a top-level window is, with its menus over it."""
        return self.screenshot_screen(name, window.rect)

    def screenshot_now(self, name, region):
        """A region of the whole screen as it is at this moment, changing or
        not (frames of a change as it happens), kept as <name>.png."""
        x, y, width, height = region
        path = os.path.join(self.screenshots, name + ".png")
        subprocess.run([IMPORT, "-display", self.display, "-window", "root", "-crop",
                        f"{width}x{height}+{x}+{y}", "+repage", path], check=True, timeout=20,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return Image(path)

    def _steady_import(self, name, what):
        path = os.path.join(self.screenshots, name + ".png")
        previous = None
        deadline = time.monotonic() + 3
        while True:
            subprocess.run([IMPORT, "-display", self.display] + what + [path], check=True, timeout=20,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            with open(path, "rb") as f:
                current = f.read()
            if current == previous or time.monotonic() > deadline:
                return Image(path)
            previous = current
            time.sleep(0.1)

    # -- menus: skinned pop-up menus, each a top-level window of its own

    def wait_menus(self, pid, count, what):
        """The visible skinned menus of a process once there are `count` of them."""
        found = []

        def counted(snapshot):
            found[:] = snapshot.menus(pid)
            return len(found) == count
        self.wait(what, counted)
        return found

    def open_menu(self, pid, press, what):
        """Presses what opens a menu; the menu once it shows and its opener has noted it."""
        press()
        menu = self.wait_menus(pid, 1, what)[0]
        time.sleep(MENU_NOTE_SECONDS)
        return menu

    def click_tray_item(self, menu, row, dpi=LOGICAL_DPI):
        """Clicks on the text of an item of the tray icon's menu (drawn at `dpi`)."""
        self.click_at(menu.rect[0] + scaled(30, dpi), menu_item_centre(menu, row, dpi)[1])

    def wait_menu(self, pid, what="the menu"):
        """The first visible skinned menu of a process, once there is one."""
        return self.wait(what, lambda s: next(iter(s.menus(pid)), None))


# Menu geometry: items one 16-pixel text line high from 4 pixels below the
# top, 8 pixels added to the height, a 15-pixel strip at the right outside
# every item.
MENU_ITEM_HEIGHT, MENU_ITEM_TOP, MENU_EXTRA_HEIGHT, MENU_RIGHT_STRIP = 16, 4, 8, 15
MENU_FRAME = (0xFD, 0xC4, 0x15)
# A combo notes its open menu every 100 ms; a press that is to close the
# menu must come after the first note.
MENU_NOTE_SECONDS = 0.25


def menu_height(items):
    return items * MENU_ITEM_HEIGHT + MENU_EXTRA_HEIGHT


def menu_item_centre(menu, index, dpi=LOGICAL_DPI):
    """The screen point at the centre of a menu's item, left of its strip, in a menu drawn at `dpi`."""
    x, y, width, _ = menu.rect
    return (x + (width - scaled(MENU_RIGHT_STRIP, dpi)) // 2,
            y + scaled(MENU_ITEM_TOP + index * MENU_ITEM_HEIGHT + MENU_ITEM_HEIGHT // 2, dpi))


class Image:
    """A screenshot's pixels, read through ImageMagick; with `over`, the pixels
    of the image at `path` laid over those of the image at `over`."""

    def __init__(self, path, over=None):
        self.path = path
        source = [over, path, "-composite"] if over else [path]
        size = subprocess.run([CONVERT, *source, "-format", "%w %h", "info:"], capture_output=True, text=True,
                              check=True).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.rgb = subprocess.run([CONVERT, *source, "-depth", "8", "rgb:-"], capture_output=True,
                                  check=True).stdout

    def pixel(self, x, y):
        offset = 3 * (y * self.width + x)
        return tuple(self.rgb[offset:offset + 3])

    def region(self, x, y, width, height):
        rows = []
        for row in range(y, y + height):
            start = 3 * (row * self.width + x)
            rows.append(self.rgb[start:start + 3 * width])
        return b"".join(rows)

    def colours(self, region=None):
        data = self.rgb if region is None else self.region(*region)
        return len({data[i:i + 3] for i in range(0, len(data), 3)})


def text_room_right(shot):
    """Columns of background between the last dark (text) pixel and the right
    border of a shot of a tool tip, taken at the tip's own rectangle."""
    inner = range(1, shot.height - 1)
    for x in range(shot.width - 2, 0, -1):
        if any(sum(shot.pixel(x, y)) < 3 * 128 for y in inner):
            return shot.width - 2 - x
    return shot.width - 2


def region_distance(a, b):
    """Mean absolute difference per colour channel of two equal-sized regions."""
    if len(a) != len(b) or not a:
        raise ValueError("regions of different sizes")
    return sum(abs(x - y) for x, y in zip(a, b)) / len(a)


class AppFolder:
    """A private copy of the program: the exe, its sheets and a Config.ini
    pointing at a private data folder; beside it the emulated mouse's folder.
    With `standin_dir` (the folder of the test HID DLLs) they are put beside the
    exe, for the shipped program to run through them."""

    def __init__(self, root, program, resources, without=(), standin_dir=None):
        self.root = root
        self.app = os.path.join(root, "app")
        self.data = os.path.join(root, "data")
        self.mouse_folder = os.path.join(root, "mouse")
        own_resources = os.path.join(self.app, "Resources")
        os.makedirs(own_resources)
        os.makedirs(self.data)
        os.makedirs(self.mouse_folder)
        self.exe = os.path.join(self.app, os.path.basename(program))
        shutil.copy2(program, self.exe)
        if standin_dir:
            standin.install_dlls(standin_dir, self.app)
        for name in os.listdir(resources):
            if name in without or name == "Config.ini":
                continue
            source, target = os.path.join(resources, name), os.path.join(own_resources, name)
            if os.path.isdir(source):   # a scale step's sheets
                shutil.copytree(source, target, copy_function=link_or_copy)
            else:
                link_or_copy(source, target)
        with open(os.path.join(own_resources, "Config.ini"), "w", newline="\r\n") as ini:
            ini.write(f"[ConfigData]\nDataPath={wine_path(self.data)}\n")

    @property
    def profiles(self):
        return os.path.join(self.data, "Orvanta", "Korvid", "Profiles")

    def profile_files(self):
        return sorted(os.listdir(self.profiles)) if os.path.isdir(self.profiles) else []


class Program:
    """One run of a Windows program in the background, under `timeout`."""

    def __init__(self, desktop, exe, log, args=(), timeout=PROGRAM_TIMEOUT_SECONDS, **env):
        self.desktop = desktop
        self.log = open(log, "ab")
        # Its own process group: `timeout` and the Wine process end together.
        self.process = subprocess.Popen(
            ["timeout", "-k", "5", str(timeout), "wine", exe, *args], cwd=os.path.dirname(exe),
            env=desktop.env(**env), stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log,
            start_new_session=True)

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout):
        try:
            self.process.wait(timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def kill(self):
        if self.running():
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait(10)

    def close_log(self):
        self.log.close()


def end_programs(desktop, programs):
    """Ends every program of a test: WM_QUIT to the threads of their windows,
    then a kill after a grace time, then the Wine server as a last resort.
    Returns a description of what had to be forced, or None."""
    forced = []
    if any(p.running() for p in programs):
        snapshot = desktop.snapshot()
        threads = {}
        for window in snapshot.windows:
            if window.pid not in desktop.system_pids and (window.title == MAIN_TITLE or window.visible):
                threads.setdefault(window.tid, window.hwnd)
        for hwnd in threads.values():
            desktop.run_wine([desktop.probe, "quit", str(hwnd)])
        deadline = time.monotonic() + QUIT_GRACE_SECONDS
        for program in programs:
            if not program.wait_exit(max(0.0, deadline - time.monotonic())):
                forced.append("killed a program that ignored WM_QUIT")
                program.kill()
    for program in programs:
        program.close_log()
    try:
        # The server removes a dead process's windows soon after, not at once.
        desktop.wait("the program's windows gone", lambda s: s.main() is None, timeout=5)
    except WaitTimeout:
        forced.append("restarted the Wine server: a main window outlived its process")
        desktop.restart_server()
    return "; ".join(forced) or None


# -- the program in a folder of its own, on the emulated mouse or through the HID stand-in


def load_control_ids():
    """The control IDs of res/resource.h and of the fixtures (fixture_ids.h) and the
    private window message numbers (widgets/window_messages.h, app/tray_icon.h),
    by their names there, from the file the build writes (tests/gui/CMakeLists.txt)
    and KORVID_CONTROL_IDS names: CTest sets it for every GUI test."""
    path = os.environ.get("KORVID_CONTROL_IDS")
    if not path or not os.path.isfile(path):
        sys.exit(f"KORVID_CONTROL_IDS must name the control IDs the build writes "
                 f"(BUILD/tests/gui/control_ids.json), not {path!r}")
    with open(path, encoding="utf-8") as ids:
        return types.SimpleNamespace(**json.load(ids))


ID = load_control_ids()

# The run's options and desktop, which main() fills in and starts.
OPTIONS = argparse.Namespace()
DESKTOP = Desktop()

FIXTURE_TITLE = "Korvid Harness Fixture"
FIXTURE_BUTTON = ID.IDC_FIXTURE_BUTTON

MAIN_CLIENT_SIZE = (1068, 647)
PAGE_ORIGIN = (3, 90)
BUTTON_PAGE, SENSOR_PAGE, SUPPORT_PAGE, HELP_PAGE, NO_MOUSE_PAGE = (
    ID.IDD_BUTTON_PAGE, ID.IDD_SENSOR_PAGE, ID.IDD_SUPPORT_PAGE, ID.IDD_HELP_PAGE, ID.IDD_NO_MOUSE_PAGE)
PAGES = (BUTTON_PAGE, SENSOR_PAGE, SUPPORT_PAGE, HELP_PAGE, NO_MOUSE_PAGE)
HELP, MINIMISE, CLOSE, BUTTON_SETTING, ADVANCED, SUPPORT = (
    ID.IDC_HELP_BUTTON, ID.IDC_MINIMISE_BUTTON, ID.IDC_CLOSE_BUTTON, ID.IDC_BUTTON_SETTING_BUTTON,
    ID.IDC_ADVANCED_BUTTON, ID.IDC_SUPPORT_BUTTON)
# Client rectangles of the main window's buttons: x, y, width, height.
MAIN_BUTTONS = {
    MINIMISE: (980, 17, 28, 12), CLOSE: (1030, 5, 22, 24), HELP: (867, 32, 137, 58),
    BUTTON_SETTING: (67, 32, 135, 58), ADVANCED: (340, 32, 123, 58), SUPPORT: (609, 32, 119, 58),
}
PAGE_BUTTONS = (HELP, BUTTON_SETTING, ADVANCED, SUPPORT)
# The page buttons switched off while no mouse is connected; Help and Support stay on.
MOUSE_PAGE_BUTTONS = (BUTTON_SETTING, ADVANCED)
PAGE_OF_BUTTON = {BUTTON_SETTING: BUTTON_PAGE, ADVANCED: SENSOR_PAGE, SUPPORT: SUPPORT_PAGE, HELP: HELP_PAGE}
# Controls of the pages, in page client rectangles.
BUTTON_PAGE_APPLY = (ID.IDC_BUTTON_PAGE_APPLY, (686, 426, 219, 61))
SENSOR_PAGE_APPLY = (ID.IDC_SENSOR_PAGE_APPLY, (783, 457, 215, 60))
SMOOTHING_SWITCH = (ID.IDC_SMOOTHING_SWITCH, (732, 126, 34, 33))
# The mark on an Apply button while the pages differ from the mouse: a dot
# this many pixels square, this far inside the button's top-right corner.
CHANGE_MARK_SIZE, CHANGE_MARK_INSET = 12, 13
SOFTWARE_LABEL, FIRMWARE_LABEL = ID.IDC_SOFTWARE_VERSION, ID.IDC_FIRMWARE_VERSION
RESTORE_BUTTON = (ID.IDC_RESTORE_DEFAULTS, (893, 156, 120, 47))
FIRMWARE_UPDATE_BUTTON = (368, 87, 120, 47)
FIRMWARE_TOOL_FOLDER = "Korvid Firmware Update Tool"
# The message pop-up's buttons, in its client rectangle.
RESTORE_TITLE = "Restore default settings"
RESTORE_YES = (ID.IDC_MESSAGE_YES, (202, 187, 90, 36))
RESTORE_NO = (ID.IDC_MESSAGE_NO, (299, 187, 90, 35))
NO_MOUSE_TITLE = "No mouse found"
NO_MOUSE_OK = (ID.IDC_MESSAGE_YES, (299, 187, 90, 35))
# A notice's buttons, from the right: OK (or No, or Cancel), then Yes or Discard, then Apply.
NOTICE_PLACES = ((364, 248, 90, 36), (267, 248, 90, 36), (170, 248, 90, 36))

# The emulated mouse's firmware, release number 0x0109.
FIRMWARE_VERSION_TEXT = "V1.09"
NO_VERSION_TEXT = "-.--"
PROFILE_NAME = "Default Profile"
PROFILE_FILE = PROFILE_NAME + ".profile"
LIST_FILE = "pfList.dat"
# The mouse changed away from its factory settings before some tests.
CHANGED_SETTINGS = ("cpi1=1200", "colour2=#102030", "lift=3mm", "smoothing=on", "button4=f5")
# The program's private messages: the tray icon's callback and its icon's ID;
# the request to stay on top, a WM_SYSCOMMAND.
TRAY_CALLBACK, TRAY_ICON_ID = ID.kTrayIconMessage, ID.kTrayIconId
STAY_ON_TOP = ID.kStayOnTopRequest
WM_COMMAND, WM_SYSCOMMAND = 0x0111, 0x0112
WS_EX_TOPMOST = 0x8
IDOK, IDCANCEL = 1, 2
# The tray menu's items.
CONFIG_MOUSE_ROW, EXIT_SOFTWARE_ROW = 0, 1
# How long the program is given after a step whose absence is being checked.
SETTLE_SECONDS = 0.5
APPLY_TIMEOUT = 15
# The mouse's short reply: its status replies are this long.
SHORT_REPLY_BYTES = 64


def notice_text(popup):
    """The words of a skinned notice, as its label holds them."""
    return popup.control(ID.IDC_MESSAGE_LABEL).text.replace("\r", "")


def function_button(number):
    """The control ID of the button page's function button n (1 to 7)."""
    return getattr(ID, f"IDC_FUNCTION_BUTTON_{number}")


def centre(rect, origin=(0, 0)):
    x, y, width, height = rect
    return origin[0] + x + width // 2, origin[1] + y + height // 2


# -- display scale: the tests' places are logical pixels, the pixels at 96 DPI


def scaled(value, dpi):
    """A logical length or coordinate in the pixels of a window at `dpi`, rounded
    as the program rounds: value * dpi / 96, halves away from zero (MulDiv)."""
    size = (abs(value) * dpi * 2 + LOGICAL_DPI) // (2 * LOGICAL_DPI)
    return -size if value < 0 else size


def scaled_rect(rect, dpi):
    """A logical rectangle (x, y, width, height) at `dpi`, scaled edge by edge as
    the program scales it, so that rectangles that meet still meet."""
    x, y, width, height = rect
    left, top = scaled(x, dpi), scaled(y, dpi)
    return left, top, scaled(x + width, dpi) - left, scaled(y + height, dpi) - top


def scaled_centre(rect, dpi, origin=(0, 0)):
    """The centre of a control's logical rectangle at `dpi`, in the client pixels
    of the window whose logical point `origin` holds the control's window (a
    page's PAGE_ORIGIN): the program places each window of its own."""
    return centre(scaled_rect(rect, dpi), (scaled(origin[0], dpi), scaled(origin[1], dpi)))


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
        self.clean_up()
        shutil.rmtree(self.tmp, ignore_errors=True)
        if forced:
            self.fail(f"teardown: {forced}")

    def clean_up(self):
        """What a test leaves besides its programs, once they have ended."""
        # The plug helper's notifications end with the windows they were for.
        mouse = getattr(self, "mouse", None)
        if isinstance(mouse, PluggedMouse):
            mouse.finish()

    def start(self, exe, args=(), **env):
        program = Program(DESKTOP, exe, os.path.join(self.tmp, f"program-{len(self.programs)}.log"), args=args,
                          timeout=self.program_timeout, **env)
        self.programs.append(program)
        return program


class ProgramCase(GuiCase):
    """The program in its own folder, with its own data folder and mouse."""

    # The DPI the program runs at (Desktop.use_dpi): the places the cases click are scaled to it.
    dpi = LOGICAL_DPI

    def setUp(self):
        super().setUp()
        if not os.path.exists(OPTIONS.program):
            self.fail(f"the program is not built: {OPTIONS.program}")

    def prepare_folder(self, without=()):
        """The program's private folder, its mouse, and korvidctl on that mouse."""
        self.folder = AppFolder(self.tmp, OPTIONS.program, OPTIONS.resources, without, standin_dir=OPTIONS.standin)
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

    def relaunch(self, args=()):
        if OPTIONS.standin:
            return self.start(self.folder.exe, args, **standin.variables(self.folder.mouse_folder, OPTIONS.length))
        return self.start(self.folder.exe, args, KORVID_EMULATOR=self.folder.mouse_folder)

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

    def wait_firmware_text(self, text, what):
        """The visible main window once the support page's firmware label shows `text`."""
        return DESKTOP.wait(what, lambda s: s.main(True) if self.firmware_text(s.main(True)) == text else None)

    def enabled_buttons(self, main):
        return {button: main.control(button).enabled for button in MAIN_BUTTONS}

    def assert_selected(self, shot, selected):
        """Each page button looks pressed when it is the selected one, normal otherwise."""
        for button in PAGE_BUTTONS:
            rect = MAIN_BUTTONS[button]
            seen = shot.region(*rect)
            to_down = region_distance(seen, SHEETS["Main_Down.png"].region(*rect))
            to_normal = region_distance(seen, SHEETS["Main_Normal.png"].region(*rect))
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
        DESKTOP.click(main, *scaled_centre(MAIN_BUTTONS[button], self.dpi))

    def click_on_page(self, main, rect):
        DESKTOP.click(main, *scaled_centre(rect, self.dpi, PAGE_ORIGIN))

    def hide(self, main):
        """Close: the window goes to the tray."""
        self.click_main(main, CLOSE)
        DESKTOP.wait("the window hidden", lambda s: s.main(visible=False) and not s.main(visible=True))

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

    def install_firmware_tool(self):
        """The stand-in firmware update tool where the program looks for it; the file it notes its arguments in."""
        folder = os.path.join(self.folder.app, FIRMWARE_TOOL_FOLDER)
        os.makedirs(folder)
        shutil.copy2(OPTIONS.firmware_tool, os.path.join(folder, FIRMWARE_TOOL_FOLDER + ".exe"))
        return os.path.join(folder, "launched.txt")

    def dismiss_message_box(self, box):
        """Clicks the message box's OK (or its only button) and waits until it has closed."""
        DESKTOP.click_control(box, box.control(IDOK) or box.control(IDCANCEL))
        DESKTOP.wait("the message box closed", lambda s: not s.message_boxes())

    def shows_change_mark(self, shot, apply_rect, normal_sheet):
        """Whether the Apply button at `apply_rect` (page pixels) carries the mark that
        the pages differ from the mouse: its corner differs from the page's normal sheet."""
        x = apply_rect[0] + apply_rect[2] - CHANGE_MARK_INSET - CHANGE_MARK_SIZE
        y = apply_rect[1] + CHANGE_MARK_INSET
        seen = shot.region(PAGE_ORIGIN[0] + x, PAGE_ORIGIN[1] + y, CHANGE_MARK_SIZE, CHANGE_MARK_SIZE)
        return region_distance(seen, normal_sheet.region(x, y, CHANGE_MARK_SIZE, CHANGE_MARK_SIZE)) > 20

    def wait_change_mark(self, apply_rect, normal_sheet, marked, name, timeout=5):
        """Waits until the shown page's Apply shows the mark (or not); keeps the screenshot as `name`."""
        deadline = time.monotonic() + timeout
        while True:
            shot = DESKTOP.screenshot(self.main(), name)
            if self.shows_change_mark(shot, apply_rect, normal_sheet) == marked:
                return shot
            if time.monotonic() > deadline:
                raise WaitTimeout(f"timed out waiting for Apply {'with' if marked else 'without'} its mark ({name})")
            time.sleep(0.1)

    def dismiss_notice(self, popup):
        """Clicks a skinned notice's right-hand button (OK, No, Cancel) and waits until it has closed."""
        DESKTOP.click(popup, *centre(NOTICE_PLACES[0]))
        DESKTOP.wait("the pop-up closed", lambda s: all(w.hwnd != popup.hwnd for w in s.notices()))

    # -- applying

    def apply_and_check(self, press=None):
        """Presses Apply (the shown button page's, unless `press` presses another) and
        checks the exchange of the apply once it has committed; returns that log."""
        start = len(self.mouse.log())
        if press is None:
            self.click_on_page(self.main(), BUTTON_PAGE_APPLY[1])
        else:
            press()
        log = self.wait_commit(start)
        self.assert_apply_exchange(log)
        return log

    def wait_mouse_read(self, start, timeout=APPLY_TIMEOUT):
        """The log from `start` once a block read's reply has been read."""
        return self.wait_log("the mouse read", lambda log: replies_read(log[start:], "07"), timeout)[start:]


class FaultCase(ProgramCase):
    """The program's state seen through the probe, hidden or shown, and the ways
    a user meets faults: the tray, failure messages, the mouse's fault script."""

    def main_any(self, snapshot=None):
        return (snapshot or DESKTOP.snapshot()).main()

    def shown_pages(self, main):
        """The pages whose own style says shown: what shows once the window does, even while it is hidden."""
        return [page for page in PAGES if main.control(page) is not None and main.control(page).shown]

    def wait_state(self, page, buttons_enabled, what, timeout=10):
        def reached(snapshot):
            main = snapshot.main()
            if main is None or self.shown_pages(main) != [page]:
                return None
            return main if self.buttons_state(main) == buttons_enabled else None
        return DESKTOP.wait(what, reached, timeout)

    def buttons_state(self, main):
        """True with every page button on, False with only Help and Support on (no mouse), else None."""
        if not all(main.control(b).enabled for b in (HELP, SUPPORT)):
            return None
        mouse_buttons = {main.control(b).enabled for b in MOUSE_PAGE_BUTTONS}
        return next(iter(mouse_buttons)) if len(mouse_buttons) == 1 else None

    def bring_back_through_tray(self):
        x, y = DESKTOP.tray_icon()
        DESKTOP.click_at(x, y, repeat=2)
        return DESKTOP.wait_main()

    def plug_in(self):
        self.mouse.plug()

    def popups(self, snapshot=None):
        """The failure messages shown: message boxes and the no-mouse pop-up."""
        snapshot = snapshot or DESKTOP.snapshot()
        return snapshot.message_boxes() + snapshot.notices() + snapshot.titled(NO_MOUSE_TITLE, True)

    def close_popup(self, popup):
        control = IDOK if popup.title == MESSAGE_BOX_CAPTION else NO_MOUSE_OK[0]
        DESKTOP.post(popup, WM_COMMAND, control, popup.control(control).hwnd if popup.control(control) else 0)
        DESKTOP.wait("the message closed", lambda s: all(w.hwnd != popup.hwnd for w in self.popups(s)))

    def clear_faults(self):
        """The mouse answers normally again."""
        if os.path.exists(self.mouse.path("faults")):
            os.remove(self.mouse.path("faults"))

    def choose_exit_software(self, main):
        """Exit Software from the tray icon's menu."""
        x, y = DESKTOP.tray_icon()
        DESKTOP.click_at(x, y, button=3)
        DESKTOP.click_tray_item(DESKTOP.wait_menu(main.pid, "the tray menu"), EXIT_SOFTWARE_ROW)

    def post_apply(self, main):
        """Apply on the button page as a click would report it: works while the window is hidden."""
        page = main.control(BUTTON_PAGE)
        button = page.control(BUTTON_PAGE_APPLY[0])
        DESKTOP.post(page, WM_COMMAND, BUTTON_PAGE_APPLY[0], button.hwnd)

    def assert_mouse_read_since(self, start):
        log = self.mouse.log()[start:]
        commands = [field(l, "cmd") for l in log if l[0] == "SET"]
        self.assertEqual(commands[:2], ["03", "07"], log)
        self.assertTrue(any(l[0] == "GET" and field(l, "cmd") == "07" and field(l, "result") == "ok" for l in log),
                        log)

    def launch_prepared(self, prepare, settings=()):
        """Starts a fresh copy after `prepare` has set up its folders; returns its main window."""
        self.prepare_folder()
        if settings:
            self.ctl.run("set", *settings)
        prepare()
        self.mouse.clear_log()
        self.program = self.relaunch()
        return DESKTOP.wait_main()

    def apply_and_wait_for_commit(self):
        """A clean apply from the button page, which shows no message."""
        self.wait_page(BUTTON_PAGE)
        self.apply_and_check()
        time.sleep(SETTLE_SECONDS)
        snapshot = DESKTOP.snapshot()
        self.assertEqual(snapshot.message_boxes() + snapshot.notices(), [], "the apply showed a message")

    def run_ctl(self, *args, timeout=60):
        return self.ctl.run_wine(*args, timeout=timeout)


def sheet(name, step=100):
    """One of the program's sheets as the program sees it at a scale step: its
    file, or its layer over its family's base."""
    base = SHEET_BASES[name]
    path = sheet_path(OPTIONS.resources, name, step)
    if not os.path.isfile(path):
        raise AssertionError(f"the build drew no {step} % art: {path} is missing")
    return Image(path, over=None if base == name else sheet_path(OPTIONS.resources, base, step))


# -- the runner

# The options of a script on the program (test_gui.py's usage names them).
PROGRAM_OPTIONS = ("program", "probe", "fixture", "firmware-tool", "korvidctl", "combo-fixture", "prefix",
                   "screenshots", "software-version")
# The sheets the cases compare screenshots with (SHEETS), when the program has them.
COMPARED_SHEETS = ("Main_Normal.png", "Main_Down.png")
SHEETS = {}
# Each sheet file's base, which a layered sheet's file lies over.
SHEET_BASES = bases(read_list(os.path.join(HERE, "..", "..", "skin", "sheets.txt")))


def main(groups, usage, options=PROGRAM_OPTIONS, standin_options=True, prefix_beside=True, what="GUI",
         prepare=None, screen_size=SCREEN_SIZE):
    """Parses a script's options into OPTIONS, makes DESKTOP and runs the script's
    groups named on the command line (all by default); exits with their result.
    With `standin_options` the script takes --standin and --length. The Wine
    prefix is --prefix itself, or with `prefix_beside` one beside WINEPREFIX
    (or --prefix when it is not set). `prepare(options)`, when given, runs
    before the desktop starts. The screen is `screen_size` pixels."""
    parser = argparse.ArgumentParser(usage=usage)
    for name in options:
        parser.add_argument("--" + name, required=True)
    if standin_options:
        parser.add_argument("--standin")
        parser.add_argument("--length", choices=standin.MODES, default=standin.MODES[0])
    else:
        parser.set_defaults(standin=None, length=None)
    parser.add_argument("groups", nargs="*")
    parser.parse_args(namespace=OPTIONS)
    unknown = set(OPTIONS.groups) - {g.__name__ for g in groups}
    if unknown:
        parser.error(f"unknown groups: {', '.join(sorted(unknown))}")
    if getattr(OPTIONS, "program", None):
        OPTIONS.resources = os.path.join(os.path.dirname(OPTIONS.program), "Resources")
        if os.path.isdir(OPTIONS.resources):
            for name in COMPARED_SHEETS:
                SHEETS[name] = sheet(name)
    if prepare:
        prepare(OPTIONS)
    if prefix_beside:
        # A prefix of its own beside the given one: its server must be started
        # with this run's display (see Desktop.start), and a restart must not
        # end the programs other tests run in the given prefix.
        prefix = (os.environ.get("WINEPREFIX") or OPTIONS.prefix).rstrip("/") + "-gui"
    else:
        prefix = OPTIONS.prefix
    DESKTOP.configure(prefix, OPTIONS.probe, OPTIONS.screenshots, screen_size)
    run_groups(DESKTOP, groups, OPTIONS.groups, what)


def run_groups(desktop, groups, selected, what):
    """Runs the test classes of `groups` named in `selected` (all when it is
    empty) on `desktop`, started for them, and exits with their result."""
    selected = selected or [g.__name__ for g in groups]
    suite = unittest.TestSuite()
    loader = unittest.TestLoader()
    for case in groups:
        if case.__name__ in selected:
            suite.addTests(loader.loadTestsFromTestCase(case))
    started = time.monotonic()
    desktop.start()
    try:
        result = unittest.TextTestRunner(verbosity=2).run(suite)
    finally:
        desktop.stop()
    print(f"{what} tests took {time.monotonic() - started:.1f} s", file=sys.stderr)
    sys.exit(0 if result.wasSuccessful() else 1)
