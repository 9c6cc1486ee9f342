// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/daterange/ui/TfrmMods.h"

#include "browse/ui/TfrmBrowse.h"
#include "common/DosDateTime.h"
#include "common/MessageService.h"
#include "common/StringGridModel.h"
#include "common/ui/AltKeyGuard.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/DpiScale.h"
#include "common/ui/StatusPanel.h"
#include "common/ui/DriveBoxPanel.h"
#include "common/ui/FinderPopupMenu.h"
#include "common/ui/ResultGridView.h"
#include "common/ui/WildcardCombo.h"
#include "common/ui/SwappedButtonGuard.h"
#include "finders/daterange/ui/DateGlyphs.h"
#include "finders/daterange/ui/TfrmPickDate.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int PanelHeight = 171;
constexpr int ButtonY = 138;
constexpr int ButtonHeight = 28;
constexpr int DrivePanelTop = 6;
constexpr int DrivePanelRightMargin = 10;
// Filename, Accessed, Created, Modified, Folder; Type takes the rest less 25.
constexpr int DesignWidths[5] = {120, 68, 68, 68, 189};
constexpr int TypeColumnSlack = 25;
constexpr int DesignWidth = 640;
constexpr int DesignHeight = 403;

const QString kInvalidStart = QStringLiteral("Invalid start date");
const QString kInvalidEnd = QStringLiteral("Invalid ending date");

QString DateBoxText(QDate date) { return QLocale().toString(date, FileDateFormat()); }
} // namespace

TfrmMods::TfrmMods(QWidget* parent, std::size_t capacity)
    : ScanDialog(parent), m_engine(std::make_unique<DateRangeEngine>(capacity)),
      m_today([] { return QDate::currentDate(); }), m_browseHandOff(OpenFolderBrowser) {
    setObjectName(QStringLiteral("frmMods"));
    setWindowTitle(QStringLiteral("Files in a range of dates"));
    m_scale = DpiScale(this);

    buildTopPanel();
    buildGrid();
    stackPanels(Panel1, grid, pnlBase);

    // Alt+S on a disabled Start must not type an "s" into a date box or the wildcard box.
    new AltKeyGuard(this);

    m_engine->setYieldHook([this] { yieldToEvents(pnlScan); });
    setSkippedEntries(&m_engine->skipped());
    m_engine->setFoundHook([this](std::uint32_t index) { m_found.push_back(index); });
    m_model->setRowSource(m_engine.get());

    resize(Scaled(DesignWidth, m_scale), Scaled(DesignHeight, m_scale));
}

TfrmMods::~TfrmMods() {
    // A date box that still has the focus loses it while the widgets are torn down: no check then.
    dtStart->removeEventFilter(this);
    dtEnd->removeEventFilter(this);
    // The model renders rows from the engine: drop them before the engine goes.
    if (m_model)
        m_model->clearRows();
}

void TfrmMods::setDeleteConfirmation(DeleteConfirmation confirmation) {
    m_deleteConfirmation = std::move(confirmation);
}

void TfrmMods::setBrowseHandOff(BrowseHandOff handOff) {
    m_browseHandOff = std::move(handOff);
    layOutButtonRow();
}

void TfrmMods::setClock(std::function<QDate()> today) { m_today = std::move(today); }

QDate TfrmMods::today() const { return m_today ? m_today() : QDate::currentDate(); }

