// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/ui/TfrmMap.h"

#include "browse/ui/TfrmBrowse.h"
#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "common/NumberTexts.h"
#include "common/ui/AltKeyGuard.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/DpiScale.h"
#include "common/ui/DriveBoxPanel.h"
#include "common/ui/FinderPopupMenu.h"
#include "common/ui/StatusPanel.h"
#include "map/MapTexts.h"
#include "map/ui/TMapView.h"
#include "platform/FolderHandle.h"
#include "scans/SavedScan.h"
#include "scans/ui/LastScan.h"
#include "viewer/ui/TfrmView.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <cstring>
#include <sys/stat.h>

namespace {
constexpr int PanelHeight = 169;
constexpr int ButtonY = 138;
constexpr int ButtonHeight = 28;
constexpr int ButtonWidth = 66;
constexpr int ScanButtonWidth = 80;
constexpr int OpenScanButtonWidth = 90;
constexpr int DrivePanelTop = 8;
constexpr int ExplanationLeft = 60;
constexpr int ExplanationWidth = 270;
constexpr int PathTop = 104;
} // namespace

TfrmMap::TfrmMap(QWidget* parent)
    : ScanDialog(parent), m_engine(std::make_unique<MapScanEngine>()), m_browseHandOff(OpenFolderBrowser),
      m_viewHandOff(&TfrmView::ViewFile) {
    setObjectName(QStringLiteral("frmMap"));
    setWindowTitle(QStringLiteral("Space Map"));
    m_scale = DpiScale(this);

    buildTopPanel();
    pbMap = new TMapView(this);
    pbMap->setObjectName(QStringLiteral("pbMap"));
    pnlScan = NewStatusPanel("pnlScan", FinderStatusFont(), this);
    pnlScan->setFixedHeight(Scaled(21, m_scale));
    stackPanels(Panel1, pbMap, pnlScan);
    new AltKeyGuard(this);

    PopupMenu1 = new FinderPopupMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addTopPanelItems(Panel1);
    Refresh1 = PopupMenu1->addAction(QStringLiteral("&Refresh"), this, [this] { Refresh1Click(); });
    Refresh1->setObjectName(QStringLiteral("Refresh1"));
    connect(PopupMenu1, &QMenu::aboutToShow, this,
            [this] { Refresh1->setEnabled(m_haveMap && !scanning() && m_scanFile.empty()); });
    // F5 walks everything again, as file managers do.
    auto* again = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(again, &QShortcut::activated, this, [this] { refreshAll(); });

    m_engine->setYieldHook([this] { yieldToEvents(pnlScan); });
    setWalkStatusSource([this] { return m_engine->walkStatus(); });
    setSkippedEntries(&m_engine->skipped());
    connect(pbMap, &TMapView::hovered, this, [this](int tile) { showHovered(tile); });
    connect(pbMap, &TMapView::selectionChanged, this, [this] { showSelection(); });
    connect(pbMap, &TMapView::viewChanged, this, [this] { showViewPath(); });
    connect(pbMap, &TMapView::contextMenuAsked, this, [this](const QPoint& at) { PopupMenu1->popup(at); });

    resize(Scaled(800, m_scale), Scaled(600, m_scale));
}

TfrmMap::~TfrmMap() = default;

void TfrmMap::setStartRoots(std::vector<std::string> roots) { m_startRoots = std::move(roots); }

void TfrmMap::setBrowseHandOff(BrowseHandOff handOff) { m_browseHandOff = std::move(handOff); }

void TfrmMap::setViewHandOff(ViewHandOff handOff) { m_viewHandOff = std::move(handOff); }

void TfrmMap::setFolderSelectedHook(std::function<void(const std::string&)> hook) {
    m_folderSelected = std::move(hook);
}

