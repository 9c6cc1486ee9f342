// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics window's controls and their places; the collection and the pages' figures are in
// TfrmStatisticsRun.cpp.
#include "stats/ui/TfrmStatistics.h"

#include "common/NumberTexts.h"
#include "common/StringGridModel.h"
#include "common/ui/DpiScale.h"
#include "common/ui/DriveCombo.h"
#include "common/ui/FinderPopupMenu.h"
#include "common/ui/ResultGridView.h"
#include "common/ui/SkippedEntriesPanel.h"
#include "journal/ui/TfrmHistory.h"
#include "platform/CurrentFolder.h"
#include "stats/ui/StatisticsLabels.h"

#include <QAbstractItemView>
#include <QAction>
#include <QByteArray>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <chrono>

namespace {
constexpr int ClientWidth = 594;
constexpr int ClientHeight = 431;
constexpr int PagesHeight = 369;
constexpr int BottomRowTop = 376;
constexpr int StatusBarHeight = 19;
constexpr int RowsTop = 40;
constexpr int RowStep = 24;
constexpr int RowHeight = 17;
constexpr int TitlesTop = 18;
constexpr int PageRight = 580; // the figures' right edge on the pages

const QColor kNavy(0, 0, 128);
const QColor kTeal(0, 128, 128);
const QColor kPurple(128, 0, 128);
const QColor kFuchsia(255, 0, 255);
const QColor kBlue(0, 0, 255);
const QColor kAqua(0, 255, 255);
const QColor kSilver(192, 192, 192);

// A font of the design; where the family is missing, the desktop's sans-serif face stands in.
QFont DesignFont(const char* family, double points, bool bold = false) {
    QFont font(QString::fromLatin1(family));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
} // namespace

// Where the four columns of a page of bars lie (design pixels) and their bars' colours.
struct TfrmStatistics::BarColumns {
    int countBarX;
    int barWidth;
    int countLabelX;
    int bytesBarX;
    int bytesLabelX;
    QColor countColour;
    QColor bytesColour;
};

TfrmStatistics::TfrmStatistics(std::function<QDate()> today, QWidget* parent)
    : QDialog(parent), m_collector(std::make_unique<StatisticsCollector>(std::move(today))) {
    setObjectName(QStringLiteral("frmStatistics"));
    setWindowTitle(QStringLiteral("File Statistics Not Yet Collected"));
    // A fixed dialog frame with the system menu only: no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setFont(DesignFont("Sans Serif", 8));
    m_scale = DpiScale(this);
    setFixedSize(Scaled(ClientWidth, m_scale), Scaled(ClientHeight, m_scale));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(ScaledRect(0, 0, ClientWidth, PagesHeight, m_scale));
    buildDiskSpacePage();
    buildTypesPage();
    buildSizesPage();
    buildAgePages();
    buildAttributesPage();
    buildDeletedPage();
    buildBottomControls();

    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(100);
    connect(m_progressTimer, &QTimer::timeout, this, [this] { pollProgress(); });
    connect(PageControl1, &QTabWidget::currentChanged, this,
            [this](int index) { PageControl1Change(index); });

    loadDrives();
    // FormCreate: nothing collected yet, so the panel covers the data pages.
    m_collected = false;
    updateNotYetPanel();
}

TfrmStatistics::~TfrmStatistics() {
    // The program must not end under a running walk: stop it and wait for the thread.
    if (m_worker.joinable()) {
        while (!m_workerDone.load()) {
            m_collector->abort();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        m_worker.join();
    }
}

QWidget* TfrmStatistics::addPage(const char* name, const QString& caption) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(name));
    PageControl1->addTab(page, caption);
    return page;
}

QLabel* TfrmStatistics::addLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int w,
                                 int h) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(ScaledRect(x, y, w, h, m_scale));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

