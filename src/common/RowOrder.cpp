// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RowOrder.h"

#include "common/DisplayText.h"
#include "common/FileDateTimeTexts.h"

#include <algorithm>
#include <array>
#include <numeric>

std::uint32_t PackedTimeOrder(std::uint32_t packed) {
    if (packed == 0)
        return 0;
    if (FileDateTimeTexts::dateWordValid(packed) && FileDateTimeTexts::timeWordValid(packed))
        return packed;
    // What FileDateText and FileTimeText show for it: 1 January 1980, 12:00:00.
    return (std::uint32_t(1) << 21) | (std::uint32_t(1) << 16) | (std::uint32_t(12) << 11);
}

NameBytes::NameBytes(std::string_view b) : bytes(b), clean(IsCleanName(b)) {}

ShownName::ShownName(NameBytes name) {
    if (name.clean) {
        m_text = name.bytes;
    } else {
        AppendDisplayUtf8(name.bytes, m_storage);
        m_text = m_storage;
    }
}

namespace {

unsigned char folded(char c) { return static_cast<unsigned char>(FoldAsciiChar(c)); }

// Compares a + suffix with b + suffix, folded. Only where one is a prefix of the other does the
// suffix meet the other's bytes.
int compareWithSuffix(std::string_view a, std::string_view b, std::string_view suffix) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (const int d = int(folded(a[i])) - int(folded(b[i])))
            return d < 0 ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    // The shorter one goes on with the suffix; the longer one with its rest, then the suffix.
    const bool aShorter = a.size() < b.size();
    const std::string_view rest = (aShorter ? b : a).substr(common);
    const std::size_t longer = rest.size() + suffix.size();
    for (std::size_t k = 0; k < longer; ++k) {
        if (k >= suffix.size())
            return aShorter ? -1 : 1; // the shorter text ended first
        const unsigned char s = folded(suffix[k]);
        const unsigned char l = k < rest.size() ? folded(rest[k]) : folded(suffix[k - rest.size()]);
        if (s != l)
            return (s < l) == aShorter ? -1 : 1;
    }
    return 0; // not reached: the longer text is longer
}

} // namespace

std::uint64_t ShownNameKey(NameBytes name, std::string_view suffix) {
    const ShownName shown(name);
    const std::string_view text = shown.text();
    std::uint64_t key = 0;
    for (std::size_t k = 0; k < 8; ++k) {
        unsigned char c = 0;
        if (k < text.size())
            c = folded(text[k]);
        else if (k - text.size() < suffix.size())
            c = folded(suffix[k - text.size()]);
        key = (key << 8) | c;
    }
    return key;
}

int CompareShownNames(NameBytes a, NameBytes b, std::string_view suffix) {
    if (a.bytes == b.bytes)
        return 0;
    {
        const ShownName sa(a), sb(b);
        if (const int c = compareWithSuffix(sa.text(), sb.text(), suffix))
            return c;
    }
    if (const int c = CompareFolded(a.bytes, b.bytes))
        return c < 0 ? -1 : 1;
    return a.bytes < b.bytes ? -1 : 1;
}

bool ShownNameBefore(NameBytes name, std::string_view suffix, std::string_view piece) {
    const ShownName shown(name);
    const std::string_view text = shown.text();
    const std::size_t length = text.size() + suffix.size();
    for (std::size_t k = 0; k < length && k < piece.size(); ++k) {
        const unsigned char c = k < text.size() ? folded(text[k]) : folded(suffix[k - text.size()]);
        const unsigned char p = static_cast<unsigned char>(piece[k]);
        if (c != p)
            return c < p;
    }
    return length < piece.size();
}

RadixOrder::RadixOrder(std::vector<std::uint32_t> rows, std::size_t space)
    : m_rows(std::move(rows)), m_scratch(m_rows.size()), m_digits(space), m_space(space) {}

void RadixOrder::pass(bool descending) {
    std::vector<std::uint32_t> counts(std::size_t(1) << 16, 0);
    for (std::uint32_t row : m_rows)
        ++counts[m_digits[row]];
    // One digit for every row: this step would move nothing.
    if (!m_rows.empty() && counts[m_digits[m_rows.front()]] == m_rows.size())
        return;
    std::uint32_t at = 0;
    for (std::size_t k = 0; k < counts.size(); ++k) {
        std::uint32_t& c = counts[descending ? counts.size() - 1 - k : k];
        const std::uint32_t n = c;
        c = at;
        at += n;
    }
    for (std::uint32_t row : m_rows)
        m_scratch[counts[m_digits[row]]++] = row;
    m_rows.swap(m_scratch);
}

std::vector<std::uint32_t> RankTexts(const std::vector<std::string>& texts) {
    std::vector<std::uint32_t> byText(texts.size());
    std::iota(byText.begin(), byText.end(), 0u);
    std::sort(byText.begin(), byText.end(),
              [&](std::uint32_t a, std::uint32_t b) { return texts[a] < texts[b]; });
    std::vector<std::uint32_t> rank(texts.size(), 0);
    std::uint32_t r = 0;
    for (std::size_t k = 0; k < byText.size(); ++k) {
        if (k > 0 && texts[byText[k]] != texts[byText[k - 1]])
            ++r;
        rank[byText[k]] = r;
    }
    return rank;
}

std::optional<std::vector<std::uint32_t>> PositionsOfKeys(const std::vector<std::uint32_t>& keys,
                                                          std::size_t space) {
    constexpr std::uint32_t none = UINT32_MAX;
    std::vector<std::uint32_t> positionOf(space, none);
    for (std::size_t k = 0; k < keys.size(); ++k) {
        if (keys[k] >= space || positionOf[keys[k]] != none)
            return std::nullopt;
        positionOf[keys[k]] = std::uint32_t(k);
    }
    return positionOf;
}
