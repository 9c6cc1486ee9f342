#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the release vantorel-cli against GNU find on the same warm tree and reports the ratios and
# the peak memory per listed file.
#
# Usage: bench/run.sh [ROOT [RUNS]]
#   ROOT given: that tree (make one with bench/make_tree.py).
#   No ROOT: the two standard trees are made in a temporary folder under /tmp, timed one after the
#   other and removed again: 200,000 files (5 to 35 per folder) and 1,000,000 files in 1,000
#   folders (big listings). Each needs a few seconds to make and little disk space (sparse files).
#   The folder size scan is timed against du, the date-range scan against find -newermt and the
#   statistics against a find -printf of the same figures, on the 200,000-file tree (or on ROOT).
#   The viewer's file side is timed against wc -l, xxd and strings on generated files (no ROOT).
#   The folder browser fills its grid for one generated folder of 100,000 files (offscreen) against
#   ls -l --time-style=long-iso of the same folder, one run each (no ROOT).
#   The duplicate folder finder runs against dups --content on a tree of real contents (no ROOT).
#   The space map lays out and paints the 1,000,000-file tree (or ROOT) offscreen: first paint,
#   resize and zoom times and the model's bytes per file.
#   The walks on every core are timed on the 1,000,000-file tree (or ROOT): every scan against
#   find -printf '%s %p\n' on the default threads and on one, the folder scan against gdu and
#   ncdu (installed when missing), then the same with every file given one modification time; as
#   root also with a cold page cache against du -x -s; and the scans in the windows (offscreen,
#   bench-window-scans) against the command line, with the longest wait for a repaint.
#   bench/scans.sh times export, --scan and compare against ncdu on the 1,000,000-file tree (or
#   ROOT), the import's memory against the walk's, and what a snapshot adds to a folder hog scan.
#   bench/deep_tree.sh runs every scan on a chain of 5,000 folders with 250-byte names and one of
#   50,000 folders (no ROOT): time and peak memory against the targets.
#
# What is compared: "find" lists the files the tool lists (hidden files and folders pruned, as the
# tool leaves them out) with the size, both times and the path that the tool's lines show:
#   find ROOT -xdev -name '.*' -prune -o -type f -printf '%s %T@ %A@ %p\n'
# The ratios are against that. "find %s %p" is the plainer listing of every file with its size and
# path (find -xdev -type f -printf '%s %p\n'), given for reference with its own ratio.
set -euo pipefail
runs=${2:-5}
here=$(cd "$(dirname "$0")/.." && pwd)
cli="$here/build/release/bin/vantorel-cli"

