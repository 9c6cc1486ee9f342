// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ListedEntry.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

// Sorts listed files of one size into sets whose contents are byte for byte the same: they are read
// side by side, 64 KiB at a time, each at most once, split by a fast hash of the first block and by
// memcmp of every block, with a 128-bit hash of the whole content agreeing at the end. More files
// than can be open at once are first sorted by whole-content hashes. Holes are not read: a stretch
// that is a hole in every file compared is passed over, one that is a hole in some is taken as the
// zeros it reads as (so a sparse file and a written one of the same bytes are alike), and the
// whole-content hash covers only what is not zeros. Each file is opened through
// folder handles from its scanned root (OpenListedFolder, following no link) with O_NOATIME where
// allowed, and only while it is still the listed file (device, inode, size, modification and change
// time),
// checked on the descriptor before and after reading; one that is not, or fails to read, is left out.
// The duplicate finder's content check and the duplicate folder finder share it.
class ContentCompare {
public:
    // Called after each block read; a window runs its event loop there.
    void setYieldHook(std::function<void()> hook) { m_yield = std::move(hook); }
    // Stops the compare at the next block; sameContents then gives no sets. clear() allows it again.
    void abort() { m_abort = true; }
    bool aborted() const { return m_abort; }
    void clear() {
        m_abort = false;
        m_read = 0;
    }
    // Bytes read so far (from any thread).
    std::int64_t bytesRead() const { return m_read; }

    // Gives the whole listed entry (with its path parts) of files[i] when it is opened. Callers that
    // keep many deep files pass entries without paths and make each path only for the moment it is
    // needed; without it, files[i] is opened as it stands.
    using Locate = std::function<ListedEntry(std::size_t)>;

    // files: distinct files (inodes) of size bytes each (more than 0). Gives the sets of two or more
    // indices into files whose contents are the same; every index that could not be read, or was not
    // the listed file any more, is added to unreadable.
    std::vector<std::vector<std::size_t>> sameContents(const std::vector<ListedEntry>& files,
                                                       std::int64_t size,
                                                       std::vector<std::size_t>& unreadable,
                                                       Locate locate = {});

    // Whether the listed file is still there as listed (opened and checked, not read).
    static bool stillListed(const ListedEntry& file);

private:
    struct Reader;
    std::vector<std::vector<std::size_t>> compareSideBySide(const std::vector<ListedEntry>& files,
                                                            const std::vector<std::size_t>& which,
                                                            std::int64_t size,
                                                            std::vector<std::size_t>& unreadable);
    std::vector<std::vector<std::size_t>> compareMany(const std::vector<ListedEntry>& files,
                                                      std::int64_t size,
                                                      std::vector<std::size_t>& unreadable);
    void yield() {
        if (m_yield)
            m_yield();
    }
    int openFile(const std::vector<ListedEntry>& files, std::size_t i) const;

    std::function<void()> m_yield;
    Locate m_locate;
    std::atomic<bool> m_abort{false};
    std::atomic<std::int64_t> m_read{0};
};
