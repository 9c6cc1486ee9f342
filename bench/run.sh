#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the release vantorel-cli against GNU find on the same warm tree and reports the ratios and
# the peak memory per listed file. Usage: bench/run.sh ROOT [RUNS]   (make ROOT with bench/make_tree.py)
set -euo pipefail
root=${1:?usage: bench/run.sh ROOT [RUNS]}
runs=${2:-5}
here=$(cd "$(dirname "$0")/.." && pwd)
cli="$here/build/release/bin/vantorel-cli"

if [ ! -x /usr/bin/time ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get install -y -qq time >&2
fi
if [ ! -x "$cli" ]; then
  (cd "$here" && cmake --preset release >/dev/null && cmake --build --preset release --target vantorel-cli -j2 >&2)
fi

# Best wall time of $runs runs (seconds) and the largest peak RSS (KiB) of a command, output dropped.
stats=$(mktemp)
trap 'rm -f "$stats"' EXIT
measure() {
  local best="" rss=0 out t m
  for _ in $(seq "$runs"); do
    /usr/bin/time -o "$stats" -f '%e %M' "$@" >/dev/null 2>/dev/null || true
    out=$(tail -1 "$stats")
    t=${out% *}; m=${out#* }
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN{exit !(a<b)}'; then best=$t; fi
    [ "$m" -gt "$rss" ] && rss=$m
  done
  echo "$best $rss"
}

# Warm the tree (and the page cache for the programs) before timing anything.
find "$root" -xdev -type f -printf '%s %T@ %A@ %p\n' >/dev/null
"$cli" hogs --larger 0 "$root" >/dev/null 2>&1 || true

listed=$("$cli" hogs --larger 0 "$root" 2>/dev/null | wc -l)
found=$(find "$root" -xdev -type f | wc -l)

read -r t_find m_find < <(measure find "$root" -xdev -type f -printf '%s %T@ %A@ %p\n')
read -r t_hogs m_hogs < <(measure "$cli" hogs --larger 0 "$root")
read -r t_dups m_dups < <(measure "$cli" dups --larger 0 "$root")

awk -v tf="$t_find" -v th="$t_hogs" -v td="$t_dups" -v mf="$m_find" -v mh="$m_hogs" -v md="$m_dups" \
    -v n="$listed" -v nf="$found" -v runs="$runs" 'BEGIN {
  printf "tree: %d files listed by vantorel-cli (%d regular files seen by find), best of %d runs\n", n, nf, runs
  printf "%-10s %8s %8s %12s %14s\n", "command", "seconds", "ratio", "peak RSS KiB", "bytes per file"
  printf "%-10s %8.2f %8s %12d %14s\n", "find", tf, "1.00x", mf, "-"
  printf "%-10s %8.2f %7.2fx %12d %14.0f\n", "hogs", th, (tf > 0 ? th / tf : 0), mh, (n > 0 ? mh * 1024 / n : 0)
  printf "%-10s %8.2f %7.2fx %12d %14.0f\n", "dups", td, (tf > 0 ? td / tf : 0), md, (n > 0 ? md * 1024 / n : 0)
  printf "targets: ratio <= 1.00x (above 1.50x is a defect), under 400 bytes per listed file\n"
}'

# The finder's grid on 300,000 rows: marking and the sort menu must stay within a couple of seconds.
grid_bench="$here/build/release/bin/bench-grid-sort"
[ -x "$grid_bench" ] || (cd "$here" && cmake --build --preset release --target bench-grid-sort -j2 >&2)
"$grid_bench"