if [ ! -x /usr/bin/time ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get install -y -qq time >&2
fi
# Always brought up to date: a stale binary would measure old code.
(cd "$here" && cmake --preset release >/dev/null && cmake --build --preset release --target vantorel-cli bench-grid-sort bench-browse-fill bench-viewer bench-map bench-window-scans -j2 >&2)

stats=$(mktemp)
work=""
cleanup() {
  rm -f "$stats"
  if [ -n "$work" ]; then rm -rf "$work"; fi
}
trap cleanup EXIT

# Best wall time of $runs runs (seconds), the CPU time (user + system) of that run, and the largest
# peak RSS (KiB) of a command, output dropped.
measure() {
  local best="" cpu="" rss=0 t u s c m
  for _ in $(seq "$runs"); do
    /usr/bin/time -o "$stats" -f '%e %U %S %M' "$@" >/dev/null 2>/dev/null || true
    read -r t u s m < <(tail -1 "$stats")
    c=$(awk -v u="$u" -v s="$s" 'BEGIN{printf "%.2f", u + s}')
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN{exit !(a<b)}'; then best=$t; cpu=$c; fi
    [ "$m" -gt "$rss" ] && rss=$m
  done
  echo "$best $cpu $rss"
}

bench_tree() {
  local root=$1
  # Warm the tree (and the page cache for the programs) before timing anything.
  find "$root" -xdev -type f -printf '%s %T@ %A@ %p\n' >/dev/null
  "$cli" hogs --larger 0 "$root" >/dev/null 2>&1 || true

  local listed found
  listed=$("$cli" hogs --larger 0 "$root" 2>/dev/null | wc -l)
  found=$(find "$root" -xdev -type f | wc -l)

  local t_find c_find m_find t_plain c_plain m_plain t_hogs c_hogs m_hogs t_dups c_dups m_dups
  read -r t_find c_find m_find < <(measure find "$root" -xdev -name '.*' -prune -o -type f -printf '%s %T@ %A@ %p\n')
  read -r t_plain c_plain m_plain < <(measure find "$root" -xdev -type f -printf '%s %p\n')
  read -r t_hogs c_hogs m_hogs < <(measure "$cli" hogs --larger 0 "$root")
  read -r t_dups c_dups m_dups < <(measure "$cli" dups --larger 0 "$root")

  awk -v tf="$t_find" -v cf="$c_find" -v tp="$t_plain" -v cp="$c_plain" -v th="$t_hogs" -v ch="$c_hogs" \
      -v td="$t_dups" -v cd="$c_dups" -v mf="$m_find" -v mp="$m_plain" -v mh="$m_hogs" -v md="$m_dups" \
      -v n="$listed" -v nf="$found" -v runs="$runs" -v root="$root" 'BEGIN {
    printf "tree %s: %d files listed by vantorel-cli (%d regular files in all), best of %d runs\n", root, n, nf, runs
    printf "%-12s %8s %8s %8s %10s %12s %14s\n", "command", "seconds", "cpu", "ratio", "vs %s %p", "peak RSS KiB", "bytes per file"
    printf "%-12s %8.2f %8.2f %8s %10.2f %12d %14s\n", "find", tf, cf, "1.00x", (tp > 0 ? tf / tp : 0), mf, "-"
    printf "%-12s %8.2f %8.2f %7.2fx %10.2f %12d %14s\n", "find %s %p", tp, cp, (tf > 0 ? tp / tf : 0), 1, mp, "-"
    printf "%-12s %8.2f %8.2f %7.2fx %10.2f %12d %14.0f\n", "hogs", th, ch, (tf > 0 ? th / tf : 0), (tp > 0 ? th / tp : 0), mh, (n > 0 ? mh * 1024 / n : 0)
    printf "%-12s %8.2f %8.2f %7.2fx %10.2f %12d %14.0f\n", "dups", td, cd, (tf > 0 ? td / tf : 0), (tp > 0 ? td / tp : 0), md, (n > 0 ? md * 1024 / n : 0)
    printf "targets: ratio <= 1.00x (above 1.50x is a defect), under 400 bytes per listed file\n\n"
  }'
}

# Folder sizes against du, output to /dev/null on both sides: every folder with its own files, and
# the main folders with everything below them.
bench_folders() {
  local root=$1
  du -x -S -b "$root" >/dev/null
  "$cli" folders --all "$root" >/dev/null 2>&1 || true
  local lines t_du c_du m_du t_all c_all m_all t_dtop c_dtop m_dtop t_main c_main m_main
  lines=$("$cli" folders --all "$root" 2>/dev/null | wc -l)
  read -r t_du c_du m_du < <(measure du -x -S -b "$root")
  read -r t_all c_all m_all < <(measure "$cli" folders --all "$root")
  read -r t_dtop c_dtop m_dtop < <(measure du -x -b --max-depth=1 "$root")
  read -r t_main c_main m_main < <(measure "$cli" folders "$root")
  awk -v td="$t_du" -v cd="$c_du" -v md="$m_du" -v ta="$t_all" -v ca="$c_all" -v ma="$m_all" \
      -v tt="$t_dtop" -v ct="$c_dtop" -v mt="$m_dtop" -v tm="$t_main" -v cm="$c_main" -v mm="$m_main" \
      -v n="$lines" -v runs="$runs" -v root="$root" 'BEGIN {
    printf "tree %s: %d folder lines (folders --all), best of %d runs\n", root, n, runs
    printf "%-26s %8s %8s %8s %12s\n", "command", "seconds", "cpu", "ratio", "peak RSS KiB"
    printf "%-26s %8.2f %8.2f %8s %12d\n", "du -x -S -b", td, cd, "1.00x", md
    printf "%-26s %8.2f %8.2f %7.2fx %12d\n", "folders --all", ta, ca, (td > 0 ? ta / td : 0), ma
    printf "%-26s %8.2f %8.2f %8s %12d\n", "du -x -b --max-depth=1", tt, ct, "1.00x", mt
    printf "%-26s %8.2f %8.2f %7.2fx %12d\n", "folders", tm, cm, (tt > 0 ? tm / tt : 0), mm
    printf "targets: ratio <= 1.00x (above 1.50x is a defect)\n\n"
  }'
}

