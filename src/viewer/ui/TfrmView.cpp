// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewer/ui/TfrmView.h"

#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "common/NumberTexts.h"
#include "common/ui/DpiScale.h"
#include "viewer/ui/TFileViewer.h"
#include "viewer/ui/TFindDlg.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStandardItemModel>
#include <QUrl>
#include <QVBoxLayout>

namespace {
// The exact path bytes of a dropped file: its URL's path with the percent escapes undone, so names
// that are not UTF-8 arrive whole.
std::string DroppedPath(const QUrl& url) {
    if (!url.isLocalFile())
        return {};
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}
} // namespace

TfrmView::TfrmView(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmView"));
    setWindowTitle(QStringLiteral("View file"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    setAcceptDrops(true);
    const double s = DpiScale(this);

    m_findDlg = TFindDlg::shared();
    if (!m_findDlg)
        m_findDlg = new TFindDlg(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildMenu();
    layout->setMenuBar(MainMenu1);

    Viewer1 = new TFileViewer(this);
    Viewer1->setObjectName(QStringLiteral("Viewer1"));
    Viewer1->setFrameShape(QFrame::NoFrame);
    Viewer1->setCaretHeight(17);
    // The usual fixed font of the desktop, where it is one of the fixed-pitch families.
    Viewer1->FixedFont().setName(QStringLiteral("Fixedsys"));
    Viewer1->FixedFont().setName(QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    Viewer1->FixedFont().setSize(9);
    Viewer1->FixedFont().setColor(Qt::black);
    Viewer1->setExpandTabs(TabExpansion1->isChecked());
    layout->addWidget(Viewer1, 1);
    connect(Viewer1, &TBaseViewer::ShowStatus, this, [this](qint64 line, int column) { Viewer1ShowStatus(line, column); });
    // Scrolling moves the top line without the caret: the status line follows it too.
    connect(Viewer1, &TBaseViewer::TopLineChanged, this, [this] {
        Viewer1ShowStatus(Viewer1->CaretPosition().line, Viewer1->CaretPosition().index);
    });

    buildPanel();
    layout->addWidget(Panel1);

    Header1 = new QHeaderView(Qt::Horizontal, this);
    Header1->setObjectName(QStringLiteral("Header1"));
    m_sections = new QStandardItemModel(0, 5, Header1);
    Header1->setModel(m_sections);
    Header1->setFixedHeight(Scaled(25, s));
    Header1->setSectionsClickable(false);
    Header1->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(Scaled(13, s));
    Header1->setFont(arial);
    const int widths[] = {100, 150, 110, 190};
    for (int i = 0; i < 4; ++i)
        Header1->resizeSection(i, Scaled(widths[i], s));
    Header1->setStretchLastSection(true);
    const char* sections[] = {" ", "Total:", "Top:", "Bytes:", " "};
    for (int i = 0; i < 5; ++i)
        setStatusSection(i, QString::fromLatin1(sections[i]));
    layout->addWidget(Header1);

    resize(Scaled(640, s), Scaled(480, s));
}

TfrmView::~TfrmView() = default;

void TfrmView::ViewFile(QWidget* parent, const std::string& exactPath) {
    TfrmView frmView(parent);
    frmView.setFileName(exactPath);
    // Opened before the window shows: a file that cannot be opened (removed since it was listed,
    // say) gives its message and no empty window after it.
    if (!frmView.openViewer())
        return;
    frmView.exec();
}

QAction* TfrmView::addItem(QMenu* menu, const char* name, const QString& text, const QKeySequence& shortcut) {
    QAction* item = menu->addAction(text);
    item->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) {
        item->setShortcut(shortcut);
        item->setShortcutContext(Qt::WindowShortcut);
    }
    return item;
}

void TfrmView::buildMenu() {
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    File1 = MainMenu1->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    Open1 = addItem(File1, "Open1", QStringLiteral("&Open..."));
    File1->addSeparator();
    Print1 = addItem(File1, "Print1", QStringLiteral("&Print..."));
    Print1->setEnabled(false);
    PrintSetup1 = addItem(File1, "PrintSetup1", QStringLiteral("P&rint setup..."));
    File1->addSeparator();
    Exit1 = addItem(File1, "Exit1", QStringLiteral("E&xit"), QKeySequence(Qt::ALT | Qt::Key_F4));

    Clipboard1 = MainMenu1->addMenu(QStringLiteral("&Clipboard"));
    Clipboard1->setObjectName(QStringLiteral("Clipboard1"));
    Copy1 = addItem(Clipboard1, "Copy1", QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_Insert));
    // Ctrl+C too, from the window: after a click on a button below, the viewer no longer has the
    // keys, and both keys must still copy the selection.
    Copy1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Insert), QKeySequence(Qt::CTRL | Qt::Key_C)});
    Copy1->setEnabled(false);
    SelectAll1 = addItem(Clipboard1, "SelectAll1", QStringLiteral("&Select all"));
    SelectAll1->setEnabled(false);

    Search1 = MainMenu1->addMenu(QStringLiteral("&Search"));
    Search1->setObjectName(QStringLiteral("Search1"));
    Find1 = addItem(Search1, "Find1", QStringLiteral("&Find..."));
    Find1->setEnabled(false);
    FindNext1 = addItem(Search1, "FindNext1", QStringLiteral("Find &next"), QKeySequence(Qt::Key_F3));
    FindNext1->setEnabled(false);
    Search1->addSeparator();
    GotoLine1 = addItem(Search1, "GotoLine1", QStringLiteral("&Go to line..."), QKeySequence(Qt::Key_F4));
    GotoLine1->setEnabled(false);

    Options1 = MainMenu1->addMenu(QStringLiteral("&Options"));
    Options1->setObjectName(QStringLiteral("Options1"));
    HexMode1 = addItem(Options1, "HexMode1", QStringLiteral("&Hex Mode"), QKeySequence(Qt::Key_F8));
    HexMode1->setCheckable(true);
    TabExpansion1 = addItem(Options1, "TabExpansion1", QStringLiteral("&Tab expansion"));
    TabExpansion1->setCheckable(true);
    TabExpansion1->setChecked(true);
    Options1->addSeparator();
    TabSize1 = addItem(Options1, "TabSize1", QStringLiteral("Tab si&ze..."));
    Options1->addSeparator();
    Font1 = addItem(Options1, "Font1", QStringLiteral("&Font..."));
    // Qt draws the separator after the last item of a menu only when something follows it.

    connect(File1, &QMenu::aboutToShow, this, [this] { File1Click(); });
    connect(Clipboard1, &QMenu::aboutToShow, this, [this] { Clipboard1Click(); });
    connect(Search1, &QMenu::aboutToShow, this, [this] { Search1Click(); });
    connect(Open1, &QAction::triggered, this, [this] { Open1Click(); });
    connect(Print1, &QAction::triggered, this, [this] { Print1Click(); });
    connect(PrintSetup1, &QAction::triggered, this, [this] { PrintSetup1Click(); });
    connect(Exit1, &QAction::triggered, this, &QDialog::reject);
    connect(Copy1, &QAction::triggered, this, [this] { Copy1Click(); });
    connect(SelectAll1, &QAction::triggered, this, [this] { SelectAll1Click(); });
    connect(Find1, &QAction::triggered, this, [this] { Find1Click(); });
    connect(FindNext1, &QAction::triggered, this, [this] { FindNext1Click(); });
    connect(GotoLine1, &QAction::triggered, this, [this] { GotoLine1Click(); });
    connect(HexMode1, &QAction::triggered, this, [this] { HexMode1Click(); });
    connect(TabExpansion1, &QAction::triggered, this, [this] { TabExpansion1Click(); });
    connect(TabSize1, &QAction::triggered, this, [this] { TabSize1Click(); });
    connect(Font1, &QAction::triggered, this, [this] { Font1Click(); });
}

