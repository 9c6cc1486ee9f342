// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

// Names and paths are byte strings; these turn them into texts and compare them the way the
// program ignores letter case (ASCII letters only, since the file system itself is case-sensitive).

// The text of a name or path: UTF-8 decoded, every byte that is not part of a valid UTF-8 sequence
// shown as U+FFFD, and every control character shown as "?": below 0x20, 0x7F, the C1 controls
// U+0080..U+009F (NEL U+0085 among them) and the separators U+2028 and U+2029. So a record line
// built from names always keeps its tab-separated fields and stays one line for every reader.
QString DisplayText(std::string_view bytes);

// True when the bytes are valid UTF-8 without control characters (as above): DisplayText then shows them
// exactly, and its UTF-8 encoding gives back the same bytes.
bool IsCleanName(std::string_view bytes);

// The display text of bytes in UTF-8 appended to out: the bytes themselves when they are clean, so
// writing many lines costs no QString per name.
void AppendDisplayUtf8(std::string_view bytes, std::string& out);

// UTF-16 units of a UTF-8 text: the width by which "%-14s" pads a shown name.
int Utf16Units(std::string_view utf8);

// The length (1-4) of the well-formed UTF-8 sequence that starts at bytes[pos], or 0 when the byte
// there does not start one (stray continuation byte, overlong form, surrogate, beyond U+10FFFF,
// cut short). pos must be below bytes.size().
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t pos);
// The code point of the well-formed sequence of len bytes (Utf8SequenceLength) at bytes[pos].
char32_t Utf8CodePoint(std::string_view bytes, std::size_t pos, std::size_t len);

// ASCII letters a-z as A-Z; every other byte unchanged.
inline char FoldAsciiChar(char c) { return (c >= 'a' && c <= 'z') ? char(c - ('a' - 'A')) : c; }

// The bytes with a-z turned into A-Z; equal folded texts are names that differ only in ASCII case.
std::string FoldAscii(std::string_view bytes);

// Compares as unsigned bytes after folding a-z to A-Z; a text that is a prefix of another sorts
// first. Negative, zero or positive like strcmp.
int CompareFolded(std::string_view a, std::string_view b);
