// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "finders/daterange/DateRangeEngine.h"
#include "platform/ListedEntry.h"

#include "common/ui/BrowseHandOff.h"
#include "common/ui/MarkedFiles.h"
#include "common/ui/ScanDialog.h"

#include <QDate>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class DriveBoxPanel;
class FinderPopupMenu;
class QAction;
class QButtonGroup;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QToolButton;
class ResultGridView;
class StringGridModel;

// The date-range finder window ("Files in a range of dates"): lists the files of the ticked drives
// whose last access, creation or modification date lies on or before a day, between two days or on
// or after a day, and hands marked files to the delete confirmation. Rows appear while the walk
// runs. The window owns its engine, hands it the user's choices and shows what it finds.
class TfrmMods : public ScanDialog {
    Q_OBJECT
public:
    // capacity: the engine's, the number of files a scan takes before it stops.
    explicit TfrmMods(QWidget* parent = nullptr, std::size_t capacity = DateRangeEngine::DefaultCapacity);
    ~TfrmMods() override;

    // The delete confirmation; TfrmReallyDelete when none is set.
    using DeleteConfirmation = ::DeleteConfirmation;
    void setDeleteConfirmation(DeleteConfirmation confirmation);
    // The folder browser hand-off (TfrmBrowse unless another is set): the row's exact folder path
    // bytes, its file name and "*.*". btBrowse stays hidden while there is none.
    using BrowseHandOff = ::BrowseHandOff;
    void setBrowseHandOff(BrowseHandOff handOff);
    // Today's date, for the date boxes when the window is shown and for the date picker;
    // QDate::currentDate unless set (before the window is shown).
    void setClock(std::function<QDate()> today);

    const DateRangeEngine& engine() const { return *m_engine; }
    StringGridModel* gridModel() const { return m_model; }
    int rowsFilled() const { return m_rowsFilled; }
    std::int64_t markedCount() const { return m_marked.count(); }
    std::int64_t markedBytes() const { return m_marked.bytes(); }
    // The marked files in marking order, and their exact paths.
    const std::vector<ListedEntry>& markedFiles() const { return m_marked.files(); }
    std::vector<std::string> lbDeleted() const { return m_marked.paths(); }
    // The result lines behind the clipboard, in walk order; after the user's abort the abort line last.
    QStringList lbFiles() const;

    // The report title of PrintClick, and the report itself on a printer already set up.
    QString printTitle() const;
    void printTo(QPrinter& printer);
    // Where btSort opens the sort pop-up menu (global coordinates).
    QPoint sortMenuPosition() const;

    // Handlers, by their control and event.
    void FormShow() override;
    void FormResize();
    void cb1Click();
    void rgWhenClick();
    void dtStartExit();
    void dtEndExit();
    void popStartDateClick();
    void popEndDateClick();
    void btOKClick();
    void btAbortClick();
    void scan();
    void ScanAllDrives();
    void ClearGrid();
    void addToGrid(const std::vector<std::uint32_t>& keys);
    void gridDblClick();
    void DeleteAllFiles();
    void deleteOneFile(int row);
    void btDeleteClick();
    void Sortbyname1Click(QAction* item);
    void btSortClick();
    void PrintClick();
    void btClipClick();
    void btBrowseClick();
    void Shrinktoppanel1Click();
    void Restoretoppanel1Click();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The rows found since the last yield go into the grid in one step.
    void aboutToYield() override;

private:
    void buildTopPanel();
    void buildGrid();
    void layOutButtonRow();
    void setScanningState(bool scanning);
    QDate today() const;
    // The date box's text read as a date (ParseEnteredDate); when it cannot be read, shows the
    // refusal with the forms a date is read in and gives the box the focus back. Returns whether it
    // was read.
    bool checkDateBox(QLineEdit* box, const QString& refusal);
    void popDateClick(QLineEdit* box, bool isStart);
    // The choices that the walk reads afresh: date kind, range kind and pattern.
    DateKind chosenKind() const;
    DateRange chosenRange() const;
    // A change of the choices that a running scan follows.
    void criteriaChanged();
    void flushFoundRows();
    int currentGridRow() const; // 0 when no data row is current

    std::unique_ptr<DateRangeEngine> m_engine;
    StringGridModel* m_model = nullptr;
    double m_scale = 1.0;

    // Top panel
    QFrame* Panel1 = nullptr;
    QGroupBox* rgWhat = nullptr;
    QButtonGroup* m_whatItems = nullptr;
    QGroupBox* rgWhen = nullptr;
    QButtonGroup* m_whenItems = nullptr;
    QLineEdit* dtStart = nullptr;
    QToolButton* popStartDate = nullptr;
    QLabel* lblAnd = nullptr;
    QLineEdit* dtEnd = nullptr;
    QToolButton* popEndDate = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cbWildCard = nullptr;
    QLabel* lblWild = nullptr;
    DriveBoxPanel* pnlDrives = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btClose = nullptr;
    QPushButton* btMark = nullptr;
    QPushButton* btDelete = nullptr;
    QPushButton* btPrint = nullptr;
    QPushButton* btClip = nullptr;
    QPushButton* btBrowse = nullptr;
    QPushButton* btSort = nullptr;
    QPushButton* btAbort = nullptr;

    ResultGridView* grid = nullptr;
    QFrame* pnlBase = nullptr;
    QLabel* pnlScan = nullptr;

    FinderPopupMenu* PopupMenu1 = nullptr;
    QAction* Sortbyname1 = nullptr;
    QAction* SortbyAccessDate = nullptr;
    QAction* SortbyCreationDate = nullptr;
    QAction* SortbyWrittentodate = nullptr;
    QAction* SortbyDirectory1 = nullptr;
    QAction* SortbyType1 = nullptr;

    // Scan and marks
    int m_rowsFilled = 0;
    std::vector<std::uint32_t> m_found; // found by the walk, not yet in the grid
    bool m_userAborted = false;
    MarkedFiles m_marked;
    // The narrowest width that shows every date text whole (the date columns' least width).
    int m_dateWidth = 0;
    bool m_checkingDate = false;
    bool m_dateRefused = false;
    std::function<QDate()> m_today;
    DeleteConfirmation m_deleteConfirmation;
    BrowseHandOff m_browseHandOff;
};
