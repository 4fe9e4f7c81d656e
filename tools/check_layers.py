#!/usr/bin/env python3
"""The game's folders stand in floors, and a file includes only its own
folder and the floors under it: the score board over the top (app), over
the front end, the enemies, the playfield, the services everyone uses, and
the platform at the ground. tests/, tools/ and bench/ stand above them all.

  check_layers.py [ROOT] [--plant FILE HEADER]

prints every include that runs back up and exits 1 if there is one.
--plant checks the tree as if FILE also included HEADER (the check's own
test plants an upward include this way and expects it to be caught)."""
import os
import re
import sys

FLOORS = ["board", "app", "frontend", "enemies", "playfield", "services", "platform"]
FLOOR = {name: height for height, name in enumerate(reversed(FLOORS))}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/([^"]+)"', re.M)


def includes_of(root):
    for folder in FLOORS:
        for dirpath, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if name.endswith((".cpp", ".h")):
                    path = os.path.join(dirpath, name)
                    rel = os.path.relpath(path, root)
                    with open(path, encoding="utf-8", errors="replace") as f:
                        for m in INCLUDE.finditer(f.read()):
                            yield rel, m.group(1) + "/" + m.group(2)


def main(argv):
    root, planted = ".", []
    args = list(argv)
    while args:
        a = args.pop(0)
        if a == "--plant" and len(args) >= 2:
            planted.append((args.pop(0), args.pop(0)))
        else:
            root = a
    upward = []
    for src, header in list(includes_of(root)) + planted:
        here, there = src.split("/")[0], header.split("/")[0]
        if here in FLOOR and there in FLOOR and FLOOR[there] > FLOOR[here]:
            upward.append(f"{src} includes {header}: {there}/ stands above {here}/")
    for line in upward:
        print("include runs up:", line)
    if upward:
        print(f"{len(upward)} include(s) run up; floors from the top: {', '.join(FLOORS)}")
        return 1
    print("every include runs down (floors from the top: " + ", ".join(FLOORS) + ")")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
