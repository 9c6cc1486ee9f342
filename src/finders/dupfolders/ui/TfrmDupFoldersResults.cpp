// SPDX-License-Identifier: GPL-3.0-or-later
// TfrmDupFolders: what the window does with a result: sorts, the report, the clipboard, the browser
// hand-off and the delete of a copy.
#include "finders/dupfolders/ui/TfrmDupFolders.h"

#include "common/GridSorts.h"
#include "common/MessageService.h"
#include "common/StringGridModel.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/CopyLinesToClipboard.h"
#include "common/ui/DriveBoxPanel.h"
#include "common/ui/FinderPopupMenu.h"
#include "common/ui/PrintGrid.h"
#include "common/ui/ResultGridView.h"
#include "delete/ui/FolderDeleteRun.h"
#include "folderhogs/FolderRowSort.h"

#include <QAction>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <numeric>

namespace {
const QString kDeleted = QStringLiteral("DELETED");
const QString kRecycled = QStringLiteral("RECYCLED");
} // namespace

bool TfrmDupFolders::isGone(std::uint32_t key) const {
    return key < m_gone.size() && m_gone[key];
}

void TfrmDupFolders::markFolderGone(int row, std::uint32_t key, const QString& how) {
    if (key < m_gone.size())
        m_gone[key] = true;
    m_model->setCellText(row, 1, how);
    showSummary(); // the extra copies are fewer now
}

QStringList TfrmDupFolders::lb() const {
    QStringList lines;
    const std::size_t count = m_engine->resultCount();
    for (std::size_t i = 0; i < count; ++i) {
        if (!isGone(std::uint32_t(i)))
            lines << m_engine->resultLine(i);
        if (i + 1 == count || m_engine->resultGroup(i + 1) != m_engine->resultGroup(i))
            if (!lines.isEmpty() && !lines.back().isEmpty())
                lines << QString();
    }
    return lines;
}

void TfrmDupFolders::SortbyGroup1Click(QAction* item) {
    if (m_model->gridRowCount() < 2)
        return;
    PopupMenu1->checkSortItem(nullptr);
    {
        BusyCursor busy;
        const int last = m_model->gridRowCount() - 1;
        if (item == SortbyGroup1) {
            // The result order: the keys are result numbers.
            std::vector<int> order(static_cast<std::size_t>(last));
            std::iota(order.begin(), order.end(), 1);
            std::stable_sort(order.begin(), order.end(),
                             [this](int a, int b) { return m_model->keyOf(a) < m_model->keyOf(b); });
            m_model->reorderRows(1, last, order);
        } else if (item == SortbySize1) {
            SortFolderRowsBySize(*m_model, 1, last,
                                 [this](std::uint32_t key) { return m_engine->resultBytes(key); });
        } else if (item == Sortbyfiles1) {
            SortGridByNumber(*m_model, 1, last, true, 2);
        } else if (item == SortbyName1) {
            SortGridByText(*m_model, 1, last, false, 4);
        }
    }
    PopupMenu1->checkSortItem(item);
}

void TfrmDupFolders::btSortClick() {
    PopupMenu1->popup(FinderPopupMenu::sortButtonPosition(btSort));
}

QString TfrmDupFolders::printTitle() const {
    return QStringLiteral("Duplicate folders on drive(s) ") + pnlDrives->tickedCaptionList();
}

void TfrmDupFolders::printTo(QPrinter& printer) {
    PrintGrid(*m_model, grid->columnWidths(), printTitle(), printer);
}

void TfrmDupFolders::btPrintClick() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        printTo(printer);
}

void TfrmDupFolders::btClipClick() {
    CopyLinesToClipboard(lb());
}

void TfrmDupFolders::btBrowseClick() {
    const int row = grid->currentGridRow();
    if (row < 1 || row > m_rowsFilled || !m_browseHandOff)
        return;
    const std::uint32_t key = m_model->keyOf(row);
    if (isGone(key))
        return; // nothing left there to browse
    m_browseHandOff(this, m_engine->resultPath(key), std::string(), QStringLiteral("*.*"));
}

bool TfrmDupFolders::deleteGuard(std::uint32_t key) {
    // The copies that would be left: the group's other folders still there, a subset's holders for
    // a subset (a holder has more than the subset, so it is never the last of anything).
    const DupFolderEngine::Role role = m_engine->resultRole(key);
    if (role == DupFolderEngine::Role::Holder)
        return true;
    std::size_t left = 0;
    for (std::size_t i = 0; i < m_engine->resultCount(); ++i)
        if (i != key && m_engine->resultGroup(i) == m_engine->resultGroup(key) && !isGone(std::uint32_t(i)) &&
            m_engine->resultStillThere(i))
            ++left;
    if (left == 0)
        return AskYesNo(
                   QStringLiteral("No other copy of this folder is left. Delete the last copy anyway?")) ==
               MessageAnswer::Yes;
    if (role == DupFolderEngine::Role::Copy && m_engine->resultFreed(key) == 0 &&
        m_engine->resultBytes(key) > 0)
        return AskYesNo(
                   QStringLiteral("Its files are hard links of another copy's files: deleting it frees no "
                                  "space. Delete it anyway?")) == MessageAnswer::Yes;
    return true;
}

void TfrmDupFolders::btDeleteClick() {
    const int row = grid->currentGridRow();
    if (row < 1 || row > m_rowsFilled)
        return;
    const std::uint32_t key = m_model->keyOf(row);
    const QString size = m_model->cellText(row, 1);
    if (isGone(key) || size == kDeleted || size == kRecycled) {
        ShowErrorMessage(QStringLiteral("Folder already deleted/recycled"));
        return;
    }
    // The folder as the scan saw it: its exact path bytes and its identity, never a path read back
    // from the display text.
    const ListedEntry folder = m_engine->resultEntry(key);
    const QString rootRefused = QStringLiteral("You cannot delete the root folder using Vantorel 95");
    if (m_engine->resultIsRoot(key) || folder.name.empty()) {
        ShowErrorMessage(rootRefused);
        return;
    }
    if (RefuseProtectedFolder(folder, rootRefused) || !deleteGuard(key))
        return;
    const std::optional<bool> recycle = AskFolderDelete(this, folder);
    if (!recycle)
        return;
    const FolderDeleteOutcome outcome = RemoveConfirmedFolder(folder, *recycle, JournalTool::DuplicateFolders);
    // The row says "gone" only when the folder really is; an empty folder reads "DELETED" either way.
    if (outcome.removedEmpty)
        markFolderGone(row, key, kDeleted);
    else if (outcome.gone)
        markFolderGone(row, key, *recycle ? kRecycled : kDeleted);
}