void TfrmMap::buildTopPanel() {
    const double s = m_scale;
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(Scaled(PanelHeight, s));

    auto label = [&](const char* name, const char* text, int x, int y, int w, int h) {
        return addPanelLabel(Panel1, name, text, QRect(x, y, w, h), s);
    };
    Label1 = label("Label1", "Map -", 10, 14, 48, 18);
    Label2 = label("Label2", "every file is a tile whose area is its size; the files of a folder lie together",
                   ExplanationLeft, 14, ExplanationWidth, 36);
    Label3 = label("Label3", "Zoom -", 10, 60, 48, 18);
    Label5 = label("Label5", "double-click a tile to enter its folder; Backspace or Up goes back up", ExplanationLeft,
                   60, ExplanationWidth, 36);
    for (QLabel* l : {Label2, Label5})
        l->setWordWrap(true);
    lblPath = label("lblPath", "", 10, PathTop, ExplanationLeft + ExplanationWidth - 10, 20);
    lblPath->setTextFormat(Qt::PlainText);
    QFont bold = lblPath->font();
    bold.setBold(true);
    lblPath->setFont(bold);
    Label4 = label("Label4", "D&rives:", 0, DrivePanelTop + 2, 48, 18);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignTop);

    pnlDrives = new DriveBoxPanel(Panel1);
    pnlDrives->applyScale(s);
    pnlDrives->move(Scaled(428, s), Scaled(DrivePanelTop, s));
    Label4->setBuddy(pnlDrives->box(1));

    auto button = [&](const char* name, const char* text, const char* hint, int x, int width) {
        auto* b = new QPushButton(QString::fromUtf8(text), Panel1);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromUtf8(hint));
        b->setAutoDefault(false);
        b->setGeometry(ScaledRect(x, ButtonY, width, ButtonHeight, s));
        return b;
    };
    // In the folder hog window's row: Up, Browse and View appear once there is a map, Abort
    // only while walking, in Up's place.
    int x = 3;
    btScan = button("btScan", "&Scan", "Walk the ticked drives and draw their map", x, ScanButtonWidth);
    x += ScanButtonWidth + 3;
    btClose = button("btClose", "Close", "Close window", x, ButtonWidth);
    x += ButtonWidth + 3;
    btAbort = button("btAbort", "&Abort", "Abort scan", x, ButtonWidth);
    btUp = button("btUp", "&Up", "Back to the folder above (Backspace)", x, ButtonWidth);
    x += ButtonWidth + 3;
    btBrowse = button("btBrowse", "&Browse", "Browse the folder of the selected tile", x, ButtonWidth);
    x += ButtonWidth + 3;
    btView = button("btView", "&View", "View the selected file", x, ButtonWidth);
    // At the right of the row, under the drives: the rest of the row keeps its places.
    btOpenScan = button("btOpenScan", "&Open scan...", "Draw the map of a saved scan", x, OpenScanButtonWidth);

    connect(pnlDrives, &DriveBoxPanel::tickedChanged, this, [this] { cb1Click(); });
    connect(btScan, &QPushButton::clicked, this, [this] { btScanClick(); });
    connect(btClose, &QPushButton::clicked, this, [this] { reject(); });
    connect(btAbort, &QPushButton::clicked, this, [this] { btAbortClick(); });
    connect(btUp, &QPushButton::clicked, this, [this] { btUpClick(); });
    connect(btBrowse, &QPushButton::clicked, this, [this] { btBrowseClick(); });
    connect(btView, &QPushButton::clicked, this, [this] { btViewClick(); });
    connect(btOpenScan, &QPushButton::clicked, this, [this] { btOpenScanClick(); });
}

int TfrmMap::minimumClientWidth() const {
    const int buttons = btView->geometry().right() + 1 + Scaled(3 + OpenScanButtonWidth + 10, m_scale);
    const int panel = Scaled(ExplanationLeft + ExplanationWidth + 10, m_scale) + Label4->width() +
                      Scaled(10, m_scale) + pnlDrives->width() + Scaled(10, m_scale);
    return std::max(buttons, panel);
}