void TfrmStatistics::buildBottomControls() {
    Label24 = addLabel(this, "Label24", QStringLiteral("&Drive:"), 16, BottomRowTop, 36, 22);
    Label24->setTextFormat(Qt::AutoText); // the "&" marks the accelerator

    cbDrive = new DriveCombo(this);
    cbDrive->setObjectName(QStringLiteral("cbDrive"));
    cbDrive->setGeometry(ScaledRect(54, BottomRowTop, 144, 22, m_scale));
    cbDrive->setToolTip(QStringLiteral("The drive selected for statistics"));
    Label24->setBuddy(cbDrive);
    connect(cbDrive, &QComboBox::currentIndexChanged, this, [this] { cbDriveClick(); });

    auto button = [&](const char* name, const char* text, const char* hint, int x, int w) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromUtf8(hint));
        b->setGeometry(ScaledRect(x, BottomRowTop, w, 30, m_scale));
        b->setAutoDefault(false);
        return b;
    };
    btOK = button("btOK", "&Collect statistics", "Start collecting statistics", 216, 155);
    btPrint = button("btPrint", "&Print page", "Print this page only", 384, 105);
    btCancel = button("btCancel", "Cancel", "Cancel operation or close window", 504, 81);
    btOK->setDefault(true); // Enter
    connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });
    connect(btPrint, &QPushButton::clicked, this, [this] { btPrintClick(); });
    connect(btCancel, &QPushButton::clicked, this, [this] { btCancelClick(); });

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setGeometry(0, height() - Scaled(StatusBarHeight, m_scale), width(),
                            Scaled(StatusBarHeight, m_scale));
    pnlExcluded = new SkippedEntriesPanel(StatusBar1, SkippedEntriesPanel::Kind::Excluded);
    StatusBar1->addPermanentWidget(pnlExcluded);
    pnlSkipped = new SkippedEntriesPanel(StatusBar1);
    StatusBar1->addPermanentWidget(pnlSkipped);

    ProgressBar1 =
        MakePercentBar(this, QStringLiteral("ProgressBar1"), palette().color(QPalette::Highlight), false);
    ProgressBar1->setGeometry(ScaledRect(243, 413, 347, 16, m_scale));
    ProgressBar1->hide();
    ProgressBar1->raise(); // it lies on the status bar

    pnlNotYet = new QLabel(QStringLiteral("Statistics haven't been collected yet!"), this);
    pnlNotYet->setObjectName(QStringLiteral("pnlNotYet"));
    pnlNotYet->setTextFormat(Qt::PlainText);
    pnlNotYet->setGeometry(ScaledRect(152, 107, 289, 121, m_scale));
    pnlNotYet->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlNotYet->setLineWidth(2);
    pnlNotYet->setAlignment(Qt::AlignCenter);
    pnlNotYet->setWordWrap(true);
    pnlNotYet->setFont(DesignFont("Sans Serif", 12, true));
    pnlNotYet->setAutoFillBackground(true);
    QPalette aqua = pnlNotYet->palette();
    aqua.setColor(QPalette::Window, kAqua);
    aqua.setColor(QPalette::WindowText, Qt::black);
    pnlNotYet->setPalette(aqua);
    pnlNotYet->raise(); // over the pages
}

