// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ListedFolder.h"

#include <cerrno>
#include <string_view>

namespace {
bool known(const EntryIdentity& id) { return id.device != 0 || id.inode != 0; }
} // namespace

FolderHandle OpenListedFolder(const ListedEntry& entry) {
    FolderHandle current = FolderHandle::open(entry.root);
    if (!current.valid())
        return current;
    // The root may be named through links, but it must still be the folder that was scanned.
    if (known(entry.rootIdentity) && current.identity() != entry.rootIdentity)
        return FolderHandle::failed(entry.folderPath(), ESTALE);
    std::string_view rest = entry.folder;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == "." || part == "..")
            return FolderHandle::failed(entry.folderPath(), EINVAL);
        // No path text on the way: a deep folder would copy the path above it at every step.
        FolderHandle child = FolderHandle::openChildUnnamed(current, part);
        if (!child.valid()) {
            // Where a folder was listed there is now a link or something else that is no folder.
            const int error = child.error() == ELOOP || child.error() == ENOTDIR ? ESTALE : child.error();
            return FolderHandle::failed(entry.folderPath(), error);
        }
        // A walk never goes into a mount, so a mount on the way was put there since.
        if (child.device() != current.device() || child.isMountRoot())
            return FolderHandle::failed(entry.folderPath(), ESTALE);
        current = std::move(child);
    }
    if (known(entry.folderIdentity) && current.identity() != entry.folderIdentity)
        return FolderHandle::failed(entry.folderPath(), ESTALE);
    current.setPath(entry.folderPath());
    return current;
}

FolderHandle OpenListedFolderItself(const ListedEntry& folder) {
    if (folder.name.empty())
        return FolderHandle::open(folder.root);
    const FolderHandle parent = OpenListedFolder(folder);
    if (!parent.valid())
        return FolderHandle::failed(folder.path(), parent.error() == ESTALE ? ENOENT : parent.error());
    FolderHandle self = FolderHandle::openChild(parent, folder.name);
    if (!self.valid())
        return self;
    if (self.device() != parent.device() || self.isMountRoot())
        return FolderHandle::failed(folder.path(), EXDEV);
    self.setPath(folder.path());
    return self;
}
