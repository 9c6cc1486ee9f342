#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Saved scans on a tree (the 1,000,000-file tree of bench/run.sh, or ROOT): export against
# ncdu -o -x, folders --scan of that export against ncdu -f reading it, compare of two such scans,
# the memory of the import against the live walk, and what a snapshot adds to a folder hog scan.
# Targets: export <= 1.2x ncdu, folders --scan <= 0.5x ncdu -f, compare < 2 s, import memory <=
# the walk's, snapshot <= +15 %.
#
# Usage: bench/scans.sh ROOT [RUNS]
set -euo pipefail
root=$1
runs=${2:-3}
here=$(cd "$(dirname "$0")/.." && pwd)
cli="$here/build/release/bin/vantorel-cli"
(cd "$here" && cmake --preset release >/dev/null && cmake --build --preset release --target vantorel-cli bench-snapshot -j2 >&2)
command -v ncdu >/dev/null || { echo "ncdu is not installed (scripts/install-deps.sh)" >&2; exit 1; }
work=$(mktemp -d /tmp/vantorel-scans.XXXXXX)
stats=$work/time
trap 'rm -rf "$work"' EXIT

# The least CPU time (user + system, seconds) of $runs runs and the largest peak RSS (KiB). CPU
# time, not wall time: on a machine shared with other work the wall time measures the others too.
measure() {
  local best="" rss=0 u s m c
  for _ in $(seq "$runs"); do
    /usr/bin/time -o "$stats" -f '%U %S %M' "$@" >/dev/null 2>/dev/null || true
    read -r u s m < <(tail -1 "$stats")
    c=$(awk -v u="$u" -v s="$s" 'BEGIN{printf "%.2f", u + s}')
    if [ -z "$best" ] || awk -v a="$c" -v b="$best" 'BEGIN{exit !(a<b)}'; then best=$c; fi
    [ "$m" -gt "$rss" ] && rss=$m
  done
  echo "$best $rss"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{ if (b > 0) printf "%.2f", a / b; else print "-" }'; }
line() { printf '%-34s %8s s CPU %9s KiB  %s\n' "$1" "$2" "$3" "$4"; }

find "$root" -xdev >/dev/null 2>&1 # warm
read -r ours ours_rss < <(measure "$cli" export --output "$work/scan.json" "$root")
read -r theirs theirs_rss < <(measure ncdu -x -o "$work/ncdu.json" "$root")
read -r packed packed_rss < <(measure "$cli" export --output "$work/scan.json.zst" "$root")
echo "== saved scans: $root ($(du -h "$work/scan.json" | cut -f1) JSON, $(du -h "$work/scan.json.zst" | cut -f1) .zst)"
line "export" "$ours" "$ours_rss" "$(ratio "$ours" "$theirs")x ncdu -o (target <= 1.2)"
line "ncdu -x -o FILE" "$theirs" "$theirs_rss" ""
line "export .zst" "$packed" "$packed_rss" "$(ratio "$packed" "$theirs")x ncdu -o"
read -r imported imported_rss < <(measure "$cli" folders --scan "$work/scan.json")
read -r ncduread ncduread_rss < <(measure ncdu -f "$work/scan.json" -o /dev/null)
read -r walked walked_rss < <(measure "$cli" folders "$root")
read -r zimported zimported_rss < <(measure "$cli" folders --scan "$work/scan.json.zst")
line "folders --scan FILE" "$imported" "$imported_rss" "$(ratio "$imported" "$ncduread")x ncdu -f (target <= 0.5)"
line "ncdu -f FILE -o /dev/null" "$ncduread" "$ncduread_rss" ""
line "folders --scan FILE.zst" "$zimported" "$zimported_rss" ""
line "folders ROOT (live walk)" "$walked" "$walked_rss" "import memory $(ratio "$imported_rss" "$walked_rss")x the walk's (target <= 1)"
read -r all_imported all_imported_rss < <(measure "$cli" folders --all --scan "$work/scan.json")
read -r all_walked all_walked_rss < <(measure "$cli" folders --all "$root")
line "folders --all --scan FILE" "$all_imported" "$all_imported_rss" "memory $(ratio "$all_imported_rss" "$all_walked_rss")x the walk's"
line "folders --all ROOT" "$all_walked" "$all_walked_rss" ""
read -r hogs_imported hogs_rss < <(measure "$cli" hogs --larger 0 --scan "$work/scan.json")
read -r hogs_walked hogs_walked_rss < <(measure "$cli" hogs --larger 0 "$root")
line "hogs --larger 0 --scan FILE" "$hogs_imported" "$hogs_rss" "memory $(ratio "$hogs_rss" "$hogs_walked_rss")x the walk's"
line "hogs --larger 0 ROOT" "$hogs_walked" "$hogs_walked_rss" ""
"$cli" export --output "$work/scan2.json.zst" "$root" 2>/dev/null
read -r compared compared_rss < <(measure "$cli" compare --all "$work/scan.json" "$work/scan2.json.zst")
line "compare --all OLD NEW.zst" "$compared" "$compared_rss" "(target < 2 s)"
"$here/build/release/bin/bench-snapshot" "$root" "$runs"