# Files modified on or after a date against find's own date test, output to /dev/null on both sides.
bench_dates() {
  local root=$1
  find "$root" -xdev -type f -newermt 2000-01-01 -printf '%p\n' >/dev/null
  "$cli" dates --modified --after 2000-01-01 "$root" >/dev/null 2>&1 || true
  local lines t_find c_find m_find t_dates c_dates m_dates
  lines=$("$cli" dates --modified --after 2000-01-01 "$root" 2>/dev/null | wc -l)
  read -r t_find c_find m_find < <(measure find "$root" -xdev -type f -newermt 2000-01-01 -printf '%p\n')
  read -r t_dates c_dates m_dates < <(measure "$cli" dates --modified --after 2000-01-01 "$root")
  awk -v tf="$t_find" -v cf="$c_find" -v mf="$m_find" -v td="$t_dates" -v cd="$c_dates" -v md="$m_dates" \
      -v n="$lines" -v runs="$runs" -v root="$root" 'BEGIN {
    printf "tree %s: %d files modified since 2000-01-01 (dates), best of %d runs\n", root, n, runs
    printf "%-26s %8s %8s %8s %12s\n", "command", "seconds", "cpu", "ratio", "peak RSS KiB"
    printf "%-26s %8.2f %8.2f %8s %12d\n", "find -newermt", tf, cf, "1.00x", mf
    printf "%-26s %8.2f %8.2f %7.2fx %12d\n", "dates --modified --after", td, cd, (tf > 0 ? td / tf : 0), md
    printf "targets: ratio <= 1.00x (above 1.50x is a defect)\n\n"
  }'
}

# The statistics collection against find printing the figures it counts, output to /dev/null.
bench_stats() {
  local root=$1
  find "$root" -xdev -type f -printf '%s %A@ %B@ %T@ %m %f\n' >/dev/null
  "$cli" stats "$root" >/dev/null 2>&1 || true
  local t_find c_find m_find t_stats c_stats m_stats
  read -r t_find c_find m_find < <(measure find "$root" -xdev -type f -printf '%s %A@ %B@ %T@ %m %f\n')
  read -r t_stats c_stats m_stats < <(measure "$cli" stats "$root")
  awk -v tf="$t_find" -v cf="$c_find" -v mf="$m_find" -v ts="$t_stats" -v cs="$c_stats" -v ms="$m_stats" \
      -v runs="$runs" -v root="$root" 'BEGIN {
    printf "tree %s: statistics, best of %d runs\n", root, runs
    printf "%-26s %8s %8s %8s %12s\n", "command", "seconds", "cpu", "ratio", "peak RSS KiB"
    printf "%-26s %8.2f %8.2f %8s %12d\n", "find -printf (figures)", tf, cf, "1.00x", mf
    printf "%-26s %8.2f %8.2f %7.2fx %12d\n", "stats", ts, cs, (tf > 0 ? ts / tf : 0), ms
    printf "targets: ratio <= 1.00x (above 1.50x is a defect)\n\n"
  }'
}

