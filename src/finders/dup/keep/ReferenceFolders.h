// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FolderHandle.h"
#include "platform/ListedEntry.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

// Folders whose files are never marked or removed: a group with a file in one keeps that file (all
// of them when there are several). A reference folder is opened once, as the user named it (a link
// to a folder stands for the folder it leads to at that moment), and from then on only that
// folder's identity counts: renaming or swapping names later leads nowhere else. A file is in a
// reference folder when its own folder, or any folder above it, is one; that is asked of the
// kernel through "..", never by comparing path texts.
class ReferenceFolders {
public:
    struct Folder {
        std::string path;    // as the user named it
        FolderHandle handle; // the folder it led to when added
    };

    // Adds the folder path names now. 0, or the errno when it cannot be opened as a folder (ENOENT,
    // ENOTDIR, EACCES, ...). The same folder twice is taken once.
    int add(const std::string& path);
    void remove(std::size_t index);
    void clear();
    bool empty() const { return m_folders.empty(); }
    const std::vector<Folder>& folders() const { return m_folders; }

    // Whether folder index is one of roots or lies below one of them. A folder above which nothing
    // can be looked at lies within none.
    bool liesWithin(std::size_t index, const std::vector<EntryIdentity>& roots) const;

    // Whether the open folder is a reference folder or lies below one. Answers are remembered by
    // folder, so each folder of a tree is looked at once. When the folders above cannot all be
    // looked at, the answer is yes: a file that may be in a reference folder is never removed.
    bool holds(const FolderHandle& folder);

private:
    using Key = std::pair<dev_t, ino_t>;
    std::vector<Folder> m_folders;
    std::map<Key, bool> m_known; // folder -> in a reference folder
};
