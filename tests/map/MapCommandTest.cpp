// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MapRaster.h"
#include "support/TempTree.h"

#include <QColor>
#include <QImage>
#include <QProcess>
#include <fstream>
#include <gtest/gtest.h>
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
