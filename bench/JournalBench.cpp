// SPDX-License-Identifier: GPL-3.0-or-later
// What the journal of deletes costs: a trash run of COUNT files with and without the journal, the
// listing and reading of the run, its undo, and the count of the space a delete of the files would
// free. Works in FOLDER with its own trash and journal ($XDG_DATA_HOME, $XDG_STATE_HOME under
// FOLDER). Run by bench/journal.sh, never by the tests.
#include "delete/FreedSpace.h"
#include "delete/ListedFileRemoval.h"
#include "journal/JournalRun.h"
#include "journal/JournalUndo.h"
#include "journal/JournalWriter.h"

#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// COUNT empty-ish files of 100 bytes in folders of 100 under folder/name.
std::vector<std::string> makeFiles(const std::string& folder, const std::string& name, int count) {
    std::vector<std::string> paths;
    ::mkdir((folder + "/" + name).c_str(), 0755);
    for (int i = 0; i < count; ++i) {
        const std::string dir = folder + "/" + name + "/d" + std::to_string(i / 100);
        if (i % 100 == 0)
            ::mkdir(dir.c_str(), 0755);
        const std::string path = dir + "/file-" + std::to_string(i) + ".dat";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const std::string data(100, 'x');
        if (fd >= 0 && ::write(fd, data.data(), data.size()) > 0)
            paths.push_back(path);
        ::close(fd);
    }
    return paths;
}

double seconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench-journal FOLDER COUNT\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int count = std::atoi(argv[2]);
    ::setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (folder + "/state").c_str(), 1);

    const std::vector<std::string> plain = makeFiles(folder, "plain", count);
    const std::vector<std::string> journalled = makeFiles(folder, "journalled", count);

    QElapsedTimer timer;
    timer.start();
    for (const std::string& path : plain)
        RemoveListedFile(*ListedEntry::listNow(path), true);
    const double withoutJournal = seconds(timer);

    timer.restart();
    JournalWriter journal = JournalWriter::begin(JournalTool::Duplicates, true);
    for (const std::string& path : journalled) {
        const ListedEntry entry = *ListedEntry::listNow(path);
        journal.file(entry, RemoveListedFile(entry, true));
    }
    journal.end(0, false);
    const double withJournal = seconds(timer);

    struct stat st {};
    ::stat((folder + "/state/vantorel/journal/" + std::to_string(journal.id()) + ".run").c_str(), &st);

    timer.restart();
    const std::vector<JournalRunSummary> runs = ListJournalRuns(DeleteJournal::open(false));
    const double listing = seconds(timer);

    timer.restart();
    const UndoReport undo = UndoRun(journal.id());
    const double undoing = seconds(timer);

    timer.restart();
    FreedSpaceCounter counter;
    counter.countFolder(*ListedEntry::listNow(folder + "/journalled"));
    const FreedSpace space = counter.result();
    const double counting = seconds(timer);

    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("%d files, one trash run each\n", count);
    std::printf("%-40s %10.3f s  (%.1f us a file)\n", "trash run without the journal", withoutJournal,
                withoutJournal * 1e6 / count);
    std::printf("%-40s %10.3f s  (%.1f us a file, %+.1f %%)\n", "trash run with the journal", withJournal,
                withJournal * 1e6 / count, (withJournal / withoutJournal - 1) * 100);
    std::printf("%-40s %10lld bytes (%.0f a file)\n", "journal file of the run",
                static_cast<long long>(st.st_size), double(st.st_size) / count);
    std::printf("%-40s %10.3f s  (%zu runs, %lld restorable)\n", "vantorel-cli journal listing", listing,
                runs.size(), static_cast<long long>(runs.empty() ? 0 : runs.front().restorable));
    std::printf("%-40s %10.3f s  (%lld restored, %.1f us a file)\n", "undo of the run", undoing,
                static_cast<long long>(undo.restored), undoing * 1e6 / count);
    std::printf("%-40s %10.3f s  (%lld files, %lld bytes freed)\n", "freed-space count of the tree", counting,
                static_cast<long long>(space.files), static_cast<long long>(space.freedBytes));
    std::printf("%-40s %10ld KiB\n", "peak memory", usage.ru_maxrss);
    return undo.allBack() ? 0 : 1;
}
