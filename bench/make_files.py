#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes the files of the viewer benchmark, deterministic for the same arguments.

Usage: make_files.py FOLDER [--text-mib N] [--binary-mib N]

FOLDER/text.txt: lines of 1 to 200 printable characters ending in LF (N MiB, default 1024);
FOLDER/binary.bin: random bytes with runs of letters, digits and spaces in them (N MiB, default 256).
A block of 4 MiB is made once and written again and again, so making the files takes seconds.
"""
import argparse
import os
import random

BLOCK = 4 << 20


def text_block(rng):
    alphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,;:-_()[]{}"
    out = []
    size = 0
    while size < BLOCK:
        line = "".join(rng.choice(alphabet) for _ in range(rng.randint(1, 200)))
        out.append(line)
        size += len(line) + 1
    data = ("\n".join(out) + "\n").encode()
    return data[:BLOCK - (BLOCK % 1)]


def binary_block(rng):
    data = bytearray(rng.getrandbits(8) for _ in range(BLOCK))
    words = b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 "
    pos = 0
    while pos < BLOCK - 200:
        pos += rng.randint(20, 400)
        length = rng.randint(3, 120)
        for i in range(min(length, BLOCK - pos)):
            data[pos + i] = words[rng.randrange(len(words))]
        pos += length
    return bytes(data)


def write(path, block, mib):
    with open(path, "wb") as f:
        for _ in range((mib << 20) // len(block)):
            f.write(block)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--text-mib", type=int, default=1024)
    parser.add_argument("--binary-mib", type=int, default=256)
    args = parser.parse_args()
    os.makedirs(args.folder, exist_ok=True)
    rng = random.Random(7)
    write(os.path.join(args.folder, "text.txt"), text_block(rng), args.text_mib)
    write(os.path.join(args.folder, "binary.bin"), binary_block(rng), args.binary_mib)


if __name__ == "__main__":
    main()
