// SPDX-License-Identifier: GPL-3.0-or-later
// A separate program that deletes files as the windows do, each file written to the journal of its
// XDG_STATE_HOME as it goes, so that tests can run two deleting programs at once.
// "journal_deleter trash|delete FILE..." prints the run's id.
#include "delete/ListedFileRemoval.h"
#include "journal/JournalWriter.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const bool recycle = std::strcmp(argv[1], "trash") == 0;
    JournalWriter journal = JournalWriter::begin(JournalTool::CommandLine, recycle);
    for (int i = 2; i < argc; ++i) {
        int error = 0;
        const std::optional<ListedEntry> entry = ListedEntry::listNow(argv[i], &error);
        if (!entry)
            return 3;
        journal.file(*entry, RemoveListedFile(*entry, recycle));
    }
    journal.end(0, false);
    if (journal.failed()) {
        std::fprintf(stderr, "%s\n", journal.failure().toLocal8Bit().constData());
        return 1;
    }
    std::printf("%lld\n", static_cast<long long>(journal.id()));
    return 0;
}
