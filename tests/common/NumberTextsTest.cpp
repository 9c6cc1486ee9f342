// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NumberTexts.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {
// Restores the test locale however a test ends.
struct LocaleGuard {
    explicit LocaleGuard(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleGuard() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};
} // namespace

TEST(FormatThousands, GroupsDigitsWithTheLocaleSeparator) {
    EXPECT_EQ(FormatThousands(0), "0");
    EXPECT_EQ(FormatThousands(999), "999");
    EXPECT_EQ(FormatThousands(1000), "1,000");
    EXPECT_EQ(FormatThousands(1234567), "1,234,567");
    EXPECT_EQ(FormatThousands(-2048), "-2,048");
    EXPECT_EQ(FormatThousands(5368709120LL), "5,368,709,120");
    EXPECT_EQ(FormatThousands(std::numeric_limits<qint64>::min()), "-9,223,372,036,854,775,808");

    QLocale plain(QLocale::English, QLocale::UnitedStates);
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    LocaleGuard guard(plain);
    EXPECT_EQ(FormatThousands(1234567), "1,234,567");
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatThousands(1234567), "1.234.567");
}

TEST(SizeInKText, WholeKibibytesRightAligned) {
    EXPECT_EQ(SizeInKText(1024), "    1");
    EXPECT_EQ(SizeInKText(2047), "    1");
    EXPECT_EQ(SizeInKText(250 * 1024), "  250");
    EXPECT_EQ(SizeInKText(9999 * 1024), " 9999");
    EXPECT_EQ(SizeInKText(10000 * 1024), "10000");
    EXPECT_EQ(SizeInKText(100000 * 1024), "100000");
    EXPECT_EQ(SizeInKText(5LL << 30), "5242880"); // 5 GiB, beyond 32 bits
}

TEST(SizeInKText, TenthsBelowOneKibibyte) {
    EXPECT_EQ(SizeInKText(0), "     0.0");
    EXPECT_EQ(SizeInKText(1), "     0.1");
    EXPECT_EQ(SizeInKText(102), "     0.1");
    EXPECT_EQ(SizeInKText(205), "     0.1");
    EXPECT_EQ(SizeInKText(206), "     0.2");
    EXPECT_EQ(SizeInKText(1023), "     0.9");
    EXPECT_EQ(SizeInKText(-5000), "     0.0");
}

TEST(KiloToMega, BytesBelowOneMegabyteElseMegabytes) {
    EXPECT_EQ(KiloToMega(250), "KB (256000 bytes)");
    EXPECT_EQ(KiloToMega(0), "KB (0 bytes)");
    EXPECT_EQ(KiloToMega(1023), "KB (1047552 bytes)");
    EXPECT_EQ(KiloToMega(1024), "KB ( 1.0 Meg)");
    EXPECT_EQ(KiloToMega(10000), "KB ( 9.8 Meg)");
    EXPECT_EQ(KiloToMega(2048000), "KB (2000.0 Meg)");
}

TEST(NumberTexts, CountTextSaysOneInTheSingular) {
    EXPECT_EQ(CountText(1, "file", "files"), "1 file");
    EXPECT_EQ(CountText(0, "file", "files"), "0 files");
    EXPECT_EQ(CountText(2048, "folder", "folders"), "2,048 folders");
}
