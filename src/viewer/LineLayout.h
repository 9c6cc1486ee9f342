// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

// How one line of the viewer shows in its fixed-pitch columns. The line's text is UTF-8: a valid
// sequence is one character in one column, and the caret steps over it as one; a byte that is not
// part of a valid sequence and each byte of a control character (C0, DEL, C1, U+2028/U+2029) shows
// as U+FFFD in a column of its own. A tab, when tabs are expanded, reaches to the next multiple of
// tabSize columns; otherwise it is a control character.
class LineLayout {
public:
    struct Cell {
        char32_t ch;   // what is drawn; a space for an expanded tab
        int index;     // first byte in the text
        int bytes;     // bytes it stands for
        int column;    // first display column
        int width;     // columns (more than 1 only for an expanded tab)
    };

    LineLayout(std::string_view text, bool expandTabs, int tabSize);

    const std::vector<Cell>& cells() const { return m_cells; }
    int length() const { return m_length; }   // bytes
    int columns() const { return m_columns; } // display columns of the whole line

    // The display column of a byte index (the end of the line for any index past it).
    int columnOf(int index) const;
    // The first index whose display column reaches column; the end of the line when none does.
    int indexAtColumn(int column) const;
    // The index of the next / previous character from index (the end / 0 at the ends).
    int next(int index) const;
    int previous(int index) const;
    // The start of the character that holds index (index itself at the end of the line).
    int snap(int index) const;
    // True for the bytes that separate words: spaces and tabs.
    static bool isBlank(char c) { return c == ' ' || c == '\t'; }

private:
    // The cell that holds index, or cells().size() at the end.
    std::size_t cellOf(int index) const;

    std::vector<Cell> m_cells;
    int m_length = 0;
    int m_columns = 0;
};
