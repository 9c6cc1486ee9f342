// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/FolderTreeDelete.h"

#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "common/NumberTexts.h"
#include "common/SaturatingSum.h"
#include "delete/AsideRemoval.h"
#include "delete/ListedFileRemoval.h"
#include "delete/ProtectedFolders.h"
#include "platform/CurrentFolder.h"
#include "platform/FolderHandle.h"
#include "platform/ListedFolder.h"
#include "platform/Trash.h"

#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace {

EntryIdentity identityOf(const FsEntry& entry) { return {entry.device, entry.inode}; }

// Still the object that was looked at, and unchanged as far as look can tell (after this program's
// own move, its change time is the move's): the file the user was asked about.
bool sameAsListed(const FsEntry& now, const FsEntry& listed, ListedLook look) {
    return now.device == listed.device && now.inode == listed.inode &&
           (now.mode & S_IFMT) == (listed.mode & S_IFMT) && now.size == listed.size && !now.mountRoot &&
           NanosecondStamp(now.lastWrite) == NanosecondStamp(listed.lastWrite) &&
           (look == ListedLook::AfterOwnMove ||
            NanosecondStamp(now.lastChange) == NanosecondStamp(listed.lastChange));
}

// The emptied folder that was entered, and nothing in its place; never a mount.
bool isFolderEntered(const FsEntry& now, const EntryIdentity& entered) {
    return S_ISDIR(now.mode) && !now.mountRoot && identityOf(now) == entered;
}

class TreeDelete {
public:
    TreeDelete(bool recycle, FolderDeleteResult& result, const FolderDeleteProgress& progress,
               const FolderDeleteFileHook& onFile)
        : m_recycle(recycle), m_result(result), m_progress(progress), m_onFile(onFile) {}

    // Empties and removes top, an open folder listed in parent under topName.
    void run(const FolderHandle& parent, FolderHandle top, const std::string& topName) {
        m_path = parent.path();
        m_parentLength = m_path.size();
        Level first{top.identity(), descend(topName), {}, 0, false};
        int error = 0;
        if (!ReadFolderNames(top, first.listing, &error)) {
            folderLeft(m_path, RemovalReason(error));
            first.keep = true;
        }
        FolderHandle current = std::move(top);
        std::vector<Level> stack;
        stack.push_back(std::move(first));
        while (!stack.empty()) {
            Level& level = stack.back();
            if (!m_stop && level.next < level.listing.size()) {
                const std::string name(level.listing.name(level.next++));
                if (std::optional<Level> below = entryStep(current, level, name)) {
                    current = std::move(m_child);
                    stack.push_back(std::move(*below));
                }
                if (m_progress && !m_progress(m_result))
                    m_stop = true;
                continue;
            }
            Level done = std::move(stack.back());
            stack.pop_back();
            if (done.next < done.listing.size())
                done.keep = true; // stopped before its end
            m_path.resize(done.cut);
            if (stack.empty()) {
                removeFolder(parent, topName, done);
                break;
            }
            Level& up = stack.back();
            current = FolderHandle::reopenParent(current, m_path, up.identity.device, up.identity.inode);
            if (!current.valid()) {
                // The tree was moved while we were inside it: going on could delete elsewhere.
                folderLeft(m_path, QStringLiteral(
                                       "it was moved while it was being emptied; the rest was left alone"));
                break;
            }
            if (!removeFolder(current, std::string(up.listing.name(up.next - 1)), done))
                up.keep = true;
        }
    }

    bool stopped() const { return m_stop; }

private:
    struct Level {
        EntryIdentity identity;
        std::size_t cut;       // length of the path text before this folder's "/name"
        FolderListing listing; // names as listed, taken in this order
        std::size_t next = 0;
        bool keep = false; // something in it stays, so it stays too
    };

    // Appends "/name" to the path text; returns the length to cut it back to.
    std::size_t descend(const std::string& name) {
        const std::size_t cut = m_path.size();
        if (m_path.empty() || m_path.back() != '/')
            m_path += '/';
        m_path += name;
        return cut;
    }
    std::string pathOf(const std::string& name) const {
        std::string path = m_path;
        if (path.empty() || path.back() != '/')
            path += '/';
        return path + name;
    }

    // One entry of the current folder: a file is removed, a folder is opened and read, to be entered
    // (its level is returned, its handle left in m_child).
    std::optional<Level> entryStep(const FolderHandle& folder, Level& level, const std::string& name) {
        FsEntry now;
        if (const int error = StatEntry(folder, name, now, false)) {
            if (error != ENOENT) { // what vanished since the listing needs no removing
                fileLeft(name, RemovalReason(error));
                tell(name, FsEntry{}, {error, RemovalReason(error), {}, {}});
                level.keep = true;
            }
            return std::nullopt;
        }
        if (!S_ISDIR(now.mode)) {
            // A file something is mounted on is another mount's file: never removed nor trashed.
            if (now.mountRoot) {
                fileLeft(name, RemovalReason(EXDEV));
                level.keep = true;
            } else if (!fileStep(folder, name, now)) {
                level.keep = true;
            }
            return std::nullopt;
        }
        FolderHandle child = FolderHandle::openChild(folder, name);
        int error = 0;
        if (!child.valid())
            error = child.error() == ELOOP || child.error() == ENOTDIR ? ESTALE : child.error();
        else if (child.identity() != identityOf(now))
            error = ESTALE; // swapped since it was looked at
        else if (child.isMountRoot() || child.device() != folder.device())
            error = EXDEV;
        Level below{identityOf(now), 0, {}, 0, false};
        if (error == 0)
            ReadFolderNames(child, below.listing, &error);
        // One that may not be opened or read may still be empty, and then it can go.
        if ((error == EACCES || error == EPERM) &&
            RemoveInPlace(folder, name, AsideKind::EmptyFolder, [&](const FsEntry& again, ListedLook) {
                return isFolderEntered(again, below.identity);
            }).error == 0)
            return std::nullopt;
        if (error != 0) {
            folderLeft(pathOf(name), RemovalReason(error));
            level.keep = true;
            return std::nullopt;
        }
        below.cut = descend(name);
        m_child = std::move(child);
        return below;
    }

