// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/GlobPattern.h"

#include "common/DisplayText.h"

#include <array>

namespace {

// A byte that is no part of a valid UTF-8 sequence is a character of its own, numbered above every
// code point so that no range of a set takes it.
constexpr std::uint32_t kLoneByte = 0x110000;

struct Char {
    std::uint32_t code;
    std::size_t length;
};

Char CharAt(std::string_view s, std::size_t pos) {
    const std::size_t len = Utf8SequenceLength(s, pos);
    if (len == 0)
        return {kLoneByte + static_cast<unsigned char>(s[pos]), 1};
    return {std::uint32_t(Utf8CodePoint(s, pos, len)), len};
}

// The character classes of the C locale, by name; a bit each.
constexpr std::array<std::string_view, 12> kClassNames = {"alnum", "alpha", "blank", "cntrl", "digit", "graph",
                                                          "lower", "print", "punct", "space", "upper", "xdigit"};

bool InClass(std::size_t cls, std::uint32_t c) {
    if (c >= 0x80)
        return false;
    const bool upper = c >= 'A' && c <= 'Z', lower = c >= 'a' && c <= 'z', digit = c >= '0' && c <= '9';
    const bool alpha = upper || lower, print = c >= 0x20 && c < 0x7F;
    switch (cls) {
    case 0: return alpha || digit;
    case 1: return alpha;
    case 2: return c == ' ' || c == '\t';
    case 3: return c < 0x20 || c == 0x7F;
    case 4: return digit;
    case 5: return print && c != ' ';
    case 6: return lower;
    case 7: return print;
    case 8: return print && c != ' ' && !alpha && !digit;
    case 9: return c == ' ' || (c >= '\t' && c <= '\r');
    case 10: return upper;
    case 11: return digit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    default: return false;
    }
}

bool HasWildcard(std::string_view s) { return s.find_first_of("*?[\\") != std::string_view::npos; }

} // namespace

bool GlobPattern::compile(std::string_view text, std::string* error) {
    m_text.assign(text);
    m_bytes.clear();
    m_steps.clear();
    m_sets.clear();
    m_tail.clear();
    m_lastIsAsciiSet = false;

    // The common shapes compare bytes only: "name", "*.ext", "prefix*", "*".
    if (!HasWildcard(text)) {
        m_kind = Kind::Literal;
        m_bytes.assign(text);
        return true;
    }
    const std::string_view inner = text.size() >= 1 ? text.substr(1) : std::string_view();
    if (text.find_first_not_of('*') == std::string_view::npos) {
        m_kind = Kind::Everything;
        return true;
    }
    if (text[0] == '*' && !HasWildcard(inner)) {
        m_kind = Kind::Suffix;
        m_bytes.assign(inner);
        return true;
    }
    if (text.back() == '*' && !HasWildcard(text.substr(0, text.size() - 1))) {
        m_kind = Kind::Prefix;
        m_bytes.assign(text.substr(0, text.size() - 1));
        return true;
    }

    m_kind = Kind::General;
    auto addBytes = [&](std::string_view bytes) {
        if (!m_steps.empty() && m_steps.back().token == Token::Bytes &&
            m_steps.back().index + m_steps.back().length == m_bytes.size()) {
            m_steps.back().length += std::uint32_t(bytes.size());
        } else {
            m_steps.push_back({Token::Bytes, std::uint32_t(m_bytes.size()), std::uint32_t(bytes.size())});
        }
        m_bytes.append(bytes);
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '*') {
            if (m_steps.empty() || m_steps.back().token != Token::Star)
                m_steps.push_back({Token::Star, 0, 0});
            ++i;
        } else if (c == '?') {
            m_steps.push_back({Token::One, 0, 0});
            ++i;
        } else if (c == '\\' && i + 1 < text.size()) {
            const Char next = CharAt(text, i + 1);
            addBytes(text.substr(i + 1, next.length));
            i += 1 + next.length;
        } else if (c == '[') {
            CharSet set;
            std::size_t j = i + 1;
            if (j < text.size() && (text[j] == '!' || text[j] == '^')) {
                set.negated = true;
                ++j;
            }
            bool closed = false;
            bool first = true;
            while (j < text.size()) {
                if (text[j] == ']' && !first) {
                    closed = true;
                    ++j;
                    break;
                }
                first = false;
                if (text.substr(j, 2) == "[:") {
                    const std::size_t end = text.find(":]", j + 2);
                    if (end != std::string_view::npos) {
                        const std::string_view name = text.substr(j + 2, end - j - 2);
                        std::size_t cls = 0;
                        while (cls < kClassNames.size() && kClassNames[cls] != name)
                            ++cls;
                        if (cls == kClassNames.size()) {
                            if (error)
                                *error = "unknown character class [:" + std::string(name) + ":]";
                            return false;
                        }
                        set.classes |= 1u << cls;
                        j = end + 2;
                        continue;
                    }
                }
                if (text[j] == '\\' && j + 1 < text.size())
                    ++j;
                const Char low = CharAt(text, j);
                j += low.length;
                std::uint32_t high = low.code;
                if (j + 1 < text.size() && text[j] == '-' && text[j + 1] != ']') {
                    std::size_t k = j + 1;
                    if (text[k] == '\\' && k + 1 < text.size())
                        ++k;
                    const Char upper = CharAt(text, k);
                    high = upper.code;
                    j = k + upper.length;
                }
                set.ranges.emplace_back(low.code, high);
            }
            if (!closed) {
                if (error)
                    *error = "unbalanced [";
                return false;
            }
            m_steps.push_back({Token::Set, std::uint32_t(m_sets.size()), 0});
            m_sets.push_back(std::move(set));
            i = j;
        } else {
            const Char ch = CharAt(text, i);
            addBytes(text.substr(i, ch.length));
            i += ch.length;
        }
    }
    // A name that cannot end as the pattern does is turned down before the matcher runs.
    const Step& last = m_steps.back();
    if (last.token == Token::Bytes) {
        m_tail.assign(m_bytes, last.index, last.length);
    } else if (last.token == Token::Set) {
        const CharSet& set = m_sets[last.index];
        m_lastIsAsciiSet = !set.negated;
        for (const auto& [low, high] : set.ranges)
            m_lastIsAsciiSet = m_lastIsAsciiSet && high < 0x80;
        for (std::uint32_t c = 0; m_lastIsAsciiSet && c < 0x80; ++c)
            m_lastAscii[c] = inSet(set, c);
    }
    return true;
}