void TfrmMap::FormShow() {
    PopupMenu1->rememberPanelHeight();
    for (QPushButton* b : {btUp, btBrowse, btView, btAbort})
        b->hide();
    pnlDrives->loadDrives();
    cb1Click();
    btScan->setFocus();

    const QRect area = screenArea();
    setMinimumSize(std::min(minimumClientWidth(), area.width() - 10), Scaled(PanelHeight, m_scale) * 2);
    // As large as was designed, but never beyond the screen.
    resize(std::min(width(), area.width() - 10), std::min(height(), area.height() - 40));
    centreOnScreen();
    FormResize();
    if (!m_startScan.empty())
        QTimer::singleShot(0, this, [this] { showScan(m_startScan); });
    else if (!m_startRoots.empty())
        QTimer::singleShot(0, this, [this] { scan(m_startRoots); });
}

void TfrmMap::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TfrmMap::FormResize() {
    if (!pnlDrives)
        return;
    placeDrivePanel(pnlDrives, Label4, width(), m_scale);
    btOpenScan->move(pnlDrives->geometry().right() + 1 - btOpenScan->width(), btOpenScan->y());
    lblPath->setFixedWidth(std::max(Scaled(40, m_scale), Label4->x() - Scaled(10, m_scale) - lblPath->x()));
    showViewPath();
}

void TfrmMap::cb1Click() { btScan->setEnabled(pnlDrives->anyTicked() && !scanning()); }

void TfrmMap::setScanningState(bool scanning) {
    setScanning(scanning);
    btAbort->setVisible(scanning);
    if (scanning)
        for (QPushButton* b : {btUp, btBrowse, btView})
            b->hide();
    btClose->setEnabled(!scanning);
    btOpenScan->setEnabled(!scanning);
    pnlDrives->setEnabled(!scanning);
    cb1Click();
}

void TfrmMap::btScanClick() {
    m_startRoots.clear();
    std::vector<std::string> roots;
    for (const TickedDrive& drive : pnlDrives->tickedDrives())
        roots.push_back(drive.mountPoint);
    scan(roots);
}

void TfrmMap::refreshAll() {
    if (!m_haveMap || scanning() || !m_scanFile.empty() || m_lastRoots.empty())
        return;
    const std::vector<std::string> roots = m_lastRoots;
    scan(roots);
}

void TfrmMap::Refresh1Click() {
    if (!m_haveMap || scanning() || !m_scanFile.empty())
        return;
    const MapModel& m = m_engine->model();
    const std::uint32_t target = pbMap->hasSelection() ? pbMap->selectedFolder() : pbMap->viewFolder();
    if (target == MapModel::Scan) {
        refreshAll();
        return;
    }
    const std::string viewPath = m.folderPath(pbMap->viewFolder());
    std::uint32_t now = MapModel::NoFolder;
    setScanningState(true);
    {
        struct LeaveScanning {
            TfrmMap* w;
            ~LeaveScanning() { w->setScanningState(false); }
        } leave{this};
        BusyCursor busy;
        now = m_engine->refreshFolder(target);
    }
    // The view stays on the same folder, or the nearest one above it that is still there.
    std::string path = viewPath;
    std::uint32_t view = m.findFolder(path);
    while (view == MapModel::NoFolder && !path.empty()) {
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos || slash == 0)
            break;
        path.resize(slash);
        view = m.findFolder(path);
    }
    pbMap->modelChanged();
    pbMap->setViewFolder(view == MapModel::NoFolder ? m.top() : view);
    if (now != MapModel::NoFolder && m.contains(pbMap->viewFolder(), now) && now != pbMap->viewFolder())
        pbMap->selectFolder(now);
    else
        pbMap->clearSelection();
    showResultState();
    closeIfAsked();
}

void TfrmMap::scan(const std::vector<std::string>& roots) {
    m_lastRoots = roots;
    m_scanFile.clear();
    build(
        [&] {
        for (const std::string& root : roots) {
            if (m_engine->aborted())
                break;
            if (!m_engine->scanDrive(root))
                ShowErrorMessage(QStringLiteral("Can't open folder ") + DisplayText(root));
        }
        },
        &roots);
    closeIfAsked();
}

void TfrmMap::btOpenScanClick() {
    const std::string file = ScanFilePath(m_scanFileChooser ? m_scanFileChooser(this) : ChooseScanFile(this));
    if (!file.empty())
        showScan(file);
}

