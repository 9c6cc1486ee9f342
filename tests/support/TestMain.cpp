// SPDX-License-Identifier: GPL-3.0-or-later
// Every test process gets its own settings and trash folders, so no test can touch the user's own,
// and runs windows offscreen unless a display is chosen explicitly.
#include "support/TempTree.h"

#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Removed by bytes at the end: names that went to the trash need not be UTF-8.
    TempTree home;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home.path("config")));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.path("data")));
    qputenv("XDG_STATE_HOME", QByteArray::fromStdString(home.path("state")));
    qputenv("HOME", QByteArray::fromStdString(home.root()));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
