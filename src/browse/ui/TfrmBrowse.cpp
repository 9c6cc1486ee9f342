// SPDX-License-Identifier: GPL-3.0-or-later
#include "browse/ui/TfrmBrowse.h"

#include "browse/FolderTreeModel.h"
#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "common/NumberTexts.h"
#include "common/StringGridModel.h"
#include "common/ui/AltKeyGuard.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/DpiScale.h"
#include "common/ui/DriveCombo.h"
#include "common/ui/FinderPopupMenu.h"
#include "common/ui/ResultGridView.h"
#include "common/ui/StatusPanel.h"
#include "common/ui/ScreenFit.h"
#include "delete/ListedFileRemoval.h"
#include "platform/AppError.h"
#include "platform/CurrentFolder.h"
#include "platform/Wildcard.h"
#include "viewer/ui/TfrmView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>

namespace {

// Design geometry at 96 pixels per inch.
constexpr int LeftPanelWidth = 169;
constexpr int TopBarHeight = 27;
constexpr int ButtonBarHeight = 34;
constexpr int StatusHeight = 23;
constexpr int WildWidth = 141;
constexpr int SizeWidth = 167;
constexpr int ButtonTop = 4;
constexpr int ButtonHeight = 26;
constexpr int RowHeight = 15;
// Modified, Time, Access, Size; Filename and Type share the rest less 25, as they do on a screen
// this wide; on a wider one Filename takes the extra.
constexpr int DesignWidths[4] = {69, 66, 66, 61};
constexpr int ColumnSlack = 25;
constexpr int ShareWidth = 1024;

// The folder tree with the glyph of each kind of row.
class FolderTreeWithIcons : public FolderTreeModel {
public:
    using FolderTreeModel::FolderTreeModel;
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DecorationRole)
            return FolderTreeModel::data(index, role);
        const QStyle* style = QApplication::style();
        if (!parent(index).isValid())
            return style->standardIcon(QStyle::SP_DriveHDIcon);
        switch (kindOf(index)) {
        case FolderKind::Link:
            return style->standardIcon(QStyle::SP_DirLinkIcon);
        case FolderKind::Mount:
            return style->standardIcon(QStyle::SP_DriveHDIcon);
        case FolderKind::Folder:
            break;
        }
        return style->standardIcon(QStyle::SP_DirIcon);
    }
};

// The delete button's bin, empty or with paper spilling over its rim.
QIcon BinGlyph(bool full) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (full) {
        p.setPen(QPen(QColor(90, 90, 90), 0.8));
        p.setBrush(QColor(255, 255, 255));
        p.drawRect(QRectF(4.5, 1.5, 4, 5));
        p.setBrush(QColor(250, 220, 90));
        p.drawRect(QRectF(8, 2.5, 4, 4.5));
    }
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(150, 160, 170));
    p.drawRect(QRectF(2.5, 5.5, 11, 2));                               // the rim
    QPolygonF body({QPointF(3.5, 7.5), QPointF(12.5, 7.5), QPointF(11.5, 15), QPointF(4.5, 15)});
    p.setBrush(QColor(180, 190, 200));
    p.drawPolygon(body);
    p.setPen(QPen(QColor(90, 100, 110), 1));
    for (double x : {6.5, 8.0, 9.5})
        p.drawLine(QPointF(x, 9), QPointF(x, 13.5));
    return QIcon(pixmap);
}

QLabel* StatusPanel(const char* name, QWidget* parent) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(13);
    return NewStatusPanel(name, font, parent);
}

} // namespace

