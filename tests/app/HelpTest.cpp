// SPDX-License-Identifier: GPL-3.0-or-later
#include "BuildConfig.h"
#include "app/ScreenshotDir.h"
#include "app/THelpWindow.h"
#include "app/TfrmAbout.h"
#include "app/TfrmMain.h"
#include "exclusions/ui/TfrmExclusions.h"
#include "browse/ui/TfrmBrowse.h"
#include "common/ui/TfrmWildCard.h"
#include "delete/ui/TfrmDelDirectory.h"
#include "delete/ui/TfrmReallyDelete.h"
#include "finders/daterange/ui/TfrmMods.h"
#include "finders/daterange/ui/TfrmPickDate.h"
#include "finders/dup/DupContentCheck.h"
#include "finders/dup/keep/ui/TfrmMarkCopies.h"
#include "finders/dup/ui/TfrmDup.h"
#include "finders/dupfolders/ui/TfrmDupFolders.h"
#include "folderhogs/ui/TfrmDirHog.h"
#include "journal/ui/TfrmHistory.h"
#include "map/ui/TfrmMap.h"
#include "scans/ui/TfrmOpenScan.h"
#include "scans/ui/TfrmWhatGrew.h"
#include "stats/ui/TfrmStatistics.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"
#include "viewer/ui/TfrmStrings.h"
// The file viewer window comes with its own branch of work; once it is built, its menus and
// buttons are held to the help like every other window's.
#if __has_include("viewer/ui/TfrmView.h")
#include "viewer/ui/TFindDlg.h"
#include "viewer/ui/TfrmView.h"
#define HELP_TEST_HAS_VIEWER 1
#endif

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace {

QString helpBesideProgram() { return QCoreApplication::applicationDirPath() + QStringLiteral("/vantorel.hlp"); }

QString readHelp() {
    QFile file(helpBesideProgram());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A caption as the help writes it: no mnemonic "&", no trailing "..." or ":", single spaces.
QString bareCaption(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    text = text.simplified();
    while (text.endsWith(QLatin1Char('.')) || text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text.trimmed();
}

// Every caption that a window shows the user: buttons, menus and their items, group boxes, tab
// pages, labels and the items of its lists.
QSet<QString> captionsOf(const QWidget& window) {
    QSet<QString> captions;
    auto add = [&](const QString& text) {
        if (const QString bare = bareCaption(text); !bare.isEmpty())
            captions.insert(bare);
    };
    add(window.windowTitle());
    for (const auto* b : window.findChildren<QAbstractButton*>())
        add(b->text());
    for (const auto* a : window.findChildren<QAction*>())
        add(a->text());
    for (const auto* m : window.findChildren<QMenu*>())
        add(m->title());
    for (const auto* g : window.findChildren<QGroupBox*>())
        add(g->title());
    for (const auto* t : window.findChildren<QTabWidget*>())
        for (int i = 0; i < t->count(); ++i)
            add(t->tabText(i));
    for (const auto* l : window.findChildren<QLabel*>())
        add(l->text());
    for (const auto* c : window.findChildren<QComboBox*>())
        for (int i = 0; i < c->count(); ++i)
            add(c->itemText(i));
    return captions;
}

// The Mark copies window over a content check of nothing (its controls are what counts here).
std::unique_ptr<QWidget> markCopiesWindow() {
    static DupScanEngine engine;
    static DupContentCheck check(engine);
    return std::make_unique<TfrmMarkCopies>(engine, check);
}

// One window of each kind (both modes of the finder), made as their openers make them.
std::map<QString, QSet<QString>> captionsOfEveryWindow() {
    std::map<QString, QSet<QString>> all;
    auto take = [&](const QString& name, std::unique_ptr<QWidget> window) { all[name] = captionsOf(*window); };
    take(QStringLiteral("TfrmMain"), std::make_unique<TfrmMain>());
    take(QStringLiteral("TfrmDup duplicates"), std::make_unique<TfrmDup>(true));
    take(QStringLiteral("TfrmDup file hogs"), std::make_unique<TfrmDup>(false));
    take(QStringLiteral("TfrmMods"), std::make_unique<TfrmMods>());
    take(QStringLiteral("TfrmPickDate"), std::make_unique<TfrmPickDate>());
    take(QStringLiteral("TfrmDirHog"), std::make_unique<TfrmDirHog>());
    take(QStringLiteral("TfrmStatistics"), std::make_unique<TfrmStatistics>());
    take(QStringLiteral("TfrmBrowse"), std::make_unique<TfrmBrowse>());
    take(QStringLiteral("TfrmWildCard"), std::make_unique<TfrmWildCard>());
    take(QStringLiteral("TfrmReallyDelete"), std::make_unique<TfrmReallyDelete>(nullptr));
    take(QStringLiteral("TfrmDelDirectory"), std::make_unique<TfrmDelDirectory>(nullptr));
    take(QStringLiteral("TfrmStrings"), std::make_unique<TfrmStrings>());
    take(QStringLiteral("TfrmAbout"), std::make_unique<TfrmAbout>());
    take(QStringLiteral("TfrmMap"), std::make_unique<TfrmMap>());
    take(QStringLiteral("TfrmHistory"), std::make_unique<TfrmHistory>());
    take(QStringLiteral("TfrmDupFolders"), std::make_unique<TfrmDupFolders>());
    take(QStringLiteral("TfrmWhatGrew"), std::make_unique<TfrmWhatGrew>());
    take(QStringLiteral("TfrmOpenScan"), std::make_unique<TfrmOpenScan>());
    take(QStringLiteral("TfrmMarkCopies"), markCopiesWindow());
    take(QStringLiteral("TfrmExclusions"), std::make_unique<TfrmExclusions>());
#ifdef HELP_TEST_HAS_VIEWER
    take(QStringLiteral("TfrmView"), std::make_unique<TfrmView>());
    take(QStringLiteral("TFindDlg"), std::make_unique<TFindDlg>(nullptr));
#endif
    return all;
}

// The help's topics by anchor: each one's text from its anchor to the next.
std::map<QString, QString> topicsOf(const QString& html) {
    std::map<QString, QString> topics;
    const QRegularExpression anchor(QStringLiteral("<a name=\"(topic-\\d+)\"></a>"));
    QRegularExpressionMatchIterator it = anchor.globalMatch(html);
    QString name;
    qsizetype start = -1;
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (start >= 0)
            topics[name] = html.mid(start, m.capturedStart() - start);
        name = m.captured(1);
        start = m.capturedEnd();
    }
    if (start >= 0)
        topics[name] = html.mid(start);
    return topics;
}

// The texts that a topic sets in bold: the help keeps bold for the names of controls.
QStringList boldTexts(const QString& topicHtml) {
    QStringList texts;
    for (const auto& m : QRegularExpression(QStringLiteral("<b>(.*?)</b>"), QRegularExpression::DotMatchesEverythingOption)
                             .globalMatch(topicHtml))
        texts << bareCaption(QTextDocumentFragment::fromHtml(m.captured(1)).toPlainText());
    return texts;
}

QString titleOf(const QString& topicHtml) {
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("<h[12]>(.*?)</h[12]>")).match(topicHtml);
    return m.hasMatch() ? QTextDocumentFragment::fromHtml(m.captured(1)).toPlainText() : QString();
}

// Restores the working folder and the application's help file whatever a test does.
class HelpTest : public ::testing::Test {
protected:
    void SetUp() override { m_oldFolder = QDir::currentPath(); }
    void TearDown() override {
        QDir::setCurrent(m_oldFolder);
        delete THelpWindow::current();
        THelpWindow::setHelpFile(QString());
    }

private:
    QString m_oldFolder;
};

} // namespace

