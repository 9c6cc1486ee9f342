// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ListedEntry.h"

#include "platform/FolderHandle.h"

#include <cerrno>
#include <sys/stat.h>

namespace {
std::string joined(std::string base, const std::string& part) {
    if (part.empty())
        return base;
    if (base.empty() || base.back() != '/')
        base += '/';
    return base + part;
}
} // namespace

std::string ListedEntry::folderPath() const { return joined(root, folder); }

std::string ListedEntry::path() const { return joined(folderPath(), name); }

std::optional<ListedEntry> ListedEntry::listNow(const std::string& path, int* error) {
    std::string clean = path;
    while (clean.size() > 1 && clean.back() == '/')
        clean.pop_back();
    const std::size_t slash = clean.rfind('/');
    const std::string name = slash == std::string::npos ? clean : clean.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") {
        // A file-system root or a relative step has no entry of its own in a parent.
        if (error)
            *error = EINVAL;
        return std::nullopt;
    }
    const std::string parentPath = slash == std::string::npos ? "." : slash == 0 ? "/" : clean.substr(0, slash);
    FolderHandle parent = FolderHandle::open(parentPath);
    FsEntry stats;
    int rc = parent.valid() ? StatEntry(parent, name, stats, false) : parent.error();
    if (rc != 0) {
        if (error)
            *error = rc;
        return std::nullopt;
    }
    ListedEntry e;
    e.root = parent.path();
    e.rootIdentity = parent.identity();
    e.folderIdentity = parent.identity();
    e.name = name;
    e.identity = {stats.device, stats.inode};
    e.isFolder = S_ISDIR(stats.mode);
    e.size = stats.size;
    e.modifiedNs = NanosecondStamp(stats.lastWrite);
    e.modifiedKnown = !e.isFolder;
    return e;
}
