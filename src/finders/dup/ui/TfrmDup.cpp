// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/ui/TfrmDup.h"

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
#include "common/ui/WildcardCombo.h"
#include "finders/dup/DupContentCheck.h"
#include "finders/dup/ui/NumField.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>

namespace {
constexpr int NumMin = 0;
constexpr int NumMax = 10000;
constexpr int PanelHeight = 172;
constexpr int ButtonY = 141;
constexpr int ButtonWidth = 66;
constexpr int ButtonHeight = 28;
constexpr int DrivePanelTop = 8;
constexpr int DesignWidth = 640;
constexpr int DesignHeight = 406;

// The described words, and the range they speak of.
const QString kRangeRefused =
    QStringLiteral("Value is not within required range (%1 to %2 KB)").arg(NumMin).arg(NumMax);

// The label beside a number field follows the number as it stands, whether stepped or typed.
void ShowFieldKB(const NumField* field, QLabel* label) { label->setText(field->kiloText()); }

// Per column, the narrowest width that shows every date, time and size text whole in the grid's
// font and the default locale; 0 for the other columns. sizeText: the longest size text to fit
// beyond a size of seven digits (up to 9.5 GiB).
std::vector<int> ColumnTextWidths(const ResultGridView& grid, bool dupMode, const QString& sizeText) {
    QStringList sizes{ResultGridView::sizeKSample(7)};
    if (!sizeText.isEmpty())
        sizes << sizeText;
    const int size = grid.columnWidthFor(sizes);
    const int date = grid.columnWidthFor(ResultGridView::dateSamples());
    const int time = grid.columnWidthFor(ResultGridView::timeSamples());
    return dupMode ? std::vector<int>{0, size, date, time, date, 0, 0} : std::vector<int>{size, date, time, date, 0, 0};
}
} // namespace

TfrmDup::TfrmDup(bool dupMode, QWidget* parent)
    : ScanDialog(parent), m_dupMode(dupMode), m_engine(std::make_unique<DupScanEngine>()),
      m_browseHandOff(OpenFolderBrowser) {
    setObjectName(QStringLiteral("frmDup"));
    m_scale = DpiScale(this);

    buildTopPanel();
    buildGrid();
    stackPanels(Panel1, grid, pnlSel);

    // Alt+S on a disabled Scan must not type an "s" into the wildcard box.
    new AltKeyGuard(this);

    m_engine->setYieldHook([this] { yieldToEvents(pnlSel); });
    setSkippedEntries(&m_engine->skipped());
    m_model->setRowSource(m_engine.get());

    resize(Scaled(DesignWidth, m_scale), Scaled(DesignHeight, m_scale));
}

TfrmDup::~TfrmDup() {
    // A number field that still has the focus loses it while the widgets are torn down, after this
    // window's part is gone: its check must not run then.
    num1->disconnect(this);
    num2->disconnect(this);
    // The model renders rows from the engine: drop them before the engine goes.
    if (m_model)
        m_model->clearRows();
}

void TfrmDup::setDeleteConfirmation(DeleteConfirmation confirmation) {
    m_deleteConfirmation = std::move(confirmation);
}

void TfrmDup::setBrowseHandOff(BrowseHandOff handOff) {
    m_browseHandOff = std::move(handOff);
    layOutButtonRow();
}