void TfrmStatistics::buildDiskSpacePage() {
    TabSheet3 = addPage("TabSheet3", QStringLiteral("Disk Space"));
    const QFont big = DesignFont("Arial", 16);
    struct Row {
        QLabel** caption;
        const char* captionName;
        const char* captionText;
        QLabel** figure;
        const char* figureName;
        QLabel** unit;
        const char* unitName;
        const char* unitText;
        int top;
    };
    const Row rows[] = {
        {&lblTotalC, "lblTotalC", "Total Capacity", &lblTotal, "lblTotal", &Label25, "Label25", "bytes", 40},
        {&lblFreeC, "lblFreeC", "Free Space on Drive:", &lblFree, "lblFree", &lblPct, "lblPct", "", 96},
        {&Label26, "Label26", "Used Space on Drive:", &lblUsed, "lblUsed", &lblPct2, "lblPct2", "", 144},
        {&lblReservedC, "lblReservedC", "Reserved Space on Drive:", &lblReserved, "lblReserved", &lblPct3,
         "lblPct3", "", 192},
    };
    for (const Row& r : rows) {
        *r.caption = addLabel(TabSheet3, r.captionName, QString::fromUtf8(r.captionText), 16, r.top, 228, 28);
        *r.figure = addLabel(TabSheet3, r.figureName, QString(), 246, r.top, 152, 28);
        (*r.figure)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        *r.unit = addLabel(TabSheet3, r.unitName, QString::fromUtf8(r.unitText), 404, r.top, 134, 28);
        for (QLabel* l : {*r.caption, *r.figure, *r.unit}) {
            l->setFont(big);
            SetTextColour(l, Qt::black);
            SetFittedText(l, l->text());
        }
    }
    auto colouredPanel = [&](QWidget* parent, const char* name, const QColor& colour) {
        auto* panel = new QFrame(parent);
        panel->setObjectName(QString::fromLatin1(name));
        panel->setAutoFillBackground(true);
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, colour);
        panel->setPalette(palette);
        return panel;
    };
    auto swatch = [&](const char* name, const QColor& colour, int top) {
        QFrame* panel = colouredPanel(TabSheet3, name, colour);
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        panel->setGeometry(ScaledRect(544, top + 4, 24, 20, m_scale));
    };
    swatch("Panel1", kFuchsia, 96);
    swatch("Panel2", kBlue, 144);
    swatch("Panel4", kSilver, 192);

    auto* Panel3 = new QFrame(TabSheet3);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel3->setGeometry(ScaledRect(16, 232, 553, 35, m_scale));
    const int inset = Panel3->frameWidth();
    const QRect inner = Panel3->rect().adjusted(inset, inset, -inset, -inset);
    // Blue for the used share (Gauge1, no text, on a clear ground) over fuchsia for the free share,
    // and silver at the end for the share kept for root (gaReserved, sized with the figures).
    colouredPanel(Panel3, "gaFree", kFuchsia)->setGeometry(inner);
    gaReserved = colouredPanel(Panel3, "gaReserved", kSilver);
    gaReserved->setGeometry(inner.right() + 1, inner.y(), 0, inner.height());
    Gauge1 = new QProgressBar(Panel3);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    Gauge1->setTextVisible(false);
    Gauge1->setStyleSheet(QStringLiteral("QProgressBar { background: transparent; border: none; }"
                                         "QProgressBar::chunk { background: #0000ff; }"));
    Gauge1->setGeometry(inner);
}

