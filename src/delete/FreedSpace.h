// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ListedEntry.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

// The disk space a delete really frees, which the listed sizes do not tell: a file's space is what
// the filesystem gave it (a sparse file takes less than its size, a small one a whole block); a
// file with another link outside the delete frees nothing, since that link keeps its data; and data
// extents that a file shares with other files (reflinked copies, snapshots) may stay in use.
struct FreedSpace {
    std::int64_t files = 0;       // files looked at
    std::int64_t freedBytes = 0;  // space that leaves the disk with them
    std::int64_t linkedFiles = 0; // files whose data another link outside the delete keeps
    std::int64_t linkedBytes = 0; // their space, which stays in use
    std::int64_t sharedBytes = 0; // space shared with other files, which may stay in use
    std::int64_t notCounted = 0;  // files gone, changed since they were listed, or not to be looked at
    bool partial = false;         // the count stopped at its bound, or was stopped: "at least"
};

// Counts what deleting files frees. Safe to run on a worker thread: it touches no shared state, and
// looks at stop (when given) between entries.
class FreedSpaceCounter {
public:
    // A folder count stops after this many entries, or below this many levels, and says "at least".
    static constexpr std::int64_t MostEntries = 2'000'000;
    static constexpr std::size_t MostLevels = 256;

    explicit FreedSpaceCounter(const std::atomic<bool>* stop = nullptr) : m_stop(stop) {}

    // Marked files, each only while it is still the file that was listed.
    void countFiles(const std::vector<ListedEntry>& files);
    // A listed folder with everything in it, as a folder delete takes it: links as links, hidden
    // files too, nothing below a mount.
    void countFolder(const ListedEntry& folder, std::int64_t mostEntries = MostEntries);
    // The figures, with every hard link settled: a file with more links than the delete takes
    // frees nothing.
    FreedSpace result() const;
    // Entries looked at so far (read from another thread for progress).
    std::int64_t entriesSeen() const { return m_seen.load(std::memory_order_relaxed); }

private:
    struct Inode {
        std::int64_t allocated = 0;
        std::int64_t shared = 0;
        std::uint64_t links = 0; // the file's link count
        std::uint64_t taken = 0; // links of it that the delete takes
    };
    bool stopped() const { return m_stop && m_stop->load(std::memory_order_relaxed); }
    // One file (no folder) that name of folder is, with its statistics.
    void countEntry(int folder, const char* name, const struct stat& st);
    std::int64_t sharedBytes(int folder, const char* name, const struct stat& st);

    const std::atomic<bool>* m_stop;
    std::atomic<std::int64_t> m_seen{0};
    FreedSpace m_figures;                              // all but the files of several links
    std::map<std::pair<dev_t, ino_t>, Inode> m_linked; // files of several links, by device and inode
    std::map<dev_t, bool> m_sharing;                   // whether a filesystem can share extents
};

// The line the delete windows show: "Frees N bytes of disk space." with, where they apply, the
// space that other links keep, the shared space, the files not counted, and (with trashNote) that
// the recycle bin frees nothing until it is emptied. "At least" when the count was partial.
QString FreedSpaceText(const FreedSpace& space, bool trashNote);
// The same in short lines for a narrow place, at most four, the first always the space freed:
// "Frees N bytes on disk", then the recycle bin's note, the space other links keep, the shared
// space and the files not counted, as far as room allows.
QStringList FreedSpaceLines(const FreedSpace& space, bool trashNote);