void TfrmView::buildPanel() {
    const double s = DpiScale(this);
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(Scaled(33, s));
    rbAscii = new QRadioButton(QStringLiteral("&ASCII"), Panel1);
    rbAscii->setObjectName(QStringLiteral("rbAscii"));
    rbAscii->setGeometry(ScaledRect(8, 8, 65, 17, s));
    rbAscii->setChecked(true);
    rbHex = new QRadioButton(QStringLiteral("&Hex"), Panel1);
    rbHex->setObjectName(QStringLiteral("rbHex"));
    rbHex->setGeometry(ScaledRect(76, 8, 57, 17, s));
    auto button = [&](const char* name, const QString& text, int width) {
        auto* b = new QPushButton(text, Panel1);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(ScaledRect(0, 4, width, 25, s));
        b->setAutoDefault(false);
        return b;
    };
    btFont = button("btFont", QStringLiteral("Fo&nt"), 60);
    btPrint = button("btPrint", QStringLiteral("P&rint setup"), 80);
    BitBtn1 = button("BitBtn1", QStringLiteral("&Print"), 60);
    btStrings = button("btStrings", QStringLiteral("&View ASCII strings"), 130);
    btStrings->setToolTip(QStringLiteral("Peek inside file for ASCII strings"));
    btClose = button("btClose", QStringLiteral("Close"), 75);

    connect(rbAscii, &QRadioButton::clicked, this, [this] { rbAsciiClick(); });
    connect(rbHex, &QRadioButton::clicked, this, [this] { rbHexClick(); });
    connect(btFont, &QPushButton::clicked, this, [this] { Font1Click(); });
    connect(btPrint, &QPushButton::clicked, this, [this] { PrintSetup1Click(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { Print1Click(); });
    connect(btStrings, &QPushButton::clicked, this, [this] { btStringsClick(); });
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject); // the cancel button: Esc too
}

void TfrmView::setStatusSection(int section, const QString& text) {
    m_sections->setHeaderData(section, Qt::Horizontal, text);
}

void TfrmView::showCaption() { setWindowTitle(QStringLiteral("View File : ") + DisplayText(m_fileName)); }

void TfrmView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous() && !m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TfrmView::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TfrmView::FormResize() {
    if (!btClose)
        return;
    const int gap = Scaled(5, DpiScale(this));
    int right = width() - Scaled(15, DpiScale(this));
    for (QPushButton* b : {btClose, btStrings, BitBtn1, btPrint, btFont}) {
        b->move(right - b->width(), b->y());
        right = b->x() - gap;
    }
}

void TfrmView::FormShow() {
    Viewer1->setFocus();
    if (m_fileName.empty() || (Viewer1->IsOpen() && Viewer1->FileName() == m_fileName))
        return;
    // A window shown for a file that cannot be opened has nothing to show: it closes once the
    // message has been read.
    if (!openViewer())
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

void TfrmView::openFile(const std::string& name) {
    m_fileName = name;
    openViewer();
}

bool TfrmView::openViewer() {
    Viewer1->setOpen(false);
    Viewer1->setFileName(m_fileName);
    bool opened = false;
    try {
        Viewer1->setOpen(true);
        showCaption();
        opened = true;
    } catch (const AppError& e) {
        ShowErrorMessage(e.text()); // the viewer stays closed and the caption as it was
    }
    Search1Click();
    Clipboard1Click();
    return opened;
}

void TfrmView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && !DroppedPath(event->mimeData()->urls().constFirst()).empty())
        event->acceptProposedAction();
}

