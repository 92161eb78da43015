#!/usr/bin/env python3
"""Measures the Windows program under Wine as a user meets it, beside the
floor: a bare borderless GDI+ window of the same size
(tools/bench/bare_window.cc), started the same way and interleaved with the
program run by run.

Two builds of the program side by side: the shipped KorvidConfig.exe on its
real device path, through the test stand-in for the system's HID layer
(tests/standin/windows: its hid.dll and setupapi.dll beside a private copy
of the program, never in the build's program folder), and
KorvidConfig-emulated.exe on the emulated mouse. Both talk to an emulated
mouse in a folder of its own per run, whose exchange log tells when the
mouse has been read and when it has committed.

Each run of each program starts from a fresh private folder (the program
stripped, as users get it), in this order, interleaved: the bare window,
the shipped build, the emulated build, then each build started with /tray,
as the sign-in entry starts it. Rows, each the median of the runs and set
against its reference from the same run:
  start until the window shows, painted, with the mouse read (the bare
    window: shown and painted), against bare + the protocol's read pauses;
  Apply, click to commit (the commit's reply read), against the protocol's
    own pauses, split at the first report of the exchange;
  the /tray start: resident memory once settled and CPU over the idle
    seconds against the bare window's shown and idle, and the first show
    from the tray (a double click on its icon, until the window shows
    painted) against the bare window's start;
  resident memory hidden after Close against the bare window hidden, and
    the show again from the tray;
then the disk: what the installer installs, as its build lists it, art per
scale step, and the installer itself; and the skin's decoding of all its
sheets at 100 % (tools/bench/sheet_decode.cc, the median of its rounds)
against the same sheets read as uncompressed bitmaps, as they once were. Each time until the window shows
painted has beside it the time until it was first visible (mapped).
"Painted" is a grid of the window's pixels matching those of a run that
had settled (a warm-up run per program first, which is not counted).

usage: tools/bench_gui.py [--runs N] [--idle-seconds S] [--build DIR] [--prefix PREFIX]
DIR is a Windows build folder (default build/windows, built by tools/test.sh).
PREFIX is a prepared Wine prefix, copied for the run (default: the GUI
tests' prefix beside the build, DIR/../wineprefix-gui). Runs in its own
virtual display. Memory and CPU are those of the Wine process that hosts
each program (so they include Wine's own libraries); the CPU of the prefix's
wineserver, which carries the timers and messages, is shown beside the idle
program's.
"""
import argparse
import ctypes
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "gui"))
sys.path.insert(0, os.path.join(ROOT, "tests", "emulator"))
sys.path.insert(0, os.path.join(ROOT, "tests", "standin", "windows"))
import windows_standin as standin  # noqa: E402
from mouse_folder import Mouse, replies_read  # noqa: E402

# tests/gui/harness.py, imported by main() once the build's control IDs are known.
harness = None

BARE_TITLE = "Korvid Bare Window"
# The first icon of Wine's own tray window, in the screen's top-left corner.
TRAY_ICON = (13, 32)
# A screen point away from every window (the screen is 1280 x 1024).
AWAY = (1270, 1010)
TICKS_PER_SECOND = os.sysconf("SC_CLK_TCK")
# Before memory is read: the program done with what its last step started.
SETTLE_SECONDS = 1.0
# A /tray start is left this long after its icon shows before it is measured.
TRAY_SETTLE_SECONDS = 2.0
POLL_SECONDS = 0.002
TIMEOUT_SECONDS = 30.0
# "Painted": this share of a grid of client points shows what a settled run showed there.
PAINTED_GRID = [(x, y) for x in range(40, 1068, 170) for y in (20, 150, 300, 450, 620)]
PAINTED_SHARE = 0.9


def sh(command, **kwargs):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, **kwargs)


