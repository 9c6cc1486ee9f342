// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dupfolders/ui/TfrmDupFolders.h"

#include "browse/ui/TfrmBrowse.h"
#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "common/NumberTexts.h"
#include "common/SaturatingSum.h"
#include "common/StringGridModel.h"
#include "common/ui/AltKeyGuard.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/DpiScale.h"
#include "common/ui/DriveBoxPanel.h"
#include "common/ui/FinderPopupMenu.h"
#include "common/ui/ResultGridView.h"
#include "common/ui/StatusPanel.h"
#include "common/ui/SwappedButtonGuard.h"
#include "finders/dup/ui/NumField.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <vector>
#include <cstring>

namespace {
constexpr int PanelHeight = 169;
constexpr int ButtonY = 138;
constexpr int ButtonHeight = 28;
constexpr int ButtonWidth = 66;
constexpr int DrivePanelTop = 8;
constexpr int ExplanationLeft = 74;
constexpr int ExplanationWidth = 270;
constexpr int DesignWidths[4] = {44, 96, 54, 90}; // Group, Size, # Files, Note; Name takes the rest
constexpr std::int64_t NumMax = 999'999'999;      // K: about a terabyte
} // namespace

TfrmDupFolders::TfrmDupFolders(QWidget* parent)
    : ScanDialog(parent), m_engine(std::make_unique<DupFolderEngine>()), m_browseHandOff(OpenFolderBrowser) {
    setObjectName(QStringLiteral("frmDupFolders"));
    setWindowTitle(QStringLiteral("Find and delete duplicate folders"));
    m_scale = DpiScale(this);

    buildTopPanel();
    buildGrid();
    stackPanels(Panel1, grid, pnlScan);
    new AltKeyGuard(this);

    m_engine->setYieldHook([this] { yieldToEvents(pnlScan); });
    setWalkStatusSource([this] {
        return m_engine->comparing() ? QStringLiteral("Comparing contents ... ") +
                                           FormatThousands(m_engine->bytesRead() / 1024) + QStringLiteral(" K read")
                                     : m_engine->walkStatus();
    });
    setSkippedEntries(&m_engine->skipped());
    m_model->setRowSource(m_engine.get());

    resize(Scaled(640, m_scale), Scaled(440, m_scale));
}

TfrmDupFolders::~TfrmDupFolders() {
    // A number field that still has the focus loses it while the widgets are torn down.
    num1->disconnect(this);
    // The model renders rows from the engine: drop them before the engine goes.
    if (m_model)
        m_model->clearRows();
}

void TfrmDupFolders::setBrowseHandOff(BrowseHandOff handOff) {
    m_browseHandOff = std::move(handOff);
    layOutButtonRow();
}

