// SPDX-License-Identifier: GPL-3.0-or-later
#include "scans/ui/TfrmWhatGrew.h"

#include "browse/ui/TfrmBrowse.h"
#include "common/DisplayText.h"
#include "common/DosDateTime.h"
#include "common/GridSorts.h"
#include "common/MessageService.h"
#include "common/NumberTexts.h"
#include "common/WalkReport.h"
#include "common/ui/AltKeyGuard.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/CopyLinesToClipboard.h"
#include "common/ui/DpiScale.h"
#include "common/ui/FinderPopupMenu.h"
#include "common/ui/PrintGrid.h"
#include "common/ui/ResultGridView.h"
#include "common/ui/StatusPanel.h"
#include "common/ui/SwappedButtonGuard.h"
#include "folderhogs/FolderSizeEngine.h"
#include "platform/FolderVisitorPair.h"
#include "scans/SavedScan.h"
#include "scans/ui/OpenScanFile.h"
#include "scans/ui/LastScan.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <algorithm>
#include <numeric>

namespace {
constexpr int PanelHeight = 138;
constexpr int ButtonY = 106;
constexpr int ButtonHeight = 28;
constexpr int ButtonWidth = 66;
constexpr int StartButtonWidth = 80;
constexpr int DesignWidth = 638;
constexpr int DesignHeight = 414;
constexpr int DesignWidths[5] = {70, 80, 61, 61, 54};
constexpr int BarColumn = 1;

// The bar of a line: its change against the largest change of the list, red where the folder grew,
// teal where it shrank.
class ChangeBarDelegate : public QStyledItemDelegate {
public:
    ChangeBarDelegate(std::function<double(int row, bool* grew)> share, QObject* parent)
        : QStyledItemDelegate(parent), m_share(std::move(share)) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        bool grew = true;
        const double share = m_share(index.row(), &grew);
        if (share <= 0)
            return;
        const QRect room = option.rect.adjusted(2, 3, -2, -3);
        const int width = std::max(1, int(room.width() * share + 0.5));
        painter->fillRect(QRect(room.left(), room.top(), width, room.height()),
                          grew ? QColor(0x80, 0, 0) : QColor(0, 0x80, 0x80));
    }

private:
    std::function<double(int, bool*)> m_share;
};

std::uint64_t magnitude(std::int64_t v) {
    return v < 0 ? std::uint64_t(0) - std::uint64_t(v) : std::uint64_t(v);
}

QString sizeK(std::int64_t bytes) {
    return FolderSizeText(bytes).trimmed() + QStringLiteral(" K");
}

// Reports the walk of "now" to the window: its event loop runs at the walker's yields.
class WalkYield : public FolderVisitor {
public:
    WalkYield(std::function<void()> yield, const bool& stop) : m_yield(std::move(yield)), m_stop(stop) {}
    bool shouldStop() override { return m_stop; }
    bool wantsEveryEntry() override { return true; }
    void yield() override { m_yield(); }
    // What the newer side could not read or left out, for the panels beside the status line.
    SkippedEntries* skipped = nullptr;
    void folderSkipped(const FolderHandle& folder, std::string_view name, int error) override {
        if (skipped)
            skipped->addFolder(folder, name, error);
    }
    void entrySkipped(const FolderHandle& folder, std::string_view name, int error) override {
        if (skipped)
            skipped->addEntry(folder, name, error);
    }
    void entryExcluded(const FolderHandle& folder, std::string_view name, bool isFolder, std::string_view rule) override {
        if (skipped)
            skipped->addExcluded(folder, name, isFolder, rule);
    }

private:
    std::function<void()> m_yield;
    const bool& m_stop;
};

} // namespace

