// SPDX-License-Identifier: GPL-3.0-or-later
// A separate program that sends a file to the trash as the windows do and is killed (SIGKILL) right
// after the move's record is made, before the move: what such a kill leaves behind.
// "trash_killed FILE".
#include "delete/ListedFileRemoval.h"
#include "platform/Trash.h"

#include <csignal>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const std::optional<ListedEntry> entry = ListedEntry::listNow(argv[1]);
    if (!entry)
        return 3;
    Trash::setRecordMadeHook([] { std::raise(SIGKILL); });
    TrashListedFile(*entry);
    return 0;
}
