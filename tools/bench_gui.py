#!/usr/bin/env python3
"""Measures the Windows program under Wine as a user meets it, on the emulated
mouse, beside the floor: a bare borderless GDI+ window of the same size
(tools/bench/bare_window.cc), started the same way and interleaved with the
program run by run.

Side by side, the median of the runs: start until the window shows (for the
program: and the mouse has been read), resident and anonymous memory shown
and after Close (hidden in the tray), and the CPU while the pointer rests on
a skinned button, while it is away from the window, and hidden after Close
with the pointer where Close was. Then the program alone: a page switch,
Apply until the mouse has committed, an unplug and replug, a right click on
the tray icon until its menu shows, its peak memory and its size.

usage: tools/bench_gui.py [--runs N] [--idle-seconds S] [--build DIR]
DIR is a Windows build folder (default build/windows, built by tools/test.sh).
Runs in its own virtual display and its own copy of the build's Wine prefix.
Memory and CPU are those of the Wine process that hosts each program (so they
include Wine's own libraries); the CPU of the prefix's wineserver, which
carries the timers and messages, is shown beside it.
"""
import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "gui"))
sys.path.insert(0, os.path.join(ROOT, "tests", "emulator"))
from mouse_folder import Mouse, replies_read  # noqa: E402

TITLE = "^Korvid Configuration Software$"
BARE_TITLE = "^Korvid Bare Window$"
MENU_TITLE = "^menu$"
# The first icon of Wine's own tray window, in the screen's top-left corner.
TRAY_ICON = ("13", "32")
# Client points: the button page's Apply button, and Close.
SKINNED_BUTTON = ("798", "546")
CLOSE = ("1041", "17")
# A screen point away from the window (the screen is 1280 x 1024).
AWAY = ("1270", "1010")
TICKS_PER_SECOND = os.sysconf("SC_CLK_TCK")


def sh(command, **kwargs):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, **kwargs)


def wait_for(predicate, timeout=20.0, step=0.005):
    start = time.perf_counter()
    while time.perf_counter() - start < timeout:
        value = predicate()
        if value:
            return value, (time.perf_counter() - start) * 1000
        time.sleep(step)
    raise SystemExit("timed out")


def visible_window(title=TITLE):
    out = sh(["xdotool", "search", "--onlyvisible", "--name", title]).stdout.split()
    return out[0] if out else None


def start_program(path, env, app_dir):
    """The program started in a process group of its own, which end_program ends."""
    return subprocess.Popen(["wine", path], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            cwd=app_dir, start_new_session=True)


def end_program(process, path, title):
    os.killpg(process.pid, signal.SIGKILL)
    process.wait()
    wait_for(lambda: not program_pids(path))
    wait_for(lambda: not sh(["xdotool", "search", "--name", title]).stdout.strip())


def mouse_read(mouse, since=0):
    """Whether the mouse's block has been read (since the log's line `since`)."""
    return replies_read(mouse.log()[since:], "07")


def program_pids(program):
    # Matched by the program's full path, which is this run's own copy.
    return sh(["pgrep", "-f", program]).stdout.split()


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
    t0 = time.perf_counter()
    time.sleep(seconds)
    elapsed = time.perf_counter() - t0
    return [100.0 * (cpu_ticks(pid) - b) / TICKS_PER_SECOND / elapsed for pid, b in zip(pids, before)]


def floor_run(path, title, app_dir, env, server, idle_seconds):
    """Start, memory and idle CPU of one program: the bare window or ours."""
    mouse = Mouse(tempfile.mkdtemp(prefix="bench-mouse-"))
    run_env = dict(env, KORVID_EMULATOR=mouse.folder)
    sh(["xdotool", "mousemove", *AWAY])
    start = time.perf_counter()
    process = start_program(path, run_env, app_dir)
    window, _ = wait_for(lambda: visible_window(title))
    if title == TITLE:
        wait_for(lambda: mouse_read(mouse))
    result = {"start": (time.perf_counter() - start) * 1000}
    time.sleep(1.0)
    pid = host_pid(path)
    result["rss shown"] = status_kib(pid, "VmRSS") / 1024
    result["anon shown"] = status_kib(pid, "RssAnon") / 1024
    sh(["xdotool", "mousemove", "--window", window, *SKINNED_BUTTON])
    time.sleep(0.5)
    result["cpu on button"], result["server on button"] = cpu_percent([pid, server], idle_seconds)
    sh(["xdotool", "mousemove", *AWAY])
    time.sleep(0.5)
    result["cpu away"], result["server away"] = cpu_percent([pid, server], idle_seconds)
    sh(["xdotool", "mousemove", "--window", window, *CLOSE, "click", "1"])
    wait_for(lambda: not visible_window(title))
    time.sleep(1.0)
    result["rss hidden"] = status_kib(pid, "VmRSS") / 1024
    result["anon hidden"] = status_kib(pid, "RssAnon") / 1024
    result["cpu hidden"], result["server hidden"] = cpu_percent([pid, server], idle_seconds)
    end_program(process, path, title)
    shutil.rmtree(mouse.folder, ignore_errors=True)
    return result


