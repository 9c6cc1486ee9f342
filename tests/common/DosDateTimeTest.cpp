// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/DosDateTime.h"
#include "platform/FsEntry.h"

#include <QLocale>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// Fixes the local time zone (POSIX form, so no zone database is needed) for one test.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* tz) {
        const char* old = std::getenv("TZ");
        m_had = old != nullptr;
        if (m_had)
            m_old = old;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~ZoneGuard() {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_had = false;
    std::string m_old;
};

struct LocaleGuard {
    explicit LocaleGuard(QLocale::Language language, QLocale::Country country) {
        QLocale::setDefault(QLocale(language, country));
    }
    ~LocaleGuard() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

struct timespec Utc(int year, int month, int day, int hour, int minute, int second) {
    const QDateTime t(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
    return {static_cast<time_t>(t.toSecsSinceEpoch()), 0};
}

} // namespace

TEST(DosDateTime, PacksLocalTimeInTwoSecondSteps) {
    ZoneGuard zone("CET-1"); // one hour east of UTC, no summer time
    const quint32 v = PackFileTime(Utc(2001, 2, 3, 23, 5, 7));
    EXPECT_EQ(v, PackDosDateTime(2001, 2, 4, 0, 5, 6));
    EXPECT_EQ(DosDateToQDate(v), QDate(2001, 2, 4));
    EXPECT_EQ(DosTimeToQTime(v), QTime(0, 5, 6));
    EXPECT_EQ(v >> 25, 21u);
    EXPECT_EQ((v >> 21) & 0xF, 2u);
    EXPECT_EQ((v >> 16) & 0x1F, 4u);
    EXPECT_EQ(v & 0x1F, 3u);
}

TEST(DosDateTime, YearsOutside1980To2107PackToZero) {
    ZoneGuard zone("UTC0");
    EXPECT_EQ(PackFileTime(Utc(1980, 1, 1, 0, 0, 0)), 0x00210000u);
    EXPECT_EQ(PackFileTime(Utc(1979, 12, 31, 23, 59, 59)), 0u);
    EXPECT_EQ(PackFileTime(Utc(2107, 12, 31, 23, 59, 59)), PackDosDateTime(2107, 12, 31, 23, 59, 58));
    EXPECT_EQ(PackFileTime(Utc(2108, 1, 1, 0, 0, 0)), 0u);
    EXPECT_EQ(PackFileTime({-1, 0}), 0u);
    // Years from 2044 on set the top bit; unsigned order still follows time order.
    EXPECT_GT(PackFileTime(Utc(2050, 1, 1, 0, 0, 0)), PackFileTime(Utc(2040, 1, 1, 0, 0, 0)));

    ZoneGuard east("XYZ-2");
    EXPECT_EQ(PackFileTime(Utc(1979, 12, 31, 23, 0, 0)), PackDosDateTime(1980, 1, 1, 1, 0, 0));
}

TEST(DosDateTime, EntryTimes) {
    ZoneGuard zone("UTC0");
    FsEntry entry;
    entry.lastWrite = Utc(2010, 5, 6, 7, 8, 10);
    entry.lastAccess = Utc(2011, 1, 2, 3, 4, 6);
    entry.creation = Utc(2009, 9, 9, 9, 9, 8);
    EXPECT_EQ(LastWriteDateTime(entry), PackDosDateTime(2010, 5, 6, 7, 8, 10));
    EXPECT_EQ(LastAccessDateTime(entry), PackDosDateTime(2011, 1, 2, 3, 4, 6));
    EXPECT_EQ(CreationDateTime(entry), 0u); // not recorded
    entry.hasCreation = true;
    EXPECT_EQ(CreationDateTime(entry), PackDosDateTime(2009, 9, 9, 9, 9, 8));
}

TEST(FileDateText, ShortFormatWithFourDigitYear) {
    EXPECT_EQ(FileDateText(0), "");
    EXPECT_EQ(FileDateText(PackDosDateTime(2001, 2, 3, 4, 5, 6)), "2/3/2001");
    EXPECT_EQ(FileDateText(PackDosDateTime(1980, 1, 1, 0, 0, 0)), "1/1/1980");
    EXPECT_EQ(FileDateText(PackDosDateTime(2107, 12, 31, 23, 59, 58)), "12/31/2107");
    {
        LocaleGuard german(QLocale::German, QLocale::Germany);
        EXPECT_EQ(FileDateText(PackDosDateTime(2001, 2, 3, 4, 5, 6)), "03.02.2001");
    }
    EXPECT_EQ(FileDateText(PackDosDateTime(2001, 2, 3, 4, 5, 6)), "2/3/2001"); // cache follows the locale
}

TEST(FileDateText, InvalidValuesShowFirstOf1980) {
    EXPECT_EQ(FileDateText(PackDosDateTime(2001, 0, 3, 4, 5, 6)), "1/1/1980");   // month 0
    EXPECT_EQ(FileDateText(PackDosDateTime(2001, 2, 30, 4, 5, 6)), "1/1/1980");  // 30 February
    EXPECT_EQ(FileDateText(PackDosDateTime(2001, 2, 3, 25, 5, 6)), "1/1/1980");  // hour 25
    EXPECT_EQ(FileDateText(PackDosDateTime(2001, 2, 3, 4, 60, 6)), "1/1/1980");  // minute 60
    EXPECT_EQ(FileDateText(PackDosDateTime(2001, 2, 3, 4, 5, 62)), "1/1/1980");  // second 62
    EXPECT_EQ(FileDateText(0xFFFFFFFFu), "1/1/1980");
}

TEST(FileDateText, ReadsBackAsTheSameDateInTwoLocales) {
    const QDate dates[] = {{1980, 1, 1}, {1999, 12, 31}, {2000, 2, 29}, {2024, 7, 4}, {2069, 1, 2}, {2107, 12, 31}};
    for (auto language : {QLocale::English, QLocale::German}) {
        LocaleGuard guard(language, language == QLocale::English ? QLocale::UnitedStates : QLocale::Germany);
        for (const QDate& d : dates) {
            const QString text = FileDateText(PackDosDateTime(d.year(), d.month(), d.day(), 12, 0, 0));
            EXPECT_EQ(QLocale().toDate(text, FileDateFormat()), d) << text.toStdString();
            EXPECT_EQ(ParseFileDateText(text), d) << text.toStdString();
        }
    }
    EXPECT_FALSE(ParseFileDateText("not a date").isValid());
}

TEST(ParseEnteredDate, ReadsTheShownFormTheLocalesShortDateAndIso) {
    const QDate day(2025, 9, 10);
    EXPECT_EQ(ParseEnteredDate("9/10/2025"), day);
    EXPECT_EQ(ParseEnteredDate("9/10/25"), day); // the locale's own short date, two-digit year
    EXPECT_EQ(ParseEnteredDate("12/31/99"), QDate(1999, 12, 31));
    EXPECT_EQ(ParseEnteredDate(" 2025-09-10 "), day);
    EXPECT_EQ(ParseEnteredDate("2025-9-10"), day);
    for (const char* bad : {"", "not a date", "2025-13-01", "2/30/2025", "10 Sep 2025"})
        EXPECT_FALSE(ParseEnteredDate(QString::fromLatin1(bad)).isValid()) << bad;
    {
        LocaleGuard german(QLocale::German, QLocale::Germany);
        EXPECT_EQ(ParseEnteredDate("10.09.2025"), day);
        EXPECT_EQ(ParseEnteredDate("10.09.25"), day);
        EXPECT_EQ(ParseEnteredDate("2025-09-10"), day);
    }
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(ParseEnteredDate("10 Sep 2025"), day);
    EXPECT_EQ(ParseEnteredDate("2025-09-10"), day);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

TEST(FileTimeText, LongFormatWithoutTimeZone) {
    EXPECT_EQ(FileTimeText(PackDosDateTime(2001, 2, 3, 4, 5, 6)), "4:05:06 AM");
    EXPECT_EQ(FileTimeText(PackDosDateTime(2001, 2, 3, 23, 59, 58)), "11:59:58 PM");
    LocaleGuard german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(FileTimeText(PackDosDateTime(2001, 2, 3, 4, 5, 6)), "04:05:06");
    EXPECT_FALSE(FileTimeFormat().contains(u't'));
}

TEST(FileTimeText, InvalidValuesShowNoonAndNoDateNoTime) {
    EXPECT_EQ(FileTimeText(PackDosDateTime(2001, 2, 3, 25, 0, 0)), "12:00:00 PM");
    EXPECT_EQ(FileTimeText(PackDosDateTime(2001, 13, 3, 4, 5, 6)), "12:00:00 PM"); // month 13
    // A time outside 1980..2107 packs to 0: neither a date nor a time of day is shown for it.
    const quint32 before1980 = PackFileTime({315'000'000, 0}); // December 1979
    EXPECT_EQ(before1980, 0u);
    EXPECT_EQ(FileDateText(before1980), "");
    EXPECT_EQ(FileTimeText(before1980), "");
    LocaleGuard german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(FileTimeText(PackDosDateTime(2001, 2, 3, 25, 0, 0)), "12:00:00");
    EXPECT_EQ(FileTimeText(0), "");
}