TEST(JoinPathText, OneSeparatorBetweenFolderAndName) {
    EXPECT_EQ(JoinPath(QStringLiteral("/usr/bin"), QStringLiteral("vantorel.hlp")),
              QStringLiteral("/usr/bin/vantorel.hlp"));
    EXPECT_EQ(JoinPath(QStringLiteral("/"), QStringLiteral("vantorel.hlp")), QStringLiteral("/vantorel.hlp"));
    EXPECT_EQ(JoinPath(QStringLiteral("/opt/v/"), QStringLiteral("a")), QStringLiteral("/opt/v/a"));
}

TEST_F(HelpTest, HelpButtonOpensTopicOneBesideTheProgramFromAnyFolder) {
    RecordingMessageService messages;
    TempTree elsewhere;
    // A decoy help file in the working folder must not be the one shown.
    elsewhere.file("vantorel.hlp", 10, 'x');
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(elsewhere.root())));

    TfrmMain frm;
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
    QTest::mouseClick(frm.findChild<QPushButton*>(QStringLiteral("btHelp")), Qt::LeftButton);

    THelpWindow* help = THelpWindow::current();
    ASSERT_NE(help, nullptr) << messages.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(messages.records().empty());
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    const QUrl source = help->browser()->source();
    EXPECT_EQ(source.toLocalFile(), QFileInfo(helpBesideProgram()).absoluteFilePath());
    EXPECT_EQ(source.fragment(), QStringLiteral("topic-1"));
    EXPECT_TRUE(help->browser()->toPlainText().contains(QStringLiteral("Contents")));

    // Asking again reuses the one window.
    QTest::mouseClick(frm.findChild<QPushButton*>(QStringLiteral("btHelp")), Qt::LeftButton);
    EXPECT_EQ(THelpWindow::current(), help);
    EXPECT_EQ(frm.findChildren<THelpWindow*>().size(), 1);
}

