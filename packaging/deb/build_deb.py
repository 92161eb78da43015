#!/usr/bin/env python3
"""Builds the Debian package of korvidctl.

usage: build_deb.py --korvidctl BIN --udev-rule RULE --version X.Y.Z --source REPO --out DIR

The package holds /usr/bin/korvidctl (stripped), the udev rule that lets the
user at the seat open the mouse's hidraw nodes, the man page korvidctl.1 made
from the README and the program's own help, and the documents Debian asks
for. Its dependencies are computed by dpkg-shlibdeps. Prints the path of the
.deb made.
"""
import argparse
import email.utils
import gzip
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from manpage import make_manpage  # noqa: E402

PACKAGE = "korvidctl"
MAINTAINER = "Orvanta Korvid Team <korvid@orvanta.com>"
HOMEPAGE = "https://www.orvanta.com/downloads"
SUMMARY = "command-line configuration tool for the Korvid gaming mouse"
DESCRIPTION = """\
 korvidctl reads, changes and writes the configuration of the Korvid USB
 gaming mouse: its four CPI levels and their LED colours, the lift-off
 distance, smoothing and the functions of buttons 3 to 5. It saves and
 applies profile files, writes the factory settings back, and prints a
 diagnostics report to attach to a bug report.
 .
 The package installs a udev rule that gives the user logged in at the seat
 access to the mouse's hidraw nodes, so that korvidctl needs no root."""

# The maintainer scripts reload the rules so that a mouse plugged in already
# is reachable at once, and again after removal. Without udevadm (a
# container, a chroot) there is nothing to reload.
MAINTAINER_SCRIPT = """\
#!/bin/sh
set -e

if [ "$1" = {action} ]{also}; then
\tif command -v udevadm >/dev/null 2>&1; then
\t\tudevadm control --reload-rules >/dev/null 2>&1 || true
\t\tudevadm trigger --subsystem-match=hidraw --action=change >/dev/null 2>&1 || true
\tfi
fi
"""
POSTINST = MAINTAINER_SCRIPT.format(action="configure", also="")
POSTRM = MAINTAINER_SCRIPT.format(action="remove", also=' || [ "$1" = purge ]')

COPYRIGHT = """\
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: korvidctl
Upstream-Contact: {maintainer}
Source: {homepage}

Files: *
Copyright: 2026 Orvanta
License: Expat

License: Expat
 Permission is hereby granted, free of charge, to any person obtaining a copy
 of this software and associated documentation files (the "Software"), to deal
 in the Software without restriction, including without limitation the rights
 to use, copy, modify, merge, publish, distribute, sublicense, and/or sell
 copies of the Software, and to permit persons to whom the Software is
 furnished to do so, subject to the following conditions:
 .
 The above copyright notice and this permission notice shall be included in
 all copies or substantial portions of the Software.
 .
 THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR
 IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,
 FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE
 AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER
 LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,
 OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE
 SOFTWARE.
"""

CHANGELOG = """\
korvidctl ({version}) unstable; urgency=medium

  * Release {version}: show, set, save, apply, reset and diag; the udev rule
    for the mouse's hidraw nodes.

 -- {maintainer}  {date}
"""


def run(*command, cwd=None):
    return subprocess.run(command, cwd=cwd, check=True, capture_output=True, text=True).stdout


def write(path, text, mode=0o644, compress=False):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    data = text.encode()
    if compress:
        # No name and no time in the header: the same input gives the same file.
        with open(path, "wb") as raw, gzip.GzipFile(filename="", mode="wb", fileobj=raw, compresslevel=9,
                                                    mtime=0) as packed:
            packed.write(data)
    else:
        with open(path, "wb") as f:
            f.write(data)
    os.chmod(path, mode)


def release_date(source):
    """The date of the last commit, so that a rebuild gives the same package;
    now, outside a git checkout."""
    result = subprocess.run(["git", "-C", source, "log", "-1", "--format=%aD"], capture_output=True, text=True)
    date = result.stdout.strip() if result.returncode == 0 else ""
    return date or email.utils.formatdate(usegmt=False)


def shlib_depends(root, binary):
    """The Depends line dpkg-shlibdeps computes for the binary."""
    with tempfile.TemporaryDirectory() as source:
        os.makedirs(os.path.join(source, "debian"))
        write(os.path.join(source, "debian", "control"),
              f"Source: {PACKAGE}\nMaintainer: {MAINTAINER}\n\nPackage: {PACKAGE}\nArchitecture: any\n")
        out = run("dpkg-shlibdeps", "-O", os.path.join(root, binary), cwd=source)
    for line in out.splitlines():
        if line.startswith("shlibs:Depends="):
            return line.split("=", 1)[1]
    raise RuntimeError("dpkg-shlibdeps gave no dependencies: " + out)


