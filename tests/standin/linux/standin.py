#!/usr/bin/env python3
"""The Linux stand-in for the system's HID layer.

The unchanged native korvidctl finds the mouse the way it does on a user's
machine: it lists /sys/class/hidraw, reads each node's IDs, release number
and report descriptor from sysfs and opens /dev/hidrawN. Here those are ours:
fuse_hidraw serves regular files hidraw0, hidraw1, ... whose HID ioctls the
emulated mouse in a folder answers, and a sysfs tree written from what those
nodes report is laid out as the kernel lays it out. Both are mounted over
/sys and /dev in a private mount namespace (unshare -m --propagation
private), so nothing outside sees them.

As a program it runs one command through the stand-in, as root:

  standin.py --fuse FUSE_HIDRAW --mouse DIR [--mode 0600] [--node NODE]... -- COMMAND [ARG]...

NODE is NAME=COLLECTION[+COLLECTION...][@other] with the collections config,
vendor, keyboard, pointer (default: one node, hidraw0=config).
"""
import argparse
import fcntl
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
# Set in the re-entered process: it is the one in the namespace of its own.
NAMESPACE_MARK = "KORVID_STANDIN_NAMESPACE"
# Exit code of a run that cannot have a mount namespace here (CTest: skipped).
SKIPPED = 77

# linux/hidraw.h
_IOC_WRITE, _IOC_READ = 1, 2
HID_MAX_DESCRIPTOR_SIZE = 4096


def _hidraw_ioc(direction, number, size):
    return direction << 30 | size << 16 | ord("H") << 8 | number


HIDIOCGRDESCSIZE = _hidraw_ioc(_IOC_READ, 0x01, 4)
HIDIOCGRDESC = _hidraw_ioc(_IOC_READ, 0x02, 4 + HID_MAX_DESCRIPTOR_SIZE)
HIDIOCGRAWINFO = _hidraw_ioc(_IOC_READ, 0x03, 8)
NAME_LENGTH = 256
HIDIOCGRAWNAME = _hidraw_ioc(_IOC_READ, 0x04, NAME_LENGTH)
HIDRAW_MAJOR = 244
BUS_USB = 3
# Where a USB device of the mouse hangs in sysfs, and an unrelated HID device
# made by software (no USB ancestor, so no release number).
USB_DEVICE = "devices/pci0000:00/0000:00:14.0/usb1/1-2"
UHID_DEVICES = "devices/virtual/misc/uhid"
OTHER_DEVICE_SUFFIX = "@other"
# The device nodes programs expect besides the hidraw ones.
SYSTEM_NODES = ("null", "zero", "urandom", "tty")


def header_constant(header, name):
    """A number a header of the tree defines, e.g. header_constant(
    "emulator/emulated_mouse.h", "kReleaseNumber")."""
    with open(os.path.join(ROOT, header)) as f:
        match = re.search(r"\b%s = (0x[0-9A-Fa-f]+|\d+)[,;]" % name, f.read())
    return int(match.group(1), 0)


def node_name(node):
    return node.split("=", 1)[0]


# ---- the mount namespace ----------------------------------------------------

def why_not_runnable():
    """Why the stand-in cannot run here, or None."""
    if os.geteuid() != 0:
        return "the hidraw stand-in needs root (mounts and a FUSE file system)"
    if not os.path.exists("/dev/fuse"):
        return "the hidraw stand-in needs /dev/fuse"
    for tool in ("unshare", "mount", "umount", "setpriv"):
        if shutil.which(tool) is None:
            return "the hidraw stand-in needs %s (util-linux)" % tool
    if subprocess.run(["unshare", "-m", "--propagation", "private", "true"],
                      stderr=subprocess.DEVNULL).returncode != 0:
        return "no private mount namespace can be made here (unshare -m)"
    return None


def enter_private_namespace():
    """Runs this program again in a mount namespace of its own, unless this
    is that run; there, makes sure the namespace really is not the caller's.
    Exits with SKIPPED where that cannot be done."""
    if os.environ.get(NAMESPACE_MARK) != "1":
        reason = why_not_runnable()
        if reason:
            print("skipped: " + reason, file=sys.stderr)
            sys.exit(SKIPPED)
        env = dict(os.environ, **{NAMESPACE_MARK: "1"})
        os.execvpe("unshare", ["unshare", "-m", "--propagation", "private", sys.executable] + sys.argv, env)
    own = os.readlink("/proc/self/ns/mnt")
    try:
        caller = os.readlink("/proc/%d/ns/mnt" % os.getppid())
    except OSError:
        caller = None
    if own == caller:
        sys.exit("standin: refusing to mount over /sys and /dev outside a private mount namespace")


