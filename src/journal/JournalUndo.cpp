// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/JournalUndo.h"

#include "common/DisplayText.h"
#include "common/NumberTexts.h"
#include "journal/DeleteJournal.h"
#include "journal/JournalRun.h"
#include "platform/LockWithin.h"
#include "platform/Trash.h"
#include "platform/UniqueFd.h"

#include <QStringList>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unordered_map>

namespace {

QString countText(std::int64_t n, const char* one, const char* many) {
    return FormatThousands(n) + QLatin1Char(' ') + QString::fromLatin1(n == 1 ? one : many);
}
QString filesText(std::int64_t n) {
    return countText(n, "file", "files");
}
QString foldersText(std::int64_t n) {
    return countText(n, "folder", "folders");
}
QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Where missing folders on the way are made, and how many were.
struct FolderMaking {
    mode_t mode = 0777; // the umask decides the rest, as for any new folder
    std::int64_t* made = nullptr;
};

// Opens the folder part of current, making it when making says so and it is missing; a link or
// anything else that is no folder in its place is refused (EMLINK), as is a mount that was not there
// when the file was listed.
// A name of one entry of a folder (the journal is a file like any other: it is not trusted).
bool isEntryName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

FolderHandle stepDown(const FolderHandle& current, const std::string& part, const FolderMaking* making) {
    if (!isEntryName(part))
        return FolderHandle::failed(current.childPath(part), EINVAL);
    FolderHandle child = FolderHandle::openChild(current, part);
    if (!child.valid() && child.error() == ENOENT && making) {
        // Made with its old name.
        if (::mkdirat(current.fd(), part.c_str(), making->mode) == 0) {
            if (making->made)
                ++*making->made;
            child = FolderHandle::openChild(current, part);
        } else if (errno == EEXIST) {
            child = FolderHandle::openChild(current, part);
        }
    }
    if (!child.valid())
        return FolderHandle::failed(current.childPath(part),
                                    child.error() == ELOOP || child.error() == ENOTDIR ? EMLINK
                                                                                       : child.error());
    if (child.isMountRoot() || child.device() != current.device())
        return FolderHandle::failed(child.path(), EXDEV);
    return child;
}

FolderHandle walkDown(FolderHandle current, std::string_view path, const FolderMaking* making) {
    while (current.valid() && !path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string part(path.substr(0, slash));
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        if (part.empty() || part == ".")
            continue;
        current = stepDown(current, part, making);
    }
    return current;
}

QString unreachableText(const FolderHandle& folder) {
    switch (folder.error()) {
    case EMLINK:
        return QStringLiteral("its folder ") + DisplayText(folder.path()) +
               QStringLiteral(" is a symbolic link or no folder now; nothing was restored there");
    case EXDEV:
        return QStringLiteral("another filesystem is mounted on its folder ") + DisplayText(folder.path()) +
               QStringLiteral(" now");
    default:
        return QStringLiteral("its folder ") + DisplayText(folder.path()) +
               QStringLiteral(" cannot be reached: ") + errnoText(folder.error());
    }
}

// The folder below root that held an entry of the journal, reached from the root as the user named
// it while that is still the root that was scanned, otherwise the same path from "/", where no link
// is followed.
FolderHandle reopenFolder(const std::string& rootPath, const EntryIdentity& rootIdentity,
                          const std::string& below, const FolderMaking* making, QString* why) {
    FolderHandle folder;
    FolderHandle root = FolderHandle::open(rootPath);
    if (root.valid() && root.identity() == rootIdentity)
        folder = walkDown(std::move(root), below, making);
    else if (rootPath.empty() || rootPath[0] != '/')
        folder = FolderHandle::failed(rootPath, EINVAL);
    else
        folder = walkDown(walkDown(FolderHandle::open("/"), rootPath, making), below, making);
    if (!folder.valid() && why)
        *why = unreachableText(folder);
    return folder;
}

// One undo of one run, holding the run's lock throughout.
class Undo {
public:
    Undo(const JournalRun& run, int notes, UndoReport& report, const UndoProgress& progress)
        : m_run(run), m_notes(notes), m_report(report), m_progress(progress),
          m_total(std::int64_t(run.fileCount() + run.folderCount())) {}

    void run() {
        makeFolders();
        putFilesBack();
        settleFolders();
    }

private:
    bool going() {
        if (m_report.stopped)
            return false;
        if (m_progress && !m_progress(m_done, m_total))
            m_report.stopped = true;
        ++m_done;
        return !m_report.stopped;
    }

