// SPDX-License-Identifier: GPL-3.0-or-later
// The walk with helper threads gives exactly the calls of the walk on one thread, stops at once and
// keeps its handles bounded.
#include "platform/FolderWalker.h"
#include "platform/WalkAhead.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"

#include <algorithm>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

int openFdCount() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d))
            ++n;
        closedir(d);
    }
    return n;
}

// Every call as a line, paths relative to the walk's root, with what a visitor sees of a file.
class Recorder : public FolderVisitor {
public:
    Recorder(std::string root, bool every, std::string wanted = {}, std::string hinted = {})
        : m_root(std::move(root)), m_every(every), m_wanted(std::move(wanted)), m_hinted(std::move(hinted)) {}
    std::vector<std::string> log;
    std::size_t stopAfter = SIZE_MAX;
    std::size_t files = 0;
    std::function<void()> onEnter;

    std::string rel(const FolderHandle& f, std::string_view name = {}) const {
        std::string p(name.empty() ? f.path() : f.childPath(name));
        return p.size() > m_root.size() ? p.substr(m_root.size()) : ".";
    }
    bool shouldStop() override { return files >= stopAfter; }
    bool wantsEveryEntry() override { return m_every; }
    void enterFolder(const FolderHandle& f) override {
        log.push_back("enter " + rel(f));
        if (onEnter)
            onEnter();
    }
    void folderEntry(const FolderHandle& f, std::string_view name, bool isFolder) override {
        log.push_back((isFolder ? "dir " : "entry ") + rel(f, name));
    }
    void yield() override { log.emplace_back("yield"); }
    void beginFiles(const FolderHandle& f) override { log.push_back("files " + rel(f)); }
    // Only names with the wanted ending; the hint may say more or less than that.
    bool wantsFile(std::string_view name) override { return endsWith(name, m_wanted); }
    std::function<bool(std::string_view)> fileFilter() override {
        if (m_hinted.empty())
            return {};
        return [hint = m_hinted](std::string_view name) { return endsWith(name, hint); };
    }
    void file(const FolderHandle& f, const FsEntry& e) override {
        ++files;
        log.push_back("file " + rel(f, e.name) + " " + std::to_string(e.size) + " " + std::to_string(e.inode) + " " +
                      std::to_string(e.mode) + " " + std::to_string(e.lastWrite.tv_nsec) + " " +
                      std::to_string(e.hasCreation) + " " + std::to_string(e.links) + " " +
                      std::to_string(e.owner) + " " + std::to_string(e.group));
    }
    void subFolderEntry(const FolderHandle& f, std::string_view name) override { log.push_back("sub " + rel(f, name)); }
    void leaveFolder(const FolderHandle& f) override { log.push_back("leave " + rel(f)); }
    void folderSkipped(const FolderHandle& f, std::string_view name, int error) override {
        log.push_back("skipped " + rel(f, name) + " " + std::to_string(error));
    }
    void entrySkipped(const FolderHandle& f, std::string_view name, int error) override {
        log.push_back("unread " + rel(f, name) + " " + std::to_string(error));
    }

private:
    static bool endsWith(std::string_view name, std::string_view end) {
        return name.size() >= end.size() && name.substr(name.size() - end.size()) == end;
    }
    std::string m_root;
    bool m_every;
    std::string m_wanted;
    std::string m_hinted;
};

// Folders with sub-folders and files mixed, a folder of more files than one block of statistics
// (after its sub-folders), a comb deeper than the handle limits below (each level a leaf beside the
// way down), hidden entries, links, a FIFO, a folder nobody may read and one nobody may search.
class WalkAheadTree : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 1300; ++i)
            t.file("big/f" + std::to_string(i) + (i % 3 ? ".txt" : ".dat"), i % 5);
        t.file("big/sub/inner.txt", 3);
        t.file("big/sub2/.hidden.txt", 3);
        std::string level = "comb";
        for (int depth = 0; depth < 30; ++depth) {
            t.file(level + "/leaf/a.txt", depth);
            t.file(level + "/own" + std::to_string(depth) + ".txt", depth);
            level += "/d";
            if (depth == 8) {
                // More sub-folders than the window: helpers meet this folder's handle closed while the
                // walk is below it, and so do its files.
                for (int i = 0; i < 150; ++i)
                    t.file(level + "/wide/s" + std::to_string(i) + "/x.txt", i);
                for (int i = 0; i < 600; ++i)
                    t.file(level + "/wide/w" + std::to_string(i) + ".txt", i);
            }
        }
        t.file(level + "/bottom.dat", 1);
        t.file("top.txt", 1);
        t.file(".hidden/inside.txt", 1);
        t.file(".top.txt", 1);
        t.symlink("link-to-big", "big");
        t.symlink("big/link-to-file", "../top.txt");
        ASSERT_EQ(::mkfifo(t.path("fifo").c_str(), 0644), 0);
        t.file("locked/secret.txt", 1);
        t.file("listonly/seen.txt", 1);
        t.file("listonly/.seen-too.txt", 1);
        t.file("listonly/below/x.txt", 1);
        t.setMode("locked", 0700);
        t.setMode("listonly", 0644);
    }

    // The calls of walks of root and then of big (walked already: nothing more), as nobody.
    std::vector<std::string> calls(int threads, std::size_t limit, bool every, const std::string& wanted,
                                   const std::string& hinted, std::size_t stopAfter = SIZE_MAX) {
        Recorder r(t.root(), every, wanted, hinted);
        r.stopAfter = stopAfter;
        AsUnprivileged nobody; // helpers act as the walking thread does
        FolderWalker w;
        w.setThreadCount(threads);
        w.setOpenHandleLimit(limit);
        EXPECT_TRUE(w.walk(t.root(), r));
        EXPECT_TRUE(w.walk(t.path("big"), r));
        return r.log;
    }

    TempTree t;
};

} // namespace