TfrmWhatGrew::TfrmWhatGrew(QWidget* parent, std::string snapshotFolder)
    : ScanDialog(parent), m_store(std::move(snapshotFolder)), m_browseHandOff(OpenFolderBrowser) {
    setObjectName(QStringLiteral("frmWhatGrew"));
    setWindowTitle(QStringLiteral("What Grew"));
    m_scale = DpiScale(this);
    buildWindow();
    new AltKeyGuard(this);
    resize(Scaled(DesignWidth, m_scale), Scaled(DesignHeight, m_scale));
}

TfrmWhatGrew::~TfrmWhatGrew() {
    if (m_model)
        m_model->clearRows();
}

void TfrmWhatGrew::buildWindow() {
    const double s = m_scale;
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(Scaled(PanelHeight, s));
    Label1 = addPanelLabel(
        Panel1, "Label1",
        "Compares the folders of an earlier folder hog scan with the same folder now, or with a "
        "later scan. Main - the main folders; All - every folder.",
        QRect(10, 8, 610, 32), s);
    Label1->setWordWrap(true);
    lbOlder = addPanelLabel(Panel1, "lbOlder", "&Older:", QRect(10, 48, 50, 18), s);
    lbNewer = addPanelLabel(Panel1, "lbNewer", "&Newer:", QRect(10, 76, 50, 18), s);
    cbOlder = new QComboBox(Panel1);
    cbOlder->setObjectName(QStringLiteral("cbOlder"));
    cbOlder->setGeometry(ScaledRect(62, 44, 400, 24, s));
    cbNewer = new QComboBox(Panel1);
    cbNewer->setObjectName(QStringLiteral("cbNewer"));
    cbNewer->setGeometry(ScaledRect(62, 72, 400, 24, s));
    lbOlder->setBuddy(cbOlder);
    lbNewer->setBuddy(cbNewer);
    cbKeep = new QCheckBox(QStringLiteral("&Keep snapshots"), Panel1);
    cbKeep->setToolTip(QStringLiteral("Keep a snapshot of each folder hog scan"));
    cbKeep->setObjectName(QStringLiteral("cbKeep"));
    cbKeep->setGeometry(ScaledRect(472, 46, 160, 20, s));
    connect(cbOlder, &QComboBox::currentIndexChanged, this, [this] { cbOlderChange(); });
    connect(cbKeep, &QCheckBox::clicked, this, [this] { cbKeepClick(); });

    btTop = addPanelButton(Panel1, "btTop", "&Main folders", "Compare the main folders");
    btAll = addPanelButton(Panel1, "btAll", "&All Folders", "Compare every folder");
    btClose = addPanelButton(Panel1, "btClose", "Close", "Close window");
    btAbort = addPanelButton(Panel1, "btAbort", "A&bort", "Abort scan");
    new SwappedButtonGuard(btClose, btAbort); // Close comes back where Abort was
    btPrint = addPanelButton(Panel1, "btPrint", "&Print", "Print list of changes");
    btClip = addPanelButton(Panel1, "btClip", "C&lipboard", "Copy list of changes to clipboard");
    btBrowse = addPanelButton(Panel1, "btBrowse", "B&rowse", "Browse the files and folder");
    btSort = addPanelButton(Panel1, "btSort", "S&ort", "Sort columns ");
    int x = 3;
    for (QPushButton* b : {btTop, btAll, btClose, btPrint, btClip, btBrowse, btSort}) {
        const int w = b == btTop || b == btAll ? StartButtonWidth : ButtonWidth;
        b->setGeometry(ScaledRect(x, ButtonY, w, ButtonHeight, s));
        if (b == btClose)
            btAbort->setGeometry(b->geometry());
        x += w + 3;
    }
    connect(btTop, &QPushButton::clicked, this, [this] { compare(false); });
    connect(btAll, &QPushButton::clicked, this, [this] { compare(true); });
    connect(btClose, &QPushButton::clicked, this, [this] { reject(); });
    connect(btAbort, &QPushButton::clicked, this, [this] { btAbortClick(); });
    connect(btPrint, &QPushButton::clicked, this, [this] { btPrintClick(); });
    connect(btClip, &QPushButton::clicked, this, [this] { btClipClick(); });
    connect(btBrowse, &QPushButton::clicked, this, [this] { btBrowseClick(); });
    connect(btSort, &QPushButton::clicked, this, [this] { btSortClick(); });

    m_model = new StringGridModel(this);
    m_model->setRowSource(this);
    grid = new ResultGridView(this);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setModel(m_model);
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->setItemDelegateForColumn(
        BarColumn, new ChangeBarDelegate(
                       [this](int row, bool* grew) {
                           if (row + 1 >= m_model->gridRowCount() || m_largestChange == 0)
                               return 0.0;
                           const FolderChange& c = m_changes[m_model->keyOf(row + 1)];
                           *grew = c.change() > 0;
                           return double(magnitude(c.change())) / double(std::uint64_t(m_largestChange));
                       },
                       grid));
    connect(grid, &QTableView::doubleClicked, this, [this] { btBrowseClick(); });

    PopupMenu1 = new FinderPopupMenu(this);
    auto item = [&](const char* name, const char* text) {
        return PopupMenu1->addSortItem(name, QString::fromUtf8(text), [this](QAction* a) { SortClick(a); });
    };
    SortbyChange1 = item("SortbyChange1", "Sort by &Change");
    SortbyOld1 = item("SortbyOld1", "Sort by &Old Size");
    SortbyNew1 = item("SortbyNew1", "Sort by &New Size");
    SortbyName1 = item("SortbyName1", "Sort by N&ame");
    PopupMenu1->checkSortItem(SortbyChange1);
    PopupMenu1->addSeparator();
    Refresh1 = PopupMenu1->addAction(QStringLiteral("&Refresh"), this, [this] { Refresh1Click(); });
    Refresh1->setObjectName(QStringLiteral("Refresh1"));
    connect(PopupMenu1, &QMenu::aboutToShow, this,
            [this] { Refresh1->setEnabled(m_newerIsNow && !scanning() && m_model->gridRowCount() > 1); });
    PopupMenu1->serveAsContextMenu(grid);
    // F5 compares again, as file managers walk again.
    auto* again = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(again, &QShortcut::activated, this, [this] { refreshAll(); });

    pnlScan = NewStatusPanel("pnlScan", FinderStatusFont(), this);
    pnlScan->setFixedHeight(Scaled(21, s));
    stackPanels(Panel1, grid, pnlScan);
    setSkippedEntries(&m_skipped);
    m_model->setTitles({QStringLiteral("Change"), QStringLiteral("Growth"), QStringLiteral("Old Size"),
                        QStringLiteral("New Size"), QStringLiteral("What"), QStringLiteral("Name")});
}

