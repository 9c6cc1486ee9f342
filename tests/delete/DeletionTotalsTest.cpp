// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/DeletionTotals.h"
#include "DeleteTestSupport.h"
#include "platform/AppError.h"
#include "platform/ProfileFile.h"
#include "support/TempTree.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::int64_t today() {
    return QDate(1899, 12, 30).daysTo(QDate::currentDate());
}

QByteArray fileText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeText(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// The text of the AppError that f throws, or "no error".
std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const AppError& e) {
        return e.text().toStdString();
    }
    return "no error";
}

// The error text of a failed write of the totals file for the system's reason error.
std::string writeError(int error) {
    return ("Unable to write to " + DeletionTotals::settingsPath() + "\n" +
            QString::fromLocal8Bit(std::strerror(error)))
        .toStdString();
}

void addOneFile() {
    DeletionTotals::addDeletionTotals(1, 1, 0, 0);
}

void expectAllMissing(const DeletionTotalsValues& v) {
    EXPECT_EQ(v.filesDeleted, -1);
    EXPECT_EQ(v.bytesDeleted, -1);
    EXPECT_EQ(v.filesRecycled, -1);
    EXPECT_EQ(v.bytesRecycled, -1);
    EXPECT_EQ(v.delDate, -1);
}

QStringList folderEntries(const std::string& folder) {
    return QDir(QString::fromStdString(folder))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Whether process pid waits for a flock, as /proc/locks shows it ("->" marks a waiter); waits up to a minute.
bool waitsForLock(qint64 pid) {
    const std::string pidField = " " + std::to_string(pid) + " ";
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 60'000) {
        std::ifstream locks("/proc/locks");
        for (std::string line; std::getline(locks, line);) {
            if (line.find("->") != std::string::npos && line.find(pidField) != std::string::npos)
                return true;
        }
        QThread::msleep(10);
    }
    return false;
}

class DeletionTotalsTest : public ::testing::Test {
protected:
    TempTree tree;
    std::string config = tree.folder("config");
    ScopedConfigHome home{config};
};
} // namespace

TEST_F(DeletionTotalsTest, FileLivesInConfigHomeAndReadsMinusOneWhenMissing) {
    EXPECT_EQ(DeletionTotals::settingsPath(), QString::fromStdString(config) + "/Vantorel.Ini");
    DeletionTotalsValues v = DeletionTotals::read();
    expectAllMissing(v);
}

TEST_F(DeletionTotalsTest, DeleteThenRecycleThenResetThenAnotherRun) {
    DeletionTotals::addDeletionTotals(3, 1000, 0, 0);
    DeletionTotalsValues v = DeletionTotals::read();
    EXPECT_EQ(v.filesDeleted, 3);
    EXPECT_EQ(v.bytesDeleted, 1000);
    EXPECT_EQ(v.filesRecycled, 0);
    EXPECT_EQ(v.bytesRecycled, 0);
    EXPECT_EQ(v.delDate, today());

    // A start day in the past must survive later runs.
    ProfileFile(DeletionTotals::settingsPath()).writeIntegers("Vantorel", {{"DelDate", 40000}});
    DeletionTotals::addDeletionTotals(0, 0, 2, 500);
    v = DeletionTotals::read();
    EXPECT_EQ(v.filesDeleted, 3);
    EXPECT_EQ(v.bytesDeleted, 1000);
    EXPECT_EQ(v.filesRecycled, 2);
    EXPECT_EQ(v.bytesRecycled, 500);
    EXPECT_EQ(v.delDate, 40000);

    DeletionTotals::reset();
    expectAllMissing(DeletionTotals::read());
    // The keys stay in the file after a reset.
    EXPECT_TRUE(fileText(DeletionTotals::settingsPath()).contains("Ndelete=-1"));

    DeletionTotals::addDeletionTotals(0, 0, 1, 7);
    v = DeletionTotals::read();
    EXPECT_EQ(v.filesDeleted, 0);
    EXPECT_EQ(v.filesRecycled, 1);
    EXPECT_EQ(v.bytesRecycled, 7);
    EXPECT_EQ(v.delDate, today());
}

TEST_F(DeletionTotalsTest, StoredZeroOrNegativeIsReplacedAndOtherNegativeDateKept) {
    writeText(DeletionTotals::settingsPath(),
              "[Vantorel]\nNdelete=0\nSizeDelete=-1\nNWaste=-7\nSizeWaste=abc\nDelDate=-5\n");
    DeletionTotals::addDeletionTotals(4, 40, 1, 10);
    DeletionTotalsValues v = DeletionTotals::read();
    EXPECT_EQ(v.filesDeleted, 4);
    EXPECT_EQ(v.bytesDeleted, 40);
    EXPECT_EQ(v.filesRecycled, 1);
    EXPECT_EQ(v.bytesRecycled, 10);
    EXPECT_EQ(v.delDate, -5);
}

