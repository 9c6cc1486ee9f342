// SPDX-License-Identifier: GPL-3.0-or-later
#include "scans/ui/LastScan.h"

#include "common/DosDateTime.h"
#include "scans/SavedScan.h"
#include "scans/ui/OpenScanFile.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>

QString SnapshotTimeText(std::int64_t timestamp) {
    const ScanTimeTexts when = ScanTime(timestamp);
    return when.date + u' ' + when.time;
}

QString LastScanMark(std::int64_t timestamp) {
    return QStringLiteral("from ") + SnapshotTimeText(timestamp) + QStringLiteral("; scanning...");
}

std::int64_t ReplayLastScans(const std::vector<std::string>& roots, const std::function<void(ScanReplay&)>& feed,
                             const SnapshotStore& store) {
    if (roots.empty() || !SnapshotStore::enabled())
        return 0;
    const std::vector<SnapshotStore::Snapshot> last = store.newestOf(roots);
    if (last.empty())
        return 0;
    std::int64_t oldest = last.front().timestamp;
    for (const SnapshotStore::Snapshot& snapshot : last) {
        SavedScan scan;
        if (!scan.open(snapshot.path))
            return 0;
        feed(scan.replay());
        if (scan.failed())
            return 0;
        oldest = std::min(oldest, snapshot.timestamp);
    }
    return std::max<std::int64_t>(oldest, 1);
}