void TfrmWhatGrew::layOut() {
    std::vector<int> widths;
    for (int w : DesignWidths)
        widths.push_back(Scaled(w, m_scale));
    widths.push_back(Scaled(200, m_scale));
    grid->setColumnLayout(widths, 5);
}

void TfrmWhatGrew::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (grid)
        layOut();
}

void TfrmWhatGrew::FormShow() {
    PopupMenu1->rememberPanelHeight();
    cbKeep->setChecked(SnapshotStore::enabled());
    fillChoices();
    setScanningState(false);
    for (QPushButton* b : {btPrint, btClip, btBrowse, btSort})
        b->hide();
    setMinimumSize(std::min(Scaled(DesignWidth, m_scale), screenArea().width() - 10),
                   Scaled(PanelHeight * 2, m_scale));
    centreOnScreen();
    layOut();
}

namespace {
QString snapshotCaption(const SnapshotStore::Snapshot& s) {
    const ScanTimeTexts when = ScanTime(s.timestamp);
    return when.date + u' ' + when.time + QStringLiteral("   ") + DisplayText(s.root);
}
} // namespace

void TfrmWhatGrew::fillChoices() {
    m_snapshots = m_store.list();
    const QSignalBlocker block(cbOlder);
    cbOlder->clear();
    for (const SnapshotStore::Snapshot& s : m_snapshots)
        cbOlder->addItem(snapshotCaption(s));
    // The two newest snapshots of the folder scanned last: what changed between the last two scans.
    // With one snapshot of it, that one against the folder now.
    int older = m_snapshots.empty() ? -1 : 0;
    for (std::size_t i = 1; i < m_snapshots.size(); ++i)
        if (m_snapshots[i].root == m_snapshots.front().root) {
            older = int(i);
            break;
        }
    cbOlder->setCurrentIndex(older);
    cbOlderChange();
    if (older > 0)
        cbNewer->setCurrentIndex(int(std::find(m_newerChoices.begin(), m_newerChoices.end(), 0) - m_newerChoices.begin()));
    if (m_snapshots.empty())
        pnlScan->setText(QStringLiteral("No snapshots yet: scan with Folder Hogs first."));
}

