// SPDX-License-Identifier: GPL-3.0-or-later
// --exclude, --exclude-from and --exclude-caches on the command line, against the real ncdu: the same
// entries left out of an export; what a saved scan left out stays out when it is read.
#include "support/TempTree.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

namespace {

struct Outcome {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

Outcome run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}
Outcome cli(const QStringList& args) { return run(QStringLiteral(VANTOREL_CLI_PATH), args); }
QString q(const std::string& s) { return QString::fromStdString(s); }

void WriteText(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

// An export read as two sets of paths below its top folder: what it holds and what it says was
// excluded by a pattern.
struct Exported {
    std::set<QString> kept;
    std::set<QString> excluded;
};
void Collect(const QJsonValue& node, const QString& above, Exported& out) {
    const bool folder = node.isArray();
    const QJsonObject info = folder ? node.toArray().first().toObject() : node.toObject();
    const QString path = above.isEmpty() ? QStringLiteral(".") : above + u'/' + info.value("name").toString();
    if (info.value("excluded").toString() == QStringLiteral("pattern")) {
        out.excluded.insert(path);
        return;
    }
    out.kept.insert(path);
    if (folder) {
        const QJsonArray items = node.toArray();
        for (qsizetype i = 1; i < items.size(); ++i)
            Collect(items[i], path == "." ? QStringLiteral(".") : path, out);
    }
}
Exported Read(const QByteArray& json) {
    Exported out;
    const QJsonArray top = QJsonDocument::fromJson(json).array();
    EXPECT_EQ(top.size(), 4);
    if (top.size() == 4)
        Collect(top[3], QString(), out);
    return out;
}

class ExclusionCommands : public ::testing::Test {
protected:
    void SetUp() override {
        tree.file("src/main.o", 100);
        tree.file("src/main.c", 200);
        tree.file("src/sub/util.o", 300);
        tree.file("web/node_modules/pkg/index.js", 400);
        tree.file("web/app.js", 500);
        tree.file("build-cache/blob", 600);
        WriteText(tree.path("build-cache/CACHEDIR.TAG"), "Signature: 8a477f597d28d172789f06886806bc55\n");
        tree.file("fake-cache/blob", 700);
        WriteText(tree.path("fake-cache/CACHEDIR.TAG"), "Signature: 0000000000000000000000000000000\n");
        tree.file(".config/x.o", 800);
        tree.file("notes.tmp", 900);
        tree.file("backup/2020/a", 1000);
        tree.file("backup/readme", 1100);
    }
    TempTree tree;
};

TEST_F(ExclusionCommands, NamePatternsAndCachesLeaveOutWhatNcduLeavesOut) {
    const QString ncdu = QStandardPaths::findExecutable(QStringLiteral("ncdu"));
    if (ncdu.isEmpty())
        GTEST_SKIP() << "ncdu is not installed (scripts/install-deps.sh installs it)";
    const std::string list = tree.path("../" + std::string("exclusions-") + std::to_string(::getpid()));
    WriteText(list, "# objects and scratch\n*.o\n\n*.tmp\r\n");
    for (const QStringList& options :
         {QStringList{"--exclude", "*.o", "--exclude", "node_modules"}, QStringList{"--exclude-caches"},
          QStringList{"--exclude", "*.tmp", "--exclude-caches", "--exclude", "[b]ackup"},
          QStringList{"-X", q(list)}}) {
        QStringList ours = options;
        ours.replaceInStrings(QStringLiteral("-X"), QStringLiteral("--exclude-from"));
        const Outcome mine = cli(QStringList{"export"} << ours << q(tree.root()));
        const Outcome theirs = run(ncdu, QStringList{"-x", "-o", "-"} << options << q(tree.root()));
        ASSERT_EQ(mine.code, 0) << mine.err.toStdString();
        ASSERT_EQ(theirs.code, 0) << theirs.err.toStdString();
        const Exported a = Read(mine.out), b = Read(theirs.out);
        EXPECT_EQ(a.excluded, b.excluded) << options.join(' ').toStdString();
        EXPECT_EQ(a.kept, b.kept) << options.join(' ').toStdString();
        EXPECT_FALSE(a.excluded.empty());
    }
    std::remove(list.c_str());
}

TEST_F(ExclusionCommands, APathPatternIsAnchoredAtTheScannedFolder) {
    const Exported e = Read(cli({"export", "--exclude", "/backup/*", "--exclude", "src/*.o", q(tree.root())}).out);
    EXPECT_EQ(e.excluded, (std::set<QString>{"./backup/2020", "./backup/readme", "./src/main.o"}));
    EXPECT_TRUE(e.kept.count("./src/sub/util.o")); // "*" stays within one folder
}

TEST_F(ExclusionCommands, ExcludedEntriesAreNotCountedAndAScanKeepsThemOut) {
    const Outcome all = cli({"folders", q(tree.root())});
    const Outcome less = cli({"folders", "--exclude", "*.o", "--exclude-caches", q(tree.root())});
    ASSERT_EQ(less.code, 0);
    // src held 600 bytes in three files; only main.c is counted now. The cache folder has no line.
    EXPECT_TRUE(all.out.contains("\t3\t1\t")) << all.out.toStdString();
    const QList<QByteArray> lines = less.out.split('\n');
    bool sawSrc = false;
    for (const QByteArray& line : lines) {
        EXPECT_FALSE(line.endsWith("/build-cache")) << line.toStdString();
        if (line.endsWith("/src")) {
            sawSrc = true;
            EXPECT_TRUE(line.contains("\t1\t1\t")) << line.toStdString(); // one file, one sub-folder
        }
    }
    EXPECT_TRUE(sawSrc);
    // An export with exclusions, read again without them: still left out.
    const std::string saved = tree.path("../saved-" + std::to_string(::getpid()) + ".json");
    ASSERT_EQ(cli({"export", "--exclude", "*.o", "--exclude-caches", "--output", q(saved), q(tree.root())}).code, 0);
    const Outcome replayed = cli({"folders", "--scan", q(saved)});
    EXPECT_EQ(replayed.out.split('\n').size(), lines.size());
    EXPECT_EQ(cli({"hogs", "--larger", "0", "--scan", q(saved)}).out.contains("main.o"), false);
    // And rules given now apply to a scan too.
    EXPECT_EQ(cli({"hogs", "--larger", "0", "--exclude", "*.js", "--scan", q(saved)}).out.contains(".js"), false);
    std::remove(saved.c_str());
}

TEST_F(ExclusionCommands, BadPatternsAndPatternFilesAreRefusedAtOnce) {
    for (const char* bad : {"", "/", "//", "src/[ab"}) {
        const Outcome o = cli({"hogs", "--exclude", bad, q(tree.root())});
        EXPECT_EQ(o.code, 2) << bad;
        EXPECT_TRUE(o.err.contains(QByteArray("'") + bad + "'")) << o.err.toStdString();
    }
    EXPECT_TRUE(cli({"hogs", "--exclude", "a[b", q(tree.root())}).err.contains("unbalanced ["));
    ASSERT_EQ(::mkfifo(tree.path("fifo").c_str(), 0644), 0);
    WriteText(tree.path("list"), "ok\n[bad\n");
    const auto started = std::chrono::steady_clock::now();
    for (const std::string& file : {tree.path("missing"), tree.path("src"), tree.path("fifo"), tree.path("list")}) {
        const Outcome o = cli({"export", "--exclude-from", q(file), q(tree.root())});
        EXPECT_EQ(o.code, 2) << file;
        EXPECT_TRUE(o.out.isEmpty());
        EXPECT_TRUE(o.err.contains(q(file).toUtf8())) << o.err.toStdString();
    }
    EXPECT_TRUE(cli({"export", "--exclude-from", q(tree.path("list")), q(tree.root())}).err.contains("line 2"));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20)); // no wait on the FIFO
}

} // namespace
