// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/DupScanEngine.h"
#include "common/DisplayText.h"
#include "common/DosDateTime.h"
#include "common/RecordField.h"
#include "common/SearchPathList.h"
#include "delete/ListedFileRemoval.h"
#include "finders/dup/DupRecordStore.h"
#include "support/RecordingMessageService.h"
#include "support/RewriteKeepingTime.h"
#include "support/TempTree.h"

#include <QDateTime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const SearchPathList kNoSearchPath;

struct Scan {
    DupScanEngine engine;
    explicit Scan(std::size_t capacity = DupScanEngine::DefaultCapacity) : engine(capacity) {
        engine.setSearchPath(&kNoSearchPath);
    }
    QStringList run(const DupScanCriteria& c, const std::vector<std::string>& roots, bool exact = false) {
        engine.begin(c);
        for (const std::string& r : roots)
            engine.scanDrive(r);
        engine.finish(exact);
        return engine.resultLines();
    }
};

DupScanCriteria hogs(SizeRange range = SizeRange::LargerOrEqual, std::int64_t k1 = 0, std::int64_t k2 = 0) {
    DupScanCriteria c;
    c.dupMode = false;
    c.range = range;
    c.limit1K = k1;
    c.limit2K = k2;
    return c;
}

DupScanCriteria dups(std::int64_t k1 = 0) {
    DupScanCriteria c;
    c.dupMode = true;
    c.limit1K = k1;
    return c;
}

QStringList fields(const QStringList& lines, int n) {
    QStringList out;
    for (const QString& l : lines)
        out << RecordField(l, n);
    return out;
}

int compareLines(const QString& a, const QString& b) {
    QByteArray ua = a.toUtf8(), ub = b.toUtf8();
    return CompareFolded(std::string_view(ua.constData(), ua.size()), std::string_view(ub.constData(), ub.size()));
}

} // namespace

TEST(DupScanEngine, SizeFilterBoundsAtAndAroundTheLimit) {
    TempTree t;
    t.file("at", 256000);
    t.file("below", 255999);
    t.file("empty", 0);
    Scan s;
    auto names = [&](const DupScanCriteria& c) {
        QStringList out;
        for (const QString& p : fields(s.run(c, {t.root()}), 5))
            out << p.mid(p.lastIndexOf(u'/') + 1);
        out.sort();
        return out;
    };
    EXPECT_EQ(names(hogs(SizeRange::LargerOrEqual, 250)), QStringList({"at"}));
    EXPECT_EQ(names(hogs(SizeRange::SmallerOrEqual, 250)), QStringList({"at", "below", "empty"}));
    EXPECT_EQ(names(hogs(SizeRange::Between, 250, 250)), QStringList({"at"}));
    EXPECT_EQ(names(hogs(SizeRange::LargerOrEqual, 0)), QStringList({"at", "below", "empty"}));
    EXPECT_EQ(names(hogs(SizeRange::SmallerOrEqual, 0)), QStringList({"empty"}));
    EXPECT_EQ(names(hogs(SizeRange::Between, 0, 0)), QStringList({"empty"}));
}

TEST(DupScanEngine, HogLinesAreLargestFirstNumericallyAbove100000K) {
    TempTree t;
    const std::int64_t fiveGiB = std::int64_t(5) << 30;
    for (auto [name, size] : std::vector<std::pair<std::string, std::int64_t>>{
             {"a0", 0}, {"a50", 50}, {"a1023", 1023}, {"a1024", 1024}, {"a300000", 300000},
             {"a100000k", 102400000}, {"a99999k", 99999 * 1024}, {"a5g", fiveGiB}, {"a200000k", 204800000}})
        t.file(name, size);
    Scan s;
    QStringList lines = s.run(hogs(), {t.root()});
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(fields(lines, 1), QStringList({"5242880 K", "200000 K", "100000 K", "99999 K", "  292 K", "    1 K",
                                             "     0.9 K", "     0.1 K", "     0.0 K"}));
    EXPECT_EQ(RecordField(lines[0], 5), QString::fromStdString(t.path("a5g")));
    EXPECT_EQ(s.engine.resultSize(0), fiveGiB);
    for (const QString& l : lines)
        EXPECT_EQ(l.count(u'\t'), 5) << qPrintable(l);
}