void TfrmMap::showScan(const std::string& file) {
    SavedScan saved;
    if (!OpenScanFile(saved, file))
        return;
    m_scanFile = file;
    build([&] { m_engine->scanSaved(saved.replay()); });
    if (saved.failed()) {
        // Nothing read from a broken file is shown; the window waits for the next scan.
        m_scanFile.clear();
        m_haveMap = false;
        pbMap->setModel(nullptr);
        m_engine->begin();
        showResultState();
        pnlScan->clear();
        ShowScanFileError(saved);
    }
    closeIfAsked();
}

void TfrmMap::showLastScan(const std::vector<std::string>& roots) {
    auto last = std::make_unique<MapScanEngine>();
    last->begin();
    const std::int64_t when = ReplayLastScans(roots, [&](ScanReplay& replay) { last->scanSaved(replay); });
    if (when == 0)
        return;
    last->finish();
    m_lastScan = std::move(last);
    pbMap->setModel(&m_lastScan->model());
    const QString mark = LastScanMark(when);
    pnlScan->setText(mark);
    setWalkStatusSource([mark] { return mark; });
}

void TfrmMap::build(const std::function<void()>& walk, const std::vector<std::string>* lastScanRoots) {
    m_haveMap = false;
    pbMap->setModel(nullptr);
    m_engine->begin();
    setScanningState(true);
    pnlScan->clear();
    pnlScan->setToolTip(QString());
    if (lastScanRoots)
        showLastScan(*lastScanRoots);
    {
        // Whatever happens in the walk, the window must come back to the idle state.
        struct LeaveScanning {
            TfrmMap* w;
            ~LeaveScanning() { w->setScanningState(false); }
        } leave{this};
        BusyCursor busy;
        walk();
        m_engine->finish();
        pbMap->setModel(&m_engine->model());
        m_haveMap = true;
        if (m_lastScan) {
            m_lastScan.reset();
            setWalkStatusSource([this] { return m_engine->walkStatus(); });
        }
    }
    const MapModel& m = m_engine->model();
    if (!m_startView.empty()) {
        if (const std::uint32_t folder = m.findFolder(m_startView); folder != MapModel::NoFolder)
            pbMap->setViewFolder(folder);
        m_startView.clear();
    }
    if (!m_startSelection.empty()) {
        if (const std::uint32_t folder = m.findFolder(m_startSelection); folder != MapModel::NoFolder)
            pbMap->selectFolder(folder);
        m_startSelection.clear();
    }
    showResultState();
}

void TfrmMap::btAbortClick() {
    m_engine->abort();
    btAbort->hide();
}

void TfrmMap::showResultState() {
    btUp->setVisible(m_haveMap);
    btBrowse->setVisible(m_haveMap && bool(m_browseHandOff));
    btView->setVisible(m_haveMap && bool(m_viewHandOff));
    showViewPath();
    showSelection();
    pbMap->setFocus();
}

QString TfrmMap::summaryText() const {
    if (!m_haveMap)
        return QString();
    const MapModel& m = m_engine->model();
    QString text = QStringLiteral("Files : ") + FormatThousands(m.folder(MapModel::Scan).files) +
                   QStringLiteral("   Size : ") + FormatThousands(m.folder(MapModel::Scan).bytes) +
                   QStringLiteral(" bytes");
    if (m_engine->aborted())
        text += QStringLiteral("   (walk aborted: the map is incomplete)");
    if (!m_scanFile.empty())
        text += QStringLiteral("   Scan file : ") + DisplayText(m_scanFile);
    return text;
}

QString TfrmMap::statusText() const { return pnlScan->text(); }

void TfrmMap::showHovered(int tile) {
    if (!m_haveMap || scanning())
        return;
    if (tile < 0) {
        showSelection();
        return;
    }
    pnlScan->setText(DescribeTile(m_engine->model(), pbMap->layout().tiles()[std::size_t(tile)]).joined());
}