def run(*command):
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)


def mount_tmpfs(target):
    os.makedirs(target, exist_ok=True)
    run("mount", "-t", "tmpfs", "-o", "mode=0755", "korvid-standin", target)


def bind_file(source, target):
    open(target, "w").close()
    run("mount", "--bind", source, target)


def private_overlay(folder, scratch):
    """Mounts an overlay over `folder` whose changes land in a tmpfs below
    `scratch`: the test may add and remove files there, seen only in this
    namespace. Returns the mount points in the order they were made."""
    mount_tmpfs(scratch)
    for part in ("upper", "work"):
        os.mkdir(os.path.join(scratch, part))
    run("mount", "-t", "overlay", "korvid-standin", "-o",
        "lowerdir=%s,upperdir=%s/upper,workdir=%s/work" % (folder, scratch, scratch), folder)
    return [scratch, folder]


# ---- what the nodes report, laid out as sysfs -------------------------------

def node_facts(path):
    """IDs, name and report descriptor, as the node's ioctls give them."""
    fd = os.open(path, os.O_RDONLY)
    try:
        info = bytearray(8)
        fcntl.ioctl(fd, HIDIOCGRAWINFO, info)
        bus, vendor, product = struct.unpack("<Ihh", info)
        size = bytearray(4)
        fcntl.ioctl(fd, HIDIOCGRDESCSIZE, size)
        descriptor = bytearray(4 + HID_MAX_DESCRIPTOR_SIZE)
        descriptor[:4] = size
        fcntl.ioctl(fd, HIDIOCGRDESC, descriptor)
        name = bytearray(NAME_LENGTH)
        length = fcntl.ioctl(fd, HIDIOCGRAWNAME, name)
    finally:
        os.close(fd)
    return {"bus": bus, "vendor": vendor & 0xFFFF, "product": product & 0xFFFF,
            "descriptor": bytes(descriptor[4:4 + struct.unpack("<i", size)[0]]),
            "name": name[:length].rstrip(b"\0").decode()}


def write_file(path, content):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb" if isinstance(content, bytes) else "w") as f:
        f.write(content)


def write_sysfs(root, served, nodes, details=True):
    """The sysfs of the nodes below `root`, as the kernel lays it out:
    class/hidraw/hidrawN -> devices/.../BUS:VID:PID.NNNN/hidraw/hidrawN with
    a `device` link to the HID device, whose folder holds uevent (HID_ID,
    HID_NAME) and report_descriptor; the mouse's nodes hang below one USB
    device with its bcdDevice, idVendor and idProduct, one USB interface a
    node; another device's below uhid. Without `details` only the class
    folder's entries, as a container's partial sysfs may show them."""
    release = header_constant("emulator/emulated_mouse.h", "kReleaseNumber")
    os.makedirs(os.path.join(root, "class", "hidraw"))
    for number, node in enumerate(nodes):
        name = node_name(node)
        if not details:
            os.mkdir(os.path.join(root, "class", "hidraw", name))
            continue
        facts = node_facts(os.path.join(served, name))
        ids = "%04X:%04X:%04X" % (facts["bus"], facts["vendor"], facts["product"])
        if node.endswith(OTHER_DEVICE_SUFFIX):
            parent = UHID_DEVICES
        else:
            usb = os.path.join(root, USB_DEVICE)
            write_file(os.path.join(usb, "bcdDevice"), "%04x\n" % release)
            write_file(os.path.join(usb, "idVendor"), "%04x\n" % facts["vendor"])
            write_file(os.path.join(usb, "idProduct"), "%04x\n" % facts["product"])
            parent = "%s/1-2:1.%d" % (USB_DEVICE, number)
        hid = "%s/%s.%04X" % (parent, ids, number + 1)
        write_file(os.path.join(root, hid, "uevent"),
                   "DRIVER=hid-generic\nHID_ID=%04X:%08X:%08X\nHID_NAME=%s\nHID_PHYS=usb-0000:00:14.0-2/input%d\n"
                   "HID_UNIQ=\nMODALIAS=hid:b%04Xg0001v%08Xp%08X\n"
                   % (facts["bus"], facts["vendor"], facts["product"], facts["name"], number,
                      facts["bus"], facts["vendor"], facts["product"]))
        write_file(os.path.join(root, hid, "report_descriptor"), facts["descriptor"])
        hidraw = os.path.join(hid, "hidraw", name)
        write_file(os.path.join(root, hidraw, "dev"), "%d:%d\n" % (HIDRAW_MAJOR, number))
        write_file(os.path.join(root, hidraw, "uevent"),
                   "MAJOR=%d\nMINOR=%d\nDEVNAME=%s\n" % (HIDRAW_MAJOR, number, name))
        os.symlink(os.path.join("..", "..", "..", os.path.basename(hid)), os.path.join(root, hidraw, "device"))
        os.symlink(os.path.join("..", "..", hidraw), os.path.join(root, "class", "hidraw", name))


