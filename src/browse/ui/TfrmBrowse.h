// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "browse/BrowsedFolder.h"
#include "browse/FolderFileList.h"
#include "common/ui/MarkedFiles.h"
#include "platform/DriveTable.h"

#include <QDialog>
#include <QIcon>
#include <QUrl>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class FinderPopupMenu;
class FolderTreeModel;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QModelIndex;
class QPushButton;
class QTreeView;
class ResultGridView;
class StringGridModel;

// "Browse through folders": the folder tree of one drive on the left, the files of the browsed
// folder in a grid on the right; marks, the delete of marked files and of the whole folder, Run
// and the sort menu. The browsed folder is the program's own current folder (CurrentFolder); the
// process's working folder never moves. The window lists nothing itself: the folder and its files
// come from FolderFileList, the tree from FolderTreeModel.
class TfrmBrowse : public QDialog {
    Q_OBJECT
public:
    explicit TfrmBrowse(QWidget* parent = nullptr);
    ~TfrmBrowse() override;

    // Opening, before exec(). The starting folder (exact bytes; the program's current folder when
    // none is set). False with the errno in *error when that folder cannot be opened; the browser
    // would then start in the deepest folder above it that opens.
    bool setFolder(const std::string& path, int* error = nullptr);
    // Selects a file of the starting folder by its exact name bytes; its row is current when the
    // window shows. Throws AppError("Invalid file name - <path>") when the folder holds no such file.
    void selectFile(const std::string& name);
    // The file list's wildcard ("*.*" by default).
    void setMask(const QString& mask);
    QString mask() const { return m_mask; }

    // Seams. The delete confirmation (TfrmReallyDelete when none is set).
    using DeleteConfirmation = ::DeleteConfirmation;
    void setDeleteConfirmation(DeleteConfirmation confirmation);
    // Opens a file URL with the desktop's associated application (QDesktopServices::openUrl by
    // default); true when the desktop took it. The file itself is never run by this program.
    using FileOpener = std::function<bool(const QUrl&)>;
    void setFileOpener(FileOpener opener);
    // The viewer hand-off: the exact path bytes of the selected file; the viewer window by default.
    // btView is disabled when it is cleared.
    using ViewHandOff = std::function<void(QWidget* parent, const std::string& path)>;
    void setViewHandOff(ViewHandOff handOff);

    // A file URL that carries the path's exact bytes (percent-encoded, so no byte is lost).
    static QUrl FileUrl(const std::string& path);

    // What the window shows.
    std::string folderPath() const;           // the browsed folder, exact bytes
    const std::vector<Drive>& drives() const { return m_drives; }
    int driveIndex() const { return m_drive; }
    StringGridModel* gridModel() const { return m_model; }
    FolderTreeModel* treeModel() const;
    const FolderFileList& files() const { return m_files; }
    std::int64_t listedBytes() const { return m_files.totalBytes(); }
    std::int64_t markedCount() const { return m_marked.count(); }
    std::int64_t markedBytes() const { return m_marked.bytes(); }
    std::vector<std::string> lbDeleted() const { return m_marked.paths(); }
    bool binFull() const { return m_binFull; }

    // Handlers, by their control and event.
    void FormShow();
    void FormResize();
    void DirectoryListBox1Change(); // rebuilds the listing
    // "Refresh" on a folder of the tree: it and its sub-folders listed again (a folder gone, or now
    // a link, leaves or shows as a link, never followed), and the files again when it holds the
    // browsed folder. F5: the whole tree and the files again.
    void Refresh1Click();
    void refreshAll();
    void FillGrid();
    void DriveComboBox1Change(int index);
    void DirectoryListBox1DblClick(const QModelIndex& index);
    void deleteOneFile(int row);
    void btMarkClick();
    void gridDblClick();
    void Sortbyname1Click(QAction* item);
    void btSortClick();
    void pnlScanClick(); // the wildcard panel
    void btDeleteFilesClick();
    void btDeleteDirectoryClick();
    void btViewClick();
    void btLaunchClick();
    // Makes the folder at names below the root of drive the browsed one. When it cannot be opened:
    // strict says why ("Can't open folder ") and changes nothing (false); otherwise the deepest
    // folder above it that opens is browsed.
    bool changeFolder(int drive, const std::vector<std::string>& names, bool strict);

    void reject() override; // FormCloseQuery: Close, Esc and the frame

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPanels();
    void buildButtons();
    void openCurrent();
    void showFolderInTree();
    void showMarks();
    void applySort(QAction* item);
    int selectedKeyRow() const; // the current data row with a file, or 0

    std::vector<Drive> m_drives;
    int m_drive = 0;
    std::vector<std::string> m_names;                    // the browsed folder below its drive's root
    std::vector<std::vector<std::string>> m_driveFolders; // the last folder browsed on each drive
    BrowsedFolder m_folder;
    FolderFileList m_files;
    MarkedFiles m_marked;
    QString m_mask = QStringLiteral("*.*");
    std::string m_selected; // the file to make current at the first listing
    bool m_binFull = false;
    DeleteConfirmation m_deleteConfirmation;
    FileOpener m_opener;
    ViewHandOff m_viewHandOff;
    double m_scale = 1.0;
    std::vector<int> m_textWidths;

    QFrame* Panel3 = nullptr;
    QFrame* Panel4 = nullptr;
    QComboBox* DriveComboBox1 = nullptr;
    QTreeView* DirectoryListBox1 = nullptr;
    FolderTreeModel* m_tree = nullptr;
    QFrame* Panel5 = nullptr;
    QFrame* Panel6 = nullptr;
    QLabel* Label1 = nullptr;
    ResultGridView* grid = nullptr;
    StringGridModel* m_model = nullptr;
    QFrame* Panel2 = nullptr;
    QPushButton* btDeleteDirectory = nullptr;
    QPushButton* btLaunch = nullptr;
    QPushButton* btView = nullptr;
    QPushButton* btSort = nullptr;
    QPushButton* btMark = nullptr;
    QPushButton* btDeleteFiles = nullptr;
    QPushButton* btClose = nullptr;
    QFrame* pnlScan2 = nullptr;
    QLabel* pnlScan = nullptr;
    QLabel* pnlWild = nullptr;
    QLabel* pnlSize = nullptr;
    QIcon imTrash;
    QIcon imTrashFul;
    FinderPopupMenu* PopupMenu1 = nullptr;
    QAction* Refresh1 = nullptr; // the tree's pop-up menu
    QAction* Sortbyname1 = nullptr;
    QAction* SortbyDate1 = nullptr;
    QAction* SortbyAccessDate = nullptr;
    QAction* SortbySize1 = nullptr;
    QAction* SortbyType1 = nullptr;
};

// The browser hand-off of the finder windows (a BrowseHandOff): opens TfrmBrowse modally on the
// folder (exact bytes) with the file name selected and the mask. A file that is not there gives
// "Invalid file name - <path>", a folder that cannot be opened "Can't open folder <path>" and the
// reason; the browser then does not open.
void OpenFolderBrowser(QWidget* parent, const std::string& folder, const std::string& name, const QString& mask);
