// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// vantorel-cli export [--output FILE] FOLDER: the scan of FOLDER as a saved scan (ncdu's JSON export
// format), on standard output or into FILE (zstd-compressed when FILE ends in .zst), written under a
// temporary name and renamed when complete. Exit 0, or 2 (bad arguments, a folder that cannot be
// opened, a file that cannot be written).
int RunExportCommand(int argc, char** argv);

// vantorel-cli compare [--all] OLD NEW: the folders whose total changed from OLD to NEW (each a saved
// scan or a folder walked now), one tab-separated line each, largest change first. Exit 0 lines, 1
// "No changes.", 2 bad arguments or input (scans of different folders too).
int RunCompareCommand(int argc, char** argv);