void TfrmDup::buildTopPanel() {
    const double s = m_scale;
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(Scaled(PanelHeight, s));

    auto radio = [&](const char* name, const char* text, int y) {
        auto* rb = new QRadioButton(QString::fromLatin1(text), Panel1);
        rb->setObjectName(QString::fromLatin1(name));
        rb->setGeometry(ScaledRect(13, y, 150, 20, s));
        connect(rb, &QRadioButton::clicked, this, [this] { rbLargerClick(); });
        return rb;
    };
    rbLarger = radio("rbLarger", "Larger or equal to", 10);
    rbSmaller = radio("rbSmaller", "Smaller or equal to", 32);
    rbBetween = radio("rbBetween", "In between", 54);
    rbLarger->setChecked(true);

    auto numField = [&](const char* name, const char* spinner, int y, NumField*& field, UpDownSpinner*& spin) {
        field = new NumField(Panel1);
        field->setObjectName(QString::fromLatin1(name));
        field->setGeometry(ScaledRect(186, y, 90, 23, s));
        spin = new UpDownSpinner(Panel1);
        spin->setObjectName(QString::fromLatin1(spinner));
        spin->setGeometry(ScaledRect(277, y, 17, 23, s));
    };
    numField("num1", "Spinner1", 12, num1, Spinner1);
    numField("num2", "Spinner2", 48, num2, Spinner2);

    auto label = [&](const char* name, const QString& text, int x, int y, int w) {
        auto* l = new QLabel(text, Panel1);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(ScaledRect(x, y, w, 18, s));
        return l;
    };
    lblKB1 = label("lblKB1", KiloToMega(250), 303, 14, 125);
    lblAnd = label("lblAnd", QStringLiteral("and"), 155, 55, 28);
    lblKB2 = label("lblKB2", KiloToMega(250), 303, 52, 125);

    Bevel1 = new QFrame(Panel1);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1->setGeometry(ScaledRect(5, 77, 420, 2, s));

    lblMatching = label("lblMatching", QStringLiteral("Matching"), 32, 92, 80);
    cbWildCard = MakeWildcardCombo(Panel1);
    cbWildCard->setGeometry(ScaledRect(185, 84, 110, 24, s));
    cbWildCard->setMaxVisibleItems(14);
    lblWild = label("lblWild", QStringLiteral("All files"), 185, 116, 240);

    pnlDrives = new DriveBoxPanel(Panel1);
    pnlDrives->applyScale(s);
    pnlDrives->move(Scaled(432, s), Scaled(DrivePanelTop, s));

    btScan = addPanelButton(Panel1, "btScan", "&Scan", "");
    btExact =
        addPanelButton(Panel1, "btExact", "&Exact", "Search for duplicates based on file name AND size");
    btClose = addPanelButton(Panel1, "btClose", "Close", "Close window");
    btAbort = addPanelButton(Panel1, "btAbort", "&Abort", "Abort scan");
    btMark =
        addPanelButton(Panel1, "btMark", "&Mark", "Mark file for deletion (double click on grid also works)");
    new SwappedButtonGuard(btMark, btAbort); // it appears where Abort was
    btDelete = addPanelButton(Panel1, "btDelete", "Delete", "Delete marked files");
    btPrint = addPanelButton(Panel1, "btPrint", "&Print", "Print list of files");
    btClip = addPanelButton(Panel1, "btClip", "C&lipboard", "Copy list of files to clipboard");
    btBrowse = addPanelButton(Panel1, "btBrowse", "&Browse", "Browse this file and folder");
    btSort = addPanelButton(Panel1, "btSort", "S&ort", "Sort columns");
    btContent =
        addPanelButton(Panel1, "btContent", "Conte&nt", "Compare the contents of the files of each run");
    btContent->hide();
    btDelete->setEnabled(false);
    layOutButtonRow();

    connect(num1, &NumField::exited, this, [this] { num1Exit(); });
    connect(num2, &NumField::exited, this, [this] { num2Exit(); });
    connect(Spinner1, &UpDownSpinner::stepped, this, [this](int d) { stepNumField(num1, m_limit1, d); });
    connect(Spinner2, &UpDownSpinner::stepped, this, [this](int d) { stepNumField(num2, m_limit2, d); });
    connect(num1, &QLineEdit::textChanged, this, [this] { ShowFieldKB(num1, lblKB1); });
    connect(num2, &QLineEdit::textChanged, this, [this] { ShowFieldKB(num2, lblKB2); });
    connect(Spinner1, &UpDownSpinner::mouseUp, this, [this] { Spinner1MouseUp(); });
    connect(Spinner2, &UpDownSpinner::mouseUp, this, [this] { Spinner2MouseUp(); });
    connect(cbWildCard, &QComboBox::editTextChanged, this, [this] { cbWildCardChange(cbWildCard, lblWild); });
    connect(pnlDrives, &DriveBoxPanel::tickedChanged, this, [this](bool any) {
        // The scan-button rule; btExact always follows btScan.
        btScan->setEnabled(any);
        btExact->setEnabled(any);
    });
    connect(btScan, &QPushButton::clicked, this, [this] { btScanClick(); });
    connect(btExact, &QPushButton::clicked, this, [this] { btExactClick(); });
    connect(btClose, &QPushButton::clicked, this, [this] { reject(); });
    connect(btAbort, &QPushButton::clicked, this, [this] { btAbortClick(); });
    connect(btMark, &QPushButton::clicked, this, [this] { DeleteAllFiles(); });
    connect(btDelete, &QPushButton::clicked, this, [this] { btDeleteClick(); });
    connect(btPrint, &QPushButton::clicked, this, [this] { btPrintClick(); });
    connect(btClip, &QPushButton::clicked, this, [this] { btClipClick(); });
    connect(btBrowse, &QPushButton::clicked, this, [this] { BrowseDirectory1Click(); });
    connect(btSort, &QPushButton::clicked, this, [this] { btSortClick(); });
    connect(btContent, &QPushButton::clicked, this, [this] { btContentClick(); });
    rbLargerClick();
}

