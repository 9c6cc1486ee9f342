// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FolderWalker.h"

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

class ScanOutput;

// A visitor of the one walker that writes what the walk sees as a saved scan, while it walks: ncdu's
// JSON export format, version 1.2 ([1,2,{metadata},tree]), with the extended fields (uid, gid,
// mode, mtime), ino for every entry, nlink and hlnkc for hard links, dev where it differs from the
// folder above, read_error, notreg and excluded ("otherfs" for a mount that is not entered,
// "pattern" for what the walk's exclusion rules leave out), and
// this program's own keys (ScanJson.h). Nothing is kept but the folders on the way down, so memory
// does not grow with the tree.
//
// An export enters hidden folders as ncdu does and writes every field. A snapshot, taken beside a
// folder hog scan that leaves hidden folders out, writes each as an excluded folder (so the file says
// what it does not hold) and only what the folder hog lines and the comparison read (names, sizes,
// dev, the access time and the flags), so that writing it costs the scan little.
class ScanExporter : public FolderVisitor {
public:
    enum class Kind { Export, Snapshot };
    ScanExporter(ScanOutput& output, Kind kind);

    // The opening of the file (version and metadata); call once before the walk.
    void begin();
    // The end of the file; call once after the walk. False when the walk gave no root (it could not
    // be opened): the file holds no scan.
    bool end();

    // Entries written so far.
    std::int64_t entries() const { return m_entries; }
    // The top folder's path as the walk named it (empty before the walk entered it).
    const std::string& rootPath() const { return m_rootPath; }

    // FolderVisitor
    bool wantsEveryEntry() override { return true; }
    bool wantsHiddenEntries() override { return m_full; }
    bool wantsCreationTime() override { return m_full; }
    void enterFolder(const FolderHandle& folder) override;
    void file(const FolderHandle& folder, const FsEntry& entry) override;
    void subFolderEntry(const FolderHandle& folder, std::string_view name) override;
    void leaveFolder(const FolderHandle& folder) override;
    void folderSkipped(const FolderHandle& folder, std::string_view name, int error) override;
    void entrySkipped(const FolderHandle& folder, std::string_view name, int error) override;
    // Written as ncdu writes what its patterns leave out, "excluded":"pattern" without statistics, a
    // folder as a folder, with the rule beside it.
    void entryExcluded(const FolderHandle& folder, std::string_view name, bool isFolder,
                       std::string_view rule) override;

private:
    // The info of the folder just entered waits for its first child or its end, so that a listing
    // that fails can still be marked in it.
    void writePending();
    // ,"key":value pairs of an entry's statistics (no name); parentDevice decides whether dev is written.
    void appendStatistics(std::string& out, const FsEntry& entry, dev_t parentDevice, bool isFolder);
    // A sub-folder that is not walked, as a folder of its own with nothing in it.
    void writeUnwalked(const FolderHandle& folder, std::string_view name, std::string_view flag);

    ScanOutput& m_out;
    bool m_full; // an export: hidden folders entered, every field written
    bool m_rootSeen = false;
    std::string m_rootPath;
    std::string m_pending;        // the info of the folder just entered, without its "}"
    std::vector<dev_t> m_devices; // of the folders being walked
    std::int64_t m_entries = 0;
    FsEntry m_stats;
};
