// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/WalkReport.h"
#include "common/StringGridModel.h"
#include "common/ui/BrowseHandOff.h"
#include "common/ui/ScanDialog.h"
#include "scans/FolderTotals.h"
#include "scans/SnapshotStore.h"

#include <QStringList>
#include <memory>
#include <string>
#include <vector>

class FinderPopupMenu;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPrinter;
class QPushButton;
class ResultGridView;

// "What grew": the folders whose total changed between an earlier folder hog scan (a snapshot) and
// the same folder now, or a later snapshot, largest change first, each with a bar of its change. In
// the folder hog window's shape: explanations and choices in the top panel, the button row, the
// grid, the status panel. Main compares the main folders, All every folder. Sortable, printable,
// copyable, Browse on a line. The check box keeps or stops the snapshots of folder hog scans.
class TfrmWhatGrew : public ScanDialog, private GridRowSource {
    Q_OBJECT
public:
    explicit TfrmWhatGrew(QWidget* parent = nullptr,
                          std::string snapshotFolder = SnapshotStore::defaultFolder());
    ~TfrmWhatGrew() override;

    using BrowseHandOff = ::BrowseHandOff;
    void setBrowseHandOff(BrowseHandOff handOff) { m_browseHandOff = std::move(handOff); }

    StringGridModel* gridModel() const { return m_model; }
    // The lines of the list in its order, as the clipboard gets them (change, old, new, kind, path).
    QStringList lb() const;
    QString printTitle() const;
    void printTo(QPrinter& printer);

    // Handlers.
    void FormShow() override;
    void compare(bool all);
    void btAbortClick();
    void btPrintClick();
    void btClipClick();
    void btBrowseClick();
    void btSortClick();
    void SortClick(QAction* item);
    void cbOlderChange();
    void cbKeepClick();
    // "Refresh" on a line, when the newer side is now: its folder walked again alone and the changes
    // worked out again; after Browse returns, the same for the folder browsed. F5: compare again.
    void Refresh1Click();
    void refreshAll();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QString cellText(std::uint32_t key, int column) const override;
    void buildWindow();
    void fillChoices();
    void setScanningState(bool scanning);
    void layOut();
    // The changes of the two sides as they are now, in the sort chosen; the line of current (a path)
    // becomes current, else the first.
    void showChanges(const std::string& current);
    void refreshFolderAt(const std::string& path);

    SnapshotStore m_store;
    std::vector<SnapshotStore::Snapshot> m_snapshots; // newest first
    std::vector<int> m_newerChoices;                  // index in m_snapshots per cbNewer item; -1: now
    FolderTotals m_older;
    FolderTotals m_newer;
    SkippedEntries m_skipped; // of the newer side
    std::vector<FolderChange> m_changes;
    std::int64_t m_largestChange = 0;
    bool m_abort = false;
    bool m_all = false;
    bool m_newerIsNow = false; // the newer side is a walk, which a refresh may walk again
    double m_scale = 1.0;
    BrowseHandOff m_browseHandOff;

    StringGridModel* m_model = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lbOlder = nullptr;
    QLabel* lbNewer = nullptr;
    QComboBox* cbOlder = nullptr;
    QComboBox* cbNewer = nullptr;
    QCheckBox* cbKeep = nullptr;
    QPushButton* btTop = nullptr;
    QPushButton* btAll = nullptr;
    QPushButton* btClose = nullptr;
    QPushButton* btAbort = nullptr;
    QPushButton* btPrint = nullptr;
    QPushButton* btClip = nullptr;
    QPushButton* btBrowse = nullptr;
    QPushButton* btSort = nullptr;
    ResultGridView* grid = nullptr;
    QLabel* pnlScan = nullptr;
    FinderPopupMenu* PopupMenu1 = nullptr;
    QAction* SortbyChange1 = nullptr;
    QAction* SortbyOld1 = nullptr;
    QAction* SortbyNew1 = nullptr;
    QAction* Refresh1 = nullptr;
    QAction* SortbyName1 = nullptr;
};