void TfrmDupFolders::buildTopPanel() {
    const double s = m_scale;
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(Scaled(PanelHeight, s));

    auto label = [&](const char* name, const char* text, int x, int y, int w, int h) {
        return addPanelLabel(Panel1, name, text, QRect(x, y, w, h), s);
    };
    Label1 = label("Label1", "Copies -", 10, 10, 62, 18);
    Label2 = label("Label2", "folders with the same names, sub-folders and byte for byte the same files",
                   ExplanationLeft, 10, ExplanationWidth, 36);
    Label3 = label("Label3", "Subsets -", 10, 48, 62, 18);
    Label5 = label("Label5", "folders whose files all lie at the same places in another folder too",
                   ExplanationLeft, 48, ExplanationWidth, 36);
    for (QLabel* l : {Label2, Label5})
        l->setWordWrap(true);

    lblSmallest = label("lblSmallest", "Smallest &folder:", 10, 90, 100, 18);
    num1 = new NumField(Panel1);
    num1->setObjectName(QStringLiteral("num1"));
    num1->setGeometry(ScaledRect(112, 86, 90, 23, s));
    num1->setToolTip(QStringLiteral("Folders whose copies are smaller are left out"));
    lblSmallest->setBuddy(num1);
    Spinner1 = new UpDownSpinner(Panel1);
    Spinner1->setObjectName(QStringLiteral("Spinner1"));
    Spinner1->setGeometry(ScaledRect(203, 86, 17, 23, s));
    lblKB1 = label("lblKB1", "", 226, 90, 130, 18);
    cbSubsets = new QCheckBox(QStringLiteral("Also list s&ubsets"), Panel1);
    cbSubsets->setObjectName(QStringLiteral("cbSubsets"));
    cbSubsets->setToolTip(
        QStringLiteral("After the copies, the folders whose files all lie in another folder too"));
    cbSubsets->setGeometry(ScaledRect(10, 113, 200, 20, s));

    Label4 = label("Label4", "D&rives:", 0, DrivePanelTop + 2, 48, 18);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignTop);
    pnlDrives = new DriveBoxPanel(Panel1);
    pnlDrives->applyScale(s);
    pnlDrives->move(Scaled(428, s), Scaled(DrivePanelTop, s));
    Label4->setBuddy(pnlDrives->box(1));

    btScan = addPanelButton(Panel1, "btScan", "&Scan", "Find the folders that are copies of each other");
    btClose = addPanelButton(Panel1, "btClose", "Close", "Close window");
    btAbort = addPanelButton(Panel1, "btAbort", "&Abort", "Abort scan");
    btDelete = addPanelButton(Panel1, "btDelete", "&Delete", "Delete the folder");
    new SwappedButtonGuard(btDelete, btAbort); // it appears where Abort was
    btPrint = addPanelButton(Panel1, "btPrint", "&Print", "Print list of folders");
    btClip = addPanelButton(Panel1, "btClip", "C&lipboard", "Copy list of folders to clipboard");
    btBrowse = addPanelButton(Panel1, "btBrowse", "&Browse", "Browse the files and folder");
    btSort = addPanelButton(Panel1, "btSort", "S&ort", "Sort columns");
    layOutButtonRow();

    connect(num1, &NumField::exited, this, [this] { num1Exit(); });
    connect(num1, &QLineEdit::textChanged, this, [this] { lblKB1->setText(num1->kiloText()); });
    connect(Spinner1, &UpDownSpinner::stepped, this, [this](int delta) {
        const std::int64_t value =
            std::clamp<std::int64_t>(num1->number().value_or(m_limit) + delta, 0, NumMax);
        m_limit = value;
        num1->setNumber(value);
    });
    connect(pnlDrives, &DriveBoxPanel::tickedChanged, this, [this] { cb1Click(); });
    connect(btScan, &QPushButton::clicked, this, [this] { btScanClick(); });
    connect(btClose, &QPushButton::clicked, this, [this] { reject(); });
    connect(btAbort, &QPushButton::clicked, this, [this] { btAbortClick(); });
    connect(btDelete, &QPushButton::clicked, this, [this] { btDeleteClick(); });
    connect(btPrint, &QPushButton::clicked, this, [this] { btPrintClick(); });
    connect(btClip, &QPushButton::clicked, this, [this] { btClipClick(); });
    connect(btBrowse, &QPushButton::clicked, this, [this] { btBrowseClick(); });
    connect(btSort, &QPushButton::clicked, this, [this] { btSortClick(); });
}

void TfrmDupFolders::layOutButtonRow() {
    // As in the folder hog window: each button 3 pixels right of the one before, btDelete where
    // btAbort is, no gap for a browser that is not there.
    std::vector<std::vector<QPushButton*>> places{
        {btScan}, {btClose}, {btAbort, btDelete}, {btPrint}, {btClip}};
    if (m_browseHandOff)
        places.push_back({btBrowse});
    places.push_back({btSort});
    int x = 3;
    for (const auto& place : places) {
        for (QPushButton* b : place)
            b->setGeometry(ScaledRect(x, ButtonY, ButtonWidth, ButtonHeight, m_scale));
        x += ButtonWidth + 3;
    }
}

