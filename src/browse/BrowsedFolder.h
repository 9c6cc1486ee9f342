// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FolderHandle.h"
#include "platform/ListedEntry.h"

#include <optional>
#include <string>
#include <vector>

// A folder of the browser, reached from its drive's root folder through handles one name at a
// time, never following a link below the root. Its entries are listed from the nearest root at or
// above it: the drive's root, or a filesystem mounted below that root (a listed entry is never
// reached again across a mount, so the mount is where its root is).
struct BrowsedFolder {
    FolderHandle handle;            // the deepest folder reached (invalid only when the root failed)
    std::vector<std::string> names; // the names below the drive root that were reached
    std::string rootPath;           // the root its entries are listed from
    EntryIdentity rootIdentity;
    ListedEntry self;               // the folder as an entry of its parent; name "" at the drive root
    int error = 0;                  // why the next name (or the root) could not be opened; 0 when none failed

    bool isDriveRoot() const { return names.empty(); }
};

// Opens driveRoot (as named, links in it followed) and then each of names below it. Stops at the
// first name that cannot be opened (gone, denied, a link, not a folder, not a plain name): the
// result is the deepest folder reached, and error says why the next one was not.
BrowsedFolder OpenBrowsedFolder(const std::string& driveRoot, const std::vector<std::string>& names);

// The names of path below root, both absolute (empty and "." parts ignored); nullopt when path is
// neither root nor below it, or holds "..".
std::optional<std::vector<std::string>> NamesBelow(const std::string& root, const std::string& path);
