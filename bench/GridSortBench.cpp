// SPDX-License-Identifier: GPL-3.0-or-later
// Times the finder's grid operations on a 300,000-row file-hog grid: filling, marking every tenth
// row, each sort of the sort menu, and the printed report's layout and lines. Prints seconds; run by bench/run.sh, never by the tests.
#include "common/GridSorts.h"
#include "common/NumberTexts.h"
#include "common/ReportText.h"
#include "common/StringGridModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <cstdio>
#include <random>

namespace {
// Rows like the file-hog list: size text, date, time, access date, path, type.
class SyntheticRows : public GridRowSource {
public:
    explicit SyntheticRows(std::uint32_t count) {
        std::mt19937_64 random(42);
        m_sizes.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i)
            m_sizes.push_back(static_cast<qint64>(random() % (4ull << 30)) >> (random() % 20));
    }
    QString cellText(std::uint32_t key, int column) const override {
        switch (column) {
        case 0: return SizeInKText(m_sizes[key]) + QStringLiteral(" K");
        case 1:
        case 3: return QStringLiteral("%1/%2/20%3").arg(key % 12 + 1).arg(key % 28 + 1).arg(10 + key % 15);
        case 2: return QStringLiteral("%1:%2:00 PM").arg(key % 12 + 1).arg(key % 60, 2, 10, QLatin1Char('0'));
        case 4: return QStringLiteral("/home/user/folder%1/file%2.dat").arg(key % 977).arg(key);
        default: return QStringLiteral("DAT File");
        }
    }

private:
    std::vector<qint64> m_sizes;
};

template <typename Work> double seconds(Work work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const std::uint32_t rows = 300000;
    SyntheticRows source(rows);
    StringGridModel grid;
    grid.setTitles({"Size in K", "Modified", "Time", "Access", "FileName", "Type"});
    grid.setRowSource(&source);
    std::vector<std::uint32_t> keys(rows);
    for (std::uint32_t i = 0; i < rows; ++i)
        keys[i] = i;
    const int last = static_cast<int>(rows);

    std::printf("grid of %u rows (seconds)\n", rows);
    std::printf("%-24s %6.2f\n", "fill", seconds([&] { grid.appendKeyRows(keys); }));
    std::printf("%-24s %6.2f\n", "mark every tenth row", seconds([&] {
                    for (int r = 1; r <= last; r += 10)
                        grid.setMarked(r, true);
                }));
    std::printf("%-24s %6.2f\n", "sort by name", seconds([&] { SortGridByText(grid, 1, last, false, 4); }));
    std::printf("%-24s %6.2f\n", "sort by size", seconds([&] { SortGridBySizeK(grid, 1, last, 0); }));
    std::printf("%-24s %6.2f\n", "sort by date", seconds([&] { SortGridByDate(grid, 1, last, true, 1); }));
    std::printf("%-24s %6.2f\n", "sort by type", seconds([&] { SortGridByText(grid, 1, last, false, 5); }));
    // A page of 100 characters, the path column as wide as a maximised window makes it.
    ReportLayout layout;
    std::printf("%-24s %6.2f\n", "report layout",
                seconds([&] { layout = FitReport(grid, {54, 64, 64, 64, 1200, 73}, 4, 100); }));
    qsizetype lines = 0;
    std::printf("%-24s %6.2f\n", "report lines", seconds([&] {
                    for (int r = 0; r <= last; ++r)
                        lines += ReportRowLines(grid, layout, r).size();
                }));
    std::printf("%-24s %6lld\n", "report lines written", static_cast<long long>(lines));
    return 0;
}
