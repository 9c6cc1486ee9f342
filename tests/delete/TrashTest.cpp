// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Trash.h"
#include "DeleteTestSupport.h"
#include "journal/JournalWriter.h"
#include "platform/FolderHandle.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/file.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

TrashOutcome trashFromFolder(const std::string& path) {
    const ListedEntry entry = listed(path);
    const FolderHandle folder = FolderHandle::open(entry.root);
    return Trash::moveToTrash(folder, entry.name, entry.path(), entry.identity);
}

// The desktop's own library trashing a path: the layout file managers read.
bool gioTrash(const std::string& path) {
    GFile* file = g_file_new_for_path(path.c_str());
    GError* error = nullptr;
    const bool ok = g_file_trash(file, nullptr, &error);
    if (error)
        g_error_free(error);
    g_object_unref(file);
    return ok;
}

// By the path's bytes: a name that is not UTF-8 has no QString that leads back to it.
QByteArray readAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(file), {}));
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// A record with its deletion date taken out, which differs by the second it was written.
QByteArray withoutDate(QByteArray record) {
    static const QRegularExpression date(QStringLiteral("DeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n"));
    QString text = QString::fromLatin1(record);
    EXPECT_TRUE(text.contains(date)) << "[" << record.toStdString() << "]";
    return text.remove(date).toLatin1();
}

