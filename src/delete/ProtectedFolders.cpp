// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/ProtectedFolders.h"

#include "common/DisplayText.h"
#include "platform/DriveTable.h"

#include <sys/stat.h>

namespace {
bool identityOf(const std::string& path, EntryIdentity& id) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    id = {st.st_dev, st.st_ino};
    return true;
}
} // namespace

FolderProtection ProtectionOf(const EntryIdentity& folder, const EntryIdentity& parent, const std::string& name) {
    EntryIdentity systemRoot;
    const bool haveRoot = identityOf("/", systemRoot);
    if (haveRoot && folder == systemRoot)
        return FolderProtection::DriveRoot;
    bool parentIsDriveRoot = false;
    for (const Drive& drive : DriveTable::load()) {
        EntryIdentity root;
        if (!identityOf(drive.mountPoint, root))
            continue;
        if (folder == root)
            return FolderProtection::DriveRoot;
        parentIsDriveRoot = parentIsDriveRoot || parent == root;
    }
    if (haveRoot && parent == systemRoot)
        return FolderProtection::SystemFolder;
    if (parentIsDriveRoot && FoldAscii(name) == "WINDOWS")
        return FolderProtection::SystemFolder;
    return FolderProtection::None;
}
