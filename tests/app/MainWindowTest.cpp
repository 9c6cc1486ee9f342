// SPDX-License-Identifier: GPL-3.0-or-later
#include "BuildConfig.h"
#include "app/HintSettings.h"
#include "app/ScreenshotDir.h"
#include "app/TGradientBack.h"
#include "app/THelpWindow.h"
#include "app/TfrmAbout.h"
#include "app/TfrmMain.h"
#include "app/VantorelApplication.h"
#include "support/RecordingMessageService.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

struct ToolRow {
    const char* button;
    const char* caption;
    const char* label;
    const char* description;
    int top;
};

const ToolRow kRows[] = {
    {"btDuplicate", "&Duplicate files", "lblDuplicate", "Locate and view duplicate files", 9},
    {"btFileHog", "&File hogs", "lblFileHog", "Locate and view file hogs (large files)", 63},
    {"btFiles", "Files &accessed", "lblFiles", "Files accessed within a range of dates", 116},
    {"btDirHogs", "Folder &hogs", "lblDirHogs", "Displays large folders", 170},
    {"btStatistic", "&Statistics", "lblStatistic", "File/disk statistics", 223},
    {"btBrowse", "&Browse", "lblBrowse", "Browse through files and folders", 277},
};

QPushButton* button(QWidget& window, const char* name) {
    auto* found = window.findChild<QPushButton*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QRect designRect(const TfrmMain& frm, int x, int y, int w, int h) {
    return {frm.scaled(x), frm.scaled(y), frm.scaled(w), frm.scaled(h)};
}

} // namespace

TEST(MainWindow, CaptionRowsAndPositions) {
    TfrmMain frm;
    EXPECT_EQ(frm.windowTitle(), QStringLiteral("Vantorel '95"));
    // The offscreen screen is the 96 DPI design screen, so every scaled size is the design size.
    EXPECT_EQ(frm.logicalDpiX(), 96);

    for (const ToolRow& row : kRows) {
        SCOPED_TRACE(row.button);
        QPushButton* bt = button(frm, row.button);
        ASSERT_NE(bt, nullptr);
        EXPECT_EQ(bt->text(), QString::fromUtf8(row.caption));
        EXPECT_EQ(bt->geometry(), designRect(frm, 7, 6, 185, 28));
        EXPECT_EQ(bt->font().pointSize(), 8);

        auto* panel = qobject_cast<QFrame*>(bt->parentWidget());
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->geometry(), designRect(frm, 25, row.top, 502, 40));
        EXPECT_EQ(panel->frameShape(), QFrame::StyledPanel);
        EXPECT_EQ(panel->frameShadow(), QFrame::Sunken);

        auto* label = panel->findChild<QLabel*>(QString::fromLatin1(row.label));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QString::fromUtf8(row.description));
        EXPECT_EQ(label->x(), frm.scaled(216));
        EXPECT_TRUE(label->font().bold());
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black));
        // Whatever face stands in for Arial, the description must not be cut off.
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width());
        EXPECT_LE(label->x() + label->width(), panel->width());
    }

    const struct {
        const char* name;
        const char* caption;
        int x;
    } bottom[] = {{"btReach", "Ab&out", 155}, {"btHelp", "H&elp", 285}, {"btClose", "E&xit", 418}};
    for (const auto& b : bottom) {
        SCOPED_TRACE(b.name);
        QPushButton* bt = button(frm, b.name);
        ASSERT_NE(bt, nullptr);
        EXPECT_EQ(bt->text(), QString::fromLatin1(b.caption));
        EXPECT_EQ(bt->geometry(), designRect(frm, b.x, 334, 111, 28));
        EXPECT_EQ(bt->parentWidget(), &frm);
        EXPECT_TRUE(frm.rect().contains(bt->geometry()));
    }
    EXPECT_EQ(button(frm, "btClose")->toolTip(), QStringLiteral("Quit and close "));

    // The gradient fills the whole client area and lies beneath everything else.
    auto* back = frm.findChild<TGradientBack*>();
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->isAllBlue());
    EXPECT_EQ(back->geometry(), frm.rect());
    EXPECT_EQ(frm.children().indexOf(back), 0);
}

