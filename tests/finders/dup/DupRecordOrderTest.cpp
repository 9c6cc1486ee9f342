// SPDX-License-Identifier: GPL-3.0-or-later
// The record order computed from compact records must be the order of the rendered lines.
#include "common/DisplayText.h"
#include "common/DosDateTime.h"
#include "common/RecordField.h"
#include "finders/dup/DupRecordStore.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <random>

namespace {

int compareText(const QString& a, const QString& b) {
    QByteArray ua = a.toUtf8(), ub = b.toUtf8();
    return CompareFolded(std::string_view(ua.constData(), ua.size()), std::string_view(ub.constData(), ub.size()));
}

// A store full of near misses: case variants, prefixes, padding edges, odd bytes, big sizes, no dates.
DupRecordStore makeStore(unsigned seed) {
    const std::vector<std::string> names = {
        "abc", "ABC", "abcd", "abc d", "abc.d", "abc-", "abc_", "abc~", "Readme.txt", "README.TXT", "readme.txt ",
        "exactly14chars", "exactly14chars.x", "thirteen13chr", "a very long file name indeed.dat",
        "\xc3\xa9t\xc3\xa9", "\xc3\xa9", "e", "tab\there", "tab\nhere", "tab?here", "bad\xff", "bad\xfe", "x_y", "x[y",
        "Z", "z", "`q", "@q", "abcdefghijklmnopqrstuvwxyz{", "ABCDEFGHIJKLMNOPQRSTUVWXYZ{", "ABCDEFGHIJKLMNOPQRSTUVWXYZ[",
        "\xe1\xe2", "\xc1\xc2", "\xe1\xc2", "\xfa\xfb\xfc\xfd\xfe\xff\xe0\xe1z"};
    const std::vector<std::int64_t> sizes = {0, 1, 50, 103, 205, 206, 1023, 1024, 2047, 10240, 10500, 11264,
                                             10239 * 1024, 10240 * 1024, 99999 * 1024, 100000 * 1024,
                                             123456 * 1024, std::int64_t(5) << 30};
    const std::vector<std::uint32_t> times = {
        0, PackDosDateTime(2020, 1, 2, 3, 4, 6), PackDosDateTime(2019, 12, 1, 13, 4, 6),
        PackDosDateTime(2020, 1, 2, 23, 59, 58), PackDosDateTime(2001, 11, 30, 9, 0, 0),
        PackDosDateTime(2050, 6, 15, 12, 0, 0)};
    std::mt19937 rng(seed);
    DupRecordStore store;
    store.addRoot("/", {});
    const std::vector<std::pair<std::string, bool>> folders = {
        {"/", false}, {"/a", false}, {"/a/b", true}, {"/A", false}, {"/a b", false}, {"/ab", true}, {"/a\x01z", false}};
    for (int f = 0; f < 12; ++f) {
        const auto& folder = folders[rng() % folders.size()];
        store.addFolder(folder.first, folder.second, {});
        for (int i = 0; i < 40; ++i)
            store.add(names[rng() % names.size()], sizes[rng() % sizes.size()], std::uint64_t(i),
                      times[rng() % times.size()], times[rng() % times.size()]);
    }
    return store;
}

} // namespace

TEST(DupRecordOrder, CandidateOrderIsTheAscendingLineOrder) {
    for (unsigned seed : {1u, 2u, 3u}) {
        DupRecordStore store = makeStore(seed);
        std::vector<std::uint32_t> got = store.candidateOrder();
        ASSERT_EQ(got.size(), store.size());
        for (std::size_t i = 0; i + 1 < got.size(); ++i) {
            QString a = store.line(got[i], true), b = store.line(got[i + 1], true);
            int c = compareText(a, b);
            if (c > 0) {
                // Only names that show alike but are different bytes are kept apart against the text order.
                EXPECT_EQ(compareText(RecordField(a, 1), RecordField(b, 1)), 0) << qPrintable(a) << "\n" << qPrintable(b);
                EXPECT_FALSE(store.sameKey(got[i], got[i + 1], false));
            }
        }
        // Runs of one name are unbroken, so the duplicate sweep sees every copy together.
        for (std::size_t i = 0; i < got.size(); ++i)
            for (std::size_t j = i + 2; j < got.size() && store.sameKey(got[i], got[j], false); ++j)
                EXPECT_TRUE(store.sameKey(got[i], got[j - 1], false));
    }
}

namespace {

void expectHogOrder(const DupRecordStore& store) {
    std::vector<std::uint32_t> got = store.hogOrder();
    ASSERT_EQ(got.size(), store.size());
    auto k = [](const QString& sizeField) { return sizeField.chopped(2).trimmed().toDouble(); };
    for (std::size_t i = 0; i + 1 < got.size(); ++i) {
        QString a = store.line(got[i], false), b = store.line(got[i + 1], false);
        double ka = k(RecordField(a, 1)), kb = k(RecordField(b, 1));
        ASSERT_GE(ka, kb) << qPrintable(a) << "\n" << qPrintable(b);
        if (ka == kb) {
            ASSERT_GE(compareText(a, b), 0) << qPrintable(a) << "\n" << qPrintable(b);
        }
    }
}

} // namespace

TEST(DupRecordOrder, HogOrderIsNumericSizeThenTheDescendingRestOfTheLine) {
    for (unsigned seed : {4u, 5u})
        expectHogOrder(makeStore(seed));
    // So many dates, times and files that their ranks no longer fit one word with the index.
    std::mt19937 rng(9);
    DupRecordStore store;
    store.addRoot("/", {});
    store.addFolder("/many", false, {});
    for (std::uint32_t i = 0; i < 70000; ++i) {
        const auto day = rng() % 46000, second = rng() % 86400;
        const std::uint32_t when = PackDosDateTime(1980 + int(day / 360), int(day / 30 % 12) + 1, int(day % 30) + 1,
                                                   int(second / 3600), int(second / 60 % 60), int(second % 60));
        store.add("f" + std::to_string(rng() % 50), std::int64_t(rng() % 4) * 1000, i, when, when);
    }
    expectHogOrder(store);
}

TEST(DupRecordOrder, DuplicateOrderIsTheSweepOfTheCandidateList) {
    for (unsigned seed : {6u, 7u, 8u}) {
        DupRecordStore store = makeStore(seed);
        const std::vector<std::uint32_t> list = store.candidateOrder();
        for (bool exact : {false, true}) {
            // addDups as written: every run of two or more equal keys, in full, in list order.
            std::vector<std::uint32_t> want;
            for (std::size_t i = 0; i + 1 < list.size();) {
                std::size_t j = i + 1;
                for (; j < list.size() && store.sameKey(list[i], list[j], exact); ++j) {
                    if (j == i + 1)
                        want.push_back(list[i]);
                    want.push_back(list[j]);
                }
                i = j;
            }
            EXPECT_EQ(store.duplicateOrder(exact), want) << "seed " << seed << (exact ? " exact" : "");
            EXPECT_FALSE(want.empty());
        }
    }
    // Bytes from 0x80 on are no letters, whatever their low bits: "\xe1" is not "\xc1" folded.
    DupRecordStore store;
    store.addRoot("/", {});
    store.addFolder("/", false, {});
    for (const char* n : {"\xe1x", "\xc1x", "\xc1X", "longer than eight bytes.e", "LONGER THAN EIGHT BYTES.E"})
        store.add(n, 1, 0, 0, 0);
    EXPECT_EQ(store.duplicateOrder(false).size(), 4u);
    EXPECT_FALSE(store.sameKey(0, 1, false));
    EXPECT_TRUE(store.sameKey(1, 2, false));
}
