// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FolderWalker.h"

#include <cerrno>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class SavedScanReader;

// The folder walker's sibling for a saved scan: it drives a FolderVisitor's hooks from the file as
// FolderWalker::walk drives them from the disk, with the same rules, so every engine reads a saved
// scan as it would the tree: hidden entries in the folder pass and hidden folders entered only when
// the visitor asks (wantsHiddenEntries), system entries never in the folder pass, wantsFile and wantsEveryEntry honoured, each
// folder's own files in a file pass after its sub-folders, a folder on another device than the top
// one (or excluded as another filesystem) listed but not entered (EXDEV).
//
// Folders are handed out as FolderHandle::described handles: path, device and inode, but no
// descriptor (valid() is false). What the scan marks as unread (read_error) is reported as
// folderSkipped or entrySkipped with NotInScan; what it left out by a pattern, and what the exclusion
// rules leave out now, as entryExcluded. Memory is what the walker
// keeps: the entries of the folders on the way down (a level is read whole before its file pass).
class ScanReplay {
public:
    // The errno given for what the scan could not read or left out.
    static constexpr int NotInScan = ENODATA;

    explicit ScanReplay(SavedScanReader& reader);
    ~ScanReplay();

    // Replays the scan the reader has opened. False when the top folder could not be read in the scan
    // (folderSkipped was called) or the file is no valid scan after all (failed(): nothing that was
    // handed out may be trusted). A visitor's stop ends it at once, true.
    bool replay(FolderVisitor& visitor);
    bool failed() const { return !m_error.empty(); }
    const std::string& error() const { return m_error; }

    // The folder being replayed, for a status text made when it is shown (valid inside a hook).
    std::string_view currentPath() const { return m_path; }
    // The exclusion rules of the replays from now on, instead of the process's (WalkExclusions(),
    // read at each replay); nullptr: none. Its patterns apply as in a walk; the cache rule does not
    // (a scan holds no file's contents). What the scan itself marks as excluded by a pattern stays
    // excluded whatever the rules.
    void setExclusions(std::shared_ptr<const ExclusionRules> rules);

private:
    struct Level;
    bool run(FolderVisitor& visitor);
    void push(FolderVisitor& visitor, std::string_view name, std::uint64_t device, std::uint64_t inode);
    void addChild(Level& level, int kind, std::string_view rule = {});
    void filePass(Level& level, FolderVisitor& visitor);

    SavedScanReader& m_reader;
    std::vector<std::unique_ptr<Level>> m_levels; // reused, to keep their small buffers
    std::size_t m_depth = 0;
    std::string m_path;
    std::string m_error;
    FsEntry m_entry; // reused, to keep its buffer
    bool m_everyEntry = false;
    bool m_hiddenEntries = false;
    std::uint64_t m_rootDevice = 0;
    bool m_ownRules = false;
    std::shared_ptr<const ExclusionRules> m_rules; // of the replay being made
};
