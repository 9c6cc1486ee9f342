// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ExclusionRules.h"
#include "platform/FolderHandle.h"
#include "platform/FsEntry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// ClassifyEntry: 1 for "." and "..", 0 for a sub-folder, 2 for anything else.
int ClassifyEntry(std::string_view name, std::uint32_t attributes);

// What a walk hands to the engine that drives it. Every hook has an empty default, so an engine
// overrides only what it needs. Folders are given as their open handle (path(), fd() for statx);
// the handle and its path() view are valid during the call only.
class FolderVisitor {
public:
    virtual ~FolderVisitor() = default;

    // Tested before every entry; true unwinds the whole walk at once (no further hooks but none).
    virtual bool shouldStop() { return false; }
    // The walk entered folder and is about to list it.
    virtual void enterFolder(const FolderHandle& folder) { (void)folder; }
    // Folder pass: each listed entry that is neither hidden nor system, in listing order; a folder
    // is given before it is walked.
    virtual void folderEntry(const FolderHandle& folder, std::string_view name, bool isFolder) {
        (void)folder, (void)name, (void)isFolder;
    }
    // After each listed entry but the first of a listing, in both passes: where a window lets its
    // event loop run.
    virtual void yield() {}
    // File pass, after every sub-folder of folder was walked.
    virtual void beginFiles(const FolderHandle& folder) { (void)folder; }
    // Asked for each file (neither hidden, system nor folder) before its statistics are read;
    // false leaves it out at no cost.
    virtual bool wantsFile(std::string_view name) {
        (void)name;
        return true;
    }
    // Whether file() needs the creation time; asked once per walk. Without it the statistics cost less.
    virtual bool wantsCreationTime() { return true; }
    // Whether the file pass hands out every entry of the folder, asked once per walk: then hidden
    // and system entries (links as themselves, devices, ...) go to file() too, wantsFile is not asked,
    // and each sub-folder, hidden ones included, goes to subFolderEntry() unread.
    virtual bool wantsEveryEntry() { return false; }
    // Whether hidden entries count like any other, asked once per walk: then the folder pass hands
    // them out too and hidden folders are walked (system entries still are not).
    virtual bool wantsHiddenEntries() { return false; }
    // A test of file names that other threads may call while the walk runs, asked once per walk
    // (not with wantsEveryEntry): it answers false only for files that wantsFile would refuse, so their
    // statistics are not read ahead of the walk. A hint only: wantsFile decides. Empty: every file.
    virtual std::function<bool(std::string_view)> fileFilter() { return {}; }
    // A wanted file with its statistics (one statx).
    virtual void file(const FolderHandle& folder, const FsEntry& entry) { (void)folder, (void)entry; }
    // With wantsEveryEntry: a sub-folder met in the file pass.
    virtual void subFolderEntry(const FolderHandle& folder, std::string_view name) { (void)folder, (void)name; }
    // The walk is done with a folder it entered: after its file pass, or at once when its listing
    // could not be read or the way back to it was lost. Every enterFolder gets one, unless the walk
    // is stopped (shouldStop), which ends it without further hooks.
    virtual void leaveFolder(const FolderHandle& folder) { (void)folder; }
    // A folder that is not walked: the sub-folder name of folder, listed but not entered, or folder
    // itself when name is empty (a root that cannot be opened, a listing that cannot be read, the
    // way back to it lost). error is the errno of the failure, EXDEV when it is a mount point
    // (another filesystem or a bind mount), ESTALE when it moved during the walk. A file that is a
    // mount point (a file bind-mounted onto it) comes here too, with EXDEV, in the file pass
    // instead of file(): it is never handed out, counted or compared.
    virtual void folderSkipped(const FolderHandle& folder, std::string_view name, int error) {
        (void)folder, (void)name, (void)error;
    }
    // An entry of folder that the walk needed to examine (a file it would hand out, or an entry
    // whose type it had to learn) but whose statistics could not be read: the errno, never ENOENT
    // (an entry that vanished since the listing is simply gone). The entry is left out.
    virtual void entrySkipped(const FolderHandle& folder, std::string_view name, int error) {
        (void)folder, (void)name, (void)error;
    }
    // An entry of folder that the walk's exclusion rules leave out, told where the walk would have
    // handed it out (a folder in the folder pass, anything else in the file pass, under the same
    // rules of hidden and system entries and wantsFile): it is neither listed nor counted, and an
    // excluded folder is not entered. rule is the rule's text ("*.o", "CACHEDIR.TAG"), or the scan's
    // own word when a saved scan says the entry was excluded without saying by what.
    virtual void entryExcluded(const FolderHandle& folder, std::string_view name, bool isFolder,
                               std::string_view rule) {
        (void)folder, (void)name, (void)isFolder, (void)rule;
    }
};

