// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TfrmMain.h"
#include "app/VantorelApplication.h"
#include "common/ui/MessageBoxService.h"
#include "stats/ui/TfrmStatistics.h"
#include "viewer/ui/TFindDlg.h"

int main(int argc, char** argv) {
    VantorelApplication app(argc, argv);
    VantorelApplication::setApplicationTitle();

    // Every box and question of the program from here on is a real message box.
    MessageBoxService boxes;

    // The main window fills the search-path list and applies the hint settings as it is created.
    TfrmMain frmMain;
    // The statistics window lives until exit, hidden until asked for, so it keeps its figures
    // between showings.
    TfrmStatistics frmStatistics;
    frmMain.setStatisticsWindow(&frmStatistics);
    // The viewer windows' find dialog, made once, so its text and options carry over between them.
    TFindDlg findDlg;

    // Other windows (the statistics window stays open beside this one) must not keep the program
    // running once the main window is closed.
    QObject::connect(&frmMain, &TfrmMain::closed, &app, &QCoreApplication::quit);
    frmMain.show();
    return VantorelApplication::exec();
}
