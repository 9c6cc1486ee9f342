// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MapRaster.h"
#include "support/TempTree.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct CommandRun {
    int code = -1;
    QByteArray err;
};

// The tool as a script would start it on a machine without any display.
CommandRun mapCommand(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VANTOREL_CLI_PATH), QStringList{QStringLiteral("map")} + args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardError()};
}

QString q(const std::string& s) { return QString::fromStdString(s); }

// A tree whose largest type is plain: the .iso fills most of the map at the left.
class MapCommand : public ::testing::Test {
protected:
    TempTree tree;
    TempTree out;
    void SetUp() override {
        tree.file("disc.iso", 8 << 20);
        tree.file("notes/a.txt", 1 << 20);
        tree.file("notes/b.txt", 512 << 10);
    }
};

} // namespace

TEST_F(MapCommand, DrawsThePictureWithoutADisplay) {
    const std::string png = out.path("map.png");
    { std::ofstream(png) << std::string(200'000, 'x'); } // an older, longer file is replaced whole
    const CommandRun run = mapCommand({"--size", "640x400", "--output", q(png), q(tree.root())});
    ASSERT_EQ(run.code, 0) << run.err.constData();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.constData();
    const QImage image(q(png), "PNG");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(640, 400));
    // The disc image's tile, in the colour of the legend's first type, lit in its middle.
    const QColor iso = image.pixelColor(100, 200);
    EXPECT_NEAR(iso.hsvHue(), QColor::fromRgb(MapPalette::rankColour(0)).hsvHue(), 4);
    // The legend's ground at the right edge.
    EXPECT_EQ(image.pixelColor(639, 399), QColor(0xF0, 0xF0, 0xF0));
    // The default size.
    ASSERT_EQ(mapCommand({"--output", q(png), q(tree.root())}).code, 0);
    EXPECT_EQ(QImage(q(png)).size(), QSize(1600, 1000));
}

TEST_F(MapCommand, BadInputEndsWithTwoAndAMessage) {
    const std::string png = out.path("map.png");
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{"--size", "0x100", "--output", q(png), q(tree.root())}, "--size needs WIDTHxHEIGHT"},
        {{"--size", "100x16385", "--output", q(png), q(tree.root())}, "--size needs WIDTHxHEIGHT"},
        {{"--size", "100", "--output", q(png), q(tree.root())}, "--size needs WIDTHxHEIGHT"},
        {{"--output", q(png), q(tree.path("missing"))}, "cannot open folder"},
        {{"--output", q(png)}, "no FOLDER given"},
        {{q(tree.root())}, "needs --output"},
        {{"--output", q(out.path("no/such/folder.png")), q(tree.root())}, "cannot write"},
        {{"--output", q(out.root()), q(tree.root())}, "cannot write"},
        {{"--scan", q(out.path("saved.json")), "--output", q(png)}, "saved.json: No such file or directory"},
        {{"--scan", q(out.path("saved.json")), "--output", q(png), q(tree.root())}, "not both"},
        {{"--output", q(png), q(tree.root()), q(tree.root())}, "map takes one FOLDER"},
    };
    for (const auto& c : cases) {
        const CommandRun run = mapCommand(c.args);
        EXPECT_EQ(run.code, 2) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.constData();
    }
    // No picture was left behind by any of them.
    EXPECT_NE(::access(png.c_str(), F_OK), 0);
}

// The picture takes its name only when it is whole: a link there is replaced, never followed, and
// nothing that is no regular file is written to or waited on.
TEST_F(MapCommand, TheOutputIsReplacedWholeNeverThroughALinkOrAFifo) {
    const std::string theirs = out.file("someone-else/notes.txt", 5, 'n');
    const std::string png = out.path("map.png");
    ASSERT_EQ(::symlink(theirs.c_str(), png.c_str()), 0);
    const CommandRun linked = mapCommand({"--size", "64x48", "--output", q(png), q(tree.root())});
    ASSERT_EQ(linked.code, 0) << linked.err.constData();
    struct stat st {};
    ASSERT_EQ(::lstat(png.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(QImage(q(png)).size(), QSize(64, 48));
    std::ifstream kept(theirs);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "nnnnn");

    const std::string fifo = out.path("fifo.png");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const CommandRun refused = mapCommand({"--output", q(fifo), q(tree.root())});
    EXPECT_EQ(refused.code, 2);
    EXPECT_TRUE(refused.err.contains("fifo.png: not a regular file")) << refused.err.constData();
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    // Nothing half made stays beside them.
    EXPECT_EQ(QDir(q(out.root())).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
}

TEST_F(MapCommand, AFullDiskLeavesTheOldPictureAsItWas) {
    const std::string small = out.folder("small");
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "a tmpfs cannot be mounted here: " << std::strerror(errno);
    const std::string png = small + "/map.png";
    { std::ofstream(png) << "the old picture"; }
    const CommandRun full = mapCommand({"--size", "4000x3000", "--output", q(png), q(tree.root())});
    std::ifstream kept(png);
    const std::string old(std::istreambuf_iterator<char>(kept), {});
    const QStringList left = QDir(q(small)).entryList(QDir::Files | QDir::Hidden);
    ::umount(small.c_str());
    EXPECT_EQ(full.code, 2);
    EXPECT_TRUE(full.err.contains("No space left on device")) << full.err.constData();
    EXPECT_EQ(old, "the old picture");
    EXPECT_EQ(left, QStringList{"map.png"});
}
