// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/daterange/DateRangeEngine.h"
#include "common/DosDateTime.h"
#include "common/GridSorts.h"
#include "common/StringGridModel.h"
#include "delete/ListedFileRemoval.h"
#include "platform/ListedFolder.h"
#include "support/RecordingMessageService.h"
#include "support/RewriteKeepingTime.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"

#include <QDateTime>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Seconds since the epoch of a local date and time.
std::time_t localTime(int y, int m, int d, int hh = 12, int mm = 0) {
    return QDateTime(QDate(y, m, d), QTime(hh, mm)).toSecsSinceEpoch();
}

DateScanCriteria criteria(DateKind kind, DateRange range, QDate start, QDate end = {}, QString pattern = "*.*") {
    return {kind, range, start, end, pattern};
}

struct DateScan {
    explicit DateScan(std::size_t capacity = DateRangeEngine::DefaultCapacity) : engine(capacity) {
        engine.setFoundHook([this](std::uint32_t i) { found.push_back(i); });
    }
    std::vector<std::string> run(const DateScanCriteria& c, const std::vector<std::string>& roots) {
        engine.begin(c);
        for (const std::string& r : roots)
            engine.scanDrive(r);
        std::vector<std::string> names;
        for (std::size_t i = 0; i < engine.resultCount(); ++i) {
            const std::string p = engine.resultPath(i);
            names.push_back(p.substr(p.rfind('/') + 1));
        }
        return names;
    }
    DateRangeEngine engine;
    std::vector<std::uint32_t> found;
};

} // namespace

TEST(DateRange, WholeDaysBothEndsIncludedAndTimeZeroOnlyOnOrBefore) {
    const std::uint32_t evening = PackDosDateTime(2024, 6, 30, 23, 59, 58);
    const std::uint32_t morning = PackDosDateTime(2024, 6, 1, 0, 0, 0);
    const QDate first(2024, 6, 1), last(2024, 6, 30);
    EXPECT_TRUE(DateRangeEngine::inDateRange(evening, criteria(DateKind::Modified, DateRange::Between, first, last)));
    EXPECT_TRUE(DateRangeEngine::inDateRange(morning, criteria(DateKind::Modified, DateRange::Between, first, last)));
    EXPECT_TRUE(DateRangeEngine::inDateRange(evening, criteria(DateKind::Modified, DateRange::Between, last, last)));
    EXPECT_FALSE(DateRangeEngine::inDateRange(morning, criteria(DateKind::Modified, DateRange::Between, last, last)));
    EXPECT_FALSE(DateRangeEngine::inDateRange(evening, criteria(DateKind::Modified, DateRange::Between, last, first)));
    EXPECT_TRUE(DateRangeEngine::inDateRange(evening, criteria(DateKind::Modified, DateRange::OnOrBefore, last)));
    EXPECT_FALSE(DateRangeEngine::inDateRange(evening, criteria(DateKind::Modified, DateRange::OnOrAfter, last.addDays(1))));
    // Years a date box can hold beyond what a packed date holds still compare as days.
    EXPECT_TRUE(DateRangeEngine::inDateRange(morning, criteria(DateKind::Modified, DateRange::OnOrAfter, QDate(1979, 12, 31))));
    EXPECT_TRUE(DateRangeEngine::inDateRange(morning, criteria(DateKind::Modified, DateRange::OnOrBefore, QDate(2108, 1, 1))));
    for (DateRange r : {DateRange::Between, DateRange::OnOrAfter})
        EXPECT_FALSE(DateRangeEngine::inDateRange(0, criteria(DateKind::Created, r, QDate(1980, 1, 1), last)));
    EXPECT_TRUE(DateRangeEngine::inDateRange(0, criteria(DateKind::Created, DateRange::OnOrBefore, QDate(1980, 1, 1))));
    // A packed value that is no real date reads as 1 January 1980, as its date text shows.
    const std::uint32_t bogus = PackDosDateTime(1990, 13, 40, 0, 0, 0);
    EXPECT_TRUE(DateRangeEngine::inDateRange(bogus, criteria(DateKind::Modified, DateRange::OnOrBefore, QDate(1980, 1, 1))));
}

