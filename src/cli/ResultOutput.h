// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string_view>

class DateRangeEngine;
class DupContentCheck;
class DupFolderEngine;
class DupScanEngine;
class FolderSizeEngine;

// Writes all of data to fd, going on after short writes and interruptions. Returns 0, or the errno
// of the write that failed.
int WriteAll(int fd, std::string_view data);

// Writes the engine's results to fd in result order, in blocks of about a mebibyte: each record line
// followed by LF, or with nullSeparated each result's exact path bytes followed by NUL (the lines
// cannot carry every path: control characters show as "?"). Returns 0, or the errno of the first
// write that failed; nothing more is written after it.
int WriteResults(const DupScanEngine& engine, bool nullSeparated, int fd);
int WriteResults(const FolderSizeEngine& engine, bool nullSeparated, int fd);
int WriteResults(const DateRangeEngine& engine, bool nullSeparated, int fd);
// The groups of identical files: each member's line (or path and NUL), then an empty line (or a
// lone NUL) after each group, groups in result order.
int WriteContentGroups(const DupScanEngine& engine, const DupContentCheck& check, bool nullSeparated, int fd);
// The duplicate folder groups: each folder's line (or path and NUL), then an empty line (or a lone
// NUL) after each group, in result order.
int WriteFolderGroups(const DupFolderEngine& engine, bool nullSeparated, int fd);
