// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dupfolders/DupFolderTree.h"

#include "common/SaturatingSum.h"
#include "finders/dupfolders/FolderSignature.h"
#include "platform/FolderHandle.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace FolderSignature;

namespace {

// What an entry holds, for its shape term.
std::uint64_t shapeHolds(DupFolderTree::Kind kind, std::int64_t size, std::string_view target) {
    switch (kind) {
    case DupFolderTree::Regular:
        return Mix(FileTag ^ Mix(std::uint64_t(size)));
    case DupFolderTree::Link:
        return Mix(LinkTag ^ Bytes(target));
    case DupFolderTree::Other:
        break;
    }
    return Mix(OtherTag ^ std::uint64_t(size));
}

std::string readLink(int folder, const std::string& name, std::int64_t size) {
    // The listed size is the target's length; a target that grew since reads whole on a second try.
    std::string target(std::size_t(size > 0 ? size : 64) + 1, '\0');
    for (int tries = 0; tries < 2; ++tries) {
        const ssize_t n = ::readlinkat(folder, name.c_str(), target.data(), target.size());
        if (n < 0)
            return {};
        if (std::size_t(n) < target.size()) {
            target.resize(std::size_t(n));
            return target;
        }
        target.assign(target.size() * 2 + 256, '\0');
    }
    return {};
}

} // namespace

void DupFolderTree::clear() {
    m_folders.clear();
    m_entries.clear();
    m_folderNames.clear();
    m_entryNames.clear();
    m_roots.clear();
    m_linkTargets.clear();
    m_levels.clear();
}

bool DupFolderTree::enterFolder(const FolderHandle& handle) {
    const std::string_view name = handle.name();
    if (m_folders.size() >= (std::size_t(1) << 30) - 1 || m_folderNames.size() + name.size() >= None ||
        (!m_levels.empty() && m_levels.back().folder == None)) {
        // A full table: the folder and everything below it are left out, and what holds it is
        // known to be incomplete.
        markIncomplete();
        Level refused;
        refused.folder = None;
        m_levels.push_back(refused);
        return false;
    }
    Folder f{};
    f.parent = m_levels.empty() ? None : m_levels.back().folder;
    f.firstEntry = f.ownEntry = f.endEntry = std::uint32_t(m_entries.size());
    f.identity = handle.identity();
    if (f.parent == None) {
        m_roots.push_back({std::string(handle.path()), handle.identity()});
    } else {
        f.nameOffset = std::uint32_t(m_folderNames.size());
        f.nameLength = std::uint16_t(name.size());
        m_folderNames.append(name);
    }
    f.root = std::uint32_t(m_roots.size() - 1);
    f.last = std::uint32_t(m_folders.size());
    m_folders.push_back(f);
    Level level;
    level.folder = f.last;
    m_levels.push_back(level);
    return true;
}

bool DupFolderTree::addEntry(const FolderHandle& handle, const FsEntry& e) {
    if (m_levels.back().folder == None)
        return false;
    if (m_entries.size() >= None - 1 || m_entryNames.size() + e.name.size() >= None) {
        markIncomplete();
        return false;
    }
    Level& level = m_levels.back();
    Entry entry{};
    entry.inode = e.inode;
    entry.modifiedNs = NanosecondStamp(e.lastWrite);
    entry.changeFold = ChangeFold(e.lastChange);
    entry.nameOffset = std::uint32_t(m_entryNames.size());
    entry.folder = level.folder;
    std::string target;
    if (S_ISREG(e.mode)) {
        entry.kind = Regular;
        entry.size = e.size;
        ++level.statedFiles;
    } else if (S_ISLNK(e.mode)) {
        entry.kind = Link;
        target = readLink(handle.fd(), e.name, e.size);
        entry.size = std::int64_t(target.size());
        m_linkTargets.emplace(std::uint32_t(m_entries.size()), target);
    } else {
        entry.kind = Other;
        entry.size = std::int64_t(e.mode & S_IFMT);
    }
    const std::uint64_t holds = shapeHolds(Kind(entry.kind), entry.size, target);
    level.shapeSum += Term(e.name, holds);
    level.stateSum +=
        Term(e.name,
             Mix(holds ^ Mix(entry.inode ^ Mix(entry.modifiedNs ^ (std::uint64_t(entry.changeFold) << 32)))));
    ++level.terms;
    Folder& f = m_folders[level.folder];
    if (entry.kind == Regular)
        f.bytes = SaturatingAdd(f.bytes, entry.size);
    ++f.entries;
    m_entries.push_back(entry);
    m_entryNames.append(e.name);
    return true;
}

