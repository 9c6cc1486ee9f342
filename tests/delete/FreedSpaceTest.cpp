// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/FreedSpace.h"
#include "DeleteTestSupport.h"
#include "support/LoopMount.h"
#include "support/TempTree.h"

#include <QFile>
#include <QProcess>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::int64_t allocated(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? std::int64_t(st.st_blocks) * 512 : -1;
}

void writeRandom(const std::string& path, std::size_t bytes) {
    std::string data(bytes, '\0');
    std::mt19937 random(7);
    for (char& c : data)
        c = char(random());
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(data.data(), qint64(data.size())), qint64(data.size()));
    file.close();
    // On disk, so that the filesystem has given it its extents.
    const int fd = ::open(path.c_str(), O_RDONLY);
    ::fsync(fd);
    ::close(fd);
}

FreedSpace countFolder(const std::string& path) {
    FreedSpaceCounter counter;
    counter.countFolder(listed(path));
    return counter.result();
}

FreedSpace countFiles(const std::vector<ListedEntry>& files) {
    FreedSpaceCounter counter;
    counter.countFiles(files);
    return counter.result();
}

} // namespace

// On a real ext4: what is allocated goes, a sparse file frees next to nothing, and a file whose
// other link stays frees nothing, in a folder delete and among marked files alike.
TEST(FreedSpaceTest, TheSpaceThatReallyLeavesTheDiskOnExt4) {
    TempTree tree;
    LoopMount ext4(tree.root(), "ext4", 64);
    if (!ext4.mounted)
        GTEST_SKIP() << ext4.skipReason.toStdString();
    ::mkdir(ext4.path("victim").c_str(), 0755);
    ::mkdir(ext4.path("outside").c_str(), 0755);
    writeRandom(ext4.path("victim/plain.bin"), 10000);
    const int sparse = ::open(ext4.path("victim/sparse.bin").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_EQ(::ftruncate(sparse, 8 << 20), 0);
    ::close(sparse);
    writeRandom(ext4.path("victim/pair-a"), 5000);
    ASSERT_EQ(::link(ext4.path("victim/pair-a").c_str(), ext4.path("victim/pair-b").c_str()), 0);
    writeRandom(ext4.path("victim/kept.bin"), 20000);
    ASSERT_EQ(::link(ext4.path("victim/kept.bin").c_str(), ext4.path("outside/kept-link").c_str()), 0);

    const FreedSpace folder = countFolder(ext4.path("victim"));
    EXPECT_EQ(folder.files, 5);
    EXPECT_FALSE(folder.partial);
    EXPECT_EQ(folder.freedBytes, allocated(ext4.path("victim/plain.bin")) +
                                     allocated(ext4.path("victim/sparse.bin")) +
                                     allocated(ext4.path("victim/pair-a")));
    EXPECT_LT(allocated(ext4.path("victim/sparse.bin")), 8 << 20);
    EXPECT_EQ(folder.linkedFiles, 1);
    EXPECT_EQ(folder.linkedBytes, allocated(ext4.path("victim/kept.bin")));
    EXPECT_EQ(folder.sharedBytes, 0);
    EXPECT_EQ(FreedSpaceText(folder, false).toStdString(),
              "Frees " + QLocale().toString(folder.freedBytes).toStdString() + " bytes of disk space. " +
                  QLocale().toString(folder.linkedBytes).toStdString() +
                  " bytes stay in use by other links.");

    // Marked: one link of the pair stays, so the pair frees nothing; a file that changed since it
    // was listed is not counted.
    std::vector<ListedEntry> marked = listed({ext4.path("victim/plain.bin"), ext4.path("victim/pair-a")});
    ListedEntry changed = listed(ext4.path("victim/sparse.bin"));
    changed.size += 1;
    marked.push_back(changed);
    const FreedSpace files = countFiles(marked);
    EXPECT_EQ(files.files, 2);
    EXPECT_EQ(files.notCounted, 1);
    EXPECT_EQ(files.freedBytes, allocated(ext4.path("victim/plain.bin")));
    EXPECT_EQ(files.linkedBytes, allocated(ext4.path("victim/pair-a")));
    const QString text = FreedSpaceText(files, true);
    EXPECT_TRUE(text.contains("1 file is gone or changed since it was listed and is not counted."))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith("In the recycle bin they free nothing until it is emptied."))
        << text.toStdString();
}

// A reflinked copy shares all its extents: deleting it alone frees (next to) nothing, which the
// line says, on btrfs or, where btrfs cannot be made, on XFS.
TEST(FreedSpaceTest, ExtentsSharedWithAReflinkedCopyAreCountedApart) {
    TempTree tree;
    std::unique_ptr<LoopMount> fs;
    QString reasons;
    for (const char* type : {"btrfs", "xfs"}) {
        fs = std::make_unique<LoopMount>(tree.folder(type), QString::fromLatin1(type), 320);
        if (fs->mounted)
            break;
        reasons += fs->skipReason + QStringLiteral("; ");
        fs.reset();
    }
    if (!fs)
        GTEST_SKIP() << reasons.toStdString();
    writeRandom(fs->path("original.bin"), 1 << 20);
    QProcess cp;
    cp.start("cp", {"--reflink=always", QString::fromStdString(fs->path("original.bin")),
                    QString::fromStdString(fs->path("copy.bin"))});
    ASSERT_TRUE(cp.waitForFinished(60'000));
    if (cp.exitCode() != 0)
        GTEST_SKIP() << "this kernel makes no reflinked copies: " << cp.readAllStandardError().toStdString();
    ::sync();

    const FreedSpace copy = countFiles(listed({fs->path("copy.bin")}));
    EXPECT_EQ(copy.files, 1);
    EXPECT_EQ(copy.sharedBytes, 1 << 20);
    EXPECT_EQ(copy.freedBytes, allocated(fs->path("copy.bin")) - (1 << 20));
    EXPECT_TRUE(FreedSpaceText(copy, false)
                    .contains("1,048,576 bytes are shared with other files and may stay in use."))
        << FreedSpaceText(copy, false).toStdString();
}

TEST(FreedSpaceTest, AFolderCountStopsAtItsBoundAndSaysAtLeast) {
    TempTree tree;
    for (int i = 0; i < 10; ++i)
        tree.file("big/f" + std::to_string(i), 100);
    FreedSpaceCounter counter;
    counter.countFolder(listed(tree.path("big")), 4);
    const FreedSpace space = counter.result();
    EXPECT_TRUE(space.partial);
    EXPECT_EQ(space.files, 4);
    EXPECT_TRUE(FreedSpaceText(space, false).startsWith("Frees at least "))
        << FreedSpaceText(space, false).toStdString();

    // Stopped from another thread: the same.
    std::atomic<bool> stop{true};
    FreedSpaceCounter stopped(&stop);
    stopped.countFolder(listed(tree.path("big")));
    EXPECT_TRUE(stopped.result().partial);
}
