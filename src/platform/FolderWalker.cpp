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
        visitor.folderSkipped(h.path(), h.error());
        return false;
    }
    if (!m_visited.insert({h.device(), h.inode()}).second)
        return true;
    m_rootDevice = h.device();
    m_withCreation = visitor.wantsCreationTime();
    m_everyEntry = visitor.wantsEveryEntry();
    m_hidden = visitor.wantsHiddenEntries();
    if (!push(std::move(h), visitor))
        return false;

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
        FolderListing::Item& item = level.listing.items[level.next++];
        std::string_view name(level.listing.names.data() + item.offset, item.length);
        if (!m_hidden && isHidden(name))
            continue;
        if (item.type == FolderListing::Unknown) {
            // The file system gave no type hint: one stat settles it (a vanished entry is left out).
            if (StatEntry(level.handle, name, m_entry, false) != 0)
                continue;
            item.type = typeOfMode(m_entry.mode);
        }
        if (item.type == FolderListing::Other)
            continue; // system entries (links, devices, ...) are not listed
        ++level.listed;
        bool isFolder = item.type == FolderListing::Folder;
        visitor.folderEntry(level.handle, name, isFolder);
        if (!isFolder) {
            afterEntry(level, visitor);
            continue;
        }
        FolderHandle child = FolderHandle::openChild(level.handle, std::string(name));
        if (!child.valid()) {
            visitor.folderSkipped(child.path(), child.error());
            afterEntry(level, visitor);
            continue;
        }
        // Another filesystem, or a bind mount of this one: listed, never entered.
        if (child.device() != m_rootDevice || child.isMountRoot()) {
            visitor.folderSkipped(child.path(), EXDEV);
            afterEntry(level, visitor);
            continue;
        }
        if (!m_visited.insert({child.device(), child.inode()}).second) {
            afterEntry(level, visitor); // reached before through another root: walked once only
            continue;
        }
        // Deep down, the parent's handle is given back; pop() takes it again through "..".
        if (m_depth >= m_openLimit)
            level.handle.close();
        push(std::move(child), visitor); // on failure the child level is already gone again
    }
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
        visitor.folderSkipped(level.handle.path(), error);
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
            FolderHandle back = FolderHandle::reopenParent(level.handle, old.path(), old.device(), old.inode());
            if (!back.valid()) {
                // No way up through "..": try the path text, which still has to name the same folder.
                FolderHandle byPath = FolderHandle::open(old.path());
                if (byPath.valid() && byPath.device() == old.device() && byPath.inode() == old.inode())
                    back = std::move(byPath);
            }
            if (back.valid()) {
                parent.handle = std::move(back);
            } else {
                visitor.folderSkipped(old.path(), back.error() ? back.error() : ESTALE);
                parent.broken = true;
            }
        }
    }
    level.handle.close();
    --m_depth;
    if (m_depth > 0 && !m_levels[m_depth - 1]->broken)
        afterEntry(*m_levels[m_depth - 1], visitor);
}

void FolderWalker::afterEntry(Level& level, FolderVisitor& visitor) {
    if (level.listed > 1)
        visitor.yield();
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
        if (StatEntry(level.handle, name, m_entry, m_withCreation) == 0 && S_ISREG(m_entry.mode)) {
            // Gone since the listing, or no longer a plain file: left out.
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
        } else if (StatEntry(level.handle, name, m_entry, m_withCreation) == 0) {
            // A hidden entry without a type hint is known only now; one that vanished is left out.
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
