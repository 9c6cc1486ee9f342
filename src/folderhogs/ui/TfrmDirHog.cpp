// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderhogs/ui/TfrmDirHog.h"

#include "browse/ui/TfrmBrowse.h"
#include "common/MessageService.h"
#include "common/NumberTexts.h"
#include "common/StringGridModel.h"
#include "common/ui/AltKeyGuard.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/DpiScale.h"
#include "common/ui/StatusPanel.h"
#include "common/ui/SwappedButtonGuard.h"
#include "common/ui/DriveBoxPanel.h"
#include "common/ui/FinderPopupMenu.h"
#include "common/ui/ResultGridView.h"
#include "scans/SavedScan.h"
#include "scans/SnapshotStore.h"
#include "scans/ui/LastScan.h"
#include "scans/ui/TfrmWhatGrew.h"
#include "platform/DriveTable.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <algorithm>

namespace {
constexpr int PanelHeight = 169;
constexpr int ButtonY = 138;
constexpr int ButtonHeight = 28;
constexpr int ButtonWidth = 66;
constexpr int StartButtonWidth = 80; // "&Main folders" and "&All Folders" need a little more
constexpr int MapButtonWidth = 50;   // after Sort, within the window's width
constexpr int DrivePanelTop = 8;
constexpr int ExplanationLeft = 52;
constexpr int ExplanationWidth = 270;
constexpr int DesignWidths[5] = {61, 40, 40, 70, 90};
constexpr int DesignWidth = 638;
constexpr int DesignHeight = 414;

// Per column 0..4, the narrowest width that shows its title and its size, count or date texts whole
// in the grid's fonts and the default locale. sizeText: the largest folder's size text, which may be
// longer than seven digits.
std::vector<int> ColumnTextWidths(const ResultGridView& grid, const QString& sizeText) {
    QStringList sizes{ResultGridView::sizeKSample(7), QStringLiteral("RECYCLED"), QStringLiteral("DELETED")};
    if (!sizeText.isEmpty())
        sizes << sizeText;
    // Counts of files and sub-folders up to ten digits show whole.
    const int count = grid.columnWidthFor({QString(10, u'9')});
    std::vector<int> widths{grid.columnWidthFor(sizes), 0, count, count,
                            grid.columnWidthFor(ResultGridView::dateSamples())};
    for (int c = 0; c < 5; ++c)
        widths[std::size_t(c)] = std::max(widths[std::size_t(c)], grid.horizontalHeader()->sectionSizeHint(c));
    return widths;
}
} // namespace

TfrmDirHog::TfrmDirHog(QWidget* parent, std::size_t capacity)
    : ScanDialog(parent), m_engine(std::make_unique<FolderSizeEngine>(capacity)), m_browseHandOff(OpenFolderBrowser) {
    setObjectName(QStringLiteral("frmDirHog"));
    setWindowTitle(QStringLiteral("Folder Hogs"));
    m_scale = DpiScale(this);

    buildTopPanel();
    buildGrid();
    stackPanels(Panel1, grid, pnlScan);

    // Alt+M on a disabled start button must reach nothing.
    new AltKeyGuard(this);

    m_engine->setYieldHook([this] { yieldToEvents(pnlScan); });
    setSkippedEntries(&m_engine->skipped());
    m_model->setRowSource(m_engine.get());

    resize(Scaled(DesignWidth, m_scale), Scaled(DesignHeight, m_scale));
}

TfrmDirHog::~TfrmDirHog() {
    // The model renders rows from the engine: drop them before the engine goes.
    if (m_model)
        m_model->clearRows();
}

void TfrmDirHog::setBrowseHandOff(BrowseHandOff handOff) {
    m_browseHandOff = std::move(handOff);
    layOutButtonRow();
}

