// SPDX-License-Identifier: GPL-3.0-or-later
// TfrmDup: what the window does with a result: marks, sorts, the report, the clipboard and the
// hand-offs to the browser and the delete confirmation.
#include "finders/dup/ui/TfrmDup.h"

#include "common/GridSorts.h"
#include "common/NumberTexts.h"
#include "common/SaturatingSum.h"
#include "common/StringGridModel.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/CopyLinesToClipboard.h"
#include "common/ui/DpiScale.h"
#include "common/ui/DriveBoxPanel.h"
#include "common/ui/PrintGrid.h"
#include "common/ui/ResultGridView.h"
#include "delete/ListedFileRemoval.h"
#include "delete/ui/TfrmReallyDelete.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <limits>

namespace {
int RunReallyDelete(QWidget* parent, const std::vector<ListedEntry>& files, double bytes) {
    TfrmReallyDelete confirmation(parent);
    confirmation.setFileList(files);
    confirmation.setSavings(bytes);
    return confirmation.exec();
}
} // namespace

int TfrmDup::currentGridRow() const { return grid->currentGridRow(); }

void TfrmDup::deleteOneFile(int row) {
    if (row < 1 || row > m_rowsFilled || !m_model->isKeyRow(row))
        return;
    const std::uint32_t key = m_model->keyOf(row);
    // The file as the scan found it (exact path bytes and identity), never a path read back from
    // the display text.
    const ListedEntry file = m_engine->resultEntry(key);
    const bool marking = !m_model->isMarked(row);
    m_model->setMarked(row, marking);
    if (marking) {
        // Only a file that is still the one listed counts towards the total.
        if (const auto size = ListedFileSizeNow(file)) {
            m_counted[key] = *size;
            ++m_markedCount;
            m_markedBytes = SaturatingAdd(m_markedBytes, *size);
        }
        m_lbDeleted.push_back(file);
    } else {
        if (auto it = m_counted.find(key); it != m_counted.end()) {
            --m_markedCount;
            const bool saturated = m_markedBytes == std::numeric_limits<std::int64_t>::max();
            m_markedBytes = SaturatingSub(m_markedBytes, it->second);
            m_counted.erase(it);
            // A total that stopped at the limit lost what lay beyond it: count the rest again.
            if (saturated) {
                m_markedBytes = 0;
                for (const auto& counted : m_counted)
                    m_markedBytes = SaturatingAdd(m_markedBytes, counted.second);
            }
        }
        // Paths differ by letter case on this file system: only the identical file is taken out.
        const std::string path = file.path();
        auto same = [&](const ListedEntry& e) { return e.identity == file.identity && e.path() == path; };
        if (auto it = std::find_if(m_lbDeleted.begin(), m_lbDeleted.end(), same); it != m_lbDeleted.end())
            m_lbDeleted.erase(it);
    }
    showMarkedTotals();
}

std::vector<std::string> TfrmDup::lbDeleted() const {
    std::vector<std::string> paths;
    paths.reserve(m_lbDeleted.size());
    for (const ListedEntry& file : m_lbDeleted)
        paths.push_back(file.path());
    return paths;
}

void TfrmDup::showMarkedTotals() {
    pnlSel->setText(QStringLiteral("%1 files %2 bytes").arg(m_markedCount).arg(FormatThousands(m_markedBytes)));
}

void TfrmDup::gridDblClick() {
    const int row = currentGridRow();
    if (row < 1)
        return;
    deleteOneFile(row);
    btDelete->setEnabled(m_markedCount > 0);
}

void TfrmDup::DeleteAllFiles() {
    const int row = currentGridRow();
    if (row < 1)
        return;
    deleteOneFile(row);
    if (row < m_model->gridRowCount() - 1)
        grid->setCurrentGridRow(row + 1);
    btDelete->setEnabled(m_markedCount > 0);
}

void TfrmDup::gridKeyUp(int key) {
    if (key == Qt::Key_Delete)
        DeleteAllFiles();
}

void TfrmDup::Sortbysize1Click(QAction* item) {
    if (m_dupMode || m_model->gridRowCount() < 2)
        return;
    checkSortItem(nullptr);
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
    checkSortItem(item);
}

void TfrmDup::checkSortItem(QAction* item) {
    m_checkedSort = item;
    for (QAction* a : {Sortbysize1, SortbyDate1, SortbyAccess, SortbyName1, SortbyType1})
        a->setChecked(a == item);
}

QPoint TfrmDup::sortMenuPosition() const { return grid->mapToGlobal(QPoint(grid->width() / 2, 30)); }

void TfrmDup::btSortClick() { PopupMenu1->popup(sortMenuPosition()); }

void TfrmDup::Shrink1Click() {
    Panel1->setFixedHeight(0);
    Restoretoppanel1->setEnabled(true);
    Shrinktoppanel1->setEnabled(false);
}

void TfrmDup::Grow1Click() {
    Panel1->setFixedHeight(m_panelHeight);
    Restoretoppanel1->setEnabled(false);
    Shrinktoppanel1->setEnabled(true);
}

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

void TfrmDup::printTo(QPrinter& printer) { PrintGrid(*m_model, columnWidths(), printTitle(), printer); }

void TfrmDup::btPrintClick() {
    const QString title = printTitle();
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        PrintGrid(*m_model, columnWidths(), title, printer);
}

void TfrmDup::btClipClick() { CopyLinesToClipboard(m_engine->resultLines()); }

void TfrmDup::BrowseDirectory1Click() {
    const int row = currentGridRow();
    if (row < 1 || row > m_rowsFilled || !m_model->isKeyRow(row) || !m_browseHandOff)
        return;
    const std::string path = m_engine->resultPath(m_model->keyOf(row));
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    m_browseHandOff(this, folder, name, cbWildCard->currentText());
}

void TfrmDup::btDeleteClick() {
    if (m_markedCount <= 0)
        return;
    const int result = m_deleteConfirmation ? m_deleteConfirmation(this, m_lbDeleted, double(m_markedBytes))
                                            : RunReallyDelete(this, m_lbDeleted, double(m_markedBytes));
    // OK: the files are dealt with and the user goes back to the main window. Cancel keeps the marks.
    if (result == QDialog::Accepted)
        accept();
}
