#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every scan of the release vantorel-cli on trees deeper than any path the system takes whole:
# 5,000 levels of 250-byte names (a path of 1.25 MB; two files at every tenth level) and 50,000
# levels of 8-byte names. Reports the wall time and the peak RSS (/usr/bin/time) of each command;
# folders --all prints every folder's whole path (some 3 GB on the first tree), and is set against
# writing as many bytes to /dev/null.
#
# Usage: bench/deep_tree.sh [WORK]   (WORK: a folder to build the trees in; a temporary one by default)
# Targets: every command under 64 MiB; hogs, dups, dates, stats and folders under 2 s on the first
# tree; folders --all within twice the time of writing its output to /dev/null.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cli="$here/build/release/bin/vantorel-cli"
if [ ! -x /usr/bin/time ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get install -y -qq time >&2
fi
(cd "$here" && cmake --preset release >/dev/null && cmake --build --preset release --target vantorel-cli -j2 >&2)

work=${1:-}
made=""
if [ -z "$work" ]; then work=$(mktemp -d /tmp/vantorel-deep.XXXXXX); made=$work; fi
stats=$(mktemp)
cleanup() {
  rm -f "$stats"
  for tree in "$work/long" "$work/many"; do
    [ -d "$tree" ] && python3 "$here/bench/make_deep_tree.py" "$tree" --remove
  done
  if [ -n "$made" ]; then rm -rf "$made"; fi
}
trap cleanup EXIT

# Seconds and peak RSS (KiB) of one run, output dropped.
measure() {
  /usr/bin/time -o "$stats" -f '%e %M' "$@" >/dev/null 2>/dev/null || true
  tail -1 "$stats"
}

deep_tree() {
  local tree=$1 depth=$2 length=$3 label=$4
  python3 "$here/bench/make_deep_tree.py" "$tree" --depth "$depth" --name-length "$length" --files-every 10 >&2
  "$cli" stats "$tree" >/dev/null 2>&1 || true # warm the tree
  echo "deep tree: $label"
  printf "%-34s %8s %12s %16s\n" "command" "seconds" "peak RSS KiB" "output bytes"
  local cmd t m bytes all_bytes=0
  local cmds=("hogs" "dups" "dates --modified --after 2000-01-01" "stats" "folders" "folders --all")
  # The content check reaches each file from the root, one open per level: the short chain only.
  [ "$depth" -le 5000 ] && cmds+=("dups --content")
  for cmd in "${cmds[@]}"; do
    # shellcheck disable=SC2086
    read -r t m < <(measure "$cli" $cmd "$tree")
    # shellcheck disable=SC2086
    bytes=$("$cli" $cmd "$tree" 2>/dev/null | wc -c)
    printf "%-34s %8.2f %12d %16d\n" "$cmd" "$t" "$m" "$bytes"
    [ "$cmd" = "folders --all" ] && all_bytes=$bytes
  done
  local t_null bytes=$all_bytes
  t_null=$( { TIMEFORMAT=%3R; time head -c "$bytes" /dev/zero >/dev/null; } 2>&1 )
  printf "%-34s %8.2f %12s %16d\n" "head -c (same bytes) > /dev/null" "$t_null" "-" "$bytes"
  echo
}

deep_tree "$work/long" 5000 250 "5,000 levels of 250-byte names"
deep_tree "$work/many" 50000 8 "50,000 levels of 8-byte names"
echo "targets: every command under 65536 KiB; on the first tree hogs, dups, dates, stats and folders"
echo "under 2 s, folders --all within twice the time of head -c"
