// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <string>
#include <string_view>
#include <vector>

// A file-name pattern compiled once and matched against the exact bytes of many names.
// "*" matches any run of characters, "?" exactly one character (one UTF-8 character, or one byte
// that is not part of one), every other character itself with ASCII letters matched in either case.
// Several patterns may be joined by ";" (blanks around each are ignored); a name matches when any
// of them does. A pattern ending in ".*" also matches names without a dot, so "*.*" matches every
// name and "readme.*" matches "readme". An empty pattern matches nothing.
class WildcardPattern {
public:
    WildcardPattern() = default;
    explicit WildcardPattern(const QString& pattern);

    bool matches(std::string_view name) const;

    const QString& text() const { return m_text; }
    bool isEmpty() const { return m_pieces.empty(); }
    bool matchesEverything() const { return m_everything; }

private:
    enum class Kind { Everything, Suffix, General };
    struct Piece {
        Kind kind = Kind::General;
        std::string folded;       // the pattern bytes, ASCII letters upper-cased ("*" cut off for Suffix)
        std::string withoutDotStar; // for a pattern ending in ".*": the same pattern without it
        bool dotStar = false;
    };

    static bool matchGeneral(std::string_view pattern, std::string_view name);

    QString m_text;
    std::vector<Piece> m_pieces;
    bool m_everything = false;
};
