// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ExclusionRules.h"
#include "platform/FolderHandle.h"
#include "platform/FsEntry.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

// An entry's statistics as read ahead of the walk: an FsEntry without its name, and the errno of
// the read (0 when it was read).
struct AheadStat {
    std::int64_t size = 0;
    std::int64_t allocated = 0;
    struct timespec lastWrite {};
    struct timespec lastAccess {};
    struct timespec lastChange {};
    struct timespec creation {};
    dev_t device = 0;
    ino_t inode = 0;
    mode_t mode = 0;
    std::uint32_t attributes = 0;
    std::uint32_t links = 1;
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    int error = 0;
    bool hasCreation = false;
    bool mountRoot = false;

    void take(const FsEntry& entry, int failure);
    // Every field of entry but its name.
    void give(FsEntry& entry) const;
};

struct WalkFolder;

// A piece of work on the list that helpers take from: the next sub-folder of folder to open and list,
// the next block of its entries' statistics, or a sub-folder being opened (its place in the list).
struct AheadWork {
    enum Kind : std::uint8_t { Children, Statistics, Opening };
    std::shared_ptr<WalkFolder> folder;
    Kind kind;
};

// The statistics of one block of a folder's statItems.
struct AheadBlock {
    std::vector<AheadStat> stats;
    std::size_t counted = 0; // bytes it adds to the window
    bool running = true;
    bool deferred = false; // the folder's handle was closed meanwhile: the walk reads it itself
    bool dropped = false;
    bool inWindow = false;
};

// One folder of a walk: opened relative to its parent and listed, by a helper ahead of the walk or
// by the walking thread when it gets there first.
struct WalkFolder : std::enable_shared_from_this<WalkFolder> {
    // The open folder. The walking thread closes it (deep down) and puts a reopened one in its place
    // only under fdLock held exclusively; helpers use the descriptor under it held shared.
    FolderHandle handle;
    std::shared_mutex fdLock;

    // What opening and listing found; fixed once the folder is handed to the walk.
    int openError = 0; // not opened (errno), or EXDEV: another filesystem or a mount, not entered
    int listError = 0; // opened, but the listing could not be read
    FolderListing listing; // the types of visible entries without a type hint settled by a statx
    std::vector<std::pair<std::uint32_t, int>> typeFailures; // visible entries whose type could not be read
    std::vector<std::uint32_t> subFolders;                   // the items the walk enters, in order
    std::vector<std::uint32_t> statItems; // the items whose statistics helpers read ahead, in order
    // Exclusions: where the folder stands for the path patterns, the items the rules leave out (type
    // Excluded in the listing; in order, with the rule and the type the item had), and the rule that
    // leaves out the folder itself (a cache folder: its listing is then empty).
    struct ExcludedItem {
        std::uint32_t item;
        ExclusionRules::Rule rule;
        FolderListing::Type type;
    };
    ExclusionRules::Place place;
    std::vector<ExcludedItem> excluded;
    ExclusionRules::Rule excludedBy = ExclusionRules::None;

    // The walking thread's own: the block of statItems it is reading from.
    std::shared_ptr<AheadBlock> block;
    std::size_t blockIndex = SIZE_MAX;

    // Scheduling, under WalkAhead's lock.
    std::shared_ptr<WalkFolder> parent; // while it is being opened
    std::uint32_t item = 0;             // its item in the parent's listing
    bool running = true;
    bool deferred = false;
    bool dropped = false;
    bool inWindow = false;
    std::size_t counted = 0; // bytes it adds to the window
    std::vector<std::shared_ptr<WalkFolder>> children; // by subFolders index, made in order
    std::size_t made = 0;                              // children made so far
    std::size_t taken = 0;                             // children the walk has taken
    std::vector<std::shared_ptr<AheadBlock>> blocks;
    std::size_t blocksMade = 0;
    std::size_t blocksTaken = 0;
    std::list<AheadWork>::iterator childWork, blockWork;
    bool childQueued = false;
    bool blockQueued = false;
    bool paused = false; // its handle is closed: its work waits until the walk reopens it
};

