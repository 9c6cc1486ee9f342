// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TfrmMain.h"

#include "app/HintSettings.h"
#include "app/TGradientBack.h"
#include "app/THelpWindow.h"
#include "app/TfrmAbout.h"
#include "browse/ui/TfrmBrowse.h"
#include "common/SearchPathList.h"
#include "exclusions/ExclusionSetting.h"
#include "exclusions/ui/TfrmExclusions.h"
#include "finders/daterange/ui/TfrmMods.h"
#include "finders/dup/ui/TfrmDup.h"
#include "finders/dupfolders/ui/TfrmDupFolders.h"
#include "folderhogs/ui/TfrmDirHog.h"
#include "journal/ui/TfrmHistory.h"
#include "map/ui/MapOpeners.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace {
// Design geometry at 96 pixels per inch.
constexpr int ClientWidth = 552;
constexpr int ClientHeight = 372;
constexpr int PanelLeft = 25;
constexpr int PanelWidth = 502;
constexpr int PanelHeight = 40;
constexpr int ToolButtonLeft = 7;
constexpr int ToolButtonTop = 6;
constexpr int ToolButtonWidth = 185;
constexpr int ButtonHeight = 28;
constexpr int LabelLeft = 216;
constexpr int LabelRightMargin = 4;
constexpr int BottomButtonTop = 334;
constexpr int BottomButtonWidth = 111;
constexpr int HistoryButtonWidth = 90;
constexpr int DupFoldersWidth = 120;
constexpr int DupFoldersMinWidth = 100;
constexpr int ExclusionsButtonWidth = 30;

QFont toolButtonFont() {
    QFont font(QStringLiteral("Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont descriptionFont() {
    QFont font(QStringLiteral("Arial"), 10, QFont::Bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}
// The help button's glyph, drawn here because icon themes are not found on every desktop.
QIcon helpGlyph() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 160));
    painter.drawEllipse(QRectF(1, 1, 14, 14));
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
    return QIcon(pixmap);
}
// The exclusions button's glyph: a funnel, what is poured through it leaving things behind.
QIcon funnelGlyph() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 0, 96), 1));
    painter.setBrush(QColor(0, 0, 160));
    const QPointF funnel[] = {{1.5, 2.5}, {14.5, 2.5}, {9.5, 8.5}, {9.5, 14.5}, {6.5, 12.5}, {6.5, 8.5}};
    painter.drawPolygon(funnel, 6);
    return QIcon(pixmap);
}
} // namespace

