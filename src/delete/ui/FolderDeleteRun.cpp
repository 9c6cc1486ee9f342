// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/ui/FolderDeleteRun.h"

#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "common/NumberTexts.h"
#include "delete/DeletionTotals.h"
#include "delete/ListedFileRemoval.h"
#include "delete/ProtectedFolders.h"
#include "delete/ui/DeleteRunPacer.h"
#include "delete/ui/DeleteWindowLayout.h"
#include "delete/ui/TfrmDelDirectory.h"
#include "delete/ui/TfrmDeleteProgress.h"
#include "delete/ui/TfrmFilesLeft.h"
#include "journal/JournalWriter.h"
#include "platform/AppError.h"
#include "platform/ListedFolder.h"

#include <QDialog>
#include <cerrno>
#include <memory>

namespace {

int g_showProgressAfterMs = 1000;
int g_progressYieldMs = 15;

// The folder delete's progress hook: nothing for the first second (no event is handled, so nothing
// else can start meanwhile), then the progress window, over everything, with the event loop run
// every few milliseconds.
class ProgressWatch {
public:
    ProgressWatch(const ListedEntry& folder, bool recycle, const bool& stop)
        : m_folder(folder), m_recycle(recycle), m_stop(stop), m_pacer(g_progressYieldMs) {}

    bool operator()(const FolderDeleteResult& sofar) {
        if (m_stop)
            return false;
        if (!m_window) {
            if (m_pacer.elapsedMs() < g_showProgressAfterMs)
                return true;
            m_window = std::make_unique<TfrmDeleteProgress>(nullptr, m_folder.path(), m_recycle);
            m_window->setFigures(sofar);
            centreOnScreen(m_window.get());
            m_window->show();
        }
        m_window->setFigures(sofar);
        m_pacer.yield();
        return !m_window->stopAsked();
    }

private:
    const ListedEntry& m_folder;
    bool m_recycle;
    const bool& m_stop; // the run must stop (its journal failed)
    DeleteRunPacer m_pacer;
    std::unique_ptr<TfrmDeleteProgress> m_window;
};

// Why the folder itself was left alone, as the second line of the message.
QString RefusalReason(int error) {
    switch (error) {
    case ENOENT:
        return QStringLiteral("it is no longer there (another program may have deleted or moved it)");
    case EPERM:
        return QStringLiteral("it is a drive's root or a system folder");
    default:
        return RemovalReason(error);
    }
}

// The listed folder is gone from where it was listed (not merely changed or out of reach).
bool FolderIsGone(const ListedEntry& folder) {
    const FolderHandle parent = OpenListedFolder(folder);
    return parent.valid() && CheckListedFile(parent, folder) == ENOENT;
}

void RecordTotals(const FolderDeleteResult& result, bool recycle) {
    try {
        if (recycle)
            DeletionTotals::addDeletionTotals(0, 0, result.files, result.bytes);
        else
            DeletionTotals::addDeletionTotals(result.files, result.bytes, 0, 0);
    } catch (const AppError& error) {
        // The files are gone whatever the totals file does: say what was not recorded.
        ShowErrorMessage(error.text() + QStringLiteral("\n\nNot recorded in the totals: ") +
                         FormatThousands(result.files) +
                         (result.files == 1 ? QStringLiteral(" file and ") : QStringLiteral(" files and ")) +
                         FormatThousands(result.bytes) +
                         (recycle ? QStringLiteral(" bytes sent to the recycle bin.") : QStringLiteral(" bytes deleted.")));
    }
}

} // namespace

bool RefuseProtectedFolder(const ListedEntry& folder, const QString& rootRefusal) {
    const EntryIdentity parent = folder.folder.empty() ? folder.rootIdentity : folder.folderIdentity;
    switch (ProtectionOf(folder.identity, parent, folder.name)) {
    case FolderProtection::DriveRoot:
        ShowErrorMessage(rootRefusal);
        return true;
    case FolderProtection::SystemFolder:
        ShowErrorMessage(QStringLiteral("You cannot delete the system folder using Vantorel 95"));
        return true;
    case FolderProtection::None:
        break;
    }
    return false;
}

