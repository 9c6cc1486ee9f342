// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliRun.h"
#include "common/DisplayText.h"
#include "common/ReportText.h"
#include "common/SearchPathList.h"
#include "finders/daterange/DateRangeEngine.h"
#include "finders/dup/DupScanEngine.h"
#include "folderhogs/FolderSizeEngine.h"
#include "support/TempTree.h"

#include <QDateTime>
#include <QProcess>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

CliRun cli(const QStringList& args) {
    return RunCli(args);
}

QString q(const std::string& s) { return QString::fromStdString(s); }

// What the window would copy for the same scan, one LF after each line.
QByteArray inProcess(const DupScanCriteria& c, const std::vector<std::string>& roots, bool exact) {
    SearchPathList::global().GetSearchPath();
    DupScanEngine engine;
    engine.begin(c);
    for (const std::string& r : roots)
        engine.scanDrive(r);
    engine.finish(exact);
    return ClipboardText(engine.resultLines()).toUtf8(); // what the window's Clipboard button copies
}

} // namespace

TEST(Cli, HogsAndDupsPrintExactlyTheResultLines) {
    TempTree a, b;
    a.file("big.bin", 600 * 1024);
    a.file("small.txt", 10);
    b.file("sub/BIG.bin", 300 * 1024);
    b.file("sub/small.txt", 20);
    b.file("huge", std::int64_t(3) << 30);

    CliRun hogs = cli({"hogs", q(a.root()), q(b.root())});
    EXPECT_EQ(hogs.code, 0) << hogs.err.constData();
    EXPECT_TRUE(hogs.err.isEmpty()) << hogs.err.constData(); // not a terminal: no progress
    DupScanCriteria c;
    c.dupMode = false;
    EXPECT_EQ(hogs.out, inProcess(c, {a.root(), b.root()}, false));
    EXPECT_EQ(hogs.out.count('\n'), 3); // default: 250 K and more
    EXPECT_TRUE(hogs.out.startsWith("3145728 K\t"));

    CliRun dups = cli({"dups", "--larger", "0", q(a.root()), q(b.root())});
    EXPECT_EQ(dups.code, 0);
    c.dupMode = true;
    c.limit1K = 0;
    EXPECT_EQ(dups.out, inProcess(c, {a.root(), b.root()}, false));
    EXPECT_EQ(dups.out.count('\n'), 4);

    CliRun exact = cli({"dups", "--exact", "--larger", "0", "--match", "*.txt", q(a.root()), q(b.root())});
    EXPECT_EQ(exact.code, 0);
    EXPECT_EQ(exact.out.count('\n'), 2); // 10 and 20 bytes are both "     0.1 K"
    EXPECT_FALSE(exact.out.contains("big"));

    CliRun between = cli({"hogs", "--between", "299", "300", q(a.root()), q(b.root())});
    EXPECT_EQ(between.code, 0);
    EXPECT_EQ(between.out.count('\n'), 1);
    EXPECT_TRUE(between.out.contains("BIG.bin"));
}

TEST(Cli, NothingFoundIsExitOneWithTheMessage) {
    TempTree t;
    t.file("tiny", 1);
    CliRun r = cli({"hogs", q(t.root())});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err, "No files found.\n");
}

