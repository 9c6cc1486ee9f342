#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes the content-check benchmark's tree: files with real (not sparse) contents in runs of equal
names, of which a known share are byte-for-byte copies of another file of their run.

Usage: make_content_tree.py ROOT [--files N] [--seed S]

Sizes run from 0 bytes to 8 MiB, most of them small (as on real disks): 80 % up to 16 KiB, 18 % up
to 256 KiB, 2 % up to 8 MiB. About 40 % of the files copy another of their run; the others are
random bytes of the same size as a file of their run, so equal sizes alone prove nothing. Prints
the number of files and how many are copies.
"""
import argparse
import os
import random


def size_of(rng):
    r = rng.random()
    if r < 0.80:
        return rng.randint(0, 16 << 10)
    if r < 0.98:
        return rng.randint(16 << 10, 256 << 10)
    return rng.randint(256 << 10, 8 << 20)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--files", type=int, default=20000)
    parser.add_argument("--seed", type=int, default=15)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    made = copies = 0
    run = 0
    while made < args.files:
        name = "file-%05d%s" % (run, rng.choice([".bin", ".dat", ".jpg", ".txt", ""]))
        run += 1
        members = min(rng.randint(2, 6), args.files - made)
        size = size_of(rng)
        first = None
        for m in range(members):
            folder = os.path.join(args.root, "d%03d" % rng.randrange(400), "s%02d" % m)
            os.makedirs(folder, exist_ok=True)
            if first is not None and rng.random() < 0.4 * members / max(members - 1, 1):
                data = first
                copies += 1
            else:
                data = os.urandom(size)
                first = first if first is not None else data
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
            made += 1
    print("%d files, %d copies" % (made, copies))


if __name__ == "__main__":
    main()
