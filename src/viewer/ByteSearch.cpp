// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewer/ByteSearch.h"

#include "common/DisplayText.h"

ByteSearch::ByteSearch(std::string_view text, bool matchCase, bool zeroAsSpace) {
    m_pattern.assign(text.substr(0, MaxLength));
    if (!matchCase)
        m_pattern = FoldAscii(m_pattern);
    for (int b = 0; b < 256; ++b) {
        char c = char(b);
        if (zeroAsSpace && b == 0)
            c = ' ';
        m_canon[std::size_t(b)] = static_cast<unsigned char>(matchCase ? c : FoldAsciiChar(c));
    }
    const std::size_t n = m_pattern.size();
    if (n == 0)
        return;
    // The shifts are worked out on compared bytes, then looked up by the raw byte met.
    std::array<std::uint8_t, 256> forward{}, backward{};
    forward.fill(std::uint8_t(n));
    backward.fill(std::uint8_t(n));
    for (std::size_t j = 0; j + 1 < n; ++j)
        forward[static_cast<unsigned char>(m_pattern[j])] = std::uint8_t(n - 1 - j);
    for (std::size_t j = n - 1; j >= 1; --j)
        backward[static_cast<unsigned char>(m_pattern[j])] = std::uint8_t(j);
    for (std::size_t b = 0; b < 256; ++b) {
        m_shift[b] = forward[m_canon[b]];
        m_back[b] = backward[m_canon[b]];
    }
}

bool ByteSearch::matchesAt(const unsigned char* at) const {
    for (std::size_t j = m_pattern.size(); j-- > 0;)
        if (m_canon[at[j]] != static_cast<unsigned char>(m_pattern[j]))
            return false;
    return true;
}

std::size_t ByteSearch::findFirst(const char* bytes, std::size_t size, std::size_t from) const {
    const std::size_t n = m_pattern.size();
    if (n == 0 || from > size || size - from < n)
        return std::string::npos;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    const auto last = static_cast<unsigned char>(m_pattern[n - 1]);
    for (std::size_t i = from; i + n <= size;) {
        const unsigned char c = b[i + n - 1];
        if (m_canon[c] == last && matchesAt(b + i))
            return i;
        i += m_shift[c];
    }
    return std::string::npos;
}

std::size_t ByteSearch::findLast(const char* bytes, std::size_t end) const {
    const std::size_t n = m_pattern.size();
    if (n == 0 || end < n)
        return std::string::npos;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    const auto first = static_cast<unsigned char>(m_pattern[0]);
    for (std::size_t i = end - n;;) {
        const unsigned char c = b[i];
        if (m_canon[c] == first && matchesAt(b + i))
            return i;
        const std::size_t step = m_back[c];
        if (i < step)
            return std::string::npos;
        i -= step;
    }
}