void TfrmDirHog::buildTopPanel() {
    const double s = m_scale;
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(Scaled(PanelHeight, s));

    auto label = [&](const char* name, const char* text, int x, int y, int w, int h) {
        auto* l = new QLabel(QString::fromUtf8(text), Panel1);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(ScaledRect(x, y, w, h, s));
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return l;
    };
    Label1 = label("Label1", "Main -", 10, 14, 40, 18);
    Label2 = label("Label2", "only main folders are displayed (those folders directly under the main folder)",
                   ExplanationLeft, 14, ExplanationWidth, 36);
    Label3 = label("Label3", "All -", 10, 60, 40, 18);
    Label5 = label("Label5", "all folders including sub-folders are individually displayed", ExplanationLeft, 60,
                   ExplanationWidth, 36);
    for (QLabel* l : {Label2, Label5})
        l->setWordWrap(true);
    Label4 = label("Label4", "D&rives:", 0, DrivePanelTop + 2, 48, 18);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignTop);

    pnlDrives = new DriveBoxPanel(Panel1);
    pnlDrives->applyScale(s);
    pnlDrives->move(Scaled(428, s), Scaled(DrivePanelTop, s));
    Label4->setBuddy(pnlDrives->box(1));

    btTop = addPanelButton(Panel1, "btTop", "&Main folders",
                           "Only topmost folders. Does not display sub-folders.");
    btAll =
        addPanelButton(Panel1, "btAll", "&All Folders", "ALL folders including sub-folders are displayed");
    btClose = addPanelButton(Panel1, "btClose", "Close", "Close window");
    btAbort = addPanelButton(Panel1, "btAbort", "&Abort", "Abort scan");
    btDelete = addPanelButton(Panel1, "btDelete", "&Delete", "Delete the folder");
    new SwappedButtonGuard(btDelete, btAbort); // it appears where Abort was
    btPrint = addPanelButton(Panel1, "btPrint", "&Print", "Print list of directories");
    btClip = addPanelButton(Panel1, "btClip", "C&lipboard", "Copy list of directories to clipboard");
    btBrowse = addPanelButton(Panel1, "btBrowse", "&Browse", "Browse the files and folder");
    btSort = addPanelButton(Panel1, "btSort", "S&ort", "Sort columns ");
    btMap = addPanelButton(Panel1, "btMap", "Map", "Map of where the space went");
    // Beside the explanations, where the panel has room.
    btOpenScan =
        addPanelButton(Panel1, "btOpenScan", "Open &scan...", "Show a saved scan as if it were a drive");
    btWhatGrew = addPanelButton(Panel1, "btWhatGrew", "&What grew", "What grew since an earlier scan");
    btOpenScan->setGeometry(ScaledRect(ExplanationLeft, 102, 90, 24, s));
    btWhatGrew->setGeometry(ScaledRect(ExplanationLeft + 94, 102, 90, 24, s));
    layOutButtonRow();

    connect(pnlDrives, &DriveBoxPanel::tickedChanged, this, [this] { cb1Click(); });
    connect(btTop, &QPushButton::clicked, this, [this] { btTopClick(); });
    connect(btAll, &QPushButton::clicked, this, [this] { btAllClick(); });
    connect(btClose, &QPushButton::clicked, this, [this] { reject(); });
    connect(btAbort, &QPushButton::clicked, this, [this] { btAbortClick(); });
    connect(btDelete, &QPushButton::clicked, this, [this] { btDeleteClick(); });
    connect(btPrint, &QPushButton::clicked, this, [this] { btPrintClick(); });
    connect(btClip, &QPushButton::clicked, this, [this] { btClipClick(); });
    connect(btBrowse, &QPushButton::clicked, this, [this] { btBrowseClick(); });
    connect(btSort, &QPushButton::clicked, this, [this] { btSortClick(); });
    connect(btMap, &QPushButton::clicked, this, [this] { btMapClick(); });
    connect(btOpenScan, &QPushButton::clicked, this, [this] { btOpenScanClick(); });
    connect(btWhatGrew, &QPushButton::clicked, this, [this] { btWhatGrewClick(); });
}

