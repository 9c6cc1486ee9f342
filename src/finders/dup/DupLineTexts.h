// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pieces of the duplicate and file-hog lines that both the store's line writing and its ordering
// need; for the finder's engine only.
#include "common/DisplayText.h"

#include <QByteArray>
#include <cstdint>
#include <string>
#include <string_view>

namespace DupLine {

constexpr std::string_view MarkerBytes = "*(SEARCHPATH)*";

// The size text with " K", as bytes (digits, spaces and "." only, so folding does not matter).
inline std::size_t sizeTextBytes(std::int64_t size, char* out) {
    if (size < 0)
        size = 0;
    std::int64_t k = size / 1024;
    char digits[24];
    int n = 0;
    std::size_t len = 0;
    if (k > 0) {
        for (; k > 0; k /= 10)
            digits[n++] = char('0' + k % 10);
        for (int i = n; i < 5; ++i)
            out[len++] = ' ';
    } else {
        for (int i = 0; i < 5; ++i)
            out[len++] = ' ';
        out[len++] = '0';
        out[len++] = '.';
        std::int64_t tenths = size / 103;
        if (tenths <= 0 && size > 0)
            tenths = 1;
        digits[n++] = char('0' + tenths);
    }
    while (n > 0)
        out[len++] = digits[--n];
    out[len++] = ' ';
    out[len++] = 'K';
    return len;
}

inline int compareSizeText(std::int64_t a, std::int64_t b) {
    char ta[32], tb[32];
    std::string_view va(ta, sizeTextBytes(a, ta)), vb(tb, sizeTextBytes(b, tb));
    int c = va.compare(vb);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// Size in K as a number, tenths below 1 K: equal keys exactly when the size texts are equal.
inline std::int64_t sizeKey(std::int64_t size) {
    if (size < 0)
        size = 0;
    std::int64_t k = size / 1024;
    if (k > 0)
        return k * 10;
    std::int64_t tenths = size / 103;
    return (tenths <= 0 && size > 0) ? 1 : tenths;
}

} // namespace DupLine
