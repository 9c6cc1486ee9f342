// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/DeletionTotals.h"

#include "common/SaturatingSum.h"
#include "platform/ProfileFile.h"

#include <QDate>
#include <QDir>

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
    return stored <= 0 ? run : SaturatingAdd(stored, run);
}

DeletionTotalsValues valuesOf(const ProfileFile::Contents& ini) {
    DeletionTotalsValues v;
    v.filesDeleted = ini.integer(kSection, kFilesDeleted);
    v.bytesDeleted = ini.integer(kSection, kBytesDeleted);
    v.filesRecycled = ini.integer(kSection, kFilesRecycled);
    v.bytesRecycled = ini.integer(kSection, kBytesRecycled);
    v.delDate = ini.integer(kSection, kDelDate);
    return v;
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
    // One reading of the file for all five keys, so they belong to the same moment.
    return valuesOf(ProfileFile(settingsPath()).read());
}

void DeletionTotals::addDeletionTotals(std::int64_t filesDeleted, std::int64_t bytesDeleted,
                                       std::int64_t filesRecycled, std::int64_t bytesRecycled) {
    // A run that removed nothing leaves the file as it is; it must not start the count either.
    if (filesDeleted == 0 && bytesDeleted == 0 && filesRecycled == 0 && bytesRecycled == 0)
        return;
    // Read, add and write under the file's lock, so a run recorded by another copy of the program
    // at the same moment is added to, not overwritten.
    ProfileFile(settingsPath()).update([&](ProfileFile::Contents& ini) {
        const DeletionTotalsValues old = valuesOf(ini);
        ProfileFile::Values values = {
            {kFilesDeleted, addTo(old.filesDeleted, filesDeleted)},
            {kBytesDeleted, addTo(old.bytesDeleted, bytesDeleted)},
            {kFilesRecycled, addTo(old.filesRecycled, filesRecycled)},
            {kBytesRecycled, addTo(old.bytesRecycled, bytesRecycled)},
        };
        // Counting starts with the first run after creation or a reset; any other value stays.
        if (old.delDate == -1)
            values.push_back({kDelDate, QDate(1899, 12, 30).daysTo(QDate::currentDate())});
        ini.setIntegers(kSection, values);
    });
}

void DeletionTotals::reset() {
    ProfileFile(settingsPath())
        .writeIntegers(kSection, {{kFilesDeleted, -1},
                                  {kBytesDeleted, -1},
                                  {kFilesRecycled, -1},
                                  {kBytesRecycled, -1},
                                  {kDelDate, -1}});
}
