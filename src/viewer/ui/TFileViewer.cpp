// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewer/ui/TFileViewer.h"

#include "common/DisplayText.h"
#include "common/ui/BusyCursor.h"
#include "viewer/ByteSearch.h"
#include "viewer/FileSearch.h"
#include "viewer/LineLayout.h"

TCustomFileViewer::TCustomFileViewer(QWidget* parent) : TBaseViewer(parent) {
    m_model.setTotalLinesHook([this](std::int64_t total, bool reset) { SetTotalLines(total, reset); });
}

void TCustomFileViewer::setOpen(bool open) {
    if (open && !m_model.isOpen() && !m_model.fileName().empty()) {
        BusyCursor busy;
        m_model.setOpen(true);
        return;
    }
    m_model.setOpen(open);
}

void TCustomFileViewer::setInHexMode(bool hex) { m_model.setHexMode(hex); }

void TCustomFileViewer::setFilterChars(bool filter) {
    m_model.setFilterChars(filter);
    viewport()->update();
}

void TCustomFileViewer::setExpandTabs(bool expand) {
    m_model.setExpandTabs(expand);
    TBaseViewer::setExpandTabs(expand);
}

void TCustomFileViewer::setTabSize(std::uint8_t size) {
    if (size == 0)
        return;
    m_model.setTabSize(size);
    TBaseViewer::setTabSize(size);
}

std::string_view TCustomFileViewer::LineText(std::int64_t n) {
    const std::string_view row = m_model.lineText(n);
    if (!m_model.hexMode())
        return row;
    // Only printable ASCII in the character column: the rest would show as UTF-8 or controls.
    m_hexRow.assign(row);
    const std::size_t from = std::size_t(m_model.hexOffsetDigits() + 51);
    for (std::size_t i = from; i < m_hexRow.size(); ++i) {
        const auto b = static_cast<unsigned char>(m_hexRow[i]);
        if (b < 32 || b > 126)
            m_hexRow[i] = '.';
    }
    return m_hexRow;
}

std::int64_t TCustomFileViewer::CheckLine(std::int64_t n) { return m_model.checkLine(n); }

QString TCustomFileViewer::PrintableLine(std::int64_t n, std::size_t size) {
    std::string text;
    if (m_model.hexMode())
        text.assign(LineText(n).substr(0, size));
    else
        text = m_model.printableLine(n, size);
    // As the screen shows it: UTF-8 characters, U+FFFD for each byte that is not one.
    const LineLayout layout(text, false, TabSize());
    QString out;
    out.reserve(qsizetype(layout.cells().size()));
    for (const LineLayout::Cell& cell : layout.cells())
        out += QString::fromUcs4(&cell.ch, 1);
    return out;
}

bool TCustomFileViewer::FindText(const std::string& text, int options) {
    if (text.empty() || TotalLines() == 0)
        return false;
    if (m_model.hexMode())
        return findBytes(text, options);
    if (options & SearchBackward)
        return TBaseViewer::FindText(text, options);
    BusyCursor busy;
    const ByteSearch search(text, options & SearchMatchCase, true);
    const TextPlace from = (options & SearchGlobal) ? TextPlace{0, 0} : Caret();
    const auto found = FindTextForward(m_model, search, from.line, from.index);
    if (!found)
        return false;
    selectRange(*found, {found->line, found->index + int(search.length())});
    return true;
}

bool TCustomFileViewer::findBytes(const std::string& text, int options) {
    const ByteSearch search(text, options & SearchMatchCase);
    const bool backward = options & SearchBackward;
    const std::int64_t length = m_model.fileLength();
    std::int64_t from;
    if (options & SearchGlobal)
        from = backward ? length - 1 : 0;
    else // the row before the caret's, or the row after it
        from = backward ? 16 * Caret().line - 1 : 16 * Caret().line + 16;
    if (from < 0 || from >= length)
        return false;
    std::optional<BusyCursor> busy;
    if ((backward ? from : length - from) > 1000)
        busy.emplace();
    const std::int64_t first = FindBytes(m_model, search, from, backward);
    if (first < 0)
        return false;
    const std::int64_t last = first + std::int64_t(search.length()) - 1;
    const int characters = m_model.hexOffsetDigits() + 51;
    const TextPlace start{first / 16, characters + int(first % 16)};
    const TextPlace end{last / 16, characters + 1 + int(last % 16)};
    if (backward)
        selectRange(end, start);
    else
        selectRange(start, end);
    return true;
}
