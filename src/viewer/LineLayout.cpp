// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewer/LineLayout.h"

#include "common/DisplayText.h"

#include <algorithm>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isControl(char32_t cp) {
    return cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029;
}

} // namespace

LineLayout::LineLayout(std::string_view text, bool expandTabs, int tabSize) : m_length(int(text.size())) {
    const int stop = std::max(tabSize, 1);
    m_cells.reserve(text.size());
    int column = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + i;
        if (*p == '\t' && expandTabs) {
            const int width = stop - column % stop;
            m_cells.push_back({U' ', int(i), 1, column, width});
            column += width;
            ++i;
            continue;
        }
        const std::size_t len = Utf8SequenceLength(text, i);
        const char32_t cp = len == 0 ? kReplacement : Utf8CodePoint(text, i, len);
        if (len == 0 || isControl(cp)) {
            // Each byte of it in a column of its own.
            const std::size_t count = len == 0 ? 1 : len;
            for (std::size_t k = 0; k < count; ++k)
                m_cells.push_back({kReplacement, int(i + k), 1, column++, 1});
            i += count;
            continue;
        }
        m_cells.push_back({cp, int(i), int(len), column++, 1});
        i += len;
    }
    m_columns = column;
}

std::size_t LineLayout::cellOf(int index) const {
    if (index >= m_length)
        return m_cells.size();
    auto after = std::upper_bound(m_cells.begin(), m_cells.end(), index,
                                  [](int i, const Cell& c) { return i < c.index; });
    return after == m_cells.begin() ? 0 : std::size_t(after - m_cells.begin() - 1);
}

int LineLayout::columnOf(int index) const {
    const std::size_t c = cellOf(std::max(index, 0));
    return c == m_cells.size() ? m_columns : m_cells[c].column;
}

int LineLayout::indexAtColumn(int column) const {
    auto at = std::lower_bound(m_cells.begin(), m_cells.end(), column,
                               [](const Cell& c, int col) { return c.column < col; });
    return at == m_cells.end() ? m_length : at->index;
}

int LineLayout::next(int index) const {
    const std::size_t c = cellOf(std::max(index, 0));
    return c == m_cells.size() ? m_length : m_cells[c].index + m_cells[c].bytes;
}

int LineLayout::previous(int index) const {
    if (index <= 0)
        return 0;
    const std::size_t c = cellOf(std::min(index, m_length) - 1);
    return c == m_cells.size() ? 0 : m_cells[c].index;
}

int LineLayout::snap(int index) const {
    const std::size_t c = cellOf(std::max(index, 0));
    return c == m_cells.size() ? std::min(std::max(index, 0), m_length) : m_cells[c].index;
}
