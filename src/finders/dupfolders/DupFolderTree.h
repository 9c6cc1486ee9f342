// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ListedEntry.h"

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class FolderHandle;
struct FsEntry;

// The walked tree as the duplicate folder finder keeps it: one record per folder and one per entry
// that is not a folder, built in walk order. Folders are numbered in the order they are entered, so
// a folder's sub-tree is the run of numbers from it to its last descendant; entries are appended in
// the file pass, after the sub-folders' own, so a sub-tree's entries are one run too. Names are
// bytes in arenas; a path is made only when asked. Each folder carries two signatures: its shape
// (names, kinds and sizes of everything below it) and its state (the shape with inodes and
// modification and change times), from which a later look tells whether it changed.
class DupFolderTree {
public:
    static constexpr std::uint32_t None = std::numeric_limits<std::uint32_t>::max();

    enum Kind : std::uint32_t { Regular = 0, Link = 1, Other = 2 };

    // An entry that is not a folder. Its name ends where the next entry's begins. Packed to 4-byte
    // alignment: the change fold would otherwise cost 8 bytes of padding per entry.
    struct [[gnu::packed, gnu::aligned(4)]] Entry {
        std::int64_t size;        // bytes; a link: its target's length; Other: its file type bits
        std::uint64_t inode;      // the device is its folder's
        std::uint64_t modifiedNs; // the last write to the nanosecond (NanosecondStamp)
        std::uint32_t nameOffset; // into the entry name arena
        std::uint32_t folder : 30;
        std::uint32_t kind : 2;
        std::uint32_t changeFold; // ChangeFold of its change time
    };
    static_assert(sizeof(Entry) == 36, "an entry must stay at 36 bytes besides its name");

    struct Folder {
        std::uint32_t parent;     // None for a root
        std::uint32_t root;       // index into the roots
        std::uint32_t last;       // its last descendant (itself when it has none)
        std::uint32_t firstEntry; // the entries of its sub-tree are [firstEntry, endEntry)
        std::uint32_t ownEntry;   // its own entries are [ownEntry, endEntry)
        std::uint32_t endEntry;
        std::uint32_t nameOffset; // into the folder name arena (a root has none)
        std::uint16_t nameLength;
        bool incomplete;       // something in its sub-tree could not be read or changed while walked
        bool done;             // left by the walk
        std::int64_t bytes;    // regular files of the sub-tree, saturating
        std::uint64_t entries; // entries (not folders) of the sub-tree
        std::uint64_t shape;
        std::uint64_t state;
        EntryIdentity identity;
    };

    void clear();

    // Building, in walk order. enterFolder starts a folder below the current one, or a root (its path
    // as opened) when none is open. False when a table is full (the folder is not added).
    bool enterFolder(const FolderHandle& folder);
    // The folder pass of the current folder listed a plain file.
    void listedFile() { ++m_levels.back().listedFiles; }
    // The current folder's file pass begins (its sub-folders are done).
    void beginFiles();
    // An entry of the current folder's file pass; false when a table is full.
    bool addEntry(const FolderHandle& folder, const FsEntry& entry);
    // The file pass of the current folder met a sub-folder.
    void listedSubFolder() { ++m_levels.back().listedFolders; }
    // Something of the current folder could not be read: it is incomplete, and so is every folder
    // holding it.
    void markIncomplete();
    void leaveFolder();
    // After a stopped walk: every folder still open is left, incomplete.
    void leaveAll();
    bool open() const { return !m_levels.empty(); }

    std::size_t folderCount() const { return m_folders.size(); }
    std::size_t entryCount() const { return m_entries.size(); }
    const Folder& folder(std::uint32_t i) const { return m_folders[i]; }
    const Entry& entry(std::uint32_t i) const { return m_entries[i]; }
    std::string_view folderName(std::uint32_t i) const {
        return {m_folderNames.data() + m_folders[i].nameOffset, m_folders[i].nameLength};
    }
    std::string_view entryName(std::uint32_t i) const {
        const std::size_t end = i + 1 < m_entries.size() ? m_entries[i + 1].nameOffset : m_entryNames.size();
        return {m_entryNames.data() + m_entries[i].nameOffset, end - m_entries[i].nameOffset};
    }
    // A link's target as it was read in the walk.
    std::string_view linkTarget(std::uint32_t i) const;
    // The next sibling of a folder's child: children of f are f+1, next(f+1), ... up to f.last.
    std::uint32_t nextSibling(std::uint32_t child) const { return m_folders[child].last + 1; }

    // The folder's full path, and its path below its root ("" for a root).
    std::string folderPath(std::uint32_t i) const;
    std::string relativePath(std::uint32_t i) const;
    const std::string& rootPath(std::uint32_t i) const { return m_roots[m_folders[i].root].path; }
    // The file (entry) as listed, for reading it again from its root, and the folder as an entry of
    // its parent, for the folder delete (a root has no parent: its name is empty).
    ListedEntry listedEntry(std::uint32_t entry, const std::string& relativeFolder) const;
    ListedEntry listedFolder(std::uint32_t folder) const;

    std::size_t memoryBytes() const;

private:
    struct Root {
        std::string path;
        EntryIdentity identity;
    };
    struct Level {
        std::uint32_t folder;
        std::uint64_t shapeSum = 0;
        std::uint64_t stateSum = 0;
        std::uint64_t terms = 0;
        std::uint32_t listedFiles = 0;   // plain files of the folder pass
        std::uint32_t statedFiles = 0;   // plain files of the file pass
        std::uint32_t listedFolders = 0; // sub-folders of the file pass
        std::uint32_t walkedFolders = 0; // sub-folders entered
        bool filesBegun = false;
    };
    void close(Level& level);

    std::vector<Folder> m_folders;
    std::vector<Entry> m_entries;
    std::string m_folderNames;
    std::string m_entryNames;
    std::vector<Root> m_roots;
    std::unordered_map<std::uint32_t, std::string> m_linkTargets; // links are few
    std::vector<Level> m_levels;
};
