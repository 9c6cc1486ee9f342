// SPDX-License-Identifier: GPL-3.0-or-later
// Every test process gets its own settings, trash and journal folders, so no test can touch the user's own,
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
    // The journal of deletes: open to the unprivileged user that some tests delete as, with the lock
    // file in place, as a user's own journal would be to that user.
    qputenv("XDG_STATE_HOME", QByteArray::fromStdString(home.path("state")));
    home.file("state/vantorel/journal/.lock");
    for (const char* shared : {"state", "state/vantorel", "state/vantorel/journal"})
        home.setMode(shared, 0777);
    home.setMode("state/vantorel/journal/.lock", 0666);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