TEST(Cli, MistakesAreExitTwoWithAClearMessage) {
    TempTree t;
    t.file("x", 1);
    struct Case {
        QStringList args;
        QByteArray says;
    };
    const std::vector<Case> cases = {
        {{}, "missing command"},
        {{"find", q(t.root())}, "unknown command"},
        {{"hogs", "--bogus", q(t.root())}, "unknown option '--bogus'"},
        {{"hogs", "--larger", "ten", q(t.root())}, "--larger needs a size: a whole number of K, or a number with K"},
        {{"hogs", "--larger", "-5", q(t.root())}, "--larger -5: a size cannot be negative"},
        {{"hogs", "--larger", "1.5", q(t.root())}, "--larger 1.5: a number with a fraction needs a unit"},
        {{"dups", "--between", "1M", "2X", q(t.root())}, "--between 2X: the unit must be K, M, G or T"},
        {{"dups", "--json", "--null", q(t.root())}, "give only one of --null and --json"},
        {{"hogs", "--larjer", "1", q(t.root())}, "unknown option '--larjer' (did you mean --larger?)"},
        {{"hogs", "--smaller"}, "--smaller needs a value"},
        {{"hogs", "--larger", "1", "--smaller", "2", q(t.root())}, "only one of"},
        {{"hogs", "--between", "10", "9", q(t.root())}, "The second number must be larger or equal than the first number"},
        {{"hogs", "--exact", q(t.root())}, "unknown option '--exact'"},
        {{"dups"}, "no FOLDER"},
        {{"dups", q(t.path("missing"))}, "cannot open folder"},
        {{"dups", q(t.path("x"))}, "cannot open folder"},
        {{"hogs", ""}, "an empty FOLDER argument names no folder"},
        {{"hogs", "--larger", "9007199254740992", q(t.root())}, "more bytes than a file can have"},
        {{"hogs", "--", "--help"}, "cannot open folder --help"},
    };
    for (const Case& c : cases) {
        CliRun r = cli(c.args);
        EXPECT_EQ(r.code, 2) << qPrintable(c.args.join(' '));
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.constData();
    }
    CliRun help = cli({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: vantorel-cli COMMAND"));
}

TEST(Cli, OddFolderAndFileNamesStayWhole) {
    TempTree t;
    t.file("-dash/one\tname", 1);
    t.file("-dash/sub/one\tname", 1);
    t.file("-dash/bad\xff", 1);
    t.file("-dash/sub/bad\xff", 1);
    CliRun r = cli({"dups", "--larger", "0", "--", q(t.path("-dash"))});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    QList<QByteArray> lines = r.out.split('\n');
    ASSERT_EQ(lines.size(), 5); // four lines and the empty piece after the last LF
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(lines[i].count('\t'), 6) << lines[i].constData();
    EXPECT_TRUE(r.out.contains("one?name"));
    EXPECT_TRUE(r.out.contains("bad\xef\xbf\xbd"));
}

TEST(Cli, AFolderNamedThroughALinkIsWalkedButNoLinkBelowIt) {
    TempTree t;
    t.file("real/a.dat", 10);
    t.file("real/sub/b.dat", 10);
    t.file("elsewhere/c.dat", 10);
    t.symlink("real/to-elsewhere", "../elsewhere");
    t.symlink("link", "real");
    const QByteArray want = q(t.path("link") + "/a.dat").toUtf8();
    for (const std::string& root : {t.path("link"), t.path("link") + "/", t.path("link") + "//"}) {
        CliRun r = cli({"hogs", "--larger", "0", q(root)});
        ASSERT_EQ(r.code, 0) << r.err.constData();
        EXPECT_EQ(r.out.count('\n'), 2) << r.out.constData();
        EXPECT_TRUE(r.out.contains(want + "\t")) << r.out.constData(); // the path as the user named it
        EXPECT_FALSE(r.out.contains("c.dat"));
    }
}

TEST(Cli, DupsWritesTheClipboardLinesWithNamesUnpadded) {
    TempTree t;
    std::string kana; // ten characters of three bytes each
    for (int i = 0; i < 10; ++i)
        kana += "\xe3\x81\x82";
    t.file("a/" + kana, 1);
    t.file("b/" + kana, 1);
    t.file("a/plain", 1);
    t.file("b/plain", 1);
    CliRun r = cli({"dups", "--larger", "0", q(t.root())});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    DupScanCriteria c;
    c.limit1K = 0;
    EXPECT_EQ(r.out, inProcess(c, {t.root()}, false)); // the window's and the clipboard's lines
    const QList<QByteArray> lines = r.out.split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith("plain\t"));
    EXPECT_TRUE(lines[2].startsWith(QByteArray::fromStdString(kana + "\t"))) << lines[2].constData();
}

TEST(Cli, NullGivesTheExactPathsInTheOrderOfTheLines) {
    TempTree t;
    const std::vector<std::string> names = {"line\nbreak.txt", "tab\there", "bad\xff\xfe", "plain.dat", "-dash"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        t.file("one/" + names[i], std::int64_t(i) * 1000);
        t.file("two/sub/" + names[i], std::int64_t(i) * 1000 + 3000);
    }
    for (bool dupMode : {true, false}) {
        const QString command = dupMode ? "dups" : "hogs";
        CliRun lines = cli({command, "--larger", "0", q(t.root())});
        CliRun paths = cli({command, "--null", "--larger", "0", q(t.root())});
        ASSERT_EQ(paths.code, 0) << paths.err.constData();
        ASSERT_EQ(paths.out.count('\0'), 10);
        EXPECT_TRUE(paths.out.endsWith('\0'));
        // Each path is a file of the tree, byte for byte, and stands where its line stands.
        const QList<QByteArray> p = paths.out.chopped(1).split('\0');
        const QList<QByteArray> l = lines.out.chopped(1).split('\n');
        ASSERT_EQ(p.size(), l.size());
        for (int i = 0; i < p.size(); ++i) {
            struct stat st {};
            EXPECT_EQ(lstat(p[i].constData(), &st), 0) << p[i].constData();
            const QByteArray shown = DisplayText(p[i].toStdString()).toUtf8();
            EXPECT_TRUE(dupMode ? l[i].startsWith(shown.mid(shown.lastIndexOf('/') + 1)) : l[i].contains(shown))
                << l[i].constData();
        }
    }
    CliRun none = cli({"hogs", "--null", q(t.root())}); // nothing of 250 K: still exit 1, no output
    EXPECT_EQ(none.code, 1);
    EXPECT_TRUE(none.out.isEmpty());
}

TEST(Cli, FoldersPrintTheFolderLinesOfEitherMode) {
    TempTree t;
    t.file("big/f", 3 << 20);
    t.file("small/sub/g", 10);
    t.file(std::string("odd\tname/h"), 1);
    for (FolderScanMode mode : {FolderScanMode::Main, FolderScanMode::All}) {
        FolderSizeEngine engine;
        engine.begin(mode);
        engine.scanDrive(t.root());
        engine.finish();
        QByteArray expected, paths;
        for (std::size_t i = 0; i < engine.resultCount(); ++i) {
            expected += engine.resultLine(i).toUtf8() + '\n';
            paths += QByteArray::fromStdString(engine.resultPath(i)) + '\0';
        }
        QStringList args = {"folders", q(t.root())};
        if (mode == FolderScanMode::All)
            args.insert(1, "--all");
        const CliRun run = cli(args);
        EXPECT_EQ(run.code, 0) << run.err.constData();
        EXPECT_EQ(run.out, expected);
        args.insert(1, "--null");
        EXPECT_EQ(cli(args).out, paths);
    }
    const TempTree empty;
    const CliRun none = cli({"folders", q(empty.root())});
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.err, "No files found.\n");
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_EQ(cli({"folders", "--larger", "5", q(t.root())}).code, 2); // a size has no meaning here
    EXPECT_EQ(cli({"dups", "--all", q(t.root())}).code, 2);
    EXPECT_EQ(cli({"folders", q(t.path("missing"))}).code, 2);
}

