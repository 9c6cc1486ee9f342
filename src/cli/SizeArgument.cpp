// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/SizeArgument.h"

namespace {

int unitShift(char c) {
    switch (c) {
    case 'K': case 'k': return 10;
    case 'M': case 'm': return 20;
    case 'G': case 'g': return 30;
    case 'T': case 't': return 40;
    default: return -1;
    }
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Wide enough for a 64-bit size times 10^13 and a unit.
__extension__ typedef unsigned __int128 Wide;

} // namespace

bool ParseSizeArgument(const std::string& option, const std::string& text, SizeRounding rounding,
                       std::int64_t& bytes, std::string& error) {
    const std::string named = option + " " + text;
    if (!text.empty() && text[0] == '-' && text.size() > 1 && (isDigit(text[1]) || text[1] == '.')) {
        error = named + ": a size cannot be negative";
        return false;
    }
    std::size_t i = 0;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    const std::size_t wholeEnd = i;
    std::size_t fractionEnd = i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        fractionEnd = i;
    }
    const bool hasFraction = fractionEnd > wholeEnd;
    const bool digits = wholeEnd > 0 || fractionEnd > wholeEnd + 1;
    if (!digits) {
        error = option + " needs a size: a whole number of K, or a number with K, M, G or T (500K, 1.5M, 2G), not '" +
                text + "'";
        return false;
    }
    int shift = 10; // a bare number is K
    if (i < text.size()) {
        shift = i + 1 == text.size() ? unitShift(text[i]) : -1;
        if (shift < 0) {
            error = named + ": the unit must be K, M, G or T";
            return false;
        }
    } else if (hasFraction) {
        error = named + ": a number with a fraction needs a unit (K, M, G or T)";
        return false;
    }
    // value = whole.fraction * 2^shift, worked out exactly: numerator / 10^places.
    const std::string whole = text.substr(0, wholeEnd);
    std::string fraction = hasFraction ? text.substr(wholeEnd + 1, fractionEnd - wholeEnd - 1) : std::string();
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    constexpr Wide kMostBytes = Wide(MostSizeK) * 1024;
    const auto tooLarge = [&] {
        error = named + (shift == 10 && !hasFraction && i == text.size() ? " K" : "") +
                " is more bytes than a file can have (at most " + std::to_string(MostSizeK) + " K)";
        return false;
    };
    Wide numerator = 0;
    Wide scale = 1;
    for (char c : whole) {
        numerator = numerator * 10 + unsigned(c - '0');
        if (numerator > kMostBytes)
            return tooLarge(); // leading digits alone already exceed any limit
    }
    if ((numerator << shift) > kMostBytes)
        return tooLarge();
    // Thirteen places tell a byte of a T; more say nothing more.
    if (fraction.size() > 13)
        fraction.resize(13);
    for (char c : fraction) {
        numerator = numerator * 10 + unsigned(c - '0');
        scale *= 10;
    }
    const Wide scaled = numerator << shift;
    Wide value = scaled / scale;
    if (rounding == SizeRounding::Up && scaled % scale != 0)
        ++value;
    if (value > kMostBytes)
        return tooLarge();
    bytes = static_cast<std::int64_t>(value);
    return true;
}
