// SPDX-License-Identifier: GPL-3.0-or-later
#include "scans/ScanJson.h"

#include <charconv>

void AppendJsonString(std::string& out, std::string_view bytes) {
    static const char hex[] = "0123456789abcdef";
    out += '"';
    std::size_t plain = 0; // start of the run not yet copied
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c != '"' && c != '\\' && c != 0x7f)
            continue;
        out.append(bytes.data() + plain, i - plain);
        plain = i + 1;
        out += '\\';
        switch (c) {
        case '"':
        case '\\':
            out += char(c);
            break;
        case '\b':
            out += 'b';
            break;
        case '\f':
            out += 'f';
            break;
        case '\n':
            out += 'n';
            break;
        case '\r':
            out += 'r';
            break;
        case '\t':
            out += 't';
            break;
        default:
            out += "u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    out.append(bytes.data() + plain, bytes.size() - plain);
    out += '"';
}

namespace {
template <class T> void appendNumber(std::string& out, std::string_view key, T value) {
    out += ",\"";
    out += key;
    out += "\":";
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, std::size_t(end - digits));
}
} // namespace

void AppendJsonNumber(std::string& out, std::string_view key, std::int64_t value) {
    appendNumber(out, key, value);
}
void AppendJsonUnsigned(std::string& out, std::string_view key, std::uint64_t value) {
    appendNumber(out, key, value);
}
