// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/DeletionTotals.h"
#include "platform/AppError.h"
#include "platform/ProfileFile.h"
#include "support/TempTree.h"
#include "DeleteTestSupport.h"

#include <QDate>
#include <QFile>
#include <gtest/gtest.h>

namespace {
std::int64_t today() { return QDate(1899, 12, 30).daysTo(QDate::currentDate()); }

QByteArray fileText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeText(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
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
    EXPECT_EQ(v.filesDeleted, -1);
    EXPECT_EQ(v.bytesDeleted, -1);
    EXPECT_EQ(v.filesRecycled, -1);
    EXPECT_EQ(v.bytesRecycled, -1);
    EXPECT_EQ(v.delDate, -1);
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
    v = DeletionTotals::read();
    EXPECT_EQ(v.filesDeleted, -1);
    EXPECT_EQ(v.bytesDeleted, -1);
    EXPECT_EQ(v.filesRecycled, -1);
    EXPECT_EQ(v.bytesRecycled, -1);
    EXPECT_EQ(v.delDate, -1);
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

TEST_F(DeletionTotalsTest, UnwritableFolderThrowsAndKeepsTheFile) {
    writeText(DeletionTotals::settingsPath(), "[Vantorel]\nNdelete=5\n");
    tree.setMode("config", 0555);
    {
        AsUnprivileged nobody;
        try {
            DeletionTotals::addDeletionTotals(1, 1, 0, 0);
            ADD_FAILURE() << "no error";
        } catch (const AppError& e) {
            EXPECT_EQ(e.text(), "Unable to write to " + DeletionTotals::settingsPath());
        }
        EXPECT_THROW(DeletionTotals::reset(), AppError);
    }
    EXPECT_EQ(fileText(DeletionTotals::settingsPath()), "[Vantorel]\nNdelete=5\n");
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
