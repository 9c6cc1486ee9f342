// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QChar>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A drive: a letter mapped to a mount point. C: is "/", then D:, E: ... the other real mounted
// filesystems (block devices and network filesystems, one mount per device) in mount-point order,
// at most 24 (C: to Z:). VANTOREL_DRIVES="C=/some/folder;D=/other" replaces the table.
struct Drive {
    QChar letter;            // 'A'..'Z'
    std::string mountPoint;  // the drive's root folder (exact bytes, no trailing "/" except "/")
    QString label;           // volume label or filesystem name, may be empty

    // The combo item: "C: [label] /".
    QString itemText() const;
    // The box caption: "C:".
    QString caption() const;
};

struct DriveSpace {
    std::int64_t freeBytes = 0;
    std::int64_t totalBytes = 0;
    std::int64_t clusterBytes = 0; // allocation unit
};

class DriveTable {
public:
    // Reads the drive table now (the override, or the mounted filesystems).
    static std::vector<Drive> load();
    // The drive whose mount point holds path (the longest matching mount point); -1 when none.
    static int indexOfPath(const std::vector<Drive>& drives, const std::string& path);
    // The drive of a letter in the current table; nullopt when no such drive.
    static std::optional<Drive> find(QChar letter);
};

// True when the drive's mount point answers statvfs. A letter outside A-Z (after upper-casing a-z)
// throws AppError("Not a valid drive ID").
bool DriveReady(QChar letter);
// Free and total space and the allocation unit of a drive; nullopt when it does not answer.
std::optional<DriveSpace> DriveSpaceOf(QChar letter);
