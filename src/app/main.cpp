// SPDX-License-Identifier: GPL-3.0-or-later
#include "BuildConfig.h"
#include "app/TfrmMain.h"
#include "app/VantorelApplication.h"
#include "common/ui/MessageBoxService.h"
#include "stats/ui/TfrmStatistics.h"
#include "viewer/ui/TFindDlg.h"

#include <QIcon>
#include <cstdio>
#include <cstring>

namespace {

// The desktop entry and the icon of an installed program share this name.
const char* const kDesktopId = "org.vantorel.Vantorel";

const char* const kUsage = "Usage: vantorel [--version | --help] [Qt options]\n"
                           "\n"
                           "Starts Vantorel '95, the disk-space utility, in a window. It takes no\n"
                           "arguments of its own; the toolkit's options (-platform, -style, ...) apply.\n"
                           "\n"
                           "  --version   print the program's name and version and end\n"
                           "  --help      print this text and end\n"
                           "\n"
                           "vantorel-cli runs the same searches without windows; see vantorel-cli(1).\n";

// --version and --help are answered before any display is needed. 0 done, 1 output not written,
// -1 neither was asked for.
int answerInfoOptions(int argc, char** argv) {
    const char* text = nullptr;
    char version[64];
    for (int i = 1; i < argc && !text; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::snprintf(version, sizeof version, "vantorel (Vantorel '95) %s\n", VANTOREL_VERSION);
            text = version;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            text = kUsage;
        }
    }
    if (!text)
        return -1;
    // A closed or full output is a failure, not a silent success.
    const bool written = std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0;
    return written ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (const int answered = answerInfoOptions(argc, argv); answered >= 0)
        return answered;

    VantorelApplication app(argc, argv);
    VantorelApplication::setApplicationTitle();
    // Lets the desktop match the windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopId));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QString::fromLatin1(kDesktopId)));

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
