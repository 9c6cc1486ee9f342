// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/FileDateTimeTexts.h"

#include "common/DosDateTime.h"

#include <QLocale>
#include <algorithm>

namespace {

constexpr std::uint32_t kFirstOf1980 = (1u << 5) | 1u; // date word of 1 January 1980

std::string utf8(const QString& text) {
    const QByteArray u = text.toUtf8();
    return std::string(u.constData(), std::size_t(u.size()));
}

void appendNumber(std::string& out, int n, int width) {
    if (width == 2 && n < 10)
        out += '0';
    if (n >= 1000)
        out += char('0' + n / 1000 % 10);
    if (n >= 100)
        out += char('0' + n / 100 % 10);
    if (n >= 10)
        out += char('0' + n / 10 % 10);
    out += char('0' + n % 10);
}

// Qt's quoted text: '' is a quote; otherwise up to the closing quote, in which '' is a quote too.
QString readQuoted(const QString& format, qsizetype& i) {
    ++i;
    if (i < format.size() && format[i] == u'\'') {
        ++i;
        return QStringLiteral("'");
    }
    QString text;
    while (i < format.size()) {
        if (format[i] == u'\'') {
            if (i + 1 < format.size() && format[i + 1] == u'\'') {
                text += u'\'';
                i += 2;
                continue;
            }
            break;
        }
        text += format[i++];
    }
    if (i < format.size())
        ++i;
    return text;
}

} // namespace

FileDateTimeTexts::FileDateTimeTexts() = default;

void FileDateTimeTexts::clear() { *this = FileDateTimeTexts(); }

bool FileDateTimeTexts::formatsOwnTexts() {
    prepare();
    return m_own;
}

namespace {

// Splits a Qt date or time format into pieces the table fills in; false on anything it does not
// know (the locale then formats every text itself).
template <typename Piece>
bool parseFormat(const QString& format, bool date, std::vector<Piece>& out) {
    const QLocale locale;
    auto literal = [&](const QString& text) {
        if (out.empty() || out.back().kind != Piece::Literal)
            out.push_back(Piece{});
        out.back().text += utf8(text);
    };
    // Whether hours are given on the 12-hour clock.
    bool twelve = false;
    for (qsizetype i = 0; i < format.size();) {
        if (format[i] == u'\'') {
            readQuoted(format, i);
            continue;
        }
        twelve = twelve || format[i] == u'a' || format[i] == u'A';
        ++i;
    }
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == u'\'') {
            literal(readQuoted(format, i));
            continue;
        }
        const char16_t u = c.unicode();
        if (!((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z'))) {
            literal(QString(c));
            ++i;
            continue;
        }
        qsizetype n = 1;
        while (i + n < format.size() && format[i + n] == c)
            ++n;
        Piece p;
        p.width = std::uint8_t(n);
        if (date && u == 'y' && (n == 4 || n == 2)) {
            p.kind = n == 4 ? Piece::Year4 : Piece::Year2;
        } else if (date && u == 'M' && n <= 2) {
            p.kind = Piece::Month;
        } else if (date && u == 'M' && n <= 4) {
            p.kind = Piece::MonthName;
            for (int m = 1; m <= 12; ++m)
                p.names.push_back(utf8(locale.toString(QDate(2001, m, 1), format.mid(i, n))));
        } else if (date && u == 'd' && n <= 2) {
            p.kind = Piece::Day;
        } else if (!date && (u == 'h' || u == 'H') && n <= 2) {
            p.kind = Piece::Hour;
            p.twelve = u == 'h' && twelve;
        } else if (!date && u == 'm' && n <= 2) {
            p.kind = Piece::Minute;
        } else if (!date && u == 's' && n <= 2) {
            p.kind = Piece::Second;
        } else if (!date && (u == 'a' || u == 'A') && n == 1) {
            p.kind = Piece::AmPm;
            if (i + 1 < format.size() && (format[i + 1] == u'p' || format[i + 1] == u'P'))
                n = 2;
            const QString token = format.mid(i, n);
            p.names = {utf8(locale.toString(QTime(1, 0), token)), utf8(locale.toString(QTime(13, 0), token))};
        } else {
            return false;
        }
        out.push_back(std::move(p));
        i += n;
    }
    return true;
}

} // namespace

