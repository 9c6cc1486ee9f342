#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes a deterministic synthetic folder tree for the scan benchmarks.

Usage: make_tree.py ROOT [--files N] [--folders F] [--seed S]

The same arguments always give the same tree: folders a few levels deep, names drawn from a
limited vocabulary (so many names repeat in several folders), sizes from a few bytes to
gigabytes (sparse, so the tree costs almost no disk space), hidden files and folders, symbolic
links to files and folders (a loop among them), and modification and access times spread over
twenty years. Without --folders each folder gets 5 to 35 files; with it the files are shared
out evenly over exactly F folders (1,000,000 files in 1,000 folders: big listings).
"""
import argparse
import os
import random
import sys

EXTENSIONS = [".txt", ".dll", ".exe", ".jpg", ".png", ".c", ".h", ".cpp", ".so", ".dat", ".log",
              ".html", ".pdf", ".zip", ".mp3", ".doc", ".xml", ".json", ".py", ""]
SYLLABLES = ["ka", "lo", "mi", "ne", "ru", "sa", "to", "vi", "xe", "zo", "bar", "dex", "fin",
             "gul", "hom", "jet", "kor", "lum", "mar", "nox", "pel", "qua", "rix", "sol"]


def word(rng, parts):
    return "".join(rng.choice(SYLLABLES) for _ in range(parts))


def file_size(rng):
    r = rng.random()
    if r < 0.30:
        return rng.randrange(0, 1024)
    if r < 0.70:
        return rng.randrange(1024, 64 * 1024)
    if r < 0.93:
        return rng.randrange(64 * 1024, 1024 * 1024)
    if r < 0.995:
        return rng.randrange(1024 * 1024, 200 * 1024 * 1024)
    return rng.randrange(200 * 1024 * 1024, 6 * 1024 * 1024 * 1024)


def make_file(rng, path, base_time):
    with open(path, "wb") as f:
        f.truncate(file_size(rng))
    when = base_time + rng.randrange(0, 20 * 365 * 86400)
    os.utime(path, (when + rng.randrange(0, 86400 * 400), when))


def new_folder(rng, root, folders):
    """A new folder under a random existing one, at most eight levels down."""
    parent = rng.choice(folders)
    if parent.count(os.sep) - root.count(os.sep) >= 8:
        parent = root
    hidden = rng.random() < 0.02
    folder = os.path.join(parent, ("." if hidden else "") + word(rng, 2) + str(len(folders)))
    os.mkdir(folder)
    folders.append(folder)
    return folder


def file_name(rng, vocabulary):
    name = rng.choice(vocabulary)
    return "." + name if rng.random() < 0.03 else name


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("root")
    ap.add_argument("--files", type=int, default=200_000)
    ap.add_argument("--folders", type=int, default=0, help="share the files out over exactly this many folders")
    ap.add_argument("--seed", type=int, default=95)
    args = ap.parse_args()

    rng = random.Random(args.seed)
    root = os.path.abspath(args.root)
    os.makedirs(root, exist_ok=True)
    if os.listdir(root):
        sys.exit(f"{root} is not empty")

    vocabulary = [word(rng, rng.randrange(1, 4)) + rng.choice(EXTENSIONS) for _ in range(6000)]
    base_time = 1_262_304_000  # 2010-01-01
    folders = [root]
    made = 0
    links = 0
    if args.folders > 0:
        for _ in range(args.folders):
            new_folder(rng, root, folders)
        for i, folder in enumerate(folders[1:]):
            share = args.files // args.folders + (1 if i < args.files % args.folders else 0)
            names = set()
            while len(names) < share:
                name = file_name(rng, vocabulary)
                if name in names:
                    # A large share can outgrow the vocabulary: a number keeps the name new.
                    name = f"{len(names)}{name}"
                    if name in names:
                        continue
                names.add(name)
                make_file(rng, os.path.join(folder, name), base_time)
            made += share
            if rng.random() < 0.05:
                target = rng.choice(folders)
                os.symlink(os.path.relpath(target, folder), os.path.join(folder, f"link{links}"))
                links += 1
    while made < args.files:
        folder = new_folder(rng, root, folders)
        for _ in range(rng.randrange(5, 36)):
            if made >= args.files:
                break
            name = file_name(rng, vocabulary)
            path = os.path.join(folder, name)
            if os.path.lexists(path):
                continue
            make_file(rng, path, base_time)
            made += 1
        if rng.random() < 0.05:
            target = rng.choice(folders)
            os.symlink(os.path.relpath(target, folder), os.path.join(folder, f"link{links}"))
            links += 1
    # A link loop, and a link to the root from deep inside.
    os.symlink("loop-b", os.path.join(root, "loop-a"))
    os.symlink("loop-a", os.path.join(root, "loop-b"))
    os.symlink(root, os.path.join(folders[-1], "to-root"))
    print(f"{made} files in {len(folders) - 1} folders below the root, {links + 3} links under {root}")


if __name__ == "__main__":
    main()
