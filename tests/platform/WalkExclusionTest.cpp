// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderWalker.h"
#include "support/TempTree.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Records what a walk hands out and what it leaves out, paths relative to the root.
class Recorder : public FolderVisitor {
public:
    Recorder(std::string root, bool everyEntry, bool hidden = false)
        : m_root(std::move(root)), m_every(everyEntry), m_hidden(hidden) {}
    std::vector<std::string> entered, files, subFolders, excluded, listed;

    std::string rel(std::string_view p) const {
        return p.size() > m_root.size() ? std::string(p.substr(m_root.size() + 1)) : std::string(".");
    }
    bool wantsEveryEntry() override { return m_every; }
    bool wantsHiddenEntries() override { return m_hidden; }
    void enterFolder(const FolderHandle& f) override { entered.push_back(rel(f.path())); }
    void folderEntry(const FolderHandle& f, std::string_view name, bool) override {
        listed.push_back(rel(f.childPath(name)));
    }
    void file(const FolderHandle& f, const FsEntry& e) override { files.push_back(rel(f.childPath(e.name))); }
    void subFolderEntry(const FolderHandle& f, std::string_view name) override {
        subFolders.push_back(rel(f.childPath(name)));
    }
    void entryExcluded(const FolderHandle& f, std::string_view name, bool isFolder, std::string_view rule) override {
        excluded.push_back(rel(f.childPath(name)) + (isFolder ? "/ " : " ") + std::string(rule));
    }
    void sortAll() {
        for (auto* v : {&entered, &files, &subFolders, &excluded, &listed})
            std::sort(v->begin(), v->end());
    }

private:
    std::string m_root;
    bool m_every;
    bool m_hidden;
};

using Lines = std::vector<std::string>;

void WriteText(const TempTree& tree, const std::string& rel, const std::string& text) {
    FILE* f = std::fopen(tree.path(rel).c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

// a/ with an object file, a cache folder and one with a wrong tag, a node_modules folder deep down,
// a backup folder left out by a path pattern, hidden entries.
class WalkExclusionTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        t.file("a/main.o", 10);
        t.file("a/main.c", 20);
        t.file("a/cache/blob", 30);
        WriteText(t, "a/cache/CACHEDIR.TAG", std::string(ExclusionRules::CacheTagSignature) + "\n");
        t.file("a/notcache/blob", 40);
        WriteText(t, "a/notcache/CACHEDIR.TAG", "Signature: not the one\n");
        t.file("b/web/node_modules/lib/x.js", 50);
        t.file("b/web/index.js", 60);
        t.file("backup/old/z", 70);
        t.file("backup/keep.txt", 80);
        t.file("x/backup/old/y", 90);
        t.file(".hidden/h.o", 1);
        t.file(".h.o", 1);
        t.symlink("a/link.o", "main.c");
        auto r = std::make_shared<ExclusionRules>();
        for (const char* p : {"*.o", "node_modules", "/backup/*/"})
            EXPECT_TRUE(r->add(p));
        r->setCaches(true);
        rules = r;
    }
    Recorder walk(bool every, bool hidden = false) {
        Recorder v(t.root(), every, hidden);
        FolderWalker w;
        w.setThreadCount(GetParam());
        w.setExclusions(rules);
        EXPECT_TRUE(w.walk(t.root(), v));
        v.sortAll();
        return v;
    }
    TempTree t;
    std::shared_ptr<const ExclusionRules> rules;
};

TEST_P(WalkExclusionTest, LeavesOutNamesPathsAndCachesAndSaysWhichRule) {
    Recorder v = walk(false);
    EXPECT_EQ(v.files, (Lines{"a/main.c", "a/notcache/CACHEDIR.TAG", "a/notcache/blob", "b/web/index.js",
                              "backup/keep.txt", "x/backup/old/y"}));
    EXPECT_EQ(v.excluded, (Lines{"a/cache/ CACHEDIR.TAG", "a/main.o *.o", "b/web/node_modules/ node_modules",
                                 "backup/old/ /backup/*/"}));
    // Nothing below an excluded folder is looked at, nor is it listed.
    for (const std::string& folder : v.entered)
        EXPECT_TRUE(folder.find("node_modules") == std::string::npos && folder.find("cache/") == std::string::npos &&
                    folder != "a/cache" && folder != "backup/old")
            << folder;
    for (const std::string& entry : v.listed)
        EXPECT_TRUE(entry != "a/main.o" && entry != "a/cache" && entry != "backup/old") << entry;
}

TEST_P(WalkExclusionTest, EveryEntryWalkLeavesThemOutOfItsCountsToo) {
    Recorder v = walk(true);
    // Links and hidden entries are handed out in this walk, and so their exclusions are said.
    EXPECT_EQ(v.excluded, (Lines{".h.o *.o", "a/cache/ CACHEDIR.TAG", "a/link.o *.o", "a/main.o *.o",
                                 "b/web/node_modules/ node_modules", "backup/old/ /backup/*/"}));
    EXPECT_EQ(v.subFolders, (Lines{".hidden", "a", "a/notcache", "b", "b/web", "backup", "x", "x/backup",
                                   "x/backup/old"}));
    EXPECT_EQ(std::count(v.files.begin(), v.files.end(), "a/main.o"), 0);
}

TEST_P(WalkExclusionTest, HiddenFoldersOfAWalkThatWantsThem) {
    Recorder v = walk(false, true);
    EXPECT_NE(std::find(v.entered.begin(), v.entered.end(), ".hidden"), v.entered.end());
    EXPECT_EQ(std::count(v.excluded.begin(), v.excluded.end(), ".hidden/h.o *.o"), 1);
    // A hidden file is never handed out by the file pass, so its exclusion is not said either.
    EXPECT_EQ(std::count(v.excluded.begin(), v.excluded.end(), ".h.o *.o"), 0);
}

TEST_P(WalkExclusionTest, NoRulesNoChange) {
    rules = nullptr;
    Recorder v = walk(false);
    EXPECT_TRUE(v.excluded.empty());
    EXPECT_EQ(v.files.size(), 11u);
}

INSTANTIATE_TEST_SUITE_P(Threads, WalkExclusionTest, ::testing::Values(1, 4));

TEST(WalkExclusions, TheProcessRulesApplyToWalkersWithoutTheirOwn) {
    TempTree t;
    t.file("keep", 1);
    t.file("drop.tmp", 1);
    auto rules = std::make_shared<ExclusionRules>();
    ASSERT_TRUE(rules->add("*.tmp"));
    SetWalkExclusions(rules);
    Recorder v(t.root(), false);
    FolderWalker w;
    w.walk(t.root(), v);
    SetWalkExclusions(nullptr);
    EXPECT_EQ(v.files, Lines{"keep"});
    EXPECT_EQ(v.excluded, Lines{"drop.tmp *.tmp"});
    Recorder again(t.root(), false);
    FolderWalker w2;
    w2.walk(t.root(), again);
    EXPECT_EQ(again.files.size(), 2u);
}

} // namespace
