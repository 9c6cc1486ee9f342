#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Trashes COUNT files of one name (default 8,000 files called package.json, one per folder) with
# bench-trash and the same number with `gio trash` given them all as one list, each into an empty
# trash of its own on the same filesystem, and prints both times and their ratio (one run each).
#
# Usage: bench/trash.sh [COUNT [PRESET]]   (PRESET: the build to use, release by default)
set -euo pipefail
count=${1:-8000}
preset=${2:-release}
here=$(cd "$(dirname "$0")/.." && pwd)
command -v gio >/dev/null || { echo "gio is needed for the comparison" >&2; exit 2; }
(cd "$here" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" --target bench-trash -j2 >&2)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
make_files() {
  local side=$1 i
  for ((i = 0; i < count; ++i)); do
    mkdir -p "$work/$side/$i"
    : >"$work/$side/$i/package.json"
    echo "$work/$side/$i/package.json"
  done >"$work/$side.list"
}
make_files gio
make_files ours

# Each side gets all its files in one command line, so that each is one process.
mapfile -t gio_files <"$work/gio.list"
mapfile -t our_files <"$work/ours.list"
t_gio=$( { TIMEFORMAT=%3R; time XDG_DATA_HOME="$work/gio-data" gio trash "${gio_files[@]}" >/dev/null; } 2>&1 )
t_ours=$(XDG_DATA_HOME="$work/ours-data" "$here/build/$preset/bin/bench-trash" "${our_files[@]}")
left_gio=$(find "$work/gio" -name package.json | wc -l)
left_ours=$(find "$work/ours" -name package.json | wc -l)
awk -v n="$count" -v g="$t_gio" -v o="$t_ours" -v lg="$left_gio" -v lo="$left_ours" 'BEGIN {
  printf "%d files called package.json, one run each (files left behind: gio %d, ours %d)\n", n, lg, lo
  printf "%-22s %8s %8s\n", "command", "seconds", "ratio"
  printf "%-22s %8.2f %8s\n", "gio trash (one list)", g, "1.00x"
  printf "%-22s %8.2f %7.2fx\n", "bench-trash", o, (g > 0 ? o / g : 0)
}'