void TfrmWhatGrew::cbOlderChange() {
    cbNewer->clear();
    m_newerChoices.clear();
    const int older = cbOlder->currentIndex();
    if (older < 0 || std::size_t(older) >= m_snapshots.size()) {
        btTop->setEnabled(false);
        btAll->setEnabled(false);
        return;
    }
    cbNewer->addItem(QStringLiteral("Now (scan the folder again)"));
    m_newerChoices.push_back(-1);
    // Later snapshots of the same folder.
    for (int i = older - 1; i >= 0; --i) {
        if (m_snapshots[std::size_t(i)].root != m_snapshots[std::size_t(older)].root)
            continue;
        cbNewer->addItem(snapshotCaption(m_snapshots[std::size_t(i)]));
        m_newerChoices.push_back(i);
    }
    btTop->setEnabled(!scanning());
    btAll->setEnabled(!scanning());
}

void TfrmWhatGrew::cbKeepClick() {
    try {
        SnapshotStore::setEnabled(cbKeep->isChecked());
    } catch (const std::exception&) {
        cbKeep->setChecked(SnapshotStore::enabled());
        throw; // the general handler shows why the setting could not be written
    }
}

void TfrmWhatGrew::setScanningState(bool scanning) {
    setScanning(scanning);
    btAbort->setVisible(scanning);
    btClose->setVisible(!scanning);
    for (QWidget* w : std::initializer_list<QWidget*>{btTop, btAll, cbOlder, cbNewer})
        w->setEnabled(!scanning && !m_snapshots.empty());
    if (scanning)
        for (QPushButton* b : {btPrint, btClip, btBrowse, btSort})
            b->hide();
}

void TfrmWhatGrew::btAbortClick() {
    m_abort = true;
}

