#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Exclusions, refresh and the last scan at once, on a big tree (the 1,000,000-file tree of
# bench/run.sh, or ROOT): the folder scan with 20 exclusion patterns that leave out little against
# the same scan without them (target: at most +5 % CPU), then bench-refresh: one folder of about
# 1,000 files refreshed in the folder hog engine and the map (target: under 50 ms beyond its walk)
# and the snapshot of the tree on screen in the folder hog window and the map (target: within 1 s).
#
# Usage: bench/exclusions.sh ROOT [RUNS]
set -euo pipefail
root=$1
runs=${2:-3}
here=$(cd "$(dirname "$0")/.." && pwd)
cli="$here/build/release/bin/vantorel-cli"
(cd "$here" && cmake --preset release >/dev/null && cmake --build --preset release --target vantorel-cli bench-refresh -j2 >&2)
stats=$(mktemp)
trap 'rm -f "$stats"' EXIT

# The least CPU time (user + system, seconds) of $runs runs: on a shared machine the wall time
# measures the others' work too.
measure() {
  local best="" u s c
  for _ in $(seq "$runs"); do
    /usr/bin/time -o "$stats" -f '%U %S' "$@" >/dev/null 2>/dev/null || true
    read -r u s < <(tail -1 "$stats")
    c=$(awk -v u="$u" -v s="$s" 'BEGIN{printf "%.2f", u + s}')
    if [ -z "$best" ] || awk -v a="$c" -v b="$best" 'BEGIN{exit !(a<b)}'; then best=$c; fi
  done
  echo "$best"
}

# Names, suffixes, globs with sets and anchored paths, as a user's list would hold them.
patterns=(node_modules .git '*.o' '*.pyc' '*~' '*.tmp' __pycache__ build-cache '*.swp' 'core.[0-9]*'
  '*.bak' '.cache/' target '*.class' '/proc-like/*' 'vendor/*/tests' '*.[oa]' '#*#' 'Thumbs.db' '*.iso')
args=()
for p in "${patterns[@]}"; do args+=(--exclude "$p"); done

find "$root" -xdev >/dev/null 2>&1 # warm
plain=$(measure "$cli" folders --all "$root")
with=$(measure "$cli" folders --all "${args[@]}" "$root")
left=$( ("$cli" export "${args[@]}" "$root" 2>/dev/null || true) | grep -c '"excluded":"pattern"' || true)
printf 'folders --all                 %8s s CPU\n' "$plain"
printf 'with %2d exclusions            %8s s CPU  (%s %%; %s entries left out; target at most +5 %%)\n' \
  "${#patterns[@]}" "$with" "$(awk -v a="$with" -v b="$plain" 'BEGIN{printf "%+.1f", (a / b - 1) * 100}')" "$left"
"$here/build/release/bin/bench-refresh" "$root"
