#!/usr/bin/env python3
"""Writes the control IDs and the private window message numbers of headers
as one JSON object, for the GUI tests to read instead of typing the numbers
again.

usage: write_control_ids.py --out FILE HEADER...

Every `#define NAME NUMBER` line of the headers (decimal or hex) becomes
"NAME": NUMBER, and so does every `inline constexpr TYPE kName = VALUE;`
whose VALUE is a number, or WM_APP or WM_USER plus one. A name defined twice
with different numbers is an error.
"""
import argparse
import json
import re
import sys

NUMBER = r"(0[xX][0-9A-Fa-f]+|\d+)"
DEFINE = re.compile(r"^\s*#define\s+([A-Za-z_]\w*)\s+" + NUMBER + r"\s*(//.*)?$")
CONSTANT = re.compile(r"^\s*inline\s+constexpr\s+\w+\s+(k\w+)\s*=\s*(?:(WM_APP|WM_USER)\s*\+\s*)?" + NUMBER
                      + r"\s*;")
# The bases of the private message ranges, as <windows.h> defines them.
RANGES = {None: 0, "WM_APP": 0x8000, "WM_USER": 0x0400}


def read_ids(paths):
    ids = {}
    for path in paths:
        with open(path, encoding="utf-8") as header:
            for number, line in enumerate(header, 1):
                found = DEFINE.match(line)
                constant = CONSTANT.match(line)
                if found:
                    name, value = found.group(1), int(found.group(2), 0)
                elif constant:
                    name, value = constant.group(1), RANGES[constant.group(2)] + int(constant.group(3), 0)
                else:
                    continue
                if ids.get(name, value) != value:
                    raise SystemExit(f"{path}:{number}: {name} is {value} here and {ids[name]} before")
                ids[name] = value
    return ids


def main():
    parser = argparse.ArgumentParser(usage=__doc__)
    parser.add_argument("--out", required=True)
    parser.add_argument("headers", nargs="+")
    args = parser.parse_args()
    with open(args.out, "w", encoding="utf-8") as out:
        json.dump(read_ids(args.headers), out, indent=1, sort_keys=True)
        out.write("\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
