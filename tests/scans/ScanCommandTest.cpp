// SPDX-License-Identifier: GPL-3.0-or-later
// export, compare and --scan as scripts use them, and against the real ncdu: it reads every export,
// and a scan it wrote gives the lines of a live walk.
#include "support/TempTree.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

// Readable failures: gtest finds this for the items of a QStringList.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

struct Outcome {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

Outcome run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}
Outcome cli(const QStringList& args) {
    return run(QStringLiteral(VANTOREL_CLI_PATH), args);
}
// Runs the tool with its output in a file and gives its exit code and peak memory (KiB).
std::pair<int, long> runMeasured(std::vector<std::string> args, const std::string& output) {
    args.insert(args.begin(), VANTOREL_CLI_PATH);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return {-1, 0};
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss};
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Lines with the given fields (1-based) only.
QStringList fields(const QByteArray& out, std::initializer_list<int> wanted) {
    QStringList lines;
    for (const QString& line : QString::fromUtf8(out).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(u'\t');
        QStringList kept;
        for (int n : wanted)
            kept << f.value(n - 1);
        lines << kept.join(u'\t');
    }
    return lines;
}

class ScanCommands : public ::testing::Test {
protected:
    TempTree tree;
    TempTree out;
    void SetUp() override {
        tree.file("a/one.bin", 70'000);
        tree.file("a/b/two.bin", 5'000);
        tree.file("c/three.txt", 300);
        tree.file(std::string("c/odd\tname\n\x01\xff\".txt"), 12);
        tree.file("c/.hidden/x", 9);
    }
};

} // namespace

TEST_F(ScanCommands, ExportThenReadGivesTheLinesOfTheWalk) {
    for (const char* name : {"scan.json", "scan.json.zst"}) {
        const QString file = q(out.path(name));
        const Outcome exported = cli({"export", "--output", file, q(tree.root())});
        ASSERT_EQ(exported.code, 0) << exported.err.constData();
        EXPECT_TRUE(exported.out.isEmpty());
        for (const QStringList& command :
             {QStringList{"folders", "--all"}, QStringList{"folders"}, QStringList{"hogs", "--larger", "0"},
              QStringList{"dups", "--smaller", "100"}, QStringList{"dups", "--exact", "--smaller", "100"},
              QStringList{"stats"}}) {
            const Outcome live = cli(command + QStringList{q(tree.root())});
            const Outcome saved = cli(command + QStringList{"--scan", file});
            ASSERT_EQ(saved.code, live.code) << saved.err.constData();
            if (command.front() == "folders")
                EXPECT_EQ(fields(saved.out, {1, 3, 4, 5, 6}), fields(live.out, {1, 3, 4, 5, 6}));
            else if (command.front() == "stats") // the disk's own figures are not in a scan
                EXPECT_EQ(saved.out.left(saved.out.indexOf("cluster")),
                          live.out.left(live.out.indexOf("cluster")));
            else
                EXPECT_EQ(saved.out, live.out) << command.join(' ').toStdString();
        }
    }
    // The map of a scan, drawn without a display.
    const Outcome map =
        cli({"map", "--size", "64x48", "--output", q(out.path("m.png")), "--scan", q(out.path("scan.json"))});
    EXPECT_EQ(map.code, 0) << map.err.constData();
    // Standard output, and nothing left behind by a run that could not write.
    EXPECT_TRUE(cli({"export", q(tree.root())}).out.startsWith("[1,2,{\"progname\":\"vantorel\""));
    const Outcome nowhere = cli({"export", "--output", q(out.path("missing/x.json")), q(tree.root())});
    EXPECT_EQ(nowhere.code, 2);
    EXPECT_TRUE(nowhere.err.contains("cannot write")) << nowhere.err.constData();
}

TEST_F(ScanCommands, CompareListsTheChangedFolders) {
    const QString before = q(out.path("before.json.zst"));
    ASSERT_EQ(cli({"export", "--output", before, q(tree.root())}).code, 0);
    const Outcome same = cli({"compare", before, q(tree.root())});
    EXPECT_EQ(same.code, 1);
    EXPECT_EQ(same.err, "No changes.\n");
    tree.file("a/b/more.bin", 10'000);
    const Outcome grown = cli({"compare", before, q(tree.root())});
    ASSERT_EQ(grown.code, 0) << grown.err.constData();
    EXPECT_EQ(grown.out, ("+10000\t75000\t85000\tgrown\t" + tree.root() + "/a\n").c_str());
    const Outcome all = cli({"compare", "--all", before, q(tree.root())});
    EXPECT_EQ(all.out.count('\n'), 3); // the root, a, a/b
    // Two scans, one of a tree that is gone: still compared.
    const QString after = q(out.path("after.json"));
    ASSERT_EQ(cli({"export", "--output", after, q(tree.root())}).code, 0);
    ASSERT_EQ(std::system(("rm -rf '" + tree.root() + "/a'").c_str()), 0);
    EXPECT_EQ(cli({"compare", before, after}).out, grown.out);
    // Scans of different folders, and bad input: exit 2 with a message, nothing on standard output.
    const QString other = q(out.path("other.json"));
    ASSERT_EQ(cli({"export", "--output", other, q(tree.path("c"))}).code, 0);
    const Outcome different = cli({"compare", before, other});
    EXPECT_EQ(different.code, 2);
    EXPECT_TRUE(different.err.contains("different folders")) << different.err.constData();
    std::ofstream(out.path("broken.json")) << "[1,2,{},[{\"name\":\"/x\"},{\"name\":\"f\"";
    for (const QStringList& args :
         {QStringList{"compare", before, q(out.path("broken.json"))},
          QStringList{"folders", "--scan", q(out.path("broken.json"))},
          QStringList{"folders", "--scan", before, q(tree.root())}, QStringList{"compare", before},
          QStringList{"dups", "--content", "--scan", before}}) {
        const Outcome r = cli(args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_FALSE(r.err.isEmpty());
    }
}

TEST_F(ScanCommands, TheRealNcduReadsOurExportsAndWeReadItsScans) {
    const QString ncdu = QStandardPaths::findExecutable(QStringLiteral("ncdu"));
    if (ncdu.isEmpty())
        GTEST_SKIP() << "ncdu is not installed (scripts/install-deps.sh installs it)";
    const QString ours = q(out.path("ours.json"));
    ASSERT_EQ(cli({"export", "--output", ours, q(tree.root())}).code, 0);
    // ncdu reads it, hostile names included, and its own export of it agrees on every size.
    const Outcome again = run(ncdu, {"-f", ours, "-o", "-"});
    ASSERT_EQ(again.code, 0) << again.err.constData();
    std::ofstream(out.path("again.json")) << again.out.toStdString();
    for (const QStringList& command :
         {QStringList{"folders", "--all"}, QStringList{"hogs", "--larger", "0"}}) {
        const Outcome a = cli(command + QStringList{"--scan", ours});
        const Outcome b = cli(command + QStringList{"--scan", q(out.path("again.json"))});
        // Folders: size, files, sub-folders, path; files: size and path (ncdu's re-export has no times).
        const bool folders = command.front() == QLatin1String("folders");
        EXPECT_EQ(folders ? fields(a.out, {1, 3, 4, 6}) : fields(a.out, {1, 5}),
                  folders ? fields(b.out, {1, 3, 4, 6}) : fields(b.out, {1, 5}))
            << command.join(' ').toStdString();
    }
    // ncdu's own scan of the tree gives the lines of the live walk (not the date: ncdu has no access
    // time; not the percent: a scan has no drive).
    const QString theirs = q(out.path("theirs.json"));
    ASSERT_EQ(run(ncdu, {"-x", "-o", theirs, q(tree.root())}).code, 0);
    for (const QStringList& command : {QStringList{"folders", "--all"}, QStringList{"folders"}}) {
        const Outcome live = cli(command + QStringList{q(tree.root())});
        const Outcome saved = cli(command + QStringList{"--scan", theirs});
        EXPECT_EQ(fields(saved.out, {1, 3, 4, 6}), fields(live.out, {1, 3, 4, 6}));
        EXPECT_EQ(fields(saved.out, {5}).join(QString()), QString()); // no date where the scan has none
    }
    // gdu's export too, where the installed gdu writes one.
    const QString gdu = QStandardPaths::findExecutable(QStringLiteral("gdu"));
    if (gdu.isEmpty())
        return;
    // A file dated before 1970, which gdu writes with a negative time: still a scan to read.
    tree.file("c/1965.txt", 5);
    tree.setTimes("c/1965.txt", -157766400, -157766400);
    const QString gdus = q(out.path("gdu.json"));
    ASSERT_EQ(run(gdu, {"--no-progress", "-o", gdus, q(tree.root())}).code, 0);
    ASSERT_TRUE(readAll(gdus).contains("\"mtime\":-157766400")) << readAll(gdus).constData();
    const Outcome live = cli({"folders", "--all", q(tree.root())});
    const Outcome saved = cli({"folders", "--all", "--scan", gdus});
    EXPECT_EQ(fields(saved.out, {1, 3, 4, 6}), fields(live.out, {1, 3, 4, 6}));
}

// A 200 MB scan, most of it a value no reader knows, read through in memory that does not grow with it.
TEST_F(ScanCommands, AScanOf200MBIsReadInLittleMemory) {
    const std::string file = out.path("big.json");
    {
        std::ofstream big(file, std::ios::binary);
        big << R"([1,2,{"progname":"elsewhere"},[{"name":"/far/away"},[{"name":"blob"},{"name":"f","asize":7,"x":")";
        const std::string chunk = std::string(1 << 20, 'b') + "\\n\\u00e9\\\"";
        for (int i = 0; i < 200; ++i)
            big << chunk;
        big << R"("}],[{"name":"many"})";
        for (int i = 0; i < 100'000; ++i)
            big << ",\n{\"name\":\"file " << i << "\",\"asize\":1,\"dsize\":4096,\"ino\":" << i
                << ",\"mtime\":1}";
        big << "]]]\n";
    }
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    ASSERT_GT(st.st_size, 200'000'000);
    const std::string lines = out.path("lines.txt");
    const auto [code, peakKiB] = runMeasured({"folders", "--scan", file}, lines);
    EXPECT_EQ(code, 0);
    std::ifstream in(lines);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\t1\t0\t\t/far/away/blob\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\t100000\t0\t\t/far/away/many\n"), std::string::npos) << text;
    EXPECT_LT(peakKiB, 128 * 1024); // the file is 200 MB; kept whole it would not fit
}

// What is no regular file is refused at once as a scan to read or to write, never waited on nor
// replaced.
TEST_F(ScanCommands, AFifoOrADeviceIsRefusedWithoutWaiting) {
    const std::string fifo = out.path("scan.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    QStringList places{q(fifo)};
    // A device of its own (the null device's numbers), where this may make one.
    const std::string device = out.path("null-device");
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        places << q(device);
    for (const QString& place : places) {
        for (const QStringList& args :
             {QStringList{"folders", "--scan", place}, QStringList{"compare", place, q(tree.root())},
              QStringList{"compare", q(tree.root()), place},
              QStringList{"map", "--scan", place, "--output", q(out.path("m.png"))},
              QStringList{"map", "--output", place, q(tree.root())},
              QStringList{"export", "--output", place, q(tree.root())}}) {
            const Outcome r = cli(args);
            EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
            EXPECT_TRUE(r.err.contains(": not a regular file")) << r.err.constData();
        }
    }
    struct stat st {};
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(::lstat(device.c_str(), &st) != 0 || S_ISCHR(st.st_mode));
    // Standard input is still read where "-" names it.
    const QString saved = q(out.path("saved.json"));
    ASSERT_EQ(cli({"export", "--output", saved, q(tree.root())}).code, 0);
    QProcess p;
    p.setStandardInputFile(saved);
    p.start(QStringLiteral(VANTOREL_CLI_PATH), {"folders", "--scan", "-"});
    ASSERT_TRUE(p.waitForFinished(60'000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
}
