// SPDX-License-Identifier: GPL-3.0-or-later
// What a snapshot costs the folder hog scan that writes it: the Main folders scan of ROOT alone and
// with the snapshot written beside it (the same walk), best of a few warm runs each.
//
// Usage: bench-snapshot ROOT [RUNS]
#include "folderhogs/FolderSizeEngine.h"
#include "scans/SnapshotStore.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {
struct Cost {
    double wall = 1e9;
    double cpu = 1e9; // of every thread of the process: the compressing one too
};
double cpuNow() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}
// The least wall and CPU time of the runs so far.
void measure(Cost& cost, const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu = cpuNow();
    run();
    cost.cpu = std::min(cost.cpu, cpuNow() - cpu);
    cost.wall =
        std::min(cost.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-snapshot ROOT [RUNS]\n");
        return 2;
    }
    QCoreApplication app(argc, argv);
    const std::string root = argv[1];
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    QTemporaryDir state;
    const SnapshotStore store(state.filePath(QStringLiteral("scans")).toStdString());
    Cost plain, with;
    for (int i = 0; i < runs; ++i) {
        measure(plain, [&] {
            FolderSizeEngine engine;
            engine.begin(FolderScanMode::Main);
            engine.scanDrive(root);
            engine.finish();
        });
        measure(with, [&] {
            FolderSizeEngine engine;
            engine.begin(FolderScanMode::Main);
            auto writer = store.writer();
            writer->begin();
            engine.setCompanion(&writer->companion());
            engine.scanDrive(root);
            engine.setCompanion(nullptr);
            writer->commit(store);
            engine.finish();
        });
    }
    const auto kept = store.list();
    std::printf("folder hog scan        %8.3f s wall %8.3f s CPU\n", plain.wall, plain.cpu);
    std::printf("with its snapshot      %8.3f s wall %8.3f s CPU  (+%.1f %% wall, +%.1f %% CPU; target at "
                "most 15 %%)\n",
                with.wall, with.cpu, (with.wall / plain.wall - 1.0) * 100.0,
                (with.cpu / plain.cpu - 1.0) * 100.0);
    if (!kept.empty())
        std::printf("snapshot file          %8.1f MiB compressed, %zu kept\n",
                    double(kept.front().bytes) / 1048576.0, kept.size());
    return 0;
}
