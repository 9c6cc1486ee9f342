// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/DeletionTotals.h"

#include "platform/ProfileFile.h"

#include <QDate>
#include <QDir>

#include <limits>

namespace {
const QString kSection = QStringLiteral("Vantorel");
const QString kFilesDeleted = QStringLiteral("Ndelete");
const QString kBytesDeleted = QStringLiteral("SizeDelete");
const QString kFilesRecycled = QStringLiteral("NWaste");
const QString kBytesRecycled = QStringLiteral("SizeWaste");
const QString kDelDate = QStringLiteral("DelDate");

// A stored figure of 0 or below means "nothing recorded", so the run's figure replaces it.
// Sums saturate instead of wrapping into a negative (which would read as "nothing recorded").
std::int64_t addTo(std::int64_t stored, std::int64_t run) {
    if (stored <= 0)
        return run;
    if (run > 0 && stored > std::numeric_limits<std::int64_t>::max() - run)
        return std::numeric_limits<std::int64_t>::max();
    return stored + run;
}
} // namespace

QString DeletionTotals::settingsPath() {
    // The XDG rule: an unset, empty or relative XDG_CONFIG_HOME means ~/.config.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Vantorel.Ini");
}

DeletionTotalsValues DeletionTotals::read() {
    ProfileFile ini(settingsPath());
    DeletionTotalsValues v;
    v.filesDeleted = ini.readInteger(kSection, kFilesDeleted);
    v.bytesDeleted = ini.readInteger(kSection, kBytesDeleted);
    v.filesRecycled = ini.readInteger(kSection, kFilesRecycled);
    v.bytesRecycled = ini.readInteger(kSection, kBytesRecycled);
    v.delDate = ini.readInteger(kSection, kDelDate);
    return v;
}

void DeletionTotals::addDeletionTotals(std::int64_t filesDeleted, std::int64_t bytesDeleted,
                                       std::int64_t filesRecycled, std::int64_t bytesRecycled) {
    const DeletionTotalsValues old = read();
    std::vector<std::pair<QString, std::int64_t>> values = {
        {kFilesDeleted, addTo(old.filesDeleted, filesDeleted)},
        {kBytesDeleted, addTo(old.bytesDeleted, bytesDeleted)},
        {kFilesRecycled, addTo(old.filesRecycled, filesRecycled)},
        {kBytesRecycled, addTo(old.bytesRecycled, bytesRecycled)},
    };
    // Counting starts with the first run after creation or a reset; any other value stays.
    if (old.delDate == -1)
        values.push_back({kDelDate, QDate(1899, 12, 30).daysTo(QDate::currentDate())});
    // One replace for all keys: the run is recorded whole or not at all.
    ProfileFile(settingsPath()).writeIntegers(kSection, values);
}

void DeletionTotals::reset() {
    ProfileFile(settingsPath()).writeIntegers(kSection, {{kFilesDeleted, -1},
                                                          {kBytesDeleted, -1},
                                                          {kFilesRecycled, -1},
                                                          {kBytesRecycled, -1},
                                                          {kDelDate, -1}});
}