void TfrmStatistics::layOutTypesColumns(const QStringList& byteTexts) {
    const int design[] = {80, 163, 54, 68, 76, 80};
    std::vector<int> widths;
    for (int w : design)
        widths.push_back(Scaled(w, m_scale));
    widths[2] = std::max(widths[2], gridTypes->columnWidthFor({FormatThousands(9'999'999'999)}));
    widths[4] = std::max(widths[4], gridTypes->columnWidthFor(byteTexts));
    gridTypes->setColumnLayout(widths, 1);
}

void TfrmStatistics::buildTypesPage() {
    TabSheet1 = addPage("TabSheet1", QStringLiteral("Types"));
    m_model = new StringGridModel(this);
    m_model->setTitles({QStringLiteral("Extension"), QStringLiteral("Type"), QStringLiteral("# Files"),
                        QStringLiteral("Top Ten #"), QStringLiteral("Size"), QStringLiteral("Top Ten Size")});
    gridTypes = new ResultGridView(TabSheet1);
    gridTypes->setObjectName(QStringLiteral("gridTypes"));
    gridTypes->setModel(m_model);
    gridTypes->setGeometry(ScaledRect(11, 8, 558, 278, m_scale));
    gridTypes->verticalHeader()->setDefaultSectionSize(Scaled(19, m_scale));
    layOutTypesColumns({});

    Label22 = addLabel(
        TabSheet1, "Label22",
        QStringLiteral("Files are grouped by file extension (three letters after the '.' in the file "
                       "name).  This is a listing of all files with common file extensions."),
        11, 290, 450, 40);
    Label22->setWordWrap(true);
    Label22->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    btSort = new QPushButton(QStringLiteral("&Sort"), TabSheet1);
    btSort->setObjectName(QStringLiteral("btSort"));
    btSort->setToolTip(QStringLiteral("Sort columns "));
    btSort->setAutoDefault(false);
    btSort->setGeometry(ScaledRect(494, 292, 75, 25, m_scale));
    connect(btSort, &QPushButton::clicked, this, [this] { btSortClick(); });

    PopupMenu1 = new FinderPopupMenu(this);
    auto item = [&](const char* name, const char* text) {
        return PopupMenu1->addSortItem(name, QString::fromUtf8(text),
                                       [this](QAction* a) { SortbyExtensionClick(a); });
    };
    SortbyExtension1 = item("SortbyExtension1", "Sort by &Extension");
    SortbyType1 = item("SortbyType1", "Sort by &Type");
    SortbyNumber1 = item("SortbyNumber1", "Sort by &Number of files");
    SortbySize1 = item("SortbySize1", "Sort by &Size");
    PopupMenu1->serveAsContextMenu(gridTypes);
}

TfrmStatistics::BarRow TfrmStatistics::addBarRow(QWidget* page, const BarColumns& columns, int top,
                                                 const QString& caption, const QString& captionName,
                                                 const QString& countBar, const QString& count,
                                                 const QString& bytesBar, const QString& bytes) {
    BarRow row;
    row.caption = addLabel(page, "", caption, 8, top, columns.countBarX - 12, RowHeight);
    row.caption->setObjectName(captionName);
    row.countBar = MakePercentBar(page, countBar, columns.countColour, true);
    row.countBar->setGeometry(ScaledRect(columns.countBarX, top, columns.barWidth, RowHeight, m_scale));
    row.count = addLabel(page, "", QString(), columns.countLabelX, top,
                         columns.bytesBarX - 6 - columns.countLabelX, RowHeight);
    row.count->setObjectName(count);
    row.count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row.bytesBar = MakePercentBar(page, bytesBar, columns.bytesColour, true);
    row.bytesBar->setGeometry(ScaledRect(columns.bytesBarX, top, columns.barWidth, RowHeight, m_scale));
    row.bytes =
        addLabel(page, "", QString(), columns.bytesLabelX, top, PageRight - columns.bytesLabelX, RowHeight);
    row.bytes->setObjectName(bytes);
    row.bytes->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return row;
}

void TfrmStatistics::addColumnTitles(QWidget* page, const BarColumns& columns, const QString& namePrefix) {
    struct Title {
        const char* text;
        int x;
        int w;
        Qt::Alignment align;
    };
    const Title titles[] = {
        {"% of total # files", columns.countBarX, columns.barWidth, Qt::AlignLeft},
        {"# Files", columns.countLabelX, columns.bytesBarX - 6 - columns.countLabelX, Qt::AlignRight},
        {"% of total size", columns.bytesBarX, columns.barWidth, Qt::AlignLeft},
        {"File Sizes", columns.bytesLabelX, PageRight - columns.bytesLabelX, Qt::AlignRight},
    };
    int n = 0;
    for (const Title& t : titles) {
        QLabel* label = addLabel(page, "", QString::fromUtf8(t.text), t.x, TitlesTop, t.w, RowHeight);
        label->setObjectName(namePrefix + QString::number(++n));
        label->setAlignment(t.align | Qt::AlignVCenter);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
    }
}

void TfrmStatistics::buildSizesPage() {
    TabSheet2 = addPage("TabSheet2", QStringLiteral("Sizes"));
    const BarColumns columns{85, 148, 243, 317, 478, kNavy, kTeal};
    addColumnTitles(TabSheet2, columns, QStringLiteral("lblSizesTitle"));
    const char* captions[] = {"0 - 16 K",  "16K - 32K", "32K - 128K", "128K - 1Mb", "1Mb - 2Mb",
                              "2Mb - 4Mb", "4Mb - 8Mb", "8Mb - 16Mb", "Over 16Mb"};
    for (int i = 1; i <= 9; ++i) {
        const QString n = QString::number(i);
        m_sizeRows[std::size_t(i)] = addBarRow(
            TabSheet2, columns, RowsTop + (i - 1) * RowStep, QString::fromUtf8(captions[i - 1]),
            QStringLiteral("Label") + n, QStringLiteral("gaFsN") + n, QStringLiteral("lblSizeN") + n,
            QStringLiteral("gaFsS") + n, QStringLiteral("lblSize") + n);
    }
    lblCluster = addLabel(TabSheet2, "lblCluster", QString(), 16, 262, 481, 49);
    lblAllocated = addLabel(TabSheet2, "lblAllocated", QString(), 16, 311, 560, 30);
    for (QLabel* l : {lblCluster, lblAllocated}) {
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
}

void TfrmStatistics::buildAgePages() {
    const BarColumns columns{98, 135, 248, 322, 467, kPurple, kNavy};
    const char* captions[] = {"Not recorded", "<= 7 days",     "8 - 30 days",    "31 - 60 days",
                              "61 - 90 days", "91 - 120 days", "121 - 365 days", "1 - 2 years",
                              "2 - 3 years",  "Over 3 years"};
    struct AgePage {
        QWidget** sheet;
        const char* sheetName;
        const char* caption;
        const char* countBar;
        const char* count;
        const char* bytesBar;
        const char* bytes;
        const char* notes[2];
    };
    // The notes say which dates this system's file systems keep.
    const AgePage pages[] = {
        {&TabSheet4,
         "TabSheet4",
         "Accessed",
         "gaFaN",
         "lblAgeN",
         "gaFaS",
         "lblAgeS",
         {"Note: a file system mounted with the noatime option does not record when a file is read, so its "
          "access date tells only of the last change; some file systems keep no access date at all.",
          "Files whose file system keeps no access date are counted as \"Not recorded\"."}},
        {&TabSheet5,
         "TabSheet5",
         "Created",
         "gaFcN",
         "lblCr",
         "gaFcS",
         "lblCrS",
         {"Note: the creation (birth) time of a file is kept only by file systems that record it; others "
          "keep only the dates of the last access and the last change.",
          "Files whose file system keeps no creation time are counted as \"Not recorded\"."}},
        {&TabSheet6,
         "TabSheet6",
         "Modified",
         "gaFwN",
         "lblWr",
         "gaFwS",
         "lblFw",
         {"Note: every file system keeps the date of a file's last change.  Therefore all files have a file "
          "modification date.",
          ""}},
    };
    for (std::size_t p = 0; p < 3; ++p) {
        const AgePage& page = pages[p];
        QWidget* sheet = *page.sheet = addPage(page.sheetName, QString::fromUtf8(page.caption));
        const QString prefix = QString::fromUtf8(page.caption);
        addColumnTitles(sheet, columns, QStringLiteral("lbl") + prefix + QStringLiteral("Title"));
        for (int i = 0; i <= 9; ++i) {
            const QString n = QString::number(i);
            m_ageRows[p][std::size_t(i)] =
                addBarRow(sheet, columns, RowsTop + i * RowStep, QString::fromUtf8(captions[i]),
                          QStringLiteral("lbl") + prefix + QStringLiteral("Row") + n,
                          QString::fromUtf8(page.countBar) + n, QString::fromUtf8(page.count) + n,
                          QString::fromUtf8(page.bytesBar) + n, QString::fromUtf8(page.bytes) + n);
        }
        int top = RowsTop + 10 * RowStep + 4;
        for (int k = 0; k < 2; ++k) {
            if (!*page.notes[k])
                continue;
            QLabel* note = addLabel(sheet, "", QString::fromUtf8(page.notes[k]), 8, top, 572, 28);
            note->setObjectName(QStringLiteral("lbl") + prefix + QStringLiteral("Note") +
                                QString::number(k + 1));
            note->setWordWrap(true);
            note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            top += 30;
        }
    }
}

void TfrmStatistics::buildAttributesPage() {
    TabSheet7 = addPage("TabSheet7", QStringLiteral("Attributes"));
    const BarColumns columns{98, 135, 248, 322, 467, kPurple, kNavy};
    addColumnTitles(TabSheet7, columns, QStringLiteral("lblAttributesTitle"));
    const char* names[] = {"Hidden", "ReadOnly", "System", "Archive"};
    const char* captions[] = {"Hidden", "Read-only", "System", "Archive"};
    for (int i = 0; i < 4; ++i) {
        const QString name = QString::fromUtf8(names[i]);
        m_attributeRows[std::size_t(i)] = addBarRow(
            TabSheet7, columns, RowsTop + i * RowStep, QString::fromUtf8(captions[i]),
            QStringLiteral("lblAttr") + name, QStringLiteral("gaN") + name, QStringLiteral("lblN") + name,
            QStringLiteral("gaSz") + name, QStringLiteral("lblSz") + name);
    }
}

void TfrmStatistics::buildDeletedPage() {
    TabSheet8 = addPage("TabSheet8", QStringLiteral("Deleted"));
    Label46 =
        addLabel(TabSheet8, "Label46", QStringLiteral("Files processed by Vantorel 95"), 16, 16, 400, 20);
    Label46->setFont(DesignFont("Sans Serif", 10, true));
    lblFileDel = addLabel(TabSheet8, "lblFileDel", QStringLiteral("Deleted files"), 16, 56, 120, 18);
    lblSince1 = addLabel(TabSheet8, "lblSince1", QString(), 140, 56, 260, 18);
    lblFileWaste = addLabel(TabSheet8, "lblFileWaste", QStringLiteral("Files sent to the recycle bin"), 16,
                            124, 260, 18);
    auto edit = [&](const char* name, int x, int y, int w) {
        auto* e = new QLineEdit(TabSheet8);
        e->setObjectName(QString::fromLatin1(name));
        e->setReadOnly(true);
        e->setGeometry(ScaledRect(x, y, w, 22, m_scale));
        return e;
    };
    edNdelete = edit("edNdelete", 16, 76, 97);
    edSzDelete = edit("edSzDelete", 120, 76, 161);
    edNWaste = edit("edNWaste", 16, 144, 97);
    edSzWaste = edit("edSzWaste", 120, 144, 161);
    for (QLineEdit* e : {edNdelete, edSzDelete, edNWaste, edSzWaste})
        e->setText(QStringLiteral("n/a"));

    Button1 = new QPushButton(QStringLiteral("Reset these numbers"), TabSheet8);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    Button1->setGeometry(ScaledRect(16, 200, 209, 33, m_scale));
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    // Beside the totals, the runs they came from, with Undo for what went to the recycle bin.
    btHistory = new QPushButton(QStringLiteral("&History of deletes"), TabSheet8);
    btHistory->setObjectName(QStringLiteral("btHistory"));
    btHistory->setAutoDefault(false);
    btHistory->setToolTip(QStringLiteral("What was deleted, and Undo for what went to the recycle bin"));
    btHistory->setGeometry(ScaledRect(241, 200, 209, 33, m_scale));
    connect(btHistory, &QPushButton::clicked, this, [this] { OpenHistory(this); });
}

void TfrmStatistics::loadDrives() {
    // Keep the drive the user chose when the list is read again; at start, the current folder's drive.
    const QString chosen = cbDrive->currentIndex() >= 0 ? cbDrive->currentText().left(2) : QString();
    const std::vector<Drive> drives = DriveTable::load();
    int index = -1;
    {
        const QSignalBlocker quiet(cbDrive);
        cbDrive->clear();
        for (const Drive& d : drives) {
            cbDrive->addItem(d.itemText(), QByteArray::fromStdString(d.mountPoint));
            if (!chosen.isEmpty() && d.caption() == chosen)
                index = cbDrive->count() - 1;
        }
        if (index < 0)
            index = DriveTable::indexOfPath(drives, CurrentFolder::get());
        cbDrive->setCurrentIndex(index);
    }
    // The items name their mount points: the open list shows them whole.
    cbDrive->view()->setMinimumWidth(cbDrive->view()->sizeHintForColumn(0) + Scaled(24, m_scale));
}
