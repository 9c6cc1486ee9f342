// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/FolderTreeDelete.h"

#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "common/NumberTexts.h"
#include "common/SaturatingSum.h"
#include "delete/ListedFileRemoval.h"
#include "delete/ProtectedFolders.h"
#include "platform/CurrentFolder.h"
#include "platform/FolderHandle.h"
#include "platform/ListedFolder.h"
#include "platform/Trash.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

EntryIdentity identityOf(const FsEntry& entry) { return {entry.device, entry.inode}; }

// Still the object that was listed, and unchanged: the file the user was asked about.
bool sameAsListed(const FsEntry& now, const FsEntry& listed) {
    return now.device == listed.device && now.inode == listed.inode &&
           (now.mode & S_IFMT) == (listed.mode & S_IFMT) && now.size == listed.size &&
           now.lastWrite.tv_sec == listed.lastWrite.tv_sec && now.lastWrite.tv_nsec == listed.lastWrite.tv_nsec;
}

class TreeDelete {
public:
    TreeDelete(bool recycle, FolderDeleteResult& result) : m_recycle(recycle), m_result(result) {}

    // Empties and removes top, an open folder listed in parent under topName.
    void run(const FolderHandle& parent, FolderHandle top, const std::string& topName) {
        FolderHandle current = std::move(top);
        std::vector<Level> stack;
        stack.push_back(enter(current, topName));
        while (!stack.empty()) {
            Level& level = stack.back();
            if (!m_stop && level.next < level.entries.size()) {
                const FsEntry& entry = level.entries[level.next++];
                if (!entry.isFolder()) {
                    fileStep(current, entry);
                    continue;
                }
                FolderHandle child = FolderHandle::openChild(current, entry.name);
                // Skip what cannot be entered, a folder swapped since it was listed, and mounts.
                if (!child.valid() || child.identity() != identityOf(entry) || child.isMountRoot() ||
                    child.device() != current.device())
                    continue;
                current = std::move(child);
                stack.push_back(enter(current, entry.name));
                continue;
            }
            const Level done = std::move(stack.back());
            stack.pop_back();
            if (stack.empty()) {
                removeFolder(parent, done);
                break;
            }
            const Level& up = stack.back();
            current = FolderHandle::reopenParent(current, up.path, up.identity.device, up.identity.inode);
            // The tree was moved while we were inside it: going on could delete elsewhere.
            if (!current.valid())
                break;
            removeFolder(current, done);
        }
    }

    bool stopped() const { return m_stop; }

private:
    struct Level {
        std::string name; // in its parent
        std::string path;
        EntryIdentity identity;
        std::vector<FsEntry> entries;
        std::size_t next = 0;
    };

    // Only the deepest folder's handle stays open, so the depth of the tree is not limited by the
    // number of open files; the way back up goes through ".." with an identity check.
    static Level enter(const FolderHandle& folder, const std::string& name) {
        Level level{name, std::string(folder.path()), folder.identity(), {}, 0};
        // An unreadable listing finds nothing; the folder's removal then simply fails.
        ReadFolder(folder, level.entries);
        return level;
    }

    // A folder that is not empty (a file stayed, or the walk was stopped) stays too; so does one that
    // took the emptied folder's place.
    static void removeFolder(const FolderHandle& in, const Level& folder) {
        struct stat st {};
        if (::fstatat(in.fd(), folder.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            st.st_dev == folder.identity.device && st.st_ino == folder.identity.inode)
            ::unlinkat(in.fd(), folder.name.c_str(), AT_REMOVEDIR);
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
        }
        // A question may have been open for a long time: act only on the entry that was listed.
        FsEntry now;
        if (const int error = StatEntry(folder, entry.name, now, false)) {
            leftBehind(folder, entry, RemovalReason(error));
            return;
        }
        if (!sameAsListed(now, entry)) {
            leftBehind(folder, entry, RemovalReason(ESTALE));
            return;
        }
        if (m_recycle) {
            const TrashOutcome outcome =
                Trash::moveToTrash(folder, entry.name, folder.childPath(entry.name), identityOf(entry));
            if (!outcome.ok()) {
                leftBehind(folder, entry, outcome.reason);
                return;
            }
        } else if (::unlinkat(folder.fd(), entry.name.c_str(), 0) != 0) {
            leftBehind(folder, entry, RemovalReason(errno));
            return;
        }
        ++m_result.files;
        m_result.bytes = SaturatingAdd(m_result.bytes, entry.size);
    }

    void leftBehind(const FolderHandle& folder, const FsEntry& entry, const QString& reason) {
        if (m_result.filesLeft++ == 0)
            m_result.firstLeft = DisplayText(folder.childPath(entry.name)) + u'\n' + reason;
    }

    bool m_recycle;
    FolderDeleteResult& m_result;
    bool m_stop = false;
};

} // namespace

FolderDeleteResult deleteFolderTree(const ListedEntry& folder, bool recycle) {
    FolderDeleteResult result;
    if (folder.name.empty() || folder.name == "." || folder.name == ".." ||
        folder.name.find('/') != std::string::npos) {
        result.error = EINVAL; // a file-system root has no entry in a parent to delete
        return result;
    }
    const FolderHandle parent = OpenListedFolder(folder);
    if (!parent.valid()) {
        result.error = parent.error();
        return result;
    }
    FsEntry listed;
    if (const int error = StatEntry(parent, folder.name, listed, false)) {
        result.error = error; // a folder that does not exist finds nothing
        return result;
    }
    const bool identityKnown = folder.identity.device != 0 || folder.identity.inode != 0;
    if (!S_ISDIR(listed.mode) || (identityKnown && identityOf(listed) != folder.identity)) {
        result.error = ESTALE;
        return result;
    }
    FolderHandle top = FolderHandle::openChild(parent, folder.name);
    if (!top.valid() || top.identity() != identityOf(listed)) {
        result.error = top.valid() || top.error() == ELOOP || top.error() == ENOTDIR ? ESTALE : top.error();
        return result;
    }
    CurrentFolder::set(parent.path());
    // The chosen folder is checked like every folder below it: a mount is never entered or emptied.
    if (top.isMountRoot() || top.device() != parent.device()) {
        result.error = EXDEV;
        return result;
    }
    if (ProtectionOf(top.identity(), parent.identity(), folder.name) != FolderProtection::None) {
        result.error = EPERM;
        return result;
    }
    TreeDelete walk(recycle, result);
    walk.run(parent, std::move(top), folder.name);
    result.completed = !walk.stopped();
    return result;
}

QString FilesLeftNote(const FolderDeleteResult& result, bool recycle) {
    if (result.filesLeft <= 0)
        return {};
    const bool one = result.filesLeft == 1;
    return FormatThousands(result.filesLeft) + (one ? QStringLiteral(" file") : QStringLiteral(" files")) +
           (recycle ? QStringLiteral(" could not be sent to the recycle bin and ")
                    : QStringLiteral(" could not be deleted and ")) +
           (one ? QStringLiteral("stayed where it was.") : QStringLiteral("stayed where they were.")) +
           QStringLiteral("\n\nThe first one:\n") + result.firstLeft;
}
