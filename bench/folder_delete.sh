#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The folder delete on deep chains of folders (made with mkdirat, so the paths are far longer than
# PATH_MAX): 5,000 levels of 250-byte names and 50,000 levels of 1-byte names, each with one file
# at the bottom. Prints the seconds to delete, the CPU seconds and the peak RSS of the process (the
# chain is made by the same process, which needs little memory), and rm -rf on the same chain as a
# reference.
#
# Usage: bench/folder_delete.sh [FOLDER]
#   FOLDER: where the chains are made (default: a temporary folder in /dev/shm, else /tmp). The
#   time of a disk-backed folder is mostly the filesystem's journal, for rm -rf as for this.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bench="$here/build/release/bin/bench-folder-delete"
base=${1:-}
if [ -z "$base" ]; then
  if [ -d /dev/shm ] && [ -w /dev/shm ]; then base=/dev/shm; else base=/tmp; fi
fi
(cd "$here" && cmake --preset release >/dev/null && cmake --build --preset release --target bench-folder-delete -j2 >&2)

work=$(mktemp -d -p "$base")
stats=$(mktemp)
trap 'rm -rf "$work" "$stats"' EXIT

printf "%-22s %10s %10s %10s %14s %14s\n" "chain" "make s" "delete s" "cpu s" "peak RSS KiB" "rm -rf s"
for chain in "5000 250" "50000 1"; do
  read -r depth length <<<"$chain"
  /usr/bin/time -o "$stats" -f '%U %S %M' "$bench" "$work" "$depth" "$length" >"$stats.out"
  read -r made deleted files _ <"$stats.out"
  read -r user sys rss < <(tail -1 "$stats")
  # The same chain once more, for rm -rf.
  python3 - "$work" "$depth" "$length" <<'PY'
import os, sys
fd = os.open(sys.argv[1], os.O_RDONLY)
os.mkdir("chain", dir_fd=fd)
name = "n" * int(sys.argv[3])
for _ in range(int(sys.argv[2])):
    child = os.open("chain" if _ == 0 else name, os.O_RDONLY, dir_fd=fd)
    os.close(fd)
    fd = child
    os.mkdir(name, dir_fd=fd)
os.close(fd)
PY
  rm_start=$(date +%s.%N)
  rm -rf "$work/chain"
  rm_end=$(date +%s.%N)
  rm -f "$stats.out"
  awk -v c="$depth x $length bytes" -v m="$made" -v d="$deleted" -v u="$user" -v s="$sys" -v r="$rss" \
      -v a="$rm_start" -v b="$rm_end" -v f="$files" 'BEGIN {
    printf "%-22s %10.2f %10.2f %10.2f %14d %14.2f%s\n", c, m, d, u + s, r, b - a, (f == 1 ? "" : "  (FAILED)")
  }'
done
