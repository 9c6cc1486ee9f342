// SPDX-License-Identifier: GPL-3.0-or-later
// TfrmDirHog: what the window does with a result: sorts, the report, the clipboard, the browser
// hand-off and the delete of a whole folder.
#include "folderhogs/ui/TfrmDirHog.h"

#include "common/GridSorts.h"
#include "common/MessageService.h"
#include "common/NumberTexts.h"
#include "common/StringGridModel.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/CopyLinesToClipboard.h"
#include "common/ui/DriveBoxPanel.h"
#include "common/ui/FinderPopupMenu.h"
#include "common/ui/PrintGrid.h"
#include "common/ui/ResultGridView.h"
#include "delete/ui/FolderDeleteRun.h"
#include "folderhogs/FolderRowSort.h"
#include "map/ui/MapOpeners.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace {
const QString kAbortLine = QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER");
const QString kDeleted = QStringLiteral("DELETED");
const QString kRecycled = QStringLiteral("RECYCLED");
} // namespace

int TfrmDirHog::currentGridRow() const { return grid->currentGridRow(); }

bool TfrmDirHog::isDeletedKey(std::uint32_t key) const { return m_deleted.count(key) > 0; }

void TfrmDirHog::markFolderGone(int row, std::uint32_t key, const QString& how) {
    m_deleted[key] = how;
    m_model->setCellText(row, 0, how);
}

void TfrmDirHog::rebuildRows(std::uint32_t currentKey) {
    std::vector<std::uint32_t> keys;
    for (const auto& [key, how] : m_deleted)
        keys.push_back(key);
    const std::vector<std::uint32_t> lines = m_engine->resultKeys();
    keys.insert(keys.end(), lines.begin(), lines.end());
    m_model->clearRows();
    m_rowsFilled = 0;
    addToGrid(keys);
    for (int row = 1; row <= m_rowsFilled; ++row)
        if (auto it = m_deleted.find(m_model->keyOf(row)); it != m_deleted.end())
            m_model->setCellText(row, 0, it->second);
    // The engine's order is Sort by Size's; any other sort chosen is made again.
    QAction* sort = PopupMenu1->checkedSortItem();
    if (sort && sort != SortbySize1)
        SortbySize1Click(sort);
    else
        SortbySize1Click(SortbySize1);
    for (int row = 1; row <= m_rowsFilled; ++row)
        if (m_model->keyOf(row) == currentKey) {
            grid->setCurrentGridRow(row);
            break;
        }
    pnlScan->setText(QStringLiteral("Folders : ") + FormatThousands(std::int64_t(lines.size())));
}

void TfrmDirHog::refreshFolder(std::uint32_t key) {
    const int row = currentGridRow();
    std::uint32_t current = key;
    setScanningState(true);
    {
        struct LeaveScanning {
            TfrmDirHog* w;
            ~LeaveScanning() { w->setScanningState(false); }
        } leave{this};
        BusyCursor busy;
        const std::uint32_t now = m_engine->refreshFolder(key);
        // A folder that went leaves the row after it current, as near as there is one.
        if (now != FolderSizeEngine::NoLine)
            current = now;
        else if (row >= 1 && row < m_rowsFilled)
            current = m_model->keyOf(row + 1);
        else if (row > 1)
            current = m_model->keyOf(row - 1);
    }
    rebuildRows(current);
    for (QPushButton* b : {btPrint, btClip, btSort, btDelete, btMap})
        b->setVisible(m_rowsFilled > 0 && (m_savedScanFile.empty() || b != btDelete));
    btBrowse->setVisible(m_rowsFilled > 0 && bool(m_browseHandOff));
    closeIfAsked();
}

void TfrmDirHog::Refresh1Click() {
    const int row = currentGridRow();
    if (scanning() || !m_savedScanFile.empty() || row < 1 || row > m_rowsFilled)
        return;
    const std::uint32_t key = m_model->keyOf(row);
    if (!isDeletedKey(key))
        refreshFolder(key);
}

void TfrmDirHog::refreshAll() {
    if (scanning() || !m_savedScanFile.empty() || !btMap->isVisible())
        return;
    const FolderScanMode mode = m_engine->mode();
    ClearGrid();
    scan(mode);
}

QStringList TfrmDirHog::lb() const {
    QStringList lines;
    if (m_userAborted)
        lines << kAbortLine;
    if (m_rowsFilled == 0)
        return lines;
    // Keys are result indices; the engine keeps its lines in display order, largest first.
    for (std::uint32_t key : m_engine->resultKeys())
        if (!isDeletedKey(key))
            lines << m_engine->resultLine(key);
    return lines;
}

