#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Which copy to keep, measured two ways:
#  1. On the content-check benchmark's tree (make_content_tree.py, 20,000 files), the best of RUNS
#     runs of `dups --larger 0 --content` and of the same with `--keep oldest --dry-run` (the rule
#     reads every group member's times again and the dry run counts the space freed): target at
#     or under 1.05x.
#  2. COPIES copies of one file, one per folder, besides the one kept: `dups --content --keep
#     oldest --trash` (walk, content check, rule, trash, journal) against `gio trash` given the
#     same copies as one list, each into an empty trash of its own: target at or under 1.5x.
#
# Usage: bench/keep.sh [RUNS [COPIES [PRESET]]]   (PRESET: the build to use, release by default)
set -euo pipefail
runs=${1:-3}
copies=${2:-10000}
preset=${3:-release}
here=$(cd "$(dirname "$0")/.." && pwd)
command -v gio >/dev/null || { echo "gio is needed for the comparison" >&2; exit 2; }
(cd "$here" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" --target vantorel-cli -j2 >&2)
cli="$here/build/$preset/bin/vantorel-cli"

work=$(mktemp -d)
stats="$work/time"
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"

# Best wall time of $runs runs (seconds) and the largest peak RSS (KiB) of a command, output dropped.
measure() {
  local best="" rss=0 t m
  for _ in $(seq "$runs"); do
    /usr/bin/time -o "$stats" -f '%e %M' "$@" >/dev/null 2>/dev/null || true
    read -r t m < <(tail -1 "$stats")
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN{exit !(a<b)}'; then best=$t; fi
    [ "$m" -gt "$rss" ] && rss=$m
  done
  echo "$best $rss"
}

python3 "$here/bench/make_content_tree.py" "$work/content" >&2
"$cli" dups --larger 0 --content "$work/content" >/dev/null 2>&1 # a warm page cache for both
read -r t_content m_content < <(measure "$cli" dups --larger 0 --content "$work/content")
read -r t_keep m_keep < <(measure "$cli" dups --larger 0 --content --keep oldest --dry-run "$work/content")
marked=$("$cli" dups --larger 0 --content --keep oldest --dry-run "$work/content" 2>/dev/null | grep -c . || true)
rm -rf "$work/content"

# The copies: the same tree twice, one for each side.
make_copies() {
  local side=$1 i
  mkdir -p "$work/$side/keep"
  head -c 4096 /dev/urandom >"$work/$side/keep/photo.jpg"
  touch -d 2020-01-01 "$work/$side/keep/photo.jpg" # the oldest: the one kept
  for ((i = 0; i < copies; ++i)); do
    mkdir -p "$work/$side/$i"
    cp "$work/$side/keep/photo.jpg" "$work/$side/$i/photo.jpg"
    echo "$work/$side/$i/photo.jpg"
  done >"$work/$side.list"
}
make_copies gio
make_copies ours
mapfile -t gio_files <"$work/gio.list"
t_gio=$( { TIMEFORMAT=%3R; time XDG_DATA_HOME="$work/gio-data" gio trash "${gio_files[@]}" >/dev/null; } 2>&1 )
t_trash=$( { TIMEFORMAT=%3R; time XDG_DATA_HOME="$work/ours-data" "$cli" dups --larger 0 --content --keep oldest \
  --trash "$work/ours" >/dev/null 2>&1; } 2>&1 )
left_gio=$(find "$work/gio" -name photo.jpg | wc -l)
left_ours=$(find "$work/ours" -name photo.jpg | wc -l)

awk -v r="$runs" -v a="$t_content" -v b="$t_keep" -v ma="$m_content" -v mb="$m_keep" -v k="$marked" \
    -v n="$copies" -v g="$t_gio" -v o="$t_trash" -v lg="$left_gio" -v lo="$left_ours" 'BEGIN {
  printf "content tree: 20,000 files, %d copies would be removed, best of %d runs\n", k, r
  printf "%-44s %8s %7s %10s\n", "command", "seconds", "ratio", "peak KiB"
  printf "%-44s %8.2f %7s %10d\n", "dups --larger 0 --content", a, "1.00x", ma
  printf "%-44s %8.2f %6.2fx %10d\n", "  ... --keep oldest --dry-run", b, (a > 0 ? b / a : 0), mb
  printf "target: --keep oldest --dry-run <= 1.05x --content\n\n"
  printf "%d copies of one 4 KiB file, one run each (files left: gio %d, ours %d, the kept one)\n", n, lg, lo
  printf "%-44s %8.2f %7s\n", "gio trash (one list)", g, "1.00x"
  printf "%-44s %8.2f %6.2fx\n", "dups --content --keep oldest --trash", o, (g > 0 ? o / g : 0)
  printf "target: --trash <= 1.5x gio trash\n"
}'
