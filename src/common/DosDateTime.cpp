// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/DosDateTime.h"

#include "platform/FsEntry.h"

#include <QLocale>
#include <array>

namespace {

constexpr quint16 kFirstOf1980 = (1u << 5) | 1u; // date word of 1 January 1980
constexpr quint16 kNoon = 12u << 11;              // time word of 12:00:00

int DosYear(quint32 v) { return int(v >> 25) + 1980; }
int DosMonth(quint32 v) { return int((v >> 21) & 0x0F); }
int DosDay(quint32 v) { return int((v >> 16) & 0x1F); }
int DosHour(quint32 v) { return int((v >> 11) & 0x1F); }
int DosMinute(quint32 v) { return int((v >> 5) & 0x3F); }
int DosSecond(quint32 v) { return int(v & 0x1F) * 2; }

bool DateWordValid(quint32 v) { return QDate::isValid(DosYear(v), DosMonth(v), DosDay(v)); }
bool TimeWordValid(quint32 v) { return DosHour(v) < 24 && DosMinute(v) < 60 && DosSecond(v) < 60; }

// Calls f for each stretch of a Qt date/time format that lies outside quotes, with the stretch's
// start and length; quoted literals are left alone.
template <typename F> void ForEachUnquotedRun(const QString& format, QChar letter, F f) {
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        if (format[i] == u'\'') {
            quoted = !quoted;
            ++i;
            continue;
        }
        if (!quoted && format[i] == letter) {
            qsizetype j = i;
            while (j < format.size() && format[j] == letter)
                ++j;
            f(i, j - i);
            i = j;
            continue;
        }
        ++i;
    }
}

// Qt reads a two-digit year as 19xx, so a date text with one would not read back as its date.
QString WidenYear(const QString& format) {
    QString out = format;
    qsizetype shift = 0;
    ForEachUnquotedRun(format, u'y', [&](qsizetype start, qsizetype length) {
        if (length >= 4)
            return;
        out.replace(start + shift, length, QStringLiteral("yyyy"));
        shift += 4 - length;
    });
    return out;
}

// File times are local times without a zone, so the zone part of the long format is dropped
// together with the spaces that set it apart.
QString WithoutTimeZone(const QString& format) {
    QString out = format;
    qsizetype shift = 0;
    ForEachUnquotedRun(format, u't', [&](qsizetype start, qsizetype length) {
        qsizetype from = start + shift;
        qsizetype to = from + length;
        while (from > 0 && out[from - 1].isSpace())
            --from;
        if (from == 0)
            while (to < out.size() && out[to].isSpace())
                ++to;
        out.remove(from, to - from);
        shift -= to - from;
    });
    return out.trimmed();
}

// Scans render the same few dates and times on line after line; formatting one through QLocale
// costs far more than looking it up. Keyed by the 16-bit word, dropped when the locale changes.
struct TextCache {
    struct Slot {
        bool used = false;
        quint16 word = 0;
        QString text;
    };
    QLocale locale;
    QString dateFormat;
    QString timeFormat;
    std::array<Slot, 256> dates;
    std::array<Slot, 256> times;

    TextCache() { reset(); }

    void reset() {
        dateFormat = WidenYear(locale.dateFormat(QLocale::ShortFormat));
        timeFormat = WithoutTimeZone(locale.timeFormat(QLocale::LongFormat));
        for (auto& s : dates)
            s = Slot{};
        for (auto& s : times)
            s = Slot{};
    }
    static TextCache& current() {
        thread_local TextCache cache;
        const QLocale now;
        if (now != cache.locale) {
            cache.locale = now;
            cache.reset();
        }
        return cache;
    }
    static Slot& slotOf(std::array<Slot, 256>& slots, quint16 word) {
        return slots[((word * 40503u) >> 8) & 0xFFu];
    }
};

} // namespace

quint32 PackDosDateTime(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1980 || year > 2107)
        return 0;
    return (quint32(year - 1980) << 25) | (quint32(month & 0x0F) << 21) | (quint32(day & 0x1F) << 16) |
           (quint32(hour & 0x1F) << 11) | (quint32(minute & 0x3F) << 5) | quint32((second / 2) & 0x1F);
}

quint32 PackFileTime(const struct timespec& utc) {
    const time_t seconds = utc.tv_sec;
    struct tm local {};
    if (!localtime_r(&seconds, &local))
        return 0;
    // A leap second would give 30 in the 2-second field, which is not a time.
    const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
    return PackDosDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                           second);
}

quint32 LastAccessDateTime(const FsEntry& entry) { return PackFileTime(entry.lastAccess); }
quint32 LastWriteDateTime(const FsEntry& entry) { return PackFileTime(entry.lastWrite); }
quint32 CreationDateTime(const FsEntry& entry) { return entry.hasCreation ? PackFileTime(entry.creation) : 0; }

QDate DosDateToQDate(quint32 v) {
    if (!DateWordValid(v))
        return {};
    return QDate(DosYear(v), DosMonth(v), DosDay(v));
}

QTime DosTimeToQTime(quint32 v) {
    if (!TimeWordValid(v))
        return {};
    return QTime(DosHour(v), DosMinute(v), DosSecond(v));
}

QString FileDateText(quint32 v) {
    if (v == 0)
        return {};
    quint16 word = quint16(v >> 16);
    if (!DateWordValid(v) || !TimeWordValid(v))
        word = kFirstOf1980;
    TextCache& cache = TextCache::current();
    TextCache::Slot& slot = TextCache::slotOf(cache.dates, word);
    if (!slot.used || slot.word != word) {
        slot.used = true;
        slot.word = word;
        slot.text = cache.locale.toString(DosDateToQDate(quint32(word) << 16), cache.dateFormat);
    }
    return slot.text;
}

QString FileTimeText(quint32 v) {
    if (v == 0) // no date, so no time of day either
        return {};
    quint16 word = quint16(v & 0xFFFF);
    if (!DateWordValid(v) || !TimeWordValid(v))
        word = kNoon;
    TextCache& cache = TextCache::current();
    TextCache::Slot& slot = TextCache::slotOf(cache.times, word);
    if (!slot.used || slot.word != word) {
        slot.used = true;
        slot.word = word;
        slot.text = cache.locale.toString(DosTimeToQTime(word), cache.timeFormat);
        if (slot.text.isEmpty())
            slot.text = QStringLiteral("12:00:00");
    }
    return slot.text;
}

QString FileDateFormat() { return TextCache::current().dateFormat; }
QString FileTimeFormat() { return TextCache::current().timeFormat; }

QDate ParseFileDateText(const QString& text) {
    const QLocale locale;
    QDate date = locale.toDate(text, FileDateFormat());
    if (!date.isValid()) // a text written in the locale's own short format
        date = locale.toDate(text, QLocale::ShortFormat);
    return date;
}

QDate ParseEnteredDate(const QString& text) {
    const QString trimmed = text.trimmed();
    const QLocale locale;
    QDate date = locale.toDate(trimmed, FileDateFormat());
    if (date.isValid())
        return date;
    const QString shortFormat = locale.dateFormat(QLocale::ShortFormat);
    date = locale.toDate(trimmed, shortFormat);
    if (date.isValid()) {
        // Qt reads two digits as 19xx; file dates begin in 1980.
        if (WidenYear(shortFormat) != shortFormat && date.year() < 1980)
            date = date.addYears(100);
        return date;
    }
    return QDate::fromString(trimmed, QStringLiteral("yyyy-M-d"));
}
