// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "scans/SnapshotStore.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class ScanReplay;

// The last scan shown at once: a window about to walk roots that all have a snapshot shows those
// snapshots while the fresh walk runs, marked as what they are.

// The date and time of a snapshot in the locale's forms (the file texts').
QString SnapshotTimeText(std::int64_t timestamp);
// "from <date time>; scanning..." for the oldest of the snapshots shown.
QString LastScanMark(std::int64_t timestamp);

// Replays the newest snapshot of each of roots through feed (a window's engine for them), when
// snapshots are on and every root has one. Returns the oldest snapshot's time, or 0 when nothing
// was shown (no snapshot, the setting off, or a file that broke off: then the caller drops what
// feed got).
std::int64_t ReplayLastScans(const std::vector<std::string>& roots, const std::function<void(ScanReplay&)>& feed,
                             const SnapshotStore& store = SnapshotStore());
