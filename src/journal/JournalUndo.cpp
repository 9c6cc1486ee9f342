// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/JournalUndo.h"

#include "common/DisplayText.h"
#include "common/NumberTexts.h"
#include "journal/DeleteJournal.h"
#include "journal/JournalRun.h"
#include "platform/Trash.h"
#include "platform/UniqueFd.h"

#include <QStringList>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <sys/stat.h>

namespace {

QString filesText(std::int64_t n) {
    return FormatThousands(n) + (n == 1 ? QStringLiteral(" file") : QStringLiteral(" files"));
}

// Opens, or makes and opens, the folder part of current; a link or anything else that is no folder
// in its place is refused (EMLINK), as is a mount that was not there when the file was listed.
FolderHandle stepDown(const FolderHandle& current, const std::string& part) {
    if (part.empty() || part == "." || part == "..")
        return FolderHandle::failed(current.childPath(part), EINVAL);
    FolderHandle child = FolderHandle::openChild(current, part);
    if (!child.valid() && child.error() == ENOENT) {
        // Made with its old name; the umask decides its mode, as for any new folder.
        if (::mkdirat(current.fd(), part.c_str(), 0777) == 0 || errno == EEXIST)
            child = FolderHandle::openChild(current, part);
    }
    if (!child.valid())
        return FolderHandle::failed(current.childPath(part),
                                    child.error() == ELOOP || child.error() == ENOTDIR ? EMLINK
                                                                                       : child.error());
    if (child.isMountRoot() || child.device() != current.device())
        return FolderHandle::failed(child.path(), EXDEV);
    return child;
}

FolderHandle walkDown(FolderHandle current, std::string_view path) {
    while (current.valid() && !path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string part(path.substr(0, slash));
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        if (part.empty() || part == ".")
            continue;
        current = stepDown(current, part);
    }
    return current;
}

void noteRestore(int fd, std::int64_t seq, const TrashOutcome& outcome, int& journalError) {
    JournalRestoreRecord record;
    record.seq = seq;
    record.time = std::int64_t(std::time(nullptr));
    record.restored = outcome.ok();
    record.reason = outcome.reason.toStdString();
    if (fd >= 0 && journalError == 0)
        journalError = DeleteJournal::appendLine(fd, EncodeJournalLine(record));
}

} // namespace

FolderHandle ReopenOriginalFolder(const JournalFileRecord& file, QString* why) {
    FolderHandle folder;
    // The root as the user named it, links and all, while it is still the folder that was scanned;
    // otherwise the same path from "/", where no link is followed.
    FolderHandle root = FolderHandle::open(file.root);
    if (root.valid() && root.identity() == file.rootIdentity)
        folder = walkDown(std::move(root), file.folder);
    else if (file.root.empty() || file.root[0] != '/')
        folder = FolderHandle::failed(file.root, EINVAL);
    else
        folder = walkDown(walkDown(FolderHandle::open("/"), file.root), file.folder);
    if (!folder.valid() && why) {
        switch (folder.error()) {
        case EMLINK:
            *why = QStringLiteral("its folder ") + DisplayText(folder.path()) +
                   QStringLiteral(" is a symbolic link or no folder now; nothing was restored there");
            break;
        case EXDEV:
            *why = QStringLiteral("another filesystem is mounted on its folder ") +
                   DisplayText(folder.path()) + QStringLiteral(" now");
            break;
        default:
            *why = QStringLiteral("its folder ") + DisplayText(folder.path()) +
                   QStringLiteral(" cannot be reached: ") +
                   QString::fromLocal8Bit(std::strerror(folder.error()));
        }
    }
    return folder;
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
    const JournalRun run = JournalRun::read(journal, id);
    if (!run.ok()) {
        report.error = run.error();
        report.errorText = run.error() == ENOENT
                               ? QStringLiteral("there is no run %1 in the journal").arg(id)
                               : QStringLiteral("run %1 cannot be read: ").arg(id) + run.errorText();
        return report;
    }
    report.brokenLines = run.brokenCount();
    if (!run.header().recycle) {
        report.permanent = true;
        return report;
    }
    UniqueFd notes;
    int journalError = journal.openRun(id, true, notes);
    const std::int64_t total = std::int64_t(run.fileCount());
    for (std::size_t i = 0; i < run.fileCount(); ++i) {
        if (progress && !progress(std::int64_t(i), total)) {
            report.stopped = true;
            break;
        }
        const JournalFileRecord file = run.file(i);
        if (file.outcome != JournalOutcome::Trashed)
            continue;
        ++report.trashed;
        if (run.restoreState(i) == JournalRun::Restore::Restored) {
            ++report.earlier;
            continue;
        }
        QString why;
        const FolderHandle folder = ReopenOriginalFolder(file, &why);
        TrashOutcome outcome = folder.valid() ? Trash::restoreFromTrash(file.trashFolder, file.trashName,
                                                                        file.identity, folder, file.name)
                                              : TrashOutcome{folder.error(), why, {}, {}};
        if (outcome.ok())
            ++report.restored;
        else
            report.left.add(file.path(), outcome.reason);
        noteRestore(notes.valid() ? notes.get() : -1, file.seq, outcome, journalError);
    }
    if (journalError != 0)
        report.journalFailure = QStringLiteral("The journal could not note what came back: ") +
                                DeleteJournal::JournalErrorText(journalError);
    return report;
}

QString UndoSummary(const UndoReport& report) {
    if (report.error != 0)
        return QStringLiteral("Nothing was restored: ") + report.errorText + u'.';
    if (report.permanent)
        return QStringLiteral(
                   "Nothing to restore: run %1 deleted its files for good, not into the recycle bin.")
            .arg(report.run);
    if (report.trashed == 0)
        return QStringLiteral("Nothing to restore: run %1 sent no file to the recycle bin.").arg(report.run);
    QStringList parts;
    parts << filesText(report.restored) + (report.restored == 1
                                               ? QStringLiteral(" was put back where it was.")
                                               : QStringLiteral(" were put back where they were."));
    if (report.earlier > 0)
        parts << filesText(report.earlier) + QStringLiteral(" had been put back before.");
    if (!report.left.empty())
        parts << filesText(report.left.count()) + QStringLiteral(" could not come back.");
    if (report.stopped)
        parts << QStringLiteral("Stopped before the end.");
    if (report.brokenLines > 0)
        parts << FormatThousands(report.brokenLines) +
                     QStringLiteral(" damaged lines of the journal were skipped; their files are not known.");
    if (!report.journalFailure.isEmpty())
        parts << report.journalFailure + u'.';
    return parts.join(u' ');
}