TEST(Cli, DatesPrintTheFoundLinesInWalkOrder) {
    TempTree t;
    t.file("sub/june.txt", 10);
    t.file("june-too.txt", 20);
    t.file("may.txt", 30);
    const auto at = [](int d, int m) { return QDateTime(QDate(2024, m, d), QTime(12, 0)).toSecsSinceEpoch(); };
    t.setTimes("sub/june.txt", at(1, 1), at(30, 6));
    t.setTimes("june-too.txt", at(1, 1), at(1, 6));
    t.setTimes("may.txt", at(1, 1), at(31, 5));
    DateRangeEngine engine;
    engine.begin({DateKind::Modified, DateRange::Between, QDate(2024, 6, 1), QDate(2024, 6, 30), "*.*"});
    engine.scanDrive(t.root());
    ASSERT_EQ(engine.resultCount(), 2u);
    QByteArray expected;
    for (const QString& line : engine.resultLines())
        expected += line.toUtf8() + '\n';
    const CliRun run = cli({"dates", "--modified", "--between", "2024-06-01", "2024-06-30", q(t.root())});
    EXPECT_EQ(run.code, 0) << run.err.constData();
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(cli({"dates", "--modified", "--after", "2024-06-01", "--null", "--match", "may*", q(t.root())}).code, 1);

    const CliRun badStart = cli({"dates", "--accessed", "--before", "2024-02-30", q(t.root())});
    EXPECT_EQ(badStart.code, 2);
    EXPECT_EQ(badStart.err, "vantorel-cli: Invalid start date\n");
    EXPECT_EQ(cli({"dates", "--created", "--between", "2024-01-01", "tomorrow", q(t.root())}).err,
              "vantorel-cli: Invalid ending date\n");
    EXPECT_EQ(cli({"dates", "--before", "2024-01-01", q(t.root())}).code, 2); // which date?
}

