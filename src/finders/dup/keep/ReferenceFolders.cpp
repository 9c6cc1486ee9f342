// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/keep/ReferenceFolders.h"

#include "platform/FolderAncestry.h"

#include <algorithm>

int ReferenceFolders::add(const std::string& path) {
    FolderHandle handle = FolderHandle::open(path);
    if (!handle.valid())
        return handle.error();
    const EntryIdentity id = handle.identity();
    if (std::none_of(m_folders.begin(), m_folders.end(),
                     [&](const Folder& f) { return f.handle.identity() == id; }))
        m_folders.push_back({path, std::move(handle)});
    m_known.clear();
    return 0;
}

void ReferenceFolders::remove(std::size_t index) {
    if (index < m_folders.size())
        m_folders.erase(m_folders.begin() + std::ptrdiff_t(index));
    m_known.clear();
}

void ReferenceFolders::clear() {
    m_folders.clear();
    m_known.clear();
}

bool ReferenceFolders::liesWithin(std::size_t index, const std::vector<EntryIdentity>& roots) const {
    if (index >= m_folders.size())
        return false;
    bool within = false;
    const int error = VisitFoldersUp(m_folders[index].handle, [&](const EntryIdentity& id) {
        within = std::find(roots.begin(), roots.end(), id) != roots.end();
        return !within;
    });
    return within && error == 0;
}

bool ReferenceFolders::holds(const FolderHandle& folder) {
    if (m_folders.empty())
        return false;
    // The folders passed on the way up, each given the answer found at the end.
    std::vector<Key> passed;
    bool answer = false;
    const int error = VisitFoldersUp(folder, [&](const EntryIdentity& id) {
        const Key key{id.device, id.inode};
        if (const auto known = m_known.find(key); known != m_known.end()) {
            answer = known->second;
            return false;
        }
        passed.push_back(key);
        answer = std::any_of(m_folders.begin(), m_folders.end(),
                             [&](const Folder& f) { return f.handle.identity() == id; });
        return !answer;
    });
    if (error != 0)
        answer = true; // unknown above: kept, never removed
    for (const Key& key : passed)
        m_known.emplace(key, answer);
    return answer;
}