// Equal sizes order by the modification as a point in time, newest first (never by the text of a
// date), then by the access date, newest first, then by path in ascending order.
TEST(DupScanEngine, EqualHogSizesAreNewestFirstThenByPath) {
    TempTree t;
    auto local = [](int y, int mo, int d, int h, int mi) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi)).toSecsSinceEpoch();
    };
    const std::vector<std::tuple<std::string, std::time_t, std::time_t>> files = {
        {"d/a", local(2021, 11, 9, 10, 0), local(2021, 11, 9, 10, 0)},
        {"d/b", local(2026, 5, 9, 10, 0), local(2026, 5, 9, 10, 0)},
        {"d/c", local(2026, 11, 9, 2, 6), local(2026, 11, 9, 2, 6)},
        {"d/d", local(2026, 11, 9, 21, 34), local(2026, 11, 9, 21, 34)},
        {"d/e", local(2025, 11, 8, 10, 0), local(2025, 11, 8, 10, 0)},
        {"e/a", local(2026, 11, 9, 2, 6), local(2026, 11, 9, 2, 6)},
        {"d/f", local(2027, 1, 1, 0, 0), local(2026, 11, 9, 2, 6)},   // accessed later
        {"D/z", local(2026, 11, 9, 2, 6), local(2026, 11, 9, 2, 6)},  // folders by name, case ignored
        {"d/G", local(2026, 11, 9, 2, 6), local(2026, 11, 9, 2, 6)}}; // names too
    for (const auto& [name, access, write] : files) {
        t.file(name, 3000);
        t.setTimes(name, access, write);
    }
    Scan s;
    const QStringList lines = s.run(hogs(), {t.root()});
    QStringList got;
    for (const QString& line : fields(lines, 5))
        got << line.mid(int(t.root().size()) + 1);
    EXPECT_EQ(got, QStringList({"d/d", "d/f", "d/c", "d/G", "D/z", "e/a", "d/b", "d/e", "d/a"}));
    EXPECT_EQ(fields(lines, 1), QStringList(9, QStringLiteral("    2 K")));
}

TEST(DupScanEngine, DuplicatesByNameIgnoreCaseButKeepIt) {
    TempTree a, b;
    a.file("README.TXT", 300);
    b.file("docs/ReadMe.txt", 500);
    a.file("single.dat", 10);
    a.file("three", 1);
    a.file("x/three", 2);
    b.file("three", 3);
    Scan s;
    QStringList lines = s.run(dups(), {a.root(), b.root()});
    ASSERT_EQ(lines.size(), 5) << qPrintable(lines.join(u'\n'));
    EXPECT_EQ(fields(lines, 1), QStringList({"README.TXT", "ReadMe.txt", "three", "three", "three"}));
    QStringList folders = fields(lines, 6);
    EXPECT_TRUE(folders.contains(QString::fromStdString(a.root() + "/")));
    EXPECT_TRUE(folders.contains(QString::fromStdString(b.root() + "/docs/")));
    for (int i = 0; i + 1 < lines.size(); ++i)
        EXPECT_LE(compareLines(lines[i], lines[i + 1]), 0);
    for (const QString& l : lines)
        EXPECT_EQ(l.count(u'\t'), 6);
    // Each row acts on its own file.
    for (std::size_t i = 0; i < s.engine.resultCount(); ++i) {
        struct stat st {};
        ASSERT_EQ(lstat(s.engine.resultPath(i).c_str(), &st), 0);
        EXPECT_EQ(st.st_size, s.engine.resultSize(i));
    }
}

