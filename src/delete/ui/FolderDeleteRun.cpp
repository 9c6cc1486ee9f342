// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/ui/FolderDeleteRun.h"

#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "common/NumberTexts.h"
#include "delete/DeletionTotals.h"
#include "delete/ListedFileRemoval.h"
#include "delete/ProtectedFolders.h"
#include "delete/ui/TfrmDelDirectory.h"
#include "platform/AppError.h"
#include "platform/ListedFolder.h"

#include <QDialog>
#include <cerrno>

namespace {

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
    confirmation.setFolder(folder.path());
    if (confirmation.exec() != QDialog::Accepted)
        return std::nullopt;
    return confirmation.recycleChosen();
}

FolderDeleteOutcome RemoveConfirmedFolder(const ListedEntry& folder, bool recycle, bool recordTotals) {
    FolderDeleteOutcome outcome;
    // An empty folder goes at once, also when the trash was chosen: there is nothing to keep.
    if (RemoveListedEmptyFolder(folder) == 0) {
        outcome.removedEmpty = outcome.gone = true;
        return outcome;
    }
    const FolderDeleteResult& result = outcome.result = deleteFolderTree(folder, recycle);
    const QString shown = DisplayText(folder.path());
    if (result.error != 0) {
        ShowErrorMessage(QStringLiteral("Couldn't delete folder - ") + shown + u'\n' + RefusalReason(result.error));
        return outcome;
    }

    QString note;
    // The folder is said to be gone only when it really is.
    outcome.gone = result.completed && FolderIsGone(folder);
    if (!result.completed)
        note = QStringLiteral(" (Note: Deletion operation canceled ... not all files deleted)");
    QString left = FilesLeftNote(result, recycle);
    if (result.completed && !outcome.gone && left.isEmpty())
        left = QStringLiteral("The folder itself stayed: something in it could not be removed.");

    if (result.files > 0) {
        if (recordTotals)
            RecordTotals(result, recycle);
        ShowInfoMessage((recycle ? QStringLiteral("Recycled ") : QStringLiteral("Deleted ")) +
                        FormatThousands(result.files) + QStringLiteral(" files for a savings of ") +
                        FormatThousands(result.bytes) + QStringLiteral(" bytes.") + note +
                        (left.isEmpty() ? QString() : QStringLiteral("\n\n") + left));
    } else if (!left.isEmpty()) {
        // Nothing went, yet the folder is still there: that is no success to keep quiet about.
        ShowErrorMessage(QStringLiteral("Couldn't delete folder - ") + shown + u'\n' + left);
    }
    return outcome;
}
