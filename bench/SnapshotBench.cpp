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
#include <sys/stat.h>

namespace {
double secondsOf(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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
    double plain = 1e9, with = 1e9;
    for (int i = 0; i < runs; ++i) {
        plain = std::min(plain, secondsOf([&] {
                             FolderSizeEngine engine;
                             engine.begin(FolderScanMode::Main);
                             engine.scanDrive(root);
                             engine.finish();
                         }));
        with = std::min(with, secondsOf([&] {
                            FolderSizeEngine engine;
                            engine.begin(FolderScanMode::Main);
                            auto writer = store.writer();
                            writer->begin();
                            engine.setCompanion(&writer->companion());
                            engine.scanDrive(root);
                            engine.setCompanion(nullptr);
                            writer->commit(store);
                            engine.finish();
                        }));
    }
    const auto kept = store.list();
    std::printf("folder hog scan        %8.3f s\n", plain);
    std::printf("with its snapshot      %8.3f s  (+%.1f %%; target at most 15 %%)\n", with,
                (with / plain - 1.0) * 100.0);
    if (!kept.empty())
        std::printf("snapshot file          %8.1f MiB compressed, %zu kept\n", double(kept.front().bytes) / 1048576.0,
                    kept.size());
    return 0;
}
