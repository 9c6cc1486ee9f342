// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FolderHandle.h"

#include <QChar>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A drive: a letter mapped to a mount point. C: is "/", then D:, E: ... the other real mounted
// filesystems (block devices and network filesystems, one mount per device) in mount-point order,
// at most 24 (C: to Z:). VANTOREL_DRIVES="C=/some/folder;D=/other" replaces the table.
struct Drive {
    QChar letter;            // 'A'..'Z'
    std::string mountPoint;  // the drive's root folder (exact bytes, no trailing "/" except "/")
    QString label;           // volume label or filesystem name, may be empty

    // The combo item: "C: [label] /", or "C: /" when the drive has no label.
    QString itemText() const;
    // The box caption: "C:".
    QString caption() const;
};

// A filesystem's space as df tells it: used is what the files take, free what an ordinary user can
// still write, reserved the rest (blocks kept back for root); the three make up the total.
struct DriveSpace {
    std::int64_t freeBytes = 0;
    std::int64_t totalBytes = 0;
    std::int64_t clusterBytes = 0; // allocation unit
    std::int64_t usedBytes = 0;
    std::int64_t reservedBytes = 0;
};

struct statvfs;
// The space of statvfs figures.
DriveSpace SpaceOfStatvfs(const struct statvfs& st);

class DriveTable {
public:
    // Reads the drive table now (the override, or the mounted filesystems).
    static std::vector<Drive> load();
    // The drive whose mount point holds path (the longest matching mount point); -1 when none.
    static int indexOfPath(const std::vector<Drive>& drives, const std::string& path);
    // The drive of a letter in the current table; nullopt when no such drive.
    static std::optional<Drive> find(QChar letter);

    // The table of a mountinfo text (the format of /proc/self/mountinfo): "/" as C:, then every
    // other real filesystem mounted on a folder (isFolder), one per device, in mount-point order.
    // labelOf gives the volume label of a mount source ("/dev/sda1"); empty when it has none.
    static std::vector<Drive> fromMountInfo(std::string_view mountInfo,
                                            const std::function<bool(const std::string&)>& isFolder,
                                            const std::function<QString(const std::string&)>& labelOf);
    // The table of a VANTOREL_DRIVES value ("C=/some/folder;D=/other"): letters as given (a-z taken
    // as A-Z), sorted by letter; pieces without a letter, "=" and a path are skipped, and a letter
    // given twice keeps its first folder.
    static std::vector<Drive> fromOverride(std::string_view value);
};

// True when the drive's mount point answers statvfs. A letter outside A-Z (after upper-casing a-z)
// throws AppError("Not a valid drive ID").
bool DriveReady(QChar letter);
// The space and the allocation unit of a drive; nullopt when it does not answer.
std::optional<DriveSpace> DriveSpaceOf(QChar letter);
// The same figures for the filesystem that holds an open folder (fstatvfs on its handle).
std::optional<DriveSpace> DriveSpaceOfFolder(const FolderHandle& folder);
