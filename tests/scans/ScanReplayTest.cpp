// SPDX-License-Identifier: GPL-3.0-or-later
// The replay of a saved scan calls a visitor's hooks as the walker calls them on the tree it was
// made from, whatever the visitor asks of the walk; and what the walk could not read or did not
// enter is in the scan and comes back the same way.
#include "ExportedTree.h"
#include "platform/FolderWalker.h"
#include "scans/SavedScan.h"
#include "scans/ScanExporter.h"
#include "scans/ScanOutput.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

// Writes down every hook with what a visitor can see of it.
class HookLog : public FolderVisitor {
public:
    HookLog(bool everyEntry, bool hiddenFolders) : m_every(everyEntry), m_hidden(hiddenFolders) {}
    std::vector<std::string> log;

    bool wantsEveryEntry() override { return m_every; }
    bool wantsHiddenEntries() override { return m_hidden; }
    bool wantsFile(std::string_view name) override { return name.find("skip") == std::string_view::npos; }
    void enterFolder(const FolderHandle& f) override { log.push_back("enter " + std::string(f.path())); }
    void folderEntry(const FolderHandle&, std::string_view name, bool isFolder) override {
        log.push_back(std::string(isFolder ? "folder " : "entry ") + std::string(name));
    }
    void beginFiles(const FolderHandle& f) override { log.push_back("files " + std::string(f.name())); }
    void file(const FolderHandle&, const FsEntry& e) override {
        log.push_back("file " + e.name + " " + std::to_string(e.size) + " " + std::to_string(e.attributes));
    }
    void subFolderEntry(const FolderHandle&, std::string_view name) override {
        log.push_back("sub " + std::string(name));
    }
    void leaveFolder(const FolderHandle& f) override { log.push_back("leave " + std::string(f.name())); }
    void folderSkipped(const FolderHandle& f, std::string_view name, int error) override {
        log.push_back("skipped " + std::string(f.name()) + "/" + std::string(name) +
                      (error == EXDEV ? " mount" : " unread"));
    }
    void entrySkipped(const FolderHandle& f, std::string_view name, int) override {
        log.push_back("unread entry " + std::string(f.name()) + "/" + std::string(name));
    }
    void entryExcluded(const FolderHandle& f, std::string_view name, bool isFolder, std::string_view rule) override {
        log.push_back("excluded " + std::string(f.name()) + "/" + std::string(name) + (isFolder ? "/ " : " ") +
                      std::string(rule));
    }

private:
    bool m_every;
    bool m_hidden;
};

class ScanReplayTest : public ::testing::Test {
protected:
    TempTree tree;
    TempTree out;
    void SetUp() override {
        tree.file("b/one.txt", 10);
        tree.file("b/skip.txt", 20);
        tree.file("b/.hidden.txt", 30);
        tree.file("b/deeper/two.bin", 40);
        tree.file(".dot/three", 50);
        tree.file("a/four", 60);
        tree.symlink("a/link", "four");
        tree.folder("empty");
    }
    std::string exportTree(bool unprivileged = false) {
        ExportTree(tree.root(), out.path("scan.json"), 0, unprivileged);
        return out.path("scan.json");
    }
    std::vector<std::string> replayed(const std::string& file, HookLog log) {
        SavedScan scan;
        EXPECT_TRUE(scan.open(file)) << scan.error();
        scan.replay().replay(log);
        EXPECT_FALSE(scan.failed()) << scan.error();
        return log.log;
    }
    std::vector<std::string> walked(HookLog log) {
        FolderWalker walker;
        walker.walk(tree.root(), log);
        return log.log;
    }
};

// A scan holds a folder's sub-folders before its files (a walk writes the files in its file pass):
// the hooks are the walker's, in its order but for where a folder's file entries and sub-folder
// entries stand among its sub-folders.
std::vector<std::string> walkOrder(std::vector<std::string> log, std::multiset<std::string>* entries) {
    std::vector<std::string> kept;
    for (std::string& line : log) {
        if (line.rfind("entry ", 0) == 0 || line.rfind("sub ", 0) == 0)
            entries->insert(line);
        else
            kept.push_back(std::move(line));
    }
    return kept;
}

} // namespace