TEST(DupScanEngine, ExactModeComparesSizeTexts) {
    TempTree t;
    t.file("a/setup.exe", 10240);
    t.file("b/setup.exe", 10500); // both "   10 K"
    t.file("a/other.exe", 10240);
    t.file("b/other.exe", 11264); // "   11 K"
    t.file("a/tiny", 50);
    t.file("b/tiny", 100); // both "     0.1 K"
    Scan s;
    QStringList exact = s.run(dups(), {t.root()}, true);
    EXPECT_EQ(fields(exact, 1), QStringList({"setup.exe", "setup.exe", "tiny", "tiny"}));
    QStringList byName = s.run(dups(), {t.root()}, false);
    EXPECT_EQ(byName.size(), 6);
}

TEST(DupScanEngine, OverlappingRootsNeverMakeAFileItsOwnDuplicate) {
    TempTree t;
    t.file("only.txt", 1);
    t.file("sub/once.txt", 1);
    Scan s;
    EXPECT_TRUE(s.run(dups(), {t.root(), t.root(), t.path("sub"), t.root() + "/./sub/"}).isEmpty());
    EXPECT_EQ(s.engine.candidateCount(), 2u);
}

TEST(DupScanEngine, SearchPathFolderGetsTheMarker) {
    TempTree t;
    t.file("bin/tool", 1);
    t.file("other/tool", 1);
    SearchPathList list;
    list.fillFrom(QString::fromStdString("/nowhere:" + t.path("bin")));
    Scan s;
    s.engine.setSearchPath(&list);
    QStringList d = s.run(dups(), {t.root()});
    ASSERT_EQ(d.size(), 2);
    EXPECT_TRUE(fields(d, 6).contains(QString::fromStdString(t.path("bin") + "/*(SEARCHPATH)*")));
    EXPECT_TRUE(fields(d, 6).contains(QString::fromStdString(t.path("other") + "/")));
    QStringList h = s.run(hogs(), {t.root()});
    EXPECT_TRUE(fields(h, 5).contains(QString::fromStdString(t.path("bin") + "/tool*(SEARCHPATH)*")));
    for (std::size_t i = 0; i < s.engine.resultCount(); ++i)
        EXPECT_EQ(s.engine.resultPath(i).find("SEARCHPATH"), std::string::npos);
}

TEST(DupScanEngine, OddNamesKeepTheirFieldsAndExactPaths) {
    TempTree t;
    const std::vector<std::string> odd = {"tab\there.dat", "line\nbreak.dat", " space.dat", "-dash.dat",
                                          "bad\xff\xfe.dat", "a\tb", "a\nb"};
    for (const std::string& n : odd) {
        t.file("one/" + n, 10);
        t.file("two/" + n, 10);
    }
    Scan s;
    QStringList lines = s.run(dups(), {t.root()});
    // Seven names, two copies each; "a\tb" and "a\nb" both show as "a?b" but are different names.
    ASSERT_EQ(lines.size(), 14);
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < s.engine.resultCount(); ++i) {
        EXPECT_EQ(lines[int(i)].count(u'\t'), 6) << qPrintable(lines[int(i)]);
        EXPECT_FALSE(lines[int(i)].contains(u'\n'));
        paths.push_back(s.engine.resultPath(i));
        struct stat st {};
        EXPECT_EQ(lstat(paths.back().c_str(), &st), 0) << paths.back();
    }
    for (std::size_t i = 0; i + 1 < paths.size(); i += 2) {
        std::string n1 = paths[i].substr(paths[i].rfind('/') + 1);
        std::string n2 = paths[i + 1].substr(paths[i + 1].rfind('/') + 1);
        EXPECT_EQ(n1, n2); // each run is one name, byte for byte
    }
    EXPECT_TRUE(fields(lines, 1).contains(QStringLiteral("tab?here.dat")));
    EXPECT_TRUE(fields(lines, 1).contains(QString::fromUtf8("bad\xef\xbf\xbd\xef\xbf\xbd.dat")));
    QStringList h = s.run(hogs(), {t.root()});
    for (const QString& l : h)
        EXPECT_EQ(l.count(u'\t'), 5);
}

