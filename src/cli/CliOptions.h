// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "finders/daterange/DateRangeEngine.h"
#include "finders/dup/DupScanEngine.h"
#include "finders/dup/keep/KeepRule.h"
#include "platform/ExclusionRules.h"

#include <memory>

#include <optional>

#include <string>
#include <vector>

enum class CliCommand {
    Dups, Hogs, Folders, Dates, Stats, View, Strings, DupFolders, Map, Journal, Undo, Export, Compare,
};

// What the command line asks for: the command, its options and the folders. Every command's
// options land here, each from its line of the option table (CliTable.cpp).
struct CliOptions {
    CliCommand command = CliCommand::Dups;
    DupScanCriteria criteria;   // dups and hogs; the size range of dupfolders
    bool allFolders = false;    // folders --all, compare --all: every folder, not only the main ones
    DateScanCriteria dates;     // dates
    bool hex = false;           // view --hex
    bool total = false;         // view --total
    std::int64_t from = 0;      // view --from
    std::int64_t count = -1;    // view --count (-1: to the last line)
    bool exact = false;
    bool content = false;       // dups --content: only files whose contents have a twin in their run
    bool subsets = false;       // dupfolders --subsets: also folders whose files all lie in another
    std::optional<KeepRule> keep;        // dups --content --keep RULE: the copies besides the kept file
    std::vector<std::string> references; // --reference FOLDER: their files are never removed
    bool trash = false;                  // --trash: the copies go to the trash
    bool remove = false;                 // --delete: the copies are deleted for good
    bool dryRun = false;                 // --dry-run: nothing changes; the space it would free is said
    bool nullSeparated = false; // --null: exact paths, each followed by NUL, instead of the lines
    bool json = false;          // --json: JSON Lines, one object per result and a summary
    int threads = 0;            // --threads: threads of the walk (0: not given)
    // --exclude, --exclude-from, --exclude-caches: what every walk and replay leaves out (nullptr: nothing)
    std::shared_ptr<ExclusionRules> exclusions;
    std::string output;         // map, export --output FILE ("" for export: standard output)
    int mapWidth = 1600;        // map --size WxH
    int mapHeight = 1000;
    std::int64_t run = 0;       // undo RUN (0: the last run)
    bool help = false;          // --help, -h, help [COMMAND]
    bool commandGiven = false;  // help names a command: its own help, not the list of commands
    bool version = false;       // --version: the name and version, nothing else
    std::vector<std::string> folders; // the operands: FOLDERs, a FILE, OLD and NEW
    std::vector<std::string> scans;   // --scan FILE: saved scans read instead of walking FOLDERs
};

// The largest side of a map picture.
constexpr int MostMapPixels = 16384;

// Reads the arguments after the program name. On a mistake returns false with the message to show
// (without the program name).
bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& options, std::string& error);

// Reads the value of --threads: 1 to MostWalkThreads. On a mistake returns false with the message.
bool ParseThreadsOption(const std::string& text, int& threads, std::string& error);

// The text of --help and help: the commands, one line each.
std::string CliUsage();
// The text of COMMAND --help and help COMMAND: its synopsis, description and options.
std::string CommandHelp(CliCommand command);
// The help that options asks for: the command's own, or the list of commands.
std::string CliHelpText(const CliOptions& options);
// The line of --version: the program's name and the one version of the build.
const char* CliVersion();
