#!/usr/bin/env python3
"""Writes the control IDs of resource headers as one JSON object, for the GUI
tests to read instead of typing the numbers again.

usage: write_control_ids.py --out FILE HEADER...

Every `#define NAME NUMBER` line of the headers (decimal or hex) becomes
"NAME": NUMBER. A name defined twice with different numbers is an error.
"""
import argparse
import json
import re
import sys

DEFINE = re.compile(r"^\s*#define\s+([A-Za-z_]\w*)\s+(0[xX][0-9A-Fa-f]+|\d+)\s*(//.*)?$")


def read_ids(paths):
    ids = {}
    for path in paths:
        with open(path, encoding="utf-8") as header:
            for number, line in enumerate(header, 1):
                found = DEFINE.match(line)
                if not found:
                    continue
                name, value = found.group(1), int(found.group(2), 0)
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
