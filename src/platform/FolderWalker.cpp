// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderWalker.h"

#include <cerrno>
#include <sys/stat.h>

struct FolderWalker::Level {
    FolderHandle handle;
    FolderListing listing;
    std::size_t next = 0;   // next listing item of the folder pass
    std::size_t listed = 0; // entries handed out in the folder pass so far
    bool broken = false;    // the handle could not be had back: the rest of this folder is given up
};

namespace {

bool isHidden(std::string_view name) { return !name.empty() && name[0] == '.'; }

FolderListing::Type typeOfMode(mode_t mode) {
    if (S_ISREG(mode))
        return FolderListing::File;
    if (S_ISDIR(mode))
        return FolderListing::Folder;
    return FolderListing::Other;
}

} // namespace

int ClassifyEntry(std::string_view name, std::uint32_t attributes) {
    if (name == "." || name == "..")
        return 1;
    return (attributes & faFolder) ? 0 : 2;
}

FolderWalker::FolderWalker() = default;
FolderWalker::~FolderWalker() = default;

void FolderWalker::reset() { m_visited.clear(); }

void FolderWalker::setOpenHandleLimit(std::size_t limit) { m_openLimit = limit < 2 ? 2 : limit; }

bool FolderWalker::walk(const std::string& root, FolderVisitor& visitor) {
    FolderHandle h = FolderHandle::open(root);
    if (!h.valid()) {
        visitor.folderSkipped(h, {}, h.error());
        return false;
    }
    if (!m_visited.insert({h.device(), h.inode()}).second)
        return true;
    m_rootDevice = h.device();
    m_withCreation = visitor.wantsCreationTime();
    m_everyEntry = visitor.wantsEveryEntry();
    m_hiddenFolders = visitor.wantsHiddenFolders();
    // From here on every level's path is the first bytes of the one buffer.
    m_path.assign(h.path());
    h.sharePath(m_path, m_path.size());
    if (!push(std::move(h), visitor)) {
        m_path.clear();
        return false;
    }

    while (m_depth > 0) {
        Level& level = *m_levels[m_depth - 1];
        if (visitor.shouldStop()) {
            while (m_depth > 0)
                m_levels[--m_depth]->handle.close();
            break;
        }
        if (level.broken || level.next >= level.listing.size()) {
            if (!level.broken)
                filePass(level, visitor);
            else
                visitor.leaveFolder(level.handle);
            pop(visitor);
            continue;
        }
        const std::size_t index = level.next++;
        FolderListing::Item& item = level.listing.items[index];
        const std::string_view name = level.listing.name(index);
        const bool hidden = isHidden(name);
        if (hidden && !m_hiddenFolders)
            continue;
        if (item.type == FolderListing::Unknown) {
            // The file system gave no type hint: one stat settles it.
            if (!statItem(level, index, false, visitor))
                continue;
            item.type = typeOfMode(m_entry.mode);
        }
        if (item.type == FolderListing::Other || item.type == FolderListing::Failed)
            continue; // system entries (links, devices, ...) are not listed
        if (hidden && item.type != FolderListing::Folder)
            continue; // of hidden entries only folders, and only when asked for
        ++level.listed;
        bool isFolder = item.type == FolderListing::Folder;
        visitor.folderEntry(level.handle, name, isFolder);
        if (!isFolder) {
            afterEntry(level, visitor);
            continue;
        }
        const std::size_t parentLength = m_path.size();
        if (m_path.empty() || m_path.back() != '/')
            m_path += '/';
        m_path += name;
        FolderHandle child = FolderHandle::openChildSharing(level.handle, name, m_path);
        int refused = child.valid() ? 0 : child.error();
        // Another filesystem, or a bind mount of this one: listed, never entered.
        if (!refused && (child.device() != m_rootDevice || child.isMountRoot()))
            refused = EXDEV;
        if (refused) {
            m_path.resize(parentLength);
            visitor.folderSkipped(level.handle, name, refused);
            afterEntry(level, visitor);
            continue;
        }
        if (!m_visited.insert({child.device(), child.inode()}).second) {
            m_path.resize(parentLength);
            afterEntry(level, visitor); // reached before through another root: walked once only
            continue;
        }
        // Deep down, the parent's handle is given back; pop() takes it again through "..".
        if (m_depth >= m_openLimit)
            level.handle.close();
        push(std::move(child), visitor); // on failure the child level is already gone again
    }
    m_path.clear();
    return true;
}

