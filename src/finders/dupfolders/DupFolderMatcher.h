// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "finders/dupfolders/DupFolderTree.h"

#include <cstdint>
#include <functional>
#include <vector>

class ContentCompare;

// A folder of a reported group.
struct DupFolderMember {
    std::uint32_t folder = 0;
    std::int64_t freed =
        0; // bytes that deleting it would free: its files that no other copy has too (hard links)
    std::uint32_t share = 0; // a folder holding a subset: the subset's bytes in ten-thousandths of its own
};

// Folders with the same content (identical), or a folder whose files all lie in others too (subset:
// the subset first, then each folder holding it).
struct DupFolderGroup {
    bool subset = false;
    std::int64_t waste = 0; // identical: the bytes all but one copy take
    std::vector<DupFolderMember> members;
};

// Finds the groups in a walked tree. Folders of the same shape are candidates; their files are
// compared by content (ContentCompare) where a name and size meet more than once, each file read at
// most once; folders whose contents then agree are compared entry by entry (names exactly, kinds,
// sizes, contents, link targets, the empty sub-folders too) before they count as identical. Groups
// are taken from the largest folders down, and a folder inside one already reported is not reported
// again: it only stands for the copies inside when a folder elsewhere is a copy of it too. Each copy
// is looked at again just before it is reported (the unchanged hook); one that changed is left out.
class DupFolderMatcher {
public:
    DupFolderMatcher(const DupFolderTree& tree, ContentCompare& compare);
    ~DupFolderMatcher();

    // Which folders may be reported (non-empty, complete, within the size limit); all by default.
    void setEligible(std::function<bool(std::uint32_t folder)> eligible) { m_eligible = std::move(eligible); }
    // Whether a folder is still as the walk saw it; assumed by default.
    void setUnchanged(std::function<bool(std::uint32_t folder)> unchanged) {
        m_unchanged = std::move(unchanged);
    }

    // The identical groups, then with subsets the subset groups. Empty when the compare was aborted.
    std::vector<DupFolderGroup> run(bool subsets);

    // Files that could not be read or changed since the walk, and reported folders' copies that
    // changed before they were reported.
    std::int64_t unreadableFiles() const { return m_unreadableFiles; }
    std::int64_t changedFolders() const { return m_changedFolders; }

private:
    static constexpr std::uint32_t Unknown = 0; // a file without a twin, or not read
    static constexpr std::uint32_t Empty = 1;   // every empty file

    bool complete(std::uint32_t folder) const;
    void readContents(bool everything, const std::vector<std::uint32_t>& candidates);
    void compareBucket(const std::vector<std::uint32_t>& bucket);
    void markFailed(std::uint32_t folder);
    void contentSignatures();
    std::uint64_t contentHolds(std::uint32_t entry) const;
    // A folder's own entries, and its sub-folders, in name order.
    void ownEntries(std::uint32_t folder, std::vector<std::uint32_t>& out) const;
    void children(std::uint32_t folder, std::vector<std::uint32_t>& out) const;
    bool largerFirst(std::uint32_t a, std::uint32_t b) const;
    bool sameEntry(std::uint32_t a, std::uint32_t b) const;
    bool sameTree(std::uint32_t a, std::uint32_t b) const;
    bool stillAsWalked(std::uint32_t folder);
    void identicalGroups(std::vector<std::vector<std::uint32_t>> candidates,
                         std::vector<DupFolderGroup>& out);
    void report(std::vector<std::uint32_t> members, std::vector<DupFolderGroup>& out);
    void subsetGroups(std::vector<DupFolderGroup>& out);
    bool contained(std::uint32_t subset, std::uint32_t holder) const;

    const DupFolderTree& m_tree;
    ContentCompare& m_compare;
    std::function<bool(std::uint32_t)> m_eligible;
    std::function<bool(std::uint32_t)> m_unchanged;

    std::vector<std::uint32_t> m_class; // per entry: Unknown, Empty, or a set of identical contents
    std::uint32_t m_nextClass = Empty + 1;
    std::vector<bool> m_failed;           // per folder: a file below it could not be read
    std::vector<std::uint64_t> m_content; // per folder: the signature of its contents
    std::vector<bool> m_covered;          // per folder: inside a reported folder
    std::vector<std::int8_t> m_looked;    // per folder: 0 not looked at again, 1 unchanged, -1 changed
    std::int64_t m_unreadableFiles = 0;
    std::int64_t m_changedFolders = 0;
};