TEST_F(DeletionTotalsTest, SixtyFourBitTotalsAddAndSaturate) {
    DeletionTotals::addDeletionTotals(1, 5'000'000'000LL, 0, 0);
    DeletionTotals::addDeletionTotals(1, 5'000'000'000LL, 0, 0);
    EXPECT_EQ(DeletionTotals::read().bytesDeleted, 10'000'000'000LL);
    DeletionTotals::addDeletionTotals(0, INT64_MAX, 0, 0);
    EXPECT_EQ(DeletionTotals::read().bytesDeleted, INT64_MAX);

    // Two files of 8 EiB each, recorded one run at a time.
    DeletionTotals::addDeletionTotals(0, 0, 1, INT64_MAX - 1);
    DeletionTotals::addDeletionTotals(0, 0, 1, INT64_MAX - 1);
    EXPECT_EQ(DeletionTotals::read().bytesRecycled, INT64_MAX);

    // A stored number beyond 64 bits is a huge total, not "nothing recorded".
    writeText(DeletionTotals::settingsPath(),
              "[Vantorel]\nNdelete=123456789012345678901234567890\nDelDate=40000\n");
    EXPECT_EQ(DeletionTotals::read().filesDeleted, INT64_MAX);
    DeletionTotals::addDeletionTotals(2, 2, 0, 0);
    EXPECT_TRUE(fileText(DeletionTotals::settingsPath()).contains("Ndelete=9223372036854775807\n"));
}

TEST_F(DeletionTotalsTest, ARunThatRemovedNothingWritesNothing) {
    DeletionTotals::addDeletionTotals(0, 0, 0, 0);
    EXPECT_FALSE(QFile::exists(DeletionTotals::settingsPath()));

    const QByteArray text = "[Vantorel]\nNdelete=-1\nDelDate=-1";
    writeText(DeletionTotals::settingsPath(), text);
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(DeletionTotals::settingsPath()).constData(), &before), 0);
    DeletionTotals::addDeletionTotals(0, 0, 0, 0);
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(DeletionTotals::settingsPath()).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(fileText(DeletionTotals::settingsPath()), text);
}

TEST_F(DeletionTotalsTest, ByteOrderMarkIsSkippedAndKept) {
    writeText(DeletionTotals::settingsPath(), "\xEF\xBB\xBF[Vantorel]\r\nNdelete=5\r\nDelDate=40000\r\n");
    EXPECT_EQ(DeletionTotals::read().filesDeleted, 5);
    DeletionTotals::addDeletionTotals(1, 1, 0, 0);
    const QByteArray text = fileText(DeletionTotals::settingsPath());
    EXPECT_TRUE(text.startsWith("\xEF\xBB\xBF[Vantorel]\r\nNdelete=6\r\n")) << text.toStdString();
    EXPECT_EQ(text.count("[Vantorel]"), 1);
}

TEST_F(DeletionTotalsTest, OnlyASmallRegularFileIsReadAndNothingElseIsReplaced) {
    const QByteArray totals = "[Vantorel]\nNdelete=5\n";
    auto place = [&](const std::string& name) {
        return std::make_unique<ScopedConfigHome>(tree.folder(name));
    };
    {
        // A FIFO used to hang the program at the first read.
        auto home = place("fifo");
        ASSERT_EQ(::mkfifo(QFile::encodeName(DeletionTotals::settingsPath()).constData(), 0666), 0);
        expectAllMissing(DeletionTotals::read());
        EXPECT_EQ(errorOf(addOneFile), writeError(EINVAL));
        EXPECT_EQ(errorOf(DeletionTotals::reset), writeError(EINVAL));
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(DeletionTotals::settingsPath()).constData(), &st), 0);
        EXPECT_TRUE(S_ISFIFO(st.st_mode));
    }
    {
        // A link to an endless device used to be read until memory ran out.
        auto home = place("zero");
        tree.symlink("zero/Vantorel.Ini", "/dev/zero");
        expectAllMissing(DeletionTotals::read());
        EXPECT_EQ(errorOf(addOneFile), writeError(EINVAL));
        EXPECT_EQ(QFile::symLinkTarget(DeletionTotals::settingsPath()), "/dev/zero");
    }
    {
        auto home = place("folder");
        tree.folder("folder/Vantorel.Ini");
        expectAllMissing(DeletionTotals::read());
        EXPECT_EQ(errorOf(addOneFile), writeError(EISDIR));
    }
    {
        auto home = place("large");
        writeText(DeletionTotals::settingsPath(),
                  totals + QByteArray(ProfileFile::maxBytes - totals.size() + 1, ' '));
        expectAllMissing(DeletionTotals::read());
        EXPECT_EQ(errorOf(addOneFile), writeError(EFBIG));
        EXPECT_EQ(QFileInfo(DeletionTotals::settingsPath()).size(), ProfileFile::maxBytes + 1);
    }
    {
        // At the limit the file is read and written, as long as the new text stays within it.
        auto home = place("limit");
        const QByteArray all = "[Vantorel]\nNdelete=5\nSizeDelete=5\nNWaste=0\nSizeWaste=0\nDelDate=40000\n";
        writeText(DeletionTotals::settingsPath(), all + QByteArray(ProfileFile::maxBytes - all.size(), '\n'));
        EXPECT_EQ(DeletionTotals::read().filesDeleted, 5);
        DeletionTotals::addDeletionTotals(1, 1, 0, 0);
        EXPECT_EQ(DeletionTotals::read().filesDeleted, 6);
        EXPECT_EQ(errorOf([] { DeletionTotals::addDeletionTotals(10, 0, 0, 0); }), writeError(EFBIG));
        EXPECT_EQ(DeletionTotals::read().filesDeleted, 6);
    }
}

