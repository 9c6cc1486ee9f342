// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a file's content (the content check, the viewer, strings) must leave its access time as it
// was, or the date-range finder would call never-used files recent; and a file that the reader does
// not own, for which the kernel refuses that, is read all the same.
#include "finders/dup/DupContentCheck.h"
#include "finders/dup/DupScanEngine.h"
#include "platform/OpenForReading.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"
#include "viewer/PagedFileModel.h"
#include "viewer/StringsExtractor.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::time_t kLongAgo = 1577880000; // 1 January 2020, noon UTC

std::int64_t accessSeconds(const std::string& path) {
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_ATIME, &sx) != 0)
        return -1;
    return sx.stx_atime.tv_sec;
}

class ReadingTools : public ::testing::Test {
protected:
    TempTree t;
    RecordingMessageService messages;

    // Two copies of one content under one name, last read and written long ago, so that relatime
    // would bring the access time up to date on the next ordinary read.
    std::string oldFile(const std::string& relative) {
        t.folder(relative.substr(0, relative.rfind('/')));
        std::ofstream(t.path(relative), std::ios::binary) << "some text\nworth reading\n"
                                                          << std::string(70'000, 'z');
        t.setTimes(relative, kLongAgo, kLongAgo);
        return t.path(relative);
    }

    void SetUp() override {
        // On a filesystem mounted noatime nothing could tell a careful read from a careless one.
        const std::string probe = oldFile("probe/plain.txt");
        char byte = 0;
        const int fd = ::open(probe.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::read(fd, &byte, 1), 1);
        ::close(fd);
        if (accessSeconds(probe) == kLongAgo)
            GTEST_SKIP() << "reads do not update access times here";
        ::unlink(probe.c_str());
    }

    // Runs every reading tool over the files a/twin.bin and b/twin.bin; the content check finds them
    // identical.
    void readWithEveryTool(const std::string& a, const std::string& b) {
        DupScanEngine engine;
        DupScanCriteria c;
        c.limit1K = 0;
        engine.begin(c);
        engine.scanDrive(t.root());
        engine.finish(false);
        DupContentCheck check(engine);
        check.run();
        EXPECT_EQ(check.groupCount(), 1u);
        EXPECT_EQ(check.unreadableFiles(), 0);

        PagedFileModel model;
        model.setFileName(a);
        model.setOpen(true);
        EXPECT_EQ(model.lineText(1), "worth reading");
        model.checkLine(PagedFileModel::UnknownLines - 1); // reads to the end
        EXPECT_EQ(model.totalLines(), 3);

        std::vector<std::string> runs;
        EXPECT_TRUE(StringsExtractor::extract(b, [&](std::string_view r) { runs.emplace_back(r); }).done());
        EXPECT_EQ(runs, std::vector<std::string>({"some text", "worth reading"}));
    }
};

} // namespace

TEST_F(ReadingTools, LeaveTheAccessTimesOfWhatTheyRead) {
    const std::string a = oldFile("a/twin.bin"), b = oldFile("b/twin.bin");
    readWithEveryTool(a, b);
    EXPECT_EQ(accessSeconds(a), kLongAgo);
    EXPECT_EQ(accessSeconds(b), kLongAgo);
}

TEST_F(ReadingTools, ReadFilesOfOtherOwnersAllTheSameAndTheirOwnFilesUntouched) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can hand files to nobody";
    // Root's files, readable by all: nobody may not ask for O_NOATIME on them.
    const std::string a = oldFile("a/twin.bin"), b = oldFile("b/twin.bin");
    {
        AsUnprivileged nobody;
        errno = 0;
        EXPECT_EQ(::open(a.c_str(), O_RDONLY | O_NOATIME | O_CLOEXEC), -1);
        EXPECT_EQ(errno, EPERM);
        readWithEveryTool(a, b);
    }
    // Nobody's own files keep their access times when nobody reads them.
    for (const std::string& owned : {a, b}) {
        ASSERT_EQ(::chown(owned.c_str(), AsUnprivileged::uid(), AsUnprivileged::gid()), 0);
        t.setTimes(owned.substr(t.root().size() + 1), kLongAgo, kLongAgo);
    }
    {
        AsUnprivileged nobody;
        readWithEveryTool(a, b);
    }
    EXPECT_EQ(accessSeconds(a), kLongAgo);
    EXPECT_EQ(accessSeconds(b), kLongAgo);
}