TfrmBrowse::TfrmBrowse(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmBrowse"));
    setWindowTitle(QStringLiteral("Browse through folders"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    m_scale = DpiScale(this);
    imTrash = BinGlyph(false);
    imTrashFul = BinGlyph(true);

    m_drives = DriveTable::load();
    if (m_drives.empty()) // no table at all: the file-system root still is a drive
        m_drives.push_back(Drive{QChar(u'C'), "/", QString()});
    m_driveFolders.resize(m_drives.size());

    buildPanels();
    buildButtons();
    new AltKeyGuard(this);
    setFolder(CurrentFolder::get());
    resize(Scaled(640, m_scale), Scaled(453, m_scale));
}

TfrmBrowse::~TfrmBrowse() {
    // The grid renders rows from the file list: drop them before the list goes.
    if (m_model)
        m_model->clearRows();
}

FolderTreeModel* TfrmBrowse::treeModel() const { return m_tree; }

void TfrmBrowse::buildPanels() {
    const double s = m_scale;
    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);

    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedWidth(Scaled(LeftPanelWidth, s));
    auto* left = new QVBoxLayout(Panel3);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    Panel4 = new QFrame(Panel3);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFixedHeight(Scaled(TopBarHeight, s));
    auto* driveRow = new QHBoxLayout(Panel4);
    driveRow->setContentsMargins(Scaled(2, s), Scaled(2, s), Scaled(2, s), Scaled(2, s));
    DriveComboBox1 = new DriveCombo(Panel4);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    for (const Drive& drive : m_drives)
        DriveComboBox1->addItem(drive.itemText());
    driveRow->addWidget(DriveComboBox1);
    DirectoryListBox1 = new QTreeView(Panel3);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setToolTip(QStringLiteral("Double click to select"));
    DirectoryListBox1->setHeaderHidden(true);
    DirectoryListBox1->setExpandsOnDoubleClick(false);
    DirectoryListBox1->setUniformRowHeights(true);
    DirectoryListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree = new FolderTreeWithIcons(this);
    DirectoryListBox1->setModel(m_tree);
    left->addWidget(Panel4);
    left->addWidget(DirectoryListBox1, 1);

    Panel5 = new QFrame(this);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    auto* right = new QVBoxLayout(Panel5);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    Panel6 = new QFrame(Panel5);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel6->setFixedHeight(Scaled(TopBarHeight, s));
    auto* pathRow = new QHBoxLayout(Panel6);
    pathRow->setContentsMargins(Scaled(6, s), 0, Scaled(6, s), 0);
    Label1 = new QLabel(Panel6);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    pathRow->addWidget(Label1);

    m_model = new StringGridModel(this);
    m_model->setRowSource(&m_files);
    grid = new ResultGridView(Panel5);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setModel(m_model);
    grid->setMarkColumn(FolderFileList::Filename);
    grid->verticalHeader()->setDefaultSectionSize(Scaled(RowHeight, s));
    grid->setToolTip(QStringLiteral("Double click to mark, right click to sort"));
    right->addWidget(Panel6);
    right->addWidget(grid, 1);

    top->addWidget(Panel3);
    top->addWidget(Panel5, 1);

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(Scaled(ButtonBarHeight, s));

    pnlScan2 = new QFrame(this);
    pnlScan2->setObjectName(QStringLiteral("pnlScan2"));
    pnlScan2->setFixedHeight(Scaled(StatusHeight, s));
    auto* status = new QHBoxLayout(pnlScan2);
    status->setContentsMargins(0, 0, 0, 0);
    status->setSpacing(0);
    pnlScan = StatusPanel("pnlScan", pnlScan2);
    pnlWild = StatusPanel("pnlWild", pnlScan2);
    pnlWild->setFixedWidth(Scaled(WildWidth, s));
    pnlWild->setToolTip(QStringLiteral("Click to change the wildcard pattern"));
    pnlWild->setCursor(Qt::PointingHandCursor);
    pnlWild->installEventFilter(this);
    pnlSize = StatusPanel("pnlSize", pnlScan2);
    pnlSize->setFixedWidth(Scaled(SizeWidth, s));
    status->addWidget(pnlScan, 1);
    status->addWidget(pnlWild);
    status->addWidget(pnlSize);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(top, 1);
    layout->addWidget(Panel2);
    layout->addWidget(pnlScan2);

    PopupMenu1 = new FinderPopupMenu(this);
    auto item = [&](const char* name, const char* text) {
        return PopupMenu1->addSortItem(name, QString::fromUtf8(text), [this](QAction* a) { Sortbyname1Click(a); });
    };
    Sortbyname1 = item("Sortbyname1", "Sort by &Name");
    SortbyDate1 = item("SortbyDate1", "Sort by Modified &Date");
    SortbyAccessDate = item("SortbyAccessDate", "Sort by &Access Date");
    SortbySize1 = item("SortbySize1", "Sort by &Size");
    SortbyType1 = item("SortbyType1", "Sort by &Type");
    PopupMenu1->checkSortItem(Sortbyname1);
    PopupMenu1->serveAsContextMenu(grid);

    connect(DriveComboBox1, &QComboBox::activated, this, [this](int index) { DriveComboBox1Change(index); });
    connect(DirectoryListBox1, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& index) { DirectoryListBox1DblClick(index); });
    auto* treeMenu = new QMenu(this);
    treeMenu->setObjectName(QStringLiteral("TreeMenu"));
    Refresh1 = treeMenu->addAction(QStringLiteral("&Refresh"), this, [this] { Refresh1Click(); });
    Refresh1->setObjectName(QStringLiteral("Refresh1"));
    DirectoryListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DirectoryListBox1, &QWidget::customContextMenuRequested, this,
            [this, treeMenu](const QPoint& at) { treeMenu->popup(DirectoryListBox1->viewport()->mapToGlobal(at)); });
    // F5 lists everything again, as file managers do.
    auto* again = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(again, &QShortcut::activated, this, [this] { refreshAll(); });
    connect(grid, &QTableView::doubleClicked, this, [this] { gridDblClick(); });
}

