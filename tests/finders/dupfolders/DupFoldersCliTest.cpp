// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dupfolders/DupFolderEngine.h"
#include "support/TempTree.h"

#include <QProcess>
#include <fstream>
#include <gtest/gtest.h>

namespace {

struct CliRun {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

CliRun dupfolders(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(VANTOREL_CLI_PATH), QStringList{QStringLiteral("dupfolders")} + args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

class DupFoldersCli : public ::testing::Test {
protected:
    TempTree tree;
    void put(const std::string& relative, const std::string& content) {
        tree.file(relative);
        std::ofstream(tree.path(relative), std::ios::binary) << content;
    }
    void SetUp() override {
        for (const char* copy : {"-a", "b", "c"}) {
            put(std::string(copy) + "/big.bin", std::string(5000, 'x'));
            put(std::string(copy) + "/sub/notes.txt", "notes");
        }
        put("small1/one.txt", "1");
        put("small2/one.txt", "1");
    }
};

} // namespace

TEST_F(DupFoldersCli, PrintsTheGroupsLargestFirst) {
    const CliRun run = dupfolders({"--", q(tree.root())});
    ASSERT_EQ(run.code, 0) << run.err.constData();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.constData();
    const QByteArray root = tree.root().c_str();
    EXPECT_EQ(run.out, "5005\t2\t\t" + root + "/-a\n5005\t2\t\t" + root + "/b\n5005\t2\t\t" + root +
                           "/c\n\n" + "1\t1\t\t" + root + "/small1\n1\t1\t\t" + root + "/small2\n\n");

    // The window's clipboard has the same lines.
    DupFolderEngine engine;
    engine.begin({});
    engine.scanDrive(tree.root());
    engine.finish();
    EXPECT_EQ(run.out, (engine.resultLines().join(u'\n') + u'\n').toUtf8());

    const CliRun nul = dupfolders({"--null", "--larger", "1", q(tree.root())});
    EXPECT_EQ(nul.code, 0);
    EXPECT_EQ(nul.out, QByteArray(root + "/-a") + '\0' + root + "/b" + '\0' + root + "/c" + '\0' + '\0');
}

TEST_F(DupFoldersCli, NoneFoundIsExitOneAndBadInputExitTwo) {
    const CliRun none = dupfolders({"--larger", "5", q(tree.root())});
    EXPECT_EQ(none.code, 1);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_EQ(none.err, "No duplicate folders found.\n");

    for (const QStringList& bad :
         {QStringList{"--larger", "x", q(tree.root())}, QStringList{"--between", "5", "1", q(tree.root())},
          QStringList{"--match", "*.txt", q(tree.root())}, QStringList{q(tree.path("missing"))},
          QStringList{}, QStringList{""}}) {
        const CliRun run = dupfolders(bad);
        EXPECT_EQ(run.code, 2) << bad.join(u' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.startsWith("vantorel-cli: ")) << run.err.constData();
    }
}