# The walks on every core (the tree of 1,000,000 files): each scan against find listing every file
# with its size and path, on the default number of threads and on one; the folder scan against
# gdu and ncdu too, which also walk in parallel (gdu) or list every entry (ncdu).
bench_cores() {
  local root=$1 title=$2
  for tool in gdu ncdu; do
    command -v "$tool" >/dev/null || { sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"; $sudo apt-get install -y -qq "$tool" >&2; }
  done
  find "$root" -xdev -type f -printf '%s %p\n' >/dev/null
  local t_find c_find m_find
  read -r t_find c_find m_find < <(measure find "$root" -xdev -type f -printf '%s %p\n')
  printf "tree %s (%s): walks on %d processors against find, best of %d runs\n" "$root" "$title" "$(nproc)" "$runs"
  printf "%-36s %8s %8s %8s %12s\n" "command" "seconds" "cpu" "ratio" "peak RSS KiB"
  printf "%-36s %8.2f %8.2f %8s %12d\n" "find -xdev -type f -printf '%s %p'" "$t_find" "$c_find" "1.00x" "$m_find"
  local name args t c m t1 c1 m1
  for name in hogs dups dates "folders --all" stats; do
    case $name in
      hogs) args=(hogs --larger 0) ;;
      dups) args=(dups --larger 0) ;;
      dates) args=(dates --modified --after 2000-01-01) ;;
      "folders --all") args=(folders --all) ;;
      stats) args=(stats) ;;
    esac
    read -r t c m < <(measure "$cli" "${args[@]}" "$root")
    read -r t1 c1 m1 < <(measure "$cli" "${args[@]}" --threads 1 "$root")
    printf "%-36s %8.2f %8.2f %7.2fx %12d\n" "$name" "$t" "$c" "$(awk -v a="$t" -v b="$t_find" 'BEGIN{print (b>0?a/b:0)}')" "$m"
    printf "%-36s %8.2f %8.2f %7.2fx %12d\n" "$name --threads 1" "$t1" "$c1" "$(awk -v a="$t1" -v b="$t_find" 'BEGIN{print (b>0?a/b:0)}')" "$m1"
  done
  local t_gdu c_gdu m_gdu t_ncdu c_ncdu m_ncdu t_all c_all m_all
  read -r t_all c_all m_all < <(measure "$cli" folders --all "$root")
  read -r t_gdu c_gdu m_gdu < <(measure gdu -n -p -x "$root")
  read -r t_ncdu c_ncdu m_ncdu < <(measure ncdu -x -0 -o /dev/null "$root")
  printf "%-36s %8.2f %8.2f %8s %12d\n" "folders --all" "$t_all" "$c_all" "1.00x" "$m_all"
  printf "%-36s %8.2f %8.2f %7.2fx %12d\n" "gdu -n -p -x" "$t_gdu" "$c_gdu" "$(awk -v a="$t_gdu" -v b="$t_all" 'BEGIN{print (b>0?a/b:0)}')" "$m_gdu"
  printf "%-36s %8.2f %8.2f %7.2fx %12d\n" "ncdu -x -0 -o /dev/null" "$t_ncdu" "$c_ncdu" "$(awk -v a="$t_ncdu" -v b="$t_all" 'BEGIN{print (b>0?a/b:0)}')" "$m_ncdu"
  printf "targets: every scan <= 0.70x find; gdu and ncdu above 1.00x of folders --all\n\n"
}

