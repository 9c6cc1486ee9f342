// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ListedEntry.h"

#include <QString>
#include <string>
#include <unordered_map>
#include <vector>

// Whether at least one of kept (copies of the same contents, as they were compared) is still the
// file that was compared, reached again from its root and looked at whole: the contents a removal
// of the other copies relies on are then still on the disk. An empty list holds nothing: false.
bool AnyKeptCopyUnchanged(const std::vector<ListedEntry>& kept, std::string* changed = nullptr);

// The reason a marked copy stays when the copies its group was to keep changed (changed: the path
// of one of them).
QString KeptCopyChangedReason(const std::string& changed);

// The copies that a delete of marked duplicates leaves to hold each group's contents: the unmarked
// files of a content group in a window. Before each marked file of a group goes, the group's kept
// copies are looked at again (AnyKeptCopyUnchanged); once none is as compared, the group stops and
// nothing more of it goes. Files of no group (or of a group every copy of which is marked) are not
// held back.
class KeptCopies {
public:
    // A group of identical files: the copies kept (as listed), and the marked ones by identity.
    void addGroup(std::vector<ListedEntry> kept, const std::vector<EntryIdentity>& marked);
    bool empty() const { return m_groups.empty(); }
    // Whether file (a marked file) may go now; false with the reason to show when its group has
    // stopped.
    bool mayRemove(const EntryIdentity& file, QString* reason = nullptr);

private:
    struct Group {
        std::vector<ListedEntry> kept;
        bool stopped = false;
        std::string changed; // a kept copy that changed, once stopped
    };
    std::vector<Group> m_groups;
    std::unordered_map<EntryIdentity, std::size_t, EntryIdentityHash> m_groupOf;
};
