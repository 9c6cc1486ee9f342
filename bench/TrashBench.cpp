// SPDX-License-Identifier: GPL-3.0-or-later
// Moves the files named on the command line to the trash of $XDG_DATA_HOME, one call per file as a
// delete run makes them, and prints the seconds taken. Run by bench/trash.sh, never by the tests.
#include "platform/FolderHandle.h"
#include "platform/ListedEntry.h"
#include "platform/Trash.h"

#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv) {
    QElapsedTimer timer;
    timer.start();
    int failed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::optional<ListedEntry> entry = ListedEntry::listNow(argv[i]);
        const TrashOutcome outcome = entry ? Trash::moveToTrash(FolderHandle::open(entry->root), entry->name,
                                                                entry->path(), entry->identity)
                                           : TrashOutcome{ENOENT, QStringLiteral("not found")};
        if (!outcome.ok() && failed++ == 0)
            std::fprintf(stderr, "%s: %s\n", argv[i], qPrintable(outcome.reason));
    }
    std::printf("%.3f\n", double(timer.nsecsElapsed()) / 1e9);
    return failed == 0 ? 0 : 1;
}
