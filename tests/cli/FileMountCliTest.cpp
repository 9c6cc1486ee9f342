// SPDX-License-Identifier: GPL-3.0-or-later
// A file bind-mounted onto a name in a scanned tree is a mount: the walking commands never list it,
// count it or take it for a copy of the file it shows.
#include "cli/CliRun.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

class FileMountCli : public ::testing::Test {
protected:
    TempTree t;
    std::unique_ptr<ScopedMount> bound;

    void SetUp() override {
        put("Z/zz.txt", "the only real name", 1'500'000'000);
        put("A/zz.txt", "what lies under the mount", 1'600'000'000);
        put("Z/other.txt", "a real copy", 1'500'000'000);
        put("A/other.txt", "a real copy", 1'600'000'000);
        bound =
            std::make_unique<ScopedMount>(t.path("Z/zz.txt").c_str(), t.path("A/zz.txt"), nullptr, MS_BIND);
        if (!bound->mounted)
            GTEST_SKIP() << "no right to make a bind mount here";
    }
    void put(const std::string& relative, const std::string& bytes, std::time_t written) {
        t.folder(relative.substr(0, relative.find('/')));
        std::ofstream(t.path(relative), std::ios::binary) << bytes;
        t.setTimes(relative, written, written);
    }
    QString q(const std::string& relative) const { return QString::fromStdString(t.path(relative)); }
    QByteArray p(const std::string& relative) const { return QByteArray::fromStdString(t.path(relative)); }
};

} // namespace

TEST_F(FileMountCli, HogsListsTheFileOnceAndDupfoldersFindsNoCopies) {
    const CliRun hogs = RunCli({"hogs", "--larger", "0", "--null", q("A"), q("Z")});
    ASSERT_EQ(hogs.code, 0) << hogs.err.constData();
    EXPECT_EQ(hogs.out.count("zz.txt"), 1) << hogs.out.constData();
    EXPECT_TRUE(hogs.out.contains(p("Z/zz.txt") + '\0'));
    EXPECT_TRUE(hogs.err.isEmpty()) << hogs.err.constData(); // a mount is no failure to read

    // A holds a mount, so it is not known whole: never a copy of Z.
    const CliRun folders = RunCli({"dupfolders", q("A"), q("Z")});
    EXPECT_EQ(folders.code, 1) << folders.out.constData();
    EXPECT_TRUE(folders.out.isEmpty());

    // A saved scan writes it as an excluded file, which a replay passes over as a mount.
    const CliRun exported = RunCli({"export", q("A")});
    ASSERT_EQ(exported.code, 0) << exported.err.constData();
    EXPECT_TRUE(exported.out.contains("\n{\"name\":\"zz.txt\",\"excluded\":\"otherfs\"}"))
        << exported.out.constData();
    { std::ofstream(t.path("scan.json"), std::ios::binary) << exported.out.toStdString(); }
    const CliRun replayed = RunCli({"hogs", "--larger", "0", "--scan", q("scan.json")});
    ASSERT_EQ(replayed.code, 0) << replayed.err.constData();
    EXPECT_FALSE(replayed.out.contains("zz.txt"));
    EXPECT_TRUE(replayed.err.isEmpty()) << replayed.err.constData();
}

TEST_F(FileMountCli, KeepingTheOldestNeverRemovesTheOnlyRealName) {
    for (const char* how : {"--trash", "--delete"}) {
        const CliRun run =
            RunCli({"dups", "--larger", "0", "--content", "--keep", "oldest", how, q("Z"), q("A")});
        ASSERT_EQ(run.code, 0) << run.err.constData();
        EXPECT_FALSE(run.out.contains("zz.txt")) << run.out.constData();
        EXPECT_EQ(::access(t.path("Z/zz.txt").c_str(), F_OK), 0) << how;
        std::ifstream shown(t.path("A/zz.txt"));
        std::string text;
        std::getline(shown, text);
        EXPECT_EQ(text, "the only real name");
        // The real copies are still a group: the newer one goes.
        EXPECT_EQ(::access(t.path("A/other.txt").c_str(), F_OK), -1) << how;
        EXPECT_EQ(::access(t.path("Z/other.txt").c_str(), F_OK), 0) << how;
        put("A/other.txt", "a real copy", 1'600'000'000);
    }
}