TEST(MainWindow, HintSettingsApplyOnceForTheWholeApplication) {
    TfrmMain first;
    TfrmMain second;
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 1000);
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), QColor(0, 255, 255));
    // A second main window must not wrap the style again.
    auto* style = qobject_cast<HintDelayStyle*>(QApplication::style());
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(qobject_cast<HintDelayStyle*>(style->baseStyle()), nullptr);
}

TEST(MainWindow, EveryToolCanBePressed) {
    TfrmMain frm;
    for (const char* name : {"btDuplicate", "btFileHog", "btFiles", "btDirHogs", "btStatistic", "btBrowse", "btReach",
                             "btHelp", "btClose"})
        EXPECT_TRUE(button(frm, name)->isEnabled()) << name;
}

TEST(MainWindow, ExitClosesTheWindowAndEndsTheProgram) {
    TfrmMain frm;
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
    QSignalSpy closed(&frm, &TfrmMain::closed);
    QTest::mouseClick(button(frm, "btClose"), Qt::LeftButton);
    EXPECT_FALSE(frm.isVisible());
    EXPECT_EQ(closed.count(), 1);
}

TEST(MainWindow, AboutBoxOpensModallyAndCloses) {
    RecordingMessageService messages;
    TfrmMain frm;
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));

    QString caption;
    QString maker;
    QString version;
    bool animated = false;
    bool allBlue = true;
    int framesSeen = 0;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<TfrmAbout*>(QApplication::activeModalWidget());
        if (!about)
            return;
        caption = about->windowTitle();
        if (auto* label = about->findChild<QLabel*>(QStringLiteral("lblMaker")))
            maker = label->text();
        if (auto* label = about->findChild<QLabel*>(QStringLiteral("lblVersion")))
            version = label->text();
        if (auto* back = about->findChild<TGradientBack*>())
            allBlue = back->isAllBlue();
        animated = about->animation()->running();
        // Stepping round once comes back to the first frame.
        const int first = about->animation()->frame();
        for (int i = 0; i < TDiskAnimation::FrameCount; ++i) {
            about->animation()->step();
            if (about->animation()->frame() != first)
                ++framesSeen;
        }
        EXPECT_EQ(about->animation()->frame(), first);
        SaveScreenshot(about, QStringLiteral("about-box"));
        QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("btOK")), Qt::LeftButton);
    });
    QTest::mouseClick(button(frm, "btReach"), Qt::LeftButton);

    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(caption, QStringLiteral("About Vantorel '95"));
    EXPECT_EQ(maker, QStringLiteral("Vantorel Software"));
    EXPECT_EQ(version, QStringLiteral("Version " VANTOREL_VERSION)); // as --version says it
    EXPECT_FALSE(allBlue);
    EXPECT_TRUE(animated);
    EXPECT_EQ(framesSeen, TDiskAnimation::FrameCount - 1);
    EXPECT_TRUE(frm.isVisible());
    EXPECT_TRUE(messages.records().empty());
}

TEST(MainWindow, CaptionsAreExactlyTheirOwnTexts) {
    const QString before = QCoreApplication::applicationName();
    VantorelApplication::setApplicationTitle();
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Vantorel '95"));
    // The desktop appends a display name of the application's own to every window and box caption;
    // while none is set, the display name merely follows the application name.
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("probe"));
    QCoreApplication::setApplicationName(before);

    // The windows' own captions are checked with each window; the help window's here.
    THelpWindow* help = THelpWindow::showTopic(1);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Vantorel '95 Help"));
    delete help;
}

// The pictures for the documentation (scripts/screenshots.sh); under ctest they land in the build.
TEST(Screenshots, MainWindow) {
    TfrmMain frm;
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
    EXPECT_FALSE(SaveScreenshot(&frm, QStringLiteral("main-window")).isEmpty());
}
