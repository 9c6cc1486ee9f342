// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

struct CliOptions;
class DupContentCheck;
class DupScanEngine;
class ReferenceFolders;

// Opens the --reference folders of options into references, before any scan: each must be a
// folder that exists and lies at or below one of the FOLDER arguments. False with the message
// (without the program's name) otherwise.
bool OpenReferenceFolders(const CliOptions& options, ReferenceFolders& references, std::string& error);

// dups --content --keep: after the content check, keeps one file of each group (and every
// reference file), prints the others group by group as --content prints them (lines, or paths and
// NUL with --null), "keeping PATH" on standard error for each kept file, and with --trash or
// --delete removes them (each in the journal of deletes; a group whose kept file changed meanwhile
// stops there); --dry-run ends with the space it would free. SIGINT and SIGTERM stop a removal
// between files, its journal record closed. Returns the exit status: 0 everything asked was done, 1
// some files stayed (named with the reason), 2 the output could not be written, or a --trash run
// whose journal could not be opened (nothing removed) or failed in the middle (stopped there).
int RunKeep(const CliOptions& options, const DupScanEngine& engine, const DupContentCheck& check,
            ReferenceFolders& references);
