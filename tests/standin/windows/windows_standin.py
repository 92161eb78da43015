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
import shutil
import subprocess

DLLS = ("hid.dll", "setupapi.dll")
PLUG_HELPER = "korvid-standin-plug.exe"
CALL_LOG = "hid-calls.log"
MODES = ("collection", "report")


def install(standin_dir, program, folder):
    """Copies `program` and the stand-in DLLs into `folder`; the copy's path."""
    os.makedirs(folder, exist_ok=True)
    for dll in DLLS:
        shutil.copy2(os.path.join(standin_dir, dll), folder)
    target = os.path.join(folder, os.path.basename(program))
    shutil.copy2(program, target)
    return target


def environment(env, mouse_folder, mode):
    """`env` for a program run through the stand-in on the mouse in `mouse_folder`."""
    env = dict(env)
    env.pop("KORVID_EMULATOR", None)
    env["WINEDLLOVERRIDES"] = "hid,setupapi=n,b"
    env["KORVID_HID_STANDIN"] = mouse_folder
    env["KORVID_HID_STANDIN_LENGTH"] = mode
    return env


def calls(mouse_folder):
    """The call log: one list of fields per HidD_SetFeature / HidD_GetFeature."""
    path = os.path.join(mouse_folder, CALL_LOG)
    if not os.path.exists(path):
        return []
    with open(path) as f:
        return [line.split() for line in f if line.strip()]


def plug(standin_dir, mouse_folder, plugged, env=None):
    """Plugs the mouse in or unplugs it as Windows tells programs: the plug
    helper sends WM_DEVICECHANGE to the program's windows."""
    helper = os.path.join(standin_dir, PLUG_HELPER)
    env = dict(env if env is not None else os.environ)
    env["KORVID_HID_STANDIN"] = mouse_folder
    result = subprocess.run(["wine", helper, "plug" if plugged else "unplug"], stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, env=env, timeout=60)
    if result.returncode != 0:
        raise RuntimeError("korvid-standin-plug failed: " + result.stderr)
    return result.stdout
