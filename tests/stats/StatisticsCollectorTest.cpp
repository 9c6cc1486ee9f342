// SPDX-License-Identifier: GPL-3.0-or-later
#include "stats/StatisticsCollector.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"

#include <QDateTime>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <thread>

namespace {

const QDate kToday(2026, 6, 15);

std::time_t daysAgo(int days) { return QDateTime(kToday.addDays(-days), QTime(12, 0)).toSecsSinceEpoch(); }

StatisticsCollector collectorForToday() {
    return StatisticsCollector([] { return kToday; });
}

} // namespace

TEST(StatisticsRules, SizeAgeAndExtensionRules) {
    EXPECT_EQ(StatisticsCollector::sizeClass(0), 1);
    EXPECT_EQ(StatisticsCollector::sizeClass(16'384), 1);
    EXPECT_EQ(StatisticsCollector::sizeClass(16'385), 2);
    EXPECT_EQ(StatisticsCollector::sizeClass(16'777'216), 8);
    EXPECT_EQ(StatisticsCollector::sizeClass(std::int64_t(5) << 30), 9);
    const std::pair<std::int64_t, int> ages[] = {{-1, 0},  {0, 1},   {7, 1},   {8, 2},   {30, 2},  {31, 3},
                                                 {60, 3},  {61, 4},  {90, 4},  {91, 5},  {120, 5}, {121, 6},
                                                 {365, 6}, {366, 7}, {730, 7}, {731, 8}, {1095, 8}, {1096, 9}};
    for (const auto& [days, cls] : ages)
        EXPECT_EQ(StatisticsCollector::ageClass(days), cls) << days;
    EXPECT_EQ(StatisticsCollector::extensionOf("a.txt"), ".TXT");
    EXPECT_EQ(StatisticsCollector::extensionOf("archive.tar.Gz"), ".GZ");
    EXPECT_EQ(StatisticsCollector::extensionOf("README"), "");
    EXPECT_TRUE(StatisticsCollector::isTypeExtension(".HTML"));
    EXPECT_FALSE(StatisticsCollector::isTypeExtension(".HTML2"));
    EXPECT_TRUE(StatisticsCollector::isTypeExtension(".\xc3\xa4\xc3\xb6\xc3\xbc")); // three letters, six bytes
}

TEST(StatisticsCollection, EveryFileOfEveryEnteredFolderIsCounted) {
    TempTree t;
    t.file("A.TXT", 100);
    t.file("sub/B.txt", 20'000);
    t.file("sub/README", 16'384);
    t.file("sub/.hidden", 16'385);              // hidden files count
    t.file(".secret/unseen.txt", 5);            // a hidden folder is never entered
    t.file("big/sparse.img", std::int64_t(5) << 30);
    t.file("big/more.bin", std::int64_t(3) << 30);
    t.setMode("A.TXT", 0444);
    t.symlink("sub/loop", "..");                // a link counts as itself, never followed
    t.setTimes("A.TXT", daysAgo(7), daysAgo(8));
    t.setTimes("sub/B.txt", daysAgo(-400), daysAgo(1096)); // accessed in the future: a positive age
    StatisticsCollector c = collectorForToday();
    ASSERT_TRUE(c.collect(t.root()));
    const FileStatistics& s = c.statistics();
    EXPECT_EQ(s.filesProcessed, 7);
    EXPECT_FALSE(s.aborted);

    EXPECT_EQ(s.sizes[1].files, 3); // A.TXT, README (exactly 16 K) and the link
    EXPECT_EQ(s.sizes[2].files, 2); // B.txt, .hidden
    EXPECT_EQ(s.sizes[9].files, 2);
    EXPECT_EQ(s.sizes[9].bytes, (std::int64_t(8) << 30)); // 64-bit sums
    EXPECT_EQ(s.accessed[1].files, 1); // A.TXT, 7 days ago
    EXPECT_EQ(s.accessed[7].files, 1); // B.txt, 400 days ahead: a positive age too
    EXPECT_EQ(s.modified[2].files, 1);
    EXPECT_EQ(s.modified[9].files, 1);

    EXPECT_EQ(s.readOnly.files, 1);
    EXPECT_EQ(s.readOnly.bytes, 100);
    EXPECT_EQ(s.hidden.files, 1);
    EXPECT_EQ(s.system.files, 1); // the link
    EXPECT_EQ(s.archive.files, 0);

    // Types in the order first met; A.TXT and B.txt share one line; README shares the empty one.
    std::map<std::string, FileCount> types;
    std::map<std::string, std::string> spellings;
    for (const TypeCount& type : s.types) {
        types[type.extension] = type.count;
        spellings[type.extension] = type.spelling;
    }
    EXPECT_EQ(types[".TXT"].files, 2);
    EXPECT_EQ(spellings[".TXT"],
              ".txt"); // the type is looked up by the files' own spelling, lower case first
    EXPECT_EQ(spellings[".IMG"], ".img");
    EXPECT_EQ(types[".TXT"].bytes, 20'100);
    EXPECT_EQ(types[""].files, 2); // README and the link; ".hidden" is all extension, too long for a type
    EXPECT_EQ(types.count(".SECRET"), 0u);

    // The sparse files take next to nothing on disk and lose nothing to rounding.
    EXPECT_LT(s.allocatedBytes, std::int64_t(1) << 30);
    EXPECT_GT(s.lostBytes, 0);
    EXPECT_LT(s.lostBytes, s.allocatedBytes);
}

TEST(StatisticsCollection, TypeTableLimitNoBirthTimeDeniedFoldersAndAbort) {
    TempTree t;
    for (int i = 0; i < 600; ++i)
        t.file("many/f." + std::to_string(1000 + i), 1);
    t.file("locked/secret", 1);
    t.setMode("locked", 0700);
    StatisticsCollector c = collectorForToday();
    std::vector<std::pair<std::string, int>> skipped;
    c.skipped().setReporter([&](const std::string& p, int e) { skipped.emplace_back(p, e); });
    {
        AsUnprivileged nobody;
        ASSERT_TRUE(c.collect(t.root()));
    }
    EXPECT_EQ(c.statistics().types.size(), FileStatistics::MaxTypes);
    EXPECT_EQ(c.statistics().filesProcessed, 600); // the rest still count everywhere else
    EXPECT_EQ(c.statistics().sizes[1].files, 600);
    EXPECT_EQ(skipped, (std::vector<std::pair<std::string, int>>{{t.path("locked"), EACCES}}));

    ScopedMount ram("none", t.folder("ram"), "tmpfs", 0);
    if (ram.mounted) {
        t.file("ram/made", 1);
        struct statx sx {};
        const bool keepsBirth = ::statx(AT_FDCWD, t.path("ram/made").c_str(), 0, STATX_BTIME, &sx) == 0 &&
                                (sx.stx_mask & STATX_BTIME);
        ASSERT_TRUE(c.collect(t.path("ram")));
        EXPECT_EQ(c.statistics().created[0].files, keepsBirth ? 0 : 1); // "Not recorded"
    }

    // Cancel stops the walk at once, the counters keep what was counted; a new run starts afresh.
    c.setFolderHook([&c](std::string_view) { std::thread([&c] { c.abort(); }).join(); });
    c.collect(t.path("many"));
    EXPECT_TRUE(c.statistics().aborted);
    EXPECT_EQ(c.statistics().filesProcessed, 0);
    c.setFolderHook(nullptr);
    ASSERT_TRUE(c.collect(t.path("many")));
    EXPECT_FALSE(c.statistics().aborted);
    EXPECT_EQ(c.statistics().filesProcessed, 600);
}