void TfrmWhatGrew::compare(bool all) {
    const int older = cbOlder->currentIndex();
    const int newerItem = cbNewer->currentIndex();
    if (older < 0 || std::size_t(older) >= m_snapshots.size() || newerItem < 0)
        return;
    m_all = all;
    m_abort = false;
    m_model->clearRows();
    m_changes.clear();
    m_older.clear();
    m_newer.clear();
    m_skipped.clear();
    PopupMenu1->checkSortItem(SortbyChange1);
    const SnapshotStore::Snapshot& old = m_snapshots[std::size_t(older)];
    const int newer = m_newerChoices[std::size_t(newerItem)];
    setScanningState(true);
    QString failure;
    {
        struct LeaveScanning {
            TfrmWhatGrew* w;
            ~LeaveScanning() { w->setScanningState(false); }
        } leave{this};
        BusyCursor busy;
        WalkYield yield([this] { yieldToEvents(pnlScan); }, m_abort);
        auto read = [&](const std::string& path, FolderTotals& totals) {
            SavedScan scan;
            if (!scan.open(path)) {
                failure = DisplayText(scan.error());
                return;
            }
            setWalkStatusSource([&scan] { return WalkStatusText(scan.replay().currentPath()); });
            FolderVisitorPair both(totals, yield);
            scan.replay().replay(both);
            if (scan.failed())
                failure = DisplayText(scan.error());
        };
        read(old.path, m_older);
        yield.skipped = &m_skipped;
        if (failure.isEmpty() && !m_abort) {
            if (newer >= 0) {
                read(m_snapshots[std::size_t(newer)].path, m_newer);
            } else {
                FolderWalker walker;
                setWalkStatusSource([&walker] { return WalkStatusText(walker.currentPath()); });
                FolderVisitorPair both(m_newer, yield);
                if (!walker.walk(old.root, both) && m_newer.folders().empty())
                    failure = QStringLiteral("Can't open folder ") + DisplayText(old.root);
            }
        }
        setWalkStatusSource({});
    }
    if (!failure.isEmpty()) {
        pnlScan->clear();
        ShowErrorMessage(failure);
        closeIfAsked();
        return;
    }
    if (m_abort) {
        pnlScan->clear();
        ShowWarningMessage(QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER"));
        closeIfAsked();
        return;
    }
    m_newerIsNow = newer < 0;
    showChanges({});
    if (m_changes.empty())
        ShowInfoMessage(QStringLiteral("No changes."));
    closeIfAsked();
}

void TfrmWhatGrew::showChanges(const std::string& current) {
    m_changes = CompareFolderTotals(m_older, m_newer, m_all);
    m_largestChange = 0;
    for (const FolderChange& c : m_changes)
        m_largestChange = std::int64_t(std::max(std::uint64_t(m_largestChange),
                                                std::min(magnitude(c.change()), std::uint64_t(INT64_MAX))));
    std::vector<std::uint32_t> keys(m_changes.size());
    std::iota(keys.begin(), keys.end(), 0u);
    QAction* sort = PopupMenu1->checkedSortItem();
    m_model->clearRows();
    m_model->appendKeyRows(keys);
    if (sort && sort != SortbyChange1)
        SortClick(sort);
    pnlScan->setText(QStringLiteral("Folders changed : ") + FormatThousands(std::int64_t(m_changes.size())));
    for (QPushButton* b : {btPrint, btClip, btSort})
        b->setVisible(!m_changes.empty());
    btBrowse->setVisible(!m_changes.empty() && bool(m_browseHandOff));
    int row = m_changes.empty() ? 0 : 1;
    for (int r = 1; !current.empty() && r < m_model->gridRowCount(); ++r)
        if (ChangePath(m_changes[m_model->keyOf(r)], m_older, m_newer) == current) {
            row = r;
            break;
        }
    if (row > 0)
        grid->setCurrentGridRow(row);
}

void TfrmWhatGrew::refreshFolderAt(const std::string& path) {
    if (!m_newerIsNow || scanning() || m_newer.folders().empty())
        return;
    // The folder, or the nearest one above it that the walk of now has (one removed since may be back).
    std::string at = path;
    std::uint32_t folder = m_newer.findFolder(at);
    while (folder == FolderTotals::None && at.size() > m_newer.rootPath().size()) {
        at.resize(at.rfind('/'));
        folder = m_newer.findFolder(at);
    }
    if (folder == FolderTotals::None)
        return;
    m_abort = false;
    setScanningState(true);
    {
        struct LeaveScanning {
            TfrmWhatGrew* w;
            ~LeaveScanning() { w->setScanningState(false); }
        } leave{this};
        BusyCursor busy;
        WalkYield yield([this] { yieldToEvents(pnlScan); }, m_abort);
        yield.skipped = &m_skipped;
        m_newer.refreshFolder(folder, &yield);
    }
    showChanges(path);
    closeIfAsked();
}

void TfrmWhatGrew::Refresh1Click() {
    const int row = grid->currentGridRow();
    if (row >= 1 && row < m_model->gridRowCount())
        refreshFolderAt(ChangePath(m_changes[m_model->keyOf(row)], m_older, m_newer));
}

void TfrmWhatGrew::refreshAll() {
    if (!scanning() && !m_older.folders().empty())
        compare(m_all);
}

QString TfrmWhatGrew::cellText(std::uint32_t key, int column) const {
    if (key >= m_changes.size())
        return {};
    const FolderChange& c = m_changes[key];
    switch (column) {
    case 0:
        return (c.change() >= 0 ? QStringLiteral("+") : QStringLiteral("-")) +
               sizeK(std::int64_t(std::min(magnitude(c.change()), std::uint64_t(INT64_MAX))));
    case 2:
        return c.oldFolder == FolderTotals::None ? QString() : sizeK(c.oldBytes);
    case 3:
        return c.newFolder == FolderTotals::None ? QString() : sizeK(c.newBytes);
    case 4:
        return QString::fromLatin1(FolderChange::kindText(c.kind));
    case 5:
        return DisplayText(ChangePath(c, m_older, m_newer));
    default:
        return {};
    }
}

QStringList TfrmWhatGrew::lb() const {
    QStringList lines;
    for (int row = 1; row < m_model->gridRowCount(); ++row)
        lines << QString::fromStdString(ChangeLine(m_changes[m_model->keyOf(row)], m_older, m_newer));
    return lines;
}

void TfrmWhatGrew::btClipClick() {
    CopyLinesToClipboard(lb());
}

QString TfrmWhatGrew::printTitle() const {
    const int older = cbOlder->currentIndex();
    return QStringLiteral("What grew in ") +
           (older >= 0 && std::size_t(older) < m_snapshots.size()
                ? DisplayText(m_snapshots[std::size_t(older)].root)
                : QString()) +
           QStringLiteral(" since ") + cbOlder->currentText().section(QStringLiteral("   "), 0, 0);
}

void TfrmWhatGrew::printTo(QPrinter& printer) {
    PrintGrid(*m_model, grid->columnWidths(), printTitle(), printer, grid->fillColumn());
}

void TfrmWhatGrew::btPrintClick() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        printTo(printer);
}

