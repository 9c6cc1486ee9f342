// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/DosDateTime.h"
#include "common/FileDateTimeTexts.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

struct ScopedLocale {
    QLocale old;
    explicit ScopedLocale(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
    ~ScopedLocale() { QLocale::setDefault(old); }
};

std::string utf8(const QString& s) { return s.toUtf8().toStdString(); }

} // namespace

// The table fills in the locale's formats itself; every text must still be the locale's own, for
// valid, invalid and missing dates and times, twelve-hour clocks, month names, quoted literals and
// digits other than ASCII (where it has to leave the work to the locale).
TEST(FileDateTimeTexts, GivesTheLocalesOwnTexts) {
    for (const char* name : {"en_US", "de_DE", "C", "fr_CA", "ja_JP", "ar_EG", "fa_IR"}) {
        ScopedLocale scoped(name);
        FileDateTimeTexts texts;
        const std::string locale = QLocale().name().toStdString();
        for (int year = 1980; year <= 2107; year += 3)
            for (int month = 0; month <= 13; ++month)
                for (int day : {0, 1, 9, 10, 28, 29, 30, 31}) {
                    for (int hour : {0, 23, 24}) {
                        const quint32 v = PackDosDateTime(year, month, day, hour, 0, 0);
                        ASSERT_EQ(std::string(texts.dateText(FileDateTimeTexts::dateKey(v))), utf8(FileDateText(v)))
                            << locale << " " << year << "-" << month << "-" << day << " " << hour;
                    }
                }
        ASSERT_EQ(texts.dateText(FileDateTimeTexts::dateKey(0)), "");
        for (int hour = 0; hour <= 31; ++hour)
            for (int minute = 0; minute < 64; ++minute)
                for (int second : {0, 18, 58, 60, 62}) {
                    for (quint32 date : {PackDosDateTime(2020, 2, 29, 0, 0, 0), PackDosDateTime(2021, 2, 29, 0, 0, 0)}) {
                        const quint32 v = date | (quint32(hour) << 11) | (quint32(minute) << 5) | quint32(second / 2);
                        ASSERT_EQ(std::string(texts.timeText(FileDateTimeTexts::timeKey(v))), utf8(FileTimeText(v)))
                            << locale << " " << hour << ":" << minute << ":" << second;
                    }
                }
        ASSERT_EQ(std::string(texts.timeText(FileDateTimeTexts::timeKey(0))), utf8(FileTimeText(0)));
        // Views stay good while many more texts are made.
        const std::string_view first = texts.timeText(FileDateTimeTexts::timeKey(PackDosDateTime(2001, 1, 1, 1, 2, 4)));
        const std::string copy(first);
        for (std::size_t key = 0; key < FileDateTimeTexts::TimeKeys; key += 7)
            texts.timeText(key);
        EXPECT_EQ(std::string(first), copy) << locale;
        // Latin digits, month names, twelve-hour clocks and quoted literals are filled in by the table;
        // other digits are left to the locale.
        const bool latinDigits = std::string(name) != "ar_EG" && std::string(name) != "fa_IR";
        EXPECT_EQ(texts.formatsOwnTexts(), latinDigits) << locale;
    }
}
