// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "folderhogs/FolderSizeEngine.h"

#include "common/ui/BrowseHandOff.h"
#include "common/ui/ScanDialog.h"
#include "scans/ui/OpenScanFile.h"

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class DriveBoxPanel;
class FinderPopupMenu;
class QAction;
class QFrame;
class QLabel;
class QPrinter;
class QPushButton;
class ResultGridView;
class StringGridModel;

// The folder hog window ("Folder Hogs"): measures the folders of the ticked drives, in Main mode
// (the folders directly under each root, with everything below them) or All mode (every folder,
// its own files only), lists them largest first, and deletes or recycles a whole folder from the
// list. The window owns its engine, hands it the user's choices and shows its lines.
class TfrmDirHog : public ScanDialog {
    Q_OBJECT
public:
    // capacity: the engine's, the number of folder lines a scan takes before it stops.
    explicit TfrmDirHog(QWidget* parent = nullptr, std::size_t capacity = FolderSizeEngine::DefaultCapacity);
    ~TfrmDirHog() override;

    // The folder browser hand-off (TfrmBrowse unless another is set; folder, file name to select,
    // mask): the row's exact folder path bytes, no file name, "*.*". btBrowse stays hidden while
    // there is none.
    using BrowseHandOff = ::BrowseHandOff;
    void setBrowseHandOff(BrowseHandOff handOff);

    const FolderSizeEngine& engine() const { return *m_engine; }
    // While a walk of the drives runs: the lines of their last scan, shown meanwhile (nullptr: none).
    const FolderSizeEngine* lastScan() const { return m_lastScan.get(); }
    StringGridModel* gridModel() const { return m_model; }
    int rowsFilled() const { return m_rowsFilled; }
    // The display-order list behind the clipboard: the abort line first after a user's abort, then
    // the folder lines largest first, without the folders deleted since the scan.
    QStringList lb() const;

    // The report title of btPrintClick, and the report itself on a printer already set up.
    QString printTitle() const;
    void printTo(QPrinter& printer);
    // Where btSort opens the sort pop-up menu (global coordinates).
    QPoint sortMenuPosition() const;

    // Handlers, by their control and event.
    void FormShow() override;
    void FormResize();
    void cb1Click();
    void ClearGrid();
    void addToGrid(const std::vector<std::uint32_t>& keys);
    void btTopClick();
    void btAllClick();
    void btAbortClick();
    // walk: what is scanned (the ticked drives unless given).
    void scan(FolderScanMode mode, const std::function<void()>& walk = {});
    void ScanAllDrives();
    void SortbySize1Click(QAction* item);
    void btSortClick();
    void btPrintClick();
    void btClipClick();
    void btBrowseClick();
    void btDeleteClick();
    void btMapClick();           // the map of the scanned drives
    void Mapthisfolder1Click();  // the map of the current line's folder
    // "Open scan...": a saved scan (a snapshot, ncdu's or gdu's export) shown as if it were a drive;
    // Delete stays hidden, since the folders are not here to be acted on; Map draws the same file.
    void btOpenScanClick();
    void btWhatGrewClick(); // the What grew window
    // Chooses the file for Open scan... (a file dialog unless another is set; empty: none).
    void setScanFileChooser(ScanFileChooser chooser) { m_scanFileChooser = std::move(chooser); }
    // The saved scan whose lines are shown (exact path bytes); empty after a walk of the drives.
    const std::string& savedScanFile() const { return m_savedScanFile; }
    void Shrinktoppanel1Click();
    void Restoretoppanel1Click();
    // "Refresh" on the current line: its folder walked again alone, its line (and those below it)
    // made again; F5: the whole scan again.
    void Refresh1Click();
    void refreshAll();
    // Walks the folder of key again and shows the lines as they are now, keeping the sort; the
    // folder's new line (or the one where it was) becomes current.
    void refreshFolder(std::uint32_t key);


protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildTopPanel();
    void buildGrid();
    void layOutButtonRow();
    void setScanningState(bool scanning);
    // Shows the snapshots of the ticked drives, when each has one, until the walk ends.
    void showLastScan(FolderScanMode mode);
    int currentGridRow() const;        // 0 when no data row is current
    bool isDeletedKey(std::uint32_t key) const;
    // Marks the row's folder gone: its size cell says how, and its line leaves lb.
    void markFolderGone(int row, std::uint32_t key, const QString& how);
    int minimumClientWidth() const;

    std::unique_ptr<FolderSizeEngine> m_engine;
    std::unique_ptr<FolderSizeEngine> m_lastScan;
    StringGridModel* m_model = nullptr;
    double m_scale = 1.0;

    // Top panel
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label4 = nullptr;
    DriveBoxPanel* pnlDrives = nullptr;
    QPushButton* btTop = nullptr;
    QPushButton* btAll = nullptr;
    QPushButton* btClose = nullptr;
    QPushButton* btAbort = nullptr;
    QPushButton* btDelete = nullptr;
    QPushButton* btPrint = nullptr;
    QPushButton* btClip = nullptr;
    QPushButton* btBrowse = nullptr;
    QPushButton* btSort = nullptr;
    QPushButton* btMap = nullptr;
    QPushButton* btOpenScan = nullptr;
    QPushButton* btWhatGrew = nullptr;

    ResultGridView* grid = nullptr;
    QLabel* pnlScan = nullptr;

    FinderPopupMenu* PopupMenu1 = nullptr;
    QAction* SortbySize1 = nullptr;
    QAction* Sortbyfiles1 = nullptr;
    QAction* Sortbysubdirectories1 = nullptr;
    QAction* Sortbydate1 = nullptr;
    QAction* SortbyName1 = nullptr;
    QAction* N1 = nullptr; // separator
    QAction* Mapthisfolder1 = nullptr;
    QAction* Refresh1 = nullptr;

    int m_rowsFilled = 0;
    // Result keys whose folder was deleted or recycled from this window, with what their row says.
    std::map<std::uint32_t, QString> m_deleted;
    // The rows of the engine's lines now, with those of the deleted folders, in the order of the
    // sort last chosen; the row of key (when it has one) becomes current.
    void rebuildRows(std::uint32_t currentKey);
    bool m_userAborted = false;
    // Per column, the narrowest width that shows its texts whole (size and date; else 0).
    std::vector<int> m_textWidths;
    BrowseHandOff m_browseHandOff;
    ScanFileChooser m_scanFileChooser;
    std::string m_savedScanFile; // the lines come from this saved scan
    QString m_savedScanCaption;  // which scan that is: its folder and date
};