    // Notes what came of a file or folder; a journal that cannot note it any more stops the undo,
    // so that nothing comes back unrecorded but the entry at hand.
    void note(std::int64_t seq, bool restored, const QString& reason) {
        if (m_journalError != 0)
            return;
        JournalRestoreRecord record;
        record.seq = seq;
        record.time = std::int64_t(std::time(nullptr));
        record.restored = restored;
        record.reason = reason.toStdString();
        m_journalError = DeleteJournal::appendLineLocked(m_notes, EncodeJournalLine(record));
        if (m_journalError != 0) {
            m_report.journalFailure = QStringLiteral("The journal could not note what came back: ") +
                                      DeleteJournal::JournalErrorText(m_journalError);
            m_report.stopped = true;
        }
    }

    void folderLeft(const JournalFolderRecord& folder, const QString& why) {
        ++m_report.foldersLeft;
        m_report.left.add(folder.path(), why);
        note(folder.seq, false, why);
    }

    // The removed folders that are missing are made again, outermost first (the reverse of the order
    // they went in), private (0700) until they are filled and settled.
    void makeFolders() {
        if (m_run.folderCount() == 0)
            return;
        const FolderMaking onTheWay{0777, &m_report.foldersMade};
        for (std::size_t i = m_run.folderCount(); i-- > 0;) {
            if (m_run.folderRestoreState(i) == JournalRun::Restore::Restored)
                continue;
            if (!going())
                return;
            const JournalFolderRecord folder = m_run.folder(i);
            QString why;
            const FolderHandle parent =
                reopenFolder(folder.root, folder.rootIdentity, folder.folder, &onTheWay, &why);
            if (!parent.valid()) {
                folderLeft(folder, why);
                continue;
            }
            const bool missing =
                isEntryName(folder.name) && ::mkdirat(parent.fd(), folder.name.c_str(), 0700) == 0;
            const int makeError = missing ? 0 : errno;
            const FolderHandle made = stepDown(parent, folder.name, nullptr);
            if (!made.valid()) {
                folderLeft(
                    folder,
                    made.error() == EMLINK
                        ? QStringLiteral("a symbolic link or something that is no folder took its name")
                    : made.error() == EXDEV
                        ? QStringLiteral("another filesystem is mounted there now")
                        : QStringLiteral("it could not be made again: ") +
                              errnoText(makeError != 0 && makeError != EEXIST ? makeError : made.error()));
                continue;
            }
            if (!missing) {
                note(folder.seq, true, {}); // there again already: not ours to change
                continue;
            }
            ++m_report.foldersMade;
            m_made.emplace(i, made.identity());
        }
    }

    // A file that is no longer in the trash but is where it was, as it went, came back before (an
    // undo whose note was lost, or a file manager's restore): it is no file lost.
    static bool backAlready(const FolderHandle& folder, const JournalFileRecord& file) {
        FsEntry now;
        return StatEntry(folder, file.name, now, false) == 0 && !S_ISDIR(now.mode) &&
               EntryIdentity{now.device, now.inode} == file.identity && now.size == file.size;
    }

    void putFilesBack() {
        const FolderMaking onTheWay{0777, &m_report.foldersMade};
        for (std::size_t i = 0; i < m_run.fileCount(); ++i) {
            const JournalFileRecord file = m_run.file(i);
            if (file.outcome != JournalOutcome::Trashed)
                continue;
            ++m_report.trashed;
            if (m_run.restoreState(i) == JournalRun::Restore::Restored) {
                ++m_report.earlier;
                continue;
            }
            if (!going())
                continue; // the rest are counted, not tried
            QString why;
            const FolderHandle folder =
                reopenFolder(file.root, file.rootIdentity, file.folder, &onTheWay, &why);
            TrashOutcome outcome = folder.valid() ? Trash::restoreFromTrash(file.trashFolder, file.trashName,
                                                                            file.identity, folder, file.name)
                                                  : TrashOutcome{folder.error(), why, {}, {}};
            if (outcome.error == ENOENT && folder.valid() && backAlready(folder, file)) {
                ++m_report.earlier;
                note(file.seq, true, {});
                continue;
            }
            if (outcome.ok())
                ++m_report.restored;
            else
                m_report.left.add(file.path(), outcome.reason);
            note(file.seq, outcome.ok(), outcome.reason);
        }
    }

    // Each folder made again takes its owner, mode and times, innermost first (so a folder that its
    // mode closes is settled after everything in it), once all that comes back is in it.
    void settleFolders() {
        for (std::size_t i = 0; i < m_run.folderCount(); ++i) {
            const auto made = m_made.find(i);
            if (made == m_made.end())
                continue;
            const JournalFolderRecord folder = m_run.folder(i);
            QString why;
            const FolderHandle parent =
                reopenFolder(folder.root, folder.rootIdentity, folder.folder, nullptr, &why);
            const FolderHandle handle =
                parent.valid() ? stepDown(parent, folder.name, nullptr) : FolderHandle();
            if (!parent.valid() || !handle.valid() || handle.identity() != made->second) {
                folderLeft(folder, parent.valid()
                                       ? QStringLiteral("it was changed by another program before its "
                                                        "mode and times were set")
                                       : why);
                continue;
            }
            struct stat st {};
            // The owner only where this may give it (root); someone else's folder stays ours otherwise.
            if (::fstat(handle.fd(), &st) == 0 && (st.st_uid != folder.owner || st.st_gid != folder.group))
                (void)::fchown(handle.fd(), folder.owner, folder.group);
            const timespec times[2] = {folder.accessed, folder.modified};
            if (::fchmod(handle.fd(), mode_t(folder.mode) & 07777) != 0 ||
                ::futimens(handle.fd(), times) != 0) {
                folderLeft(folder,
                           QStringLiteral("its mode and times could not be set: ") + errnoText(errno));
                continue;
            }
            note(folder.seq, true, {});
        }
    }