TfrmMain::TfrmMain(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Vantorel '95"));
    setFixedSize(scaled(ClientWidth), scaled(ClientHeight));

    m_back = new TGradientBack(this);
    m_back->setObjectName(QStringLiteral("GradientBack"));
    m_back->setIsAllBlue(true);
    m_back->setGeometry(rect());
    m_back->lower();

    auto* btDuplicate = addToolRow(9, "btDuplicate", QStringLiteral("&Duplicate files"), "lblDuplicate",
                                   QStringLiteral("Locate and view duplicate files"));
    auto* btFileHog = addToolRow(63, "btFileHog", QStringLiteral("&File hogs"), "lblFileHog",
                                 QStringLiteral("Locate and view file hogs (large files)"));
    auto* btFiles = addToolRow(116, "btFiles", QStringLiteral("Files &accessed"), "lblFiles",
                               QStringLiteral("Files accessed within a range of dates"));
    auto* btDirHogs = addToolRow(170, "btDirHogs", QStringLiteral("Folder &hogs"), "lblDirHogs",
                                 QStringLiteral("Displays large folders"));
    auto* btStatistic = addToolRow(223, "btStatistic", QStringLiteral("&Statistics"), "lblStatistic",
                                   QStringLiteral("File/disk statistics"));
    auto* btBrowse = addToolRow(277, "btBrowse", QStringLiteral("&Browse"), "lblBrowse",
                                QStringLiteral("Browse through files and folders"));
    addExclusionsButton(btDuplicate);
    fitLabelFont();
    // The history of deletes has no row of its own either: it sits at the right of the statistics
    // row, whose short description leaves the room (the Deleted page of statistics opens it too).
    auto* btHistory = new QPushButton(QStringLiteral("H&istory"), btStatistic->parentWidget());
    btHistory->setObjectName(QStringLiteral("btHistory"));
    btHistory->setFont(toolButtonFont());
    btHistory->setToolTip(QStringLiteral("What was deleted, and Undo for what went to the recycle bin"));
    btHistory->setGeometry(scaled(PanelWidth - ToolButtonLeft - HistoryButtonWidth), scaled(ToolButtonTop),
                           scaled(HistoryButtonWidth), scaled(ButtonHeight));
    connect(btHistory, &QPushButton::clicked, this, [this] { OpenHistory(this); });
    addDupFoldersButton(btDirHogs);

    // The map has no row of its own: it sits in the free place at the left of the bottom row.
    auto* btMap = addBottomButton(25, "btMap", QStringLiteral("Space &map"));
    btMap->setToolTip(QStringLiteral("Map of where the space went"));
    connect(btMap, &QPushButton::clicked, this, [this] { OpenSpaceMap(this); });
    auto* btReach = addBottomButton(155, "btReach", QStringLiteral("Ab&out"));
    auto* btHelp = addBottomButton(285, "btHelp", QStringLiteral("H&elp"));
    btHelp->setIcon(helpGlyph());
    auto* btClose = addBottomButton(418, "btClose", QStringLiteral("E&xit"));
    btClose->setToolTip(QStringLiteral("Quit and close "));

    connect(btDuplicate, &QPushButton::clicked, this, &TfrmMain::btDuplicateClick);
    connect(btFileHog, &QPushButton::clicked, this, &TfrmMain::btFileHogClick);
    connect(btFiles, &QPushButton::clicked, this, &TfrmMain::btFilesClick);
    connect(btDirHogs, &QPushButton::clicked, this, &TfrmMain::btDirHogsClick);
    connect(btStatistic, &QPushButton::clicked, this, &TfrmMain::btStatisticClick);
    connect(btBrowse, &QPushButton::clicked, this, &TfrmMain::btBrowseClick);
    connect(btReach, &QPushButton::clicked, this, &TfrmMain::btReachClick);
    connect(btHelp, &QPushButton::clicked, this, &TfrmMain::btHelpClick);
    connect(btClose, &QPushButton::clicked, this, &TfrmMain::btCloseClick);

    FormCreate();
}

int TfrmMain::scaled(int designPixels) const { return qRound(designPixels * logicalDpiX() / 96.0); }

QPushButton* TfrmMain::addToolRow(int top, const char* buttonName, const QString& caption,
                                  const char* labelName, const QString& description) {
    auto* panel = new QFrame(this);
    panel->setObjectName(QString::fromLatin1(buttonName).replace(0, 2, QStringLiteral("pnl")));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setAutoFillBackground(true);
    panel->setGeometry(scaled(PanelLeft), scaled(top), scaled(PanelWidth), scaled(PanelHeight));

    auto* button = new QPushButton(caption, panel);
    button->setObjectName(QString::fromLatin1(buttonName));
    button->setFont(toolButtonFont());
    button->setGeometry(scaled(ToolButtonLeft), scaled(ToolButtonTop), scaled(ToolButtonWidth),
                        scaled(ButtonHeight));

    auto* label = new QLabel(description, panel);
    label->setObjectName(QString::fromLatin1(labelName));
    label->setFont(descriptionFont());
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setGeometry(scaled(LabelLeft), 0, scaled(PanelWidth - LabelLeft - LabelRightMargin), scaled(PanelHeight));
    m_labels.append(label);
    return button;
}

void TfrmMain::addDupFoldersButton(QPushButton* dirHogs) {
    // Duplicate folders has no row of its own: it sits at the right end of the folder hog row,
    // after that row's short description, which keeps its place and font.
    QWidget* panel = dirHogs->parentWidget();
    const QLabel* label = panel->findChild<QLabel*>(QStringLiteral("lblDirHogs"));
    const int textEnd = label->x() + QFontMetrics(label->font(), this).horizontalAdvance(label->text());
    const int right = scaled(PanelWidth - ToolButtonLeft);
    const int width =
        std::clamp(right - textEnd - scaled(8), scaled(DupFoldersMinWidth), scaled(DupFoldersWidth));
    auto* button = new QPushButton(QStringLiteral("D&uplicate folders"), panel);
    button->setObjectName(QStringLiteral("btDupFolders"));
    button->setFont(toolButtonFont());
    button->setToolTip(QStringLiteral("Folders that are copies of each other"));
    button->setGeometry(right - width, scaled(ToolButtonTop), width, scaled(ButtonHeight));
    connect(button, &QPushButton::clicked, this, &TfrmMain::btDupFoldersClick);
}