void TfrmMods::buildTopPanel() {
    const double s = m_scale;
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(Scaled(PanelHeight, s));

    rgWhat = new QGroupBox(QStringLiteral("Search for files that were"), Panel1);
    rgWhat->setObjectName(QStringLiteral("rgWhat"));
    rgWhat->setGeometry(ScaledRect(8, 5, 403, 39, s));
    m_whatItems = new QButtonGroup(rgWhat);
    const char* whatItems[3] = {"Last accessed", "Created", "Last modified"};
    for (int i = 0; i < 3; ++i) { // three columns
        auto* item = new QRadioButton(QString::fromLatin1(whatItems[i]), rgWhat);
        item->setObjectName(QStringLiteral("rgWhat%1").arg(i));
        item->setGeometry(ScaledRect(8 + i * 131, 16, 125, 20, s));
        m_whatItems->addButton(item, i);
    }
    m_whatItems->button(0)->setChecked(true);

    rgWhen = new QGroupBox(Panel1);
    rgWhen->setObjectName(QStringLiteral("rgWhen"));
    rgWhen->setGeometry(ScaledRect(8, 44, 121, 88, s));
    m_whenItems = new QButtonGroup(rgWhen);
    const char* whenItems[3] = {"On or Before", "In between", "On or After"};
    for (int i = 0; i < 3; ++i) {
        auto* item = new QRadioButton(QString::fromLatin1(whenItems[i]), rgWhen);
        item->setObjectName(QStringLiteral("rgWhen%1").arg(i));
        item->setGeometry(ScaledRect(8, 10 + i * 25, 108, 20, s));
        m_whenItems->addButton(item, i);
    }
    m_whenItems->button(1)->setChecked(true);

    auto dateBox = [&](const char* name, int x, int y) {
        auto* box = new QLineEdit(Panel1);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(ScaledRect(x, y, 83, 23, s));
        box->installEventFilter(this);
        return box;
    };
    auto calendarButton = [&](const char* name, int x, int y) {
        auto* b = new QToolButton(Panel1);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(CalendarGlyph());
        b->setToolTip(QStringLiteral("Popup Calendar"));
        b->setGeometry(ScaledRect(x, y, 21, 24, s));
        return b;
    };
    dtStart = dateBox("dtStart", 140, 51);
    popStartDate = calendarButton("popStartDate", 227, 52);
    lblAnd = new QLabel(QStringLiteral("and"), Panel1);
    lblAnd->setObjectName(QStringLiteral("lblAnd"));
    lblAnd->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblAnd->setGeometry(ScaledRect(254, 54, 40, 18, s));
    dtEnd = dateBox("dtEnd", 300, 52);
    popEndDate = calendarButton("popEndDate", 389, 53);

    Label1 = new QLabel(QStringLiteral("Wildcard match"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(ScaledRect(142, 84, 120, 18, s));
    cbWildCard = MakeWildcardCombo(Panel1);
    cbWildCard->setGeometry(ScaledRect(140, 103, 85, 24, s));
    cbWildCard->setMaxVisibleItems(14);
    lblWild = new QLabel(QStringLiteral("All files"), Panel1);
    lblWild->setObjectName(QStringLiteral("lblWild"));
    lblWild->setGeometry(ScaledRect(231, 106, 185, 18, s));

    pnlDrives = new DriveBoxPanel(Panel1);
    pnlDrives->applyScale(s);
    pnlDrives->move(Scaled(423, s), Scaled(DrivePanelTop, s));

    btOK = addPanelButton(Panel1, "btOK", "&Start", "Start scanning for files");
    btOK->setDefault(true);
    btClose = addPanelButton(Panel1, "btClose", "Close", "Close window");
    btMark = addPanelButton(Panel1, "btMark", "&Mark", "Mark files for deletion");
    btDelete = addPanelButton(Panel1, "btDelete", "Delete", "Delete marked files");
    btDelete->setEnabled(false);
    btPrint = addPanelButton(Panel1, "btPrint", "&Print", "Print list of files");
    btClip = addPanelButton(Panel1, "btClip", "C&lipboard", "Copy list of files to clipboard");
    btBrowse = addPanelButton(Panel1, "btBrowse", "&Browse", "Browse through files");
    btSort = addPanelButton(Panel1, "btSort", "S&ort", "Sort columns ");
    btAbort = addPanelButton(Panel1, "btAbort", "&Abort", "");
    new SwappedButtonGuard(btMark, btAbort); // it appears where Abort was
    layOutButtonRow();

    connect(m_whenItems, &QButtonGroup::idClicked, this, [this] { rgWhenClick(); });
    connect(m_whatItems, &QButtonGroup::idClicked, this, [this] { criteriaChanged(); });
    connect(cbWildCard, &QComboBox::editTextChanged, this, [this] {
        cbWildCardChange(cbWildCard, lblWild);
        criteriaChanged();
    });
    connect(popStartDate, &QToolButton::clicked, this, [this] { popStartDateClick(); });
    connect(popEndDate, &QToolButton::clicked, this, [this] { popEndDateClick(); });
    connect(pnlDrives, &DriveBoxPanel::tickedChanged, this, [this] { cb1Click(); });
    connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });
    connect(btClose, &QPushButton::clicked, this, [this] { reject(); });
    connect(btAbort, &QPushButton::clicked, this, [this] { btAbortClick(); });
    connect(btMark, &QPushButton::clicked, this, [this] { DeleteAllFiles(); });
    connect(btDelete, &QPushButton::clicked, this, [this] { btDeleteClick(); });
    connect(btPrint, &QPushButton::clicked, this, [this] { PrintClick(); });
    connect(btClip, &QPushButton::clicked, this, [this] { btClipClick(); });
    connect(btBrowse, &QPushButton::clicked, this, [this] { btBrowseClick(); });
    connect(btSort, &QPushButton::clicked, this, [this] { btSortClick(); });
}