TEST(DateRange, ScanFindsFilesInWalkOrderWithTheirLinesAndEntries) {
    TempTree t;
    RecordingMessageService messages;
    t.file("in-range.txt", 10);
    t.file("sub/also.txt", 20);
    t.file("sub/other.dat", 30);
    t.file("old.txt", 40);
    t.file(".hidden.txt", 1);
    t.file(".hidden-folder/in.txt", 1);
    t.file("before-1980.txt", 1);
    t.file("in-2200.txt", 1);
    t.file(std::string("tab\there\nline\xff.txt"), 5);
    for (const char* f : {"in-range.txt", "sub/also.txt", "sub/other.dat", ".hidden.txt", ".hidden-folder/in.txt"})
        t.setTimes(f, localTime(2020, 1, 1), localTime(2024, 6, 15, 23, 59));
    t.setTimes(std::string("tab\there\nline\xff.txt"), localTime(2020, 1, 1), localTime(2024, 6, 15));
    t.setTimes("old.txt", localTime(2020, 1, 1), localTime(2000, 1, 1));
    t.setTimes("before-1980.txt", localTime(2020, 1, 1), 86400 * 365);
    t.setTimes("in-2200.txt", localTime(2020, 1, 1), localTime(2200, 1, 1));

    DateScan s;
    const auto june = criteria(DateKind::Modified, DateRange::Between, QDate(2024, 6, 1), QDate(2024, 6, 30), "*.txt");
    std::vector<std::string> names = s.run(june, {t.root()});
    // The sub-folder's files come before the root's own; hidden and unmatched ones never.
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], "also.txt");
    EXPECT_EQ(s.found, (std::vector<std::uint32_t>{0, 1, 2}));
    const QStringList line = s.engine.resultLine(0).split(u'\t');
    ASSERT_EQ(line.size(), 6);
    EXPECT_EQ(line[0], "also.txt"); // case kept, no spaces before the tab
    EXPECT_EQ(line[3], FileDateText(PackFileTime({localTime(2024, 6, 15, 23, 59), 0})));
    EXPECT_EQ(line[4], QString::fromStdString(t.path("sub")));
    EXPECT_EQ(s.engine.cellText(0, 0), "also.txt");
    EXPECT_EQ(s.engine.cellText(0, 4), QString::fromStdString(t.path("sub")));
    for (const QString& l : s.engine.resultLines())
        EXPECT_EQ(l.count(u'\t'), 5) << l.toStdString();
    // The command-line text is the same line.
    for (std::size_t i = 0; i < s.engine.resultCount(); ++i) {
        std::string utf8;
        s.engine.appendResultLineUtf8(i, utf8);
        EXPECT_EQ(QString::fromStdString(utf8), s.engine.resultLine(i));
    }
    // The entry reaches the file again, identity and all.
    const ListedEntry e = s.engine.resultEntry(0);
    EXPECT_EQ(e.path(), t.path("sub/also.txt"));
    EXPECT_EQ(e.size, 20);
    EXPECT_TRUE(OpenListedFolder(e).valid());
    // Its change time is part of it: rewritten with the times set back, it is not the file found.
    EXPECT_EQ(ListedFileSizeNow(e), 20);
    ASSERT_TRUE(RewriteKeepingTime(e.path(), 'A'));
    EXPECT_FALSE(ListedFileSizeNow(e).has_value());

    // Times outside the packed years have no date: found only by "On or Before".
    names = s.run(criteria(DateKind::Modified, DateRange::OnOrBefore, QDate(1980, 1, 1), {}, "in-2200.txt;before-1980.txt"),
                  {t.root()});
    EXPECT_EQ(names.size(), 2u);
    EXPECT_TRUE(s.run(criteria(DateKind::Modified, DateRange::OnOrAfter, QDate(1980, 1, 1), {}, "in-2200.txt"),
                      {t.root()}).empty());
    EXPECT_TRUE(s.run(criteria(DateKind::Modified, DateRange::OnOrAfter, QDate(1980, 1, 1), {}, ""), {t.root()}).empty());
}

