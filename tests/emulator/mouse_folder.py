"""The emulated mouse's folder as the test scripts see it: the stored block,
the fault script, the plug file and the exchange log, one line per report
("SET cmd=08 index=0 result=ok"), read as lists of fields. The korvidctl
tests, the GUI harness and the GUI benchmark all read the mouse through it.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "standin", "windows"))
import windows_standin as standin  # noqa: E402

EXCHANGE_LOG = "exchange.log"


def records(path):
    """The lines of a log as lists of fields; none when the log is not there yet."""
    if not os.path.exists(path):
        return []
    with open(path) as f:
        return [line.split() for line in f if line.strip()]


def field(line, name):
    """The value of `name=` in a log line, or None."""
    for item in line[1:]:
        if item.startswith(name + "="):
            return item.split("=", 1)[1]
    return None


def replies_read(log, command):
    """The GET lines of a command: each a reply of the mouse read."""
    return [line for line in log if line[0] == "GET" and field(line, "cmd") == command]


class Mouse:
    """An emulator folder: the mouse's stored block, faults and exchange log."""

    def __init__(self, folder):
        self.folder = folder

    def path(self, name):
        return os.path.join(self.folder, name)

    def block(self):
        with open(self.path("block.bin"), "rb") as f:
            return f.read()

    def log(self):
        return records(self.path(EXCHANGE_LOG))

    def commands_sent(self):
        """Command bytes of the successful SETs, in order."""
        return [field(l, "cmd") for l in self.log() if l[0] == "SET" and field(l, "result") == "ok"]

    def clear_log(self):
        for log in (EXCHANGE_LOG, standin.CALL_LOG):
            if os.path.exists(self.path(log)):
                os.remove(self.path(log))

    def faults(self, text):
        with open(self.path("faults"), "w") as f:
            f.write(text)

    def unplug(self):
        open(self.path("unplugged"), "w").close()

    def plug(self):
        os.remove(self.path("unplugged"))

    def calls(self):
        """The stand-in's call log (tests/standin/windows/windows_standin.py)."""
        return records(self.path(standin.CALL_LOG))

    def write_block(self, block):
        with open(self.path("block.bin"), "wb") as f:
            f.write(bytes(block))

    def no_pauses(self):
        """The mouse answers at once: many runs in little time."""
        os.makedirs(self.folder, exist_ok=True)
        open(self.path("no-pauses"), "w").close()