# ---- the stand-in -----------------------------------------------------------

class HidrawStandin:
    """fuse_hidraw serving `nodes` from the emulated mouse in `mouse`, its
    sysfs tree over /sys and a /dev holding its nodes and SYSTEM_NODES over
    /dev, while the `with` block runs. Only in a private mount namespace
    (enter_private_namespace)."""

    def __init__(self, fuse_server, mouse, nodes=("hidraw0=config",), mode="0600", sysfs_details=True):
        self.fuse_server = fuse_server
        self.mouse = mouse
        self.nodes = list(nodes)
        self.mode = mode
        self.sysfs_details = sysfs_details
        self.server = None
        self.mounted = []

    def __enter__(self):
        self.scratch = tempfile.mkdtemp(prefix="korvid-standin-")
        try:
            self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _start(self):
        served = os.path.join(self.scratch, "served")
        os.mkdir(served)
        self.server = subprocess.Popen([self.fuse_server, "--mouse", self.mouse, "--mode", self.mode, served]
                                       + self.nodes, stdout=subprocess.PIPE, text=True)
        if self.server.stdout.readline().strip() != "ready":
            raise RuntimeError("fuse_hidraw did not mount (exit code %s)" % self.server.wait(30))
        self.mounted.append(served)

        sys_tree = os.path.join(self.scratch, "sys")
        mount_tmpfs(sys_tree)
        write_sysfs(sys_tree, served, self.nodes, self.sysfs_details)
        dev_tree = os.path.join(self.scratch, "dev")
        mount_tmpfs(dev_tree)
        for name in SYSTEM_NODES:
            bind_file(os.path.join("/dev", name), os.path.join(dev_tree, name))
        for node in self.nodes:
            bind_file(os.path.join(served, node_name(node)), os.path.join(dev_tree, node_name(node)))
        for tree, target in ((sys_tree, "/sys"), (dev_tree, "/dev")):
            run("mount", "--move", tree, target)
            self.mounted.append(target)

    def overlay(self, folder):
        """`folder` writable for this run only (private_overlay)."""
        self.mounted += private_overlay(folder, os.path.join(self.scratch, "overlay%d" % len(self.mounted)))

    def __exit__(self, *exc):
        # The last mounted first; /dev and /sys with what hangs below them.
        unmounted = True
        for target in reversed(self.mounted):
            if subprocess.run(["umount", "--lazy", target], stderr=subprocess.DEVNULL).returncode != 0:
                print("standin: could not unmount " + target, file=sys.stderr)
                unmounted = False
        self.mounted = []
        if self.server is not None:
            self.server.terminate()
            try:
                self.server.wait(10)
            except subprocess.TimeoutExpired:
                self.server.kill()
                self.server.wait()
            self.server.stdout.close()
            self.server = None
        # Never delete through a mount point that is still there.
        if unmounted:
            shutil.rmtree(self.scratch, ignore_errors=True)
        return False


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--fuse", required=True, help="the fuse_hidraw program")
    parser.add_argument("--mouse", required=True, help="the emulated mouse's folder")
    parser.add_argument("--mode", default="0600", help="the nodes' permissions (default 0600)")
    parser.add_argument("--node", action="append", help="a node, e.g. hidraw0=vendor+config")
    parser.add_argument("command", nargs="+", help="the command to run through the stand-in")
    args = parser.parse_args()
    enter_private_namespace()
    with HidrawStandin(os.path.abspath(args.fuse), os.path.abspath(args.mouse), args.node or ["hidraw0=config"],
                       args.mode):
        return subprocess.run(args.command).returncode


if __name__ == "__main__":
    sys.exit(main())