void TfrmMain::addExclusionsButton(QPushButton* duplicate) {
    // Exclusions have no row of their own: a small button at the right end of the duplicate files
    // row, whose description leaves the room; the description ends before it whatever the font.
    QWidget* panel = duplicate->parentWidget();
    QLabel* label = panel->findChild<QLabel*>(QStringLiteral("lblDuplicate"));
    const int right = scaled(PanelWidth - ToolButtonLeft);
    auto* button = new QPushButton(panel);
    button->setObjectName(QStringLiteral("btExclusions"));
    button->setIcon(funnelGlyph());
    button->setAccessibleName(QStringLiteral("Exclusions..."));
    button->setToolTip(QStringLiteral("Exclusions...: what every scan leaves out"));
    button->setGeometry(right - scaled(ExclusionsButtonWidth), scaled(ToolButtonTop), scaled(ExclusionsButtonWidth),
                        scaled(ButtonHeight));
    label->resize(button->x() - label->x() - scaled(LabelRightMargin), label->height());
    connect(button, &QPushButton::clicked, this, &TfrmMain::btExclusionsClick);
}

void TfrmMain::btExclusionsClick() {
    TfrmExclusions frmExclusions(this);
    frmExclusions.exec();
}

QPushButton* TfrmMain::addBottomButton(int left, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(scaled(left), scaled(BottomButtonTop), scaled(BottomButtonWidth), scaled(ButtonHeight));
    return button;
}

void TfrmMain::fitLabelFont() {
    // Where Arial is missing its stand-in may be wider; a description that would be cut off
    // takes a condensed face first and a smaller size only after that.
    QFont font = descriptionFont();
    auto fits = [this](const QFont& candidate) {
        const QFontMetrics metrics(candidate, this);
        for (const QLabel* label : std::as_const(m_labels))
            if (metrics.horizontalAdvance(label->text()) > label->width())
                return false;
        return true;
    };
    if (!fits(font))
        font.setStretch(QFont::Condensed);
    while (!fits(font) && font.pointSizeF() > 7.0)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    for (QLabel* label : std::as_const(m_labels))
        label->setFont(font);
}

void TfrmMain::FormCreate() {
    SearchPathList::global().GetSearchPath();
    // Every walk of every window leaves out what the user chose.
    ApplySavedExclusions();
    ApplyHintSettings();
}

void TfrmMain::FormShow() {
    THelpWindow::setHelpFile(THelpWindow::programHelpFile());
}

void TfrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT closed();
}

void TfrmMain::btDuplicateClick() {
    DupMode = true;
    TfrmDup frmDup(DupMode, this);
    frmDup.exec();
}

void TfrmMain::btFileHogClick() {
    DupMode = false;
    TfrmDup frmDup(DupMode, this);
    frmDup.exec();
}

void TfrmMain::btDirHogsClick() {
    TfrmDirHog frmDirHog(this);
    frmDirHog.exec();
}

void TfrmMain::btDupFoldersClick() {
    TfrmDupFolders frmDupFolders(this);
    frmDupFolders.exec();
}

void TfrmMain::btFilesClick() {
    TfrmMods frmMods(this);
    frmMods.exec();
}

// Shown without blocking this window; pressed again, it only comes to the front.
void TfrmMain::btStatisticClick() {
    if (!m_statistics)
        return;
    m_statistics->show();
    m_statistics->raise();
    m_statistics->activateWindow();
}

void TfrmMain::btBrowseClick() {
    // In the program's current folder, every file shown.
    TfrmBrowse frmBrowse(this);
    frmBrowse.exec();
}

void TfrmMain::btReachClick() {
    TfrmAbout about(this);
    about.exec();
}

void TfrmMain::btHelpClick() {
    THelpWindow::setHelpFile(THelpWindow::programHelpFile());
    THelpWindow::showTopic(1, this);
}

void TfrmMain::btCloseClick() { close(); }
