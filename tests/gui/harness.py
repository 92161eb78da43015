"""Drives Windows programs under Wine in a private X server, as a user does.

One Desktop per test run: an Xvfb on a free display, the Wine prefix made
ready once, korvid-probe to look at the windows, xdotool for the pointer and
the keys, ImageMagick for screenshots. Program runs in the background under
`timeout`; every wait polls with a deadline.
"""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "standin", "windows"))
import windows_standin as standin_dlls  # noqa: E402

MAIN_TITLE = "Korvid Configuration Software"
MESSAGE_BOX_CLASS = "#32770"
MESSAGE_BOX_CAPTION = "Korvid Configuration"
MESSAGE_BOX_TEXT_ID = 0xFFFF
# With no shell, Wine keeps the tray icons in a window of its own; the
# first icon's 20x20 cell starts at its client area's top-left corner.
TRAY_TITLE = "Wine System Tray"
TRAY_ICON_CENTRE = (10, 10)
MENU_CLASS = "KorvidQuoMenu"
SCREEN = "1280x1024x24"
SCREEN_SIZE = [1280, 1024]
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
# The pointer rests here between clicks, off every window, so that no
# button shows its pointer-over look in a screenshot.
POINTER_REST = (1279, 1023)


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

    def summary(self):
        return "; ".join(f"{w.title!r}/{w.record['class']} pid={w.pid} visible={w.visible}"
                         for w in self.windows if w.title)


class WaitTimeout(AssertionError):
    pass


def wine_path(path):
    """The Windows name of a Unix path: drive Z: is the Unix root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Desktop:
    """An Xvfb display with the Wine prefix ready on it."""

    def __init__(self, prefix, probe, screenshots):
        self.prefix = prefix
        self.probe = probe
        self.screenshots = screenshots
        self.xvfb = None
        self.display = None
        self.system_pids = set()

    # -- the session

    def start(self):
        self._start_xvfb()
        try:
            self._prepare_prefix()
            if self.snapshot().desktop[2:] != SCREEN_SIZE:
                # A server started without this display keeps the null
                # driver's 1024x768 desktop, which clips the window.
                self.restart_server()
            desktop = self.snapshot().desktop[2:]
            if desktop != SCREEN_SIZE:
                raise RuntimeError(f"Wine's desktop is {desktop}, not the screen's {SCREEN_SIZE}")
        except BaseException:
            self.stop()
            raise
        # Windows of Wine's own processes; everything else belongs to a test.
        self.system_pids = {w.pid for w in self.snapshot().windows}
        os.makedirs(self.screenshots, exist_ok=True)

    def stop(self):
        if self.xvfb and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()

    def _start_xvfb(self):
        # -displayfd: the server picks a free display and reports it when ready.
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp", "-screen", "0", SCREEN],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as reader:
            number = reader.readline().strip()
        if not number.isdigit():
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number

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

    def wait_main(self, timeout=15):
        return self.wait("the visible main window", lambda s: s.main(visible=True), timeout)

    def wait_titled(self, title, timeout=10):
        return self.wait(f"a window titled {title!r}", lambda s: next(iter(s.titled(title, True)), None),
                         timeout)

    def wait_message_box(self, text, timeout=10):
        def found(snapshot):
            for box in snapshot.message_boxes():
                label = box.control(MESSAGE_BOX_TEXT_ID)
                if label is not None and label.text and label.text.startswith(text):
                    return box
            return None
        return self.wait(f"the message box {text!r}", found, timeout)

    # -- acting, as a user

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env(), check=True, timeout=20,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)

    def click(self, window, x, y):
        """A left click at client coordinates of a top-level window; the pointer then rests off it."""
        left, top = window.client[0] - window.rect[0], window.client[1] - window.rect[1]
        self.xdotool("mousemove", "--window", window.xid, x + left, y + top, "click", "1",
                     "mousemove", *POINTER_REST)

    def click_control(self, window, control):
        """A left click at the centre of a control of the top-level window."""
        x = control.screen[0] + control.screen[2] // 2 - window.client[0]
        y = control.screen[1] + control.screen[3] // 2 - window.client[1]
        self.click(window, x, y)

    def click_at(self, x, y, button=1, repeat=1):
        """Clicks at a point of the screen; the pointer stays there."""
        self.xdotool("mousemove", x, y, "click", "--repeat", repeat, "--delay", 60, button)

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
        self.xdotool("windowfocus", window.xid, "key", "--window", window.xid, *keys)

    def screenshot(self, window, name):
        """The window's pixels once they stop changing, kept as <name>.png."""
        path = os.path.join(self.screenshots, name + ".png")
        previous = None
        deadline = time.monotonic() + 3
        while True:
            subprocess.run([IMPORT, "-display", self.display, "-window", str(window.xid), path],
                           check=True, timeout=20, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            with open(path, "rb") as f:
                current = f.read()
            if current == previous or time.monotonic() > deadline:
                return Image(path)
            previous = current
            time.sleep(0.1)


    def screenshot_screen(self, name, region):
        """A region of the whole screen (x, y, width, height), kept as <name>.png: pop-up
        menus are windows of their own beside the window they belong to."""
        path = os.path.join(self.screenshots, name + ".png")
        x, y, width, height = region
        subprocess.run([IMPORT, "-display", self.display, "-window", "root", "-crop",
                        f"{width}x{height}+{x}+{y}", "+repage", path], check=True, timeout=20,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return Image(path)


class Image:
    """A screenshot's pixels, read through ImageMagick."""

    def __init__(self, path):
        self.path = path
        size = subprocess.run([CONVERT, path, "-format", "%w %h", "info:"], capture_output=True, text=True,
                              check=True).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.rgb = subprocess.run([CONVERT, path, "-depth", "8", "rgb:-"], capture_output=True,
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


def region_distance(a, b):
    """Mean absolute difference per colour channel of two equal-sized regions."""
    if len(a) != len(b) or not a:
        raise ValueError("regions of different sizes")
    return sum(abs(x - y) for x, y in zip(a, b)) / len(a)


class AppFolder:
    """A private copy of the program: the exe, its sheets and a Config.ini
    pointing at a private data folder; beside it the emulated mouse's folder.
    With `standin` (the folder of the test HID DLLs) they are put beside the
    exe, for the shipped program to run through them."""

    def __init__(self, root, program, resources, without=(), standin=None):
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
        if standin:
            standin_dlls.install_dlls(standin, self.app)
        for name in os.listdir(resources):
            if name in without or name == "Config.ini":
                continue
            source = os.path.join(resources, name)
            try:
                os.link(source, os.path.join(own_resources, name))
            except OSError:
                shutil.copy2(source, own_resources)
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