def source_date_epoch(source):
    """SOURCE_DATE_EPOCH when given, else the time of the last commit: every
    time stamp in the package is this one, so that a rebuild gives the same
    bytes; now, outside a git checkout."""
    if os.environ.get("SOURCE_DATE_EPOCH", "").isdigit():
        return int(os.environ["SOURCE_DATE_EPOCH"])
    result = subprocess.run(["git", "-C", source, "log", "-1", "--format=%ct"], capture_output=True, text=True)
    stamp = result.stdout.strip()
    return int(stamp) if result.returncode == 0 and stamp.isdigit() else int(time.time())


def build(korvidctl, udev_rule, version, source, out):
    arch = run("dpkg", "--print-architecture").strip()
    root = os.path.join(out, "root")
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    os.umask(0o022)

    binary = "usr/bin/korvidctl"
    os.makedirs(os.path.join(root, "usr/bin"))
    run("strip", "--strip-unneeded", "--remove-section=.comment", "--remove-section=.note", "-o",
        os.path.join(root, binary), korvidctl)
    os.chmod(os.path.join(root, binary), 0o755)
    rules = os.path.join(root, "usr/lib/udev/rules.d")
    os.makedirs(rules)
    shutil.copyfile(udev_rule, os.path.join(rules, os.path.basename(udev_rule)))
    with open(os.path.join(source, "README.md")) as readme:
        write(os.path.join(root, "usr/share/man/man1/korvidctl.1.gz"),
              make_manpage(korvidctl, readme.read(), version), compress=True)
    doc = os.path.join(root, "usr/share/doc", PACKAGE)
    write(os.path.join(doc, "copyright"), COPYRIGHT.format(maintainer=MAINTAINER, homepage=HOMEPAGE))
    write(os.path.join(doc, "changelog.gz"),
          CHANGELOG.format(version=version, maintainer=MAINTAINER, date=release_date(source)), compress=True)
    for folder, _, files in os.walk(root):
        os.chmod(folder, 0o755)

    installed_kb = 0
    sums = []
    for folder, _, files in os.walk(root):
        for name in sorted(files):
            path = os.path.join(folder, name)
            installed_kb += (os.path.getsize(path) + 1023) // 1024
            with open(path, "rb") as f:
                sums.append(f"{hashlib.md5(f.read()).hexdigest()}  {os.path.relpath(path, root)}")
    control = os.path.join(root, "DEBIAN")
    write(os.path.join(control, "control"),
          f"Package: {PACKAGE}\nVersion: {version}\nArchitecture: {arch}\nMaintainer: {MAINTAINER}\n"
          f"Installed-Size: {installed_kb}\nDepends: {shlib_depends(root, binary)}\nSection: utils\n"
          f"Priority: optional\nHomepage: {HOMEPAGE}\nDescription: {SUMMARY}\n{DESCRIPTION}\n")
    write(os.path.join(control, "md5sums"), "\n".join(sorted(sums, key=lambda s: s.split("  ", 1)[1])) + "\n")
    write(os.path.join(control, "postinst"), POSTINST, 0o755)
    write(os.path.join(control, "postrm"), POSTRM, 0o755)

    epoch = source_date_epoch(source)
    for folder, folders, files in os.walk(root):
        for name in folders + files:
            os.utime(os.path.join(folder, name), (epoch, epoch), follow_symlinks=False)
    os.utime(root, (epoch, epoch))
    deb = os.path.join(out, f"{PACKAGE}_{version}_{arch}.deb")
    # dpkg-deb sorts the entries and stamps the archive with SOURCE_DATE_EPOCH.
    subprocess.run(["dpkg-deb", "--root-owner-group", "-Zxz", "--build", root, deb], check=True,
                   capture_output=True, text=True, env=dict(os.environ, SOURCE_DATE_EPOCH=str(epoch)))
    return deb


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--korvidctl", required=True)
    parser.add_argument("--udev-rule", required=True, help="the rule made by the build (packaging/udev)")
    parser.add_argument("--version", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    print(build(os.path.abspath(args.korvidctl), os.path.abspath(args.udev_rule), args.version,
                os.path.abspath(args.source), os.path.abspath(args.out)))


if __name__ == "__main__":
    main()
