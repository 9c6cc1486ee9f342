// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Wildcard.h"

#include "common/DisplayText.h"

#include <QStringList>

namespace {

// The bytes that "?" takes, and that "*" gives up, at a time: a whole UTF-8 character, so "*" can
// never leave half a character to the rest of the pattern.
std::size_t CharLength(std::string_view name, std::size_t pos) {
    const std::size_t len = Utf8SequenceLength(name, pos);
    return len == 0 ? 1 : len;
}

bool OnlyStars(std::string_view s) { return !s.empty() && s.find_first_not_of('*') == std::string_view::npos; }

bool IsPlainAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80 || c == '*' || c == '?')
            return false;
    return true;
}

} // namespace

WildcardPattern::WildcardPattern(const QString& pattern) : m_text(pattern) {
    for (const QString& part : pattern.split(u';')) {
        const std::string bytes = FoldAscii(part.trimmed().toStdString());
        if (bytes.empty())
            continue;
        Piece piece;
        piece.folded = bytes;
        const std::string_view view(bytes);
        if (view.size() >= 2 && view.substr(view.size() - 2) == ".*") {
            piece.dotStar = true;
            piece.withoutDotStar = bytes.substr(0, bytes.size() - 2);
        }
        if (OnlyStars(view) || (piece.dotStar && OnlyStars(piece.withoutDotStar))) {
            piece.kind = Kind::Everything;
            m_everything = true;
        } else if (view.size() >= 2 && view[0] == '*' && IsPlainAscii(view.substr(1))) {
            piece.kind = Kind::Suffix; // "*.txt": the common case, a plain comparison of the name's end
            piece.folded = bytes.substr(1);
        }
        m_pieces.push_back(std::move(piece));
    }
}

bool WildcardPattern::matches(std::string_view name) const {
    if (m_everything)
        return true;
    for (const Piece& piece : m_pieces) {
        switch (piece.kind) {
        case Kind::Everything:
            return true;
        case Kind::Suffix: {
            const std::string& suffix = piece.folded;
            if (name.size() >= suffix.size() &&
                CompareFolded(name.substr(name.size() - suffix.size()), suffix) == 0)
                return true;
            break;
        }
        case Kind::General:
            if (matchGeneral(piece.folded, name))
                return true;
            if (piece.dotStar && name.find('.') == std::string_view::npos &&
                matchGeneral(piece.withoutDotStar, name))
                return true;
            break;
        }
    }
    return false;
}

// Iterative matching with one back-track point: the last "*" seen takes one more character each
// time the rest fails, which is linear for the usual patterns and never recursive.
bool WildcardPattern::matchGeneral(std::string_view pattern, std::string_view name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            n += CharLength(name, n);
            ++p;
        } else if (p < pattern.size() && pattern[p] == FoldAsciiChar(name[n])) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            starN += CharLength(name, starN);
            n = starN;
            p = starP;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}