void TfrmDirHog::SortbySize1Click(QAction* item) {
    if (m_model->gridRowCount() < 2)
        return;
    PopupMenu1->checkSortItem(nullptr);
    {
        BusyCursor busy;
        const int last = m_model->gridRowCount() - 1;
        if (item == SortbySize1)
            // Keys are result indices, in the engine's order of equal totals: no line is made.
            SortFolderRowsBySize(*m_model, 1, last,
                                 [this](std::uint32_t key) { return m_engine->resultBytes(key); });
        else if (item == Sortbyfiles1)
            SortGridByNumber(*m_model, 1, last, true, 2);
        else if (item == Sortbysubdirectories1)
            SortGridByNumber(*m_model, 1, last, true, 3);
        else if (item == Sortbydate1)
            SortGridByDate(*m_model, 1, last, true, 4);
        else if (item == SortbyName1)
            SortGridByText(*m_model, 1, last, false, 5);
    }
    PopupMenu1->checkSortItem(item);
}

QPoint TfrmDirHog::sortMenuPosition() const { return FinderPopupMenu::sortButtonPosition(btSort); }

void TfrmDirHog::btSortClick() { PopupMenu1->popup(sortMenuPosition()); }

void TfrmDirHog::Shrinktoppanel1Click() { PopupMenu1->shrinkTopPanel(); }

void TfrmDirHog::Restoretoppanel1Click() { PopupMenu1->restoreTopPanel(); }

QString TfrmDirHog::printTitle() const {
    if (!m_savedScanCaption.isEmpty())
        return QStringLiteral("Folder hogs of the ") + m_savedScanCaption.at(0).toLower() + m_savedScanCaption.mid(1);
    return QStringLiteral("Folder hogs on drive(s) ") + pnlDrives->tickedCaptionList();
}

void TfrmDirHog::printTo(QPrinter& printer) {
    PrintGrid(*m_model, grid->columnWidths(), printTitle(), printer, grid->fillColumn());
}

void TfrmDirHog::btPrintClick() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        printTo(printer);
}

void TfrmDirHog::btClipClick() { CopyLinesToClipboard(lb()); }

void TfrmDirHog::btBrowseClick() {
    const int row = currentGridRow();
    if (row < 1 || row > m_rowsFilled || !m_browseHandOff)
        return;
    const std::uint32_t key = m_model->keyOf(row);
    if (isDeletedKey(key))
        return; // nothing left there to browse
    // The folder's exact path bytes as the scan kept them, never the display text.
    m_browseHandOff(this, m_engine->resultPath(key), std::string(), QStringLiteral("*.*"));
}

void TfrmDirHog::btDeleteClick() {
    const int row = currentGridRow();
    if (row < 1 || row > m_rowsFilled)
        return;
    const QString size = m_model->cellText(row, 0);
    if (size.isEmpty())
        return;
    const std::uint32_t key = m_model->keyOf(row);
    if (isDeletedKey(key) || size == kDeleted || size == kRecycled) {
        ShowErrorMessage(QStringLiteral("Folder already deleted/recycled"));
        return;
    }
    // The folder as the scan measured it: its exact path bytes and its identity, never a path read
    // back from the display text.
    const ListedEntry folder = m_engine->resultEntry(key);
    const QString rootRefused = QStringLiteral("You cannot delete the root folder using Vantorel 95");
    if (m_engine->resultIsRoot(key) || folder.name.empty()) {
        ShowErrorMessage(rootRefused);
        return;
    }
    if (RefuseProtectedFolder(folder, rootRefused))
        return;
    const std::optional<bool> recycle = AskFolderDelete(this, folder);
    if (!recycle)
        return;
    const FolderDeleteOutcome outcome = RemoveConfirmedFolder(folder, *recycle, JournalTool::FolderHogs);
    // The row says "gone" only when the folder really is; an empty folder reads "DELETED" either way.
    if (outcome.removedEmpty)
        markFolderGone(row, key, kDeleted);
    else if (outcome.gone)
        markFolderGone(row, key, *recycle ? kRecycled : kDeleted);
    // What the delete changed is measured again: the lines below a folder that went (the row itself
    // keeps saying how it went), or what is left of one that stayed.
    refreshFolder(key);
}

void TfrmDirHog::btMapClick() { OpenMapOfFolderHogs(*this, false); }

void TfrmDirHog::Mapthisfolder1Click() { OpenMapOfFolderHogs(*this, true); }