std::optional<bool> AskFolderDelete(QWidget* parent, const ListedEntry& folder) {
    TfrmDelDirectory confirmation(parent);
    confirmation.setListedFolder(folder);
    if (confirmation.exec() != QDialog::Accepted)
        return std::nullopt;
    return confirmation.recycleChosen();
}

FolderDeleteOutcome RemoveConfirmedFolder(const ListedEntry& folder, bool recycle, JournalTool tool) {
    FolderDeleteOutcome outcome;
    JournalWriter journal = JournalWriter::begin(tool, recycle, folder.path());
    // An empty folder goes at once, also when the trash was chosen: there is nothing to keep.
    if (RemoveListedEmptyFolder(folder) == 0) {
        outcome.removedEmpty = outcome.gone = true;
        journal.end(0, false);
        if (journal.failed())
            ShowWarningMessage(journal.failure());
        return outcome;
    }
    const QString shown = DisplayText(folder.path());
    // What goes to the bin is to be put back from the journal: no record, no run, and a record that
    // fails stops the run.
    if (recycle && !journal.openNow()) {
        ShowErrorMessage(QStringLiteral("Couldn't delete folder - ") + shown + u'\n' + journal.refusal());
        return outcome;
    }
    bool journalLost = false;
    {
        ProgressWatch watch(folder, recycle, journalLost);
        outcome.result =
            deleteFolderTree(folder, recycle, std::ref(watch), [&](const FolderDeleteFile& file) {
                journal.file(folder, file);
                journalLost = recycle && journal.failed();
            });
    }
    const FolderDeleteResult& result = outcome.result;
    if (result.error != 0) {
        ShowErrorMessage(QStringLiteral("Couldn't delete folder - ") + shown + u'\n' + RefusalReason(result.error));
        return outcome;
    }
    journal.end(0, !result.completed);

    QString note;
    // The folder is said to be gone only when it really is.
    outcome.gone = result.completed && FolderIsGone(folder);
    if (!result.completed)
        note = QStringLiteral(" (Note: Deletion operation canceled ... not all files deleted)");
    QString left = FilesLeftNote(result, recycle);
    if (result.completed && !outcome.gone && left.isEmpty())
        left = QStringLiteral("The folder itself stayed: something in it could not be removed.");

    const QString went = (recycle ? QStringLiteral("Recycled ") : QStringLiteral("Deleted ")) +
                         FormatThousands(result.files) + QStringLiteral(" files for a savings of ") +
                         FormatThousands(result.bytes) + QStringLiteral(" bytes.") + note;
    if (result.files > 0)
        RecordTotals(result, recycle);
    if (result.left.count() > 1) {
        // Several stayed: all of them in one list.
        ShowFilesLeft(nullptr,
                      (result.files > 0 ? went : QStringLiteral("Couldn't delete folder - ") + shown) +
                          QStringLiteral("\n\n") + FilesLeftSummary(result, recycle),
                      result.left);
    } else if (result.files > 0) {
        ShowInfoMessage(went + (left.isEmpty() ? QString() : QStringLiteral("\n\n") + left));
    } else if (!left.isEmpty()) {
        // Nothing went, yet the folder is still there: that is no success to keep quiet about.
        ShowErrorMessage(QStringLiteral("Couldn't delete folder - ") + shown + u'\n' + left);
    }
    if (journal.failed())
        ShowWarningMessage(journalLost ? journal.stoppedReason() : journal.failure());
    return outcome;
}

void SetFolderDeleteProgressTiming(int showAfterMs, int yieldMs) {
    g_showProgressAfterMs = showAfterMs;
    g_progressYieldMs = yieldMs;
}