bool FolderWalker::push(FolderHandle handle, FolderVisitor& visitor) {
    if (m_levels.size() <= m_depth)
        m_levels.push_back(std::make_unique<Level>());
    Level& level = *m_levels[m_depth++];
    level.handle = std::move(handle);
    level.next = 0;
    level.listed = 0;
    level.broken = false;
    visitor.enterFolder(level.handle);
    int error = 0;
    if (!ReadFolderNames(level.handle, level.listing, &error)) {
        visitor.folderSkipped(level.handle, {}, error);
        level.listing.clear();
        level.broken = true;
        visitor.leaveFolder(level.handle);
        pop(visitor);
        return false;
    }
    return true;
}

void FolderWalker::pop(FolderVisitor& visitor) {
    Level& level = *m_levels[m_depth - 1];
    if (m_depth >= 2) {
        Level& parent = *m_levels[m_depth - 2];
        if (!parent.handle.valid() && !parent.broken) {
            const FolderHandle& old = parent.handle;
            FolderHandle back = FolderHandle::reopenParent(level.handle, old);
            if (!back.valid()) {
                // No way up through "..": try the path text, which still has to name the same folder.
                FolderHandle byPath = FolderHandle::open(old.path());
                if (byPath.valid() && byPath.device() == old.device() && byPath.inode() == old.inode()) {
                    byPath.sharePath(m_path, old.path().size());
                    back = std::move(byPath);
                }
            }
            if (back.valid()) {
                parent.handle = std::move(back);
            } else {
                const int error = back.error() ? back.error() : ESTALE;
                level.handle.close();
                --m_depth;
                cutPath();
                visitor.folderSkipped(parent.handle, {}, error);
                parent.broken = true;
                return;
            }
        }
    }
    level.handle.close();
    --m_depth;
    cutPath();
    if (m_depth > 0 && !m_levels[m_depth - 1]->broken)
        afterEntry(*m_levels[m_depth - 1], visitor);
}

void FolderWalker::cutPath() {
    m_path.resize(m_depth > 0 ? m_levels[m_depth - 1]->handle.path().size() : 0);
}

void FolderWalker::afterEntry(Level& level, FolderVisitor& visitor) {
    if (level.listed > 1)
        visitor.yield();
}

bool FolderWalker::statItem(Level& level, std::size_t i, bool withCreation, FolderVisitor& visitor) {
    const std::string_view name = level.listing.name(i);
    const int error = StatEntry(level.handle, name, m_entry, withCreation);
    if (error == 0)
        return true;
    // Gone since the listing: nothing was left out. Anything else was, and is said.
    if (error != ENOENT) {
        level.listing.items[i].type = FolderListing::Failed;
        visitor.entrySkipped(level.handle, name, error);
    }
    return false;
}

void FolderWalker::filePass(Level& level, FolderVisitor& visitor) {
    visitor.beginFiles(level.handle);
    if (m_everyEntry) {
        everyEntryPass(level, visitor);
        return;
    }
    std::size_t wanted = 0;
    for (std::size_t i = 0; i < level.listing.size(); ++i) {
        if (visitor.shouldStop())
            return;
        const FolderListing::Item& item = level.listing.items[i];
        if (item.type != FolderListing::File)
            continue;
        std::string_view name = level.listing.name(i);
        if (isHidden(name) || !visitor.wantsFile(name))
            continue;
        // No longer a plain file since the listing: left out.
        if (statItem(level, i, m_withCreation, visitor) && S_ISREG(m_entry.mode)) {
            m_entry.name.assign(name);
            visitor.file(level.handle, m_entry);
        }
        if (++wanted > 1)
            visitor.yield();
    }
    visitor.leaveFolder(level.handle);
}

void FolderWalker::everyEntryPass(Level& level, FolderVisitor& visitor) {
    for (std::size_t i = 0; i < level.listing.size(); ++i) {
        if (visitor.shouldStop())
            return;
        FolderListing::Item& item = level.listing.items[i];
        const std::string_view name = level.listing.name(i);
        if (item.type == FolderListing::Folder) {
            visitor.subFolderEntry(level.handle, name);
        } else if (item.type != FolderListing::Failed && statItem(level, i, m_withCreation, visitor)) {
            // A hidden entry without a type hint is known only now.
            if (S_ISDIR(m_entry.mode)) {
                visitor.subFolderEntry(level.handle, name);
            } else {
                m_entry.name.assign(name);
                visitor.file(level.handle, m_entry);
            }
        }
        if (i > 0)
            visitor.yield();
    }
    visitor.leaveFolder(level.handle);
}
