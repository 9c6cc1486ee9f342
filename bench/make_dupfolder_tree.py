#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes the duplicate folder benchmark's tree: files with real (not sparse) contents, among them
folders copied whole to another place.

Usage: make_dupfolder_tree.py ROOT [--files N] [--copies C] [--seed S]

About N files in all (default 100,000), 10 to 40 per folder, in folders two to four levels deep;
C of the folders (default 200), each with a sub-folder and a hidden file, are copied byte for byte
to another place, so N counts the copies too. Names repeat across folders (as README.md or
IMG_0001.JPG do on real disks), mostly with other contents, so a finder by names and contents has
work besides the copies. Sizes: 85 % up to 8 KiB, 14 % up to 64 KiB, 1 % up to 512 KiB. Prints the
number of files and folders made and how many folders were copied.
"""
import argparse
import os
import random
import shutil

NAMES = ["README.md", "index.html", "main.c", "notes.txt", "data.json", "Makefile", "style.css",
         "config.yml", "LICENSE", "setup.py"]


def size_of(rng):
    r = rng.random()
    if r < 0.85:
        return rng.randint(0, 8 << 10)
    if r < 0.99:
        return rng.randint(8 << 10, 64 << 10)
    return rng.randint(64 << 10, 512 << 10)


def fill(rng, folder, count):
    os.makedirs(folder, exist_ok=True)
    names = set()
    while len(names) < count:
        names.add(rng.choice(NAMES) if rng.random() < 0.2 else "IMG_%04d.JPG" % rng.randrange(3000))
    for name in sorted(names):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(os.urandom(size_of(rng)))


def count_files(folder):
    return sum(len(files) for _, _, files in os.walk(folder))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--files", type=int, default=100000)
    parser.add_argument("--copies", type=int, default=200)
    parser.add_argument("--seed", type=int, default=26)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    made = folders = 0
    # The folders to be copied first, each with a sub-folder and a hidden file.
    originals = []
    for c in range(args.copies):
        folder = os.path.join(args.root, "projects", "p%03d" % (c // 10), "work%03d" % c)
        fill(rng, folder, rng.randint(10, 20))
        fill(rng, os.path.join(folder, "assets"), rng.randint(5, 10))
        with open(os.path.join(folder, ".settings"), "wb") as f:
            f.write(os.urandom(rng.randint(10, 200)))
        made += count_files(folder)
        folders += 2
        originals.append(folder)
    copies_files = made
    # The rest, less the copies still to be made.
    while made + copies_files < args.files:
        depth = rng.randint(2, 4)
        folder = os.path.join(args.root, "data", *("d%02d" % rng.randrange(30) for _ in range(depth - 1)),
                              "f%05d" % folders)
        count = min(rng.randint(10, 40), args.files - copies_files - made)
        fill(rng, folder, count)
        made += count
        folders += 1
    for c, folder in enumerate(originals):
        shutil.copytree(folder, os.path.join(args.root, "backup", "b%03d" % (c // 10), "work%03d-copy" % c))
        made += count_files(folder)
        folders += 2
    print("%d files in %d folders, %d folders copied" % (made, folders, len(originals)))


if __name__ == "__main__":
    main()