void FileDateTimeTexts::prepare() {
    if (m_prepared)
        return;
    m_prepared = true;
    m_dateSlots.assign(DateKeys, Slot{});
    m_timeSlots.assign(TimeKeys, Slot{});
    m_own = parseFormat(FileDateFormat(), true, m_date) && parseFormat(FileTimeFormat(), false, m_time);
    if (!m_own)
        return;
    // Every field value against the locale's own text: one difference and the locale does it all.
    auto dateAgrees = [&](std::uint32_t v) {
        return std::string(dateText(dateKey(v))) == utf8(FileDateText(v));
    };
    auto timeAgrees = [&](std::uint32_t v) {
        return std::string(timeText(timeKey(v))) == utf8(FileTimeText(v));
    };
    bool agrees = dateAgrees(0) && timeAgrees(0) && dateAgrees(PackDosDateTime(2001, 2, 29, 1, 0, 0)) &&
                  dateAgrees(PackDosDateTime(2001, 1, 9, 24, 0, 0)) && timeAgrees(PackDosDateTime(2001, 2, 29, 1, 0, 0)) &&
                  timeAgrees(PackDosDateTime(2001, 1, 9, 1, 60, 0));
    for (int year = 1980; agrees && year <= 2107; ++year)
        agrees = dateAgrees(PackDosDateTime(year, year % 12 + 1, year % 28 + 1, 0, 0, 0));
    for (int month = 1; agrees && month <= 12; ++month)
        agrees = dateAgrees(PackDosDateTime(2004, month, 29, 0, 0, 0));
    for (int day = 1; agrees && day <= 31; ++day)
        agrees = dateAgrees(PackDosDateTime(2000 + day, 12, day, 0, 0, 0));
    for (int hour = 0; agrees && hour < 24; ++hour)
        agrees = timeAgrees(PackDosDateTime(2001, 1, 1, hour, hour * 2 + 1, hour * 2 + 2));
    for (int minute = 0; agrees && minute < 60; ++minute)
        agrees = timeAgrees(PackDosDateTime(2001, 1, 1, 12 + minute % 12, minute, 58 - minute % 30 * 2));
    for (int second = 0; agrees && second < 60; second += 2)
        agrees = timeAgrees(PackDosDateTime(2001, 1, 1, 11 - second % 12, 59 - second, second));
    if (!agrees) {
        m_own = false;
        m_date.clear();
        m_time.clear();
        m_dateSlots.assign(DateKeys, Slot{});
        m_timeSlots.assign(TimeKeys, Slot{});
        m_blocks.clear();
        m_blockLeft = 0;
    }
}

std::string FileDateTimeTexts::formatDate(int year, int month, int day) const {
    std::string out;
    for (const Piece& p : m_date) {
        switch (p.kind) {
        case Piece::Year4:
            appendNumber(out, year, 1);
            break;
        case Piece::Year2:
            appendNumber(out, year % 100, 2);
            break;
        case Piece::Month:
            appendNumber(out, month, p.width);
            break;
        case Piece::MonthName:
            out += p.names[std::size_t(month - 1)];
            break;
        case Piece::Day:
            appendNumber(out, day, p.width);
            break;
        default:
            out += p.text;
        }
    }
    return out;
}

std::string FileDateTimeTexts::formatTime(int hour, int minute, int second) const {
    std::string out;
    for (const Piece& p : m_time) {
        switch (p.kind) {
        case Piece::Hour:
            appendNumber(out, p.twelve ? (hour % 12 == 0 ? 12 : hour % 12) : hour, p.width);
            break;
        case Piece::Minute:
            appendNumber(out, minute, p.width);
            break;
        case Piece::Second:
            appendNumber(out, second, p.width);
            break;
        case Piece::AmPm:
            out += p.names[hour < 12 ? 0 : 1];
            break;
        default:
            out += p.text;
        }
    }
    return out;
}

std::string_view FileDateTimeTexts::store(Slot& slot, const std::string& text) {
    if (text.size() < sizeof slot.text + 1) {
        text.copy(slot.text, text.size());
        slot.state = std::uint8_t(1 + text.size());
        return textOf(slot);
    }
    constexpr std::size_t kBlock = 64 * 1024;
    if (text.size() > m_blockLeft) {
        m_blockLeft = std::max(kBlock, text.size());
        m_blocks.push_back(std::make_unique<char[]>(m_blockLeft));
        m_blockEnd = m_blocks.back().get() + m_blockLeft;
    }
    char* at = m_blockEnd - m_blockLeft;
    text.copy(at, text.size());
    m_blockLeft -= text.size();
    const char* data = at;
    const auto length = static_cast<std::uint32_t>(text.size());
    std::memcpy(slot.text, &data, sizeof data);
    std::memcpy(slot.text + sizeof data, &length, sizeof length);
    slot.state = Elsewhere;
    return {at, text.size()};
}

std::string_view FileDateTimeTexts::makeDateText(std::size_t key) {
    prepare();
    if (key >= DateKeys || key == 0)
        return {};
    if (m_dateSlots[key].state != 0)
        return textOf(m_dateSlots[key]);
    std::uint32_t word = std::uint32_t((key - 1) >> 1);
    const bool timeValid = (key - 1) & 1;
    if (!timeValid || !dateWordValid(word << 16))
        word = kFirstOf1980;
    if (!m_own) // the time word only has to be valid or not, as the key says
        return store(m_dateSlots[key], utf8(FileDateText((word << 16) | (timeValid ? 0u : 0xFFFFu))));
    return store(m_dateSlots[key], formatDate(int(word >> 9) + 1980, int((word >> 5) & 0x0F), int(word & 0x1F)));
}

std::string_view FileDateTimeTexts::makeTimeText(std::size_t key) {
    prepare();
    if (key >= TimeKeys)
        return {};
    if (m_timeSlots[key].state != 0)
        return textOf(m_timeSlots[key]);
    if (key == NoTimeKey)
        return store(m_timeSlots[key], std::string());
    const std::uint32_t word = key == NoonKey ? (12u << 11) : std::uint32_t(key);
    if (!m_own)
        return store(m_timeSlots[key],
                     utf8(FileTimeText((kFirstOf1980 << 16) | (key == NoonKey ? 0xFFFFu : word))));
    return store(m_timeSlots[key], formatTime(int(word >> 11), int((word >> 5) & 0x3F), int(word & 0x1F) * 2));
}