TEST_F(DeletionTotalsTest, ALinkedFileHasItsTargetReplacedWithItsMode) {
    const std::string target = tree.file("dotfiles/Vantorel.Ini");
    writeText(QString::fromStdString(target), "[Vantorel]\nNdelete=2\n");
    tree.setMode("dotfiles/Vantorel.Ini", 0600);
    tree.symlink("config/Vantorel.Ini", "../dotfiles/Vantorel.Ini");
    DeletionTotals::addDeletionTotals(1, 1, 0, 0);
    EXPECT_EQ(QFile::symLinkTarget(DeletionTotals::settingsPath()), QString::fromStdString(target));
    EXPECT_EQ(DeletionTotals::read().filesDeleted, 3);
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(folderEntries(tree.path("dotfiles")), QStringList({"Vantorel.Ini"}));
}

TEST_F(DeletionTotalsTest, AFailedWriteLeavesTheFileAsItWasAndNoTemporary) {
    const QByteArray old = "[Vantorel]\nNdelete=5\n";
    writeText(DeletionTotals::settingsPath(), old);
    // Files may not grow beyond 8 bytes for a moment, so the new text fails to be written as on a
    // full disk; the signal that would end the process is ignored meanwhile.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 8;
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string intoOld = errorOf(addOneFile);
    ASSERT_EQ(::unlink(QFile::encodeName(DeletionTotals::settingsPath()).constData()), 0);
    const std::string intoNone = errorOf(addOneFile);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(intoOld, writeError(EFBIG));
    EXPECT_EQ(intoNone, writeError(EFBIG));
    // The file that the failed write made for itself went again.
    EXPECT_EQ(folderEntries(config), QStringList());
}