void TfrmView::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls())
        return;
    // Only the first of the dropped files, its name whatever its length.
    const std::string path = DroppedPath(event->mimeData()->urls().constFirst());
    if (path.empty())
        return;
    event->acceptProposedAction();
    openFile(path);
    if (isMinimized())
        showNormal();
    else {
        raise();
        activateWindow();
    }
}

void TfrmView::File1Click() { Print1->setEnabled(Viewer1->TotalLines() > 0); }

void TfrmView::Clipboard1Click() {
    SelectAll1->setEnabled(Viewer1->TotalLines() > 0);
    Copy1->setEnabled(Viewer1->HasSelection());
}

void TfrmView::Search1Click() {
    const bool lines = Viewer1->TotalLines() > 0;
    Find1->setEnabled(lines);
    GotoLine1->setEnabled(lines);
    FindNext1->setEnabled(lines && !m_findDlg->text().isEmpty());
}

void TfrmView::Viewer1ShowStatus(std::int64_t line, int column) {
    setStatusSection(0, QStringLiteral("%1:%2").arg(line + 1).arg(column + 1).leftJustified(8));
    const std::int64_t total = Viewer1->TotalLines();
    setStatusSection(1, QStringLiteral("Total: ") +
                            (total == TBaseViewer::UnknownLines ? QStringLiteral("?") : FormatThousands(total)));
    setStatusSection(2, QStringLiteral("Top: ") + QString::number(Viewer1->FirstVisibleLine() + 1).leftJustified(5));
    setStatusSection(3, QStringLiteral("Bytes: ") + FormatThousands(Viewer1->FileLength()));
    Clipboard1Click();
}