    const JournalRun& m_run;
    int m_notes;
    UndoReport& m_report;
    const UndoProgress& m_progress;
    std::int64_t m_total;
    std::int64_t m_done = 0;
    int m_journalError = 0;
    std::unordered_map<std::size_t, EntryIdentity> m_made; // folder records made now, by index
};

} // namespace

FolderHandle ReopenOriginalFolder(const JournalFileRecord& file, QString* why, std::int64_t* made) {
    const FolderMaking making{0777, made};
    return reopenFolder(file.root, file.rootIdentity, file.folder, &making, why);
}

UndoReport UndoRun(std::int64_t id, const UndoProgress& progress) {
    UndoReport report;
    report.run = id;
    const DeleteJournal journal = DeleteJournal::open(false);
    if (!journal.valid()) {
        report.error = journal.error();
        report.errorText = QStringLiteral("the journal cannot be read: ") + journal.reason();
        return report;
    }
    // The run's file, open to note what comes back and locked for the whole undo: a second undo of
    // the run waits for this one (a while), then reads what this one did, so nothing is tried twice.
    UniqueFd notes;
    int error = journal.openRun(id, true, notes);
    if (error == 0)
        error = LockExclusiveBefore(notes.get(), std::chrono::steady_clock::now() + DeleteJournal::lockWait);
    std::string text;
    if (error == 0)
        error = DeleteJournal::readOpenRun(notes.get(), text);
    if (error != 0) {
        report.error = error;
        report.errorText =
            error == ENOENT ? QStringLiteral("there is no run %1 in the journal").arg(id)
            : error == kLockTimedOut
                ? QStringLiteral("run %1 is being undone by another program (or is still being written); "
                                 "try again when that is done")
                      .arg(id)
                : QStringLiteral("run %1 cannot be read: ").arg(id) + DeleteJournal::JournalErrorText(error);
        return report;
    }
    const JournalRun run = JournalRun::parse(id, std::move(text));
    if (!run.ok()) {
        report.error = run.error();
        report.errorText = QStringLiteral("run %1 cannot be read: ").arg(id) + run.errorText();
        return report;
    }
    report.brokenLines = run.brokenCount();
    if (!run.header().recycle) {
        report.permanent = true;
        return report;
    }
    report.folders = std::int64_t(run.folderCount());
    Undo(run, notes.get(), report, progress).run();
    return report; // the lock goes with the descriptor
}

QString UndoSummary(const UndoReport& report) {
    if (report.error != 0)
        return QStringLiteral("Nothing was restored: ") + report.errorText + u'.';
    if (report.permanent)
        return QStringLiteral(
                   "Nothing to restore: run %1 deleted its files for good, not into the recycle bin.")
            .arg(report.run);
    if (report.trashed == 0 && report.folders == 0)
        return QStringLiteral("Nothing to restore: run %1 sent no file to the recycle bin.").arg(report.run);
    QStringList parts;
    if (report.trashed > 0 || report.foldersMade == 0)
        parts << filesText(report.restored) + (report.restored == 1
                                                   ? QStringLiteral(" was put back where it was.")
                                                   : QStringLiteral(" were put back where they were."));
    if (report.foldersMade > 0)
        parts << foldersText(report.foldersMade) + (report.foldersMade == 1
                                                        ? QStringLiteral(" was made again.")
                                                        : QStringLiteral(" were made again."));
    if (report.earlier > 0)
        parts << filesText(report.earlier) + QStringLiteral(" had been put back before.");
    if (const std::int64_t files = report.left.count() - report.foldersLeft; files > 0)
        parts << filesText(files) + QStringLiteral(" could not come back.");
    if (report.foldersLeft > 0)
        parts << foldersText(report.foldersLeft) + QStringLiteral(" could not be made again as they were.");
    if (report.stopped)
        parts << QStringLiteral("Stopped before the end.");
    if (report.brokenLines > 0)
        parts << FormatThousands(report.brokenLines) +
                     QStringLiteral(" damaged lines of the journal were skipped; their files are not known.");
    if (!report.journalFailure.isEmpty())
        parts << report.journalFailure + u'.';
    return parts.join(u' ');
}