void TfrmDup::layOutButtonRow() {
    // Each button 3 pixels right of the one before; btAbort and btMark share one place.
    std::vector<std::vector<QPushButton*>> places;
    places.push_back({btScan});
    if (m_dupMode)
        places.push_back({btExact});
    places.push_back({btClose});
    places.push_back({btAbort, btMark});
    for (QPushButton* b : {btDelete, btPrint, btClip, btBrowse})
        if (b != btBrowse || m_browseHandOff) // no gap for a browser that is not there
            places.push_back({b});
    places.push_back({btSort, btContent}); // file hogs sort, duplicates compare contents
    int x = 3;
    for (const auto& place : places) {
        for (QPushButton* b : place)
            b->setGeometry(ScaledRect(x, ButtonY, ButtonWidth, ButtonHeight, m_scale));
        x += ButtonWidth + 3;
    }
}

void TfrmDup::buildGrid() {
    m_model = new StringGridModel(this);
    grid = new ResultGridView(this);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setRowBadge([this](int row) {
        return m_content && m_model->isKeyRow(row) ? int(m_content->groupOf(m_model->keyOf(row))) : 0;
    });
    grid->setModel(m_model);
    grid->setMarkColumn(m_dupMode ? 0 : 4);
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->setToolTip(QStringLiteral("Double click to mark for deletion"));
    grid->installEventFilter(this);
    connect(grid, &QTableView::doubleClicked, this, [this] { gridDblClick(); });

    PopupMenu1 = new FinderPopupMenu(this);
    auto item = [&](const char* name, const char* text) {
        return PopupMenu1->addSortItem(name, QString::fromUtf8(text), [this](QAction* a) { Sortbysize1Click(a); });
    };
    Sortbysize1 = item("Sortbysize1", "Sort by &Size");
    SortbyDate1 = item("SortbyDate1", "Sort by &Date");
    SortbyAccess = item("SortbyAccess", "Sort by &Access date");
    SortbyName1 = item("SortbyName1", "Sort by &Name");
    SortbyType1 = item("SortbyType1", "Sort by &Type");
    PopupMenu1->checkSortItem(Sortbysize1);
    N1 = PopupMenu1->addTopPanelItems(Panel1);
    // Duplicates only, usable once a content check has found groups.
    MarkCopies1 = new QAction(QStringLiteral("Mark &copies..."), PopupMenu1);
    MarkCopies1->setObjectName(QStringLiteral("MarkCopies1"));
    MarkCopies1->setEnabled(false);
    connect(MarkCopies1, &QAction::triggered, this, [this] { MarkCopies1Click(); });
    PopupMenu1->insertAction(PopupMenu1->actions().constFirst(), MarkCopies1);
    N2 = PopupMenu1->insertSeparator(PopupMenu1->actions().at(1));
    N2->setObjectName(QStringLiteral("N2"));
    PopupMenu1->serveAsContextMenu(grid);

    pnlSel = NewStatusPanel("pnlSel", FinderStatusFont(), this);
    pnlSel->setFixedHeight(Scaled(21, m_scale));
}

void TfrmDup::FormShow() {
    PopupMenu1->rememberPanelHeight();
    ClearGrid();
    m_limit1 = m_limit2 = 250;
    num1->setNumber(250);
    num2->setNumber(250);

    for (QPushButton* b : {btPrint, btClip, btBrowse, btSort, btAbort, btMark, btDelete})
        b->hide();
    m_engine->begin(DupScanCriteria{}); // empties the candidate and result lists, clears the abort flag
    pnlSel->clear();

    pnlDrives->loadDrives();
    btScan->setEnabled(pnlDrives->anyTicked());
    btExact->setEnabled(btScan->isEnabled());
    btClose->setEnabled(true);

    const bool dup = m_dupMode;
    setWindowTitle(dup ? QStringLiteral("Find and delete duplicate files") : QStringLiteral("Find and delete file hogs"));
    for (QAction* a : {Sortbysize1, SortbyDate1, SortbyAccess, SortbyName1, SortbyType1, N1})
        a->setVisible(!dup);
    MarkCopies1->setVisible(dup);
    N2->setVisible(dup);
    btScan->setToolTip(dup ? QStringLiteral("Duplicates on file name only") : QStringLiteral("Start scanning for file hogs"));
    btExact->setVisible(dup);
    layOutButtonRow();
    btScan->setFocus();

    // Minimum size: the criteria and drive boxes must stay whole; at least half the height for the grid.
    const QRect area = screenArea();
    int minWidth = Scaled(432 + 200 + 3, m_scale);
    if (minWidth > area.width())
        minWidth = area.width() - 10;
    const int minHeight = Scaled(PanelHeight, m_scale) * 2;
    setMinimumSize(minWidth, minHeight);

    centreOnScreen();

    FormResize();
    FillWildcardList(cbWildCard);
    lblKB1->setText(KiloToMega(m_limit1));
    lblKB2->setText(KiloToMega(m_limit2));
}

