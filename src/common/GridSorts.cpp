// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/GridSorts.h"

#include "common/DosDateTime.h"
#include "common/StringGridModel.h"

#include <QDate>
#include <QHash>
#include <QLocale>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

// The index table: column 0 the former grid row, column 1 the key. Keys are computed once per sort;
// the order only depends on the comparisons, which are the same as recomputing the key each time.
template <class Key>
struct IndexTable {
    std::vector<int> rows;
    std::vector<Key> keys;

    void exchange(std::int64_t a, std::int64_t b) {
        std::swap(rows[static_cast<std::size_t>(a)], rows[static_cast<std::size_t>(b)]);
        std::swap(keys[static_cast<std::size_t>(a)], keys[static_cast<std::size_t>(b)]);
    }
    const Key& key(std::int64_t at) const { return keys[static_cast<std::size_t>(at)]; }
};

// The partition procedure over table rows lo..hi. before(a, b) is the strict order of the direction.
// The two sub-ranges of a partition are disjoint, so sorting the smaller one first by recursion and
// the larger one by looping leaves exactly what "lo..j, then i..hi" leaves, with a stack depth that
// stays logarithmic however the keys fall.
template <class Key, class Before>
void PartitionSort(IndexTable<Key>& t, std::int64_t lo, std::int64_t hi, bool adjacentExchange,
                   const Before& before) {
    for (;;) {
        if (adjacentExchange && hi - lo <= 4) {
            bool exchanged = true;
            while (exchanged) {
                exchanged = false;
                for (std::int64_t k = lo; k < hi; ++k) {
                    if (before(t.key(k + 1), t.key(k))) {
                        t.exchange(k, k + 1);
                        exchanged = true;
                    }
                }
            }
            return;
        }
        if (lo >= hi)
            return;
        const Key pivot = t.key(lo + (hi - lo) / 2); // (lo + hi) div 2 without overflow
        std::int64_t i = lo;
        std::int64_t j = hi;
        while (i <= j) {
            while (before(t.key(i), pivot))
                ++i;
            while (before(pivot, t.key(j)))
                --j;
            if (i <= j) {
                t.exchange(i, j);
                ++i;
                --j;
            }
        }
        if (j - lo < hi - i) {
            PartitionSort(t, lo, j, adjacentExchange, before);
            lo = i;
        } else {
            PartitionSort(t, i, hi, adjacentExchange, before);
            hi = j;
        }
    }
}

bool ValidRange(const StringGridModel& grid, int firstRow, int lastRow) {
    return firstRow >= 1 && lastRow < grid.gridRowCount() && firstRow < lastRow;
}

void MoveRows(StringGridModel& grid, int firstRow, int lastRow, const std::vector<int>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i] != firstRow + static_cast<int>(i)) {
            grid.reorderRows(firstRow, lastRow, rows);
            return;
        }
}

