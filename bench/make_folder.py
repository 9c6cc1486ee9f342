#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes one flat folder of files for the browser benchmark, the same for the same arguments.

Usage: make_folder.py FOLDER [--files N] [--seed S]

N files (default 100,000) with names from a limited vocabulary and common extensions, a few
hidden, sizes from empty to gigabytes (sparse, so the folder costs little disk space) and
modification and access times spread over twenty years.
"""
import argparse
import os
import random
import sys

EXTENSIONS = [".txt", ".dll", ".exe", ".jpg", ".png", ".c", ".h", ".cpp", ".so", ".dat", ".log",
              ".html", ".pdf", ".zip", ".mp3", ".doc", ".xml", ".json", ".py", ""]
SYLLABLES = ["ka", "lo", "mi", "ne", "ru", "sa", "to", "vi", "xe", "zo", "bar", "dex", "fin",
             "gul", "hom", "jet", "kor", "lum", "mar", "nox", "pel", "qua", "rix", "sol"]


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("folder")
    ap.add_argument("--files", type=int, default=100_000)
    ap.add_argument("--seed", type=int, default=95)
    args = ap.parse_args()
    rng = random.Random(args.seed)
    os.makedirs(args.folder, exist_ok=True)
    if os.listdir(args.folder):
        sys.exit(f"{args.folder} is not empty")
    base = 946684800  # 2000-01-01
    for i in range(args.files):
        name = "".join(rng.choice(SYLLABLES) for _ in range(rng.randrange(1, 4))) + str(i) + rng.choice(EXTENSIONS)
        if rng.random() < 0.02:
            name = "." + name
        path = os.path.join(args.folder, name)
        r = rng.random()
        size = rng.randrange(0, 64 * 1024) if r < 0.9 else rng.randrange(64 * 1024, 6 * 1024 ** 3)
        with open(path, "wb") as f:
            f.truncate(size)
        when = base + rng.randrange(0, 20 * 365 * 86400)
        os.utime(path, (when + rng.randrange(0, 86400 * 400), when))


if __name__ == "__main__":
    main()
