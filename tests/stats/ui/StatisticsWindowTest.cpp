// SPDX-License-Identifier: GPL-3.0-or-later
#include "stats/ui/StatisticsFigures.h"
#include "stats/ui/TfrmStatistics.h"

#include "common/StringGridModel.h"
#include "delete/DeletionTotals.h"
#include "platform/CurrentFolder.h"
#include "platform/FileTypes.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>
#include <limits>
#include <sys/stat.h>
#include <thread>

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {
const QDate kToday = QDate::currentDate();

std::time_t DaysAgo(int days) {
    return QDateTime(kToday.addDays(-days), QTime(12, 0)).toSecsSinceEpoch();
}

class StatisticsWindow : public ::testing::Test {
protected:
    TempTree tree;     // drive C:
    TempTree settings; // the totals file's folder
    RecordingMessageService messages;
    std::unique_ptr<TfrmStatistics> w;
    QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");

    void SetUp() override {
        // D: names a folder that is not there: a drive that does not answer.
        qputenv("VANTOREL_DRIVES",
                QByteArray::fromStdString("C=" + tree.root() + ";D=" + tree.path("absent")));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(settings.root()));
        CurrentFolder::set(tree.root());
    }
    void TearDown() override {
        w.reset();
        qunsetenv("VANTOREL_DRIVES");
        qputenv("XDG_CONFIG_HOME", oldConfig);
    }
    void open() {
        w = std::make_unique<TfrmStatistics>([] { return kToday; });
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    template <class T> T* child(const QString& name) const {
        T* c = w->findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name.toStdString();
        return c;
    }
    QString text(const char* label) const { return child<QLabel>(QString::fromLatin1(label))->text(); }
    int bar(const char* name) const { return child<QProgressBar>(QString::fromLatin1(name))->value(); }
    QString status() const { return child<QStatusBar>(QStringLiteral("StatusBar1"))->currentMessage(); }
    QString driveText() const { return child<QComboBox>(QStringLiteral("cbDrive"))->currentText(); }
    void showPage(const char* name) {
        child<QTabWidget>(QStringLiteral("PageControl1"))
            ->setCurrentWidget(child<QWidget>(QString::fromLatin1(name)));
    }
    bool notYetShown() const { return child<QLabel>(QStringLiteral("pnlNotYet"))->isVisible(); }
    QPushButton* button(const char* name) const { return child<QPushButton>(QString::fromLatin1(name)); }
    // Presses "Collect statistics" and waits until the run has ended.
    void collect() {
        QSignalSpy ended(w.get(), &TfrmStatistics::collectionEnded);
        QTest::mouseClick(button("btOK"), Qt::LeftButton);
        if (ended.isEmpty()) {
            ASSERT_TRUE(ended.wait(60'000));
        }
    }
    void writeTotals(const QByteArray& text) {
        QFile f(DeletionTotals::settingsPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QStringList deletedPage() const {
        QStringList shown{text("lblSince1")};
        for (const char* name : {"edNdelete", "edSzDelete", "edNWaste", "edSzWaste"})
            shown << child<QLineEdit>(QString::fromLatin1(name))->text();
        return shown;
    }
};

FileStatistics Types(std::initializer_list<std::tuple<const char*, std::int64_t, std::int64_t>> lines) {
    FileStatistics s;
    for (const auto& [extension, files, bytes] : lines)
        s.types.push_back({extension, {files, bytes}, {}});
    return s;
}
} // namespace

TEST(StatisticsFigures, PercentagesAndTopTenRanksIn64Bits) {
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(PercentOf(0, 0), 0); // a sum of 0 shows 0
    EXPECT_EQ(PercentOf(25'000'000, 100'000'000), 25);
    EXPECT_EQ(PercentOf(max / 2, max), 49); // no overflow on the way
    EXPECT_EQ(PercentOf(max, max), 100);

    // Compared as numbers: eleven digits outrank ten.
    EXPECT_EQ(TopTenRanks({9'999'999'999, 20'000'000'000, 0, 9'999'999'999}), (std::vector<int>{2, 1, 4, 3}));
}

TEST_F(StatisticsWindow, PagesControlsAndTheNotYetPanel) {
    open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("File Statistics Not Yet Collected"));
    auto* pages = child<QTabWidget>(QStringLiteral("PageControl1"));
    EXPECT_EQ(driveText().left(2), QStringLiteral("C:")); // the current folder's drive
    // The age captions agree with the classes the engine counts.
    EXPECT_EQ(text("lblAccessedRow4"), QStringLiteral("61 - 90 days"));
    EXPECT_EQ(text("lblModifiedRow9"), QStringLiteral("Over 3 years"));

    // The panel covers the data pages only, until something has been collected.
    EXPECT_FALSE(notYetShown());
    for (const char* page : {"TabSheet1", "TabSheet2", "TabSheet4", "TabSheet7"}) {
        showPage(page);
        EXPECT_TRUE(notYetShown()) << page;
    }
    EXPECT_EQ(text("pnlNotYet"), QStringLiteral("Statistics haven't been collected yet!"));
    showPage("TabSheet8");
    EXPECT_FALSE(notYetShown());
    showPage("TabSheet6");
    w->hide(); // each showing starts on the Disk Space page
    w->show();
    EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("TabSheet3"));
    EXPECT_FALSE(notYetShown());

    // A drive that does not answer: the error, no run, nothing changes.
    auto* cbDrive = child<QComboBox>(QStringLiteral("cbDrive"));
    cbDrive->setCurrentIndex(1);
    QTest::mouseClick(button("btOK"), Qt::LeftButton);
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral("There is no disk in drive ") + cbDrive->currentText()});
    EXPECT_FALSE(w->collecting());
    EXPECT_FALSE(w->collected());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("File Statistics Not Yet Collected"));
}

TEST_F(StatisticsWindow, ACollectionFillsEveryPage) {
    tree.file("A.TXT", 100);
    tree.setMode("A.TXT", 0444);
    tree.setTimes("A.TXT", DaysAgo(7), DaysAgo(8));
    tree.file("docs/B.txt", 20'000);
    tree.setTimes("docs/B.txt", DaysAgo(100), DaysAgo(1096));
    tree.file("docs/README", 16'384);
    tree.file("docs/.hidden", 16'385);
    tree.file(".secret/unseen.txt", 5); // a hidden folder is not entered
    tree.file("big/disk.img", std::int64_t(5) << 30);
    tree.file("big/more.bin", std::int64_t(3) << 30);
    for (const char* f : {"docs/README", "docs/.hidden", "big/disk.img", "big/more.bin"})
        tree.setTimes(f, DaysAgo(0), DaysAgo(0));
    open();
    const QString drive = driveText();
    collect();

    const QString cluster = QString::number(DriveSpaceOf(u'C')->clusterBytes);
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral("Drive \"") + drive +
                          QStringLiteral("\" will be scanned.  The analysis may take some time.  You "
                                         "may quit at any time by clicking CANCEL or pressing ESC.")});
    EXPECT_TRUE(text("lblCluster")
                    .startsWith(QStringLiteral("Since drive C is partitioned into ") + cluster +
                                QStringLiteral(
                                    " bytes per cluster, the smallest file of only 1 byte will consume ")));
    EXPECT_TRUE(text("lblAllocated")
                    .contains(QRegularExpression(
                        "^Space allocated: [0-9,]+ bytes, of which [0-9,]+ bytes are lost")));
    EXPECT_EQ(status(), QStringLiteral("Finished - 6 files processed"));
    EXPECT_EQ(w->windowTitle(),
              QStringLiteral("Statistics for drive ") + drive + QStringLiteral(" completed."));
    EXPECT_FALSE(child<QProgressBar>(QStringLiteral("ProgressBar1"))->isVisible());

    // Sizes: 64-bit sums with thousands separators, the shares truncated.
    EXPECT_EQ(text("lblSizeN1"), QStringLiteral("2"));
    EXPECT_EQ(text("lblSize1"), QStringLiteral("16,484"));
    EXPECT_EQ(text("lblSize9"), QStringLiteral("8,589,934,592"));
    EXPECT_EQ(bar("gaFsN9"), 33);
    EXPECT_EQ(bar("gaFsS9"), 99);
    // Ages: today is the injected day.
    EXPECT_EQ(text("lblAgeN1"), QStringLiteral("5"));
    EXPECT_EQ(text("lblAgeN5"), QStringLiteral("1"));
    EXPECT_EQ(text("lblFw9"), QStringLiteral("20,000"));
    EXPECT_EQ(bar("gaFwN1"), 66);
    // Attributes: shares of all attribute occurrences; Linux sets no archive attribute.
    EXPECT_EQ(text("lblNReadOnly"), QStringLiteral("1"));
    EXPECT_EQ(text("lblSzHidden"), QStringLiteral("16,385"));
    EXPECT_EQ(bar("gaNReadOnly"), 50);
    EXPECT_EQ(bar("gaSzArchive"), 0);

    // Types, in the order first met; the files without an extension share the empty line.
    StringGridModel* grid = w->typesModel();
    QMap<QString, QStringList> rows;
    for (int r = 1; r < grid->gridRowCount(); ++r)
        rows.insert(grid->cellText(r, 0), {grid->cellText(r, 2), grid->cellText(r, 4), grid->cellText(r, 5)});
    EXPECT_EQ(rows.keys(), (QStringList{"", ".BIN", ".IMG", ".TXT"}));
    EXPECT_EQ(rows[".TXT"], (QStringList{"2", "20,100", "3"}));
    EXPECT_EQ(rows[".IMG"][2], QStringLiteral("1")); // the largest

    // Collected: the panel stays away from every page.
    showPage("TabSheet2");
    EXPECT_FALSE(notYetShown());
}

TEST_F(StatisticsWindow, CancelWhileCollectingThenANewRunAndClosing) {
    for (int i = 0; i < 30; ++i) {
        tree.file("p/f" + std::to_string(i), 10);
        tree.file("q/f" + std::to_string(i), 10);
    }
    open();
    // The walk waits in its third folder, 30 files counted, until it is told to stop.
    StatisticsCollector& engine = w->collector();
    std::atomic<int> folders{0};
    engine.setFolderHook([&](std::string_view) {
        if (++folders == 3)
            while (!engine.aborted())
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
    });
    QSignalSpy ended(w.get(), &TfrmStatistics::collectionEnded);
    QTest::mouseClick(button("btOK"), Qt::LeftButton);
    ASSERT_TRUE(w->collecting());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Collecting statistics for drive ") + driveText());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return status() == QStringLiteral("Processing files ... standby : 25"); }));
    EXPECT_FALSE(button("btOK")->isEnabled());
    EXPECT_FALSE(button("btPrint")->isEnabled());
    EXPECT_FALSE(child<QComboBox>(QStringLiteral("cbDrive"))->isEnabled());
    EXPECT_TRUE(child<QProgressBar>(QStringLiteral("ProgressBar1"))->isVisible());
    showPage("TabSheet2"); // the pages stay live
    EXPECT_TRUE(notYetShown());
    EXPECT_EQ(text("pnlNotYet"), QStringLiteral("Collecting statistics.  Standby."));

    QTest::keyClick(w.get(), Qt::Key_Escape); // Esc is Cancel: it stops the run and keeps the window
    ASSERT_TRUE(ended.wait(60'000));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(status(), QStringLiteral("Finished - 30 files processed INCOMPLETE ... ABORTED"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("File Statistics for drive ") + driveText() +
                                    QStringLiteral(" incomplete ... aborted."));
    EXPECT_EQ(text("lblSizeN1"), QStringLiteral("30"));
    EXPECT_TRUE(button("btOK")->isEnabled());

    engine.setFolderHook(nullptr);
    collect();
    EXPECT_EQ(status(), QStringLiteral("Finished - 60 files processed"));
    EXPECT_EQ(w->windowTitle(),
              QStringLiteral("Statistics for drive ") + driveText() + QStringLiteral(" completed."));

    // Idle, Cancel hides the window; it keeps its figures for the next showing.
    QTest::mouseClick(button("btCancel"), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    w->show();
    EXPECT_EQ(text("lblSizeN1"), QStringLiteral("60"));
    EXPECT_EQ(status(), QStringLiteral("Finished - 60 files processed"));

    // Going away during a run stops the walk and waits for it (no thread outlives the window).
    folders = 0;
    engine.setFolderHook([&](std::string_view) {
        if (++folders == 2)
            while (!engine.aborted())
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
    });
    QTest::mouseClick(button("btOK"), Qt::LeftButton);
    ASSERT_TRUE(w->collecting());
    w.reset();
}

TEST_F(StatisticsWindow, TypesRanksAndSorts) {
    open();
    // Twelve types of equal size: the first ten rows get the size ranks 1 to 10, the last two none.
    FileStatistics twelve;
    for (int i = 0; i < 12; ++i)
        twelve.types.push_back({".T" + std::to_string(10 + i), {1, 1000}, {}});
    w->doFileTypes(twelve);
    StringGridModel* grid = w->typesModel();
    auto column = [&](int c) {
        QStringList cells;
        for (int r = 1; r < grid->gridRowCount(); ++r)
            cells << grid->cellText(r, c);
        return cells;
    };
    EXPECT_EQ(column(5), (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "", ""}));
    EXPECT_EQ(column(3), column(5));

    w->doFileTypes(Types({{".ZIP", 3, 20'000'000'000}, {".AAA", 1'500, 9'999'999'999}, {"", 20, 5}}));
    EXPECT_EQ(grid->cellText(1, 5), QStringLiteral("1")); // numbers, not ten-digit texts
    EXPECT_EQ(grid->cellText(1, 4), QStringLiteral("20,000,000,000"));
    EXPECT_EQ(grid->cellText(2, 2), QStringLiteral("1,500"));
    auto menuItem = [&](const char* name) { return child<QAction>(QString::fromLatin1(name)); };
    const char* const items[] = {"SortbyExtension1", "SortbyType1", "SortbyNumber1", "SortbySize1"};
    auto checked = [&] {
        QStringList names;
        for (const char* item : items)
            if (menuItem(item)->isChecked())
                names << QString::fromLatin1(item);
        return names;
    };
    EXPECT_EQ(checked(), QStringList()); // the order met, which no item names
    menuItem("SortbyNumber1")->trigger();
    EXPECT_EQ(column(0), (QStringList{".AAA", "", ".ZIP"}));
    EXPECT_EQ(checked(), QStringList{"SortbyNumber1"});
    menuItem("SortbySize1")->trigger();
    EXPECT_EQ(column(0), (QStringList{".ZIP", ".AAA", ""}));
    menuItem("SortbyExtension1")->trigger();
    EXPECT_EQ(column(0), (QStringList{"", ".AAA", ".ZIP"}));
    EXPECT_EQ(column(5), (QStringList{"3", "2", "1"})); // ranks travel with their rows
    menuItem("SortbyType1")->trigger();
    EXPECT_EQ(checked(), QStringList{"SortbyType1"});
    EXPECT_EQ(column(1).first(), QString()); // no extension, no type name: first from A to Z

    // A new table is in the order met again; one of one line: the menu does nothing.
    w->doFileTypes(Types({{".ONE", 1, 1}}));
    EXPECT_EQ(checked(), QStringList());
    menuItem("SortbySize1")->trigger();
    EXPECT_EQ(checked(), QStringList());

    // The type is that of the files' own spelling, shown upper-cased: .c is C, .C is C++.
    FileStatistics spelt = Types({{".C", 2, 10}, {".CC", 1, 5}});
    spelt.types[0].spelling = ".c";
    w->doFileTypes(spelt);
    EXPECT_EQ(grid->cellText(1, 0), QStringLiteral(".C"));
    EXPECT_EQ(grid->cellText(1, 1), FileTypeName(QStringLiteral(".c")));
    EXPECT_NE(FileTypeName(QStringLiteral(".c")), FileTypeName(QStringLiteral(".C")));
    EXPECT_EQ(grid->cellText(2, 1), FileTypeName(QStringLiteral(".CC")));
}

TEST_F(StatisticsWindow, DiskSpaceFiguresAndTheRedThreshold) {
    open();
    w->showDiskSpace(u'C', {25'000'000, 100'000'000, 4096, 75'000'000, 0});
    EXPECT_EQ(text("lblTotal"), QStringLiteral("100,000,000"));
    EXPECT_EQ(text("lblFree"), QStringLiteral("25,000,000"));
    EXPECT_EQ(text("lblPct"), QStringLiteral("bytes (25 %) "));
    EXPECT_EQ(text("lblPct2"), QStringLiteral("bytes (75 %) "));
    EXPECT_EQ(text("lblFreeC"), QStringLiteral("Free Space on Drive C: "));
    EXPECT_EQ(bar("Gauge1"), 75);

    // Blocks kept for root are neither used nor free: they have their own row, as df counts them.
    w->showDiskSpace(u'C', {25'000'000, 100'000'000, 4096, 19'000'000, 56'000'000});
    EXPECT_EQ(text("lblUsed"), QStringLiteral("19,000,000"));
    EXPECT_EQ(text("lblPct2"), QStringLiteral("bytes (19 %) "));
    EXPECT_EQ(text("lblReservedC"), QStringLiteral("Reserved Space on Drive C: "));
    EXPECT_EQ(text("lblReserved"), QStringLiteral("56,000,000"));
    EXPECT_EQ(text("lblPct3"), QStringLiteral("bytes (56 %) "));
    EXPECT_EQ(bar("Gauge1"), 19);
    const int gaugeWidth = child<QProgressBar>(QStringLiteral("Gauge1"))->width();
    EXPECT_NEAR(child<QFrame>(QStringLiteral("gaReserved"))->width(), gaugeWidth * 0.56, 1.0);
    QDir().mkpath(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots"));
    w->grab().save(QCoreApplication::applicationDirPath() +
                   QStringLiteral("/../screenshots/statistics-disk-space.png"));

    auto colour = [&](const char* name) {
        return child<QLabel>(QString::fromLatin1(name))->palette().color(QPalette::WindowText);
    };
    w->showDiskSpace(u'D',
                     {1'000'000'000'000, 20'000'000'000'000, 4096, 19'000'000'000'000, 0}); // 5 % free: red
    EXPECT_EQ(text("lblTotal"), QStringLiteral("20,000,000,000,000"));
    EXPECT_EQ(text("lblPct"), QStringLiteral("bytes (5 %) "));
    EXPECT_EQ(colour("lblFree"), QColor(Qt::red));
    EXPECT_EQ(colour("lblPct"), QColor(Qt::red));
    // The figure fits its label however long it grows.
    QLabel* total = child<QLabel>(QStringLiteral("lblTotal"));
    EXPECT_LE(QFontMetrics(total->font()).horizontalAdvance(total->text()), total->width());
    w->showDiskSpace(u'D', {6, 100, 4096, 94, 0});
    EXPECT_EQ(child<QFrame>(QStringLiteral("gaReserved"))->width(), 0);
    EXPECT_EQ(colour("lblFree"), QColor(Qt::black));
    w->showDiskSpace(u'D', {0, 0, 0}); // a drive reporting no size at all: no division by zero
    EXPECT_EQ(text("lblPct"), QStringLiteral("bytes (0 %) "));
}

TEST_F(StatisticsWindow, DeletedPageMissingGarbledAndReadOnlyTotals) {
    open();
    showPage("TabSheet8"); // no file yet
    EXPECT_EQ(deletedPage(), (QStringList{"", "n/a", "n/a", "n/a", "n/a"}));

    writeTotals("[Vantorel]\nNdelete=seven\nSizeDelete=12\nNWaste=3\nSizeWaste=x\nDelDate=99999999999999\n");
    w->showFilesDeleted();
    EXPECT_EQ(deletedPage(), (QStringList{"", "n/a", "n/a", "3 files", "n/a"}));

    writeTotals("[Vantorel]\nNdelete=0\nSizeDelete=0\nNWaste=2\nSizeWaste=1500000\nDelDate=45000\n");
    w->showFilesDeleted();
    const QStringList counting{QStringLiteral("Since 3/15/2023"), "n/a", "n/a", "2 files", "1,500,000 bytes"};
    EXPECT_EQ(deletedPage(), counting);

    QTest::mouseClick(button("Button1"), Qt::LeftButton); // answered No
    EXPECT_EQ(messages.texts(), QStringList{"Reset cumulative totals?"});
    EXPECT_EQ(deletedPage(), counting);

    // A settings folder and file that may not be written: the error, nothing lost, the page as it was.
    settings.setMode("Vantorel.Ini", 0444);
    ::chmod(settings.root().c_str(), 0555);
    messages.clear();
    messages.scriptAnswers({MessageAnswer::Yes});
    {
        AsUnprivileged nobody;
        QTest::mouseClick(button("Button1"), Qt::LeftButton);
    }
    ::chmod(settings.root().c_str(), 0755);
    ASSERT_EQ(messages.texts().size(), 2);
    EXPECT_TRUE(messages.texts()[1].startsWith(QStringLiteral("Unable to write to ") +
                                               DeletionTotals::settingsPath()));
    EXPECT_EQ(deletedPage(), counting);
    EXPECT_EQ(DeletionTotals::read().filesRecycled, 2);

    messages.scriptAnswers({MessageAnswer::Yes});
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    EXPECT_EQ(deletedPage(), (QStringList{"", "n/a", "n/a", "n/a", "n/a"}));
    EXPECT_EQ(DeletionTotals::read().delDate, -1);
}

TEST_F(StatisticsWindow, PrintsAnImageOfTheWindowWithItsShowingPage) {
    tree.file("a.txt", 5000);
    open();
    collect();
    showPage("TabSheet2");
    QTemporaryDir out;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out.filePath(QStringLiteral("page.pdf")));
    ASSERT_TRUE(w->printTo(printer));
    // The PDF has a page, and it shows the Sizes page's teal byte bar of the one class that holds the file.
    QProcess raster;
    raster.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("50"),
                  QStringLiteral("-singlefile"), printer.outputFileName(),
                  out.filePath(QStringLiteral("page"))});
    ASSERT_TRUE(raster.waitForFinished(30'000));
    const QImage image(out.filePath(QStringLiteral("page.png")));
    ASSERT_FALSE(image.isNull());
    int teal = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            teal += c.red() < 40 && c.green() > 90 && c.green() < 170 && c.blue() > 90 && c.blue() < 170;
        }
    EXPECT_GT(teal, 20);
    EXPECT_EQ(messages.texts().size(), 1); // the start message only, no print error
}