# Cold cache (only when run as root, which may drop the page cache): the folder and file-hog scans
# against du -x -s, each run after the cache was dropped.
bench_cold() {
  local root=$1
  if [ "$(id -u)" -ne 0 ]; then
    echo "cold cache: skipped (dropping the page cache needs root)"; echo; return
  fi
  cold() {
    sync; echo 3 > /proc/sys/vm/drop_caches
    /usr/bin/time -o "$stats" -f '%e %U %S %M' "$@" >/dev/null 2>/dev/null || true
    tail -1 "$stats" | awk '{print $1}'
  }
  local t_du t_all t_hogs t_all1
  t_du=$(cold du -x -s "$root")
  t_all=$(cold "$cli" folders --all "$root")
  t_hogs=$(cold "$cli" hogs --larger 0 "$root")
  t_all1=$(cold "$cli" folders --all --threads 1 "$root")
  printf "tree %s: cold cache (page cache dropped before each run), one run each\n" "$root"
  printf "%-36s %8s %8s\n" "command" "seconds" "ratio"
  printf "%-36s %8.2f %8s\n" "du -x -s" "$t_du" "1.00x"
  for row in "folders --all:$t_all" "hogs --larger 0:$t_hogs" "folders --all --threads 1:$t_all1"; do
    printf "%-36s %8.2f %7.2fx\n" "${row%%:*}" "${row##*:}" "$(awk -v a="${row##*:}" -v b="$t_du" 'BEGIN{print (b>0?a/b:0)}')"
  done
  printf "targets: folders --all and hogs <= 0.70x du -x -s\n\n"
}

# The windows that walk, offscreen, on the same tree: each scan's time against the command line's
# for the same scan, and the longest wait for the event loop and for a repaint while it runs.
bench_windows() {
  local root=$1 report
  # The folder hog window writes its snapshot as it scans (part of its cost): into a folder of its
  # own, so the bench leaves nothing among the user's snapshots.
  local state
  state=$(mktemp -d)
  report=$(XDG_STATE_HOME="$state" "$here/build/release/bin/bench-window-scans" "$root" 2>/dev/null || true)
  rm -rf "$state"
  printf "tree %s: scans in the windows (offscreen), one run each\n" "$root"
  printf "%-10s %10s %10s %8s %14s %12s %10s\n" "window" "seconds" "cli" "ratio" "longest gap ms" "repaint ms" "rows"
  local name seconds gap paint rows t c m
  while read -r name seconds gap paint rows; do
    case $name in
      hogs) read -r t c m < <(measure "$cli" hogs --larger 0 "$root") ;;
      dups) read -r t c m < <(measure "$cli" dups --larger 0 "$root") ;;
      dates) read -r t c m < <(measure "$cli" dates --modified --after 2000-01-01 "$root") ;;
      folders) read -r t c m < <(measure "$cli" folders --all "$root") ;;
    esac
    printf "%-10s %10.2f %10.2f %7.2fx %14.1f %12.1f %10d\n" "$name" "$seconds" "$t" \
      "$(awk -v a="$seconds" -v b="$t" 'BEGIN{print (b>0?a/b:0)}')" "$gap" "$paint" "$rows"
  done <<<"$report"
  printf "targets: each window <= 1.20x the command line; longest gap and repaint < 100 ms\n\n"
}

# The same tree with every file given one modification time: the orders have only ties to go by.
same_time() {
  find "$1" -xdev -type f -print0 | xargs -0 touch -h -m -d '2020-02-02 02:02:02'
}

