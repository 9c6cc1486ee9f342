// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/FreedSpace.h"

#include "common/NumberTexts.h"
#include "common/SaturatingSum.h"
#include "delete/ListedFileRemoval.h"
#include "platform/FolderHandle.h"
#include "platform/ListedFolder.h"
#include "platform/ListedFolderChain.h"
#include "platform/SharedExtents.h"
#include "platform/UniqueFd.h"

#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

std::int64_t allocatedOf(const struct stat& st) {
    return std::int64_t(st.st_blocks) * 512;
}

QString bytesText(std::int64_t bytes) {
    return FormatThousands(bytes) + QStringLiteral(" bytes");
}

} // namespace

std::int64_t FreedSpaceCounter::sharedBytes(int folder, const char* name, const struct stat& st) {
    if (!S_ISREG(st.st_mode) || st.st_blocks == 0)
        return 0;
    auto sharing = m_sharing.find(st.st_dev);
    if (sharing == m_sharing.end())
        sharing = m_sharing.emplace(st.st_dev, CanShareExtents(folder)).first;
    if (!sharing->second)
        return 0;
    // Opened only to ask about its extents: nothing is read, so no access time changes.
    UniqueFd file(::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat now {};
    if (!file.valid() || ::fstat(file.get(), &now) != 0 || now.st_dev != st.st_dev || now.st_ino != st.st_ino)
        return 0;
    const std::int64_t shared = SharedExtentBytes(file.get());
    return std::clamp<std::int64_t>(shared, 0, allocatedOf(st));
}

void FreedSpaceCounter::countEntry(int folder, const char* name, const struct stat& st) {
    m_seen.fetch_add(1, std::memory_order_relaxed);
    ++m_figures.files;
    if (st.st_nlink > 1) {
        Inode& inode = m_linked[{st.st_dev, st.st_ino}];
        if (inode.taken++ == 0) {
            inode.allocated = allocatedOf(st);
            inode.shared = sharedBytes(folder, name, st);
            inode.links = st.st_nlink;
        }
        return;
    }
    const std::int64_t shared = sharedBytes(folder, name, st);
    m_figures.sharedBytes = SaturatingAdd(m_figures.sharedBytes, shared);
    m_figures.freedBytes = SaturatingAdd(m_figures.freedBytes, allocatedOf(st) - shared);
}

void FreedSpaceCounter::countFiles(const std::vector<ListedEntry>& files) {
    // Marked files come sorted by path, so a folder and those above it are mostly reached once for
    // many of its files.
    ListedFolderChain folders;
    for (const ListedEntry& file : files) {
        if (stopped()) {
            m_figures.partial = true;
            return;
        }
        const FolderHandle& folder = folders.open(file);
        // One look gives both the identity check and what the count needs.
        struct stat st {};
        FsEntry now;
        if (folder.valid() && ::fstatat(folder.fd(), file.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            now.device = st.st_dev;
            now.inode = st.st_ino;
            now.mode = st.st_mode;
            now.size = st.st_size;
            now.lastWrite = st.st_mtim;
            now.lastChange = st.st_ctim;
        }
        if (!folder.valid() || now.inode == 0 || !MatchesListed(now, file)) {
            m_seen.fetch_add(1, std::memory_order_relaxed);
            ++m_figures.notCounted;
            continue;
        }
        countEntry(folder.fd(), file.name.c_str(), st);
    }
}

void FreedSpaceCounter::countFolder(const ListedEntry& listed, std::int64_t mostEntries) {
    const FolderHandle parent = OpenListedFolder(listed);
    if (!parent.valid())
        return;
    FolderHandle top = FolderHandle::openChild(parent, listed.name);
    if (!top.valid() || top.identity() != listed.identity || top.isMountRoot() ||
        top.device() != parent.device())
        return;
    struct Level {
        FolderHandle folder;
        FolderListing listing;
        std::size_t next = 0;
    };
    std::vector<Level> levels;
    levels.push_back({std::move(top), {}, 0});
    if (!ReadFolderNames(levels.back().folder, levels.back().listing))
        return;
    std::int64_t entries = 0;
    while (!levels.empty()) {
        if (stopped() || entries >= mostEntries) {
            m_figures.partial = true;
            return;
        }
        Level& level = levels.back();
        if (level.next >= level.listing.size()) {
            levels.pop_back();
            continue;
        }
        const std::string name(level.listing.name(level.next++));
        ++entries;
        struct stat st {};
        if (::fstatat(level.folder.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // gone since the listing: nothing to free
        if (!S_ISDIR(st.st_mode)) {
            // A file mount is another mount's file: the folder delete leaves it.
            if (!IsMountPoint(level.folder.fd(), name.c_str()))
                countEntry(level.folder.fd(), name.c_str(), st);
            continue;
        }
        m_seen.fetch_add(1, std::memory_order_relaxed);
        if (levels.size() >= MostLevels) {
            m_figures.partial = true;
            continue;
        }
        // A folder delete never enters a mount, and removes nothing below one.
        FolderHandle child = FolderHandle::openChild(level.folder, name);
        if (!child.valid() || child.isMountRoot() || child.device() != level.folder.device())
            continue;
        Level below{std::move(child), {}, 0};
        if (ReadFolderNames(below.folder, below.listing))
            levels.push_back(std::move(below));
    }
}

FreedSpace FreedSpaceCounter::result() const {
    FreedSpace figures = m_figures;
    for (const auto& [identity, inode] : m_linked) {
        if (inode.taken >= inode.links) {
            // Every link goes, so the data goes too.
            figures.sharedBytes = SaturatingAdd(figures.sharedBytes, inode.shared);
            figures.freedBytes = SaturatingAdd(figures.freedBytes, inode.allocated - inode.shared);
        } else {
            figures.linkedFiles = SaturatingAdd(figures.linkedFiles, std::int64_t(inode.taken));
            figures.linkedBytes = SaturatingAdd(figures.linkedBytes, inode.allocated);
        }
    }
    return figures;
}

QString FreedSpaceText(const FreedSpace& space, bool trashNote) {
    QStringList parts;
    parts << (space.partial ? QStringLiteral("Frees at least ") : QStringLiteral("Frees ")) +
                 bytesText(space.freedBytes) + QStringLiteral(" of disk space.");
    if (space.linkedBytes > 0)
        parts << bytesText(space.linkedBytes) + QStringLiteral(" stay in use by other links.");
    if (space.sharedBytes > 0)
        parts << bytesText(space.sharedBytes) +
                     QStringLiteral(" are shared with other files and may stay in use.");
    if (space.notCounted > 0)
        parts << FormatThousands(space.notCounted) +
                     (space.notCounted == 1
                          ? QStringLiteral(" file is gone or changed since it was listed and is not counted.")
                          : QStringLiteral(
                                " files are gone or changed since they were listed and are not counted."));
    if (trashNote)
        parts << QStringLiteral("In the recycle bin they free nothing until it is emptied.");
    return parts.join(u' ');
}

QStringList FreedSpaceLines(const FreedSpace& space, bool trashNote) {
    QStringList lines;
    lines << (space.partial ? QStringLiteral("Frees at least ") : QStringLiteral("Frees ")) +
                 bytesText(space.freedBytes) + QStringLiteral(" on disk");
    if (trashNote)
        lines << QStringLiteral("Recycle bin: freed when emptied");
    if (space.linkedBytes > 0)
        lines << bytesText(space.linkedBytes) + QStringLiteral(" kept by other links");
    if (space.sharedBytes > 0)
        lines << bytesText(space.sharedBytes) + QStringLiteral(" shared with other files");
    if (space.notCounted > 0)
        lines << FormatThousands(space.notCounted) + QStringLiteral(" changed files not counted");
    return lines.mid(0, 4);
}
