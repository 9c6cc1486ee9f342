// SPDX-License-Identifier: GPL-3.0-or-later
// TfrmBrowse: what the user does with the listing: marks, sorts, the wildcard, the deletes, Run,
// View and closing; and the finder windows' hand-off.
#include "browse/ui/TfrmBrowse.h"

#include "browse/FolderTreeModel.h"
#include "common/DisplayText.h"
#include "common/GridSorts.h"
#include "common/MessageService.h"
#include "common/StringGridModel.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/DpiScale.h"
#include "common/ui/FinderPopupMenu.h"
#include "common/ui/ResultGridView.h"
#include "common/ui/TfrmWildCard.h"
#include "delete/ListedFileRemoval.h"
#include "delete/ui/FolderDeleteRun.h"
#include "platform/AppError.h"

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <algorithm>

namespace {
const QString kRootRefusal =
    QStringLiteral("Cannot delete the root folder! To delete a folder including all files and sub-folders double "
                   "click on the desired folder shown in the left panel.");
} // namespace

int TfrmBrowse::selectedKeyRow() const {
    const int row = grid->currentGridRow();
    // The blank row of an empty folder names no file.
    return row >= 1 && m_model->isKeyRow(row) && !m_model->cellText(row, FolderFileList::Filename).isEmpty() ? row : 0;
}

void TfrmBrowse::showMarks() {
    pnlScan->setText(QStringLiteral("Marked for deletion: ") + m_marked.totalsText());
    m_binFull = m_marked.count() >= 1;
    btDeleteFiles->setIcon(m_binFull ? imTrashFul : imTrash);
}

void TfrmBrowse::deleteOneFile(int row) {
    if (!m_model->isKeyRow(row))
        return;
    // The mark is of the listed file itself (its exact name bytes and identity), never of a name
    // read back from the Filename cell.
    m_marked.toggle(*m_model, row, [this](std::uint32_t key) { return m_files.entry(key); });
    showMarks();
}

void TfrmBrowse::btMarkClick() {
    if (const int row = selectedKeyRow()) {
        deleteOneFile(row);
        if (row < m_model->gridRowCount() - 1)
            grid->setCurrentGridRow(row + 1);
    }
    btDeleteFiles->setEnabled(m_marked.count() > 0);
}

void TfrmBrowse::gridDblClick() {
    if (const int row = selectedKeyRow())
        deleteOneFile(row);
    btDeleteFiles->setEnabled(m_marked.count() > 0);
}

void TfrmBrowse::applySort(QAction* item) {
    const int last = m_model->gridRowCount() - 1;
    if (item == Sortbyname1)
        SortGridByText(*m_model, 1, last, false, FolderFileList::Filename);
    else if (item == SortbyDate1)
        SortGridByDate(*m_model, 1, last, true, FolderFileList::Modified);
    else if (item == SortbyAccessDate)
        SortGridByDate(*m_model, 1, last, true, FolderFileList::Access);
    else if (item == SortbySize1)
        SortGridByNumber(*m_model, 1, last, true, FolderFileList::Size);
    else if (item == SortbyType1)
        SortGridByText(*m_model, 1, last, false, FolderFileList::Type);
}

void TfrmBrowse::Sortbyname1Click(QAction* item) {
    if (m_model->gridRowCount() < 2)
        return;
    BusyCursor busy;
    PopupMenu1->checkSortItem(nullptr);
    applySort(item);
    PopupMenu1->checkSortItem(item);
}

void TfrmBrowse::btSortClick() {
    // Just above the button bar, at the Sort button.
    PopupMenu1->popup(mapToGlobal(QPoint(btSort->x(), Panel2->y() + btSort->y() - Scaled(70, m_scale))));
}

void TfrmBrowse::pnlScanClick() {
    TfrmWildCard picker(this);
    picker.setPattern(m_mask);
    if (picker.exec() == TfrmWildCard::mrOK) {
        m_mask = picker.pattern();
        DirectoryListBox1Change();
    }
    pnlWild->setText(QStringLiteral("Wildcard : ") + m_mask);
}