void TfrmDup::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TfrmDup::FormResize() {
    if (!grid || !pnlDrives)
        return;
    const int client = width();
    const std::vector<int> fixed = m_dupMode ? std::vector<int>{93, 54, 64, 70, 70, 184}
                                             : std::vector<int>{54, 64, 64, 64, 296};
    const int unscaledTotal = m_dupMode ? 560 : 567;
    // The design widths are the least; a column whose texts are wider in this font and locale
    // grows, and the type column gives up that room.
    std::vector<int> widths;
    int widened = 0;
    for (std::size_t i = 0; i < fixed.size(); ++i) {
        const int design = Scaled(fixed[i], m_scale);
        widths.push_back(i < m_textWidths.size() ? std::max(design, m_textWidths[i]) : design);
        widened += widths.back() - design;
    }
    // The type column takes what the others leave, never less than a sliver, and no more than its
    // design width: a wider window gives the extra to the paths (Folder, or FileName for hogs) and,
    // for duplicates, to the names.
    const int designType = Scaled(DesignWidth, m_scale) - unscaledTotal;
    widths.push_back(std::max(std::min(client - unscaledTotal - widened, designType), Scaled(30, m_scale)));
    // Duplicates: the file names grow with the folders, so a wide window shows long names whole.
    grid->setColumnLayout(widths, m_dupMode ? 5 : 4, m_dupMode ? 0 : -1);
    pnlDrives->move(client - Scaled(8, m_scale) - pnlDrives->width(), pnlDrives->y());
}

void TfrmDup::ClearGrid() {
    const QStringList titles =
        m_dupMode ? QStringList{QStringLiteral("Filename"), QStringLiteral("Size in K"), QStringLiteral("Modified"),
                                QStringLiteral("Time"), QStringLiteral("Access"), QStringLiteral("Folder"),
                                QStringLiteral("Type")}
                  : QStringList{QStringLiteral("Size in K"), QStringLiteral("Modified"), QStringLiteral("Time"),
                                QStringLiteral("Access"), QStringLiteral("FileName"), QStringLiteral("Type")};
    m_model->setTitles(titles); // drops every row and mark
    m_rowsFilled = 0;
    PopupMenu1->checkSortItem(Sortbysize1);
    m_marked.clear();
    m_content.reset(); // a new scan makes the old groups meaningless
    MarkCopies1->setEnabled(false);
    grid->setBadgeRange(0);
    btDelete->setEnabled(false);
    m_textWidths = ColumnTextWidths(*grid, m_dupMode, QString());
    FormResize();
    grid->setFocus();
}

void TfrmDup::addToGrid(const std::vector<std::uint32_t>& keys) {
    m_model->appendKeyRows(keys);
    m_rowsFilled += int(keys.size());
}

void TfrmDup::rbLargerClick() {
    const bool between = rbBetween->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{num2, Spinner2, lblKB2, lblAnd})
        w->setVisible(between);
}

bool TfrmDup::checkNumField(NumField* field, std::int64_t& lastGood, QLabel* kbLabel) {
    const auto value = field->number();
    const bool ok = value && *value >= NumMin && *value <= NumMax;
    if (ok)
        lastGood = *value;
    else if (!m_checkingField) {
        // A box takes the focus away again; the guard stops that from asking twice.
        m_checkingField = true;
        ShowErrorMessage(kRangeRefused);
        field->setNumber(lastGood);
        m_checkingField = false;
    }
    kbLabel->setText(KiloToMega(lastGood));
    return ok;
}

void TfrmDup::stepNumField(NumField* field, std::int64_t& lastGood, int delta) {
    std::int64_t value = field->number().value_or(lastGood);
    if (value < NumMin || value > NumMax)
        value = lastGood;
    value = std::clamp<std::int64_t>(value + delta, NumMin, NumMax);
    lastGood = value;
    field->setNumber(value);
}

