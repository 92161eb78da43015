#!/usr/bin/env python3
"""Times korvidctl's commands against the emulated mouse and reports their
peak memory, plus the sizes of the built programs.

usage: tools/bench.py [--runs N] [--build DIR]
DIR is a native build folder (default build/native, built by tools/test.sh);
build/windows/korvidctl/korvidctl.exe is measured for size when present.
The emulated mouse keeps the real pauses of the protocol (50 ms status,
80 ms block read and write, 1500 ms commit), so those dominate the times.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


GNU_TIME = "/usr/bin/time"  # Debian package "time"


def run(command):
    """Wall time in ms and peak resident memory in KiB of one run.

    The peak comes from GNU time: a forked child's own rusage would also
    count the Python process it was forked from."""
    start = time.perf_counter()
    result = subprocess.run([GNU_TIME, "-f", "%M"] + command, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    elapsed = (time.perf_counter() - start) * 1000
    if result.returncode != 0:
        raise SystemExit(f"failed: {' '.join(command)}: {result.stderr}")
    return elapsed, int(result.stderr.strip().splitlines()[-1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "native"))
    args = parser.parse_args()
    if not os.path.exists(GNU_TIME):
        raise SystemExit("needs GNU time: apt-get install time")
    ctl = os.path.join(args.build, "tools", "korvidctl", "korvidctl")
    if not os.path.exists(ctl):
        raise SystemExit(f"no korvidctl at {ctl}: run tools/test.sh or build it first")
    folder = tempfile.mkdtemp(prefix="korvid-bench-")
    try:
        profile = os.path.join(folder, "bench.profile")
        base = [ctl, "--emulator", os.path.join(folder, "mouse")]
        run(base + ["save", profile])
        commands = {
            "block (no mouse)": [ctl, "block", profile],
            "profile show": [ctl, "profile", "show", profile],
            "info": base + ["info"],
            "show": base + ["show"],
            "save": base + ["save", profile],
            "apply": base + ["apply", profile],
            "set cpi1=800": base + ["set", "cpi1=800"],
        }
        print(f"{'command':<20} {'median ms':>10} {'min ms':>8} {'max ms':>8} {'peak RSS KiB':>13}")
        for name, command in commands.items():
            results = [run(command) for _ in range(args.runs)]
            times = [r[0] for r in results]
            print(f"{name:<20} {statistics.median(times):>10.1f} {min(times):>8.1f} {max(times):>8.1f} "
                  f"{max(r[1] for r in results):>13}")
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    print()
    exe = os.path.join(os.path.dirname(args.build.rstrip("/")), "windows", "tools", "korvidctl", "korvidctl.exe")
    for path in (ctl, exe):
        if os.path.exists(path):
            stripped = os.path.join(tempfile.gettempdir(), "korvid-bench-size")
            strip = "x86_64-w64-mingw32-strip" if path.endswith(".exe") else "strip"
            shutil.copy(path, stripped)
            subprocess.run([strip, stripped], check=False)
            print(f"{os.path.relpath(path, ROOT)}: {os.path.getsize(path) // 1024} KiB, "
                  f"{os.path.getsize(stripped) // 1024} KiB stripped")
            os.remove(stripped)


if __name__ == "__main__":
    main()
