// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/DisplayText.h"

namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// Characters beyond ASCII that still end or break a line for some reader of the text: the C1
// controls (U+0080..U+009F, NEL among them) and the line and paragraph separators.
bool IsWideControl(char32_t cp) { return (cp >= 0x80 && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029; }

// The same test on a well-formed sequence of len bytes at p, without decoding it: C1 controls are
// C2 80..C2 9F, the separators E2 80 A8 and E2 80 A9.
bool IsControlSequence(const unsigned char* p, std::size_t len) {
    if (len == 2)
        return p[0] == 0xC2 && p[1] <= 0x9F;
    if (len == 3)
        return p[0] == 0xE2 && p[1] == 0x80 && (p[2] == 0xA8 || p[2] == 0xA9);
    return false;
}

// How the bytes need to be shown: plain ASCII, valid UTF-8, or with something to replace.
enum class Shape { Ascii, Utf8, NeedsCare };

Shape ShapeOf(std::string_view bytes) {
    bool ascii = true;
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            if (IsControl(c))
                return Shape::NeedsCare;
            ++i;
            continue;
        }
        ascii = false;
        const std::size_t len = Utf8SequenceLength(bytes, i);
        if (len == 0 || IsControlSequence(reinterpret_cast<const unsigned char*>(bytes.data()) + i, len))
            return Shape::NeedsCare;
        i += len;
    }
    return ascii ? Shape::Ascii : Shape::Utf8;
}

} // namespace

std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t pos) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + pos;
    const std::size_t left = bytes.size() - pos;
    const unsigned char c = p[0];
    if (c < 0x80)
        return 1;
    auto cont = [&](std::size_t k) { return k < left && (p[k] & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF)
        return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(1) || !cont(2))
            return 0;
        if (c == 0xE0 && p[1] < 0xA0)
            return 0; // overlong
        if (c == 0xED && p[1] >= 0xA0)
            return 0; // UTF-16 surrogate
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3))
            return 0;
        if (c == 0xF0 && p[1] < 0x90)
            return 0; // overlong
        if (c == 0xF4 && p[1] >= 0x90)
            return 0; // beyond U+10FFFF
        return 4;
    }
    return 0;
}

QString DisplayText(std::string_view bytes) {
    const auto size = static_cast<qsizetype>(bytes.size());
    switch (ShapeOf(bytes)) {
    case Shape::Ascii:
        return QString::fromLatin1(bytes.data(), size);
    case Shape::Utf8:
        return QString::fromUtf8(bytes.data(), size);
    case Shape::NeedsCare:
        break;
    }
    // Decoded by hand so that every bad byte becomes exactly one U+FFFD, whatever the decoder's
    // own policy for bad sequences is.
    QString out;
    out.reserve(size);
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            out.append(IsControl(c) ? QChar(u'?') : QChar(c));
            ++i;
            continue;
        }
        const std::size_t len = Utf8SequenceLength(bytes, i);
        if (len == 0) {
            out.append(QChar(QChar::ReplacementCharacter));
            ++i;
        } else {
            const char32_t cp = Utf8CodePoint(bytes, i, len);
            if (IsWideControl(cp))
                out.append(QChar(u'?'));
            else
                out.append(QChar::fromUcs4(cp));
            i += len;
        }
    }
    return out;
}

char32_t Utf8CodePoint(std::string_view bytes, std::size_t pos, std::size_t len) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + pos;
    if (len == 1)
        return p[0];
    char32_t cp = p[0] & (0xFF >> (len + 1));
    for (std::size_t k = 1; k < len; ++k)
        cp = (cp << 6) | (p[k] & 0x3F);
    return cp;
}

bool IsCleanName(std::string_view bytes) { return ShapeOf(bytes) != Shape::NeedsCare; }

void AppendDisplayUtf8(std::string_view bytes, std::string& out) {
    if (IsCleanName(bytes)) {
        out += bytes;
        return;
    }
    const QByteArray shown = DisplayText(bytes).toUtf8();
    out.append(shown.constData(), std::size_t(shown.size()));
}

int Utf16Units(std::string_view utf8) {
    int n = 0;
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c & 0xC0) != 0x80)
            n += c >= 0xF0 ? 2 : 1; // four-byte sequences are surrogate pairs
    }
    return n;
}

std::string FoldAscii(std::string_view bytes) {
    std::string out(bytes);
    for (char& c : out)
        c = FoldAsciiChar(c);
    return out;
}

int CompareFolded(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(FoldAsciiChar(a[i]));
        const auto y = static_cast<unsigned char>(FoldAsciiChar(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}
