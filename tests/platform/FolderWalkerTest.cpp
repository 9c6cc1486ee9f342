// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderWalker.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

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

// Logs every hook as a short text, paths relative to the fixture root.
class LogVisitor : public FolderVisitor {
public:
    explicit LogVisitor(std::string root) : m_root(std::move(root)) {}
    std::vector<std::string> log;
    std::vector<std::string> files; // relative paths of the files handed out
    std::vector<std::pair<std::string, int>> skipped;
    std::vector<std::pair<std::string, int>> unreadable; // entries whose statistics could not be read
    int yields = 0;
    std::function<bool()> stop;
    std::function<void(const FolderHandle&)> onBeginFiles;
    std::function<void(const FolderHandle&)> onEnter;
    bool creation = true;
    std::vector<bool> hadCreation; // per file handed out

    std::string rel(std::string_view p) const {
        if (p == m_root)
            return ".";
        return std::string(p.substr(0, m_root.size() + 1) == m_root + "/" ? p.substr(m_root.size() + 1) : p);
    }
    bool shouldStop() override { return stop && stop(); }
    void enterFolder(const FolderHandle& f) override {
        log.push_back("enter " + rel(f.path()));
        if (onEnter)
            onEnter(f);
    }
    void folderEntry(const FolderHandle& f, std::string_view name, bool isFolder) override {
        log.push_back(std::string(isFolder ? "dir " : "entry ") + rel(f.childPath(name)));
    }
    void yield() override { ++yields; }
    void beginFiles(const FolderHandle& f) override {
        log.push_back("files " + rel(f.path()));
        if (onBeginFiles)
            onBeginFiles(f);
    }
    void file(const FolderHandle& f, const FsEntry& e) override {
        log.push_back("file " + rel(f.childPath(e.name)));
        files.push_back(rel(f.childPath(e.name)));
        hadCreation.push_back(e.hasCreation);
    }
    bool wantsCreationTime() override { return creation; }
    void leaveFolder(const FolderHandle& f) override { log.push_back("leave " + rel(f.path())); }
    void folderSkipped(const FolderHandle& f, std::string_view name, int error) override {
        skipped.emplace_back(rel(name.empty() ? std::string(f.path()) : f.childPath(name)), error);
    }
    void entrySkipped(const FolderHandle& f, std::string_view name, int error) override {
        unreadable.emplace_back(rel(f.childPath(name)), error);
    }

    std::size_t indexOf(const std::string& line) const {
        return std::find(log.begin(), log.end(), line) - log.begin();
    }

private:
    std::string m_root;
};

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

std::vector<std::string> listingOrder(const std::string& path) {
    FolderHandle h = FolderHandle::open(path);
    FolderListing l;
    ReadFolderNames(h, l);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < l.size(); ++i)
        names.emplace_back(l.name(i));
    return names;
}

} // namespace

TEST(FolderWalker, SubFoldersBeforeOwnFilesInListingOrder) {
    TempTree t;
    t.file("top1.txt", 1);
    t.file("top2.txt", 1);
    t.file("s1/f1", 1);
    t.file("s2/f2", 1);
    t.file("s2/deep/f3", 1);
    LogVisitor v(t.root());
    FolderWalker w;
    ASSERT_TRUE(w.walk(t.root(), v));

    EXPECT_EQ(sorted(v.files), (std::vector<std::string>{"s1/f1", "s2/deep/f3", "s2/f2", "top1.txt", "top2.txt"}));
    // Every sub-folder is walked completely before the parent's file pass.
    EXPECT_LT(v.indexOf("leave s1"), v.indexOf("files ."));
    EXPECT_LT(v.indexOf("leave s2"), v.indexOf("files ."));
    EXPECT_LT(v.indexOf("leave s2/deep"), v.indexOf("files s2"));
    EXPECT_LT(v.indexOf("files ."), v.indexOf("file top1.txt"));
    EXPECT_EQ(v.log.back(), "leave .");
    // Sub-folders in the order of the listing.
    std::vector<std::string> order = listingOrder(t.root());
    bool s1First = std::find(order.begin(), order.end(), "s1") < std::find(order.begin(), order.end(), "s2");
    EXPECT_EQ(v.indexOf("enter s1") < v.indexOf("enter s2"), s1First);
    // Four listed entries at the root, two files at the root: 3 + 1 yields there.
    // s1: one entry, one file -> 0; s2: two entries, one file -> 1; deep: 0.
    EXPECT_EQ(v.yields, 5);
    EXPECT_TRUE(v.skipped.empty());
}

