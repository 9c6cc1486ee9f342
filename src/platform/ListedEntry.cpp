// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ListedEntry.h"

#include "platform/FolderHandle.h"
#include "platform/OwnChanges.h"

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

std::uint32_t ChangeFold(const struct timespec& changed) {
    if (changed.tv_sec == 0 && changed.tv_nsec == 0)
        return 0;
    // splitmix64's finaliser: every bit of seconds and nanoseconds reaches the 32 bits kept.
    std::uint64_t x = NanosecondStamp(changed);
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 31;
    const auto fold = std::uint32_t(x >> 32);
    return fold != 0 ? fold : 1;
}

bool MatchesListed(const FsEntry& now, const ListedEntry& entry, ListedLook look) {
    if (now.device != entry.identity.device || now.inode != entry.identity.inode)
        return false;
    if (entry.isFolder)
        return S_ISDIR(now.mode);
    // The same file rewritten since is not what the user saw either.
    if (S_ISDIR(now.mode) || now.mountRoot || now.size != entry.size ||
        (entry.modifiedKnown && NanosecondStamp(now.lastWrite) != entry.modifiedNs))
        return false;
    if (look == ListedLook::AfterOwnMove || entry.changeFold == 0)
        return true;
    const std::uint32_t fold = ChangeFold(now.lastChange);
    return fold == entry.changeFold || IsOwnChange(entry.identity, entry.changeFold, fold);
}

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
    e.changeFold = e.isFolder ? 0 : ChangeFold(stats.lastChange);
    return e;
}