void TfrmDirHog::layOutButtonRow() {
    // Each button 3 pixels right of the one before; btDelete sits where btAbort does.
    std::vector<std::vector<QPushButton*>> places{{btTop}, {btAll}, {btClose}, {btAbort, btDelete}, {btPrint}, {btClip}};
    if (m_browseHandOff) // no gap for a browser that is not there
        places.push_back({btBrowse});
    places.push_back({btSort});
    places.push_back({btMap});
    int x = 3;
    for (const auto& place : places) {
        const int width = place.front() == btTop || place.front() == btAll ? StartButtonWidth
                          : place.front() == btMap                        ? MapButtonWidth
                                                                          : ButtonWidth;
        for (QPushButton* b : place)
            b->setGeometry(ScaledRect(x, ButtonY, width, ButtonHeight, m_scale));
        x += width + 3;
    }
}

void TfrmDirHog::buildGrid() {
    m_model = new StringGridModel(this);
    grid = new ResultGridView(this);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setModel(m_model);
    grid->horizontalHeader()->setStretchLastSection(false);
    connect(grid, &QTableView::doubleClicked, this, [this] { btDeleteClick(); });

    PopupMenu1 = new FinderPopupMenu(this);
    auto item = [&](const char* name, const char* text) {
        return PopupMenu1->addSortItem(name, QString::fromUtf8(text), [this](QAction* a) { SortbySize1Click(a); });
    };
    SortbySize1 = item("SortbySize1", "Sort by &Size");
    Sortbyfiles1 = item("Sortbyfiles1", "Sort by # &Files");
    Sortbysubdirectories1 = item("Sortbysubdirectories1", "Sort by # Sub-f&olders");
    Sortbydate1 = item("Sortbydate1", "Sort by &Access Date");
    SortbyName1 = item("SortbyName1", "Sort by &Name");
    PopupMenu1->checkSortItem(SortbySize1);
    N1 = PopupMenu1->addTopPanelItems(Panel1);
    Mapthisfolder1 = PopupMenu1->addAction(QStringLiteral("&Map of this folder"), this, [this] { Mapthisfolder1Click(); });
    Mapthisfolder1->setObjectName(QStringLiteral("Mapthisfolder1"));
    Refresh1 = PopupMenu1->addAction(QStringLiteral("&Refresh"), this, [this] { Refresh1Click(); });
    Refresh1->setObjectName(QStringLiteral("Refresh1"));
    Refresh1->setToolTip(QStringLiteral("Walk this folder again and show what it holds now"));
    // F5 walks everything again, as file managers do.
    auto* again = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(again, &QShortcut::activated, this, [this] { refreshAll(); });
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] {
        Refresh1->setEnabled(!scanning() && m_savedScanFile.empty() && m_rowsFilled > 0 &&
                             !isDeletedKey(m_model->keyOf(std::max(currentGridRow(), 1))));
    });
    PopupMenu1->serveAsContextMenu(grid);

    pnlScan = NewStatusPanel("pnlScan", FinderStatusFont(), this);
    pnlScan->setFixedHeight(Scaled(21, m_scale));
}

int TfrmDirHog::minimumClientWidth() const {
    // The button row, and the explanations beside the drive label and panel, must stay whole.
    const int buttons = btMap->geometry().right() + 1 + Scaled(3, m_scale);
    const int panel = Scaled(ExplanationLeft + ExplanationWidth + 10, m_scale) + Label4->width() +
                      Scaled(10, m_scale) + pnlDrives->width() + Scaled(10, m_scale);
    return std::max(buttons, panel);
}

void TfrmDirHog::FormShow() {
    PopupMenu1->rememberPanelHeight();
    ClearGrid();
    for (QPushButton* b : {btPrint, btClip, btBrowse, btSort, btDelete, btAbort, btMap})
        b->hide();
    pnlScan->clear();

    pnlDrives->loadDrives();
    cb1Click();
    btClose->setEnabled(true);
    layOutButtonRow();
    btTop->setFocus();

    const QRect area = screenArea();
    const int minWidth = std::min(minimumClientWidth(), area.width() - 10);
    const int minHeight = Scaled(PanelHeight, m_scale) * 2;
    setMinimumSize(minWidth, minHeight);

    centreOnScreen();
    FormResize();
}

