// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <time.h>

// Which file-system object an entry is, whatever its name: a swap of names changes it.
struct EntryIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const EntryIdentity&) const = default;
};

// For tables keyed by identity.
struct EntryIdentityHash {
    std::size_t operator()(const EntryIdentity& id) const noexcept {
        return std::hash<std::uint64_t>()(std::uint64_t(id.inode) * 0x9E3779B97F4A7C15ull ^ std::uint64_t(id.device));
    }
};

// A file time as one exact number: seconds and nanoseconds, so that a rewrite within the same
// second (or the same 2-second step of a packed time) still tells. Wraps rather than overflows; no
// two times a file system can hold share a stamp.
inline std::uint64_t NanosecondStamp(const struct timespec& t) {
    return std::uint64_t(t.tv_sec) * 1000000000u + std::uint64_t(t.tv_nsec);
}

// A file's change time (st_ctime) folded to 32 bits, never 0: the kernel sets it at every change of
// the file (its bytes, its times, its names) and no call can set it back, so a file rewritten and
// given its old modification time again still tells. Records keep the fold, not the time, to stay
// small; 0 is kept for "not recorded" (the zero time of a saved scan, which holds none).
std::uint32_t ChangeFold(const struct timespec& changed);

// A file or folder as a scan or a folder listing saw it: enough to reach exactly that entry again
// through folder handles from the root the user chose, following no link below the root, and to
// tell whether it is still the object that was listed. Deletes and trash take these, never paths.
struct ListedEntry {
    std::string root;             // the scanned or browsed root as the user named it; links in it are followed
    EntryIdentity rootIdentity;   // the root folder as it was opened for the scan
    std::string folder;           // the entry's folder below root: "" for root itself, else "a/b" (no "/" at the ends)
    EntryIdentity folderIdentity; // that folder when it was listed
    std::string name;             // the entry's name in its folder (never empty, ".", ".." or holding "/")
    EntryIdentity identity;       // the entry itself when it was listed
    bool isFolder = false;
    std::int64_t size = 0;        // files: bytes when listed
    std::uint64_t modifiedNs = 0; // files: the last write when listed, to the nanosecond (NanosecondStamp)
    bool modifiedKnown = false;   // whether modifiedNs was recorded and is to be checked
    std::uint32_t changeFold = 0; // files: ChangeFold of the change time when listed; 0: not recorded

    // Full path bytes, root + folder + name joined by single "/": for messages and the trash record.
    std::string path() const;
    // Full path bytes of the entry's folder (no trailing "/" but at the file-system root).
    std::string folderPath() const;

    // The entry that path names now, listed in its parent folder (the parent opened as named, the
    // last part not followed), with the statistics it has now. For callers without a scan of their
    // own (a folder chosen by hand, tests). Empty with errno in *error when it cannot be listed.
    static std::optional<ListedEntry> listNow(const std::string& path, int* error = nullptr);
};

struct FsEntry;

// How much of a listed entry a look can expect to find as it was listed.
enum class ListedLook {
    Whole,        // everything recorded: identity, size, modification and change time
    AfterOwnMove, // just after this program renamed it: all but the change time, which the rename set
};

// Whether now (an entry's statistics, looked at without following a link) is still the listed
// entry, unchanged as far as look can tell: the same object (device, inode, a folder or not), for
// files the same size and times. A change time that differs only by this program's own removals of
// other names of the same file (OwnChanges) still matches. A mount point never matches a file.
bool MatchesListed(const FsEntry& now, const ListedEntry& entry, ListedLook look = ListedLook::Whole);

// A look that tells whether now is the entry a removal expects, as far as look can tell.
using EntryCheck = std::function<bool(const FsEntry& now, ListedLook look)>;
