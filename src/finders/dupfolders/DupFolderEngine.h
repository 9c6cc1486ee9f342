// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/StringGridModel.h"
#include "common/WalkReport.h"
#include "finders/dup/DupScanEngine.h"
#include "platform/ListedEntry.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The user's choices for one duplicate folder scan.
struct DupFolderCriteria {
    SizeRange range = SizeRange::LargerOrEqual; // on the bytes of one copy
    std::int64_t limit1K = 0;                   // in K (1 K = 1024 bytes)
    std::int64_t limit2K = 0;                   // "between" only
    std::int64_t limit1Bytes = -1;              // to the byte, in place of limit1K (-1: none)
    std::int64_t limit2Bytes = -1;              // to the byte, in place of limit2K (-1: none)
    bool subsets = false;                       // also the folders whose files all lie in another
};

// Finds folders that are copies of each other: the same names (letter case counts), the same
// sub-folders, and byte for byte the same files, hidden ones included. The window (or the command-
// line tool) calls begin(), scanDrive() once per root, then finish(), which compares contents and
// makes the groups; results are then read by index, group after group, or shown in a grid through
// the GridRowSource interface (key = result index). Empty folders and folders outside the size range
// are left out; a folder inside a reported copy is not reported again; a folder that could not be
// read whole is never called a copy. With subsets, the groups of a folder whose files all lie at the
// same places in other folders follow: the subset first, then each folder holding it.
class DupFolderEngine : public GridRowSource {
public:
    enum class Role { Copy, Subset, Holder };

    DupFolderEngine();
    ~DupFolderEngine() override;

    // Called after each directory entry and each block read; the window runs its event loop here.
    void setYieldHook(std::function<void()> hook);
    // The folder being walked, for a status line (made when asked).
    QString walkStatus() const;
    // What the walk could not read or examine.
    SkippedEntries& skipped();
    const SkippedEntries& skipped() const;

    void begin(const DupFolderCriteria& criteria);
    // Walks a root (mount point or folder), staying on its filesystem. False when the root itself
    // cannot be opened; the caller reports that.
    bool scanDrive(const std::string& rootPath);
    // Compares and groups. After an abort there are no results.
    void finish();

    void abort();
    bool aborted() const;
    // True while finish() reads and compares contents.
    bool comparing() const;
    const DupFolderCriteria& criteria() const;

    // Progress: files and folders walked, bytes of contents read.
    std::int64_t filesSeen() const;
    std::int64_t foldersSeen() const;
    std::int64_t bytesRead() const;
    // The bytes the walked tree takes now (for measurements).
    std::size_t memoryBytes() const;

    // What was left out besides skipped(): files that could not be read or changed since the walk,
    // and copies that changed before they were reported.
    std::int64_t unreadableFiles() const;
    std::int64_t changedFolders() const;

    // Results: the identical groups, the one whose extra copies take most bytes first, each copy in
    // path order; then the subset groups, largest subset first.
    std::size_t groupCount() const;
    // The bytes all but one copy of an identical group take (hard links counted once); 0 for a subset.
    std::int64_t groupWaste(std::uint32_t group) const;
    std::size_t resultCount() const;
    std::uint32_t resultGroup(std::size_t index) const; // 1 .. groupCount()
    Role resultRole(std::size_t index) const;
    std::int64_t resultBytes(std::size_t index) const;  // of one copy
    std::uint64_t resultFiles(std::size_t index) const; // entries that are no folders, below it
    // Bytes that deleting it would free: its files that no other copy of the group shares as a hard
    // link (a subset: all of it, since the holders have its files).
    std::int64_t resultFreed(std::size_t index) const;
    // A holder: the subset's bytes as a share of its own, in ten-thousandths.
    std::uint32_t resultShare(std::size_t index) const;
    bool resultIsRoot(std::size_t index) const;
    std::string resultPath(std::size_t index) const;
    // The folder as an entry of its parent, with the identities the walk saw: for the folder delete.
    ListedEntry resultEntry(std::size_t index) const;
    // Whether the folder is still there as the walk saw it (reached from its root, same identity).
    bool resultStillThere(std::size_t index) const;
    // The record line: bytes per copy, files, note ("" for a copy, "hard links" for a copy whose
    // files are all names of another copy's files, "subset", "contains N%"), path; tab-separated.
    QString resultLine(std::size_t index) const;
    void appendResultLineUtf8(std::size_t index, std::string& out) const;
    void appendResultPath(std::size_t index, std::string& out) const;
    // Every line, each group followed by an empty line (the clipboard).
    QStringList resultLines() const;
    std::vector<std::uint32_t> resultKeys() const;

    // GridRowSource: "Group", "Size" (bytes with thousands), "# Files", "Note", "Name".
    QString cellText(std::uint32_t key, int column) const override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
