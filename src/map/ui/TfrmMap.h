// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "map/MapScanEngine.h"

#include "common/ui/BrowseHandOff.h"
#include "common/ui/ScanDialog.h"
#include "scans/ui/OpenScanFile.h"

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class DriveBoxPanel;
class QAction;
class FinderPopupMenu;
class QFrame;
class QLabel;
class QPushButton;
class TMapView;

// "Space Map": a squarified map of the walked folders in which every file is a tile whose area is
// its size, nested by folder on cushions and coloured by type, with the legend of the ten largest
// types. Opened from the main window (the ticked drives are walked with Scan), or from the folder
// hog window on its drives or on one folder (walked as soon as the window shows). "Open scan..."
// draws a saved scan instead of a walk. The window owns its engine and only shows what it
// produces; Browse and View hand the selected tile on, and what was deleted meanwhile leaves the
// map without a new walk. A saved scan's map stays as the scan saw it; its Browse and View act
// only on what is on this machine.
class TfrmMap : public ScanDialog {
    Q_OBJECT
public:
    explicit TfrmMap(QWidget* parent = nullptr);
    ~TfrmMap() override;

    // Folders to walk when the window shows, instead of waiting for Scan (exact path bytes).
    void setStartRoots(std::vector<std::string> roots);
    // A saved scan to draw when the window shows (exact path bytes), instead of walking.
    void setStartScan(std::string file) { m_startScan = std::move(file); }
    // The folder (exact path bytes) to show first once the map is there; the top when empty or absent.
    void setStartView(std::string folder) { m_startView = std::move(folder); }
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
    // Chooses the file for Open scan... (the file dialog unless another is set).
    void setScanFileChooser(ScanFileChooser chooser) { m_scanFileChooser = std::move(chooser); }
    // The saved scan the map shows (exact path bytes); empty for a walk of this machine.
    const std::string& scanFile() const { return m_scanFile; }

    const MapScanEngine& engine() const { return *m_engine; }
    // While a walk runs: the map of the roots' last scan, shown meanwhile (nullptr: none).
    const MapScanEngine* lastScan() const { return m_lastScan.get(); }
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
    void btOpenScanClick();
    // "Refresh": the selected folder (else the one in view) walked again alone, its tiles and every
    // total above it made again; F5: the walk of the same roots again. Not for a saved scan.
    void Refresh1Click();
    void refreshAll();
    // Walks the roots and shows their map.
    void scan(const std::vector<std::string>& roots);
    // Reads the saved scan and shows its map. A file that is no saved scan gives its message: the
    // map shown before stays when the file cannot be opened, none is shown when it breaks off.
    void showScan(const std::string& file);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildTopPanel();
    // Builds the map from what walk feeds the engine, then shows it.
    // Shows the last scan of lastScanRoots, when each has a snapshot, while the walk runs.
    void build(const std::function<void()>& walk, const std::vector<std::string>* lastScanRoots = nullptr);
    void showLastScan(const std::vector<std::string>& roots);
    void setScanningState(bool scanning);
    // Browse and View of a saved scan's tile: only on what this machine holds at that path.
    bool folderHere(std::uint32_t folder) const;
    bool fileHere(std::uint32_t folder, std::uint32_t file) const;
    void showResultState();
    void showHovered(int tile);
    void showSelection();
    void showViewPath();
    QString summaryText() const;
    int minimumClientWidth() const;

    std::unique_ptr<MapScanEngine> m_engine;
    std::unique_ptr<MapScanEngine> m_lastScan;
    double m_scale = 1.0;
    std::vector<std::string> m_startRoots;
    std::vector<std::string> m_lastRoots; // of the last walk, for F5
    std::string m_startSelection;
    std::string m_startScan;
    std::string m_startView;
    std::string m_scanFile;
    ScanFileChooser m_scanFileChooser;
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
    QPushButton* btOpenScan = nullptr;
    TMapView* pbMap = nullptr;
    QLabel* pnlScan = nullptr;
    FinderPopupMenu* PopupMenu1 = nullptr;
    QAction* Refresh1 = nullptr;
};
