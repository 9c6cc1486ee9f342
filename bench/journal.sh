#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the journal of deletes costs (bench-journal): a trash run of COUNT files (default 20,000)
# with and without the journal, the listing, the undo and the freed-space count of the same files,
# in a throw-away folder under /tmp with its own trash and journal.
#
# Usage: bench/journal.sh [COUNT [PRESET]]   (PRESET: the build to use, release by default)
set -euo pipefail
count=${1:-20000}
preset=${2:-release}
here=$(cd "$(dirname "$0")/.." && pwd)
(cd "$here" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" --target bench-journal -j2 >&2)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$here/build/$preset/bin/bench-journal" "$work" "$count"