void TfrmDirHog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TfrmDirHog::FormResize() {
    if (!grid || !pnlDrives)
        return;
    const int client = width();
    // The design widths are the least; a column whose texts are wider in this font and locale
    // grows, and the Name column gives up that room. Name, the paths, fills the grid.
    std::vector<int> widths;
    int taken = 0;
    for (int c = 0; c < 5; ++c) {
        const int design = Scaled(DesignWidths[c], m_scale);
        widths.push_back(std::size_t(c) < m_textWidths.size() ? std::max(design, m_textWidths[std::size_t(c)])
                                                              : design);
        taken += widths.back();
    }
    const int nameRoom = std::min(client, Scaled(DesignWidth, m_scale));
    widths.push_back(std::max(nameRoom - taken - Scaled(25, m_scale), Scaled(30, m_scale)));
    grid->setColumnLayout(widths, 5);
    pnlDrives->move(client - Scaled(10, m_scale) - pnlDrives->width(), pnlDrives->y());
    Label4->move(pnlDrives->x() - Scaled(10, m_scale) - Label4->width(), Label4->y());
}

void TfrmDirHog::cb1Click() {
    const bool any = pnlDrives->anyTicked();
    btTop->setEnabled(any && !scanning());
    btAll->setEnabled(any && !scanning());
}

void TfrmDirHog::ClearGrid() {
    m_model->setTitles({QStringLiteral("Size"), QStringLiteral("% Used"), QStringLiteral("# Files"),
                        QStringLiteral("# Sub-folders"), QStringLiteral("Latest File Access"),
                        QStringLiteral("Name")}); // drops every row
    m_rowsFilled = 0;
    m_deleted.clear();
    PopupMenu1->checkSortItem(SortbySize1);
    m_textWidths = ColumnTextWidths(*grid, QString());
    FormResize();
    grid->setFocus();
}

void TfrmDirHog::addToGrid(const std::vector<std::uint32_t>& keys) {
    m_model->appendKeyRows(keys);
    m_rowsFilled += int(keys.size());
}

void TfrmDirHog::btTopClick() {
    ClearGrid();
    scan(FolderScanMode::Main);
}

void TfrmDirHog::btAllClick() {
    ClearGrid();
    scan(FolderScanMode::All);
}

