// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/DupContentCheck.h"
#include "finders/dup/DupScanEngine.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

namespace {

class ContentCheck : public ::testing::Test {
protected:
    TempTree t;
    RecordingMessageService messages;
    DupScanEngine engine;

    void put(const std::string& relative, const std::string& bytes) {
        t.folder(relative.substr(0, relative.rfind('/')));
        std::ofstream(t.path(relative), std::ios::binary) << bytes;
    }
    void scan() {
        DupScanCriteria c;
        c.limit1K = 0;
        engine.begin(c);
        engine.scanDrive(t.root());
        engine.finish(false);
    }
    // The groups as sets of relative paths.
    std::vector<std::vector<std::string>> groups(const DupContentCheck& check) {
        std::vector<std::vector<std::string>> out;
        for (std::uint32_t g = 1; g <= check.groupCount(); ++g) {
            out.emplace_back();
            for (std::uint32_t r : check.members(g))
                out.back().push_back(engine.resultPath(r).substr(t.root().size() + 1));
        }
        return out;
    }
};

} // namespace

TEST_F(ContentCheck, OnlyByteForByteTwinsAreGroupedEachRunOnItsOwn) {
    const std::string body(200'000, 'q');
    put("a/photo.jpg", body);
    put("b/photo.jpg", body);
    put("c/photo.jpg", body.substr(1) + "r");  // differs only in its last byte
    put("d/photo.jpg", "r" + body.substr(1));  // and only in its first
    put("e/photo.jpg", body + "longer");       // another size
    put("a/empty.txt", "");
    put("b/empty.txt", "");
    put("a/same.doc", "identical but another name");
    put("b/other.doc", "identical but another name");
    t.folder("f");
    ASSERT_EQ(::link(t.path("a/photo.jpg").c_str(), t.path("f/photo.jpg").c_str()), 0);
    scan();
    DupContentCheck check(engine);
    check.run();
    using G = std::vector<std::vector<std::string>>;
    EXPECT_EQ(groups(check), G({{"a/empty.txt", "b/empty.txt"}, {"a/photo.jpg", "b/photo.jpg", "f/photo.jpg"}}));
    EXPECT_FALSE(check.sameFile(2)); // a copy among the hard links: deleting frees space
    EXPECT_EQ(check.unreadableFiles(), 0);
    EXPECT_GT(check.bytesRead(), 0);
    // Different names are never compared: the run is the name's.
    for (std::size_t i = 0; i < engine.resultCount(); ++i)
        if (engine.resultPath(i).find(".doc") != std::string::npos)
            FAIL() << "a name found once is no duplicate";
}

TEST_F(ContentCheck, HardLinksAloneUnreadableAndChangedFilesAndAnAbort) {
    put("a/linked.bin", "one file, two names");
    t.folder("b");
    ASSERT_EQ(::link(t.path("a/linked.bin").c_str(), t.path("b/linked.bin").c_str()), 0);
    put("a/locked.bin", "the same bytes");
    put("b/locked.bin", "the same bytes");
    put("c/locked.bin", "the same bytes");
    t.setMode("a/locked.bin", 0600);
    put("a/changes.bin", "before the check");
    put("b/changes.bin", "before the check");
    scan();
    put("b/changes.bin", "after the check, and longer"); // no longer the file listed
    DupContentCheck check(engine);
    {
        AsUnprivileged nobody; // the root-owned 0600 file is really unreadable
        check.run();
    }
    using G = std::vector<std::vector<std::string>>;
    EXPECT_EQ(groups(check), G({{"a/linked.bin", "b/linked.bin"}, {"b/locked.bin", "c/locked.bin"}}));
    EXPECT_TRUE(check.sameFile(1)); // deleting one name frees nothing
    EXPECT_EQ(check.unreadableFiles(), 2); // the locked one, the changed one

    DupContentCheck stopped(engine);
    stopped.setYieldHook([&stopped] { stopped.abort(); });
    stopped.run();
    EXPECT_TRUE(stopped.aborted());
}

TEST_F(ContentCheck, AThousandFilesOfOneNameAndSize) {
    // More than can be read side by side: sorted by hashes first, then confirmed.
    for (int i = 0; i < 1000; ++i)
        put("d" + std::to_string(i) + "/setup.exe", i % 3 == 0 ? std::string("common content") : "unique " + std::to_string(1000000 + i));
    scan();
    DupContentCheck check(engine);
    check.run();
    ASSERT_EQ(check.groupCount(), 1u);
    EXPECT_EQ(check.members(1).size(), 334u);
    EXPECT_EQ(check.unreadableFiles(), 0);
}
