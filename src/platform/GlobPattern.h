// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A shell glob for one name, matched against its exact bytes with the rules of fnmatch(3) without
// flags in a UTF-8 locale: "*" any run (a leading "." and "/" too), "?" one character, "[...]" one
// character of a set ("[!...]" or "[^...]" not of it; ranges by code point, "[:alpha:]" and the other
// classes of the C locale), "\" takes the next character as it is. Letter case counts: this is the
// matcher of exclusions, which must leave out exactly what ncdu's patterns leave out. A character is a
// valid UTF-8 sequence; any other byte is a character of its own that only itself (or "?", "*")
// matches, so names that are not UTF-8 are matched byte for byte, whatever the process's locale.
//
// It is not the finders' WildcardPattern: that one folds ASCII case and reads "*.*" as every name.
class GlobPattern {
public:
    GlobPattern() = default;

    // Compiles text; false, with the reason in *error, for a pattern that fnmatch would read as
    // something else than the user meant: an unbalanced "[" (fnmatch silently takes it as itself).
    bool compile(std::string_view text, std::string* error = nullptr);

    bool matches(std::string_view name) const;
    const std::string& text() const { return m_text; }
    // True when only a name equal to text() matches (no wildcard, no escape).
    bool isLiteral() const { return m_kind == Kind::Literal; }
    // The byte every matching name ends with, or -1 when names may end with any: a cheap first test
    // for many patterns at once.
    int lastByte() const;

private:
    enum class Kind { Literal, Suffix, Prefix, Everything, General };
    enum class Token : std::uint8_t { Bytes, One, Star, Set };
    struct Step {
        Token token;
        std::uint32_t index; // Bytes: offset into m_bytes; Set: index into m_sets
        std::uint32_t length; // Bytes: length
    };
    struct CharSet {
        bool negated = false;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges; // code points, both ends in
        std::uint32_t classes = 0;                                   // bits of ClassOf
    };

    bool matchGeneral(std::string_view name) const;
    bool inSet(const CharSet& set, std::uint32_t c) const;

    std::string m_text;
    Kind m_kind = Kind::General;
    std::string m_bytes; // literal bytes of the steps; the whole literal, suffix or prefix for the fast kinds
    std::vector<Step> m_steps;
    std::vector<CharSet> m_sets;
    // What a matching name must end with, tested before the matcher runs: the pattern's last literal
    // bytes, or for a last set of ASCII characters the bytes it takes (empty: no such test).
    std::string m_tail;
    std::array<bool, 128> m_lastAscii{};
    bool m_lastIsAsciiSet = false;
};
