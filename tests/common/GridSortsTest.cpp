// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/DosDateTime.h"
#include "common/GridSorts.h"
#include "common/StringGridModel.h"

#include <QDate>
#include <QLocale>
#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace {

// A grid of two columns: the sorted text and a row id that shows where each row went.
void Fill(StringGridModel& grid, const QStringList& texts) {
    grid.setTitles({"Key", "Id"});
    for (int i = 0; i < texts.size(); ++i)
        grid.appendTextRow({texts[i], QString::number(i)});
}

QStringList Column(const StringGridModel& grid, int column) {
    QStringList out;
    for (int r = 1; r < grid.gridRowCount(); ++r)
        out << grid.cellText(r, column);
    return out;
}

// The partition procedure written out plainly on grid rows lo..hi, comparing cell texts afresh at every
// step, as an independent account of where equal keys must end.
using Before = std::function<bool(const QString&, const QString&)>;
void ReferenceSort(QList<QStringList>& rows, int lo, int hi, bool textKeys, const Before& before) {
    auto key = [&rows](int r) { return rows[r][0]; };
    if (textKeys && hi - lo <= 4) {
        bool again = true;
        while (again) {
            again = false;
            for (int k = lo; k <= hi - 1; ++k)
                if (before(key(k + 1), key(k))) {
                    rows.swapItemsAt(k, k + 1);
                    again = true;
                }
        }
        return;
    }
    if (lo >= hi)
        return;
    const QString pivot = key((lo + hi) / 2);
    int i = lo, j = hi;
    while (i <= j) {
        while (before(key(i), pivot))
            ++i;
        while (before(pivot, key(j)))
            --j;
        if (i <= j) {
            rows.swapItemsAt(i, j);
            ++i;
            --j;
        }
    }
    ReferenceSort(rows, lo, j, textKeys, before);
    ReferenceSort(rows, i, hi, textKeys, before);
}

// Ids in the order that the reference procedure leaves rows 1..n (index 0 stands for the title row).
QStringList ReferenceOrder(const QStringList& texts, bool textKeys, const Before& before) {
    QList<QStringList> rows{{"", ""}};
    for (int i = 0; i < texts.size(); ++i)
        rows << QStringList{texts[i], QString::number(i)};
    ReferenceSort(rows, 1, static_cast<int>(texts.size()), textKeys, before);
    QStringList ids;
    for (int r = 1; r < rows.size(); ++r)
        ids << rows[r][1];
    return ids;
}

QString Upper(const QString& s) {
    QString u = s;
    for (QChar& c : u)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return u;
}
bool TextLess(const QString& a, const QString& b) { return Upper(a).toUtf8() < Upper(b).toUtf8(); }
double Number(const QString& s) {
    bool ok = false;
    const double v = QLocale().toDouble(QString(s).remove(','), &ok);
    return ok ? v : 0;
}
QDate Date(const QString& s) {
    const QDate d = QLocale().toDate(s, FileDateFormat());
    return d.isValid() ? d : QDate(1900, 1, 1);
}

// Texts drawn from a few values, so most keys are tied, in an order fixed by the seed.
QStringList Ties(const QStringList& values, int count, unsigned seed) {
    std::mt19937 random(seed);
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts << values[static_cast<int>(random() % values.size())];
    return texts;
}

QString SizeText(int k) { return QStringLiteral("%1 K").arg(k, 5); }

} // namespace

TEST(GridSorts, TextSortsUpperCasedBytesWithSpacesBelowDigits) {
    StringGridModel grid;
    Fill(grid, {"  250 K", "   12 K", "100000 K", "     0.5 K"});
    SortGridByText(grid, 1, 4, true, 0);
    EXPECT_EQ(Column(grid, 0), QStringList({"100000 K", "  250 K", "   12 K", "     0.5 K"}));

    // "abc" and "ABC" are one key: a short range keeps equal keys where they stood.
    StringGridModel cased;
    Fill(cased, {"abd", "abc", "ABC", "ab"});
    SortGridByText(cased, 1, 4, false, 0);
    EXPECT_EQ(Column(cased, 0), QStringList({"ab", "abc", "ABC", "abd"}));
    StringGridModel swapped;
    Fill(swapped, {"ABC", "abc"});
    SortGridByText(swapped, 1, 2, false, 0);
    EXPECT_EQ(Column(swapped, 0), QStringList({"ABC", "abc"}));

    // UTF-8 bytes: non-ASCII letters are not folded and sort after ASCII.
    StringGridModel wide;
    Fill(wide, {"\u00e9t\u00e9", "zulu", "\u00c9T\u00c9", "Ab"});
    SortGridByText(wide, 1, 4, false, 0);
    EXPECT_EQ(Column(wide, 0), QStringList({"Ab", "zulu", "\u00c9T\u00c9", "\u00e9t\u00e9"}));
}

