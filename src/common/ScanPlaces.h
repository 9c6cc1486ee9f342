// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ListedEntry.h"

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

// Where the files of a scan were found: each walked root (its path as opened and its identity) and
// each folder below it (its path, identity and where the part below the root begins), once. A scan
// keeps one index per file into this table, and ListedEntry values are made from it on demand.
class ScanPlaces {
public:
    static constexpr std::uint32_t None = std::numeric_limits<std::uint32_t>::max();

    void clear();
    // Starts a walked root for the folders that follow. False when the table is full.
    bool addRoot(const std::string& path, EntryIdentity identity);
    // Adds a folder of the current root (exact path bytes, no trailing "/" but "/"); its index, or
    // None when the table is full or the folder does not lie in the current root.
    std::uint32_t addFolder(const std::string& path, EntryIdentity identity);

    std::size_t folderCount() const { return m_folders.size(); }
    const std::string& folderPath(std::uint32_t folder) const { return m_folders[folder].path; }
    // The file or folder name of folder, as a listing saw it: root, folder below the root, identities.
    ListedEntry entry(std::uint32_t folder, std::string_view name, std::uint64_t inode) const;
    // The full path of name in folder.
    std::string path(std::uint32_t folder, std::string_view name) const;

    std::size_t memoryBytes() const;

private:
    struct Root {
        std::string path;
        EntryIdentity identity;
    };
    struct Folder {
        std::string path;
        EntryIdentity identity;
        std::uint32_t root = 0;
        std::uint32_t relative = 0; // where the path below the root begins in path
    };
    std::vector<Root> m_roots;
    std::vector<Folder> m_folders;
};
