// SPDX-License-Identifier: GPL-3.0-or-later
// Saved scans written while walking and read back as a walk: the engines give the same lines from
// the file as from the disk, and anything that is not a saved scan is refused with a message.
#include "scans/SavedScan.h"
#include "ExportedTree.h"
#include "finders/dup/DupScanEngine.h"
#include "folderhogs/FolderSizeEngine.h"
#include "platform/FolderWalker.h"
#include "scans/FolderTotals.h"
#include "scans/ScanExporter.h"
#include "scans/ScanJson.h"
#include "scans/ScanOutput.h"
#include "scans/SnapshotStore.h"
#include "stats/StatisticsCollector.h"
#include "support/TempTree.h"

#include <QStringList>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The lines without their percent field, which only a walk of the disk knows.
QStringList withoutPercent(QStringList lines) {
    for (QString& line : lines) {
        QStringList fields = line.split(u'\t');
        fields[1].clear();
        line = fields.join(u'\t');
    }
    return lines;
}

QStringList folderLines(FolderScanMode mode, const std::string& root, const std::string& scanFile) {
    FolderSizeEngine engine;
    engine.begin(mode);
    if (scanFile.empty()) {
        engine.scanDrive(root);
    } else {
        SavedScan scan;
        EXPECT_TRUE(scan.open(scanFile)) << scan.error();
        engine.scanSaved(scan.replay());
        EXPECT_FALSE(scan.failed()) << scan.error();
    }
    engine.finish();
    return withoutPercent(engine.resultLines());
}

QStringList dupLines(bool dupMode, const std::string& root, const std::string& scanFile) {
    DupScanEngine engine;
    DupScanCriteria criteria;
    criteria.dupMode = dupMode;
    criteria.range = SizeRange::LargerOrEqual;
    criteria.limit1K = 0;
    engine.begin(criteria);
    if (scanFile.empty()) {
        engine.scanDrive(root);
    } else {
        SavedScan scan;
        EXPECT_TRUE(scan.open(scanFile)) << scan.error();
        engine.scanSaved(scan.replay());
    }
    engine.finish(false);
    return engine.resultLines();
}

// A tree with what a saved scan must carry exactly: odd names, hidden entries, links, hard links.
class SavedScans : public ::testing::Test {
protected:
    TempTree tree;
    TempTree out;
    void SetUp() override {
        tree.file("docs/report.txt", 3000);
        tree.file("docs/old/report.txt", 5000);
        tree.file(std::string("docs/tab\there \"q\" \\.txt"), 10);
        tree.file(std::string("docs/line\nbreak.txt"), 20);
        tree.file(std::string("docs/bad\xff\xfe.bin"), 40);
        tree.file("media/film.mkv", 300'000);
        tree.file("media/.hidden/inside.dat", 7000);
        tree.file("media/.dotfile", 11);
        tree.symlink("media/link", "film.mkv");
        tree.folder("empty");
        ::link(tree.path("docs/report.txt").c_str(), tree.path("media/twin.txt").c_str());
        tree.setTimes("docs/report.txt", 1'600'000'000, 1'500'000'000);
    }
    std::string exportTree(const std::string& name, int level = 0) {
        ExportTree(tree.root(), out.path(name), level);
        return out.path(name);
    }
};

} // namespace

TEST_F(SavedScans, EveryEngineReadsTheScanAsItWalksTheTree) {
    for (int level : {0, 3}) {
        const std::string file = exportTree(level ? "scan.json.zst" : "scan.json", level);
        for (FolderScanMode mode : {FolderScanMode::Main, FolderScanMode::All})
            EXPECT_EQ(folderLines(mode, tree.root(), file), folderLines(mode, tree.root(), {}));
        for (bool dupMode : {true, false})
            EXPECT_EQ(dupLines(dupMode, tree.root(), file), dupLines(dupMode, tree.root(), {})) << dupMode;
        StatisticsCollector live, saved;
        live.collect(tree.root());
        SavedScan scan;
        ASSERT_TRUE(scan.open(file));
        saved.collectSaved(scan.replay());
        const FileStatistics &a = live.statistics(), &b = saved.statistics();
        EXPECT_EQ(a.filesProcessed, b.filesProcessed);
        EXPECT_EQ(a.hidden.bytes, b.hidden.bytes);
        EXPECT_EQ(a.system.files, b.system.files);
        EXPECT_EQ(a.allocatedBytes, b.allocatedBytes);
        for (std::size_t c = 0; c < 10; ++c) {
            EXPECT_EQ(a.modified[c].files, b.modified[c].files) << c;
            EXPECT_EQ(a.accessed[c].files, b.accessed[c].files) << c;
        }
    }
}

