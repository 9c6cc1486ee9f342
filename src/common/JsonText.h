// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// JSON texts for scripts: no locale anywhere, names as their exact bytes.

// bytes as a JSON string appended to out: valid UTF-8 as it is; '"', '\' and control characters
// escaped; each byte that is not part of valid UTF-8 as the escape \udcXX (XX the byte), which
// Python's "surrogateescape" turns back into the same byte, so any file name survives the trip.
void AppendJsonString(std::string_view bytes, std::string& out);

// A point in time in ISO 8601, in local time with its offset from UTC and all nine digits of the
// nanoseconds: "2026-12-07T22:06:10.123456789+01:00".
void AppendJsonTime(std::int64_t seconds, std::int64_t nanoseconds, std::string& out);
// A NanosecondStamp (seconds * 10^9 + nanoseconds since 1970, two's complement before it).
void AppendJsonStampTime(std::uint64_t stamp, std::string& out);
// A packed local date-time (DosDateTime.h) in ISO 8601 with its offset, to the second it keeps:
// "2026-12-07T22:06:10+01:00"; null for 0. A value that is no real date and time reads as
// 1980-01-01T12:00:00, as its texts show it.
void AppendJsonPackedTime(std::uint32_t packed, std::string& out);
// The date of a packed value: "2026-12-07"; null for 0 (1980-01-01 for one that is no real date).
void AppendJsonPackedDate(std::uint32_t packed, std::string& out);

// One JSON object written into out, member by member: {"key":value,...}.
class JsonObject {
public:
    explicit JsonObject(std::string& out) : m_out(out) { m_out += '{'; }
    JsonObject(const JsonObject&) = delete;
    JsonObject& operator=(const JsonObject&) = delete;

    JsonObject& number(const char* key, std::int64_t value);
    JsonObject& boolean(const char* key, bool value);
    JsonObject& string(const char* key, std::string_view bytes);
    JsonObject& null(const char* key);
    // A member whose value the caller writes into out() next (an object, an array, a time).
    std::string& member(const char* key);
    std::string& out() { return m_out; }
    void end() { m_out += '}'; }

private:
    std::string& m_out;
    bool m_first = true;
};