void TfrmBrowse::buildButtons() {
    auto button = [&](const char* name, const char* text, const char* hint, int width) {
        auto* b = new QPushButton(QString::fromUtf8(text), Panel2);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromUtf8(hint));
        b->setAutoDefault(false);
        b->resize(Scaled(width, m_scale), Scaled(ButtonHeight, m_scale));
        return b;
    };
    btDeleteDirectory = button("btDeleteDirectory", "Delete &Folder", "Delete folder and all files/folders below", 97);
    btLaunch = button("btLaunch", "&Run", "Run/launch associated application", 75);
    btView = button("btView", "&View", "View file", 75);
    btSort = button("btSort", "&Sort", "Sort columns ", 75);
    btMark = button("btMark", "&Mark", "Mark/unmark files for deletion", 75);
    btDeleteFiles = button("btDeleteFiles", "D&elete marked files", "Delete marked files", 140);
    btDeleteFiles->setIcon(imTrash);
    btDeleteFiles->setEnabled(false);
    btClose = button("btClose", "Close", "", 75);
    // View opens the file viewer window; tests replace the hand-off.
    m_viewHandOff = &TfrmView::ViewFile;

    connect(btDeleteDirectory, &QPushButton::clicked, this, [this] { btDeleteDirectoryClick(); });
    connect(btLaunch, &QPushButton::clicked, this, [this] { btLaunchClick(); });
    connect(btView, &QPushButton::clicked, this, [this] { btViewClick(); });
    connect(btSort, &QPushButton::clicked, this, [this] { btSortClick(); });
    connect(btMark, &QPushButton::clicked, this, [this] { btMarkClick(); });
    connect(btDeleteFiles, &QPushButton::clicked, this, [this] { btDeleteFilesClick(); });
    connect(btClose, &QPushButton::clicked, this, [this] { reject(); });
}

void TfrmBrowse::setDeleteConfirmation(DeleteConfirmation confirmation) {
    m_deleteConfirmation = std::move(confirmation);
}

void TfrmBrowse::setFileOpener(FileOpener opener) { m_opener = std::move(opener); }

void TfrmBrowse::setViewHandOff(ViewHandOff handOff) {
    m_viewHandOff = std::move(handOff);
    btView->setEnabled(bool(m_viewHandOff));
}

void TfrmBrowse::setMask(const QString& mask) { m_mask = mask; }

QUrl TfrmBrowse::FileUrl(const std::string& path) {
    const QByteArray bytes(path.data(), qsizetype(path.size()));
    return QUrl::fromEncoded(QByteArrayLiteral("file://") + bytes.toPercentEncoding("/"), QUrl::StrictMode);
}

std::string TfrmBrowse::folderPath() const {
    return std::string(m_folder.handle.path());
}

bool TfrmBrowse::setFolder(const std::string& path, int* error) {
    int drive = DriveTable::indexOfPath(m_drives, path);
    std::optional<std::vector<std::string>> names;
    if (drive >= 0)
        names = NamesBelow(m_drives[std::size_t(drive)].mountPoint, path);
    const bool onADrive = names.has_value();
    if (!onADrive) {
        // Outside every drive: the first drive's root is the nearest place there is.
        drive = 0;
        names.emplace();
    }
    m_drive = drive;
    m_folder = OpenBrowsedFolder(m_drives[std::size_t(drive)].mountPoint, *names);
    m_names = m_folder.names;
    m_tree->setRoot(m_drives[std::size_t(drive)].mountPoint);
    DriveComboBox1->setCurrentIndex(drive);
    const int why = !onADrive ? ENOENT : m_folder.error;
    if (error)
        *error = why;
    return why == 0;
}