void TfrmBrowse::btDeleteFilesClick() {
    if (m_marked.count() <= 0)
        return;
    // Cancel deletes nothing, so the marks stay, as in the finders; after a run the files that went
    // are gone from the list, and the marks with them.
    if (ConfirmMarkedDelete(this, m_marked, m_deleteConfirmation, JournalTool::Browser) == QDialog::Accepted)
        DirectoryListBox1Change();
}

void TfrmBrowse::btDeleteDirectoryClick() {
    if (!m_folder.handle.valid())
        return;
    // The folder as it was listed in its parent, judged by identity, never by its path text.
    const ListedEntry folder = m_folder.self;
    if (m_folder.isDriveRoot() || folder.name.empty()) {
        ShowErrorMessage(kRootRefusal);
        return;
    }
    if (RefuseProtectedFolder(folder, kRootRefusal))
        return;
    const std::optional<bool> recycle = AskFolderDelete(this, folder);
    if (!recycle)
        return;
    // The parent is browsed from now on: the folder is about to go.
    m_names.pop_back();
    RemoveConfirmedFolder(folder, *recycle, JournalTool::Browser);
    DirectoryListBox1Change();
}

void TfrmBrowse::Refresh1Click() {
    const QModelIndex folder = DirectoryListBox1->currentIndex();
    if (!folder.isValid())
        return;
    const std::vector<std::string> names = m_tree->namesOf(folder);
    // Listed again in the folder above too, so that one gone or replaced by a link shows as it is.
    if (folder.parent().isValid())
        m_tree->refresh(folder.parent());
    m_tree->refresh(folder);
    // The browsed folder lies in it: its files again (one gone gives way to the nearest above).
    if (m_names.size() >= names.size() && std::equal(names.begin(), names.end(), m_names.begin()))
        DirectoryListBox1Change();
}

void TfrmBrowse::refreshAll() {
    m_tree->setRoot(m_drives[std::size_t(m_drive)].mountPoint);
    DirectoryListBox1Change();
}

void TfrmBrowse::btViewClick() {
    const int row = selectedKeyRow();
    if (!row || !m_viewHandOff)
        return;
    m_viewHandOff(this, m_files.path(m_model->keyOf(row)));
}

void TfrmBrowse::btLaunchClick() {
    const int row = selectedKeyRow();
    if (!row)
        return;
    const std::uint32_t key = m_model->keyOf(row);
    const ListedEntry file = m_files.entry(key);
    // The desktop opens the file with the application it associates with its type; this program
    // never runs the file itself, whatever its mode. A file that is gone or changed is not handed on.
    const FileOpener& open = m_opener ? m_opener : FileOpener(&QDesktopServices::openUrl);
    if (!ListedFileSizeNow(file) || !open(FileUrl(file.path())))
        ShowErrorMessage(QStringLiteral("Couldn't run ") + DisplayText(file.name));
}

void TfrmBrowse::reject() {
    if (m_marked.count() > 0 &&
        AskYesNo(QStringLiteral("You have %1 files marked for deletion. Do you really wish to exit without deleting?")
                     .arg(m_marked.count())) != MessageAnswer::Yes)
        return;
    QDialog::reject();
}

void OpenFolderBrowser(QWidget* parent, const std::string& folder, const std::string& name, const QString& mask) {
    TfrmBrowse browser(parent);
    int error = 0;
    if (!browser.setFolder(folder, &error) && name.empty()) {
        ShowErrorMessage(QStringLiteral("Can't open folder ") + DisplayText(folder) + u'\n' + RemovalReason(error));
        return;
    }
    try {
        if (!name.empty())
            browser.selectFile(name);
    } catch (const AppError& e) {
        // What the general error handler would show; the browser is not opened.
        ShowErrorMessage(e.text());
        return;
    }
    browser.setMask(mask);
    browser.exec();
}
