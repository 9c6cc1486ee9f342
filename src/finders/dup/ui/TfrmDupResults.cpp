// SPDX-License-Identifier: GPL-3.0-or-later
// TfrmDup: what the window does with a result: marks, sorts, the report, the clipboard and the
// hand-offs to the browser and the delete confirmation.
#include "finders/dup/ui/TfrmDup.h"

#include "common/GridSorts.h"
#include "common/StringGridModel.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/CopyLinesToClipboard.h"
#include "common/ui/DpiScale.h"
#include "common/ui/DriveBoxPanel.h"
#include "common/ui/FinderPopupMenu.h"
#include "common/ui/PrintGrid.h"
#include "common/ui/ResultGridView.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>

int TfrmDup::currentGridRow() const { return grid->currentGridRow(); }

void TfrmDup::deleteOneFile(int row) {
    if (row < 1 || row > m_rowsFilled || !m_model->isKeyRow(row))
        return;
    // The file as the scan found it (exact path bytes and identity), never a path read back from
    // the display text.
    m_marked.toggle(*m_model, row, [this](std::uint32_t key) { return m_engine->resultEntry(key); });
    showMarkedTotals();
}

void TfrmDup::showMarkedTotals() {
    pnlSel->setText(m_marked.totalsText());
}

void TfrmDup::gridDblClick() {
    const int row = currentGridRow();
    if (row < 1)
        return;
    deleteOneFile(row);
    btDelete->setEnabled(m_marked.count() > 0);
}

void TfrmDup::DeleteAllFiles() {
    const int row = currentGridRow();
    if (row < 1)
        return;
    deleteOneFile(row);
    if (row < m_model->gridRowCount() - 1)
        grid->setCurrentGridRow(row + 1);
    btDelete->setEnabled(m_marked.count() > 0);
}

void TfrmDup::gridKeyUp(int key) {
    if (key == Qt::Key_Delete)
        DeleteAllFiles();
}

void TfrmDup::Sortbysize1Click(QAction* item) {
    if (m_dupMode || m_model->gridRowCount() < 2)
        return;
    PopupMenu1->checkSortItem(nullptr);
    {
        BusyCursor busy;
        const int last = m_model->gridRowCount() - 1;
        if (item == Sortbysize1)
            SortGridBySizeK(*m_model, 1, last, 0);
        else if (item == SortbyDate1)
            SortGridByDate(*m_model, 1, last, true, 1);
        else if (item == SortbyAccess)
            SortGridByDate(*m_model, 1, last, true, 3);
        else if (item == SortbyName1)
            SortGridByText(*m_model, 1, last, false, 4);
        else if (item == SortbyType1)
            SortGridByText(*m_model, 1, last, false, 5);
    }
    PopupMenu1->checkSortItem(item);
}

QPoint TfrmDup::sortMenuPosition() const { return FinderPopupMenu::sortButtonPosition(grid); }

void TfrmDup::btSortClick() { PopupMenu1->popup(sortMenuPosition()); }

void TfrmDup::Shrink1Click() { PopupMenu1->shrinkTopPanel(); }

void TfrmDup::Grow1Click() { PopupMenu1->restoreTopPanel(); }

QString TfrmDup::printTitle() const {
    QString sizeText;
    if (rbLarger->isChecked())
        sizeText = QStringLiteral("larger or equal to ") + lblKB1->text();
    else if (rbSmaller->isChecked())
        sizeText = QStringLiteral("smaller or equal to ") + lblKB1->text();
    else
        sizeText = QStringLiteral("in between ") + lblKB1->text() + QStringLiteral(" and ") + lblKB2->text();
    return (m_dupMode ? QStringLiteral("Duplicates ") : QStringLiteral("File Hogs ")) + sizeText +
           QStringLiteral(" matching ") + cbWildCard->currentText() + QStringLiteral(" on drive(s) ") +
           pnlDrives->tickedCaptionList();
}

std::vector<int> TfrmDup::columnWidths() const { return grid->columnWidths(); }

void TfrmDup::printTo(QPrinter& printer) {
    PrintGrid(*m_model, columnWidths(), printTitle(), printer, grid->fillColumn());
}

void TfrmDup::btPrintClick() {
    const QString title = printTitle();
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        PrintGrid(*m_model, columnWidths(), title, printer, grid->fillColumn());
}

void TfrmDup::btClipClick() { CopyLinesToClipboard(m_engine->resultLines()); }

void TfrmDup::BrowseDirectory1Click() {
    const int row = currentGridRow();
    if (row < 1 || row > m_rowsFilled || !m_model->isKeyRow(row))
        return;
    BrowseToFile(m_browseHandOff, this, m_engine->resultPath(m_model->keyOf(row)), cbWildCard->currentText());
}

void TfrmDup::btDeleteClick() {
    if (m_marked.count() <= 0 || !lastCopyGuard())
        return;
    // OK: the files are dealt with and the user goes back to the main window. Cancel keeps the marks.
    if (ConfirmMarkedDelete(this, m_marked, m_deleteConfirmation,
                            m_dupMode ? JournalTool::Duplicates : JournalTool::FileHogs,
                            keptCopies()) == QDialog::Accepted)
        accept();
}