// Opens, lists and reads the statistics of the folders of one walk ahead of it on helper threads,
// nearest first in the walk's own order, while the walking thread takes the results in that order
// and makes every visitor call itself. What a helper has not done yet when the walk needs it is
// done on the walking thread at once, so the walk never waits for work that nobody does; with no
// helpers that is all of it, which is the single walk.
//
// Memory and handles stay bounded: helpers work at most a window of folders and blocks (and bytes
// of listings) ahead of the walk, and what the walk leaves behind unused is dropped.
// Helpers are started on the walking thread and so act with its file-system identity.
class WalkAhead {
public:
    struct Options {
        dev_t rootDevice = 0;
        bool withCreation = true;
        bool everyEntry = false;
        // Hidden folders are opened and walked too (the walk's visitor asked for hidden entries).
        bool hiddenFolders = false;
        // Files (neither hidden, system nor folders) whose statistics are read ahead; empty: all.
        std::function<bool(std::string_view)> fileFilter;
        // What the walk leaves out; nullptr: nothing.
        std::shared_ptr<const ExclusionRules> exclusions;
    };
    // Statistics per block of work.
    static constexpr std::size_t BlockSize = 512;
    // Pieces of work (folders, blocks) running or done ahead of the walk at most; each folder ahead
    // holds one open handle.
    static constexpr std::size_t MostAhead = 64;

    WalkAhead(int helpers, Options options);
    // Stops the helpers (each ends its piece of work early) and waits for them.
    ~WalkAhead();
    WalkAhead(const WalkAhead&) = delete;
    WalkAhead& operator=(const WalkAhead&) = delete;

    // The root folder, listed on this thread; its handle is open. place: where it stands for the
    // path patterns (the top of the rules when not given).
    std::shared_ptr<WalkFolder> root(FolderHandle handle, const ExclusionRules::Place* place = nullptr);
    // Sub-folder k (index into folder->subFolders) of folder, opened and listed (openError and
    // listError tell what failed). Each k once, in order; folder's handle must be open.
    std::shared_ptr<WalkFolder> takeChild(const std::shared_ptr<WalkFolder>& folder, std::size_t k);
    // The statistics of folder.statItems[p]; p only grows within a folder. Valid until the next call.
    const AheadStat& stat(WalkFolder& folder, std::size_t p);
    // The walk is done with folder: what was made ahead for it and below it and not taken is dropped.
    void drop(WalkFolder& folder);
    // Closes folder's handle while no helper is using it; its work waits until setHandle.
    void closeHandle(WalkFolder& folder);
    // Puts a reopened handle in the place of folder's closed one.
    void setHandle(WalkFolder& folder, FolderHandle handle);

private:
    void help();
    std::list<AheadWork>::iterator firstWork();
    // Opens (below parent, when given) and lists folder. False when parent's handle was closed.
    bool expand(WalkFolder& folder, WalkFolder* parent);
    // After the listing: marks what the exclusion rules leave out; true when they leave out the
    // folder itself.
    bool exclude(WalkFolder& folder, bool isRoot);
    // Marks the items the patterns leave out (type Excluded, folder.excluded).
    static void markExcluded(WalkFolder& folder, const ExclusionRules& rules);
    // Reads block b of folder's statItems. False when the folder's handle was closed.
    bool readBlock(WalkFolder& folder, std::size_t b, AheadBlock& block);
    // After expand: the work it makes goes on the list before at. Under the lock.
    void queue(const std::shared_ptr<WalkFolder>& folder, std::list<AheadWork>::iterator at);
    void leaveWindow(WalkFolder& folder);
    void leaveWindow(AheadBlock& block);
    void dropLocked(WalkFolder& folder);
    std::shared_ptr<AheadBlock> takeBlock(WalkFolder& folder, std::size_t b);

    const Options m_options;
    const bool m_readAhead; // there are helpers
    bool m_rootPlaced = false; // the root is a folder within an earlier walk (root() was given its place)
    std::mutex m_mutex;
    std::condition_variable m_workWaiting; // helpers: work, room in the window, or the end
    std::condition_variable m_workDone;    // the walk: a piece of work it waits for is done
    std::list<AheadWork> m_work;           // nearest to the walk first
    std::size_t m_aheadCount = 0;          // pieces running or done and not taken
    std::size_t m_aheadBytes = 0;
    std::atomic<bool> m_stopping{false};
    std::vector<std::thread> m_helpers;
};