def wait_for(what, predicate, timeout=TIMEOUT_SECONDS):
    """Polls `predicate` until it gives a true value; returns the value."""
    deadline = time.perf_counter() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.perf_counter() > deadline:
            raise SystemExit(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(POLL_SECONDS)


def since(moment):
    return (time.perf_counter() - moment) * 1000


def protocol_pauses():
    """The host's own pauses in a read (status query, block) and an Apply
    (status query, block, commit), in ms, as device/commands.h sets them."""
    with open(os.path.join(ROOT, "device", "commands.h")) as header:
        text = header.read()
    pause = {name: int(re.search(r"\bk%sPauseMs = (\d+);" % name, text).group(1))
             for name in ("QueryStatus", "Block", "Commit")}
    read = pause["QueryStatus"] + pause["Block"]
    return read, read + pause["Commit"]


# -- the screen


class Screen:
    """The virtual screen's pixels, read straight from the X server: cheap enough to poll."""

    ALL_PLANES = ctypes.c_ulong(-1)
    Z_PIXMAP = 2

    def __init__(self, display):
        x11 = self.x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XGetImage.restype = ctypes.c_void_p
        x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                  ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x11.XGetPixel.restype = ctypes.c_ulong
        x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        x11.XDestroyImage.argtypes = [ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = x11.XOpenDisplay(display.encode())
        if not self.display:
            raise SystemExit(f"cannot open the display {display}")
        self.root = x11.XDefaultRootWindow(self.display)

    def pixel(self, x, y):
        image = self.x11.XGetImage(self.display, self.root, x, y, 1, 1, self.ALL_PLANES, self.Z_PIXMAP)
        value = self.x11.XGetPixel(image, 0, 0)
        self.x11.XDestroyImage(image)
        return value

    def grid(self, origin):
        return [self.pixel(origin[0] + x, origin[1] + y) for x, y in PAINTED_GRID]

    def close(self):
        self.x11.XCloseDisplay(self.display)


def visible_window(title):
    out = sh(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"]).stdout.split()
    return out[0] if out else None


def window_origin(window):
    geometry = dict(line.split("=") for line in sh(["xdotool", "getwindowgeometry", "--shell", window]).stdout.split())
    return int(geometry["X"]), int(geometry["Y"])


def click(point, count=1):
    """Clicks at a screen point (twice: a double click); the moment the last click went out."""
    sh(["xdotool", "mousemove", str(point[0]), str(point[1]), "click", "--repeat", str(count), "--delay", "30", "1"])
    return time.perf_counter()


def client_point(origin, point):
    return origin[0] + point[0], origin[1] + point[1]


# -- processes


def program_pids(path):
    # Matched by the program's full path, which is this run's own copy.
    return sh(["pgrep", "-f", path]).stdout.split()


def status_kib(pid, field):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def cpu_ticks(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])  # utime + stime
    except (OSError, IndexError, ValueError):
        return 0


def host_pid(path):
    # The Wine process that runs the program is the largest of those whose
    # command line names this run's copy of it.
    pids = program_pids(path)
    return max(pids, key=lambda pid: status_kib(pid, "VmRSS")) if pids else None


def wineserver_pid(prefix):
    for pid in sh(["pgrep", "wineserver"]).stdout.split():
        try:
            with open(f"/proc/{pid}/environ", "rb") as environ:
                if b"WINEPREFIX=" + prefix.encode() + b"\0" in environ.read():
                    return pid
        except OSError:
            pass
    return None


def cpu_percent(pids, seconds):
    before = [cpu_ticks(pid) for pid in pids]
    start = time.perf_counter()
    time.sleep(seconds)
    elapsed = time.perf_counter() - start
    return [100.0 * (cpu_ticks(pid) - b) / TICKS_PER_SECOND / elapsed for pid, b in zip(pids, before)]


def memory(pid, when):
    return {f"rss {when}": status_kib(pid, "VmRSS") / 1024, f"anon {when}": status_kib(pid, "RssAnon") / 1024}


# -- the programs


class Column:
    """One program measured: the bare window, or the program through the
    HID stand-in (`standin_dir`) or on the emulated mouse."""

    def __init__(self, key, exe, title, resources, standin_dir=None, length=None):
        self.key = key
        self.exe = exe
        self.title = title
        self.resources = resources
        self.standin_dir = standin_dir
        self.length = length
        self.is_bare = title == BARE_TITLE
        self.origin = None
        self.painted = None

    def variables(self, mouse_folder):
        if self.standin_dir:
            return standin.variables(mouse_folder, self.length)
        return {} if self.is_bare else {"KORVID_EMULATOR": mouse_folder}


class Run:
    """One start of a column's program from a private folder (harness.AppFolder) with its own mouse."""

    def __init__(self, desktop, column, work, args=()):
        self.desktop = desktop
        self.column = column
        self.folder = harness.AppFolder(tempfile.mkdtemp(prefix="run-", dir=work), column.exe, column.resources,
                                        standin_dir=column.standin_dir)
        self.mouse = Mouse(self.folder.mouse_folder)
        sh(["xdotool", "mousemove", *map(str, AWAY)])
        self.started = time.perf_counter()
        self.program = harness.Program(desktop, self.folder.exe, os.path.join(self.folder.root, "program.log"),
                                       args=args, **column.variables(self.folder.mouse_folder))

    def pid(self):
        return host_pid(self.folder.exe)

    def mouse_read(self):
        return self.column.is_bare or replies_read(self.mouse.log(), "07")

    def painted(self):
        """Whether the window's place shows it drawn as a settled run drew it."""
        grid = self.desktop.screen.grid(self.column.origin)
        matching = sum(a == b for a, b in zip(grid, self.column.painted))
        return matching >= PAINTED_SHARE * len(grid)

    def wait_shown(self, what, moment, read=False):
        """Waits until the window shows painted (with `read`: and the mouse
        read); the ms from `moment` until it was first visible, and until then."""
        visible = []

        def shown():
            if not visible and visible_window(self.column.title):
                visible.append(since(moment))
            return visible and self.painted() and (not read or self.mouse_read())

        wait_for(what, shown)
        return visible[0], since(moment)

    def end(self):
        self.program.kill()
        self.program.close_log()
        wait_for("the program's end", lambda: not program_pids(self.folder.exe))
        wait_for("the program's windows gone", lambda: not sh(["xdotool", "search", "--name",
                                                               f"^{self.column.title}$"]).stdout.strip())
        shutil.rmtree(self.folder.root, ignore_errors=True)


def warm_up(desktop, column, work):
    """A first run, not counted: Wine's files read once, and the window as a
    settled run shows it, which later runs are matched against."""
    run = Run(desktop, column, work)
    window = wait_for(f"{column.key} shown", lambda: visible_window(column.title))
    wait_for(f"{column.key}: the mouse read", run.mouse_read)
    time.sleep(2 * SETTLE_SECONDS)
    column.origin = window_origin(window)
    column.painted = desktop.screen.grid(column.origin)
    run.end()


def measure_start(desktop, column, work, idle_seconds):
    """Start until shown, memory shown; the bare window's idle CPU; the
    program's Apply; memory hidden after Close; the program shown again from the tray."""
    run = Run(desktop, column, work)
    result = dict(zip(("start visible", "start"), run.wait_shown(f"{column.key} shown", run.started, read=True)))
    time.sleep(SETTLE_SECONDS)
    pid = run.pid()
    result.update(memory(pid, "shown"))
    if column.is_bare:
        result["cpu idle"], result["server idle"] = cpu_percent([pid, wineserver_pid(desktop.prefix)],
                                                                idle_seconds)
        click(client_point(column.origin, (500, 400)))
    else:
        result.update(measure_apply(run))
        click(client_point(column.origin, harness.centre(harness.MAIN_BUTTONS[harness.CLOSE])))
    wait_for(f"{column.key} hidden", lambda: not visible_window(column.title))
    time.sleep(SETTLE_SECONDS)
    result.update(memory(pid, "hidden"))
    if not column.is_bare:
        result["show again visible"], result["show again"] = measure_show_from_tray(run)
    result["peak"] = status_kib(pid, "VmHWM") / 1024
    run.end()
    return result


def measure_apply(run):
    """Apply on the button page, from the click until the commit's reply has
    been read. The exchange log's lines, stamped as they appear, split it:
    the click to the first report; within the commands (a request to its
    replies, the protocol's pauses among them); between the commands (a
    reply to the next request)."""
    apply_button = harness.centre(harness.BUTTON_PAGE_APPLY[1], harness.PAGE_ORIGIN)
    first_line = len(run.mouse.log())
    stamped = []

    def committed():
        lines = run.mouse.log()[first_line:]
        now = time.perf_counter()
        stamped.extend((now, line) for line in lines[len(stamped):])
        return replies_read(lines, "04")

    clicked = click(client_point(run.column.origin, apply_button))
    wait_for("the commit", committed)
    within = between = 0.0
    for (before, earlier), (after, later) in zip(stamped, stamped[1:]):
        if earlier[0] == "GET" and later[0] == "SET":
            between += after - before
        else:
            within += after - before
    sh(["xdotool", "mousemove", *map(str, AWAY)])
    time.sleep(SETTLE_SECONDS)
    return {"apply": (stamped[-1][0] - clicked) * 1000, "apply to first report": (stamped[0][0] - clicked) * 1000,
            "apply within commands": within * 1000, "apply between commands": between * 1000}


def measure_show_from_tray(run):
    """A double click on the tray icon until the window is visible, and until it shows painted (ms)."""
    clicked = click(TRAY_ICON, count=2)
    times = run.wait_shown(f"{run.column.key} shown from the tray", clicked)
    sh(["xdotool", "mousemove", *map(str, AWAY)])
    return times


def measure_tray_start(desktop, column, work, idle_seconds):
    """The sign-in start (/tray): memory and idle CPU once settled, then the first show from the tray."""
    run = Run(desktop, column, work, args=[tray_argument()])
    wait_for(f"{column.key}: the tray icon", lambda: visible_window(harness.TRAY_TITLE))
    time.sleep(TRAY_SETTLE_SECONDS)
    pid = run.pid()
    result = {"tray " + key: value for key, value in memory(pid, "settled").items()}
    result["tray cpu"], result["tray server"] = cpu_percent([pid, wineserver_pid(desktop.prefix)], idle_seconds)
    result["tray show visible"], result["tray show"] = measure_show_from_tray(run)
    run.end()
    return result


def tray_argument():
    """The sign-in entry's argument, as app/start_options.h writes it."""
    with open(os.path.join(ROOT, "app", "start_options.h")) as header:
        return re.search(r'kTrayArgument\[\] = L"([^"]+)"', header.read()).group(1)


# -- the report


class Row:
    """A row of the table: each column's median of `key` (the bare window's
    of `bare_key`), and for each program the figure the goal names,
    `relation(program, bare)`, against `limit`."""

    def __init__(self, label, key, unit, bare_key=None, relation=None, shown="", limit=None, goal=""):
        self.label, self.key, self.unit, self.bare_key = label, key, unit, bare_key
        self.relation, self.shown, self.limit, self.goal = relation, shown, limit, goal


def rows(read_ms, apply_ms):
    return (
        Row("start until shown, mouse read", "start", "ms", "start", lambda p, b: p / (b + read_ms), "x {:.2f}",
            1.15, f"<= 1.15 x (bare + {read_ms} ms read)"),
        Row("  of it until visible", "start visible", "ms", "start visible"),
        Row("Apply, click to commit", "apply", "ms", None, lambda p, b: p / apply_ms, "x {:.2f}", 1.03,
            f"<= 1.03 x {apply_ms} ms of pauses"),
        Row("  click to the first report", "apply to first report", "ms"),
        Row("  within the commands", "apply within commands", "ms", None, lambda p, b: p - apply_ms,
            "{:+.0f} ms", None, f"beyond the {apply_ms} ms of pauses"),
        Row("  between the commands", "apply between commands", "ms"),
        Row("/tray: resident memory, settled", "tray rss settled", "MiB", "rss shown", lambda p, b: p - b,
            "{:+.1f} MiB", 8, "<= bare shown + 8 MiB"),
        Row("  of it anonymous", "tray anon settled", "MiB", "anon shown", lambda p, b: p - b, "{:+.1f} MiB"),
        Row("/tray: CPU over the idle seconds", "tray cpu", "%", "cpu idle", lambda p, b: p, "{:.2f} %", 0.0,
            "0.00 % (bare: shown, idle)"),
        Row("  wineserver meanwhile", "tray server", "%", "server idle"),
        Row("/tray: first show from the tray", "tray show", "ms", "start", lambda p, b: p / b, "x {:.2f}", 1.5,
            "<= 1.5 x bare start"),
        Row("  of it until visible", "tray show visible", "ms"),
        Row("resident memory, shown", "rss shown", "MiB", "rss shown", lambda p, b: p - b, "{:+.1f} MiB"),
        Row("  of it anonymous", "anon shown", "MiB", "anon shown", lambda p, b: p - b, "{:+.1f} MiB"),
        Row("resident memory, hidden after Close", "rss hidden", "MiB", "rss hidden", lambda p, b: p - b,
            "{:+.1f} MiB", 15, "<= bare hidden + 15 MiB"),
        Row("  of it anonymous", "anon hidden", "MiB", "anon hidden", lambda p, b: p - b, "{:+.1f} MiB"),
        Row("shown again from the tray", "show again", "ms", None, lambda p, b: p, "{:.0f} ms", 150, "<= 150 ms"),
        Row("  of it until visible", "show again visible", "ms"),
        Row("peak memory of the Wine process", "peak", "MiB", "peak"),
    )


def median(runs, key):
    values = [run[key] for run in runs if key in run]
    return statistics.median(values) if values else None


def figure(value, unit):
    if value is None:
        return f"{'-':>13s}"
    digits = {"%": 2, "ms": 0}.get(unit, 1)
    return f"{value:9.{digits}f} {unit:3s}"


def meets(value, limit):
    # Compared as printed: 0.00 % is met by what rounds to it.
    return round(value, 2) <= limit


def print_table(columns, results, read_ms, apply_ms):
    programs = [c for c in columns if not c.is_bare]
    bare = next(c for c in columns if c.is_bare)
    names = {"bare": "bare window", "shipped": "KorvidConfig", "emulated": "-emulated"}
    print(f"  {'':40s}" + "".join(f"{names[c.key]:>14s}" for c in columns) + "   goal")
    for row in rows(read_ms, apply_ms):
        bare_value = median(results[bare.key], row.bare_key) if row.bare_key else None
        values = [median(results[c.key], row.key) for c in programs]
        print(f"  {row.label:40s}{figure(bare_value, row.unit)} " + " ".join(figure(v, row.unit) for v in values))
        if row.relation is None:
            continue
        relations = [row.relation(v, bare_value) if v is not None else None for v in values]
        texts = [row.shown.format(r) if r is not None else "-" for r in relations]
        verdict = ""
        if row.limit is not None:
            verdict = "  " + " / ".join("met" if r is not None and meets(r, row.limit) else "not met"
                                        for r in relations)
        print(f"  {'':40s}{'':14s}" + "".join(f"{t:>14s}" for t in texts) + f"   {row.goal}{verdict}")


# -- the disk


def megabytes(size):
    return f"{size / 1e6:8.2f} MB"


def print_disk(build):
    """What the installer installs, from its build's own lists: the programs it
    staged (stripped), the README, the sheets of sheets.nsh by scale step;
    and the installer."""
    installer_build = os.path.join(build, "packaging", "installer")
    sheets_nsh = os.path.join(installer_build, "sheets.nsh")
    # The newest installer, should older versions' lie beside it.
    setups = sorted((f for f in os.listdir(build) if f.startswith("KorvidConfig-") and f.endswith("-setup.exe")),
                    key=lambda f: os.path.getmtime(os.path.join(build, f)), reverse=True)
    if not os.path.exists(sheets_nsh) or not setups:
        print("  (no installer in the build: cmake --build BUILD --target setup)")
        return
    with open(sheets_nsh) as nsh:
        sheets = re.findall(r'^File "([^"]+)"', nsh.read(), re.MULTILINE)
    resources = os.path.join(build, "program", "Resources")
    steps = {}
    for sheet in sheets:
        step = os.path.relpath(os.path.dirname(sheet), resources)
        steps[100 if step == "." else int(step)] = steps.get(100 if step == "." else int(step), 0) + \
            os.path.getsize(sheet)
    stage = os.path.join(installer_build, "stage")
    files = {name + " stripped": os.path.getsize(os.path.join(stage, name)) for name in sorted(os.listdir(stage))}
    files["README.txt"] = os.path.getsize(os.path.join(build, "generated", "README-users.txt"))
    for name, size in files.items():
        print(f"  {name:40s}{megabytes(size)}")
    for step, size in sorted(steps.items()):
        print(f"  {f'art at {step} %':40s}{megabytes(size)}")
    installed = sum(files.values()) + sum(steps.values())
    print(f"  {'installed':40s}{megabytes(installed)}   <= 12 MB  "
          f"{'met' if installed <= 12e6 else 'not met'}")
    setup = os.path.getsize(os.path.join(build, setups[0]))
    print(f"  {setups[0]:40s}{megabytes(setup)}   <= 3 MB  {'met' if setup <= 3e6 else 'not met'}")


SHEET_DECODE_ROUNDS = 7


def measure_sheet_decoding(desktop, exe, resources, work):
    """The skin's decoding of all its sheets at 100 % (tools/bench/sheet_decode.cc)
    against the same sheets read as uncompressed bitmaps: (sheets, skin ms,
    bitmap ms), the medians of its rounds."""
    folder = harness.AppFolder(tempfile.mkdtemp(prefix="decode-", dir=work), exe, resources)
    bitmaps = tempfile.mkdtemp(prefix="bitmaps-", dir=work)
    code, out, err = desktop.run_wine([folder.exe, str(SHEET_DECODE_ROUNDS), harness.wine_path(bitmaps)],
                                      timeout=600)
    found = re.search(r"sheets (\d+) rounds \d+ skin_ms ([\d.]+) bitmap_ms ([\d.]+)", out)
    if code != 0 or not found:
        raise SystemExit(f"the sheet decoding failed ({code}): {out}{err}")
    return int(found.group(1)), float(found.group(2)), float(found.group(3))


def print_sheet_decoding(sheets, skin_ms, bitmap_ms):
    print(f"  {f'decoding the {sheets} sheets at 100 %':40s}{skin_ms:5.0f} ms   as bitmaps {bitmap_ms:.0f} ms")
    ratio = skin_ms / bitmap_ms
    print(f"  {'':40s}x {ratio:.2f}   <= 1.00 x the bitmaps  {'met' if ratio <= 1.0 else 'not met'}")


# -- the run


def stripped_copy(exe, folder):
    """A program or DLL as users get it: the package target strips it, and
    Wine reads a program's sections into memory, debug information included.
    The HID stand-in's DLLs too, which stand for the system's."""
    target = os.path.join(folder, os.path.basename(exe))
    subprocess.run(["x86_64-w64-mingw32-strip", "-o", target, exe], check=True)
    return target


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--idle-seconds", type=float, default=10.0)
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "windows"))
    parser.add_argument("--prefix")
    parser.add_argument("--length", choices=standin.MODES, default=standin.MODES[0])
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    source_prefix = args.prefix or os.path.join(build, "..", "wineprefix-gui")
    # The GUI harness reads the build's control IDs as it is imported.
    os.environ.setdefault("KORVID_CONTROL_IDS", os.path.join(build, "tests", "gui", "control_ids.json"))
    global harness
    import harness
    program_dir = os.path.join(build, "program")
    standin_dir = os.path.join(build, "standin")
    needed = [os.path.join(program_dir, "KorvidConfig.exe"), os.path.join(program_dir, "KorvidConfig-emulated.exe"),
              os.path.join(build, "tools", "bench", "korvid-bare-window.exe"),
              os.path.join(build, "tests", "gui", "korvid-probe.exe"),
              os.path.join(build, "tools", "bench", "korvid-sheet-decode.exe"),
              os.environ["KORVID_CONTROL_IDS"]] + [os.path.join(standin_dir, dll) for dll in standin.DLLS]
    missing = [path for path in needed if not os.path.exists(path)]
    if missing or not os.path.isdir(source_prefix):
        raise SystemExit(f"not built: {', '.join(missing) or source_prefix}; run tools/test.sh first")
    read_ms, apply_ms = protocol_pauses()
    work = tempfile.mkdtemp(prefix="bench-gui-")
    try:
        prefix = os.path.join(work, "prefix")
        shutil.copytree(source_prefix, prefix, symlinks=True)
        programs = os.path.join(work, "programs")
        stripped_standin = os.path.join(programs, "standin")
        os.makedirs(stripped_standin)
        for dll in standin.DLLS:
            stripped_copy(os.path.join(standin_dir, dll), stripped_standin)
        resources = os.path.join(program_dir, "Resources")
        columns = [
            Column("bare", stripped_copy(needed[2], programs), BARE_TITLE, resources),
            Column("shipped", stripped_copy(needed[0], programs), harness.MAIN_TITLE, resources, stripped_standin,
                   args.length),
            Column("emulated", stripped_copy(needed[1], programs), harness.MAIN_TITLE, resources),
        ]
        desktop = harness.Desktop(prefix, needed[3], os.path.join(work, "screens"))
        desktop.start()
        # xdotool looks at this display; the runs read its pixels through the desktop.
        os.environ["DISPLAY"] = desktop.display
        desktop.screen = Screen(desktop.display)
        results = {column.key: [] for column in columns}
        try:
            for column in columns:
                warm_up(desktop, column, work)
            for _ in range(args.runs):
                runs = {c.key: measure_start(desktop, c, work, args.idle_seconds) for c in columns}
                for column in columns[1:]:
                    runs[column.key].update(measure_tray_start(desktop, column, work, args.idle_seconds))
                for key, run in runs.items():
                    results[key].append(run)
            decoding = measure_sheet_decoding(desktop, needed[4], resources, work)
        finally:
            desktop.screen.close()
            subprocess.run(["wineserver", "-k"], env=desktop.env())
            desktop.stop()
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"median of {args.runs} interleaved runs, idle CPU over {args.idle_seconds:.0f} s, "
          f"Wine {sh(['wine', '--version']).stdout.strip()}; KorvidConfig through the HID stand-in "
          f"({args.length} length), -emulated on the emulated mouse")
    print_table(columns, results, read_ms, apply_ms)
    print("the disk:")
    print_disk(build)
    print_sheet_decoding(*decoding)


if __name__ == "__main__":
    sys.exit(main())
