// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ScanPlaces.h"

void ScanPlaces::clear() {
    m_roots = {};
    m_folders = {};
}

bool ScanPlaces::addRoot(const std::string& path, EntryIdentity identity) {
    if (m_roots.size() >= None)
        return false;
    m_roots.push_back({path, identity});
    return true;
}

std::uint32_t ScanPlaces::addFolder(const std::string& path, EntryIdentity identity) {
    if (m_roots.empty() || m_folders.size() >= None - 1 || path.size() > None)
        return None;
    const std::string& root = m_roots.back().path;
    std::size_t relative = 0;
    if (path == root)
        relative = path.size();
    else if (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
             (root.back() == '/' || path[root.size()] == '/'))
        relative = root.back() == '/' ? root.size() : root.size() + 1;
    else
        return None; // not below the root: there would be no way to reach it from there
    m_folders.push_back({path, identity, std::uint32_t(m_roots.size() - 1), std::uint32_t(relative)});
    return std::uint32_t(m_folders.size() - 1);
}

ListedEntry ScanPlaces::entry(std::uint32_t folder, std::string_view name, std::uint64_t inode) const {
    const Folder& f = m_folders[folder];
    const Root& root = m_roots[f.root];
    ListedEntry e;
    e.root = root.path;
    e.rootIdentity = root.identity;
    e.folder = f.path.substr(f.relative);
    e.folderIdentity = f.identity;
    e.name = std::string(name);
    // A walk never leaves its root's filesystem: the file is on its folder's device.
    e.identity = {f.identity.device, static_cast<ino_t>(inode)};
    return e;
}

std::string ScanPlaces::path(std::uint32_t folder, std::string_view name) const {
    std::string p = m_folders[folder].path;
    if (p.empty() || p.back() != '/')
        p += '/';
    p += name;
    return p;
}

std::size_t ScanPlaces::memoryBytes() const {
    std::size_t bytes = m_folders.capacity() * sizeof(Folder) + m_roots.capacity() * sizeof(Root);
    for (const Folder& f : m_folders)
        bytes += f.path.capacity();
    return bytes;
}
