// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// vantorel-cli journal [--json]: the runs of the journal of deletes, newest first.
// vantorel-cli undo [RUN]: puts the files that run RUN (by default the last) sent to the trash back.
struct JournalCommandOptions {
    bool undo = false;    // else journal
    bool json = false;    // journal --json
    std::int64_t run = 0; // undo: 0 for the last run
    bool help = false;
    bool version = false;
};

// Reads the arguments after the command's name (undo tells which command). On a mistake returns
// false with the message (without the program's name).
bool ParseJournalCommand(const std::vector<std::string>& args, bool undo, JournalCommandOptions& options,
                         std::string& error);

// The whole command, argv as main() got it (argv[1] is "journal" or "undo"). journal: 0 runs
// listed, 1 none in the journal, 2 bad arguments, a journal that cannot be read or a write error.
// undo: 0 everything came back, 1 some or all could not (or there was nothing to restore), 2 bad
// arguments or a run that is not in the journal or cannot be read.
int RunJournalCommand(int argc, char** argv);