void TfrmMap::showSelection() {
    if (!m_haveMap) {
        btView->setEnabled(false);
        return;
    }
    // A saved scan may come from another machine: only what is here at its path can be acted on.
    const bool saved = !m_scanFile.empty();
    const std::uint32_t browsed = pbMap->hasSelection() ? pbMap->selectedFolder() : pbMap->viewFolder();
    const bool canBrowse = browsed != MapModel::Scan && (!saved || folderHere(browsed));
    const bool canView =
        pbMap->selectedIsFile() && (!saved || fileHere(pbMap->selectedFolder(), pbMap->selectedFile()));
    btView->setEnabled(canView);
    btBrowse->setEnabled(canBrowse);
    const bool viewAbsent = saved && pbMap->selectedIsFile() && !canView;
    btView->setToolTip(viewAbsent ? QStringLiteral("The scan's file is not on this machine")
                                  : QStringLiteral("View the selected file"));
    btBrowse->setToolTip(saved && browsed != MapModel::Scan && !canBrowse
                             ? QStringLiteral("The scan's folder is not on this machine")
                             : QStringLiteral("Browse the folder of the selected tile"));
    const int tile = pbMap->selectedTile();
    if (tile >= 0)
        pnlScan->setText(DescribeTile(m_engine->model(), pbMap->layout().tiles()[std::size_t(tile)]).joined());
    else
        pnlScan->setText(summaryText());
    if (pbMap->hasSelection() && m_folderSelected && pbMap->selectedFolder() != MapModel::Scan)
        m_folderSelected(m_engine->model().folderPath(pbMap->selectedFolder()));
}

void TfrmMap::showViewPath() {
    if (!m_haveMap) {
        lblPath->clear();
        return;
    }
    const std::uint32_t view = pbMap->viewFolder();
    const MapTileText text = DescribeFolder(m_engine->model(), view);
    const QString line = text.path + QStringLiteral("   ") + MapSizeText(m_engine->model().folder(view).bytes);
    lblPath->setText(lblPath->fontMetrics().elidedText(line, Qt::ElideMiddle, lblPath->width()));
    lblPath->setToolTip(text.joined());
    btUp->setEnabled(pbMap->canGoUp());
}

void TfrmMap::btUpClick() {
    pbMap->goUp();
    pbMap->setFocus();
}

void TfrmMap::btBrowseClick() {
    if (!m_haveMap || !m_browseHandOff || !btBrowse->isEnabled())
        return;
    const MapModel& m = m_engine->model();
    if (pbMap->selectedIsFile()) {
        // The exact bytes the walk saw, never a path read back from a text.
        BrowseToFile(m_browseHandOff, this, m.filePath(pbMap->selectedFolder(), pbMap->selectedFile()),
                     QStringLiteral("*.*"));
    } else {
        const std::uint32_t folder = pbMap->hasSelection() ? pbMap->selectedFolder() : pbMap->viewFolder();
        if (folder == MapModel::Scan)
            return;
        m_browseHandOff(this, m.folderPath(folder), std::string(), QStringLiteral("*.*"));
    }
    // The browser can delete files and folders: what went leaves the map. A saved scan's map shows
    // the scan as it was.
    if (!m_scanFile.empty())
        return;
    std::size_t gone = 0;
    {
        BusyCursor busy;
        gone = m_engine->recheck();
    }
    if (gone > 0)
        pbMap->modelChanged();
}

void TfrmMap::btViewClick() {
    if (m_haveMap && m_viewHandOff && pbMap->selectedIsFile() && btView->isEnabled())
        m_viewHandOff(this, m_engine->model().filePath(pbMap->selectedFolder(), pbMap->selectedFile()));
}

bool TfrmMap::folderHere(std::uint32_t folder) const {
    return FolderHandle::open(m_engine->model().folderPath(folder)).valid();
}

bool TfrmMap::fileHere(std::uint32_t folder, std::uint32_t file) const {
    const FolderHandle handle = FolderHandle::open(m_engine->model().folderPath(folder));
    FsEntry entry;
    return handle.valid() && StatEntry(handle, m_engine->model().fileName(file), entry, false) == 0 &&
           S_ISREG(entry.mode);
}
