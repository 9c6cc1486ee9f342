// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// One search text compiled for the Boyer-Moore-Horspool method over bytes: a shift table of 256
// entries (the text's length, or each byte's distance from the text's end) and a check of each
// candidate from its last byte backwards. Without match case ASCII letters compare folded; with
// zeroAsSpace a zero byte of the searched bytes counts as a space, as the viewer shows it in a line.
class ByteSearch {
public:
    // The longest search text; longer texts are cut to it.
    static constexpr std::size_t MaxLength = 255;

    ByteSearch(std::string_view text, bool matchCase, bool zeroAsSpace = false);

    std::size_t length() const { return m_pattern.size(); }
    bool empty() const { return m_pattern.empty(); }

    // The first match that starts at or after from and ends at or before size; npos when none.
    std::size_t findFirst(const char* bytes, std::size_t size, std::size_t from = 0) const;
    // The last match that ends at or before end; npos when none.
    std::size_t findLast(const char* bytes, std::size_t end) const;

private:
    bool matchesAt(const unsigned char* at) const;

    std::string m_pattern; // folded when case is ignored
    std::array<unsigned char, 256> m_canon{}; // a searched byte as it is compared
    std::array<std::uint8_t, 256> m_shift{};  // forward shift by the candidate's last byte
    std::array<std::uint8_t, 256> m_back{};   // backward shift by the candidate's first byte
};
