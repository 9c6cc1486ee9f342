// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct CliOptions;

// vantorel-cli export [--output FILE] FOLDER: the scan of FOLDER as a saved scan (ncdu's JSON export
// format), on standard output or into FILE (zstd-compressed when FILE ends in .zst), written under a
// temporary name and renamed when complete. Exit 0, or 2 (a folder that cannot be opened, a file
// that cannot be written). argc and argv are main()'s, for the application.
int RunExportCommand(const CliOptions& options, int argc, char** argv);

// vantorel-cli compare [--all] [--json] OLD NEW: the folders whose total changed from OLD to NEW
// (each a saved scan or a folder walked now), one tab-separated line (or JSON object) each, largest
// change first. Exit 0 lines, 1 "No changes.", 2 bad input (scans of different folders too).
int RunCompareCommand(const CliOptions& options, int argc, char** argv);