TEST_F(SavedScans, NamesComeBackByteForByteAndHiddenFoldersAreInTheExport) {
    const std::string file = exportTree("scan.json");
    const std::string text = readFile(file);
    // Escaped as ncdu escapes them; bytes that are not UTF-8 as they are.
    EXPECT_NE(text.find(R"("tab\there \"q\" \\.txt")"), std::string::npos);
    EXPECT_NE(text.find(R"("line\nbreak.txt")"), std::string::npos);
    EXPECT_NE(text.find("\"bad\xff\xfe.bin\""), std::string::npos);
    EXPECT_EQ(text.rfind("[1,2,{\"progname\":\"vantorel\"", 0), 0u);
    SavedScanReader reader;
    ASSERT_TRUE(reader.open(file));
    EXPECT_EQ(reader.header().root.name, tree.root());
    std::vector<std::string> names;
    bool twinHardLinked = false;
    for (auto e = reader.next(); reader.depth() > 0 || e != SavedScanReader::Event::End; e = reader.next()) {
        ASSERT_NE(e, SavedScanReader::Event::Failed) << reader.error();
        if (e != SavedScanReader::Event::End)
            names.push_back(reader.item().name);
        if (reader.item().name == "twin.txt")
            twinHardLinked = reader.item().has(SavedScanItem::HardLinked) && reader.item().links == 2;
    }
    for (const char* name : {"tab\there \"q\" \\.txt", "line\nbreak.txt", "bad\xff\xfe.bin", ".hidden",
                             "inside.dat", ".dotfile", "link", "empty"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
    EXPECT_TRUE(twinHardLinked);
}

TEST_F(SavedScans, TheReplayKeepsTheWalkersRules) {
    // A mount (another device) and a folder that could not be read, as ncdu writes them.
    const std::string file = out.path("ncdu.json");
    writeFile(file, R"([1,2,{"progname":"ncdu","progver":"1.18","timestamp":1},
[{"name":"/srv","dev":5},
[{"name":"data","asize":4096},{"name":"a.bin","asize":2048},{"name":".cache.bin","asize":1024}],
[{"name":"mnt","dev":9},[{"name":"big","asize":999999}]],
[{"name":"proc","excluded":"othfs"}],
[{"name":"locked","read_error":true}],
[{"name":".config"},{"name":"secret","asize":123456}],
{"name":"loose.txt","asize":10,"future_key":[1,{"deep":[null,true,"x"]}]}]])");
    const QStringList main = folderLines(FolderScanMode::Main, {}, file);
    ASSERT_EQ(main.size(), 2) << main.join(u'\n').toStdString();
    EXPECT_TRUE(main[0].startsWith(QStringLiteral("      3 K\t\t2\t0\t\t/srv/data")))
        << main[0].toStdString();
    // Not entered, so not measured: marked unread, never shown as empty.
    EXPECT_EQ(main[1], QStringLiteral("      ? K\t\t?\t?\t\t/srv/locked"));
    FolderTotals totals;
    SavedScan scan;
    ASSERT_TRUE(scan.open(file));
    scan.replay().replay(totals);
    EXPECT_EQ(totals.folders()[0].bytes, 2048 + 1024 + 10); // files only: no mount, no hidden folder
    EXPECT_EQ(totals.unread(), 1);
}

// A scan many times the reader's buffer, texts and numbers cut by its ends everywhere, plain and
// compressed: every entry read, in constant memory.
TEST_F(SavedScans, ALargeScanIsReadWholeAcrossItsBlocks) {
    for (int level : {0, 1}) {
        const std::string file = out.path(level ? "large.json.zst" : "large.json");
        ScanOutput output;
        ASSERT_EQ(output.open(file, level > 0, level), 0);
        output.write("[1,2,{\"progname\":\"test\"},\n[{\"name\":\"/big\"},[{\"name\":\"in\"}");
        const int files = 40'000;
        for (int i = 0; i < files; ++i) {
            std::string& b = output.buffer();
            b += ",\n{\"name\":";
            AppendJsonString(b, "file number " + std::to_string(i) + std::string(std::size_t(i % 97), 'n') +
                                    "\t\xff");
            b += ",\"asize\":" + std::to_string(i) + ",\"mtime\":1700000000,\"x\":[\"" +
                 std::string(std::size_t(i % 13), 'z') + "\"]}";
            output.written();
        }
        output.write("]]]\n");
        ASSERT_EQ(output.finish(), 0);
        SavedScan scan;
        ASSERT_TRUE(scan.open(file)) << scan.error();
        FolderTotals totals;
        EXPECT_TRUE(scan.replay().replay(totals)) << scan.error();
        EXPECT_EQ(totals.folders().size(), 2u);
        EXPECT_EQ(totals.folders()[0].bytes, std::int64_t(files) * (files - 1) / 2);
    }
}

TEST_F(SavedScans, WhatIsNoSavedScanIsRefusedWithItsLine) {
    const std::string good = R"([1,2,{},[{"name":"/r"},{"name":"f","asize":1}]])";
    const struct {
        std::string text;
        const char* says;
    } bad[] = {
        {"", "an empty file"},
        {"hello", "does not begin with '['"},
        {R"({"name":"/r"})", "does not begin with '['"},
        {R"([1,2,3])", "metadata"},
        {R"([2,0,{},[{"name":"/r"}]])", "version 2"},
        {good.substr(0, good.size() - 5), "cut short"},
        {good + "x", "after the end"},
        {R"([1,2,{},[{"name":"/r"},{"name":"a\u0000b"}]])", "NUL"},
        {R"([1,2,{},[{"name":"/r"},{"name":"a/b"}]])", "no entry of a folder can have"},
        {R"([1,2,{},[{"name":"/r"},{"name":".."}]])", "no entry of a folder can have"},
        {R"([1,2,{},[{"name":"/r"},{"name":"f","asize":-5}]])", "negative"},
        {R"([1,2,{},[{"name":"/r"},{"name":"f","dsize":99999999999999999999}]])", "too large"},
        {"[1,2,{},\n[{\"name\":\"/r\"},\n{\"asize\":1}]]", "line 3: an entry without a name"},
        {"[1,2,{},[{\"name\":\"/r\"},{\"name\":\"a\nb\"}]]", "line break inside a text"},
        // Numbers as no program writes them, and times that would read as "no date".
        {R"([01,2,{},[{"name":"/r"}]])", "leading zero"},
        {R"([1,2,{},[{"name":"/r"},{"name":"f","asize":0192}]])", "leading zero"},
        {R"([1,2,{},[{"name":"/r"},{"name":"f","mtime":-07}]])", "leading zero"},
        {R"([1,2,{},[{"name":"/r"},{"name":"f","mtime":1700000000.5}]])", "whole number"},
        {R"([1,2,{},[{"name":"/r"},{"name":"f","atime":null}]])", "null where a number should be"},
        {R"([1,2,{},[{"name":"/r"},{"name":"f","asize":null}]])", "null where a number should be"},
        // One name twice in a folder would make a file its own copy; the same name below is fine.
        {"[1,2,{},\n[{\"name\":\"/"
         "r\"},\n{\"name\":\"f\"},\n[{\"name\":\"d\"},{\"name\":\"f\"}],\n{\"name\":\"f\"}]]",
         "line 5: a name given a second time in one folder"},
        {"[1,2,{},\n[{\"name\":\"/r\"},\n[{\"name\":\"d\"}],\n{\"name\":\"d\"}]]", "line 4: a name given a second time"},
        // Sizes the file decides must not decide the memory.
        {R"([1,2,{},[{"name":"/r"},{"name":")" + std::string(5000, 'n') + R"("}]])",
         "longer than 4095 bytes"},
        {R"([1,2,{},[{"name":"/r"},{"name":"f","x":)" + std::string(2000, '[') + std::string(2000, ']') +
             "}]]",
         "nested more than 1024 deep"},
    };
    for (const auto& c : bad) {
        const std::string file = out.path("bad.json");
        writeFile(file, c.text);
        SavedScan scan;
        FolderTotals totals;
        const bool opened = scan.open(file);
        if (opened)
            scan.replay().replay(totals);
        EXPECT_TRUE(!opened || scan.failed()) << c.text;
        EXPECT_NE(scan.error().find(c.says), std::string::npos) << c.text << " -> " << scan.error();
        EXPECT_EQ(scan.error().rfind(file, 0), 0u) << scan.error();
    }
    // Missing numbers read as 0, as ncdu reads them; unknown keys are passed over; a time before 1970
    // is negative, as gdu writes it.
    const std::string file = out.path("lean.json");
    writeFile(
        file,
        R"([1,0,{"x":{"y":[]}},[{"name":"/r","other":"z"},[{"name":"d"},{"name":"f","mystery":1.5e3,")" +
            std::string(100'000, 'k') + R"(":")" + std::string(100'000, 'v') +
            R"("},{"name":"1965","mtime":-157766400,"atime":0,"read_error":null}]]])");
    SavedScan scan;
    ASSERT_TRUE(scan.open(file)) << scan.error();
    FolderTotals totals;
    EXPECT_TRUE(scan.replay().replay(totals)) << scan.error();
    EXPECT_EQ(totals.folders().size(), 2u);
    // A name that says .zst must be zstd; compressed data cut short is said too.
    writeFile(out.path("fake.json.zst"), good);
    SavedScan fake;
    EXPECT_FALSE(fake.open(out.path("fake.json.zst")));
    EXPECT_NE(fake.error().find("not zstd"), std::string::npos);
    const std::string packed = readFile(exportTree("real.json.zst", 3));
    writeFile(out.path("cut.json.zst"), packed.substr(0, packed.size() / 2));
    SavedScan cut;
    FolderTotals some;
    if (cut.open(out.path("cut.json.zst")))
        cut.replay().replay(some);
    EXPECT_NE(cut.error().find("cut short"), std::string::npos) << cut.error();
}