TEST(DupScanEngine, Utf8LinesEqualTheTextLines) {
    TempTree t;
    std::string kana10, kana13, face6, face7; // three-byte characters are one unit, four-byte ones two
    for (int i = 0; i < 13; ++i)
        (i < 10 ? kana10 : kana13) += "\xe3\x81\x82";
    kana13 = kana10 + kana13;
    for (int i = 0; i < 7; ++i)
        (i < 6 ? face6 : face7) += "\xf0\x9f\x98\x80";
    face7 = face6 + face7;
    const std::vector<std::string> names = {"tab\there.dat", "bad\xff.x", "\xc3\xa9t\xc3\xa9.txt",
                                            "a-very-long-file-name.tar.gz", "x", kana10, kana13, face6, face7,
                                            "\xff\xfe\xfd\xfc\xfb\xfa\xf9\xf8\xf7\xf6"};
    for (const std::string& n : names) {
        t.file("one/" + n, 10);
        t.file("two/" + n, 3000);
    }
    SearchPathList list;
    list.fillFrom(QString::fromStdString(t.path("two")));
    Scan s;
    s.engine.setSearchPath(&list);
    for (bool dupMode : {true, false}) {
        s.run(dupMode ? dups() : hogs(), {t.root()});
        ASSERT_EQ(s.engine.resultCount(), 2 * names.size());
        for (std::size_t i = 0; i < s.engine.resultCount(); ++i) {
            std::string bytes;
            s.engine.appendResultLineUtf8(i, bytes);
            EXPECT_EQ(QString::fromStdString(bytes), s.engine.resultLine(i));
        }
    }
}

TEST(DupScanEngine, TypeFieldFromTheLastDot) {
    TempTree t;
    t.file("a/noext", 1);
    t.file("b/noext", 1);
    t.file("a/thing.tar.xyz", 1);
    t.file("b/thing.tar.xyz", 1);
    Scan s;
    QStringList lines = s.run(dups(), {t.root()});
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(fields(lines, 7), QStringList({"", "", "XYZ File", "XYZ File"}));
}

TEST(DupScanEngine, PatternFiltersAndAnEmptyPatternListsNothing) {
    TempTree t;
    t.file("a.txt", 1);
    t.file("b.TXT", 1);
    t.file("c.doc", 1);
    Scan s;
    DupScanCriteria c = hogs();
    c.pattern = "*.txt";
    EXPECT_EQ(s.run(c, {t.root()}).size(), 2);
    c.pattern = "";
    EXPECT_TRUE(s.run(c, {t.root()}).isEmpty());
    EXPECT_EQ(s.engine.filesSeen(), 0);
}