void TfrmWhatGrew::btBrowseClick() {
    const int row = grid->currentGridRow();
    if (row < 1 || row >= m_model->gridRowCount() || !m_browseHandOff)
        return;
    const FolderChange& c = m_changes[m_model->keyOf(row)];
    // The exact path bytes, never the display text.
    const std::string path = ChangePath(c, m_older, m_newer);
    m_browseHandOff(this, path, std::string(), QStringLiteral("*.*"));
    // What was deleted there meanwhile shows at once.
    refreshFolderAt(path);
}

void TfrmWhatGrew::btSortClick() {
    PopupMenu1->exec(FinderPopupMenu::sortButtonPosition(btSort));
}

void TfrmWhatGrew::SortClick(QAction* item) {
    const int last = m_model->gridRowCount() - 1;
    if (last < 2)
        return;
    if (item == SortbyName1) {
        SortGridByText(*m_model, 1, last, false, 5);
    } else {
        // The figures themselves, not their texts: largest first.
        std::vector<int> order(static_cast<std::size_t>(last));
        std::iota(order.begin(), order.end(), 1);
        auto value = [&](int row) -> std::uint64_t {
            const FolderChange& c = m_changes[m_model->keyOf(row)];
            return item == SortbyOld1   ? std::uint64_t(c.oldBytes)
                   : item == SortbyNew1 ? std::uint64_t(c.newBytes)
                                        : magnitude(c.change());
        };
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const std::uint64_t va = value(a), vb = value(b);
            return va != vb ? va > vb : m_model->keyOf(a) < m_model->keyOf(b);
        });
        m_model->reorderRows(1, last, order);
    }
    PopupMenu1->checkSortItem(item);
}