FLOOR_ROWS = (
    # key, label, unit, how the program is compared with the bare window
    ("start", "start until shown (program: mouse read)", "ms", "ratio"),
    ("rss shown", "resident memory, shown", "MiB", "difference"),
    ("anon shown", "  of it anonymous", "MiB", "difference"),
    ("rss hidden", "resident memory, after Close", "MiB", "difference"),
    ("anon hidden", "  of it anonymous", "MiB", "difference"),
    ("cpu on button", "CPU, pointer on a skinned button", "%", "difference"),
    ("server on button", "  wineserver meanwhile", "%", "difference"),
    ("cpu away", "CPU, pointer away from the window", "%", "difference"),
    ("server away", "  wineserver meanwhile", "%", "difference"),
    ("cpu hidden", "CPU, hidden after Close", "%", "difference"),
    ("server hidden", "  wineserver meanwhile", "%", "difference"),
)


def print_floor(bare_runs, program_runs):
    print(f"{'':42s} {'bare window':>12s} {'KorvidConfig':>12s} {'':>14s}")
    for key, label, unit, compare in FLOOR_ROWS:
        bare = statistics.median(r[key] for r in bare_runs)
        ours = statistics.median(r[key] for r in program_runs)
        digits = 2 if unit == "%" else (0 if unit == "ms" else 1)
        if compare == "ratio":
            relation = f"x {ours / bare:.2f}" if bare else ""
        else:
            relation = f"{ours - bare:+.{digits}f} {unit}"
        print(f"  {label:40s} {bare:9.{digits}f} {unit:3s}{ours:9.{digits}f} {unit:3s} {relation:>13s}")


