// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScreenshotDir.h"
#include "finders/dup/DupContentCheck.h"
#include "finders/dup/DupScanEngine.h"
#include "finders/dup/keep/ui/TfrmMarkCopies.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>

// The documentation's picture: photos copied into two backups, the originals as the reference.
TEST(Screenshots, MarkCopies) {
    RecordingMessageService messages;
    TempTree tree;
    const char* names[] = {"beach.jpg", "harbour.jpg", "market.jpg", "sunset.jpg"};
    for (const char* folder : {"Pictures/2023", "Backup/photos", "Desktop/old copy"})
        for (const char* name : names) {
            const std::string file = tree.file(std::string(folder) + "/" + name, 0);
            std::ofstream(file, std::ios::binary) << std::string(400'000 + std::strlen(name) * 1000, name[0]);
        }
    DupScanEngine engine;
    DupScanCriteria criteria;
    criteria.limit1K = 0;
    engine.begin(criteria);
    engine.scanDrive(tree.root());
    engine.finish(false);
    DupContentCheck check(engine);
    check.run();
    ASSERT_EQ(check.groupCount(), 4u);

    TfrmMarkCopies w(engine, check);
    w.setFolderPicker([&](QWidget*, const QString&) { return QString::fromStdString(tree.path("Pictures")); });
    w.findChild<QPushButton*>(QStringLiteral("btAdd"))->click();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto* freed = w.findChild<QLabel*>(QStringLiteral("lblFreed"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return freed->text().startsWith("Frees"); }, 20000));
    EXPECT_EQ(w.choice().markedFiles, 8);
    EXPECT_FALSE(SaveScreenshot(&w, QStringLiteral("mark-copies")).isEmpty());
}