TEST_F(DeletionTotalsTest, ProgramsRecordingAtOnceLoseNoRun) {
    constexpr int programs = 6;
    constexpr int runsEach = 40; // half permanent (1 file, 3 bytes), half recycled (1 file, 5 bytes)
    std::vector<std::unique_ptr<QProcess>> running;
    for (int i = 0; i < programs; ++i) {
        running.push_back(std::make_unique<QProcess>());
        running.back()->start(VANTOREL_TOTALS_ADDER, {QString::number(runsEach)});
    }
    for (auto& program : running) {
        ASSERT_TRUE(program->waitForFinished(240'000));
        EXPECT_EQ(program->exitCode(), 0) << program->readAllStandardError().toStdString();
    }
    const DeletionTotalsValues v = DeletionTotals::read();
    EXPECT_EQ(v.filesDeleted, programs * runsEach / 2);
    EXPECT_EQ(v.bytesDeleted, programs * runsEach / 2 * 3);
    EXPECT_EQ(v.filesRecycled, programs * runsEach / 2);
    EXPECT_EQ(v.bytesRecycled, programs * runsEach / 2 * 5);
    EXPECT_EQ(v.delDate, today());
    EXPECT_EQ(folderEntries(config), QStringList({"Vantorel.Ini"}));
}

TEST_F(DeletionTotalsTest, AWaitingProgramAddsToTheFileThatReplacedTheOneItWaitedFor) {
    const QByteArray path = QFile::encodeName(DeletionTotals::settingsPath());
    writeText(DeletionTotals::settingsPath(), "[Vantorel]\nNdelete=5\n");
    // Another program's update, done by hand: lock the file, then rename a new text over it.
    const int held = ::open(path.constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    QProcess adder;
    adder.start(VANTOREL_TOTALS_ADDER, {"1"});
    ASSERT_TRUE(adder.waitForStarted());
    EXPECT_TRUE(waitsForLock(adder.processId()));
    EXPECT_EQ(DeletionTotals::read().filesDeleted, 5);
    writeText(QString::fromStdString(tree.path("config/new")), "[Vantorel]\nNdelete=100\nDelDate=40000\n");
    ASSERT_EQ(::rename(tree.path("config/new").c_str(), path.constData()), 0);
    ::close(held);

    ASSERT_TRUE(adder.waitForFinished(60'000));
    EXPECT_EQ(adder.exitCode(), 0) << adder.readAllStandardError().toStdString();
    const DeletionTotalsValues v = DeletionTotals::read();
    EXPECT_EQ(v.filesDeleted, 101);
    EXPECT_EQ(v.bytesDeleted, 3);
    EXPECT_EQ(v.delDate, 40000);
}

TEST_F(DeletionTotalsTest, OtherSectionsKeysAndLineEndsAreKept) {
    writeText(DeletionTotals::settingsPath(),
              "; user notes\r\n[Other]\r\nNdelete=99\r\n\r\n[vantorel]\r\nColour=blue\r\nndelete=2\r\n");
    DeletionTotals::addDeletionTotals(1, 1, 0, 0);
    const QByteArray text = fileText(DeletionTotals::settingsPath());
    EXPECT_TRUE(text.startsWith("; user notes\r\n[Other]\r\nNdelete=99\r\n\r\n[vantorel]\r\nColour=blue\r\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("Ndelete=3\r\n"));
    EXPECT_EQ(text.count("[vantorel]"), 1);
    EXPECT_EQ(ProfileFile(DeletionTotals::settingsPath()).readInteger("Other", "Ndelete"), 99);
}

TEST_F(DeletionTotalsTest, DeniedWritesThrowWithTheReasonAndKeepTheFile) {
    writeText(DeletionTotals::settingsPath(), "[Vantorel]\nNdelete=5\n");
    // A folder that refuses the new file.
    tree.setMode("config", 0555);
    tree.setMode("config/Vantorel.Ini", 0666);
    {
        AsUnprivileged nobody;
        EXPECT_EQ(DeletionTotals::read().filesDeleted, 5);
        EXPECT_EQ(errorOf(addOneFile), writeError(EACCES));
        EXPECT_EQ(errorOf(DeletionTotals::reset), writeError(EACCES));
    }
    // A file that may not be read reads as missing and is not replaced, though its folder allows it.
    tree.setMode("config", 0777);
    tree.setMode("config/Vantorel.Ini", 0600);
    {
        AsUnprivileged nobody;
        expectAllMissing(DeletionTotals::read());
        EXPECT_EQ(errorOf(addOneFile), writeError(EACCES));
    }
    EXPECT_EQ(fileText(DeletionTotals::settingsPath()), "[Vantorel]\nNdelete=5\n");
    EXPECT_EQ(folderEntries(config), QStringList({"Vantorel.Ini"}));
}

TEST_F(DeletionTotalsTest, MissingFolderIsMade) {
    ScopedConfigHome deeper(config + "/not/yet");
    DeletionTotals::addDeletionTotals(1, 2, 0, 0);
    EXPECT_EQ(DeletionTotals::read().bytesDeleted, 2);
}

TEST(ProfileFileTest, WholeNumbersOnly) {
    bool ok = false;
    EXPECT_EQ(ProfileFile::parseWholeNumber(" 42 ", &ok), 42);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ProfileFile::parseWholeNumber("+7", &ok), 7);
    EXPECT_EQ(ProfileFile::parseWholeNumber("-9223372036854775808", &ok), INT64_MIN);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ProfileFile::parseWholeNumber("9223372036854775807", &ok), INT64_MAX);
    // Beyond 64 bits: the limit of the number's sign.
    for (const char* huge : {"9223372036854775808", "00099999999999999999999999", "+18446744073709551616"}) {
        EXPECT_EQ(ProfileFile::parseWholeNumber(huge, &ok), INT64_MAX) << huge;
        EXPECT_TRUE(ok) << huge;
    }
    for (const char* huge : {"-9223372036854775809", "-99999999999999999999999999"}) {
        EXPECT_EQ(ProfileFile::parseWholeNumber(huge, &ok), INT64_MIN) << huge;
        EXPECT_TRUE(ok) << huge;
    }
    for (const char* bad : {"", "-", "12abc", "1.5", "0x10", "1 2", "99999999999999999999x"}) {
        ProfileFile::parseWholeNumber(bad, &ok);
        EXPECT_FALSE(ok) << bad;
    }
}
