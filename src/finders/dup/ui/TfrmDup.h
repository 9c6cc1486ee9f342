// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "finders/dup/DupScanEngine.h"
#include "platform/ListedEntry.h"

#include "common/ui/BrowseHandOff.h"
#include "common/ui/MarkedFiles.h"
#include "common/ui/ScanDialog.h"

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class DriveBoxPanel;
class DupContentCheck;
class FinderPopupMenu;
class NumField;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QPrinter;
class QPushButton;
class QRadioButton;
class QTableView;
class ResultGridView;
class StringGridModel;
class UpDownSpinner;

// The duplicate and file-hog finder window. The window owns its scan engine, hands it the user's
// choices and shows its results; marked files go to the delete confirmation window.
class TfrmDup : public ScanDialog {
    Q_OBJECT
public:
    // dupMode: true = duplicates, false = file hogs; fixed for the window's life.
    explicit TfrmDup(bool dupMode, QWidget* parent = nullptr);
    ~TfrmDup() override;

    // The delete confirmation; TfrmReallyDelete when none is set.
    using DeleteConfirmation = ::DeleteConfirmation;
    void setDeleteConfirmation(DeleteConfirmation confirmation);
    // The folder browser hand-off (folder, file name to select, the wildcard): TfrmBrowse unless
    // another is set. btBrowse stays hidden while there is none.
    using BrowseHandOff = ::BrowseHandOff;
    void setBrowseHandOff(BrowseHandOff handOff);

    bool dupMode() const { return m_dupMode; }
    const DupScanEngine& engine() const { return *m_engine; }
    StringGridModel* gridModel() const { return m_model; }
    int rowsFilled() const { return m_rowsFilled; }
    std::int64_t markedCount() const { return m_marked.count(); }
    std::int64_t markedBytes() const { return m_marked.bytes(); }
    // The marked files in marking order, and their exact paths.
    const std::vector<ListedEntry>& markedFiles() const { return m_marked.files(); }
    std::vector<std::string> lbDeleted() const { return m_marked.paths(); }

    // The report title of btPrintClick, and the report itself on a printer already set up.
    QString printTitle() const;
    void printTo(QPrinter& printer);
    // Where btSort opens the sort pop-up menu (global coordinates).
    QPoint sortMenuPosition() const;

    // Handlers, by their control and event.
    void FormShow() override;
    void FormResize();
    void ClearGrid();
    void addToGrid(const std::vector<std::uint32_t>& keys);
    void rbLargerClick();
    void num1Exit();
    void num2Exit();
    void Spinner1MouseUp();
    void Spinner2MouseUp();
    void gridDblClick();
    void DeleteAllFiles();
    void gridKeyUp(int key);
    void deleteOneFile(int row);
    void Sortbysize1Click(QAction* item);
    void btSortClick();
    void Shrink1Click();
    void Grow1Click();
    void btPrintClick();
    void btClipClick();
    void BrowseDirectory1Click();
    void btDeleteClick();
    void btScanClick();
    void btExactClick();
    void btAbortClick();
    // Compares the contents within each run of duplicates and shows each row's group.
    void btContentClick();
    const DupContentCheck* contentCheck() const { return m_content.get(); }
    // "Mark copies..." (the grid's menu, after a content check): marks all but the file each group
    // keeps by the rule and reference folders chosen in TfrmMarkCopies.
    void MarkCopies1Click();
    void scan(bool exact);
    void ScanAllDrives();


protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTopPanel();
    void buildGrid();
    void layOutButtonRow();
    void setScanningState(bool scanning);
    // Checks a number field on leaving it: refuses a value outside 0..10000 and puts back the last
    // good one. Returns false when the value was refused.
    bool checkNumField(NumField* field, std::int64_t& lastGood, QLabel* kbLabel);
    void stepNumField(NumField* field, std::int64_t& lastGood, int delta);
    void showMarkedTotals();
    // The legend of the content check in the status panel.
    QString contentLegend() const;
    // True when the marks leave a copy of everything the content check proved identical, or the user
    // wants them all deleted anyway.
    bool lastCopyGuard();
    // After a content check, the unmarked files of each group that has marked ones: what the delete
    // relies on to keep the group's contents.
    KeptCopies keptCopies() const;
    int currentGridRow() const; // 0 when no data row is current (the title row)
    QString sortedColumnTitles() const;
    std::vector<int> columnWidths() const;

    const bool m_dupMode;
    std::unique_ptr<DupScanEngine> m_engine;
    std::unique_ptr<DupContentCheck> m_content; // the last content check of this scan, if any
    bool m_checking = false;
    StringGridModel* m_model = nullptr;
    double m_scale = 1.0;

    // Top panel
    QFrame* Panel1 = nullptr;
    QRadioButton* rbLarger = nullptr;
    QRadioButton* rbSmaller = nullptr;
    QRadioButton* rbBetween = nullptr;
    NumField* num1 = nullptr;
    NumField* num2 = nullptr;
    UpDownSpinner* Spinner1 = nullptr;
    UpDownSpinner* Spinner2 = nullptr;
    QLabel* lblKB1 = nullptr;
    QLabel* lblKB2 = nullptr;
    QLabel* lblAnd = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* lblMatching = nullptr;
    QComboBox* cbWildCard = nullptr;
    QLabel* lblWild = nullptr;
    DriveBoxPanel* pnlDrives = nullptr;
    QPushButton* btScan = nullptr;
    QPushButton* btExact = nullptr;
    QPushButton* btClose = nullptr;
    QPushButton* btAbort = nullptr;
    QPushButton* btMark = nullptr;
    QPushButton* btDelete = nullptr;
    QPushButton* btPrint = nullptr;
    QPushButton* btClip = nullptr;
    QPushButton* btBrowse = nullptr;
    QPushButton* btSort = nullptr;
    QPushButton* btContent = nullptr;

    ResultGridView* grid = nullptr;
    QLabel* pnlSel = nullptr;

    FinderPopupMenu* PopupMenu1 = nullptr;
    QAction* Sortbysize1 = nullptr;
    QAction* SortbyDate1 = nullptr;
    QAction* SortbyAccess = nullptr;
    QAction* SortbyName1 = nullptr;
    QAction* SortbyType1 = nullptr;
    QAction* N1 = nullptr; // separator
    QAction* MarkCopies1 = nullptr;
    QAction* N2 = nullptr; // separator after MarkCopies1

    // Scan and marks
    int m_rowsFilled = 0;
    std::int64_t m_limit1 = 250, m_limit2 = 250; // last good values of num1, num2
    MarkedFiles m_marked;
    // Per column, the narrowest width that shows its texts whole (date, time, size; else 0).
    std::vector<int> m_textWidths;
    bool m_checkingField = false;
    DeleteConfirmation m_deleteConfirmation;
    BrowseHandOff m_browseHandOff;
};