void DupFolderTree::beginFiles() {
    if (m_levels.back().folder == None)
        return;
    m_levels.back().filesBegun = true;
    m_folders[m_levels.back().folder].ownEntry = std::uint32_t(m_entries.size());
}

void DupFolderTree::markIncomplete() {
    // A folder left out was said to be incomplete in the folder holding it when it was.
    if (!m_levels.empty() && m_levels.back().folder != None)
        m_folders[m_levels.back().folder].incomplete = true;
}

void DupFolderTree::close(Level& level) {
    Folder& f = m_folders[level.folder];
    f.last = std::uint32_t(m_folders.size() - 1);
    f.endEntry = std::uint32_t(m_entries.size());
    if (!level.filesBegun)
        f.ownEntry = f.endEntry;
    // Plain files that the folder pass listed but the file pass could not examine, or sub-folders
    // that were listed but not walked: the folder is not known whole.
    if (level.listedFiles != level.statedFiles || level.listedFolders != level.walkedFolders)
        f.incomplete = true;
    f.shape = Close(level.shapeSum, level.terms);
    f.state = Close(level.stateSum, level.terms);
    f.done = true;
}

void DupFolderTree::leaveFolder() {
    Level level = m_levels.back();
    m_levels.pop_back();
    if (level.folder == None)
        return;
    close(level);
    if (m_levels.empty())
        return;
    const Folder& child = m_folders[level.folder];
    Level& parent = m_levels.back();
    const std::string_view name = folderName(level.folder);
    parent.shapeSum += Term(name, Mix(FolderTag ^ child.shape));
    parent.stateSum += Term(name, Mix(FolderTag ^ child.state ^ Mix(std::uint64_t(child.identity.inode))));
    ++parent.terms;
    ++parent.walkedFolders;
    Folder& p = m_folders[parent.folder];
    p.bytes = SaturatingAdd(p.bytes, child.bytes);
    p.entries += child.entries;
    p.incomplete = p.incomplete || child.incomplete;
}

void DupFolderTree::leaveAll() {
    while (!m_levels.empty()) {
        markIncomplete();
        leaveFolder();
    }
}

std::string_view DupFolderTree::linkTarget(std::uint32_t i) const {
    const auto it = m_linkTargets.find(i);
    return it == m_linkTargets.end() ? std::string_view() : std::string_view(it->second);
}

std::string DupFolderTree::relativePath(std::uint32_t i) const {
    std::vector<std::uint32_t> chain;
    for (std::uint32_t f = i; m_folders[f].parent != None; f = m_folders[f].parent)
        chain.push_back(f);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty())
            path += '/';
        path += folderName(*it);
    }
    return path;
}

std::string DupFolderTree::folderPath(std::uint32_t i) const {
    std::string path = rootPath(i);
    const std::string below = relativePath(i);
    if (!below.empty()) {
        if (path.empty() || path.back() != '/')
            path += '/';
        path += below;
    }
    return path;
}

ListedEntry DupFolderTree::listedEntry(std::uint32_t i, const std::string& relativeFolder) const {
    const Entry& entry = m_entries[i];
    const Folder& f = m_folders[entry.folder];
    ListedEntry e;
    e.root = m_roots[f.root].path;
    e.rootIdentity = m_roots[f.root].identity;
    e.folder = relativeFolder;
    e.folderIdentity = f.identity;
    e.name = std::string(entryName(i));
    e.identity = {f.identity.device, static_cast<ino_t>(entry.inode)};
    e.size = entry.size;
    e.modifiedNs = entry.modifiedNs;
    e.modifiedKnown = true;
    e.changeFold = entry.changeFold;
    return e;
}

ListedEntry DupFolderTree::listedFolder(std::uint32_t i) const {
    const Folder& f = m_folders[i];
    ListedEntry e;
    e.root = m_roots[f.root].path;
    e.rootIdentity = m_roots[f.root].identity;
    e.isFolder = true;
    e.identity = f.identity;
    if (f.parent == None)
        return e; // a root is no entry of a folder of the walk
    e.folder = relativePath(f.parent);
    e.folderIdentity = m_folders[f.parent].identity;
    e.name = std::string(folderName(i));
    return e;
}

std::size_t DupFolderTree::memoryBytes() const {
    std::size_t bytes = m_folders.capacity() * sizeof(Folder) + m_entries.capacity() * sizeof(Entry) +
                        m_folderNames.capacity() + m_entryNames.capacity() +
                        m_levels.capacity() * sizeof(Level);
    for (const auto& [entry, target] : m_linkTargets)
        bytes += sizeof(entry) + sizeof(target) + target.capacity() + 16;
    for (const Root& r : m_roots)
        bytes += sizeof(Root) + r.path.capacity();
    return bytes;
}