TEST(FolderWalker, HiddenSystemAndLinksAreNeitherListedNorEntered) {
    TempTree t;
    t.file("visible", 1);
    t.file(".hidden", 1);
    t.file(".hdir/inside", 1);
    t.file("real/r", 1);
    t.symlink("linkdir", "real");
    t.symlink("linkfile", "visible");
    t.symlink("real/loop", "..");
    t.symlink("self", "self");
    ASSERT_EQ(mkfifo(t.path("fifo").c_str(), 0644), 0);
    LogVisitor v(t.root());
    FolderWalker w;
    ASSERT_TRUE(w.walk(t.root(), v));
    EXPECT_EQ(sorted(v.files), (std::vector<std::string>{"real/r", "visible"}));
    for (const std::string& line : v.log) {
        EXPECT_EQ(line.find("hid"), std::string::npos) << line;
        EXPECT_EQ(line.find("link"), std::string::npos) << line;
        EXPECT_EQ(line.find("fifo"), std::string::npos) << line;
        EXPECT_EQ(line.find("loop"), std::string::npos) << line;
    }
}

TEST(FolderWalker, VeryDeepTreeWithBoundedHandlesAndNoLeak) {
    TempTree t;
    std::string deepest = t.deepChain("", 3000);
    // The path is longer than PATH_MAX: make the bottom file through handles.
    int fd = ::open(t.root().c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 3000; ++i) {
        int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    ::close(::openat(fd, "bottom.txt", O_WRONLY | O_CREAT, 0644));
    ::close(fd);
    t.file("d/top.txt", 7);
    for (std::size_t limit : {std::size_t(16), std::size_t(128)}) {
        int before = openFdCount();
        int atBottom = 0;
        LogVisitor v(t.root());
        v.onBeginFiles = [&](const FolderHandle& f) {
            if (f.path().size() > deepest.size() && atBottom == 0)
                atBottom = openFdCount();
        };
        FolderWalker w;
        w.setOpenHandleLimit(limit);
        ASSERT_TRUE(w.walk(t.root(), v));
        EXPECT_EQ(sorted(v.files), (std::vector<std::string>{deepest + "/bottom.txt", "d/top.txt"}));
        EXPECT_TRUE(v.skipped.empty());
        EXPECT_LE(atBottom - before, int(limit) + 4) << "limit " << limit;
        EXPECT_EQ(openFdCount(), before);
    }
}

TEST(FolderWalker, UnreadableFolderIsReportedAndTheWalkGoesOn) {
    TempTree t;
    t.file("a/ok1", 1);
    t.file("locked/secret", 1);
    t.file("z/ok2", 1);
    t.setMode("locked", 0700);
    LogVisitor v(t.root());
    {
        AsUnprivileged nobody;
        FolderWalker w;
        EXPECT_TRUE(w.walk(t.root(), v));
    }
    EXPECT_EQ(sorted(v.files), (std::vector<std::string>{"a/ok1", "z/ok2"}));
    ASSERT_EQ(v.skipped.size(), 1u);
    EXPECT_EQ(v.skipped[0], (std::pair<std::string, int>("locked", EACCES)));

    // An unreadable root: false and reported.
    LogVisitor r(t.root());
    AsUnprivileged nobody;
    FolderWalker w;
    EXPECT_FALSE(w.walk(t.path("locked"), r));
    ASSERT_EQ(r.skipped.size(), 1u);
    EXPECT_EQ(r.skipped[0].second, EACCES);
}

TEST(FolderWalker, FileThatVanishesAfterTheListingIsLeftOut) {
    TempTree t;
    t.file("keep", 1);
    t.file("gone", 1);
    LogVisitor v(t.root());
    v.onBeginFiles = [&](const FolderHandle&) { ::unlink(t.path("gone").c_str()); };
    FolderWalker w;
    // Helpers would have read its statistics with the listing, while it was still there.
    w.setThreadCount(1);
    ASSERT_TRUE(w.walk(t.root(), v));
    EXPECT_EQ(v.files, (std::vector<std::string>{"keep"}));
}

// The creation time is read only for a visitor that wants it (where the file system keeps one).
TEST(FolderWalker, CreationTimeOnlyWhenWanted) {
    TempTree t;
    t.file("a", 1);
    FolderHandle root = FolderHandle::open(t.root());
    FsEntry direct;
    ASSERT_EQ(StatEntry(root, "a", direct), 0);
    for (bool wanted : {true, false}) {
        LogVisitor v(t.root());
        v.creation = wanted;
        FolderWalker w;
        ASSERT_TRUE(w.walk(t.root(), v));
        ASSERT_EQ(v.hadCreation.size(), 1u);
        EXPECT_EQ(v.hadCreation[0], wanted && direct.hasCreation) << wanted;
    }
}

TEST(FolderWalker, OverlappingRootsWalkEachFolderOnce) {
    TempTree t;
    t.file("a/f", 1);
    t.file("a/b/g", 1);
    LogVisitor v(t.root());
    FolderWalker w;
    EXPECT_TRUE(w.walk(t.path("a/b"), v));
    EXPECT_TRUE(w.walk(t.path("a"), v));
    EXPECT_TRUE(w.walk(t.path("a"), v));
    EXPECT_TRUE(w.walk(t.path("a/b"), v));
    EXPECT_EQ(sorted(v.files), (std::vector<std::string>{"a/b/g", "a/f"}));
    w.reset();
    v.files.clear();
    EXPECT_TRUE(w.walk(t.path("a"), v));
    EXPECT_EQ(v.files.size(), 2u);
}

TEST(FolderWalker, StopUnwindsAtOnce) {
    TempTree t;
    for (int i = 0; i < 10; ++i)
        t.file("f" + std::to_string(i), 1);
    t.file("sub/x", 1);
    LogVisitor v(t.root());
    v.stop = [&] { return v.files.size() >= 3; };
    FolderWalker w;
    EXPECT_TRUE(w.walk(t.root(), v));
    EXPECT_EQ(v.files.size(), 3u);
    EXPECT_NE(v.log.back().rfind("file ", 0), std::string::npos);
}

TEST(FolderWalker, MountPointIsListedButNotEntered) {
    TempTree t;
    t.file("here", 1);
    t.folder("mnt");
    ScopedMount m("none", t.path("mnt"), "tmpfs", 0);
    if (!m.mounted) {
        // Without the right to mount, check the boundary on the machine's own /dev (its shm is tmpfs).
        struct stat dev {}, shm {};
        if (stat("/dev", &dev) != 0 || stat("/dev/shm", &shm) != 0 || dev.st_dev == shm.st_dev)
            GTEST_SKIP() << "cannot mount here and /dev/shm is not a separate filesystem";
        LogVisitor v("/dev");
        FolderWalker w;
        w.walk("/dev", v);
        auto it = std::find(v.skipped.begin(), v.skipped.end(), std::pair<std::string, int>("shm", EXDEV));
        EXPECT_NE(it, v.skipped.end());
        return;
    }
    t.file("mnt/other", 1);
    LogVisitor v(t.root());
    FolderWalker w;
    ASSERT_TRUE(w.walk(t.root(), v));
    EXPECT_EQ(v.files, (std::vector<std::string>{"here"}));
    EXPECT_NE(v.indexOf("dir mnt"), v.log.size()); // listed...
    EXPECT_EQ(v.indexOf("enter mnt"), v.log.size()); // ...not entered
    ASSERT_EQ(v.skipped.size(), 1u);
    EXPECT_EQ(v.skipped[0], (std::pair<std::string, int>("mnt", EXDEV)));
}

TEST(FolderWalker, BindMountOfTheSameFilesystemIsAMountToo) {
    TempTree t;
    TempTree outside;
    outside.file("elsewhere.txt", 1);
    t.file("src/f", 1);
    t.folder("bind");
    t.folder("into-outside");
    ScopedMount inner(t.path("src").c_str(), t.path("bind"), nullptr, MS_BIND);
    ScopedMount outer(outside.root().c_str(), t.path("into-outside"), nullptr, MS_BIND);
    if (!inner.mounted || !outer.mounted)
        GTEST_SKIP() << "no right to make a bind mount here";
    LogVisitor v(t.root());
    FolderWalker w;
    ASSERT_TRUE(w.walk(t.root(), v));
    // Neither mount is entered, though both lie on the root's own filesystem.
    EXPECT_EQ(v.files, (std::vector<std::string>{"src/f"}));
    std::sort(v.skipped.begin(), v.skipped.end());
    EXPECT_EQ(v.skipped, (std::vector<std::pair<std::string, int>>{{"bind", EXDEV}, {"into-outside", EXDEV}}));
}

// A folder that may be listed but not searched (read without execute): its sub-folders cannot be
// opened and its files' statistics cannot be read. Each is said, none is handed out as empty.
TEST(FolderWalker, EntriesOfAFolderThatCannotBeSearchedAreSaid) {
    TempTree t;
    t.file("open/ok", 1);
    t.file("listonly/a.txt", 1);
    t.file("listonly/.hidden", 1);
    t.file("listonly/sub/deeper", 1);
    t.setMode("listonly", 0644);
    for (bool every : {false, true}) {
        struct EveryVisitor : LogVisitor {
            using LogVisitor::LogVisitor;
            bool every = false;
            bool wantsEveryEntry() override { return every; }
        } v(t.root());
        v.every = every;
        {
            AsUnprivileged nobody;
            FolderWalker w;
            ASSERT_TRUE(w.walk(t.root(), v));
        }
        EXPECT_EQ(v.files, (std::vector<std::string>{"open/ok"}));
        EXPECT_EQ(v.skipped, (std::vector<std::pair<std::string, int>>{{"listonly/sub", EACCES}}));
        // A hidden file is examined only by a visitor that counts hidden files.
        std::vector<std::pair<std::string, int>> want{{"listonly/a.txt", EACCES}};
        if (every)
            want.insert(want.begin(), {"listonly/.hidden", EACCES});
        std::sort(v.unreadable.begin(), v.unreadable.end());
        EXPECT_EQ(v.unreadable, want) << "every entry: " << every;
        EXPECT_NE(v.indexOf("leave listonly"), v.log.size()); // the folder itself was listed
    }
}

// The one path buffer: every level sees its own whole path, however deep and long, and the walk
// says where it is between its hooks.
TEST(FolderWalker, DeepLongNamesGiveWholePathsFromOneBuffer) {
    TempTree t;
    const std::string name(250, 'n');
    const std::string deepest = t.deepChain("", 200, name); // a path of some 50 KB
    LogVisitor v(t.root());
    FolderWalker w;
    std::size_t depth = 0, checked = 0;
    v.onEnter = [&](const FolderHandle& f) {
        const std::string_view p = f.path();
        EXPECT_EQ(p.size(), t.root().size() + depth * (name.size() + 1));
        EXPECT_EQ(w.currentPath(), p);
        if (depth > 0) {
            EXPECT_EQ(p.substr(p.size() - name.size() - 1), "/" + name);
        }
        ++depth;
        ++checked;
    };
    v.onBeginFiles = [&](const FolderHandle& f) {
        EXPECT_EQ(w.currentPath(), f.path()); // back in it after every folder below
        --depth;
    };
    ASSERT_TRUE(w.walk(t.root(), v));
    EXPECT_EQ(checked, 201u);
    EXPECT_TRUE(w.currentPath().empty());
    EXPECT_NE(v.indexOf("leave " + deepest), v.log.size());
}

// Listing folders does not make them look used: their access times stay (where the kernel lets the
// owner or root ask for that, which is the case for the tests).
TEST(FolderWalker, WalkingLeavesFolderAccessTimes) {
    TempTree t;
    t.file("a/b/f", 1);
    const struct timespec old[2] = {{1'600'000'000, 0}, {1'600'000'000, 0}};
    for (const char* f : {"a/b", "a", ""})
        ASSERT_EQ(::utimensat(AT_FDCWD, t.path(f).c_str(), old, AT_SYMLINK_NOFOLLOW), 0);
    LogVisitor v(t.root());
    FolderWalker w;
    ASSERT_TRUE(w.walk(t.root(), v));
    ASSERT_EQ(v.files, (std::vector<std::string>{"a/b/f"}));
    for (const char* f : {"a/b", "a", ""}) {
        struct statx sx {};
        ASSERT_EQ(::statx(AT_FDCWD, t.path(f).c_str(), AT_SYMLINK_NOFOLLOW, STATX_ATIME, &sx), 0);
        EXPECT_EQ(sx.stx_atime.tv_sec, 1'600'000'000) << "folder " << f;
    }
}

TEST(FolderWalker, AFileMountIsNeverHandedOutInEitherPassOnAnyThreadCount) {
    TempTree t;
    t.file("z/real.txt", 3);
    t.file("a/real.txt", 3); // the mount point: another file bound onto it
    t.file("a/own.txt", 1);
    ScopedMount bound(t.path("z/real.txt").c_str(), t.path("a/real.txt"), nullptr, MS_BIND);
    if (!bound.mounted)
        GTEST_SKIP() << "no right to make a bind mount here";
    struct EveryEntry : LogVisitor {
        using LogVisitor::LogVisitor;
        bool wantsEveryEntry() override { return true; }
    };
    for (int threads : {1, 4}) {
        LogVisitor files(t.root());
        EveryEntry every(t.root());
        for (LogVisitor* v : {&files, static_cast<LogVisitor*>(&every)}) {
            FolderWalker w;
            w.setThreadCount(threads);
            ASSERT_TRUE(w.walk(t.root(), *v));
            // The only real name of the file is listed once; the mount point is said as a mount.
            EXPECT_EQ(sorted(v->files), (std::vector<std::string>{"a/own.txt", "z/real.txt"})) << threads;
            EXPECT_EQ(v->skipped, (std::vector<std::pair<std::string, int>>{{"a/real.txt", EXDEV}}))
                << threads;
            EXPECT_TRUE(v->unreadable.empty());
        }
    }
}
