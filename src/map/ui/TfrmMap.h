// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "map/MapScanEngine.h"

#include "common/ui/BrowseHandOff.h"
#include "common/ui/ScanDialog.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class DriveBoxPanel;
class FinderPopupMenu;
class QFrame;
class QLabel;
class QPushButton;
class TMapView;

// "Space Map": a squarified map of the walked folders in which every file is a tile whose area is
// its size, nested by folder on cushions and coloured by type, with the legend of the ten largest
// types. Opened from the main window (the ticked drives are walked with Scan), or from the folder
// hog window on its drives or on one folder (walked as soon as the window shows). The window owns
// its engine and only shows what it produces; Browse and View hand the selected tile on, and what
// was deleted meanwhile leaves the map without a new walk.
class TfrmMap : public ScanDialog {
    Q_OBJECT
public:
    explicit TfrmMap(QWidget* parent = nullptr);
    ~TfrmMap() override;

    // Folders to walk when the window shows, instead of waiting for Scan (exact path bytes).
    void setStartRoots(std::vector<std::string> roots);
    // The folder (exact path bytes) to select once the first map is there; none when empty.
    void setStartSelection(std::string folder) { m_startSelection = std::move(folder); }
    // The folder browser hand-off (the browser unless another is set): the selected tile's folder,
    // with the file's name for a file tile, and "*.*". btBrowse stays hidden while there is none.
    void setBrowseHandOff(BrowseHandOff handOff);
    // The viewer hand-off (the file viewer unless another is set): the selected file's exact path.
    using ViewHandOff = std::function<void(QWidget* parent, const std::string& path)>;
    void setViewHandOff(ViewHandOff handOff);
    // Called with the exact path of the folder of each tile the user selects.
    void setFolderSelectedHook(std::function<void(const std::string& folder)> hook);

    const MapScanEngine& engine() const { return *m_engine; }
    TMapView* mapView() const { return pbMap; }
    QString statusText() const;

    // Handlers, by their control and event.
    void FormShow() override;
    void FormResize();
    void cb1Click();
    void btScanClick();
    void btAbortClick();
    void btUpClick();
    void btBrowseClick();
    void btViewClick();
    // Walks the roots and shows their map.
    void scan(const std::vector<std::string>& roots);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildTopPanel();
    void setScanningState(bool scanning);
    void showResultState();
    void showHovered(int tile);
    void showSelection();
    void showViewPath();
    QString summaryText() const;
    int minimumClientWidth() const;

    std::unique_ptr<MapScanEngine> m_engine;
    double m_scale = 1.0;
    std::vector<std::string> m_startRoots;
    std::string m_startSelection;
    BrowseHandOff m_browseHandOff;
    ViewHandOff m_viewHandOff;
    std::function<void(const std::string&)> m_folderSelected;
    bool m_haveMap = false;

    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* lblPath = nullptr;
    DriveBoxPanel* pnlDrives = nullptr;
    QPushButton* btScan = nullptr;
    QPushButton* btClose = nullptr;
    QPushButton* btAbort = nullptr;
    QPushButton* btUp = nullptr;
    QPushButton* btBrowse = nullptr;
    QPushButton* btView = nullptr;
    TMapView* pbMap = nullptr;
    QLabel* pnlScan = nullptr;
    FinderPopupMenu* PopupMenu1 = nullptr;
};
