// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ListedFolderChain.h"

#include <cerrno>
#include <string_view>

namespace {
bool known(const EntryIdentity& id) {
    return id.device != 0 || id.inode != 0;
}
} // namespace

const FolderHandle& ListedFolderChain::fail(const ListedEntry& entry, int error) {
    m_failed = FolderHandle::failed(entry.folderPath(), error);
    return m_failed;
}

const FolderHandle& ListedFolderChain::open(const ListedEntry& entry) {
    if (m_chain.empty() || entry.root != m_root || entry.rootIdentity != m_rootIdentity) {
        m_chain.clear();
        m_parts.clear();
        m_root = entry.root;
        m_rootIdentity = entry.rootIdentity;
        FolderHandle root = FolderHandle::open(entry.root);
        if (!root.valid())
            return fail(entry, root.error());
        // The root may be named through links, but it must still be the folder that was scanned.
        if (known(entry.rootIdentity) && root.identity() != entry.rootIdentity)
            return fail(entry, ESTALE);
        m_chain.push_back(std::move(root));
    }
    std::string_view rest = entry.folder;
    std::size_t level = 0;
    // The folders shared with the last entry stay open.
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        const std::string_view after =
            slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (level < m_parts.size() && m_parts[level] == part) {
            ++level;
            rest = after;
            continue;
        }
        m_parts.resize(level);
        m_chain.resize(level + 1);
        if (part.empty() || part == "." || part == "..")
            return fail(entry, EINVAL);
        FolderHandle child = FolderHandle::openChildUnnamed(m_chain.back(), part);
        if (!child.valid())
            // Where a folder was listed there is now a link or something else that is no folder.
            return fail(entry, child.error() == ELOOP || child.error() == ENOTDIR ? ESTALE : child.error());
        // A walk never goes into a mount, so a mount on the way was put there since.
        if (child.device() != m_chain.back().device() || child.isMountRoot())
            return fail(entry, ESTALE);
        m_chain.push_back(std::move(child));
        m_parts.emplace_back(part);
        ++level;
        rest = after;
    }
    m_parts.resize(level);
    m_chain.resize(level + 1);
    FolderHandle& folder = m_chain.back();
    if (known(entry.folderIdentity) && folder.identity() != entry.folderIdentity)
        return fail(entry, ESTALE);
    folder.setPath(entry.folderPath());
    return folder;
}