TEST_F(SavedScans, CompareSaysWhatGrewShrankCameAndWent) {
    const std::string before = exportTree("before.json");
    tree.file("media/film2.mkv", 1 << 20);
    tree.file("new/one.bin", 4096);
    ::unlink(tree.path("docs/old/report.txt").c_str());
    ::rmdir(tree.path("docs/old").c_str());
    FolderTotals older, newer;
    SavedScan scan;
    ASSERT_TRUE(scan.open(before));
    scan.replay().replay(older);
    FolderWalker walker;
    walker.walk(tree.root(), newer);
    std::vector<std::string> main, all;
    for (const FolderChange& c : CompareFolderTotals(older, newer, false))
        main.push_back(ChangeLine(c, older, newer));
    for (const FolderChange& c : CompareFolderTotals(older, newer, true))
        all.push_back(ChangeLine(c, older, newer));
    const std::string r = tree.root();
    ASSERT_EQ(main.size(), 3u);
    EXPECT_EQ(main[0], "+1048576\t303019\t1351595\tgrown\t" + r + "/media");
    EXPECT_EQ(main[1], "-5000\t8070\t3070\tshrunk\t" + r + "/docs");
    EXPECT_EQ(main[2], "+4096\t0\t4096\tadded\t" + r + "/new");
    // Every folder, the root and the removed folder too.
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[1].substr(0, all[1].find('\t')), "+1047672");
    EXPECT_NE(std::find(all.begin(), all.end(), "-5000\t5000\t0\tremoved\t" + r + "/docs/old"), all.end());
}

