#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes (or removes) a chain of nested folders deeper than any path the system takes whole.

Usage: make_deep_tree.py ROOT [--depth N] [--name-length L] [--files-every K] [--remove]

ROOT/chain holds N nested folders whose names are L bytes long (the default 5,000 levels of
250-byte names make a path of about 1.25 MB, far beyond PATH_MAX). Every K-th level gets two small
files, the same two names at every such level (so the duplicate finder has work), dated in 2020.
Everything is made and removed relative to open folder handles (mkdir and open with dir_fd), since
no path from the top reaches the bottom.
"""
import argparse
import os
import sys

DIR_FLAGS = os.O_RDONLY | os.O_DIRECTORY | os.O_NOFOLLOW


def level_name(level, length):
    head = "level%06d-" % level
    return (head + "x" * length)[:length]


def make(root, depth, length, every):
    os.makedirs(root, exist_ok=True)
    fd = os.open(root, DIR_FLAGS)
    os.mkdir("chain", dir_fd=fd)
    child = os.open("chain", DIR_FLAGS, dir_fd=fd)
    os.close(fd)
    fd = child
    when = 1_590_000_000
    for level in range(depth):
        if every and level % every == 0:
            for name, size in (("report.txt", 300 * 1024), ("notes.md", 1000)):
                f = os.open(name, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644, dir_fd=fd)
                os.ftruncate(f, size)
                os.close(f)
                os.utime(name, (when, when), dir_fd=fd, follow_symlinks=False)
        name = level_name(level, length)
        os.mkdir(name, dir_fd=fd)
        child = os.open(name, DIR_FLAGS, dir_fd=fd)
        os.close(fd)
        fd = child
    os.close(fd)


def remove(root):
    # Down the chain keeping only the deepest handle, then back up removing one level at a time.
    if not os.path.isdir(os.path.join(root, "chain")):
        return
    fds = [os.open(root, DIR_FLAGS)]
    names = ["chain"]
    while True:
        fds.append(os.open(names[-1], DIR_FLAGS, dir_fd=fds[-1]))
        sub = [e for e in os.scandir(fds[-1]) if e.is_dir(follow_symlinks=False)]
        if not sub:
            break
        names.append(sub[0].name)
        if len(fds) > 64:  # keep the handles bounded: reopen the parent through ".." on the way up
            os.close(fds[-2])
            fds[-2] = None
    while len(fds) > 1:
        fd = fds.pop()
        for entry in os.scandir(fd):
            os.unlink(entry.name, dir_fd=fd)
        parent = fds[-1]
        if parent is None:
            parent = os.open("..", DIR_FLAGS, dir_fd=fd)
            fds[-1] = parent
        os.close(fd)
        os.rmdir(names.pop(), dir_fd=parent)
    os.close(fds[0])


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("root")
    p.add_argument("--depth", type=int, default=5000)
    p.add_argument("--name-length", type=int, default=250)
    p.add_argument("--files-every", type=int, default=10)
    p.add_argument("--remove", action="store_true")
    a = p.parse_args()
    if a.remove:
        remove(a.root)
    else:
        make(a.root, a.depth, a.name_length, a.files_every)
    return 0


if __name__ == "__main__":
    sys.exit(main())
