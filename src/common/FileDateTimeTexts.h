// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The date and time texts of packed file date-times (FileDateText, FileTimeText) in UTF-8, each made
// once per table. A scan shows thousands of distinct dates and times, and formatting each through
// the locale costs thousands of instructions; so the table reads the locale's two formats once and
// fills them in itself, but only when that gives the locale's own texts for every year, month, day,
// hour, minute and second tried at the start; otherwise each text comes from the locale, still once.
class FileDateTimeTexts {
public:
    // What a date text depends on: 0 (no date), or the date word with whether the time word is valid
    // (an invalid date or time shows 1 January 1980).
    static constexpr std::size_t DateKeys = 1 + (std::size_t(1) << 17);
    static std::size_t dateKey(std::uint32_t v) {
        return v == 0 ? 0 : 1 + (((v >> 16) << 1) | (timeWordValid(v) ? 1 : 0));
    }
    // What a time text depends on: the time word, NoonKey when the date or time is invalid, or
    // NoTimeKey for 0 (no date, so no time either).
    static constexpr std::size_t NoonKey = std::size_t(1) << 16;
    static constexpr std::size_t NoTimeKey = NoonKey + 1;
    static constexpr std::size_t TimeKeys = NoTimeKey + 1;
    static std::size_t timeKey(std::uint32_t v) {
        if (v == 0)
            return NoTimeKey;
        if (!timeWordValid(v) || !dateWordValid(v))
            return NoonKey;
        return v & 0xFFFF;
    }
    // Whether the time word (low 16 bits) and the date word (high 16 bits) are a real time and date.
    static bool timeWordValid(std::uint32_t v) {
        return ((v >> 11) & 0x1F) < 24 && ((v >> 5) & 0x3F) < 60 && (v & 0x1F) < 30;
    }
    static bool dateWordValid(std::uint32_t v) {
        // The Gregorian check QDate makes, without making a QDate (years 1980..2107 are all valid).
        const unsigned year = (v >> 25) + 1980;
        const unsigned month = (v >> 21) & 0x0F;
        const unsigned day = (v >> 16) & 0x1F;
        constexpr unsigned char kDays[16] = {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31, 0, 0, 0};
        if (day < 1 || day > kDays[month])
            return false;
        return month != 2 || day < 29 || (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0));
    }

    FileDateTimeTexts();
    // Forgets the texts (and the locale's formats, read again at the next text).
    void clear();

    // FileDateText / FileTimeText of any value with that key. The view lasts until clear().
    // Texts already made are found inline: a scan asks for three per line it writes.
    std::string_view dateText(std::size_t key) {
        if (key < m_dateSlots.size() && m_dateSlots[key].state != 0)
            return textOf(m_dateSlots[key]);
        return makeDateText(key);
    }
    std::string_view timeText(std::size_t key) {
        if (key < m_timeSlots.size() && m_timeSlots[key].state != 0)
            return textOf(m_timeSlots[key]);
        return makeTimeText(key);
    }

    // Whether texts are filled in by the table itself (false: every text came from the locale).
    bool formatsOwnTexts();

private:
    struct Piece {
        enum Kind : std::uint8_t { Literal, Year4, Year2, Month, MonthName, Day, Hour, Minute, Second, AmPm };
        Kind kind = Literal;
        std::uint8_t width = 1;  // 2: leading zero
        bool twelve = false;     // Hour: 1..12
        std::string text;        // Literal
        std::vector<std::string> names; // MonthName: 12 names; AmPm: morning, afternoon
    };
    // A text that was made. Lines are written in an order that jumps between keys, so a text of up
    // to 15 bytes (dates and times nearly always) lies in its slot: one read finds it. A longer one
    // lies in the blocks, and the slot holds its address and length.
    struct Slot {
        char text[15];
        std::uint8_t state = 0; // 0: not made yet; 1 + length when in place; Elsewhere
    };
    static constexpr std::uint8_t Elsewhere = 0xFF;
    static std::string_view textOf(const Slot& slot) {
        if (slot.state != Elsewhere)
            return {slot.text, std::size_t(slot.state - 1)};
        const char* data;
        std::uint32_t length;
        std::memcpy(&data, slot.text, sizeof data);
        std::memcpy(&length, slot.text + sizeof data, sizeof length);
        return {data, length};
    }

    void prepare();
    std::string_view makeDateText(std::size_t key);
    std::string_view makeTimeText(std::size_t key);
    std::string formatDate(int year, int month, int day) const;
    std::string formatTime(int hour, int minute, int second) const;
    std::string_view store(Slot& slot, const std::string& text);

    bool m_prepared = false;
    bool m_own = false;
    std::vector<Piece> m_date;
    std::vector<Piece> m_time;
    std::vector<Slot> m_dateSlots; // by key
    std::vector<Slot> m_timeSlots;
    // Texts in blocks that never move, so a view stays good while more texts are made.
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_blockLeft = 0;
    char* m_blockEnd = nullptr;
};
