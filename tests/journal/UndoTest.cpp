// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/DeleteTestSupport.h"
#include "delete/FolderTreeDelete.h"
#include "delete/ListedFileRemoval.h"
#include "journal/DeleteJournal.h"
#include "journal/JournalRun.h"
#include "journal/JournalUndo.h"
#include "journal/JournalWriter.h"
#include "support/LoopMount.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class UndoTest : public ::testing::Test {
protected:
    TempTree tree;
    RecordingMessageService messages;
    ScopedXdgFolder state{"XDG_STATE_HOME", tree.folder("state")};
    ScopedXdgFolder data{"XDG_DATA_HOME", tree.folder("data")};

    // Marked files of a window, each to the trash (or deleted) and journalled as the window does.
    std::int64_t removeFiles(const std::vector<std::string>& paths, bool recycle = true) {
        JournalWriter journal = JournalWriter::begin(JournalTool::Duplicates, recycle);
        for (const std::string& path : paths) {
            const ListedEntry entry = listed(path);
            const TrashOutcome outcome = RemoveListedFile(entry, recycle);
            EXPECT_TRUE(outcome.ok()) << path << ": " << outcome.reason.toStdString();
            journal.file(entry, outcome);
        }
        journal.end(0, false);
        EXPECT_FALSE(journal.failed()) << journal.failure().toStdString();
        return journal.id();
    }
    // A folder delete into the trash, journalled file by file as the windows do.
    std::int64_t trashFolder(const std::string& path) {
        const ListedEntry folder = listed(path);
        JournalWriter journal = JournalWriter::begin(JournalTool::FolderHogs, true, path);
        const FolderDeleteResult result = deleteFolderTree(
            folder, true, {}, [&](const FolderDeleteFile& file) { journal.file(folder, file); });
        EXPECT_EQ(result.error, 0);
        EXPECT_EQ(result.filesLeft, 0);
        journal.end(0, !result.completed);
        return journal.id();
    }
    static std::string content(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return file ? std::string(std::istreambuf_iterator<char>(file), {}) : std::string("<missing>");
    }
    // The names in the trash's files/ or info/ folder, as bytes.
    static std::vector<std::string> trashPart(const char* part) {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(
                 qgetenv("XDG_DATA_HOME").toStdString() + "/Trash/" + part, error))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

} // namespace

TEST_F(UndoTest, AFolderDeleteComesBackWholeWithItsFoldersMadeAgain) {
    const std::string odd[] = {"line\nbreak", std::string("bytes\xE9\xFF.txt")};
    tree.file("victim/a.txt", 3, 'a');
    tree.file("victim/deep/er/b.txt", 5, 'b');
    tree.file("victim/" + odd[0], 7, 'c');
    tree.file("victim/deep/" + odd[1], 9, 'd');
    const std::int64_t id = trashFolder(tree.path("victim"));
    ASSERT_FALSE(exists(tree.path("victim")));
    ASSERT_EQ(trashPart("files").size(), 4u);

    const UndoReport report = UndoRun(id);
    EXPECT_TRUE(report.allBack()) << UndoSummary(report).toStdString();
    EXPECT_EQ(report.restored, 4);
    EXPECT_EQ(UndoSummary(report),
              QStringLiteral("4 files were put back where they were. 3 folders were made again."));
    EXPECT_EQ(content(tree.path("victim/a.txt")), "aaa");
    EXPECT_EQ(content(tree.path("victim/deep/er/b.txt")), "bbbbb");
    EXPECT_EQ(content(tree.path("victim/" + odd[0])), "ccccccc");
    EXPECT_EQ(content(tree.path("victim/deep/" + odd[1])), "ddddddddd");
    EXPECT_TRUE(trashPart("files").empty());
    EXPECT_TRUE(trashPart("info").empty()); // each record went with its file

    // Again: nothing is tried twice, and the journal knows what came back.
    const UndoReport again = UndoRun(id);
    EXPECT_EQ(again.restored, 0);
    EXPECT_EQ(again.earlier, 4);
    EXPECT_TRUE(again.allBack());
    EXPECT_EQ(JournalRun::read(DeleteJournal::open(false), id).filesRestored(), 4);
}