void TfrmMods::layOutButtonRow() {
    struct Place {
        QPushButton* button;
        int x, width;
    };
    // btAbort stands where btMark does; Sort moves up when there is no browser to make room for.
    const bool browse = bool(m_browseHandOff);
    const Place places[] = {{btOK, 5, 68},      {btClose, 77, 67},  {btMark, 148, 64},
                            {btAbort, 148, 64}, {btDelete, 216, 69}, {btPrint, 289, 70},
                            {btClip, 363, 81},  {btBrowse, 449, 73}, {btSort, browse ? 527 : 449, 67}};
    for (const Place& p : places)
        p.button->setGeometry(ScaledRect(p.x, ButtonY, p.width, ButtonHeight, m_scale));
}

void TfrmMods::buildGrid() {
    m_model = new StringGridModel(this);
    grid = new ResultGridView(this);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setModel(m_model);
    grid->setMarkColumn(0);
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->setToolTip(QStringLiteral("Double click to mark for deletion"));
    connect(grid, &QTableView::doubleClicked, this, [this] { gridDblClick(); });

    PopupMenu1 = new FinderPopupMenu(this);
    auto item = [&](const char* name, const char* text) {
        return PopupMenu1->addSortItem(name, QString::fromUtf8(text), [this](QAction* a) { Sortbyname1Click(a); });
    };
    Sortbyname1 = item("Sortbyname1", "Sort by &Name");
    SortbyAccessDate = item("SortbyAccessDate", "Sort by &Access &Date");
    SortbyCreationDate = item("SortbyCreationDate", "Sort by &Creation Date");
    SortbyWrittentodate = item("SortbyWrittentodate", "Sort by &Modification Date");
    SortbyDirectory1 = item("SortbyDirectory1", "Sort by &Folder");
    SortbyType1 = item("SortbyType1", "Sort by &Type");
    PopupMenu1->addTopPanelItems(Panel1);
    PopupMenu1->serveAsContextMenu(grid);

    // The status bar along the bottom, holding the status line.
    pnlBase = new QFrame(this);
    pnlBase->setObjectName(QStringLiteral("pnlBase"));
    pnlBase->setFixedHeight(Scaled(22, m_scale));
    auto* base = new QVBoxLayout(pnlBase);
    base->setContentsMargins(0, 0, 0, 0);
    pnlScan = NewStatusPanel("pnlScan", FinderStatusFont(), pnlBase);
    base->addWidget(pnlScan);
    pnlScan->setFixedHeight(Scaled(22, m_scale));
}

void TfrmMods::FormShow() {
    PopupMenu1->rememberPanelHeight();
    for (QPushButton* b : {btPrint, btClip, btBrowse, btSort, btMark, btDelete, btAbort})
        b->hide();
    m_userAborted = false;
    pnlScan->clear();
    dtStart->setText(DateBoxText(today()));
    dtEnd->setText(DateBoxText(today()));
    rgWhenClick();

    pnlDrives->loadDrives();
    cb1Click();
    btClose->setEnabled(true);
    ClearGrid();
    btOK->setFocus();

    // Minimum size: the choices and the drive boxes stay whole; at least half the height for the grid.
    const QRect area = screenArea();
    const int minWidth = std::min(Scaled(423 + 199 + DrivePanelRightMargin, m_scale), area.width() - 10);
    setMinimumSize(minWidth, Scaled(PanelHeight, m_scale) * 2);

    centreOnScreen();
    FormResize();
    FillWildcardList(cbWildCard);
}