class WalkAhead;
struct WalkFolder;

// The one folder walker. A folder's listing is read completely, then each sub-folder is walked in
// listing order, then the folder's own files go to the file pass. Hidden and system entries are
// never entered nor handed out; links are never followed; a folder on another filesystem than the
// root is not entered, nor any mount point handed out as a file; each folder (device, inode) is walked at
// most once until reset(), so roots that overlap (the same folder twice, one inside another, a bind mount)
// give every file once. Children are opened relative to their parent and the working folder is never changed;
// above a depth limit the upper handles are closed and reopened through ".." (checked by device and inode),
// so any depth costs a bounded number of open handles.
//
// Memory is bounded by the depth in entries, not by depth times path length: the walk keeps one
// path buffer, grown by a name as it descends and cut as it returns, and each level's handle sees
// its path as the first bytes of that buffer; a level holds its listing and nothing else.
//
// With more than one thread (WalkThreadCount, setThreadCount), helper threads open and list the
// folders ahead of the walk and read their entries' statistics (WalkAhead), a bounded window ahead,
// while every visitor call stays on the walking thread in exactly the order of the single walk.
class FolderWalker {
public:
    FolderWalker();
    ~FolderWalker();

    // Walks root (a drive root or any folder). False when root itself cannot be opened or read
    // (folderSkipped was called with the errno); true otherwise, also when it was walked before.
    bool walk(const std::string& root, FolderVisitor& visitor);
    // Walks folder again as a part of an earlier walk of a root: folder is open (reached from that
    // root by the caller, its path set) and lies belowRoot below it ("a/b"), which is where the path
    // patterns of the exclusions are anchored. Otherwise as walk(); true unless its listing could not
    // be read.
    bool walkBelow(FolderHandle folder, std::string_view belowRoot, FolderVisitor& visitor);
    // Forgets the folders already walked (a new scan).
    void reset();

    // The path of the folder the walk is in (empty between walks): for a status text made when it
    // is shown. Valid on the walking thread, inside a hook, until the walk moves on.
    std::string_view currentPath() const { return m_path; }

    // Open handles kept along the current path before upper ones are closed (at least 2).
    void setOpenHandleLimit(std::size_t limit);
    // Threads that list folders and read statistics for the walks from now on (1: the walking
    // thread alone); the default is WalkThreadCount() when the walker is made.
    void setThreadCount(int threads);
    int threadCount() const { return m_threads; }
    // The exclusion rules of the walks from now on, instead of the process's (WalkExclusions(), read
    // at each walk); nullptr: none.
    void setExclusions(std::shared_ptr<const ExclusionRules> rules);

private:
    struct Level;
    struct FolderKey {
        dev_t device;
        ino_t inode;
        bool operator==(const FolderKey&) const = default;
    };
    struct FolderKeyHash {
        std::size_t operator()(const FolderKey& k) const noexcept {
            return std::hash<std::uint64_t>()(std::uint64_t(k.inode) * 0x9E3779B97F4A7C15ull ^ std::uint64_t(k.device));
        }
    };

    bool walkOpen(FolderHandle h, const ExclusionRules::Place* place, FolderVisitor& visitor);
    bool push(std::shared_ptr<WalkFolder> folder, FolderVisitor& visitor);
    void pop(FolderVisitor& visitor);
    void filePass(Level& level, FolderVisitor& visitor);
    void everyEntryPass(Level& level, FolderVisitor& visitor);
    void afterEntry(Level& level, FolderVisitor& visitor);
    // Reads the statistics of item i of level into m_entry: from what was read ahead when the
    // cursor p is at it (p then moves on), else here. Tells the visitor of a failure other than
    // ENOENT. True when they were read.
    bool statItem(Level& level, std::size_t i, std::size_t& p, FolderVisitor& visitor);
    // Cuts the path buffer back to the path of the innermost level.
    void cutPath();

    std::vector<std::unique_ptr<Level>> m_levels; // reused between folders
    std::size_t m_depth = 0;
    std::size_t m_openLimit = 128;
    int m_threads = 1;
    dev_t m_rootDevice = 0;
    std::unordered_set<FolderKey, FolderKeyHash> m_visited;
    std::string m_path; // the walk's one path buffer: the current folder's path
    FsEntry m_entry;    // reused for every file, so its name keeps its buffer
    bool m_withCreation = true;
    bool m_everyEntry = false;
    bool m_hidden = false;
    bool m_ownRules = false; // setExclusions was called
    std::shared_ptr<const ExclusionRules> m_rules; // of the walk being made
    WalkAhead* m_ahead = nullptr; // during a walk
};
