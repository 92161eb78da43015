#!/usr/bin/env python3
"""Times the Windows program under Wine as a user meets it, on the emulated
mouse: start until the main window shows (mouse read included), a page
switch, Apply until the mouse has committed, and an unplug and replug; and
a right click on the tray icon until its menu shows; and the program's peak
memory.

usage: tools/bench_gui.py [--runs N] [--build DIR]
DIR is a Windows build folder (default build/windows, built by tools/test.sh).
Runs in its own virtual display and its own copy of the build's Wine prefix.
Peak memory is the VmHWM of the Wine process that hosts the program, so it
includes Wine's own libraries.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TITLE = "^Korvid Configuration Software$"
MENU_TITLE = "^menu$"
# The first icon of Wine's own tray window, in the screen's top-left corner.
TRAY_ICON = ("13", "32")


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


def visible_window():
    out = sh(["xdotool", "search", "--onlyvisible", "--name", TITLE]).stdout.split()
    return out[0] if out else None


def log_lines(mouse):
    try:
        with open(os.path.join(mouse, "exchange.log")) as log:
            return log.read().splitlines()
    except FileNotFoundError:
        return []


def program_pids(program):
    # Matched by the program's full path, which is this run's own copy.
    return sh(["pgrep", "-f", program]).stdout.split()


def peak_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def one_run(program, app_dir, env):
    mouse = tempfile.mkdtemp(prefix="bench-mouse-")
    run_env = dict(env, KORVID_EMULATOR=mouse)
    start = time.perf_counter()
    process = subprocess.Popen(["wine", program], env=run_env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, cwd=app_dir)
    window, _ = wait_for(visible_window)
    wait_for(lambda: any("cmd=07" in l and l.startswith("GET") for l in log_lines(mouse)))
    started = (time.perf_counter() - start) * 1000
    time.sleep(0.3)
    t0 = time.perf_counter()
    sh(["xdotool", "mousemove", "--window", window, "400", "60", "click", "1"])
    switched = (time.perf_counter() - t0) * 1000
    before = len(log_lines(mouse))
    t0 = time.perf_counter()
    sh(["xdotool", "mousemove", "--window", window, "890", "577", "click", "1"])
    wait_for(lambda: any("cmd=04" in l and l.startswith("GET") for l in log_lines(mouse)[before:]))
    applied = (time.perf_counter() - t0) * 1000
    open(os.path.join(mouse, "unplugged"), "w").close()
    before = len(log_lines(mouse))
    time.sleep(0.5)
    t0 = time.perf_counter()
    os.remove(os.path.join(mouse, "unplugged"))
    wait_for(lambda: any("cmd=07" in l and l.startswith("GET") for l in log_lines(mouse)[before:]))
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
    peak = max((peak_kib(pid) for pid in program_pids(program)), default=0)
    sh(["pkill", "-9", "-f", program])
    process.wait()
    wait_for(lambda: not program_pids(program))
    wait_for(lambda: not sh(["xdotool", "search", "--name", TITLE]).stdout.strip())
    shutil.rmtree(mouse, ignore_errors=True)
    return started, switched, applied, replugged, tray_menu, peak


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "windows"))
    args = parser.parse_args()
    program_dir = os.path.join(args.build, "program")
    if not os.path.exists(os.path.join(program_dir, "KorvidConfig-emulated.exe")):
        raise SystemExit(f"no program in {program_dir}: run tools/test.sh first")
    work = tempfile.mkdtemp(prefix="bench-gui-")
    prefix = os.path.join(work, "prefix")
    shutil.copytree(os.path.join(args.build, "..", "wineprefix"), prefix, symlinks=True)
    app_dir = os.path.join(work, "app")
    shutil.copytree(program_dir, app_dir)
    data = os.path.join(work, "data")
    os.makedirs(data)
    with open(os.path.join(app_dir, "Resources", "Config.ini"), "w") as ini:
        ini.write("[ConfigData]\r\nDataPath=Z:" + data.replace("/", "\\") + "\r\n")
    display = ":" + str(150 + os.getpid() % 50)
    xvfb = subprocess.Popen(["Xvfb", display, "-nolisten", "tcp", "-screen", "0", "1280x1024x24"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env = dict(os.environ, DISPLAY=display, WINEPREFIX=prefix, WINEDEBUG="-all", WINEARCH="win64")
    try:
        time.sleep(1)
        subprocess.run(["wineserver", "-p"], env=env)
        subprocess.run(["wine", "cmd.exe", "/c", "exit"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.environ.update(DISPLAY=display, WINEPREFIX=prefix)
        program = os.path.join(app_dir, "KorvidConfig-emulated.exe")
        results = [one_run(program, app_dir, env) for _ in range(args.runs)]
    finally:
        subprocess.run(["wineserver", "-k"], env=env)
        xvfb.kill()
        shutil.rmtree(work, ignore_errors=True)
    names = ["start to window, mouse read", "page switch (xdotool click)", "Apply until committed",
             "replug until read (900 ms settle)", "tray menu (right click to shown)"]
    print(f"median of {args.runs} runs, Wine {sh(['wine', '--version']).stdout.strip()}")
    for index, name in enumerate(names):
        print(f"  {name:36s} {statistics.median(r[index] for r in results):8.0f} ms")
    print(f"  {'peak memory of the Wine process':36s} {max(r[5] for r in results) / 1024:8.1f} MiB")
    for exe in ("KorvidConfig.exe", "KorvidConfig-emulated.exe"):
        path = os.path.join(program_dir, exe)
        stripped = os.path.join(tempfile.gettempdir(), "bench-" + exe)
        subprocess.run(["x86_64-w64-mingw32-strip", "-o", stripped, path])
        print(f"  {exe + ' stripped':36s} {os.path.getsize(stripped) / 1024:8.0f} KiB")
        os.remove(stripped)
    sheets = os.path.join(program_dir, "Resources")
    total = sum(os.path.getsize(os.path.join(sheets, f)) for f in os.listdir(sheets))
    print(f"  {'Resources folder':36s} {total / 1024:8.0f} KiB")


if __name__ == "__main__":
    sys.exit(main())