TEST(DupScanEngine, FullListWarnsStopsAndKeepsWhatItHas) {
    TempTree t;
    for (int i = 0; i < 6; ++i)
        t.file("f" + std::to_string(i), 2048 * (i + 1));
    RecordingMessageService messages;
    Scan s(3);
    QStringList lines = s.run(hogs(), {t.root()});
    EXPECT_TRUE(s.engine.aborted());
    EXPECT_EQ(lines.size(), 3);
    ASSERT_EQ(messages.records().size(), 1u);
    EXPECT_EQ(messages.records()[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages.records()[0].text, "Due to resource limitations ... cannot process any more files.\n\n"
                                          "Try increasing the file size limits or file match and re-scan.");
}

TEST(DupScanEngine, AbortFromTheYieldHookKeepsThePartialResult) {
    TempTree t;
    for (int i = 0; i < 20; ++i)
        t.file("a/f" + std::to_string(i), 1);
    for (int i = 0; i < 20; ++i)
        t.file("b/f" + std::to_string(i), 1);
    Scan s;
    int yields = 0;
    QStringList statuses;
    s.engine.setYieldHook([&] {
        statuses << s.engine.walkStatus(); // the folder being walked, made when asked
        if (++yields == 25)
            s.engine.abort();
    });
    QStringList lines = s.run(dups(), {t.root()});
    EXPECT_TRUE(s.engine.aborted());
    EXPECT_LT(s.engine.candidateCount(), 40u);
    EXPECT_GT(s.engine.candidateCount(), 0u);
    EXPECT_TRUE(lines.isEmpty() || lines.size() % 2 == 0);
    EXPECT_TRUE(statuses.value(0).startsWith(QString::fromStdString(t.root() + "/")))
        << statuses.value(0).toStdString();
    EXPECT_TRUE(s.engine.walkStatus().isEmpty()); // no walk now
    // A new scan starts from empty lists.
    s.engine.setYieldHook({});
    EXPECT_EQ(s.run(dups(), {t.root()}).size(), 40);
    EXPECT_FALSE(s.engine.aborted());
}

TEST(DupScanEngine, CellTextIsTheFieldOfTheLineAndMissingRootsFail) {
    TempTree t;
    t.file("p/x.txt", 5000);
    t.file("q/x.txt", 7000);
    Scan s;
    for (bool dupMode : {true, false}) {
        DupScanCriteria c = dupMode ? dups() : hogs();
        s.run(c, {t.root()});
        ASSERT_EQ(s.engine.resultCount(), 2u);
        for (std::uint32_t key : s.engine.resultKeys())
            for (int col = 0; col < (dupMode ? 7 : 6); ++col)
                EXPECT_EQ(s.engine.cellText(key, col), RecordField(s.engine.resultLine(key), col + 1));
    }
    s.engine.begin(dups());
    EXPECT_FALSE(s.engine.scanDrive(t.path("missing")));
}

TEST(DupScanEngine, ResultEntriesReachTheirFilesFromTheRootAsWalked) {
    TempTree t;
    t.file("top/same.txt", 10);
    t.file("top/a/b/same.txt", 20);
    t.file("top/a/odd\tname\xff", 30);
    t.file("else/same.txt", 40);
    t.symlink("link", "top");
    Scan s;
    // The root named through a link, with and without a trailing "/", is walked once as that link.
    s.run(hogs(), {t.path("link") + "/", t.path("link"), t.path("else")});
    ASSERT_EQ(s.engine.resultCount(), 4u);
    struct stat top {}, other {};
    ASSERT_EQ(stat(t.path("top").c_str(), &top), 0);
    ASSERT_EQ(stat(t.path("else").c_str(), &other), 0);
    std::vector<std::string> folders;
    for (std::size_t i = 0; i < s.engine.resultCount(); ++i) {
        const ListedEntry e = s.engine.resultEntry(i);
        EXPECT_EQ(e.path(), s.engine.resultPath(i));
        const bool inElse = e.root == t.path("else");
        EXPECT_EQ(e.root, inElse ? t.path("else") : t.path("link"));
        const struct stat& root = inElse ? other : top;
        EXPECT_EQ(e.rootIdentity, (EntryIdentity{root.st_dev, root.st_ino}));
        struct stat st {}, folder {};
        ASSERT_EQ(lstat(e.path().c_str(), &st), 0) << e.path();
        ASSERT_EQ(stat(e.folderPath().c_str(), &folder), 0);
        EXPECT_EQ(e.identity, (EntryIdentity{st.st_dev, st.st_ino}));
        EXPECT_EQ(e.folderIdentity, (EntryIdentity{folder.st_dev, folder.st_ino}));
        EXPECT_EQ(e.name, e.path().substr(e.path().rfind('/') + 1));
        EXPECT_FALSE(e.isFolder);
        EXPECT_EQ(e.size, st.st_size);
        EXPECT_TRUE(e.modifiedKnown);
        EXPECT_EQ(e.modifiedNs, NanosecondStamp(st.st_mtim));
        EXPECT_EQ(FileDateText(PackFileTime(st.st_mtim)), RecordField(s.engine.resultLine(i), 2));
        folders.push_back(e.folder);
    }
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::string>{"", "", "a", "a/b"}));
    EXPECT_EQ(s.engine.resultEntry(4).name, ""); // beyond the results: an empty entry
}

