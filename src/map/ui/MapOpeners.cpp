// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/ui/MapOpeners.h"

#include "common/StringGridModel.h"
#include "common/ui/DriveBoxPanel.h"
#include "common/ui/ResultGridView.h"
#include "folderhogs/ui/TfrmDirHog.h"
#include "map/ui/TfrmMap.h"

#include <QPointer>

namespace {

const QString kDeleted = QStringLiteral("DELETED");
const QString kRecycled = QStringLiteral("RECYCLED");

// The folder hog line that stands for folder: its own line, or the line of the folder that holds it
// (a main folder). 0 when there is none.
int lineOfFolder(TfrmDirHog& window, const std::string& folder) {
    const StringGridModel* model = window.gridModel();
    int best = 0;
    std::size_t bestLength = 0;
    for (int row = 1; row <= window.rowsFilled(); ++row) {
        const QString size = model->cellText(row, 0);
        if (size == kDeleted || size == kRecycled)
            continue;
        const std::string line = window.engine().resultPath(model->keyOf(row));
        const bool holds = folder.size() >= line.size() && folder.compare(0, line.size(), line) == 0 &&
                           (folder.size() == line.size() || line.back() == '/' || folder[line.size()] == '/');
        if (holds && line.size() >= bestLength) {
            best = row;
            bestLength = line.size();
        }
    }
    return best;
}

// The folder of the current line, when it is a folder still there.
std::string currentLineFolder(TfrmDirHog& window, const ResultGridView& grid) {
    const int row = grid.currentGridRow();
    if (row < 1 || row > window.rowsFilled())
        return {};
    const QString size = window.gridModel()->cellText(row, 0);
    if (size == kDeleted || size == kRecycled)
        return {};
    return window.engine().resultPath(window.gridModel()->keyOf(row));
}

} // namespace

void OpenSpaceMap(QWidget* parent) {
    TfrmMap frmMap(parent);
    frmMap.exec();
}

void OpenMapOfFolderHogs(TfrmDirHog& window, bool lineFolder) {
    QPointer<ResultGridView> grid = window.findChild<ResultGridView*>(QStringLiteral("grid"));
    const DriveBoxPanel* drives = window.findChild<DriveBoxPanel*>();
    if (!grid || !drives)
        return;
    const std::string line = currentLineFolder(window, *grid);
    if (lineFolder && line.empty())
        return;
    TfrmMap frmMap(&window);
    const std::string& savedScan = window.savedScanFile();
    if (!savedScan.empty()) {
        // The lines come from a saved scan: the map reads the same file, in the line's folder for
        // the map of that folder (the scan holds no other walk of it).
        frmMap.setStartScan(savedScan);
        if (lineFolder)
            frmMap.setStartView(line);
    } else {
        std::vector<std::string> roots;
        if (lineFolder)
            roots.push_back(line);
        else
            for (const TickedDrive& drive : drives->tickedDrives())
                roots.push_back(drive.mountPoint);
        if (roots.empty())
            return;
        frmMap.setStartRoots(roots);
    }
    frmMap.setFolderSelectedHook([&window, grid](const std::string& folder) {
        const int row = lineOfFolder(window, folder);
        if (grid && row > 0) {
            grid->setCurrentGridRow(row);
            grid->scrollTo(grid->currentIndex());
        }
    });
    if (!lineFolder)
        frmMap.setStartSelection(line); // the current line's folder is the one framed
    frmMap.exec();
}