def one_run(program, app_dir, env):
    mouse = Mouse(tempfile.mkdtemp(prefix="bench-mouse-"))
    run_env = dict(env, KORVID_EMULATOR=mouse.folder)
    start = time.perf_counter()
    process = start_program(program, run_env, app_dir)
    window, _ = wait_for(visible_window)
    wait_for(lambda: mouse_read(mouse))
    started = (time.perf_counter() - start) * 1000
    time.sleep(0.3)
    t0 = time.perf_counter()
    sh(["xdotool", "mousemove", "--window", window, "400", "60", "click", "1"])
    switched = (time.perf_counter() - t0) * 1000
    before = len(mouse.log())
    t0 = time.perf_counter()
    sh(["xdotool", "mousemove", "--window", window, "890", "577", "click", "1"])
    wait_for(lambda: replies_read(mouse.log()[before:], "04"))
    applied = (time.perf_counter() - t0) * 1000
    mouse.unplug()
    before = len(mouse.log())
    time.sleep(0.5)
    t0 = time.perf_counter()
    mouse.plug()
    wait_for(lambda: mouse_read(mouse, before))
    replugged = (time.perf_counter() - t0) * 1000
    time.sleep(0.3)
    t0 = time.perf_counter()
    sh(["xdotool", "mousemove", *TRAY_ICON, "click", "3"])
    wait_for(lambda: sh(["xdotool", "search", "--onlyvisible", "--name", MENU_TITLE]).stdout.strip())
    tray_menu = (time.perf_counter() - t0) * 1000
    sh(["xdotool", "mousemove", "--window", window, "500", "400", "click", "1"])
    wait_for(lambda: not sh(["xdotool", "search", "--onlyvisible", "--name", MENU_TITLE]).stdout.strip())
    # The program runs in a Wine process apart from the launcher: the
    # largest of the matching processes.
    peak = max((status_kib(pid, "VmHWM") for pid in program_pids(program)), default=0)
    end_program(process, program, TITLE)
    shutil.rmtree(mouse.folder, ignore_errors=True)
    return started, switched, applied, replugged, tray_menu, peak


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--idle-seconds", type=float, default=20.0)
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "windows"))
    args = parser.parse_args()
    # The GUI harness, which starts the screen, reads the build's control IDs as it is imported.
    os.environ.setdefault("KORVID_CONTROL_IDS", os.path.join(args.build, "tests", "gui", "control_ids.json"))
    from harness import start_xvfb, stop_xvfb
    program_dir = os.path.join(args.build, "program")
    bare_exe = os.path.join(args.build, "tools", "bench", "korvid-bare-window.exe")
    if not os.path.exists(os.path.join(program_dir, "KorvidConfig-emulated.exe")) or not os.path.exists(bare_exe):
        raise SystemExit(f"no program in {program_dir}: run tools/test.sh first")
    work = tempfile.mkdtemp(prefix="bench-gui-")
    prefix = os.path.join(work, "prefix")
    shutil.copytree(os.path.join(args.build, "..", "wineprefix"), prefix, symlinks=True)
    app_dir = os.path.join(work, "app")
    shutil.copytree(program_dir, app_dir)
    # Users get the program stripped (the package target strips it); Wine
    # reads a program's sections into memory, debug information included.
    subprocess.run(["x86_64-w64-mingw32-strip", os.path.join(app_dir, "KorvidConfig-emulated.exe")], check=True)
    data = os.path.join(work, "data")
    os.makedirs(data)
    with open(os.path.join(app_dir, "Resources", "Config.ini"), "w") as ini:
        ini.write("[ConfigData]\r\nDataPath=Z:" + data.replace("/", "\\") + "\r\n")
    xvfb, display = start_xvfb()
    env = dict(os.environ, DISPLAY=display, WINEPREFIX=prefix, WINEDEBUG="-all", WINEARCH="win64")
    try:
        subprocess.run(["wineserver", "-p"], env=env)
        subprocess.run(["wine", "cmd.exe", "/c", "exit"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.environ.update(DISPLAY=display, WINEPREFIX=prefix)
        program = os.path.join(app_dir, "KorvidConfig-emulated.exe")
        bare = os.path.join(app_dir, "korvid-bare-window.exe")
        shutil.copy(bare_exe, bare)
        server = wineserver_pid(prefix)
        bare_runs, program_runs = [], []
        for _ in range(args.runs):
            bare_runs.append(floor_run(bare, BARE_TITLE, app_dir, env, server, args.idle_seconds))
            program_runs.append(floor_run(program, TITLE, app_dir, env, server, args.idle_seconds))
        results = [one_run(program, app_dir, env) for _ in range(args.runs)]
    finally:
        subprocess.run(["wineserver", "-k"], env=env)
        stop_xvfb(xvfb)
        shutil.rmtree(work, ignore_errors=True)
    names = ["start to window, mouse read", "page switch (xdotool click)", "Apply until committed",
             "replug until read (900 ms settle)", "tray menu (right click to shown)"]
    print(f"median of {args.runs} interleaved runs, idle CPU over {args.idle_seconds:.0f} s, "
          f"Wine {sh(['wine', '--version']).stdout.strip()}")
    print_floor(bare_runs, program_runs)
    print("the program alone:")
    for index, name in enumerate(names):
        print(f"  {name:36s} {statistics.median(r[index] for r in results):8.0f} ms")
    print(f"  {'peak memory of the Wine process':36s} {max(r[5] for r in results) / 1024:8.1f} MiB")
    for exe in ("KorvidConfig.exe", "KorvidConfig-emulated.exe"):
        path = os.path.join(program_dir, exe)
        if not os.path.exists(path):
            continue
        stripped = os.path.join(tempfile.gettempdir(), "bench-" + exe)
        subprocess.run(["x86_64-w64-mingw32-strip", "-o", stripped, path])
        print(f"  {exe + ' stripped':36s} {os.path.getsize(stripped) / 1024:8.0f} KiB")
        os.remove(stripped)
    sheets = os.path.join(program_dir, "Resources")
    total = sum(os.path.getsize(os.path.join(sheets, f)) for f in os.listdir(sheets))
    print(f"  {'Resources folder':36s} {total / 1024:8.0f} KiB")


if __name__ == "__main__":
    sys.exit(main())
