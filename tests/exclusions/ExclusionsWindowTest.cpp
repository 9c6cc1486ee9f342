// SPDX-License-Identifier: GPL-3.0-or-later
// The Exclusions window keeps the rules in the settings and makes them every walk's; a scan window
// then shows what they left out beside what it could not read.
#include "app/ScreenshotDir.h"
#include "app/TfrmMain.h"
#include "exclusions/ExclusionSetting.h"
#include "exclusions/UserSettings.h"
#include "exclusions/ui/TfrmExclusions.h"
#include "folderhogs/ui/TfrmDirHog.h"
#include "support/FinderWindowTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

void WriteText(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

class ExclusionsWindow : public FinderWindowTest<TfrmDirHog> {
protected:
    void TearDown() override {
        SetWalkExclusions(nullptr);
        QFile::remove(UserSettingsPath());
        FinderWindowTest::TearDown();
    }
    void open() {
        w = std::make_unique<TfrmDirHog>();
        w->show();
        QCoreApplication::processEvents();
    }
    void add(TfrmExclusions& x, const QString& pattern) {
        x.findChild<QLineEdit*>("edPattern")->setText(pattern);
        QTest::mouseClick(x.findChild<QPushButton*>("btAdd"), Qt::LeftButton);
    }
    QStringList listed(TfrmExclusions& x) {
        QStringList items;
        auto* list = x.findChild<QListWidget*>("lbPatterns");
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items;
    }
};

TEST_F(ExclusionsWindow, EditsTheRulesKeepsThemAndRefusesBadPatterns) {
    {
        TfrmExclusions x;
        x.show();
        add(x, QStringLiteral("*.o"));
        add(x, QStringLiteral("src/[ab"));
        ASSERT_EQ(messages.texts().size(), 1);
        EXPECT_TRUE(messages.texts()[0].contains("src/[ab")) << messages.texts()[0].toStdString();
        EXPECT_TRUE(messages.texts()[0].contains("unbalanced [")) << messages.texts()[0].toStdString();
        EXPECT_EQ(x.findChild<QLineEdit*>("edPattern")->text(), QStringLiteral("src/[ab")); // kept to be mended
        add(x, QStringLiteral("node_modules"));
        add(x, QStringLiteral("tmp"));
        auto* list = x.findChild<QListWidget*>("lbPatterns");
        list->setCurrentRow(2);
        QTest::mouseClick(x.findChild<QPushButton*>("btRemove"), Qt::LeftButton);
        x.findChild<QCheckBox*>("cbCaches")->setChecked(true);
        EXPECT_EQ(listed(x), (QStringList{"*.o", "node_modules"}));
        SaveScreenshot(&x, QStringLiteral("exclusions"));
        QTest::mouseClick(x.findChild<QPushButton*>("btOK"), Qt::LeftButton);
        EXPECT_EQ(x.result(), QDialog::Accepted);
    }
    const ExclusionSetting saved = SavedExclusions();
    EXPECT_EQ(saved.patterns, (QStringList{"*.o", "node_modules"}));
    EXPECT_TRUE(saved.caches);
    ASSERT_NE(WalkExclusions(), nullptr);
    EXPECT_EQ(WalkExclusions()->patterns(), (std::vector<std::string>{"*.o", "node_modules"}));
    // Opened again it shows what was kept; Cancel changes nothing.
    TfrmExclusions again;
    EXPECT_EQ(listed(again), (QStringList{"*.o", "node_modules"}));
    add(again, QStringLiteral("more"));
    QTest::mouseClick(again.findChild<QPushButton*>("btCancel"), Qt::LeftButton);
    EXPECT_EQ(SavedExclusions().patterns.size(), 2);
}

TEST_F(ExclusionsWindow, AScanWindowShowsWhatWasLeftOutAndBy) {
    tree.file("src/main.o", 5000);
    tree.file("src/main.c", 3000);
    tree.file("web/node_modules/a.js", 9000);
    tree.file("cache/blob", 7000);
    WriteText(tree.path("cache/CACHEDIR.TAG"), "Signature: 8a477f597d28d172789f06886806bc55\n");
    SaveExclusions({{QStringLiteral("*.o"), QStringLiteral("node_modules")}, true});
    ApplySavedExclusions();
    open();
    button("btTop")->click();
    auto* excluded = child<QToolButton>("pnlExcluded");
    ASSERT_TRUE(excluded->isVisible());
    EXPECT_EQ(excluded->text(), QStringLiteral("3 excluded"));
    EXPECT_FALSE(child<QToolButton>("pnlSkipped")->isVisible());
    // Main folders: src holds main.c alone, web nothing, the cache folder has no line.
    EXPECT_EQ(w->rowsFilled(), 2);
    EXPECT_EQ(w->engine().resultFigures(0).files, 1);
    EXPECT_EQ(w->engine().resultFigures(0).bytes, 3000);
    excluded->click();
    auto* list = w->findChild<QDialog*>("frmExcluded");
    ASSERT_NE(list, nullptr);
    const QString text = list->findChild<QPlainTextEdit*>("memList")->toPlainText();
    for (const std::string& line : {tree.path("src/main.o") + ": excluded by *.o",
                                    tree.path("web/node_modules") + "/: excluded by node_modules",
                                    tree.path("cache") + "/: excluded by CACHEDIR.TAG"})
        EXPECT_TRUE(text.contains(QString::fromStdString(line))) << text.toStdString();
    list->close();
    SaveShot(*w, QStringLiteral("dirhog-excluded.png"));
    // Deleting a folder is no exclusion: what was left out of its line goes with it.
    QTimer::singleShot(0, w.get(), [] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_TRUE(modal && modal->inherits("TfrmDelDirectory"));
        QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("btDelete")), Qt::LeftButton);
    });
    grid()->setCurrentIndex(w->gridModel()->index(0, 0));
    ASSERT_EQ(w->engine().resultPath(w->gridModel()->keyOf(1)), tree.path("src"));
    button("btDelete")->click();
    EXPECT_FALSE(std::filesystem::exists(tree.path("src")));
}

TEST_F(ExclusionsWindow, TheMainWindowOpensItFromTheDuplicateRowWithoutCuttingItsText) {
    TfrmMain main;
    main.show();
    auto* exclusions = main.findChild<QPushButton*>("btExclusions");
    ASSERT_NE(exclusions, nullptr);
    const QLabel* label = main.findChild<QLabel*>("lblDuplicate");
    EXPECT_EQ(exclusions->parentWidget(), label->parentWidget());
    EXPECT_LE(label->x() + QFontMetrics(label->font()).horizontalAdvance(label->text()), exclusions->x());
    EXPECT_EQ(exclusions->accessibleName(), QStringLiteral("Exclusions..."));
    bool opened = false;
    QTimer::singleShot(0, &main, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        opened = modal && modal->objectName() == QStringLiteral("frmExclusions");
        if (modal)
            static_cast<QDialog*>(modal)->reject();
    });
    QTest::mouseClick(exclusions, Qt::LeftButton);
    EXPECT_TRUE(opened);
}

} // namespace