int GlobPattern::lastByte() const {
    switch (m_kind) {
    case Kind::Literal:
    case Kind::Suffix:
        return m_bytes.empty() ? -1 : static_cast<unsigned char>(m_bytes.back());
    case Kind::General:
        if (!m_steps.empty() && m_steps.back().token == Token::Bytes)
            return static_cast<unsigned char>(m_bytes[m_steps.back().index + m_steps.back().length - 1]);
        return -1;
    default:
        return -1;
    }
}

bool GlobPattern::matches(std::string_view name) const {
    switch (m_kind) {
    case Kind::Literal:
        return name == m_bytes;
    case Kind::Everything:
        return true;
    case Kind::Suffix:
        return name.size() >= m_bytes.size() && name.substr(name.size() - m_bytes.size()) == m_bytes;
    case Kind::Prefix:
        return name.substr(0, m_bytes.size()) == m_bytes;
    case Kind::General:
        break;
    }
    if (!m_tail.empty() && (name.size() < m_tail.size() || name.substr(name.size() - m_tail.size()) != m_tail))
        return false;
    if (m_lastIsAsciiSet &&
        (name.empty() || static_cast<unsigned char>(name.back()) >= 0x80 || !m_lastAscii[std::size_t(name.back())]))
        return false;
    return matchGeneral(name);
}

bool GlobPattern::inSet(const CharSet& set, std::uint32_t c) const {
    bool in = false;
    for (const auto& [low, high] : set.ranges)
        if (c >= low && c <= high) {
            in = true;
            break;
        }
    for (std::size_t cls = 0; !in && cls < kClassNames.size(); ++cls)
        if ((set.classes >> cls) & 1u)
            in = InClass(cls, c);
    return in != set.negated;
}

// Iterative, with one back-track point: the last "*" takes one more character each time the rest
// fails. That is exact for globs (a later "*" can always take what an earlier one would have), linear
// for the usual patterns, and never recursive.
bool GlobPattern::matchGeneral(std::string_view name) const {
    std::size_t s = 0; // step
    std::size_t n = 0; // byte of name
    std::size_t starStep = SIZE_MAX;
    std::size_t starName = 0;
    while (true) {
        if (s < m_steps.size()) {
            const Step& step = m_steps[s];
            if (step.token == Token::Star) {
                starStep = ++s;
                starName = n;
                continue;
            }
            if (n < name.size()) {
                bool ok = false;
                std::size_t advance = 0;
                if (step.token == Token::Bytes) {
                    const std::string_view bytes(m_bytes.data() + step.index, step.length);
                    ok = name.substr(n, bytes.size()) == bytes;
                    advance = bytes.size();
                } else {
                    const Char ch = CharAt(name, n);
                    ok = step.token == Token::One || inSet(m_sets[step.index], ch.code);
                    advance = ch.length;
                }
                if (ok) {
                    ++s;
                    n += advance;
                    continue;
                }
            }
        } else if (n == name.size()) {
            return true;
        }
        if (starStep == SIZE_MAX || starName >= name.size())
            return false;
        starName += CharAt(name, starName).length;
        n = starName;
        s = starStep;
    }
}
