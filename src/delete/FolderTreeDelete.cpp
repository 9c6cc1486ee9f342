// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/FolderTreeDelete.h"

#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "platform/CurrentFolder.h"
#include "platform/FolderHandle.h"
#include "platform/Trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// True when the folder entry is the root of a mount, also a bind mount of the same filesystem
// (which a device comparison alone would miss).
bool isMountRoot(const FolderHandle& folder, const FsEntry& entry) {
#ifdef STATX_ATTR_MOUNT_ROOT
    struct statx sx {};
    if (::statx(folder.fd(), entry.name.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BASIC_STATS, &sx) == 0 &&
        (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT))
        return true;
#endif
    return entry.device != folder.device();
}

class TreeDelete {
public:
    TreeDelete(bool recycle, std::int64_t& files, std::int64_t& bytes)
        : m_recycle(recycle), m_files(files), m_bytes(bytes) {}

    // Processes the named entry of parent as one entry of the walk.
    void run(const FolderHandle& parent, const FsEntry& top) {
        if (top.isFolder())
            walk(parent, top);
        else
            fileStep(parent, top);
    }

    bool stopped() const { return m_stop; }

private:
    struct Level {
        std::string name; // in its parent
        std::string path;
        dev_t device = 0;
        ino_t inode = 0;
        std::vector<FsEntry> entries;
        std::size_t next = 0;
    };

    static Level enter(FolderHandle& folder, const std::string& name) {
        Level level{name, folder.path(), folder.device(), folder.inode(), {}, 0};
        // An unreadable listing finds nothing; the folder's removal then simply fails.
        ReadFolder(folder, level.entries);
        return level;
    }

    // Only the deepest folder's handle stays open, so the depth of the tree is not limited by the
    // number of open files; the way back up goes through ".." with an identity check.
    void walk(const FolderHandle& parent, const FsEntry& top) {
        FolderHandle current = FolderHandle::openChild(parent, top.name);
        if (!current.valid())
            return;
        std::vector<Level> stack;
        stack.push_back(enter(current, top.name));
        while (!stack.empty()) {
            Level& level = stack.back();
            if (!m_stop && level.next < level.entries.size()) {
                const FsEntry& entry = level.entries[level.next++];
                if (!entry.isFolder()) {
                    fileStep(current, entry);
                    continue;
                }
                if (isMountRoot(current, entry))
                    continue;
                FolderHandle child = FolderHandle::openChild(current, entry.name);
                // Skip what cannot be entered, and a folder swapped for another since it was listed.
                if (!child.valid() || child.device() != entry.device || child.inode() != entry.inode)
                    continue;
                current = std::move(child);
                stack.push_back(enter(current, entry.name));
                continue;
            }
            const std::string name = std::move(level.name);
            stack.pop_back();
            if (stack.empty()) {
                ::unlinkat(parent.fd(), name.c_str(), AT_REMOVEDIR);
                break;
            }
            const Level& up = stack.back();
            current = FolderHandle::reopenParent(current, up.path, up.device, up.inode);
            // The tree was moved while we were inside it: going on could delete elsewhere.
            if (!current.valid())
                break;
            // A folder that is not empty (a file stayed, or the walk was stopped) stays too.
            ::unlinkat(current.fd(), name.c_str(), AT_REMOVEDIR);
        }
    }

    void fileStep(const FolderHandle& folder, const FsEntry& entry) {
        if (m_stop)
            return;
        static const struct {
            std::uint32_t attribute;
            const char* text;
        } questions[] = {
            {faReadOnly, " is read-only, "},
            {faHidden, " is hidden, "},
            {faSystem, " is a system file, "},
        };
        for (const auto& q : questions) {
            if (!(entry.attributes & q.attribute))
                continue;
            const QString text = DisplayText(folder.childPath(entry.name)) + QString::fromLatin1(q.text) +
                                 QStringLiteral("delete this file and continue deleting other files? ");
            if (AskYesNoCancel(text) != MessageAnswer::Yes) {
                m_stop = true;
                return;
            }
            // Hidden and system are what the file is, not flags to clear: Yes just goes on.
            if (q.attribute == faReadOnly)
                ::fchmodat(folder.fd(), entry.name.c_str(), (entry.mode & 07777) | S_IWUSR, AT_SYMLINK_NOFOLLOW);
        }
        const bool gone = m_recycle ? Trash::moveToTrash(folder.childPath(entry.name))
                                    : ::unlinkat(folder.fd(), entry.name.c_str(), 0) == 0;
        if (gone) {
            ++m_files;
            m_bytes += entry.size;
        }
    }

    bool m_recycle;
    std::int64_t& m_files;
    std::int64_t& m_bytes;
    bool m_stop = false;
};

} // namespace

bool deleteFolderTree(const std::string& folder, bool recycle, std::int64_t& files, std::int64_t& bytes) {
    files = 0;
    bytes = 0;
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    // A root has no entry in a parent; like a folder that does not exist, nothing is found.
    if (name.empty() || name == "." || name == "..")
        return true;
    const std::string parentPath = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);

    FolderHandle parent = FolderHandle::open(parentPath);
    FsEntry top;
    if (!parent.valid() || StatEntry(parent, name, top) != 0)
        return true;
    top.name = name;
    CurrentFolder::set(parent.path());

    TreeDelete walk(recycle, files, bytes);
    walk.run(parent, top);
    return !walk.stopped();
}