TEST_F(UndoTest, WhatCannotComeBackIsSaidAndStaysInTheTrash) {
    const std::string outside = tree.folder("outside");
    const std::string taken = tree.file("d/taken.txt", 3, 'o');
    const std::string emptied = tree.file("d/emptied.txt", 3);
    const std::string fine = tree.file("d/fine.txt", 3, 'f');
    const std::string linked = tree.file("e/linked.txt", 3);
    const std::int64_t id = removeFiles({taken, emptied, fine, linked});
    // Since then: a new file took a name, the trash lost one, and a folder became a link to elsewhere.
    tree.file("d/taken.txt", 5, 'n');
    QDir(qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files").remove("emptied.txt");
    ASSERT_EQ(::rmdir(tree.path("e").c_str()), 0);
    tree.symlink("e", outside);

    const UndoReport report = UndoRun(id);
    EXPECT_FALSE(report.allBack());
    EXPECT_EQ(report.restored, 1);
    EXPECT_EQ(content(fine), "fff");
    EXPECT_EQ(content(taken), "nnnnn");                           // the new file is untouched
    EXPECT_TRUE(QDir(QString::fromStdString(outside)).isEmpty()); // nothing restored where the link leads
    std::map<std::string, QString> why;
    for (const FilesLeft::Item& item : report.left.kept())
        why[item.path] = item.reason;
    ASSERT_EQ(why.size(), 3u);
    EXPECT_EQ(why[taken], "a file of that name is there now; it was left in the recycle bin");
    EXPECT_EQ(why[emptied], "it is no longer in the recycle bin (emptied, or restored meanwhile)");
    EXPECT_EQ(why[linked], "its folder " + QString::fromStdString(tree.path("e")) +
                               " is a symbolic link or no folder now; nothing was restored there");
    EXPECT_TRUE(inTrash("taken.txt"));
    EXPECT_TRUE(inTrash("linked.txt"));
    EXPECT_EQ(UndoSummary(report),
              QStringLiteral("1 file was put back where it was. 3 files could not come back."));
}

TEST_F(UndoTest, APermanentRunOrAnUnknownOneHasNothingToRestore) {
    const std::int64_t id = removeFiles({tree.file("gone.txt", 3)}, false);
    const UndoReport permanent = UndoRun(id);
    EXPECT_TRUE(permanent.permanent);
    EXPECT_FALSE(permanent.allBack());
    EXPECT_EQ(
        UndoSummary(permanent),
        QStringLiteral("Nothing to restore: run %1 deleted its files for good, not into the recycle bin.")
            .arg(id));
    const UndoReport unknown = UndoRun(id + 40);
    EXPECT_EQ(unknown.error, ENOENT);
    EXPECT_EQ(UndoSummary(unknown),
              QStringLiteral("Nothing was restored: there is no run %1 in the journal.").arg(id + 40));
}

// Where the home trash is on another filesystem, a file goes to its own volume's trash, and comes
// back from there.
TEST_F(UndoTest, AFileTrashedOnAnotherFilesystemComesBackFromItsTrash) {
    LoopMount ext4(tree.root(), "ext4", 64);
    if (!ext4.mounted)
        GTEST_SKIP() << ext4.skipReason.toStdString();
    ::mkdir(ext4.path("d").c_str(), 0755);
    QFile file(QString::fromStdString(ext4.path("d/on-ext4.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("ext4");
    file.close();
    const std::int64_t id = removeFiles({ext4.path("d/on-ext4.txt")});
    const JournalRun run = JournalRun::read(DeleteJournal::open(false), id);
    ASSERT_EQ(run.fileCount(), 1u);
    EXPECT_EQ(run.file(0).trashFolder, ext4.path(".Trash-" + std::to_string(::getuid())));
    ASSERT_FALSE(exists(ext4.path("d/on-ext4.txt")));

    EXPECT_TRUE(UndoRun(id).allBack());
    EXPECT_EQ(content(ext4.path("d/on-ext4.txt")), "ext4");
}

// The desktop's own tools see what this program put in the trash, and restore it.
TEST_F(UndoTest, AFileTrashedHereIsListedAndRestoredByGio) {
    if (QStandardPaths::findExecutable("gio").isEmpty() ||
        QStandardPaths::findExecutable("dbus-run-session").isEmpty() ||
        !QFile::exists("/usr/libexec/gvfsd-trash"))
        GTEST_SKIP() << "gio with its trash backend (Debian gvfs) and dbus-run-session are needed";
    const std::string path = tree.file("report 2024.txt", 4, 'r');
    removeFiles({path});
    ASSERT_FALSE(exists(path));
    const QString uri = "trash:///" + QString::fromLatin1(QUrl::toPercentEncoding("report 2024.txt"));
    QProcess gio;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", QString::fromStdString(tree.folder("gio-home")));
    gio.setProcessEnvironment(env);
    gio.start("dbus-run-session", {"--", "sh", "-c", "gio list trash:// && gio trash --restore " + uri});
    ASSERT_TRUE(gio.waitForFinished(60'000));
    const QString listed = QString::fromUtf8(gio.readAllStandardOutput());
    EXPECT_EQ(gio.exitCode(), 0) << gio.readAllStandardError().toStdString();
    EXPECT_TRUE(listed.split('\n').contains("report 2024.txt")) << listed.toStdString();
    EXPECT_EQ(content(path), "rrrr");
    EXPECT_TRUE(trashPart("info").empty());
}

namespace {
struct FolderLook {
    mode_t mode;
    timespec modified;
    timespec accessed;
    bool operator==(const FolderLook& o) const {
        return mode == o.mode && modified.tv_sec == o.modified.tv_sec &&
               modified.tv_nsec == o.modified.tv_nsec && accessed.tv_sec == o.accessed.tv_sec &&
               accessed.tv_nsec == o.accessed.tv_nsec;
    }
};
void PrintTo(const FolderLook& l, std::ostream* out) {
    *out << std::oct << l.mode << std::dec << " m" << l.modified.tv_sec << "." << l.modified.tv_nsec << " a"
         << l.accessed.tv_sec << "." << l.accessed.tv_nsec;
}
FolderLook lookAt(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return {};
    return {st.st_mode, st.st_mtim, st.st_atim};
}
} // namespace

// A repository's folder holds empty folders that matter (branches, refs/tags): undone, it is the
// same folder again, each folder with its mode and times, through the command line as through the
// History window (both undo with UndoRun).
TEST_F(UndoTest, ATrashedTreeComesBackWithItsEmptyFoldersModesAndTimes) {
    tree.file("repo/.git/HEAD", 21, 'h');
    tree.file("repo/.git/refs/heads/main", 41, 'm');
    tree.file("repo/.git/hooks/pre-commit.sample", 9, 's');
    tree.file("repo/src/main.c", 30, 'c');
    const std::vector<std::string> folders = {
        "repo",       ".git",         ".git/branches",     ".git/refs", ".git/refs/tags", ".git/refs/heads",
        ".git/hooks", ".git/objects", ".git/objects/info", "src",       "odd\nname"};
    for (const std::string& f : folders)
        tree.folder(f == "repo" ? f : "repo/" + f);
    tree.setMode("repo/.git/objects/info", 0700);
    tree.setMode("repo/.git/hooks", 0555);
    tree.setMode("repo/odd\nname", 02750);
    std::map<std::string, FolderLook> before;
    long n = 0;
    // Each folder its own times, innermost first so that no later change moves them.
    for (auto f = folders.rbegin(); f != folders.rend(); ++f) {
        const std::string path = *f == "repo" ? tree.path("repo") : tree.path("repo/" + *f);
        const timespec times[2] = {{1500000000 + 1000 * ++n, 111 * n}, {1400000000 + 1000 * n, 7 * n}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
        before[path] = lookAt(path);
    }
    const std::int64_t id = trashFolder(tree.path("repo"));
    ASSERT_FALSE(exists(tree.path("repo")));
    const JournalRun run = JournalRun::read(DeleteJournal::open(false), id);
    ASSERT_EQ(run.folderCount(), folders.size());
    EXPECT_EQ(run.folder(run.folderCount() - 1).name, "repo"); // innermost first, the deleted one last
    EXPECT_EQ(run.foldersToMake(), std::int64_t(folders.size()));

    QProcess cli;
    cli.start(VANTOREL_CLI_PATH, {"undo", QString::number(id)});
    ASSERT_TRUE(cli.waitForFinished(60'000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    EXPECT_EQ(cli.readAllStandardOutput(),
              "4 files were put back where they were. 11 folders were made again.\n");
    for (const auto& [path, look] : before)
        EXPECT_EQ(lookAt(path), look) << path;
    EXPECT_EQ(content(tree.path("repo/.git/refs/heads/main")), std::string(41, 'm'));
    EXPECT_EQ(JournalRun::read(DeleteJournal::open(false), id).foldersToMake(), 0);

    // Again: nothing is made twice, and a folder made by someone else meanwhile is left as it is.
    ASSERT_EQ(::rmdir(tree.path("repo/.git/branches").c_str()), 0);
    const UndoReport again = UndoRun(id);
    EXPECT_EQ(again.foldersMade, 0);
    EXPECT_EQ(again.earlier, 4);
    EXPECT_FALSE(exists(tree.path("repo/.git/branches")));
}