    // True when the file went.
    bool fileStep(const FolderHandle& folder, const std::string& name, const FsEntry& listed) {
        static const struct {
            std::uint32_t attribute;
            const char* text;
        } questions[] = {
            {faReadOnly, " is read-only, "},
            {faHidden, " is hidden, "},
            {faSystem, " is a system file, "},
        };
        for (const auto& q : questions) {
            if (!(listed.attributes & q.attribute))
                continue;
            const QString text = DisplayText(pathOf(name)) + QString::fromLatin1(q.text) +
                                 QStringLiteral("delete this file and continue deleting other files? ");
            if (AskYesNoCancel(text) != MessageAnswer::Yes) {
                m_stop = true;
                return false;
            }
        }
        // A question may have been open for a long time: act only on the entry that was looked at.
        TrashOutcome outcome;
        const EntryCheck expected = [&](const FsEntry& now, ListedLook look) {
            return sameAsListed(now, listed, look);
        };
        if (m_recycle) {
            outcome = Trash::moveToTrash(folder, name, pathOf(name), expected);
        } else {
            const AsideOutcome aside = RemoveAside(folder, name, AsideKind::File, expected);
            outcome.error = aside.error;
            if (!aside.strandedName.empty())
                outcome.reason = StrandedReason(aside.strandedName);
            else if (aside.error)
                outcome.reason = RemovalReason(aside.error);
        }
        tell(name, listed, outcome);
        if (!outcome.ok()) {
            fileLeft(name, outcome.reason);
            return false;
        }
        ++m_result.files;
        m_result.bytes = SaturatingAdd(m_result.bytes, listed.size);
        return true;
    }

    // Removes an emptied folder, only while its name still is that folder (looked at, then removed:
    // see RemoveInPlace); true when it went. One that something in it kept, or that was not the
    // walk's to remove, stays.
    bool removeFolder(const FolderHandle& in, const std::string& name, const Level& folder) {
        if (folder.keep)
            return false;
        const int error =
            RemoveInPlace(in, name, AsideKind::EmptyFolder, [&](const FsEntry& now, ListedLook) {
                return isFolderEntered(now, folder.identity);
            }).error;
        if (error == 0)
            return true;
        folderLeft(pathOf(name), RemovalReason(error));
        return false;
    }

    // Hands a file's outcome to the caller's hook, with its folder below the deleted folder's own.
    void tell(const std::string& name, const FsEntry& listed, const TrashOutcome& outcome) {
        if (!m_onFile)
            return;
        std::string_view below(m_path);
        below.remove_prefix(std::min(m_parentLength, below.size()));
        if (!below.empty() && below.front() == '/')
            below.remove_prefix(1);
        m_onFile({below, name, listed, outcome});
    }

    void fileLeft(const std::string& name, const QString& reason) {
        ++m_result.filesLeft;
        m_result.left.add(pathOf(name), reason);
    }
    void folderLeft(std::string path, const QString& reason) {
        ++m_result.foldersLeft;
        m_result.left.add(std::move(path), reason);
    }

    bool m_recycle;
    FolderDeleteResult& m_result;
    const FolderDeleteProgress& m_progress;
    const FolderDeleteFileHook& m_onFile;
    std::size_t m_parentLength = 0; // of the path text of the deleted folder's own folder
    bool m_stop = false;
    std::string m_path;   // the folder being emptied: grown and cut as the walk goes down and up
    FolderHandle m_child; // the folder entryStep opened, until the walk takes it
};

} // namespace

FolderDeleteResult deleteFolderTree(const ListedEntry& folder, bool recycle,
                                    const FolderDeleteProgress& progress,
                                    const FolderDeleteFileHook& onFile) {
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
    TreeDelete walk(recycle, result, progress, onFile);
    walk.run(parent, std::move(top), folder.name);
    result.completed = !walk.stopped();
    return result;
}

QString FilesLeftSummary(const FolderDeleteResult& result, bool recycle) {
    QStringList parts;
    if (result.filesLeft > 0)
        parts << FilesStayedText(result.filesLeft, recycle);
    if (result.foldersLeft > 0) {
        const bool one = result.foldersLeft == 1;
        parts << FormatThousands(result.foldersLeft) +
                     (one ? QStringLiteral(
                                " folder could not be emptied or removed and stayed with what is in it.")
                          : QStringLiteral(
                                " folders could not be emptied or removed and stayed with what is in them."));
    }
    return parts.join(u' ');
}

QString FilesLeftNote(const FolderDeleteResult& result, bool recycle) {
    if (result.left.empty())
        return {};
    const FilesLeft::Item& first = result.left.kept().front();
    return FilesLeftSummary(result, recycle) + QStringLiteral("\n\nThe first one:\n") +
           DisplayText(first.path) + u'\n' + first.reason;
}
