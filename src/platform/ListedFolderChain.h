// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FolderHandle.h"
#include "platform/ListedEntry.h"

#include <string>
#include <vector>

// Opens the folders of many listed entries one after another, each as OpenListedFolder does (the
// root as named and still the one scanned, each folder below it without following a link or
// entering a mount, the folder still the one listed), keeping the handles on the way to the last
// one: entries sorted by folder share them, so each folder on the way is opened once instead of
// once per entry. Holds at most one handle per level of the deepest folder.
class ListedFolderChain {
public:
    // The folder of entry, or an invalid handle with the error OpenListedFolder would give. Valid
    // until the next call.
    const FolderHandle& open(const ListedEntry& entry);

private:
    const FolderHandle& fail(const ListedEntry& entry, int error);

    std::string m_root;
    EntryIdentity m_rootIdentity;
    std::vector<FolderHandle> m_chain; // the root, then one folder per part
    std::vector<std::string> m_parts;  // the names the folders after the root were opened by
    FolderHandle m_failed;
};