# The viewer's file side against wc, xxd and strings, on generated files; output to /dev/null.
bench_viewer() {
  local folder=$1
  command -v xxd >/dev/null || { sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"; $sudo apt-get install -y -qq xxd >&2; }
  python3 "$here/bench/make_files.py" "$folder" >&2
  local text="$folder/text.txt" binary="$folder/binary.bin"
  cat "$text" "$binary" >/dev/null
  local t_wc c_wc m_wc t_total c_total m_total t_xxd c_xxd m_xxd t_hex c_hex m_hex t_str c_str m_str t_vs c_vs m_vs
  read -r t_wc c_wc m_wc < <(measure wc -l "$text")
  read -r t_total c_total m_total < <(measure "$cli" view --total "$text")
  read -r t_xxd c_xxd m_xxd < <(measure xxd "$binary")
  read -r t_hex c_hex m_hex < <(measure "$cli" view --hex "$binary")
  read -r t_str c_str m_str < <(measure strings -n 6 "$binary")
  read -r t_vs c_vs m_vs < <(measure "$cli" strings "$binary")
  awk -v a="$t_wc" -v am="$m_wc" -v b="$t_total" -v bm="$m_total" -v c="$t_xxd" -v cm="$m_xxd" \
      -v d="$t_hex" -v dm="$m_hex" -v e="$t_str" -v em="$m_str" -v f="$t_vs" -v fm="$m_vs" -v runs="$runs" 'BEGIN {
    printf "viewer files: 1 GiB of text lines, 256 MiB binary, best of %d runs\n", runs
    printf "%-26s %8s %8s %12s\n", "command", "seconds", "ratio", "peak RSS KiB"
    printf "%-26s %8.2f %8s %12d\n", "wc -l (1 GiB)", a, "1.00x", am
    printf "%-26s %8.2f %7.2fx %12d\n", "view --total", b, (a > 0 ? b / a : 0), bm
    printf "%-26s %8.2f %8s %12d\n", "xxd (256 MiB)", c, "1.00x", cm
    printf "%-26s %8.2f %7.2fx %12d\n", "view --hex", d, (c > 0 ? d / c : 0), dm
    printf "%-26s %8.2f %8s %12d\n", "strings -n 6 (256 MiB)", e, "1.00x", em
    printf "%-26s %8.2f %7.2fx %12d\n", "strings", f, (e > 0 ? f / e : 0), fm
    printf "targets: view --total <= 1.20x (above 2x is a defect); hex and strings <= 1.00x\n\n"
  }'
  bench_viewer_window "$text"
  rm -f "$text" "$binary"
}

# The viewer control on the 1 GiB text (offscreen): each move repaints within 50 ms once Ctrl+End
# has found the end, and a forward search through the whole file runs at half grep's speed or better.
bench_viewer_window() {
  local text=$1 needle="no such text anywhere" t_grep report search
  "$here/build/release/bin/bench-viewer" "$text" "$needle" >/dev/null 2>&1 || true
  # grep finds nothing and so exits 1, which must not end the script.
  t_grep=$( { TIMEFORMAT=%3R; time grep -c -F "$needle" "$text" >/dev/null || true; } 2>&1 )
  report=$("$here/build/release/bin/bench-viewer" "$text" "$needle" 2>/dev/null || true)
  search=$(awk '$1 == "search" {print $2}' <<<"$report")
  echo "viewer window: 1 GiB of text, one run (milliseconds for each move, repainted)"
  awk '$1 != "search" {printf "  %-14s %10s\n", $1, $2}' <<<"$report"
  awk -v g="$t_grep" -v s="$search" 'BEGIN {
    printf "%-34s %8s %8s\n", "command", "seconds", "ratio"
    printf "%-34s %8.3f %8s\n", "grep -c -F (not found)", g, "1.00x"
    printf "%-34s %8.3f %7.2fx\n", "viewer forward search (not found)", s, (g > 0 ? s / g : 0)
    printf "targets: every move <= 50 ms; search <= 2.00x\n\n"
  }'
}

# The folder browser opened on one folder of 100,000 files, until its grid is filled and painted
# (offscreen), against ls -l of the same folder; one run each, after a warming run of both.
bench_browse() {
  local folder=$1
  python3 "$here/bench/make_folder.py" "$folder" >&2
  ls -l --time-style=long-iso "$folder" >/dev/null
  "$here/build/release/bin/bench-browse-fill" "$folder" >/dev/null 2>&1 || true
  local t_ls t_fill files per
  t_ls=$( { TIMEFORMAT=%3R; time ls -l --time-style=long-iso "$folder" >/dev/null; } 2>&1 )
  read -r t_fill files per < <("$here/build/release/bin/bench-browse-fill" "$folder" 2>/dev/null)
  awk -v tl="$t_ls" -v tf="$t_fill" -v n="$files" -v per="$per" 'BEGIN {
    printf "folder browser: one folder, %d files listed, one run each\n", n
    printf "%-34s %8s %8s %14s\n", "command", "seconds", "ratio", "bytes per file"
    printf "%-34s %8.3f %8s %14s\n", "ls -l --time-style=long-iso", tl, "1.00x", "-"
    printf "%-34s %8.3f %7.2fx %14.0f\n", "browser: grid filled and painted", tf, (tl > 0 ? tf / tl : 0), per
    printf "targets: ratio <= 1.50x\n\n"
  }'
  rm -rf "$folder"
}

