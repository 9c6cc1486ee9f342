// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/KeptCopies.h"

#include "common/DisplayText.h"
#include "delete/ListedFileRemoval.h"
#include "platform/ListedFolder.h"

bool AnyKeptCopyUnchanged(const std::vector<ListedEntry>& kept, std::string* changed) {
    for (const ListedEntry& copy : kept) {
        const FolderHandle folder = OpenListedFolder(copy);
        if (folder.valid() && CheckListedFile(folder, copy) == 0)
            return true;
    }
    if (changed && !kept.empty())
        *changed = kept.front().path();
    return false;
}

QString KeptCopyChangedReason(const std::string& changed) {
    return QStringLiteral("the copy to be kept, ") + DisplayText(changed) +
           QStringLiteral(
               ", changed since the contents were compared; nothing more of its group was removed");
}

void KeptCopies::addGroup(std::vector<ListedEntry> kept, const std::vector<EntryIdentity>& marked) {
    if (kept.empty() || marked.empty())
        return;
    for (const EntryIdentity& file : marked)
        m_groupOf[file] = m_groups.size();
    m_groups.push_back({std::move(kept), false, {}});
}

bool KeptCopies::mayRemove(const EntryIdentity& file, QString* reason) {
    const auto found = m_groupOf.find(file);
    if (found == m_groupOf.end())
        return true;
    Group& group = m_groups[found->second];
    if (!group.stopped && !AnyKeptCopyUnchanged(group.kept, &group.changed))
        group.stopped = true;
    if (group.stopped && reason)
        *reason = KeptCopyChangedReason(group.changed);
    return !group.stopped;
}
