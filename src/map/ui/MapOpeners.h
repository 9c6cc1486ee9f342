// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;
class TfrmDirHog;

// The ways into the map window; each shows it modally over its opener and destroys it after.

// The main window's button: the map window waits for the user's drives and Scan.
void OpenSpaceMap(QWidget* parent);

// The folder hog window's: the map of the drives it scans (lineFolder false; the folder of the
// current line is selected), or of the current line's folder alone (lineFolder true). Lines of a
// saved scan give the map of that scan file (entered at the line's folder for lineFolder). Either
// way a tile selected on the map selects the line of its folder (the line holding it, in Main mode).
void OpenMapOfFolderHogs(TfrmDirHog& window, bool lineFolder);
