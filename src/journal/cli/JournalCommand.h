// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct CliOptions;

// vantorel-cli journal [--json]: the runs of the journal of deletes, newest first. 0 runs listed, 1
// none in the journal, 2 a journal that cannot be read or a write error.
// vantorel-cli undo [RUN]: puts the files that run RUN (by default the last) sent to the trash back.
// 0 everything came back, 1 some or all could not (or there was nothing to restore), 2 a run that is
// not in the journal or cannot be read. argc and argv are main()'s, for the application.
int RunJournalCommand(const CliOptions& options, int argc, char** argv);