TEST(DupRecordStore, FoldersArePlacedBelowTheirRootAndRecordsStaySmall) {
    EXPECT_EQ(sizeof(DupRecord), 36u);
    DupRecordStore store;
    EXPECT_FALSE(store.addFolder("/a", false, {})); // no root yet
    ASSERT_TRUE(store.addRoot("/", {1, 2}));
    ASSERT_TRUE(store.addFolder("/", false, {1, 2}));
    ASSERT_TRUE(store.add("x", 1, 7, 0, 0));
    ASSERT_TRUE(store.addFolder("/a/b", false, {1, 3}));
    ASSERT_TRUE(store.add("y.txt", 2, 8, 0, 0));
    ASSERT_TRUE(store.addRoot("/r", {4, 5}));
    EXPECT_FALSE(store.addFolder("/rx/y", false, {4, 6})); // shares the text, not the folder
    EXPECT_FALSE(store.addFolder("/a", false, {1, 6}));
    ASSERT_TRUE(store.addFolder("/r/s", false, {4, 6}));
    ASSERT_TRUE(store.add("zz", 3, 9, 0, 0));
    const std::vector<std::tuple<std::string, std::string, std::string, ino_t>> want = {
        {"/", "", "x", 7}, {"/", "a/b", "y.txt", 8}, {"/r", "s", "zz", 9}};
    ASSERT_EQ(store.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        const ListedEntry e = store.entry(i);
        EXPECT_EQ(e.root, std::get<0>(want[i]));
        EXPECT_EQ(e.folder, std::get<1>(want[i]));
        EXPECT_EQ(e.name, std::get<2>(want[i])); // lengths follow from the next record's offset
        EXPECT_EQ(e.identity.inode, std::get<3>(want[i]));
        EXPECT_EQ(e.identity.device, e.folderIdentity.device);
        EXPECT_EQ(e.path(), store.path(i));
    }
    EXPECT_EQ(store.fileSize(2), 3);
    // Sizes beyond 48 bits are kept whole beside the records.
    ASSERT_TRUE(store.add("sparse", std::int64_t(1) << 60, 10, 0, 0));
    ASSERT_TRUE(store.add("after", (std::int64_t(1) << 48) - 2, 11, 0, 0));
    EXPECT_EQ(store.fileSize(3), std::int64_t(1) << 60);
    EXPECT_EQ(store.fileSize(4), (std::int64_t(1) << 48) - 2);
    EXPECT_EQ(store.entry(3).size, std::int64_t(1) << 60);
    EXPECT_EQ(store.name(4), "after");
}

// Folders are kept as names under their parents: a chain of long names, a file at every level,
// costs its names, not a copy of the path above each folder, and still orders by whole folder texts.
TEST(DupScanEngine, DeepLongNamesCostTheirNamesOnly) {
    TempTree t;
    const std::string name(250, 'n');
    const int depth = 300;
    t.deepChain("", depth, name);
    int fd = ::open(t.root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level <= depth; ++level) {
        ::close(::openat(fd, "same.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
        if (level < depth) {
            const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ::close(fd);
            fd = next;
        }
    }
    ::close(fd);
    Scan s;
    const QStringList lines = s.run(dups(), {t.root()});
    ASSERT_EQ(lines.size(), depth + 1);
    // A copy of the path per folder would be some 11 MB here.
    EXPECT_LT(s.engine.memoryBytes(), std::size_t(8) * depth * name.size());
    for (std::size_t i = 0; i < s.engine.resultCount(); ++i) {
        // Each folder's text begins the next one's: shallower first.
        EXPECT_EQ(s.engine.resultPath(i).size(), t.root().size() + i * (name.size() + 1) + 9);
        EXPECT_EQ(s.engine.resultEntry(i).path(), s.engine.resultPath(i));
    }
}

TEST(DupScanEngine, AFileRewrittenWithItsTimesSetBackIsNotTheOneListed) {
    TempTree t;
    t.file("a/same.txt", 5);
    t.file("b/same.txt", 5);
    Scan s;
    ASSERT_EQ(s.run(dups(), {t.root()}).size(), 2);
    const ListedEntry e = s.engine.resultEntry(0);
    EXPECT_EQ(ListedFileSizeNow(e), 5);
    ASSERT_TRUE(RewriteKeepingTime(e.path(), 'y'));
    EXPECT_FALSE(ListedFileSizeNow(e).has_value());
}