# The space map on a walked tree (offscreen): layout and first paint of the 1600 x 1000 picture
# after the walk, a resize, a zoom into the largest folder and back, and the model's bytes per file.
bench_map() {
  local root=$1 report
  report=$("$here/build/release/bin/bench-map" "$root" 2>/dev/null || true)
  awk '{ v[$1] = $2 } END {
    printf "space map: %d files in %d folders, walked in %.2f s; %d tiles drawn\n", v["files"], v["folders"], v["walk"], v["tiles"]
    printf "%-34s %10s\n", "step", "seconds"
    printf "%-34s %10.3f\n", "layout and first paint 1600x1000", v["first-paint"]
    printf "%-34s %10.3f\n", "layout alone", v["layout"]
    printf "%-34s %10.3f\n", "resize to 1400x900", v["resize"]
    printf "%-34s %10.3f\n", "zoom into the largest folder", v["zoom-in"]
    printf "%-34s %10.3f\n", "zoom back out", v["zoom-out"]
    printf "worst case, 1,000,000 files of one size in 1,000 folders (%d tiles): first paint %.3f s, resize %.3f s, zoom %.3f s\n", v["equal-tiles"], v["equal-first-paint"], v["equal-resize"], v["equal-zoom-in"]
    printf "model: %d-byte file records, %.1f bytes per file with names and folders (%.1f besides names)\n", v["record-bytes"], v["model-bytes-per-file"], v["model-bytes-per-file-besides-names"]
    printf "targets: first paint < 1 s, resize and zoom < 0.2 s, at most 32 bytes per file\n\n"
  }' <<<"$report"
}

# The duplicate finder's content check against the content-only tools, on real contents.
bench_content() {
  local root=$1
  for tool in jdupes fdupes; do
    command -v "$tool" >/dev/null || { sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"; $sudo apt-get install -y -qq "$tool" >&2; }
  done
  python3 "$here/bench/make_content_tree.py" "$root" >&2
  cat $(find "$root" -type f) >/dev/null
  local groups t_us c_us m_us t_jd c_jd m_jd t_fd c_fd m_fd
  groups=$("$cli" dups --larger 0 --content "$root" 2>/dev/null | grep -c '^$' || true)
  read -r t_us c_us m_us < <(measure "$cli" dups --larger 0 --content "$root")
  read -r t_jd c_jd m_jd < <(measure jdupes -r "$root")
  read -r t_fd c_fd m_fd < <(measure fdupes -r "$root")
  awk -v a="$t_jd" -v am="$m_jd" -v b="$t_us" -v bm="$m_us" -v c="$t_fd" -v cm="$m_fd" -v g="$groups" \
      -v runs="$runs" 'BEGIN {
    printf "content tree: 20,000 files with real contents, %d identical groups found, best of %d runs\n", g, runs
    printf "%-34s %8s %8s %12s\n", "command", "seconds", "ratio", "peak RSS KiB"
    printf "%-34s %8.2f %8s %12d\n", "jdupes -r", a, "1.00x", am
    printf "%-34s %8.2f %7.2fx %12d\n", "dups --larger 0 --content", b, (a > 0 ? b / a : 0), bm
    printf "%-34s %8.2f %7.2fx %12d\n", "fdupes -r", c, (a > 0 ? c / a : 0), cm
    printf "targets: dups --content <= 1.00x jdupes\n\n"
  }'
}

