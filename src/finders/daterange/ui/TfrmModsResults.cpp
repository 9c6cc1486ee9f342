// SPDX-License-Identifier: GPL-3.0-or-later
// TfrmMods: what the window does with a result: marks, sorts, the report, the clipboard and the
// hand-offs to the browser and the delete confirmation.
#include "finders/daterange/ui/TfrmMods.h"

#include "common/GridSorts.h"
#include "common/StringGridModel.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/CopyLinesToClipboard.h"
#include "common/ui/FinderPopupMenu.h"
#include "common/ui/PrintGrid.h"
#include "common/ui/ResultGridView.h"

#include <QAction>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace {
const QString kAbortLine = QStringLiteral(" LIST INCOMPLETE ... ABORTED BY USER");
} // namespace

int TfrmMods::currentGridRow() const { return grid->currentGridRow(); }

void TfrmMods::deleteOneFile(int row) {
    // Rows do not take marks while the walk still adds rows.
    if (scanning() || row < 1 || row > m_rowsFilled || !m_model->isKeyRow(row))
        return;
    // The file as the scan found it (exact path bytes and identity), never a path read back from
    // the Folder and Filename cells.
    m_marked.toggle(*m_model, row, [this](std::uint32_t key) { return m_engine->resultEntry(key); });
    pnlScan->setText(m_marked.totalsText());
}

void TfrmMods::gridDblClick() {
    const int row = currentGridRow();
    if (row < 1)
        return;
    deleteOneFile(row);
    btDelete->setEnabled(m_marked.count() > 0);
}

void TfrmMods::DeleteAllFiles() {
    const int row = currentGridRow();
    if (row < 1)
        return;
    deleteOneFile(row);
    if (row < m_model->gridRowCount() - 1)
        grid->setCurrentGridRow(row + 1);
    btDelete->setEnabled(m_marked.count() > 0);
}

void TfrmMods::btDeleteClick() {
    if (m_marked.count() <= 0)
        return;
    // OK: the files are dealt with and the user goes back to the main window. Cancel keeps the marks.
    if (ConfirmMarkedDelete(this, m_marked, m_deleteConfirmation, JournalTool::DateRange) ==
        QDialog::Accepted)
        accept();
}

void TfrmMods::Sortbyname1Click(QAction* item) {
    // Rows must not move under the walk that is still adding them.
    if (scanning() || m_model->gridRowCount() < 2)
        return;
    PopupMenu1->checkSortItem(nullptr);
    {
        BusyCursor busy;
        const int last = m_model->gridRowCount() - 1;
        if (item == Sortbyname1)
            SortGridByText(*m_model, 1, last, false, 0);
        else if (item == SortbyAccessDate)
            SortGridByDate(*m_model, 1, last, true, 1);
        else if (item == SortbyCreationDate)
            SortGridByDate(*m_model, 1, last, true, 2);
        else if (item == SortbyWrittentodate)
            SortGridByDate(*m_model, 1, last, true, 3);
        else if (item == SortbyDirectory1)
            SortGridByText(*m_model, 1, last, false, 4);
        else if (item == SortbyType1)
            SortGridByText(*m_model, 1, last, false, 5);
    }
    PopupMenu1->checkSortItem(item);
}

QPoint TfrmMods::sortMenuPosition() const { return FinderPopupMenu::sortButtonPosition(btSort); }

void TfrmMods::btSortClick() { PopupMenu1->popup(sortMenuPosition()); }

void TfrmMods::Shrinktoppanel1Click() { PopupMenu1->shrinkTopPanel(); }

void TfrmMods::Restoretoppanel1Click() { PopupMenu1->restoreTopPanel(); }

QString TfrmMods::printTitle() const {
    static const char* const kinds[] = {"Last accessed", "Created", "Modified"};
    QString range;
    switch (chosenRange()) {
    case DateRange::OnOrBefore:
        range = QStringLiteral("before ") + dtStart->text();
        break;
    case DateRange::Between:
        range = QStringLiteral("between ") + dtStart->text() + QStringLiteral(" and ") + dtEnd->text();
        break;
    case DateRange::OnOrAfter:
        range = QStringLiteral("after ") + dtStart->text();
        break;
    }
    return QStringLiteral("Files ") + QString::fromLatin1(kinds[int(chosenKind())]) + u' ' + range;
}

void TfrmMods::printTo(QPrinter& printer) {
    PrintGrid(*m_model, grid->columnWidths(), printTitle(), printer, grid->fillColumn());
}

void TfrmMods::PrintClick() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        printTo(printer);
}

QStringList TfrmMods::lbFiles() const {
    QStringList lines = m_engine->resultLines();
    if (m_userAborted)
        lines << kAbortLine;
    return lines;
}

void TfrmMods::btClipClick() { CopyLinesToClipboard(lbFiles()); }

void TfrmMods::btBrowseClick() {
    const int row = currentGridRow();
    if (row < 1 || row > m_rowsFilled || !m_model->isKeyRow(row))
        return;
    // The exact bytes the scan kept, never the Folder and Filename cells.
    BrowseToFile(m_browseHandOff, this, m_engine->resultPath(m_model->keyOf(row)), QStringLiteral("*.*"));
}