void TfrmDup::num1Exit() { checkNumField(num1, m_limit1, lblKB1); }
void TfrmDup::num2Exit() { checkNumField(num2, m_limit2, lblKB2); }
// The button's release comes before its click steps the field, so the label is taken from the
// field, which the step updates as well.
void TfrmDup::Spinner1MouseUp() { ShowFieldKB(num1, lblKB1); }
void TfrmDup::Spinner2MouseUp() { ShowFieldKB(num2, lblKB2); }

void TfrmDup::btScanClick() {
    if (!checkNumField(num1, m_limit1, lblKB1) || !checkNumField(num2, m_limit2, lblKB2))
        return;
    if (rbBetween->isChecked() && m_limit2 < m_limit1) {
        ShowErrorMessage(QStringLiteral("The second number must be larger or equal than the first number"));
        return;
    }
    ClearGrid();
    scan(false);
}

void TfrmDup::btExactClick() {
    if (!checkNumField(num1, m_limit1, lblKB1) || !checkNumField(num2, m_limit2, lblKB2))
        return;
    ClearGrid();
    scan(true);
}

void TfrmDup::btAbortClick() {
    if (m_checking) {
        m_content->abort(); // the check stops at its next block and says so in its legend
        btAbort->hide();
        return;
    }
    m_engine->abort();
    btAbort->hide();
    ShowWarningMessage(QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER"));
}

void TfrmDup::setScanningState(bool scanning) {
    setScanning(scanning);
    btAbort->setVisible(scanning);
    if (scanning) {
        for (QPushButton* b : {btMark, btDelete, btPrint, btClip, btBrowse, btSort, btContent})
            b->hide();
    } else {
        btMark->setVisible(m_rowsFilled > 0);
        btDelete->setVisible(m_rowsFilled > 0);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{btScan, btExact, btClose, pnlDrives, num1, num2, Spinner1,
                                                      Spinner2, cbWildCard, rbLarger, rbSmaller, rbBetween})
        w->setEnabled(!scanning);
    if (!scanning) { // the scan-button rule again, in case no box is ticked
        btScan->setEnabled(pnlDrives->anyTicked());
        btExact->setEnabled(btScan->isEnabled());
    }
}

void TfrmDup::scan(bool exact) {
    DupScanCriteria criteria;
    criteria.dupMode = m_dupMode;
    criteria.range = rbLarger->isChecked()    ? SizeRange::LargerOrEqual
                     : rbSmaller->isChecked() ? SizeRange::SmallerOrEqual
                                              : SizeRange::Between;
    criteria.limit1K = m_limit1;
    criteria.limit2K = m_limit2;
    criteria.pattern = cbWildCard->currentText();
    m_engine->begin(criteria);
    setWalkStatusSource([this] { return m_engine->walkStatus(); });

    setScanningState(true);
    {
        // Whatever happens in the walk, the window must come back to the idle state.
        struct LeaveScanning {
            TfrmDup* w;
            ~LeaveScanning() { w->setScanningState(false); }
        } leave{this};
        BusyCursor busy;
        ScanAllDrives();
        m_engine->finish(exact);
        addToGrid(m_engine->resultKeys());
    }
    // A size column wide enough for sizes of seven digits still grows for the largest file found.
    std::int64_t largest = 0;
    for (std::size_t i = 0; i < m_engine->resultCount(); ++i)
        largest = std::max(largest, m_engine->resultSize(i));
    m_textWidths = ColumnTextWidths(*grid, m_dupMode, SizeInKText(largest) + QStringLiteral(" K"));
    FormResize();

    if (m_rowsFilled == 0) {
        pnlSel->clear();
        ShowInfoMessage(QStringLiteral("No files found."));
    } else {
        // Mark and the Delete key act on the current row: the first result is current at once.
        grid->setCurrentGridRow(1);
        btPrint->show();
        btClip->show();
        btBrowse->setVisible(bool(m_browseHandOff));
        pnlSel->setText(FormatThousands(std::int64_t(m_engine->resultCount())) +
                        (m_dupMode ? QStringLiteral(" duplicates found") : QStringLiteral(" file hogs found")));
        if (!m_dupMode)
            btSort->show();
        else
            btContent->show();
    }
    closeIfAsked();
}

void TfrmDup::ScanAllDrives() {
    ScanTickedDrives(
        *pnlDrives, [this](const std::string& root) { return m_engine->scanDrive(root); },
        [this] { return m_engine->aborted(); });
}

bool TfrmDup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid && event->type() == QEvent::KeyRelease)
        gridKeyUp(static_cast<QKeyEvent*>(event)->key());
    return QDialog::eventFilter(watched, event);
}