# The duplicate folder finder against the content check on the same tree of real contents: 100,000
# files, 200 folders of them copied whole (make_dupfolder_tree.py).
bench_dupfolders() {
  local root=$1
  python3 "$here/bench/make_dupfolder_tree.py" "$root" >&2
  find "$root" -type f -exec cat {} + >/dev/null
  "$cli" dupfolders "$root" >/dev/null 2>&1 || true
  local groups t_dc c_dc m_dc t_df c_df m_df t_ds c_ds m_ds
  groups=$("$cli" dupfolders "$root" 2>/dev/null | grep -c '^$' || true)
  read -r t_dc c_dc m_dc < <(measure "$cli" dups --larger 0 --content "$root")
  read -r t_df c_df m_df < <(measure "$cli" dupfolders "$root")
  read -r t_ds c_ds m_ds < <(measure "$cli" dupfolders --subsets "$root")
  awk -v a="$t_dc" -v ac="$c_dc" -v am="$m_dc" -v b="$t_df" -v bc="$c_df" -v bm="$m_df" -v c="$t_ds" -v cc="$c_ds" \
      -v cm="$m_ds" -v g="$groups" -v runs="$runs" 'BEGIN {
    printf "duplicate folder tree: 100,000 files with real contents, 200 folders copied, %d groups found, best of %d runs\n", g, runs
    printf "%-34s %8s %8s %8s %12s\n", "command", "seconds", "cpu", "ratio", "peak RSS KiB"
    printf "%-34s %8.2f %8.2f %8s %12d\n", "dups --larger 0 --content", a, ac, "1.00x", am
    printf "%-34s %8.2f %8.2f %7.2fx %12d\n", "dupfolders", b, bc, (a > 0 ? b / a : 0), bm
    printf "%-34s %8.2f %8.2f %7.2fx %12d\n", "dupfolders --subsets", c, cc, (a > 0 ? c / a : 0), cm
    printf "targets: dupfolders <= 1.20x dups --content, peak RSS at most that of dups --content\n\n"
  }'
}

if [ $# -ge 1 ]; then
  bench_tree "$1"
  bench_folders "$1"
  bench_dates "$1"
  bench_stats "$1"
  bench_cores "$1" "as it is"
  bench_windows "$1"
  bench_cold "$1"
  bench_map "$1"
  "$here/bench/scans.sh" "$1"
else
  work=$(mktemp -d /tmp/vantorel-bench.XXXXXX)
  python3 "$here/bench/make_tree.py" "$work/200k" >&2
  bench_tree "$work/200k"
  bench_folders "$work/200k"
  bench_dates "$work/200k"
  bench_stats "$work/200k"
  rm -rf "$work/200k"
  bench_viewer "$work/files"
  bench_content "$work/content"
  rm -rf "$work/content"
  bench_dupfolders "$work/dupfolders"
  rm -rf "$work/dupfolders"
  bench_browse "$work/browse"
  python3 "$here/bench/make_tree.py" "$work/1m" --files 1000000 --folders 1000 >&2
  bench_tree "$work/1m"
  bench_cores "$work/1m" "as made"
  bench_windows "$work/1m"
  bench_cold "$work/1m"
  bench_map "$work/1m"
  same_time "$work/1m"
  bench_cores "$work/1m" "one modification time"
  bench_windows "$work/1m"
  "$here/bench/scans.sh" "$work/1m"
  rm -rf "$work/1m"
fi

# Trees deeper than PATH_MAX (no ROOT): memory and time independent of depth times name length.
if [ $# -eq 0 ]; then
  "$here/bench/deep_tree.sh" "$work"
fi

# The finder's grid on 300,000 rows: marking and the sort menu must stay within a couple of seconds.
"$here/build/release/bin/bench-grid-sort"