void TfrmMods::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TfrmMods::FormResize() {
    if (!grid || !pnlDrives)
        return;
    // The date columns are at least as wide as the widest date of this locale; Type gives up that
    // room. Type has what is left, up to its design width; a wider window widens the Folder and
    // Filename columns.
    std::vector<int> widths;
    int taken = 0;
    int designTaken = 0;
    for (int c = 0; c < 5; ++c) {
        const int design = Scaled(DesignWidths[c], m_scale);
        widths.push_back(c >= 1 && c <= 3 ? std::max(design, m_dateWidth) : design);
        taken += widths.back();
        designTaken += design;
    }
    const int slack = Scaled(TypeColumnSlack, m_scale);
    const int designType = Scaled(DesignWidth, m_scale) - designTaken - slack;
    widths.push_back(std::max(std::min(width() - taken - slack, designType), Scaled(30, m_scale)));
    grid->setColumnLayout(widths, 4, 0); // the names grow with the folders
    pnlDrives->move(width() - Scaled(DrivePanelRightMargin, m_scale) - pnlDrives->width(), pnlDrives->y());
}

void TfrmMods::cb1Click() { btOK->setEnabled(pnlDrives->anyTicked() && !scanning()); }

void TfrmMods::rgWhenClick() {
    const bool between = m_whenItems->checkedId() == int(DateRange::Between);
    for (QWidget* w : std::initializer_list<QWidget*>{lblAnd, dtEnd, popEndDate})
        w->setVisible(between);
    criteriaChanged();
}

DateKind TfrmMods::chosenKind() const { return DateKind(std::clamp(m_whatItems->checkedId(), 0, 2)); }

DateRange TfrmMods::chosenRange() const { return DateRange(std::clamp(m_whenItems->checkedId(), 0, 2)); }

void TfrmMods::criteriaChanged() {
    // The walk reads the kinds afresh for every file and the pattern for every folder; the dates
    // cannot change while it runs.
    if (!scanning())
        return;
    DateScanCriteria criteria = m_engine->criteria();
    criteria.kind = chosenKind();
    criteria.range = chosenRange();
    criteria.pattern = cbWildCard->currentText();
    m_engine->updateCriteria(criteria);
}