TEST_F(ScanReplayTest, HooksComeInTheWalkersOrderWhateverTheVisitorAsks) {
    const std::string file = exportTree();
    for (bool every : {false, true})
        for (bool hidden : {false, true}) {
            const std::vector<std::string> live = walked(HookLog(every, hidden));
            std::multiset<std::string> liveEntries, savedEntries;
            EXPECT_EQ(walkOrder(replayed(file, HookLog(every, hidden)), &savedEntries),
                      walkOrder(live, &liveEntries))
                << "every " << every << " hidden " << hidden;
            EXPECT_EQ(savedEntries, liveEntries);
            // The hidden folder is entered exactly when asked for.
            EXPECT_EQ(std::count(live.begin(), live.end(), "enter " + tree.root() + "/.dot"), hidden ? 1 : 0);
        }
}

TEST_F(ScanReplayTest, WhatWasNotReadOrNotEnteredComesBackAsSuch) {
    tree.folder("locked");
    tree.file("locked/inside", 5);
    tree.setMode("locked", 0);
    tree.folder("mnt");
    ScopedMount mount("none", tree.path("mnt"), "tmpfs", 0);
    const std::string file = exportTree(true); // the denial must be real when the tests run as root
    std::ifstream in(file);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find(R"(,"read_error":true}])"), std::string::npos);
    if (mount.mounted) {
        EXPECT_NE(text.find(R"(,"excluded":"otherfs"}])"), std::string::npos);
    }
    const std::vector<std::string> log = replayed(file, HookLog(true, false));
    const std::string top(FolderHandle::open(tree.root()).name());
    EXPECT_NE(std::find(log.begin(), log.end(), "skipped " + top + "/locked unread"), log.end());
    if (mount.mounted) {
        EXPECT_NE(std::find(log.begin(), log.end(), "skipped " + top + "/mnt mount"), log.end());
    }
}

// Exclusions come back from a scan as the walk gave them: left out by the scan itself (an export
// made with rules, read without them), or by rules given to the replay of a scan made without any.
TEST_F(ScanReplayTest, ExclusionsComeBackAsTheWalkGaveThem) {
    tree.file("b/deeper/obj.o", 5);
    tree.file(".dot/x.o", 5);
    auto rules = std::make_shared<ExclusionRules>();
    for (const char* p : {"*.o", "deeper", "/a/four", ".h*"})
        ASSERT_TRUE(rules->add(p));
    const std::string plain = exportTree();
    SetWalkExclusions(rules);
    const std::string excluded = out.path("excluded.json");
    ExportTree(tree.root(), excluded);
    for (bool every : {false, true})
        for (bool hidden : {false, true}) {
            const std::vector<std::string> live = walked(HookLog(every, hidden));
            std::multiset<std::string> liveEntries, ownEntries, ruledEntries;
            const std::vector<std::string> expected = walkOrder(live, &liveEntries);
            SetWalkExclusions(nullptr);
            const std::vector<std::string> own = replayed(excluded, HookLog(every, hidden));
            SetWalkExclusions(rules);
            EXPECT_EQ(walkOrder(own, &ownEntries), expected) << "every " << every << " hidden " << hidden;
            EXPECT_EQ(walkOrder(replayed(plain, HookLog(every, hidden)), &ruledEntries), expected)
                << "every " << every << " hidden " << hidden;
            EXPECT_EQ(ownEntries, liveEntries);
            EXPECT_EQ(ruledEntries, liveEntries);
            EXPECT_NE(std::find(live.begin(), live.end(), "excluded b/deeper/ deeper"), live.end());
        }
    SetWalkExclusions(nullptr);
}

// ncdu's own exclusions (no rule said) are exclusions, not entries that could not be read.
TEST_F(ScanReplayTest, NcduExclusionsAreExclusions) {
    const std::string file = out.path("ncdu.json");
    std::ofstream(file) << R"([1,2,{"progname":"ncdu"},[{"name":"/r","dev":1},{"name":"f.o","dev":0,"excluded":"pattern"},)"
                        << R"([{"name":"cache","excluded":"pattern"}],{"name":"g","asize":3}]])";
    const std::vector<std::string> log = replayed(file, HookLog(true, false));
    EXPECT_NE(std::find(log.begin(), log.end(), "excluded r/f.o "), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "excluded r/cache/ "), log.end());
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.find("unread") != l.npos; }),
              0);
}
