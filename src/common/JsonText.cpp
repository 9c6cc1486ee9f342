// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/JsonText.h"

#include <cstdio>
#include <ctime>

namespace {

constexpr char kHex[] = "0123456789abcdef";

// The length of the valid UTF-8 sequence that begins at s[i] (overlong forms, surrogates and code
// points above U+10FFFF are not valid), or 0.
std::size_t validSequence(std::string_view s, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = at(i);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the second byte's range
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0)
            low = 0xA0;
        else if (c == 0xED)
            high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0)
            low = 0x90;
        else if (c == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > s.size() || at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    return length;
}

void appendTwo(int n, std::string& out) {
    out += char('0' + n / 10 % 10);
    out += char('0' + n % 10);
}

// "2026-12-07T22:06:10" of local fields.
void appendLocal(const std::tm& t, std::string& out) {
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    out += text;
}

void appendOffset(long seconds, std::string& out) {
    out += seconds < 0 ? '-' : '+';
    const long a = seconds < 0 ? -seconds : seconds;
    appendTwo(int(a / 3600), out);
    out += ':';
    appendTwo(int(a / 60 % 60), out);
}

struct Packed {
    int year, month, day, hour, minute, second;
};

// The fields of a packed value; one that is no real date and time is 1 January 1980, 12:00:00.
Packed unpack(std::uint32_t v) {
    Packed p{int(v >> 25) + 1980, int(v >> 21 & 0x0F), int(v >> 16 & 0x1F),
             int(v >> 11 & 0x1F), int(v >> 5 & 0x3F), int(v & 0x1F) * 2};
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (p.year % 4 == 0 && p.year % 100 != 0) || p.year % 400 == 0;
    const bool dateValid = p.month >= 1 && p.month <= 12 && p.day >= 1 &&
                           p.day <= (p.month == 2 && !leap ? 28 : kDays[p.month - 1]);
    const bool timeValid = p.hour < 24 && p.minute < 60 && p.second < 60;
    if (!dateValid || !timeValid)
        p = {1980, 1, 1, 12, 0, 0};
    return p;
}

} // namespace

void AppendJsonString(std::string_view bytes, std::string& out) {
    out += '"';
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += char(c);
            } else if (c < 0x20) {
                out += "\\u00";
                out += kHex[c >> 4];
                out += kHex[c & 15];
            } else {
                out += char(c);
            }
            ++i;
            continue;
        }
        if (const std::size_t n = validSequence(bytes, i)) {
            out.append(bytes.data() + i, n);
            i += n;
            continue;
        }
        out += "\\udc";
        out += kHex[c >> 4];
        out += kHex[c & 15];
        ++i;
    }
    out += '"';
}

void AppendJsonTime(std::int64_t seconds, std::int64_t nanoseconds, std::string& out) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (::localtime_r(&t, &local) == nullptr) {
        out += "null";
        return;
    }
    out += '"';
    appendLocal(local, out);
    char fraction[32];
    std::snprintf(fraction, sizeof fraction, ".%09lld", static_cast<long long>(nanoseconds));
    out += fraction;
    appendOffset(local.tm_gmtoff, out);
    out += '"';
}

void AppendJsonStampTime(std::uint64_t stamp, std::string& out) {
    const auto signedStamp = static_cast<std::int64_t>(stamp);
    std::int64_t seconds = signedStamp / 1'000'000'000;
    std::int64_t nanoseconds = signedStamp % 1'000'000'000;
    if (nanoseconds < 0) {
        nanoseconds += 1'000'000'000;
        --seconds;
    }
    AppendJsonTime(seconds, nanoseconds, out);
}

void AppendJsonPackedTime(std::uint32_t packed, std::string& out) {
    if (packed == 0) {
        out += "null";
        return;
    }
    const Packed p = unpack(packed);
    std::tm local{};
    local.tm_year = p.year - 1900;
    local.tm_mon = p.month - 1;
    local.tm_mday = p.day;
    local.tm_hour = p.hour;
    local.tm_min = p.minute;
    local.tm_sec = p.second;
    local.tm_isdst = -1;
    std::tm asked = local;
    const bool known = std::mktime(&local) != std::time_t(-1);
    out += '"';
    appendLocal(asked, out); // the fields as packed, even in an hour that the clocks skipped
    appendOffset(known ? local.tm_gmtoff : 0, out);
    out += '"';
}

void AppendJsonPackedDate(std::uint32_t packed, std::string& out) {
    if (packed >> 16 == 0) {
        out += "null";
        return;
    }
    const Packed p = unpack(packed);
    char text[48];
    std::snprintf(text, sizeof text, "\"%04d-%02d-%02d\"", p.year, p.month, p.day);
    out += text;
}

JsonObject& JsonObject::number(const char* key, std::int64_t value) {
    member(key) += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::boolean(const char* key, bool value) {
    member(key) += value ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::string(const char* key, std::string_view bytes) {
    AppendJsonString(bytes, member(key));
    return *this;
}

JsonObject& JsonObject::null(const char* key) {
    member(key) += "null";
    return *this;
}

std::string& JsonObject::member(const char* key) {
    if (!m_first)
        m_out += ',';
    m_first = false;
    m_out += '"';
    m_out += key;
    m_out += "\":";
    return m_out;
}
