// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "finders/dupfolders/DupFolderEngine.h"

#include "common/ui/BrowseHandOff.h"
#include "common/ui/ScanDialog.h"

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class DriveBoxPanel;
class FinderPopupMenu;
class NumField;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QPrinter;
class QPushButton;
class ResultGridView;
class StringGridModel;
class UpDownSpinner;

// "Find and delete duplicate folders": walks the ticked drives and lists the folders that are copies
// of each other, group by group, the group whose extra copies take most bytes first; with "Also list
// subsets" ticked, then the folders whose files all lie in another folder too. In the folder hog
// window's shape: the explanations, a smallest size, the drive boxes and the button row over the
// grid ("Group", "Size", "# Files", "Note", "Name") and the status panel. A selected copy is deleted
// or recycled through the folder delete; the last copy of a group, and a copy whose deletion frees no
// space, are deleted only after a question. The window owns its engine and only shows what it finds.
class TfrmDupFolders : public ScanDialog {
    Q_OBJECT
public:
    explicit TfrmDupFolders(QWidget* parent = nullptr);
    ~TfrmDupFolders() override;

    // The folder browser hand-off (the browser unless another is set): the row's exact folder path
    // bytes, no file name, "*.*". btBrowse stays hidden while there is none.
    void setBrowseHandOff(BrowseHandOff handOff);

    const DupFolderEngine& engine() const { return *m_engine; }
    StringGridModel* gridModel() const { return m_model; }
    int rowsFilled() const { return m_rowsFilled; }
    QString statusText() const;
    // The clipboard's lines: the groups' lines in result order, each group followed by an empty
    // line, without the folders deleted since the scan.
    QStringList lb() const;
    QString printTitle() const;
    void printTo(QPrinter& printer);

    // Handlers, by their control and event.
    void FormShow() override;
    void FormResize();
    void cb1Click();
    void ClearGrid();
    void btScanClick();
    void btAbortClick();
    void scan();
    void num1Exit();
    void SortbyGroup1Click(QAction* item);
    void btSortClick();
    void btPrintClick();
    void btClipClick();
    void btBrowseClick();
    void btDeleteClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildTopPanel();
    void buildGrid();
    void layOutButtonRow();
    void setScanningState(bool scanning);
    bool checkNumField();
    // The status line's figures; the extra copies as they are now, after the deletes made here.
    void showSummary();
    std::int64_t extraBytesLeft() const;
    bool isGone(std::uint32_t key) const;
    void markFolderGone(int row, std::uint32_t key, const QString& how);
    bool deleteGuard(std::uint32_t key);
    int minimumClientWidth() const;

    std::unique_ptr<DupFolderEngine> m_engine;
    StringGridModel* m_model = nullptr;
    double m_scale = 1.0;
    std::int64_t m_limit = 0; // the smallest folder in K, as last checked
    bool m_checkingField = false;
    bool m_userAborted = false;
    int m_rowsFilled = 0;
    std::vector<bool> m_gone; // per result: deleted or recycled from this window
    BrowseHandOff m_browseHandOff;

    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* lblSmallest = nullptr;
    NumField* num1 = nullptr;
    UpDownSpinner* Spinner1 = nullptr;
    QLabel* lblKB1 = nullptr;
    QCheckBox* cbSubsets = nullptr;
    QLabel* Label4 = nullptr;
    DriveBoxPanel* pnlDrives = nullptr;
    QPushButton* btScan = nullptr;
    QPushButton* btClose = nullptr;
    QPushButton* btAbort = nullptr;
    QPushButton* btDelete = nullptr;
    QPushButton* btPrint = nullptr;
    QPushButton* btClip = nullptr;
    QPushButton* btBrowse = nullptr;
    QPushButton* btSort = nullptr;

    ResultGridView* grid = nullptr;
    QLabel* pnlScan = nullptr;

    FinderPopupMenu* PopupMenu1 = nullptr;
    QAction* SortbyGroup1 = nullptr;
    QAction* SortbySize1 = nullptr;
    QAction* Sortbyfiles1 = nullptr;
    QAction* SortbyName1 = nullptr;
};