// The source's own order, when every row of the range has a key and the source orders the column.
bool SortBySource(StringGridModel& grid, int firstRow, int lastRow, bool descending, int column) {
    const GridRowSource* source = grid.rowSource();
    if (!source)
        return false;
    std::vector<std::uint32_t> keys;
    keys.reserve(static_cast<std::size_t>(lastRow - firstRow + 1));
    for (int r = firstRow; r <= lastRow; ++r) {
        if (!grid.hasKey(r))
            return false;
        keys.push_back(grid.keyOf(r));
    }
    const std::vector<std::uint32_t> order = source->orderRows(column, descending, keys);
    if (order.size() != keys.size())
        return false;
    std::vector<int> rows(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        rows[i] = firstRow + static_cast<int>(order[i]);
    MoveRows(grid, firstRow, lastRow, rows);
    return true;
}

// A key with the text of the tie column beside it (empty without one).
template <class Key> struct Tied {
    Key key;
    std::string tie;
};

std::string TextKey(const QString& text);

// Builds the index table with makeKey(cell text), sorts it and moves the rows once.
template <class Key, class MakeKey, class Less>
void SortRange(StringGridModel& grid, int firstRow, int lastRow, bool descending, int column, int tieColumn,
               bool adjacentExchange, const MakeKey& makeKey, const Less& less) {
    if (!ValidRange(grid, firstRow, lastRow) || SortBySource(grid, firstRow, lastRow, descending, column))
        return;
    IndexTable<Tied<Key>> t;
    const std::size_t count = static_cast<std::size_t>(lastRow - firstRow + 1);
    t.rows.reserve(count);
    t.keys.reserve(count);
    for (int r = firstRow; r <= lastRow; ++r) {
        t.rows.push_back(r);
        t.keys.push_back(
            {makeKey(grid.cellText(r, column)), tieColumn >= 0 ? TextKey(grid.cellText(r, tieColumn)) : ""});
    }
    const std::int64_t hi = static_cast<std::int64_t>(count) - 1;
    // The direction turns the column's key around; the tie column stays ascending.
    const auto before = [&less, descending](const Tied<Key>& a, const Tied<Key>& b) {
        if (descending ? less(b.key, a.key) : less(a.key, b.key))
            return true;
        if (descending ? less(a.key, b.key) : less(b.key, a.key))
            return false;
        return a.tie < b.tie;
    };
    PartitionSort(t, 0, hi, adjacentExchange, before);
    MoveRows(grid, firstRow, lastRow, t.rows);
}

std::string TextKey(const QString& text) {
    std::string key = text.toStdString(); // UTF-8
    for (char& c : key) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return key;
}

// std::string compares its bytes as unsigned char, so UTF-8 sorts by code point and a prefix first.
const auto TextLess = [](const std::string& a, const std::string& b) { return a < b; };

double NumberKey(const QString& text, const QLocale& locale) {
    QString plain = text;
    // Where "," is the decimal separator, dropping it would read "1,5" as 15.
    if (locale.decimalPoint() != QLatin1String(","))
        plain.remove(QLatin1Char(','));
    if (!locale.groupSeparator().isEmpty())
        plain.remove(locale.groupSeparator());
    bool ok = false;
    const double value = locale.toDouble(plain.trimmed(), &ok);
    // NaN would break the order's consistency; it is no more a number than "n/a".
    return ok && !std::isnan(value) ? value : 0.0;
}

class DateKeys {
public:

    std::int64_t key(const QString& text) {
        // Date columns repeat the same few texts many times; parse each once.
        auto found = m_cache.constFind(text);
        if (found != m_cache.constEnd())
            return *found;
        std::int64_t day = s_unreadable;
        const QString trimmed = text.trimmed();
        if (!trimmed.isEmpty()) {
            const QDate date = ParseFileDateText(trimmed);
            if (date.isValid())
                day = date.toJulianDay();
        }
        m_cache.insert(text, day);
        return day;
    }

private:
    static inline const std::int64_t s_unreadable = QDate(1900, 1, 1).toJulianDay();
    QHash<QString, std::int64_t> m_cache;
};

struct SizeKey {
    bool notSize = false; // texts that are not sizes sort above every size
    double value = 0;     // the size in K when a size
    std::string text;     // the text key when not a size
};

// Size texts: spaces, digits, optional "." digits, spaces, optional "K", spaces.
bool ReadSizeK(const QString& text, double& value) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = t.size();
    auto digit = [&t](qsizetype at) { return t.at(at) >= QLatin1Char('0') && t.at(at) <= QLatin1Char('9'); };
    const qsizetype start = i;
    while (i < n && digit(i))
        ++i;
    if (i == start)
        return false;
    if (i < n && t.at(i) == QLatin1Char('.')) {
        ++i;
        const qsizetype fraction = i;
        while (i < n && digit(i))
            ++i;
        if (i == fraction)
            return false;
    }
    const qsizetype numberEnd = i;
    while (i < n && t.at(i) == QLatin1Char(' '))
        ++i;
    if (i < n && t.at(i) == QLatin1Char('K'))
        ++i;
    if (i != n)
        return false;
    value = t.left(numberEnd).toDouble(); // C locale: the size texts always use "."
    return true;
}

} // namespace

void SortGridByText(StringGridModel& grid, int firstRow, int lastRow, bool descending, int column,
                    int tieColumn) {
    SortRange<std::string>(grid, firstRow, lastRow, descending, column, tieColumn, true, TextKey, TextLess);
}

void SortGridByNumber(StringGridModel& grid, int firstRow, int lastRow, bool descending, int column,
                      int tieColumn) {
    const QLocale locale;
    SortRange<double>(
        grid, firstRow, lastRow, descending, column, tieColumn, false,
        [&locale](const QString& text) { return NumberKey(text, locale); },
        [](double a, double b) { return a < b; });
}

void SortGridByDate(StringGridModel& grid, int firstRow, int lastRow, bool descending, int column) {
    DateKeys dates;
    SortRange<std::int64_t>(
        grid, firstRow, lastRow, descending, column, -1, false,
        [&dates](const QString& text) { return dates.key(text); },
        [](std::int64_t a, std::int64_t b) { return a < b; });
}

void SortGridBySizeK(StringGridModel& grid, int firstRow, int lastRow, int column) {
    const auto makeKey = [](const QString& text) {
        SizeKey key;
        key.notSize = !ReadSizeK(text, key.value);
        if (key.notSize)
            key.text = TextKey(text);
        return key;
    };
    // Ascending order of this relation, run descending, puts non-sizes first and larger values first.
    const auto less = [](const SizeKey& a, const SizeKey& b) {
        if (a.notSize != b.notSize)
            return b.notSize;
        return a.notSize ? a.text < b.text : a.value < b.value;
    };
    SortRange<SizeKey>(grid, firstRow, lastRow, true, column, -1, true, makeKey, less);
}