TEST_F(WalkAheadTree, EveryThreadCountGivesTheCallsOfTheSingleWalk) {
    struct Case {
        bool every;
        std::string wanted, hinted;
    };
    // Every file; the files the hint names too; a hint that leaves out files the visitor wants.
    const Case cases[] = {{false, "", ""}, {false, ".txt", ".txt"}, {false, ".txt", ".dat"}, {true, "", ""}};
    for (const Case& c : cases) {
        for (std::size_t limit : {std::size_t(128), std::size_t(3)}) {
            const std::vector<std::string> single = calls(1, limit, c.every, c.wanted, c.hinted);
            ASSERT_GT(single.size(), 3400u);
            ASSERT_NE(std::find(single.begin(), single.end(), "skipped /locked 13"), single.end());
            ASSERT_NE(std::find(single.begin(), single.end(), "unread /listonly/seen.txt 13"), single.end());
            for (int threads : {2, 8}) {
                EXPECT_EQ(calls(threads, limit, c.every, c.wanted, c.hinted), single)
                    << threads << " threads, limit " << limit << ", every " << c.every << ", wanted '" << c.wanted
                    << "', hinted '" << c.hinted << "'";
            }
        }
    }
}

// A stop ends the walk at once wherever it comes, with helpers ahead: the calls so far are the
// single walk's, and no handle is left open.
TEST_F(WalkAheadTree, StopEndsTheWalkAtOnceAndLeavesNoHandle) {
    for (std::size_t stopAfter : {std::size_t(0), std::size_t(1), std::size_t(40), std::size_t(700)}) {
        const std::vector<std::string> single = calls(1, 128, false, "", "", stopAfter);
        const int before = openFdCount();
        const std::vector<std::string> helped = calls(8, 128, false, "", "", stopAfter);
        EXPECT_EQ(helped, single) << "stop after " << stopAfter;
        EXPECT_EQ(openFdCount(), before);
    }
}

// Deep down, handles stay within the walk's own limit plus the window of folders read ahead.
TEST_F(WalkAheadTree, OpenHandlesStayBounded) {
    t.deepChain("chain", 400);
    const int before = openFdCount();
    int most = 0;
    Recorder r(t.root(), false);
    r.onEnter = [&] { most = std::max(most, openFdCount()); };
    FolderWalker w;
    w.setThreadCount(8);
    w.setOpenHandleLimit(16);
    ASSERT_TRUE(w.walk(t.root(), r));
    EXPECT_LE(most - before, int(16 + WalkAhead::MostAhead + 8 + 2));
    EXPECT_EQ(openFdCount(), before);
}

// Helpers stay on the root's filesystem as the walk does: a mount inside is listed, not entered.
TEST(WalkAhead, MountInsideIsNotEntered) {
    TempTree t;
    t.file("here.txt", 1);
    t.folder("mnt");
    ScopedMount m("none", t.path("mnt"), "tmpfs", 0);
    if (!m.mounted)
        GTEST_SKIP() << "no right to mount here";
    for (int i = 0; i < 50; ++i)
        t.file("mnt/d" + std::to_string(i) + "/f.txt", 1);
    for (int threads : {1, 8}) {
        Recorder r(t.root(), false);
        FolderWalker w;
        w.setThreadCount(threads);
        ASSERT_TRUE(w.walk(t.root(), r));
        EXPECT_EQ(r.files, 1u);
        EXPECT_NE(std::find(r.log.begin(), r.log.end(), "skipped /mnt " + std::to_string(EXDEV)), r.log.end());
    }
}
