// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FolderWalker.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The byte total of every folder of one walk or saved scan, everything below it counted as the main
// folder lines count it (every entry with its own size, hidden files and links included; hidden
// folders and mounts not entered), kept as a tree of names: a folder costs its name and 32 bytes.
class FolderTotals : public FolderVisitor {
public:
    static constexpr std::uint32_t None = 0xFFFFFFFFu;
    struct Folder {
        std::uint32_t parent = None;
        std::uint32_t firstChild = None; // children are linked, newest first
        std::uint32_t nextSibling = None;
        std::uint32_t nameOffset = 0;
        std::uint32_t nameLength = 0;
        std::int64_t bytes = 0; // saturates at the 64-bit maximum
    };

    void clear();
    // The folder walked (its path as the walk named it); empty before a walk.
    const std::string& rootPath() const { return m_rootPath; }
    // Folder 0 is the root once a walk entered it.
    const std::vector<Folder>& folders() const { return m_folders; }
    std::string_view nameOf(std::uint32_t folder) const {
        return {m_names.data() + m_folders[folder].nameOffset, m_folders[folder].nameLength};
    }
    // The folder's whole path: the root's and the names below it.
    std::string pathOf(std::uint32_t folder) const;
    // Folders and entries that could not be read (their bytes are missing from the totals).
    std::int64_t unread() const { return m_unread; }
    std::size_t memoryBytes() const { return m_folders.capacity() * sizeof(Folder) + m_names.capacity(); }
    // The folder at path (the root's path and names below it), None when there is none.
    std::uint32_t findFolder(std::string_view path) const;

    // After a walk: walks one folder again, alone, reached from the root through folder handles
    // (never a link), and puts its new total in the place of the old one, with every total above
    // it. A folder gone, or now a link, a file or a mount, leaves the tree. beside sees the same walk
    // (the window's yields and stop); it must ask for what this asks. Returns the folder's new index,
    // or None when it left. The root refreshed is a new walk of it.
    std::uint32_t refreshFolder(std::uint32_t folder, FolderVisitor* beside = nullptr);

    // FolderVisitor: one root per object.
    bool wantsEveryEntry() override { return true; }
    bool wantsCreationTime() override { return false; }
    void enterFolder(const FolderHandle& folder) override;
    void file(const FolderHandle& folder, const FsEntry& entry) override;
    void leaveFolder(const FolderHandle& folder) override;
    void folderSkipped(const FolderHandle& folder, std::string_view name, int error) override;
    void entrySkipped(const FolderHandle& folder, std::string_view name, int error) override;

private:
    // Takes folder out of its parent's children and its total out of every total above it.
    void detach(std::uint32_t folder);

    std::string m_rootPath;
    std::vector<Folder> m_folders;
    std::string m_names;
    std::uint32_t m_current = None;
    std::int64_t m_unread = 0;
};

// How a folder's total changed between two scans of the same root.
struct FolderChange {
    enum Kind : std::uint8_t { Grown, Shrunk, Added, Removed };
    std::int64_t oldBytes = 0;
    std::int64_t newBytes = 0;
    std::uint32_t oldFolder = FolderTotals::None; // in the older scan; None when added
    std::uint32_t newFolder = FolderTotals::None; // in the newer scan; None when removed
    Kind kind = Grown;

    // newBytes - oldBytes, saturating.
    std::int64_t change() const;
    // "+1048576", "-2048".
    std::string changeText() const;
    static const char* kindText(Kind kind); // "grown", "shrunk", "added", "removed"
};

// The folders whose total changed from older to newer (the same root, matched by name below it): the
// main folders (directly in the root), or with all every folder, the root included. Largest absolute
// change first; equal changes in the order of the tree (a folder before the folders in it, names in
// byte order), so that no path is made to order them.
std::vector<FolderChange> CompareFolderTotals(const FolderTotals& older, const FolderTotals& newer, bool all);
// A change's folder path (from the scan that has it).
std::string ChangePath(const FolderChange& change, const FolderTotals& older, const FolderTotals& newer);
// The command line's and the clipboard's line: change, old total, new total, kind, path (as text),
// tab-separated, without a line end.
std::string ChangeLine(const FolderChange& change, const FolderTotals& older, const FolderTotals& newer);
