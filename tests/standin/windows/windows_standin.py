"""The Windows stand-in for the system's HID layer, as the test scripts use it.

The shipped program runs from a private folder that holds it beside the
stand-in's hid.dll and setupapi.dll, under Wine with
WINEDLLOVERRIDES="hid,setupapi=n,b" (plain "n" would starve Wine's own
services of setupapi) and KORVID_HID_STANDIN naming the mouse folder: the
emulated mouse's folder, where the stand-in keeps the interface files and
its call log. KORVID_HID_STANDIN_LENGTH chooses how long a feature buffer
must be: "collection" (the collection's longest feature report, as the class
driver's documentation asks) or "report" (the report's own length).
"""
import os
import re
import shutil
import subprocess
import tempfile
import time

DLLS = ("hid.dll", "setupapi.dll")
PLUG_HELPER = "korvid-standin-plug.exe"
CALL_LOG = "hid-calls.log"
MODES = ("collection", "report")


def install_dlls(standin_dir, folder):
    """Puts the stand-in DLLs into `folder`, beside a program there."""
    os.makedirs(folder, exist_ok=True)
    for dll in DLLS:
        shutil.copy2(os.path.join(standin_dir, dll), folder)


def install(standin_dir, program, folder):
    """Copies `program` and the stand-in DLLs into `folder`; the copy's path."""
    install_dlls(standin_dir, folder)
    target = os.path.join(folder, os.path.basename(program))
    shutil.copy2(program, target)
    return target


def variables(mouse_folder, mode):
    """The variables of a program run through the stand-in on the mouse in `mouse_folder`."""
    return {"WINEDLLOVERRIDES": "hid,setupapi=n,b", "KORVID_HID_STANDIN": mouse_folder,
            "KORVID_HID_STANDIN_LENGTH": mode}


def environment(env, mouse_folder, mode):
    """`env` for a program run through the stand-in, without the emulated build's variable."""
    env = dict(env)
    env.pop("KORVID_EMULATOR", None)
    # Without it the wine launcher adds a hint of its own to every error output.
    env.setdefault("WINEDEBUG", "-all")
    env.update(variables(mouse_folder, mode))
    return env


ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))


def model_id(field):
    """One of the mouse model's USB IDs (vendorId, productId), as profile/device_model.h defines it."""
    with open(os.path.join(ROOT, "profile", "device_model.h")) as f:
        return int(re.search(r"\b%s = (0x[0-9A-Fa-f]+);" % field, f.read()).group(1), 16)


MOUSE_ENTRY_MARK = "VID_%04X&PID_%04X" % (model_id("vendorId"), model_id("productId"))
PLUG_SECONDS = 30


def mouse_present(mouse_folder):
    """Whether the mouse's interface entries are there."""
    folder = os.path.join(mouse_folder, "interfaces")
    return os.path.isdir(folder) and any(MOUSE_ENTRY_MARK in name.upper() for name in os.listdir(folder))


def start_helper(standin_dir, mouse_folder, args, env=None):
    """The plug helper started with `args`, and the file that takes its output."""
    env = dict(env if env is not None else os.environ)
    env["KORVID_HID_STANDIN"] = mouse_folder
    # A file, not a pipe: a Wine service the helper starts would hold a pipe open.
    output = tempfile.TemporaryFile()
    process = subprocess.Popen(["wine", os.path.join(standin_dir, PLUG_HELPER)] + list(args),
                               stdin=subprocess.DEVNULL, stdout=output, stderr=output, env=env)
    return process, output


class Hold:
    """Another program holding the mouse's configuration interface, opened
    read/write and shared with nobody, from when this returns until stop()."""

    def __init__(self, standin_dir, mouse_folder, env=None):
        self.process, self.output = start_helper(standin_dir, mouse_folder, ["hold", str(PLUG_SECONDS * 1000)],
                                                 env)
        deadline = time.monotonic() + PLUG_SECONDS
        while True:
            self.output.seek(0)
            if b"held" in self.output.read():
                return
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("korvid-standin-plug could not hold the interface")
            time.sleep(0.02)

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()
        self.output.close()


class Plug:
    """One run of the plug helper: the mouse plugged in or unplugged as Windows
    tells programs, by WM_DEVICECHANGE to their windows. Starting returns once
    the interface entries are in line; the notifications may still be on
    their way, as on Windows a window busy with the mouse takes them when it
    can. finish() waits for the helper and raises if it failed."""

    def __init__(self, standin_dir, mouse_folder, plugged, env=None):
        self.process, self.output = start_helper(standin_dir, mouse_folder, ["plug" if plugged else "unplug"], env)
        deadline = time.monotonic() + PLUG_SECONDS
        while mouse_present(mouse_folder) != plugged:
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.finish()
                raise RuntimeError("korvid-standin-plug did not bring the interface entries in line")
            time.sleep(0.02)

    def finish(self, timeout=PLUG_SECONDS):
        try:
            code = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            code = self.process.wait()
        self.output.seek(0)
        text = self.output.read().decode(errors="replace")
        self.output.close()
        if code != 0:
            raise RuntimeError(f"korvid-standin-plug failed ({code}): {text}")
        return text