void TfrmDupFolders::buildGrid() {
    m_model = new StringGridModel(this);
    grid = new ResultGridView(this);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setModel(m_model);
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->setToolTip(QStringLiteral("Double click to delete the folder"));
    connect(grid, &QTableView::doubleClicked, this, [this] { btDeleteClick(); });

    PopupMenu1 = new FinderPopupMenu(this);
    auto item = [&](const char* name, const char* text) {
        return PopupMenu1->addSortItem(name, QString::fromUtf8(text),
                                       [this](QAction* a) { SortbyGroup1Click(a); });
    };
    SortbyGroup1 = item("SortbyGroup1", "Sort by &Group");
    SortbySize1 = item("SortbySize1", "Sort by &Size");
    Sortbyfiles1 = item("Sortbyfiles1", "Sort by # &Files");
    SortbyName1 = item("SortbyName1", "Sort by &Name");
    PopupMenu1->checkSortItem(SortbyGroup1);
    PopupMenu1->addTopPanelItems(Panel1);
    PopupMenu1->serveAsContextMenu(grid);

    pnlScan = NewStatusPanel("pnlScan", FinderStatusFont(), this);
    pnlScan->setFixedHeight(Scaled(21, m_scale));
}

int TfrmDupFolders::minimumClientWidth() const {
    const int buttons = btSort->geometry().right() + 1 + Scaled(3, m_scale);
    const int panel = Scaled(ExplanationLeft + ExplanationWidth + 10, m_scale) + Label4->width() +
                      Scaled(10, m_scale) + pnlDrives->width() + Scaled(10, m_scale);
    return std::max(buttons, panel);
}

void TfrmDupFolders::FormShow() {
    PopupMenu1->rememberPanelHeight();
    ClearGrid();
    for (QPushButton* b : {btPrint, btClip, btBrowse, btSort, btDelete, btAbort})
        b->hide();
    pnlScan->clear();
    m_limit = 0;
    num1->setNumber(0);
    lblKB1->setText(KiloToMega(0));
    pnlDrives->loadDrives();
    cb1Click();
    btClose->setEnabled(true);
    layOutButtonRow();
    btScan->setFocus();

    const QRect area = screenArea();
    setMinimumSize(std::min(minimumClientWidth(), area.width() - 10), Scaled(PanelHeight, m_scale) * 2);
    resize(std::min(width(), area.width() - 10), std::min(height(), area.height() - 40));
    centreOnScreen();
    FormResize();
}

void TfrmDupFolders::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TfrmDupFolders::FormResize() {
    if (!grid || !pnlDrives)
        return;
    int taken = 0;
    for (int c = 0; c < 4; ++c) {
        const int width =
            std::max(Scaled(DesignWidths[c], m_scale), grid->horizontalHeader()->sectionSizeHint(c));
        grid->setColumnWidth(c, width);
        taken += width;
    }
    grid->setColumnWidth(4, std::max(width() - taken - Scaled(25, m_scale), Scaled(60, m_scale)));
    placeDrivePanel(pnlDrives, Label4, width(), m_scale);
}

void TfrmDupFolders::cb1Click() {
    btScan->setEnabled(pnlDrives->anyTicked() && !scanning());
}

void TfrmDupFolders::ClearGrid() {
    m_model->setTitles({QStringLiteral("Group"), QStringLiteral("Size"), QStringLiteral("# Files"),
                        QStringLiteral("Note"), QStringLiteral("Name")});
    m_rowsFilled = 0;
    m_gone.clear();
    PopupMenu1->checkSortItem(SortbyGroup1);
    FormResize();
    grid->setFocus();
}

bool TfrmDupFolders::checkNumField() {
    const auto value = num1->number();
    const bool ok = value && *value >= 0 && *value <= NumMax;
    if (ok) {
        m_limit = *value;
    } else if (!m_checkingField) {
        // A box takes the focus away again; the guard stops that from asking twice.
        m_checkingField = true;
        ShowErrorMessage(QStringLiteral("Value is not within required range (0 to %1 KB)").arg(NumMax));
        num1->setNumber(m_limit);
        m_checkingField = false;
    }
    lblKB1->setText(KiloToMega(m_limit));
    return ok;
}

void TfrmDupFolders::num1Exit() {
    checkNumField();
}