// An ext4 image mounted in the fixture tree: a filesystem with no home trash on it.
class ScratchFilesystem {
public:
    explicit ScratchFilesystem(TempTree& tree) : m_at(tree.folder("mnt")) {
        const std::string image = tree.file("fs.img", 0);
        const std::string make = "truncate -s 8M '" + image + "' && mkfs.ext4 -q -F '" + image +
                                 "' >/dev/null 2>&1 && mount -o loop '" + image + "' '" + m_at + "' 2>/dev/null";
        m_mounted = std::system(make.c_str()) == 0;
    }
    ~ScratchFilesystem() {
        if (m_mounted)
            ::umount2(m_at.c_str(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    const std::string& at() const { return m_at; }

private:
    std::string m_at;
    bool m_mounted = false;
};

} // namespace

TEST(TrashTest, HomeTrashRecordsAndNamesMatchTheDesktopLibrary) {
    TempTree tree;
    const std::string home = Trash::homeTrashPath();
    // Names that need escaping, bytes that are not UTF-8, several dots, none, a leading dot.
    const std::string names[] = {"plain.txt", "a b%c#?&=+;,@!'()*~:.tar.gz", std::string("bad\xff.bin"),
                                 "\xc3\xa9t\xc3\xa9", ".hidden.conf", "noext", "line\nbreak"};
    const std::string expectedSecond[] = {"plain.2.txt", "a b%c#?&=+;,@!'()*~:.2.tar.gz", std::string("bad\xff.2.bin"),
                                          "\xc3\xa9t\xc3\xa9.2", ".2.hidden.conf", "noext.2", "line\nbreak.2"};
    for (std::size_t i = 0; i < std::size(names); ++i) {
        const std::string& name = names[i];
        const std::string path = tree.file("from/" + name, 7);
        ASSERT_TRUE(gioTrash(path)) << name;
        tree.file("from/" + name, 7); // the same path again, for our own trash
        const TrashOutcome outcome = trashFromFolder(path);
        ASSERT_TRUE(outcome.ok()) << name << ": " << outcome.reason.toStdString();
        EXPECT_FALSE(exists(path));
        const std::string ours = expectedSecond[i];
        EXPECT_TRUE(exists(home + "/files/" + ours)) << ours;
        EXPECT_EQ(withoutDate(readAll(home + "/info/" + ours + ".trashinfo")),
                  withoutDate(readAll(home + "/info/" + name + ".trashinfo")))
            << name;
        EXPECT_EQ(modeOf(home + "/info/" + ours + ".trashinfo"), 0600u);
    }
    EXPECT_EQ(modeOf(home + "/files"), 0700u);
    EXPECT_EQ(modeOf(home + "/info"), 0700u);
    const QByteArray record = readAll(home + "/info/plain.2.txt.trashinfo");
    EXPECT_TRUE(record.startsWith("[Trash Info]\nPath=" + QByteArray::fromStdString(tree.path("from/plain.txt")) +
                                  "\nDeletionDate=" + QDate::currentDate().toString("yyyy-MM-dd").toLatin1()))
        << record.toStdString();
}

TEST(TrashTest, AnEntryThatIsNotTheExpectedOneStaysAndLeavesNoRecord) {
    TempTree tree;
    const std::string path = tree.file("swap/victim.txt", 3);
    const ListedEntry before = listed(path);
    // Another file under the same name (made first, so it cannot reuse the inode number).
    ::rename(tree.file("swap/other.txt", 3).c_str(), path.c_str());
    const FolderHandle folder = FolderHandle::open(before.root);
    const TrashOutcome outcome = Trash::moveToTrash(folder, before.name, before.path(), before.identity);
    EXPECT_EQ(outcome.error, ESTALE);
    EXPECT_EQ(outcome.reason, "it changed after it was listed");
    EXPECT_TRUE(exists(path));
    EXPECT_FALSE(exists(Trash::homeTrashPath() + "/info/victim.txt.trashinfo"));

    const TrashOutcome missing = trashFromFolder(tree.path("swap/nothing-here"));
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_FALSE(missing.reason.isEmpty());
}

TEST(TrashTest, LinkGoesAsALink) {
    TempTree tree;
    const std::string target = tree.file("keep-target.txt", 3);
    const std::string link = tree.symlink("trash-link", target);
    ASSERT_TRUE(trashFromFolder(link).ok());
    EXPECT_TRUE(exists(target));
    EXPECT_FALSE(exists(link));
    EXPECT_TRUE(inTrash("trash-link"));
}

TEST(TrashTest, OtherFilesystemsUseTheirTopFolderTrashAsTheDesktopLibraryDoes) {
    TempTree tree;
    ScratchFilesystem fs(tree);
    if (!fs.mounted())
        GTEST_SKIP() << "cannot mount a scratch filesystem here";
    const std::string top = fs.at();
    const std::string uid = std::to_string(::getuid());
    tree.file("mnt/d/by-gio.txt", 2);
    ASSERT_TRUE(gioTrash(top + "/d/by-gio.txt"));
    const std::string ours = tree.file("mnt/d/by us.txt", 2);
    EXPECT_TRUE(Trash::canTrash(top + "/d"));
    const TrashOutcome outcome = trashFromFolder(ours);
    ASSERT_TRUE(outcome.ok()) << outcome.reason.toStdString();
    const std::string trash = top + "/.Trash-" + uid;
    EXPECT_TRUE(exists(trash + "/files/by us.txt"));
    EXPECT_EQ(modeOf(trash), 0700u);
    // Paths relative to the top folder, escaped alike.
    EXPECT_EQ(withoutDate(readAll(trash + "/info/by-gio.txt.trashinfo")), "[Trash Info]\nPath=d/by-gio.txt\n");
    EXPECT_EQ(withoutDate(readAll(trash + "/info/by us.txt.trashinfo")), "[Trash Info]\nPath=d/by%20us.txt\n");

    // A shared .Trash is used only when it is a real folder with the sticky bit.
    tree.symlink("mnt/.Trash", tree.folder("elsewhere"));
    ASSERT_TRUE(trashFromFolder(tree.file("mnt/second.txt", 1)).ok());
    EXPECT_TRUE(exists(trash + "/files/second.txt"));
    ::unlink((top + "/.Trash").c_str());
    tree.folder("mnt/.Trash");
    tree.setMode("mnt/.Trash", 01777);
    ASSERT_TRUE(trashFromFolder(tree.file("mnt/third.txt", 1)).ok());
    EXPECT_TRUE(exists(top + "/.Trash/" + uid + "/files/third.txt"));
    EXPECT_EQ(withoutDate(readAll(top + "/.Trash/" + uid + "/info/third.txt.trashinfo")),
              "[Trash Info]\nPath=third.txt\n");
}

TEST(TrashTest, AFilesystemWithoutATrashFailsAndKeepsTheFile) {
    TempTree tree;
    const std::string at = tree.folder("ram");
    ScopedMount mount("none", at, "tmpfs", 0);
    if (!mount.mounted)
        GTEST_SKIP() << "cannot mount here";
    const std::string path = tree.file("ram/kept.txt", 1);
    EXPECT_FALSE(Trash::canTrash(at));
    const TrashOutcome outcome = trashFromFolder(path);
    EXPECT_EQ(outcome.error, ENOTSUP);
    EXPECT_EQ(outcome.reason, "this filesystem has no trash");
    EXPECT_TRUE(exists(path));
    EXPECT_FALSE(Trash::canTrash(tree.path("missing")));
    EXPECT_FALSE(Trash::canTrash("/proc/self"));
}

namespace {

// The Path= line of a trash record, as written (escaped).
std::string recordedPath(const std::string& record) {
    const QByteArray text = readAll(record);
    const qsizetype at = text.indexOf("\nPath=");
    return at < 0 ? std::string() : text.mid(at + 6, text.indexOf('\n', at + 6) - at - 6).toStdString();
}

std::string repeated(const std::string& piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

} // namespace

TEST(TrashTest, NamesUpToTheLongestEachFindAFreeNameThatLeadsBack) {
    TempTree tree;
    const std::string home = Trash::homeTrashPath();
    std::vector<std::string> names;
    for (std::size_t length = 246; length <= 255; ++length) {
        names.push_back(repeated("n", length));
        names.push_back(repeated("e", length - 4) + ".txt");
    }
    // Two-byte characters, so that a cut at an odd place would split one.
    names.push_back(repeated("\xc3\xa9", 125) + ".txt");
    names.push_back(repeated("\xc3\xa9", 127) + "x");
    names.push_back("." + repeated("h", 254));
    constexpr int copies = 3;
    for (const std::string& name : names) {
        for (int copy = 0; copy < copies; ++copy) {
            const std::string path = tree.file("long/" + name, 1);
            const TrashOutcome outcome = trashFromFolder(path);
            ASSERT_TRUE(outcome.ok())
                << name.size() << " bytes, copy " << copy << ": " << outcome.reason.toStdString();
        }
    }
    // Every record names the path that its file came from; the number and the extension stay.
    std::map<std::string, int> recordsPerPath;
    for (const QString& record :
         QDir(QString::fromStdString(home + "/info")).entryList(QDir::Files | QDir::Hidden)) {
        const std::string path = recordedPath(home + "/info/" + QFile::encodeName(record).toStdString());
        if (path.rfind(Trash::escapePath(tree.path("long/")), 0) != 0)
            continue;
        const std::string trashed = QFile::encodeName(record.chopped(10)).toStdString();
        EXPECT_TRUE(exists(home + "/files/" + trashed)) << trashed;
        EXPECT_TRUE(QUtf8StringView(trashed).isValidUtf8()) << trashed;
        ++recordsPerPath[path];
        EXPECT_EQ(trashed.ends_with(".txt"), path.ends_with(".txt")) << trashed;
    }
    for (const std::string& name : names)
        EXPECT_EQ(recordsPerPath[Trash::escapePath(tree.path("long/" + name))], copies)
            << name.size() << " bytes";
}

TEST(TrashTest, ManyFilesOfOneNameTakeTheNextNumbersAndAnEmptiedTrashStartsAgain) {
    TempTree tree;
    const std::string home = Trash::homeTrashPath();
    constexpr int files = 300;
    for (int i = 0; i < files; ++i)
        ASSERT_TRUE(trashFromFolder(tree.file("many/" + std::to_string(i) + "/package.json", 1)).ok()) << i;
    for (int i = 0; i < files; ++i) {
        const std::string trashed = i == 0 ? "package.json" : "package." + std::to_string(i + 1) + ".json";
        EXPECT_TRUE(exists(home + "/files/" + trashed)) << trashed;
        EXPECT_EQ(recordedPath(home + "/info/" + trashed + ".trashinfo"),
                  Trash::escapePath(tree.path("many/" + std::to_string(i) + "/package.json")));
    }

    // Emptied, the trash gives the first names again.
    for (int n = 1; n <= files; ++n) {
        const std::string trashed = n == 1 ? "package.json" : "package." + std::to_string(n) + ".json";
        ASSERT_EQ(::unlink((home + "/files/" + trashed).c_str()), 0);
        ASSERT_EQ(::unlink((home + "/info/" + trashed + ".trashinfo").c_str()), 0);
    }
    ASSERT_TRUE(trashFromFolder(tree.file("again/1/package.json", 1)).ok());
    ASSERT_TRUE(trashFromFolder(tree.file("again/2/package.json", 1)).ok());
    EXPECT_EQ(recordedPath(home + "/info/package.2.json.trashinfo"),
              Trash::escapePath(tree.path("again/2/package.json")));
    // Names that another program took meanwhile, a record or a file alone, are passed over.
    std::ofstream(home + "/info/package.3.json.trashinfo") << "[Trash Info]\n";
    std::ofstream(home + "/files/package.4.json") << "x";
    ASSERT_TRUE(trashFromFolder(tree.file("again/3/package.json", 1)).ok());
    EXPECT_EQ(recordedPath(home + "/info/package.5.json.trashinfo"),
              Trash::escapePath(tree.path("again/3/package.json")));
}

// A program killed between a move's record and the move leaves a record of a move that never
// happened; the next trash run takes it away, and only records this program noted and that are
// still what it noted, of programs that are gone.
TEST(TrashTest, ARecordLeftByAKilledRunIsTakenAwayWhenTheNextRunStarts) {
    TempTree tree;
    const std::string victim = tree.file("victim.txt", 5, 'v');
    const std::string info = trashFolder().toStdString() + "/info/";
    QProcess killed;
    killed.start(QStringLiteral(VANTOREL_TRASH_KILLED), {QString::fromStdString(victim)});
    ASSERT_TRUE(killed.waitForFinished(30000));
    ASSERT_EQ(killed.exitStatus(), QProcess::CrashExit);
    ASSERT_TRUE(exists(info + "victim.txt.trashinfo")); // the record, of a move that did not happen
    EXPECT_FALSE(inTrash("victim.txt"));
    EXPECT_TRUE(exists(victim));

    // Records this program did not note, and one noted by a program that still runs, stay.
    std::ofstream(info + "theirs.txt.trashinfo")
        << "[Trash Info]\nPath=/theirs.txt\nDeletionDate=2024-01-01T00:00:00\n";
    std::ofstream(info + "running.txt.trashinfo")
        << "[Trash Info]\nPath=/running.txt\nDeletionDate=2024-01-01T00:00:00\n";
    struct stat running {};
    ASSERT_EQ(::stat((info + "running.txt.trashinfo").c_str(), &running), 0);
    const std::string notes = qEnvironmentVariable("XDG_STATE_HOME").toStdString() + "/vantorel/trashing/";
    const int live = ::open((notes + "1-live").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(live, 0);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);
    const std::string note = trashFolder().toStdString() + '\0' + "running.txt.trashinfo" + '\0' +
                             std::to_string(running.st_dev) + '\0' + std::to_string(running.st_ino) + '\0';
    ASSERT_EQ(::write(live, note.data(), note.size()), ssize_t(note.size()));

    JournalWriter run = JournalWriter::begin(JournalTool::CommandLine, true);
    ASSERT_TRUE(run.openNow());
    EXPECT_FALSE(exists(info + "victim.txt.trashinfo"));
    EXPECT_TRUE(exists(info + "theirs.txt.trashinfo"));
    EXPECT_TRUE(exists(info + "running.txt.trashinfo"));
    EXPECT_TRUE(exists(notes + "1-live"));
    ::close(live);
    // Its name is free again: the file goes to the trash under it.
    const TrashOutcome outcome = trashFromFolder(victim);
    ASSERT_TRUE(outcome.ok()) << outcome.reason.toStdString();
    EXPECT_EQ(outcome.trashName, "victim.txt");
    run.end(0, false);
    ::unlink((notes + "1-live").c_str());
    ::unlink((info + "theirs.txt.trashinfo").c_str());
    ::unlink((info + "running.txt.trashinfo").c_str());
}