TEST(GridSorts, NumberSortReadsSeparatorsAndCountsUnreadableTextAsZero) {
    StringGridModel grid;
    Fill(grid, {"n/a", "999", "1,024", "-3"});
    SortGridByNumber(grid, 1, 4, true, 0);
    EXPECT_EQ(Column(grid, 0), QStringList({"1,024", "999", "n/a", "-3"}));

    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    StringGridModel german;
    Fill(german, {"1.024,5", "999", "1,5"});
    SortGridByNumber(german, 1, 3, false, 0);
    QLocale::setDefault(saved);
    EXPECT_EQ(Column(german, 0), QStringList({"1,5", "999", "1.024,5"})) << "a decimal comma is not a group separator";
}

TEST(GridSorts, DateSortPutsEmptyAndUnreadableDatesAtFirstOfJanuary1900) {
    const QString format = FileDateFormat();
    EXPECT_EQ(format, "M/d/yyyy");
    auto text = [&format](int y, int m, int d) { return QLocale().toString(QDate(y, m, d), format); };
    StringGridModel grid;
    Fill(grid, {text(2024, 3, 1), "", text(1899, 12, 31), "not a date", text(1995, 12, 31), text(2024, 2, 29)});
    SortGridByDate(grid, 1, 6, false, 0);
    // 31 December 1899 sorts before the two texts that count as 1 January 1900 (tied).
    EXPECT_EQ(Column(grid, 1), QStringList({"2", "3", "1", "4", "5", "0"}));
    SortGridByDate(grid, 1, 6, true, 0);
    EXPECT_EQ(Column(grid, 0).first(), text(2024, 3, 1));
}

TEST(GridSorts, LeavesOneRowRangesBadRangesAndRowsOutsideTheRangeAlone) {
    StringGridModel grid;
    Fill(grid, {"c", "b", "a", "0"});
    SortGridByText(grid, 2, 2, false, 0);
    SortGridByText(grid, 3, 2, false, 0);
    SortGridByText(grid, 0, 4, false, 0);
    SortGridByText(grid, 1, 5, false, 0);
    EXPECT_EQ(Column(grid, 0), QStringList({"c", "b", "a", "0"}));
    SortGridByText(grid, 2, 3, false, 0);
    EXPECT_EQ(Column(grid, 0), QStringList({"c", "a", "b", "0"}));
    EXPECT_EQ(grid.cellText(0, 0), "Key") << "the title row never moves";
}

TEST(GridSorts, TiesEndWhereThePartitionProcedureLeavesThem) {
    const QStringList words = Ties({"delta", "Alpha", "ALPHA", "charlie", "", "alpha "}, 400, 1);
    const QStringList numbers = Ties({"1,000", "1000", "7", "n/a", "0", "-2.5"}, 400, 2);
    QStringList dates;
    for (const QString& d : Ties({"1/2/2000", "", "12/31/1999", "junk", "1/2/2000", "6/6/2066"}, 400, 3))
        dates << d;
    for (bool descending : {false, true}) {
        Before text = [descending](const QString& a, const QString& b) { return descending ? TextLess(b, a) : TextLess(a, b); };
        Before number = [descending](const QString& a, const QString& b) { return descending ? Number(b) < Number(a) : Number(a) < Number(b); };
        Before date = [descending](const QString& a, const QString& b) { return descending ? Date(b) < Date(a) : Date(a) < Date(b); };
        for (int n : {5, 6, 23, 400}) {
            StringGridModel g1, g2, g3;
            Fill(g1, words.mid(0, n));
            Fill(g2, numbers.mid(0, n));
            Fill(g3, dates.mid(0, n));
            SortGridByText(g1, 1, n, descending, 0);
            SortGridByNumber(g2, 1, n, descending, 0);
            SortGridByDate(g3, 1, n, descending, 0);
            EXPECT_EQ(Column(g1, 1), ReferenceOrder(words.mid(0, n), true, text)) << n << descending;
            EXPECT_EQ(Column(g2, 1), ReferenceOrder(numbers.mid(0, n), false, number)) << n << descending;
            EXPECT_EQ(Column(g3, 1), ReferenceOrder(dates.mid(0, n), false, date)) << n << descending;
        }
    }
}

