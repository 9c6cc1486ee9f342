// SPDX-License-Identifier: GPL-3.0-or-later
// The content compare on sparse files: holes are compared without reading them, and a hole is
// zeros whichever way a file holds them.
#include "finders/dup/ContentCompare.h"
#include "support/RewriteKeepingTime.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::int64_t kMiB = std::int64_t(1) << 20;

class ComparedFiles : public ::testing::Test {
protected:
    TempTree t;

    // A file of size bytes that is a hole but for the given pieces (offset, bytes).
    std::string sparse(const std::string& name, std::int64_t size,
                       const std::vector<std::pair<std::int64_t, std::string>>& pieces) {
        const std::string path = t.path(name);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::ftruncate(fd, size), 0);
        for (const auto& [offset, bytes] : pieces)
            EXPECT_EQ(::pwrite(fd, bytes.data(), bytes.size(), offset), ssize_t(bytes.size()));
        ::close(fd);
        return path;
    }
    // The same, every byte written (zeros where the other has holes).
    std::string dense(const std::string& name, std::int64_t size,
                      const std::vector<std::pair<std::int64_t, std::string>>& pieces) {
        std::string bytes(std::size_t(size), '\0');
        for (const auto& [offset, piece] : pieces)
            bytes.replace(std::size_t(offset), piece.size(), piece);
        const std::string path = t.path(name);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        ::close(fd);
        return path;
    }
    static std::vector<ListedEntry> listed(const std::vector<std::string>& paths) {
        std::vector<ListedEntry> files;
        for (const std::string& p : paths)
            files.push_back(*ListedEntry::listNow(p));
        return files;
    }
    static bool holesKnown(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        const off_t data = ::lseek(fd, 0, SEEK_DATA);
        ::close(fd);
        return data > 0;
    }
};

} // namespace

TEST_F(ComparedFiles, TwoTerabyteFilesWithTheSameHolesAreReadOnlyWhereTheyHoldData) {
    const std::int64_t size = std::int64_t(1) << 40;
    const std::vector<std::pair<std::int64_t, std::string>> pieces = {{size / 2, "middle"},
                                                                      {size - 3, "end"}};
    const std::string a = sparse("a", size, pieces);
    const std::string b = sparse("b", size, pieces);
    if (!holesKnown(a))
        GTEST_SKIP() << "this file system does not tell holes";
    ContentCompare compare;
    std::vector<std::size_t> unreadable;
    const auto sets = compare.sameContents(listed({a, b}), size, unreadable);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_TRUE(unreadable.empty());
    // Two blocks of data in each file, nothing of the terabyte of holes.
    EXPECT_LE(compare.bytesRead(), 4 * 64 * 1024);

    // A byte of difference at the very end still parts them; nor is a file that holds data where
    // the others have their holes taken for one of them.
    const std::string c = sparse("c", size, {{size / 2, "middle"}, {size - 3, "enD"}});
    const std::string d = sparse("d", size, {{size / 4, "x"}, {size / 2, "middle"}, {size - 3, "end"}});
    unreadable.clear();
    const auto parted = compare.sameContents(listed({a, c, b, d}), size, unreadable);
    ASSERT_EQ(parted.size(), 1u);
    EXPECT_EQ(parted.front(), (std::vector<std::size_t>{0, 2}));
}

TEST_F(ComparedFiles, HolesAndWrittenZerosAreTheSameContents) {
    const std::int64_t size = 3 * kMiB + 5;
    const std::vector<std::pair<std::int64_t, std::string>> pieces = {
        {0, "head"}, {kMiB + 100, "inside"}, {size - 1, "!"}};
    const std::string holes = sparse("holes", size, pieces);
    const std::string zeros = dense("zeros", size, pieces);
    const std::string other =
        dense("other", size, {{0, "head"}, {2 * kMiB, "?"}, {kMiB + 100, "inside"}, {size - 1, "!"}});
    const std::string shifted =
        sparse("shifted", size, {{0, "head"}, {kMiB + 101, "inside"}, {size - 1, "!"}});
    ContentCompare compare;
    std::vector<std::size_t> unreadable;
    const auto sets = compare.sameContents(listed({holes, other, zeros, shifted}), size, unreadable);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets.front(), (std::vector<std::size_t>{0, 2}));
    EXPECT_TRUE(unreadable.empty());
}

TEST_F(ComparedFiles, ManyFilesAreHashedTheSameWhateverTheirHoles) {
    // More files than are read side by side: each is hashed alone first, and the hash must not
    // depend on whether its zeros are holes.
    const std::int64_t size = 2 * kMiB;
    const std::vector<std::pair<std::int64_t, std::string>> pieces = {{kMiB + 7, "data"}};
    std::vector<std::string> paths;
    for (int i = 0; i < 300; ++i)
        paths.push_back(sparse("s" + std::to_string(i), size, pieces));
    paths.push_back(dense("dense", size, pieces));
    paths.push_back(sparse("different", size, {{kMiB + 7, "date"}}));
    ContentCompare compare;
    std::vector<std::size_t> unreadable;
    const auto sets = compare.sameContents(listed(paths), size, unreadable);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets.front().size(), 301u);
    EXPECT_EQ(std::count(sets.front().begin(), sets.front().end(), std::size_t(300)), 1); // the dense one
    EXPECT_EQ(std::count(sets.front().begin(), sets.front().end(), std::size_t(301)), 0);
}

TEST_F(ComparedFiles, ABlockRewrittenAfterItWasReadWithTheTimeSetBackIsCaughtAtTheEnd) {
    // Three blocks alike; once the first is read, one file's first byte is rewritten and its
    // modification time set back (as touch -d does). Only the change time tells.
    const std::int64_t size = 3 * 64 * 1024;
    const std::string a = dense("a", size, {{0, "same"}});
    const std::string b = dense("b", size, {{0, "same"}});
    const std::vector<ListedEntry> files = listed({a, b});
    ContentCompare compare;
    bool rewritten = false;
    compare.setYieldHook([&] {
        if (!rewritten)
            rewritten = RewriteKeepingTime(b, 'S');
    });
    std::vector<std::size_t> unreadable;
    EXPECT_TRUE(compare.sameContents(files, size, unreadable).empty());
    EXPECT_TRUE(rewritten);
    EXPECT_EQ(unreadable, (std::vector<std::size_t>{1}));
}