TEST(DateRange, CreatedTimesDeniedFoldersAbortAndAFullList) {
    TempTree t;
    RecordingMessageService messages;
    t.file("a/one", 1);
    t.file("a/two", 1);
    t.file("locked/secret", 1);
    t.setMode("locked", 0700);
    const QDate today = QDate::currentDate();
    DateScan s;
    std::vector<std::pair<std::string, int>> skipped;
    s.engine.skipped().setReporter([&](const std::string& p, int e) { skipped.emplace_back(p, e); });
    {
        AsUnprivileged nobody;
        s.run(criteria(DateKind::Accessed, DateRange::OnOrAfter, today.addDays(-1)), {t.root()});
    }
    EXPECT_EQ(s.engine.resultCount(), 2u);
    EXPECT_EQ(skipped, (std::vector<std::pair<std::string, int>>{{t.path("locked"), EACCES}}));

    // A filesystem that keeps no birth time: every file's creation time is 0.
    ScopedMount ram("none", t.folder("ram"), "tmpfs", 0);
    if (ram.mounted) {
        t.file("ram/made", 1);
        struct statx sx {};
        const bool keepsBirth = ::statx(AT_FDCWD, t.path("ram/made").c_str(), 0, STATX_BTIME, &sx) == 0 &&
                                (sx.stx_mask & STATX_BTIME);
        const auto created = criteria(DateKind::Created, DateRange::OnOrAfter, QDate(1980, 1, 1));
        EXPECT_EQ(s.run(created, {t.path("ram")}).size(), keepsBirth ? 1u : 0u);
        if (!keepsBirth) {
            ASSERT_EQ(s.run(criteria(DateKind::Created, DateRange::OnOrBefore, today), {t.path("ram")}).size(), 1u);
            EXPECT_EQ(s.engine.resultLine(0).split(u'\t').at(1), "");
        }
    }

    DateScan aborted;
    aborted.engine.setFoundHook([&](std::uint32_t) { aborted.engine.abort(); });
    aborted.run(criteria(DateKind::Accessed, DateRange::OnOrAfter, today.addDays(-1)), {t.path("a")});
    EXPECT_EQ(aborted.engine.resultCount(), 1u);

    DateScan full(1);
    full.run(criteria(DateKind::Accessed, DateRange::OnOrAfter, today.addDays(-1)), {t.path("a")});
    EXPECT_EQ(full.engine.resultCount(), 1u);
    EXPECT_TRUE(full.engine.aborted());
    EXPECT_TRUE(messages.saw("Resource limit reached ... cannot process any more files.\n"
                             "Try decreasing the file date range."));
}

TEST(DateRange, GridSortsOrderTimesAsPointsInTimeAndTiesByNameThenFolder) {
    TempTree t;
    RecordingMessageService messages;
    // Walk order: y's files, then x's (sub-folders first, in listing order, which the test does not fix).
    const std::pair<const char*, std::time_t> made[] = {{"y/one.txt", localTime(2024, 12, 6, 3, 25)},
                                                        {"x/one.txt", localTime(2024, 12, 6, 3, 25)},
                                                        {"x/Two.txt", localTime(2024, 12, 6, 21, 34)},
                                                        {"y/two.txt", localTime(2024, 12, 6, 19, 54)},
                                                        {"y/zero.txt", localTime(2021, 11, 9, 9, 0)}};
    for (const auto& [name, when] : made) {
        t.file(name, 1);
        t.setTimes(name, when, when);
    }
    DateScan s;
    s.run(criteria(DateKind::Modified, DateRange::OnOrAfter, QDate(2000, 1, 1)), {t.root()});
    ASSERT_EQ(s.engine.resultCount(), 5u);
    StringGridModel grid;
    grid.setRowSource(&s.engine);
    std::vector<std::uint32_t> keys(s.engine.resultCount());
    for (std::uint32_t k = 0; k < keys.size(); ++k)
        keys[k] = k;
    grid.appendKeyRows(keys);
    auto paths = [&] {
        std::vector<std::string> out;
        for (int r = 1; r < grid.gridRowCount(); ++r)
            out.push_back(s.engine.resultPath(grid.keyOf(r)).substr(t.root().size() + 1));
        return out;
    };
    const int last = grid.gridRowCount() - 1;
    for (int column : {1, 3}) { // accessed, modified: newest first, equal times by name, then folder
        SortGridByDate(grid, 1, last, true, column);
        EXPECT_EQ(paths(), (std::vector<std::string>{"x/Two.txt", "y/two.txt", "x/one.txt", "y/one.txt",
                                                     "y/zero.txt"}));
    }
    // Names descending (names that differ in case only, by their bytes), equal names by folder ascending.
    SortGridByText(grid, 1, last, true, 0);
    EXPECT_EQ(paths(),
              (std::vector<std::string>{"y/zero.txt", "y/two.txt", "x/Two.txt", "x/one.txt", "y/one.txt"}));
    SortGridByText(grid, 1, last, false, 4); // folders, then names
    EXPECT_EQ(paths(),
              (std::vector<std::string>{"x/one.txt", "x/Two.txt", "y/one.txt", "y/two.txt", "y/zero.txt"}));
    SortGridByText(grid, 1, last, false, 5); // one type: by name, then folder
    EXPECT_EQ(paths(),
              (std::vector<std::string>{"x/one.txt", "y/one.txt", "x/Two.txt", "y/two.txt", "y/zero.txt"}));
}