TEST(GridSorts, ATieColumnOrdersEqualKeysAscendingWhateverTheDirection) {
    StringGridModel grid;
    grid.setTitles({"Ext", "Count"});
    const QStringList exts = {".zip", ".c", ".TXT", ".h", ".doc", ".a", ".pdf"};
    const QStringList counts = {"1,000", "7", "1000", "7", "n/a", "7", "0"};
    for (int i = 0; i < exts.size(); ++i)
        grid.appendTextRow({exts[i], counts[i]});
    SortGridByNumber(grid, 1, 7, true, 1, 0);
    EXPECT_EQ(Column(grid, 0), QStringList({".TXT", ".zip", ".a", ".c", ".h", ".doc", ".pdf"}));
    SortGridByText(grid, 1, 7, false, 1, 0);
    EXPECT_EQ(Column(grid, 0), QStringList({".pdf", ".zip", ".TXT", ".a", ".c", ".h", ".doc"}));
}

TEST(GridSorts, MarksAndKeysTravelWithTheirRows) {
    StringGridModel grid;
    Fill(grid, {"b", "c", "a"});
    grid.setMarked(2, true); // "c"
    SortGridByText(grid, 1, 3, false, 0);
    EXPECT_EQ(Column(grid, 0), QStringList({"a", "b", "c"}));
    EXPECT_TRUE(grid.isMarked(3));
    EXPECT_FALSE(grid.isMarked(2));
}

TEST(GridSorts, SizeSortAgreesWithTheTextSortBelow100000KAndStaysRightAbove) {
    // Many ties among padded sizes and two non-size texts: the exact same row order as the text sort.
    QStringList texts = Ties({SizeText(250), SizeText(12), SizeText(99999), "     0.5 K", "     0.0 K", SizeText(1),
                              "DELETED", "RECYCLED"},
                             300, 4);
    for (int n : {4, 5, 300}) {
        StringGridModel bySize, byText;
        Fill(bySize, texts.mid(0, n));
        Fill(byText, texts.mid(0, n));
        SortGridBySizeK(bySize, 1, n, 0);
        SortGridByText(byText, 1, n, true, 0);
        EXPECT_EQ(Column(bySize, 1), Column(byText, 1)) << n;
    }

    StringGridModel big;
    Fill(big, {SizeText(99999), "100000 K", "     0.5 K", "n/a", "2097152 K", SizeText(1), "DELETED"});
    SortGridBySizeK(big, 1, 7, 0);
    EXPECT_EQ(Column(big, 0), QStringList({"n/a", "DELETED", "2097152 K", "100000 K", SizeText(99999), SizeText(1),
                                           "     0.5 K"}));
}

TEST(GridSorts, SortsOrderedReversedAndOrganPipeColumns) {
    // Ordered and reversed are the middle pivot's best cases; an organ pipe is its worst (quadratic),
    // which must still end in order.
    auto check = [](int n, bool pipe) {
        StringGridModel grid;
        grid.setTitles({"Key"});
        for (int i = 0; i < n; ++i)
            grid.appendTextRow({QString::number(pipe && i >= n / 2 ? n - i : i)});
        SortGridByNumber(grid, 1, n, true, 0);
        SortGridByNumber(grid, 1, n, false, 0);
        SortGridByNumber(grid, 1, n, true, 0);
        for (int r = 2; r <= n; ++r)
            ASSERT_GE(grid.cellText(r - 1, 0).toInt(), grid.cellText(r, 0).toInt()) << r;
    };
    check(200'000, false);
    check(6'000, true);
}