void TfrmDupFolders::setScanningState(bool scanning) {
    setScanning(scanning);
    btAbort->setVisible(scanning);
    if (scanning)
        for (QPushButton* b : {btDelete, btPrint, btClip, btBrowse, btSort})
            b->hide();
    btClose->setEnabled(!scanning);
    pnlDrives->setEnabled(!scanning);
    num1->setEnabled(!scanning);
    Spinner1->setEnabled(!scanning);
    cbSubsets->setEnabled(!scanning);
    cb1Click();
}

void TfrmDupFolders::btScanClick() {
    if (!checkNumField())
        return;
    ClearGrid();
    scan();
}

void TfrmDupFolders::btAbortClick() {
    m_engine->abort();
    m_userAborted = true;
    btAbort->hide();
    ShowWarningMessage(QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER"));
}

void TfrmDupFolders::scan() {
    m_userAborted = false;
    DupFolderCriteria criteria;
    criteria.limit1K = m_limit;
    criteria.subsets = cbSubsets->isChecked();
    m_engine->begin(criteria);
    setScanningState(true);
    pnlScan->clear();
    pnlScan->setToolTip(QString());
    {
        // Whatever happens in the walk, the window must come back to the idle state.
        struct LeaveScanning {
            TfrmDupFolders* w;
            ~LeaveScanning() { w->setScanningState(false); }
        } leave{this};
        BusyCursor busy;
        ScanTickedDrives(
            *pnlDrives, [this](const std::string& root) { return m_engine->scanDrive(root); },
            [this] { return m_engine->aborted(); });
        m_engine->finish();
        m_model->appendKeyRows(m_engine->resultKeys());
        m_rowsFilled = int(m_engine->resultCount());
        m_gone.assign(m_engine->resultCount(), false);
    }
    showSummary();
    if (m_rowsFilled == 0) {
        if (!m_userAborted)
            ShowInfoMessage(QStringLiteral("No duplicate folders found."));
    } else {
        grid->setCurrentGridRow(1);
        for (QPushButton* b : {btPrint, btClip, btSort, btDelete})
            b->show();
        btBrowse->setVisible(bool(m_browseHandOff));
    }
    closeIfAsked();
}

std::int64_t TfrmDupFolders::extraBytesLeft() const {
    // A group's extra copies take its waste less what the copies deleted here freed, and nothing
    // once a single copy is left.
    const std::size_t groups = m_engine->groupCount();
    std::vector<std::int64_t> freed(groups + 1, 0);
    std::vector<std::size_t> left(groups + 1, 0);
    for (std::size_t i = 0; i < m_engine->resultCount(); ++i) {
        const std::uint32_t g = m_engine->resultGroup(i);
        if (g < 1 || g > groups || m_engine->resultRole(i) != DupFolderEngine::Role::Copy)
            continue;
        if (isGone(std::uint32_t(i)))
            freed[g] = SaturatingAdd(freed[g], m_engine->resultFreed(i));
        else
            ++left[g];
    }
    std::int64_t extra = 0;
    for (std::uint32_t g = 1; g <= groups; ++g)
        if (left[g] >= 2)
            extra = SaturatingAdd(extra, std::max<std::int64_t>(0, m_engine->groupWaste(g) - freed[g]));
    return extra;
}

void TfrmDupFolders::showSummary() {
    const std::int64_t extra = extraBytesLeft();
    QString text = QStringLiteral("Groups : ") + FormatThousands(qint64(m_engine->groupCount())) +
                   QStringLiteral("   Folders : ") + FormatThousands(qint64(m_engine->resultCount()));
    if (extra > 0)
        text += QStringLiteral("   Extra copies : ") + FormatThousands(extra) + QStringLiteral(" bytes");
    if (m_engine->unreadableFiles() > 0)
        text += QStringLiteral("   Files not read : ") + FormatThousands(m_engine->unreadableFiles());
    if (m_engine->changedFolders() > 0)
        text += QStringLiteral("   Changed meanwhile : ") + FormatThousands(m_engine->changedFolders());
    pnlScan->setText(text);
}

QString TfrmDupFolders::statusText() const {
    return pnlScan->text();
}
