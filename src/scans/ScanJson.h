// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The pieces of the saved-scan text (the JSON export format that ncdu reads and writes).

// Appends bytes as a JSON string, quotes included, the way ncdu writes names: '"' and '\' escaped,
// control characters (below 0x20 and DEL) as \b \f \n \r \t or \u00XX, every other byte as it is
// (bytes that are not UTF-8 too), so the exact name comes back when it is read.
void AppendJsonString(std::string& out, std::string_view bytes);
// Appends ,"key":number.
void AppendJsonNumber(std::string& out, std::string_view key, std::int64_t value);
void AppendJsonUnsigned(std::string& out, std::string_view key, std::uint64_t value);

// The keys this program adds to ncdu's (ncdu and gdu ignore keys they do not know): the last access
// and the birth time in seconds since 1970, the hidden flag, and beside "excluded":"pattern" the
// rule that left the entry out.
inline constexpr std::string_view kAccessTimeKey = "atime";
inline constexpr std::string_view kBirthTimeKey = "btime";
inline constexpr std::string_view kHiddenKey = "hidden";
inline constexpr std::string_view kExcludeRuleKey = "exclude_rule";
