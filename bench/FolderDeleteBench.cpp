// SPDX-License-Identifier: GPL-3.0-or-later
// The folder delete on a chain of nested folders: the time it takes and the process's peak memory,
// which must not grow with depth times name length. The chain is made with mkdirat from open
// handles, so its path may be far longer than PATH_MAX.
//
// Usage: bench-folder-delete FOLDER DEPTH NAME_LENGTH [recycle]
//   Makes FOLDER/chain/<name>/<name>/... (DEPTH levels, names of NAME_LENGTH bytes, one 1-byte file
//   at the bottom) and deletes FOLDER/chain. Prints: seconds to make, seconds to delete, files
//   deleted, peak RSS in KiB.
#include "delete/FolderTreeDelete.h"
#include "platform/ListedEntry.h"

#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool makeChain(const std::string& top, int depth, const std::string& name) {
    if (::mkdir(top.c_str(), 0755) != 0)
        return false;
    int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; fd >= 0 && i < depth; ++i) {
        const int child = ::mkdirat(fd, name.c_str(), 0755) == 0
                              ? ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                              : -1;
        ::close(fd);
        fd = child;
    }
    if (fd < 0)
        return false;
    const int file = ::openat(fd, "bottom.txt", O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    const bool written = file >= 0 && ::write(file, "x", 1) == 1;
    if (file >= 0)
        ::close(file);
    ::close(fd);
    return written;
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench-folder-delete FOLDER DEPTH NAME_LENGTH [recycle]\n");
        return 2;
    }
    const std::string top = std::string(argv[1]) + "/chain";
    const int depth = std::atoi(argv[2]);
    const std::string name(std::size_t(std::atoi(argv[3])), 'n');
    const bool recycle = argc > 4 && std::string(argv[4]) == "recycle";

    QElapsedTimer timer;
    timer.start();
    if (!makeChain(top, depth, name)) {
        std::perror("making the chain");
        return 1;
    }
    const double made = double(timer.nsecsElapsed()) / 1e9;
    timer.restart();
    const auto listed = ListedEntry::listNow(top);
    const FolderDeleteResult result = listed ? deleteFolderTree(*listed, recycle) : FolderDeleteResult{};
    const double deleted = double(timer.nsecsElapsed()) / 1e9;

    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("%.3f %.3f %lld %ld\n", made, deleted, static_cast<long long>(result.files), usage.ru_maxrss);
    struct stat st {};
    return ::lstat(top.c_str(), &st) != 0 && result.files == 1 ? 0 : 1;
}