TEST_F(SavedScans, SnapshotsAreKeptPerRootAndTheOldestGo) {
    SnapshotStore store(out.path("state/scans"));
    for (std::size_t i = 0; i < SnapshotStore::PerRoot + 2; ++i) {
        auto writer = store.writer();
        ASSERT_TRUE(writer->begin());
        FolderWalker walker;
        walker.walk(tree.root(), writer->companion());
        ASSERT_TRUE(writer->commit(store));
    }
    writeFile(store.folder() + "/0000000000000000-0000000000000.json.zst", "not a scan"); // passed over
    const std::vector<SnapshotStore::Snapshot> kept = store.list(tree.root());
    EXPECT_EQ(kept.size(), SnapshotStore::PerRoot);
    EXPECT_EQ(store.list().size(), SnapshotStore::PerRoot);
    // A snapshot leaves hidden folders out, as the scan beside it does, and says so.
    SavedScan scan;
    ASSERT_TRUE(scan.open(kept.front().path));
    EXPECT_EQ(scan.rootPath(), tree.root());
    EXPECT_EQ(folderLines(FolderScanMode::All, tree.root(), kept.front().path),
              folderLines(FolderScanMode::All, tree.root(), {}));
    // The setting turns them off and on again.
    EXPECT_TRUE(SnapshotStore::enabled());
    SnapshotStore::setEnabled(false);
    EXPECT_FALSE(SnapshotStore::enabled());
    SnapshotStore::setEnabled(true);
    EXPECT_TRUE(SnapshotStore::enabled());
}