TEST_F(HelpTest, TheHelpNeedsNoSidewaysScrollingAtItsOpeningSize) {
    RecordingMessageService messages;
    THelpWindow* help = THelpWindow::showTopic(15); // the command-line topic holds the widest lines
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    QCoreApplication::processEvents();
    EXPECT_FALSE(help->browser()->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(SaveScreenshot(help, QStringLiteral("help-window")).isEmpty());
    // Narrowed, the examples wrap rather than push the text sideways.
    help->resize(460, help->height());
    QCoreApplication::processEvents();
    EXPECT_FALSE(help->browser()->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(SaveScreenshot(help, QStringLiteral("help-window-narrow")).isEmpty());
}

TEST_F(HelpTest, MissingHelpFileGivesAnErrorBoxAndNoWindow) {
    RecordingMessageService messages;
    TempTree empty;
    const QString missing = QString::fromStdString(empty.path("vantorel.hlp"));
    THelpWindow::setHelpFile(missing);
    EXPECT_EQ(THelpWindow::showTopic(1), nullptr);
    EXPECT_EQ(THelpWindow::current(), nullptr);
    ASSERT_EQ(messages.records().size(), 1u);
    EXPECT_EQ(messages.records()[0].kind, MessageKind::Error);
    EXPECT_TRUE(messages.records()[0].text.contains(missing));
}

TEST_F(HelpTest, EveryTopicLinkLeadsToATopic) {
    QFile file(helpBesideProgram());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());

    QSet<QString> anchors;
    for (const auto& match : QRegularExpression(QStringLiteral("name=\"(topic-\\d+)\"")).globalMatch(html))
        anchors.insert(match.captured(1));
    QSet<QString> links;
    for (const auto& match : QRegularExpression(QStringLiteral("href=\"#(topic-\\d+)\"")).globalMatch(html))
        links.insert(match.captured(1));

    EXPECT_TRUE(anchors.contains(QStringLiteral("topic-1")));
    for (const QString& link : links)
        EXPECT_TRUE(anchors.contains(link)) << link.toStdString();
    // The contents page reaches every topic.
    for (const QString& anchor : anchors)
        EXPECT_TRUE(anchor == QStringLiteral("topic-1") || links.contains(anchor)) << anchor.toStdString();
    // Every tool of the program has its topic.
    for (const char* title : {"Duplicate files", "File hogs", "Files accessed", "Folder hogs", "Statistics",
                              "Browsing folders", "Viewing a file", "trash", "Running totals", "command-line tool"})
        EXPECT_TRUE(html.contains(QString::fromLatin1(title))) << title;
}

TEST_F(HelpTest, TheTrashTopicSaysWhereAFailedRunStopsAndThatChangedFilesAreLeftAlone) {
    RecordingMessageService messages;
    THelpWindow* help = THelpWindow::showTopic(12);
    ASSERT_NE(help, nullptr);
    // The topic's own text, from its heading to the next one (the contents list names both first).
    const QString all = help->browser()->toPlainText().simplified();
    const QString topic = all.mid(all.lastIndexOf(QStringLiteral("Deleting files and the trash")))
                              .section(QStringLiteral("Deleting a whole folder"), 0, 0);
    for (const char* said : {"stays where it is, and the others are still handled",
                             "Only a full trash stops a run early", "the files after it are not attempted",
                             "act only on the very file that the search listed", "is left alone"})
        EXPECT_TRUE(topic.contains(QString::fromLatin1(said))) << said;
}

TEST_F(HelpTest, TheHelpFileIsFoundBesideTheProgramFirstThenInTheInstalledDataFolder) {
    TempTree tree;
    const QString root = QString::fromStdString(tree.root());
    const QString bin = root + QStringLiteral("/bin");
    const QString installed = QDir::cleanPath(bin + QStringLiteral("/" VANTOREL_DATA_DIR_FROM_BIN "/vantorel.hlp"));
    tree.folder("bin");

    // Nowhere: the place beside the program, so that the error box names it (unless this machine
    // has the program installed where it was configured to go).
    const QString configured = QStringLiteral(VANTOREL_DATA_DIR "/vantorel.hlp");
    EXPECT_EQ(FindHelpFile(bin), QFileInfo(configured).isFile() ? configured : bin + QStringLiteral("/vantorel.hlp"));
    // An installed tree, wherever it was unpacked.
    tree.file(QDir(root).relativeFilePath(installed).toStdString(), 10, 'x');
    EXPECT_EQ(FindHelpFile(bin), installed);
    EXPECT_EQ(FindHelpFile(bin + QLatin1Char('/')), installed);
    // A copy beside the program wins (a build tree, or a program copied elsewhere).
    tree.file("bin/vantorel.hlp", 10, 'x');
    EXPECT_EQ(FindHelpFile(bin), bin + QStringLiteral("/vantorel.hlp"));
    // A folder of that name is not a help file.
    TempTree other;
    const QString otherBin = QString::fromStdString(other.folder("bin/vantorel.hlp")).section(u'/', 0, -2);
    other.folder("share/vantorel/vantorel.hlp");
    EXPECT_TRUE(FindHelpFile(otherBin) == otherBin + QStringLiteral("/vantorel.hlp") ||
                FindHelpFile(otherBin) == configured);
}

// Bold is for the names of buttons, menus and pages: each one must be a caption that some window
// really shows, so a renamed or removed control cannot leave the help behind.
TEST_F(HelpTest, EveryNameSetInBoldIsACaptionOfAWindow) {
    RecordingMessageService messages;
    QSet<QString> captions;
    for (const auto& [window, own] : captionsOfEveryWindow())
        captions.unite(own);
    const std::map<QString, QString> topics = topicsOf(readHelp());
    ASSERT_GE(topics.size(), 10u);
    for (const auto& [anchor, html] : topics) {
#ifndef HELP_TEST_HAS_VIEWER
        if (titleOf(html) == QStringLiteral("Viewing a file"))
            continue; // held to the viewer window once it is part of the build
#endif
        for (const QString& name : boldTexts(html))
            EXPECT_TRUE(captions.contains(name)) << anchor.toStdString() << ": " << name.toStdString();
    }
}

// Each line of the contents carries the title of the topic it leads to.
TEST_F(HelpTest, TheContentsNameEachTopicByItsTitle) {
    const QString html = readHelp();
    const std::map<QString, QString> topics = topicsOf(html);
    const QString contents = topics.at(QStringLiteral("topic-1"));
    int listed = 0;
    for (const auto& m :
         QRegularExpression(QStringLiteral("<li><a href=\"#(topic-\\d+)\">(.*?)</a></li>")).globalMatch(contents)) {
        ++listed;
        ASSERT_TRUE(topics.count(m.captured(1))) << m.captured(1).toStdString();
        EXPECT_EQ(titleOf(topics.at(m.captured(1))), QTextDocumentFragment::fromHtml(m.captured(2)).toPlainText());
    }
    EXPECT_EQ(listed, int(topics.size()) - 1);
}

// The other way round: every button of every window is named in bold somewhere, so none is left
// undescribed. (The calendar's month and year buttons are the calendar itself.)
TEST_F(HelpTest, EveryButtonOfEveryWindowIsNamedInTheHelp) {
    RecordingMessageService messages;
    QSet<QString> bold;
    for (const auto& [anchor, html] : topicsOf(readHelp()))
        for (const QString& name : boldTexts(html))
            bold.insert(name);
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.push_back(std::make_unique<TfrmMain>());
    windows.push_back(std::make_unique<TfrmDup>(true));
    windows.push_back(std::make_unique<TfrmDup>(false));
    windows.push_back(std::make_unique<TfrmMods>());
    windows.push_back(std::make_unique<TfrmDirHog>());
    windows.push_back(std::make_unique<TfrmStatistics>());
    windows.push_back(std::make_unique<TfrmBrowse>());
    windows.push_back(std::make_unique<TfrmWildCard>());
    windows.push_back(std::make_unique<TfrmReallyDelete>(nullptr));
    windows.push_back(std::make_unique<TfrmDelDirectory>(nullptr));
    windows.push_back(std::make_unique<TfrmStrings>());
    windows.push_back(std::make_unique<TfrmMap>());
    windows.push_back(std::make_unique<TfrmHistory>());
    windows.push_back(std::make_unique<TfrmDupFolders>());
    windows.push_back(std::make_unique<TfrmWhatGrew>());
    windows.push_back(markCopiesWindow());
    windows.push_back(std::make_unique<TfrmExclusions>());
#ifdef HELP_TEST_HAS_VIEWER
    windows.push_back(std::make_unique<TfrmView>());
#endif
    for (const auto& window : windows) {
        for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            const QString name = bareCaption(button->text());
            // Drive boxes are named by the drive table ("C: /"), not by the help.
            if (name.isEmpty() || button->objectName().contains(QRegularExpression(QStringLiteral("^cb\\d+$"))))
                continue;
            EXPECT_TRUE(bold.contains(name)) << window->objectName().toStdString() << " "
                                             << button->objectName().toStdString() << ": " << name.toStdString();
        }
    }
}

// The viewer's topic names each of its menus and their items, which only that window has.
TEST_F(HelpTest, TheViewerTopicNamesEveryMenuAndItemOfTheViewer) {
#ifndef HELP_TEST_HAS_VIEWER
    GTEST_SKIP() << "the file viewer window is not part of this build";
#else
    RecordingMessageService messages;
    QString viewing;
    for (const auto& [anchor, html] : topicsOf(readHelp()))
        if (titleOf(html) == QStringLiteral("Viewing a file"))
            viewing = html;
    ASSERT_FALSE(viewing.isEmpty());
    const QStringList bold = boldTexts(viewing);
    TfrmView view;
    int items = 0;
    for (const QMenu* menu : view.findChildren<QMenu*>()) {
        EXPECT_TRUE(bold.contains(bareCaption(menu->title()))) << menu->title().toStdString();
        for (const QAction* item : menu->actions())
            if (!item->isSeparator()) {
                ++items;
                EXPECT_TRUE(bold.contains(bareCaption(item->text()))) << item->text().toStdString();
            }
    }
    EXPECT_GE(items, 13);
#endif
}