void TfrmBrowse::selectFile(const std::string& name) {
    // The file list holds the plain files of the folder that are neither hidden nor system files.
    FsEntry stats;
    const bool there = m_folder.handle.valid() && !name.empty() && name[0] != '.' &&
                       name.find('/') == std::string::npos && StatEntry(m_folder.handle, name, stats, false) == 0 &&
                       !(stats.attributes & (faFolder | faSystem));
    if (!there)
        throw AppError(QStringLiteral("Invalid file name - ") + DisplayText(m_folder.handle.childPath(name)));
    m_selected = name;
}

void TfrmBrowse::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmBrowse::FormShow() {
    // As high and as wide as the screen's free area allows, the frame included, so that the status
    // line at the bottom is on the screen.
    const QRect area = AvailableScreenArea(this);
    FitOnScreen(this, area.size());

    pnlWild->setText(QStringLiteral("Wildcard : ") + m_mask);
    m_model->setTitles({QStringLiteral("Modified"), QStringLiteral("Time"), QStringLiteral("Access"),
                        QStringLiteral("Size"), QStringLiteral("Filename"), QStringLiteral("Type")});
    m_textWidths = {grid->columnWidthFor(ResultGridView::dateSamples()),
                    grid->columnWidthFor(ResultGridView::timeSamples()),
                    grid->columnWidthFor(ResultGridView::dateSamples()),
                    grid->columnWidthFor({FormatThousands(9'999'999'999)})};
    DirectoryListBox1Change();
    if (!m_selected.empty()) {
        if (const auto key = m_files.find(m_selected)) {
            for (int row = 1; row < m_model->gridRowCount(); ++row)
                if (m_model->isKeyRow(row) && m_model->keyOf(row) == *key) {
                    grid->setCurrentGridRow(row);
                    grid->scrollTo(m_model->index(row - 1, 0), QAbstractItemView::PositionAtCenter);
                    break;
                }
        }
        m_selected.clear();
    }

    // The buttons stay whole and the folder tree keeps at least half of its height.
    int buttons = 10 + 15 + 3;
    for (const QPushButton* b : {btDeleteDirectory, btLaunch, btView, btSort, btMark, btDeleteFiles, btClose})
        buttons += b->width() + Scaled(5, m_scale);
    const int treeTop = Scaled(TopBarHeight, m_scale);
    const int treeHeight = Scaled(453 - TopBarHeight - ButtonBarHeight - StatusHeight, m_scale);
    setMinimumSize(std::min(buttons, area.width() - 10),
                   treeTop + treeHeight / 2 + Scaled(ButtonBarHeight + StatusHeight, m_scale));
    FormResize();
    grid->setFocus();
}

void TfrmBrowse::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TfrmBrowse::FormResize() {
    if (!btClose)
        return;
    const int top = Scaled(ButtonTop, m_scale);
    const int gap = Scaled(5, m_scale);
    btDeleteDirectory->move(Scaled(10, m_scale), top);
    btClose->move(width() - btClose->width() - Scaled(15, m_scale), top);
    QPushButton* next = btClose;
    for (QPushButton* b : {btDeleteFiles, btMark, btSort, btView, btLaunch}) {
        b->move(next->x() - gap - b->width(), top);
        next = b;
    }
    if (m_textWidths.size() < 4)
        return;
    // Dates, times and sizes stay readable in every locale; the name and type share the rest of a
    // window up to ShareWidth wide, and the names take what a wider one has.
    std::vector<int> widths;
    int taken = 0;
    for (int c = 0; c < 4; ++c) {
        widths.push_back(std::max(Scaled(DesignWidths[c], m_scale), m_textWidths[std::size_t(c)]));
        taken += widths.back();
    }
    const int shared = grid->width() - std::max(width() - Scaled(ShareWidth, m_scale), 0);
    const int rest = std::max(shared - taken - Scaled(ColumnSlack, m_scale), Scaled(60, m_scale));
    widths.push_back(rest / 2); // Filename
    widths.push_back(rest / 2); // Type
    grid->setColumnLayout(widths, FolderFileList::Filename);
}

bool TfrmBrowse::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pnlWild && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        pnlScanClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmBrowse::openCurrent() {
    const std::string& root = m_drives[std::size_t(m_drive)].mountPoint;
    m_folder = OpenBrowsedFolder(root, m_names);
    // A folder that went away while it was shown: the nearest folder above it that is still there.
    m_names = m_folder.names;
    m_driveFolders[std::size_t(m_drive)] = m_names;
    if (m_folder.handle.valid())
        CurrentFolder::set(m_folder.handle.path());
    Label1->setText(DisplayText(m_folder.handle.path()));
    showFolderInTree();
}

void TfrmBrowse::showFolderInTree() {
    const QModelIndex folder = m_tree->reveal(m_names);
    for (QModelIndex at = folder; at.isValid(); at = at.parent())
        DirectoryListBox1->expand(at);
    // Its sub-folders as they are now (a delete or another program may have changed them).
    if (m_tree->isListed(folder))
        m_tree->refresh(folder);
    DirectoryListBox1->setCurrentIndex(folder);
    DirectoryListBox1->scrollTo(folder);
}

bool TfrmBrowse::changeFolder(int drive, const std::vector<std::string>& names, bool strict) {
    if (drive < 0 || drive >= int(m_drives.size()))
        return false;
    const std::string& root = m_drives[std::size_t(drive)].mountPoint;
    if (strict) {
        const BrowsedFolder probe = OpenBrowsedFolder(root, names);
        if (probe.error != 0) {
            const std::string path = probe.handle.valid() && probe.names.size() < names.size()
                                         ? probe.handle.childPath(names[probe.names.size()])
                                         : root;
            ShowErrorMessage(QStringLiteral("Can't open folder ") + DisplayText(path) + u'\n' + RemovalReason(probe.error));
            return false;
        }
    }
    if (drive != m_drive) {
        m_drive = drive;
        m_tree->setRoot(root);
        DriveComboBox1->setCurrentIndex(drive);
    }
    m_names = names;
    DirectoryListBox1Change();
    return true;
}

void TfrmBrowse::DriveComboBox1Change(int index) {
    if (index < 0 || index >= int(m_drives.size()) || index == m_drive)
        return;
    const Drive& drive = m_drives[std::size_t(index)];
    if (!DriveReady(drive.letter)) {
        ShowPlainErrorBox(QStringLiteral("Can't open drive ") + drive.caption());
        DriveComboBox1->setCurrentIndex(m_drive);
        return;
    }
    // Each drive keeps the folder last browsed on it; the current folder's drive starts there.
    std::vector<std::string> names = m_driveFolders[std::size_t(index)];
    if (names.empty()) {
        if (const auto below = NamesBelow(drive.mountPoint, CurrentFolder::get());
            below && DriveTable::indexOfPath(m_drives, CurrentFolder::get()) == index)
            names = *below;
    }
    changeFolder(index, names, false);
}

void TfrmBrowse::DirectoryListBox1DblClick(const QModelIndex& index) {
    if (!index.isValid())
        return;
    if (m_tree->kindOf(index) == FolderKind::Link) {
        ShowInfoMessage(QStringLiteral("This is a link to a folder elsewhere; Vantorel 95 does not follow links."));
        return;
    }
    changeFolder(m_drive, m_tree->namesOf(index), true);
}

void TfrmBrowse::DirectoryListBox1Change() {
    if (!DriveReady(m_drives[std::size_t(m_drive)].letter))
        return;
    openCurrent();
    btDeleteFiles->setEnabled(false);
    m_marked.clear();
    btDeleteFiles->setIcon(imTrash);
    m_binFull = false;
    {
        BusyCursor busy;
        FillGrid();
        QAction* checked = PopupMenu1->checkedSortItem();
        if (checked && checked != Sortbyname1)
            applySort(checked);
    }
    pnlScan->setText(QStringLiteral("Number of files : ") + QString::number(m_files.count()));
    pnlSize->setText(QStringLiteral("Total size : ") + FormatThousands(m_files.totalBytes()));
}

void TfrmBrowse::FillGrid() {
    m_model->clearRows();
    if (!m_folder.handle.valid() || !m_files.list(m_folder, WildcardPattern(m_mask)))
        m_files.clear();
    if (m_files.count() == 0) {
        m_model->appendTextRow(QStringList(6, QString()));
        return;
    }
    std::vector<std::uint32_t> keys(m_files.count());
    for (std::uint32_t k = 0; k < keys.size(); ++k)
        keys[k] = k;
    m_model->appendKeyRows(keys);
    grid->setCurrentGridRow(1);
}