bool TfrmMods::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == dtStart || watched == dtEnd)) {
        // Leaving the box for another control of this window; not another window taking the focus.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == dtStart)
                dtStartExit();
            else
                dtEndExit();
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TfrmMods::checkDateBox(QLineEdit* box, const QString& refusal) {
    if (ParseEnteredDate(box->text()).isValid())
        return true;
    m_dateRefused = true;
    if (!m_checkingDate) {
        // Giving the box its focus back takes it from another date box, whose check must not ask too.
        m_checkingDate = true;
        const QDate example = today();
        ShowErrorMessage(refusal + QStringLiteral("\nType a date as ") + DateBoxText(example) +
                         QStringLiteral(" or ") + example.toString(Qt::ISODate) + u'.');
        box->setFocus();
        m_checkingDate = false;
    }
    return false;
}

void TfrmMods::dtStartExit() { checkDateBox(dtStart, kInvalidStart); }

void TfrmMods::dtEndExit() { checkDateBox(dtEnd, kInvalidEnd); }

void TfrmMods::popStartDateClick() { popDateClick(dtStart, true); }

void TfrmMods::popEndDateClick() { popDateClick(dtEnd, false); }

void TfrmMods::popDateClick(QLineEdit* box, bool isStart) {
    m_dateRefused = false;
    box->setFocus();
    if (m_dateRefused) // the other box was left unreadable and has the focus again
        return;
    if (box->text().isEmpty())
        box->setText(DateBoxText(today()));
    {
        TfrmPickDate picker(this);
        picker.setClock(m_today);
        picker.move(box->mapToGlobal(QPoint(0, box->height())));
        picker.setSelectedDate(ParseEnteredDate(box->text()));
        if (picker.exec() == QDialog::Accepted) {
            box->setText(DateBoxText(picker.selectedDate()));
            box->selectAll();
        }
    }
    // A date picked from the calendar never leaves the start after the end; typed ones may.
    const QDate start = ParseEnteredDate(dtStart->text());
    const QDate end = ParseEnteredDate(dtEnd->text());
    if (start.isValid() && end.isValid() && start > end) {
        if (isStart)
            dtEnd->setText(dtStart->text());
        else
            dtStart->setText(dtEnd->text());
    }
}

void TfrmMods::btOKClick() {
    // The walk must find readable dates: the end date only counts for "In between".
    if (!checkDateBox(dtStart, kInvalidStart))
        return;
    if (chosenRange() == DateRange::Between) {
        if (!checkDateBox(dtEnd, kInvalidEnd))
            return;
        // Refused like reversed sizes: nothing cleared, nothing walked.
        if (ParseEnteredDate(dtStart->text()) > ParseEnteredDate(dtEnd->text())) {
            ShowErrorMessage(QStringLiteral("The ending date must be the same as the start date or later"));
            return;
        }
    }
    ClearGrid();
    scan();
}

void TfrmMods::btAbortClick() {
    m_engine->abort();
    m_userAborted = true;
    btAbort->hide();
    ShowInfoMessage(QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER"));
}

void TfrmMods::setScanningState(bool scanning) {
    setScanning(scanning);
    btAbort->setVisible(scanning);
    if (scanning)
        for (QPushButton* b : {btPrint, btClip, btBrowse, btSort, btMark, btDelete})
            b->hide();
    // The kinds and the pattern stay open to change: the walk follows them.
    for (QWidget* w : std::initializer_list<QWidget*>{btClose, pnlDrives, dtStart, dtEnd, popStartDate, popEndDate})
        w->setEnabled(!scanning);
    cb1Click();
}

void TfrmMods::scan() {
    DateScanCriteria criteria;
    criteria.kind = chosenKind();
    criteria.range = chosenRange();
    criteria.start = ParseEnteredDate(dtStart->text());
    criteria.end = ParseEnteredDate(dtEnd->text()); // may be unreadable while it is not used
    criteria.pattern = cbWildCard->currentText();
    m_userAborted = false;
    m_found.clear();
    m_engine->begin(criteria);
    setWalkStatusSource([this] { return m_engine->walkStatus(); });

    setScanningState(true);
    pnlScan->clear();
    {
        // Whatever happens in the walk, the window must come back to the idle state.
        struct LeaveScanning {
            TfrmMods* w;
            ~LeaveScanning() { w->setScanningState(false); }
        } leave{this};
        BusyCursor busy;
        QCoreApplication::processEvents();
        ScanAllDrives();
        flushFoundRows();
    }

    if (m_engine->resultCount() == 0 && !m_userAborted) {
        ShowInfoMessage(QStringLiteral("No files found."));
    } else {
        // Mark acts on the current row: the first result is current at once.
        grid->setCurrentGridRow(1);
        for (QPushButton* b : {btPrint, btClip, btSort, btMark, btDelete})
            b->show();
        btBrowse->setVisible(bool(m_browseHandOff));
        btDelete->setEnabled(m_marked.count() > 0);
    }
    closeIfAsked();
}

void TfrmMods::ScanAllDrives() {
    ScanTickedDrives(
        *pnlDrives, [this](const std::string& root) { return m_engine->scanDrive(root); },
        [this] { return m_engine->aborted(); });
    // The count is of files only: the abort line is none.
    pnlScan->setText(QStringLiteral("Found : ") + QString::number(m_engine->resultCount()));
}

void TfrmMods::aboutToYield() { flushFoundRows(); }

void TfrmMods::flushFoundRows() {
    if (m_found.empty())
        return;
    addToGrid(m_found);
    m_found.clear();
}

void TfrmMods::ClearGrid() {
    m_model->setTitles({QStringLiteral("Filename"), QStringLiteral("Accessed"), QStringLiteral("Created"),
                        QStringLiteral("Modified"), QStringLiteral("Folder"), QStringLiteral("Type")});
    m_rowsFilled = 0;
    m_found.clear();
    // The rows come in walk order, which no sort item names.
    PopupMenu1->checkSortItem(nullptr);
    m_marked.clear();
    btDelete->setEnabled(false);
    m_dateWidth = grid->columnWidthFor(ResultGridView::dateSamples());
    FormResize();
    grid->setFocus();
}

void TfrmMods::addToGrid(const std::vector<std::uint32_t>& keys) {
    m_model->appendKeyRows(keys);
    m_rowsFilled += int(keys.size());
}
