// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScreenshotDir.h"
#include "support/TempTree.h"
#include "viewer/ui/TfrmStrings.h"

#include <QLabel>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>

TEST(Screenshots, StringsOfABinaryFile) {
    TempTree t;
    const std::string path = t.path("setup.bin");
    {
        std::ofstream out(path, std::ios::binary);
        for (const char* s : {"Vantorel disk utility", "Copyright notice here", "Press any key to continue",
                              "Error reading drive", "Insert disk 2 and press Enter", "Installation complete"})
            out << std::string("\x01\x7f\x00\xfe", 4) << s << std::string("\x00\x9c\x11", 3);
    }
    TfrmStrings w;
    w.setFileName(path);
    w.setWindowTitle(QStringLiteral("ASCII strings for : setup.bin"));
    w.resize(520, 300);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("lblCount"))->text(), "6");
    SaveScreenshot(&w, QStringLiteral("strings-window"));
}