void TfrmDirHog::btAbortClick() {
    m_engine->abort();
    m_userAborted = true;
    btAbort->hide();
    ShowWarningMessage(QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER"));
}

void TfrmDirHog::setScanningState(bool scanning) {
    setScanning(scanning);
    btAbort->setVisible(scanning);
    if (scanning)
        for (QPushButton* b : {btDelete, btPrint, btClip, btBrowse, btSort, btMap})
            b->hide();
    btClose->setEnabled(!scanning);
    pnlDrives->setEnabled(!scanning);
    btOpenScan->setEnabled(!scanning);
    btWhatGrew->setEnabled(!scanning);
    cb1Click();
}

void TfrmDirHog::scan(FolderScanMode mode, const std::function<void()>& walk) {
    m_userAborted = false;
    if (!walk) {
        m_savedScanFile.clear();
        m_savedScanCaption.clear();
    }
    m_engine->begin(mode);
    setWalkStatusSource([this] { return m_engine->walkStatus(); });
    setScanningState(true);
    pnlScan->clear();
    if (!walk)
        showLastScan(mode);
    {
        // Whatever happens in the walk, the window must come back to the idle state.
        struct LeaveScanning {
            TfrmDirHog* w;
            ~LeaveScanning() { w->setScanningState(false); }
        } leave{this};
        BusyCursor busy;
        if (walk)
            walk();
        else
            ScanAllDrives();
        m_engine->finish();
        if (m_lastScan) {
            // The fresh lines take the place of the last scan's.
            m_model->clearRows();
            m_model->setRowSource(m_engine.get());
            m_rowsFilled = 0;
            m_lastScan.reset();
            setWalkStatusSource([this] { return m_engine->walkStatus(); });
        }
        addToGrid(m_engine->resultKeys());
    }
    const std::size_t lines = m_engine->resultCount();
    // The count is of folder lines only: the abort line is no folder. Then what the lines are: a
    // list cut short says so, a saved scan's says which scan it is.
    QString status = QStringLiteral("Folders : ") + FormatThousands(std::int64_t(lines));
    if (m_userAborted || m_engine->aborted())
        status += QStringLiteral("   List incomplete");
    if (!m_savedScanCaption.isEmpty())
        status += QStringLiteral("   ") + m_savedScanCaption;
    pnlScan->setText(status);

    // The size column grows for a folder of ten million K or more.
    std::int64_t largest = 0;
    for (std::size_t i = 0; i < lines; ++i)
        largest = std::max(largest, m_engine->resultBytes(i));
    m_textWidths = ColumnTextWidths(*grid, FolderSizeText(largest) + QStringLiteral(" K"));
    FormResize();

    // One folder line is a result too: only a scan without any says so.
    if (lines == 0) {
        ShowInfoMessage(QStringLiteral("No files found."));
    } else {
        // Delete acts on the current row: the largest folder is current at once.
        if (m_rowsFilled > 0)
            grid->setCurrentGridRow(1);
        for (QPushButton* b : {btPrint, btClip, btSort, btDelete, btMap})
            b->setVisible(m_savedScanFile.empty() || b != btDelete);
        btBrowse->setVisible(bool(m_browseHandOff));
    }
    closeIfAsked();
}

void TfrmDirHog::showLastScan(FolderScanMode mode) {
    std::vector<std::string> roots;
    for (const TickedDrive& t : pnlDrives->tickedDrives())
        if (!t.letter.isNull() && DriveReady(t.letter))
            roots.push_back(t.mountPoint);
    auto last = std::make_unique<FolderSizeEngine>();
    last->begin(mode);
    const std::int64_t when = ReplayLastScans(roots, [&](ScanReplay& replay) { last->scanSaved(replay); });
    if (when == 0)
        return;
    last->finish();
    m_lastScan = std::move(last);
    m_model->setRowSource(m_lastScan.get());
    addToGrid(m_lastScan->resultKeys());
    if (m_rowsFilled > 0)
        grid->setCurrentGridRow(1);
    const QString mark = LastScanMark(when);
    pnlScan->setText(mark);
    setWalkStatusSource([mark] { return mark; });
}

void TfrmDirHog::ScanAllDrives() {
    const SnapshotStore store;
    const bool snapshots = SnapshotStore::enabled();
    ScanTickedDrives(
        *pnlDrives,
        [this, &store, snapshots](const std::string& root) {
            // Each root's snapshot is written by a visitor beside the engine's, in the same walk.
            std::unique_ptr<SnapshotStore::Writer> snapshot = snapshots ? store.writer() : nullptr;
            if (snapshot && !snapshot->begin())
                snapshot.reset();
            m_engine->setCompanion(snapshot ? &snapshot->companion() : nullptr);
            const bool walked = m_engine->scanDrive(root);
            m_engine->setCompanion(nullptr);
            if (snapshot && walked && !m_engine->aborted())
                snapshot->commit(store);
            return walked;
        },
        [this] { return m_engine->aborted(); });
}

void TfrmDirHog::btOpenScanClick() {
    const std::string file = ScanFilePath(m_scanFileChooser ? m_scanFileChooser(this) : ChooseScanFile(this));
    SavedScan saved;
    if (file.empty() || !OpenScanFile(saved, file))
        return;
    ClearGrid();
    m_savedScanFile = file;
    m_savedScanCaption = SavedScanCaption(saved.rootPath(), saved.header().timestamp);
    // The ticks would say the list is of those drives.
    pnlDrives->untickAll();
    scan(FolderScanMode::Main, [&] { m_engine->scanSaved(saved.replay()); });
    if (saved.failed()) {
        m_savedScanFile.clear();
        m_savedScanCaption.clear();
        pnlDrives->loadDrives(); // nothing of that scan is shown: the drive is ticked again
        cb1Click();
        ClearGrid();
        for (QPushButton* b : {btPrint, btClip, btBrowse, btSort, btDelete, btMap})
            b->hide();
        pnlScan->clear();
        ShowScanFileError(saved);
    }
}

void TfrmDirHog::btWhatGrewClick() {
    TfrmWhatGrew window(this);
    if (m_browseHandOff)
        window.setBrowseHandOff(m_browseHandOff);
    window.exec();
}