TEST(Cli, StatsPrintEveryRecordOfTheCollection) {
    TempTree t;
    t.file("A.TXT", 100);
    t.file("sub/b.txt", 20'000);
    const CliRun run = cli({"stats", q(t.root())});
    ASSERT_EQ(run.code, 0) << run.err.constData();
    const QList<QByteArray> lines = run.out.split('\n');
    ASSERT_EQ(lines.size(), 1 + 9 + 30 + 4 + 1 + 3 + 1); // the last is what follows the final LF
    EXPECT_EQ(lines[0], "files\t2");
    EXPECT_EQ(lines[1], "size\t1\t1\t100");
    EXPECT_EQ(lines[2], "size\t2\t1\t20000");
    EXPECT_EQ(lines[10], "accessed\t0\t0\t0");
    EXPECT_EQ(lines[40], "attribute\thidden\t0\t0");
    EXPECT_EQ(lines[44], "type\t.TXT\t2\t20100");
    EXPECT_TRUE(lines[45].startsWith("cluster\t"));
    const QList<QByteArray> disk = lines[46].split('\t'); // disk total free used reserved
    ASSERT_EQ(disk.size(), 5);
    EXPECT_EQ(disk[0], "disk");
    EXPECT_LE(disk[3].toLongLong() + disk[4].toLongLong(), disk[1].toLongLong());
    EXPECT_TRUE(lines[47].startsWith("allocated\t"));
    EXPECT_EQ(cli({"stats", q(t.root()), q(t.root())}).code, 2);
    EXPECT_EQ(cli({"stats", q(t.path("missing"))}).code, 2);
}

TEST(Cli, ViewAndStringsPrintWhatTheViewerShows) {
    TempTree t;
    const std::string text = t.path("text");
    {
        std::ofstream out(text, std::ios::binary);
        out << "one\r\ntwo\rthree\n\nlast";
    }
    EXPECT_EQ(cli({"view", q(text)}).out, "one\ntwo\nthree\n\nlast\n");
    EXPECT_EQ(cli({"view", "--from", "1", "--count", "2", q(text)}).out, "two\nthree\n");
    EXPECT_EQ(cli({"view", "--from", "99", q(text)}).out, "");
    EXPECT_EQ(cli({"view", "--total", q(text)}).out, "5\n");
    EXPECT_EQ(cli({"view", "--total", "--hex", q(text)}).out, "2\n");
    EXPECT_EQ(cli({"view", "--hex", "--from", "1", q(text)}).out,
              "00000010  6C 61 73 74                                      last            \n");
    EXPECT_EQ(cli({"view", "--from", "-1", q(text)}).code, 2);
    const CliRun missing = cli({"view", q(t.path("missing"))});
    EXPECT_EQ(missing.code, 2);
    EXPECT_EQ(missing.err, "vantorel-cli: Viewer: file not found\n");

    const std::string binary = t.path("binary");
    {
        std::ofstream out(binary, std::ios::binary);
        out << std::string("\x01\x02 readable text\xff" "C:\\WINDOWS\\SYSTEM.INI\x00tail end", 47);
    }
    EXPECT_EQ(cli({"strings", q(binary)}).out, " readable text\nWINDOWS\nSYSTEM\ntail end\n");
    EXPECT_EQ(cli({"strings", q(t.root())}).code, 2);
}

TEST(Cli, DupsContentKeepsOnlyIdenticalTwinsInGroups) {
    TempTree t;
    const auto put = [&t](const std::string& relative, const std::string& bytes) {
        t.file(relative, 0);
        std::ofstream(t.path(relative), std::ios::binary) << bytes;
    };
    put("a/report.pdf", std::string(300 * 1024, 'r'));
    put("b/report.pdf", std::string(300 * 1024, 'r'));
    put("c/report.pdf", std::string(300 * 1024 - 1, 'r') + "!");
    const CliRun lines = cli({"dups", "--content", q(t.root())});
    ASSERT_EQ(lines.code, 0) << lines.err.constData();
    const QList<QByteArray> out = lines.out.split('\n');
    ASSERT_EQ(out.size(), 4); // two lines, the group's empty line, and what follows the last LF
    EXPECT_TRUE(out[0].contains(QByteArray::fromStdString(t.path("a/"))));
    EXPECT_TRUE(out[1].contains(QByteArray::fromStdString(t.path("b/"))));
    EXPECT_EQ(out[2], "");
    EXPECT_EQ(cli({"dups", "--content", "--null", q(t.root())}).out,
              QByteArray::fromStdString(t.path("a/report.pdf")) + '\0' +
                  QByteArray::fromStdString(t.path("b/report.pdf")) + '\0' + '\0');
    EXPECT_EQ(cli({"hogs", "--content", q(t.root())}).code, 2);
}

TEST(Cli, FileToolsSayWhatTheyCannotReadAndRangesThatFindNothingAreRefused) {
    TempTree t;
    const std::string fifo = t.path("fifo"), socketPath = t.path("socket");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const int listening = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listening, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(::bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    // A FIFO without a writer would hold a reader forever: neither tool may wait on it.
    for (const std::string& odd : {fifo, socketPath, std::string("/dev/zero"), t.folder("folder")})
        for (const char* tool : {"view", "strings"}) {
            const CliRun r = cli({tool, q(odd)});
            EXPECT_EQ(r.code, 2) << tool << " " << odd;
            EXPECT_TRUE(r.out.isEmpty());
            EXPECT_EQ(r.err, QByteArray::fromStdString("vantorel-cli: " + odd + ": not a regular file\n"));
        }
    ::close(listening);

    // /proc/self/mem has no end to seek to, so nothing for the viewer to page through; strings reads
    // it and meets the unmapped first page (EIO), which is no end of the file.
    for (const QStringList& view :
         {QStringList{"view", "/proc/self/mem"}, QStringList{"view", "--total", "/proc/self/mem"}})
        EXPECT_EQ(cli(view).err, "vantorel-cli: /proc/self/mem: not a regular file\n");
    const CliRun mem = cli({"strings", "/proc/self/mem"});
    EXPECT_EQ(mem.code, 2);
    EXPECT_EQ(mem.err, QByteArray("vantorel-cli: /proc/self/mem: ") + std::strerror(EIO) + "\n");

    // Like reversed sizes and an empty FOLDER: choices that could only ever find nothing.
    t.file("x.txt", 1);
    const QString root = q(t.root());
    struct Case {
        QStringList args;
        QByteArray says;
    };
    const std::vector<Case> refused = {
        {{"dates", "--modified", "--between", "2030-01-01", "2020-01-01", root},
         "vantorel-cli: The ending date must be the same as the start date or later\n"},
        {{"hogs", "--larger", "0", "--match", "", root},
         "vantorel-cli: an empty --match PATTERN matches no file\n"},
        {{"dups", "--match", " ; ", root}, "vantorel-cli: an empty --match PATTERN matches no file\n"},
        {{"dates", "--accessed", "--after", "2020-01-01", "--match", "", root},
         "vantorel-cli: an empty --match PATTERN matches no file\n"},
    };
    for (const Case& c : refused) {
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, 2) << qPrintable(c.args.join(' '));
        EXPECT_EQ(r.err, c.says);
    }
    EXPECT_EQ(cli({"dates", "--modified", "--between", "2020-01-01", "2020-01-01", root}).code, 1); // one day
}
