// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer's caret, selection, keys, mouse, clipboard and line-by-line search.
#include "common/MessageService.h"
#include "common/ui/BusyCursor.h"
#include "viewer/ByteSearch.h"
#include "viewer/LineLayout.h"
#include "viewer/ui/TBaseViewer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <new>

namespace {
bool before(const TextPlace& a, const TextPlace& b) {
    return a.line < b.line || (a.line == b.line && a.index < b.index);
}

// Floor division, so that a point above or left of the view gives a line or column before it.
int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
} // namespace

LineLayout TBaseViewer::layoutOf(std::int64_t line) { return LineLayout(LineText(line), m_expandTabs, m_tabSize); }

int TBaseViewer::lineLength(std::int64_t line) { return int(LineText(line).size()); }

bool TBaseViewer::SelectionBounds(TextPlace& start, TextPlace& end) const {
    start = before(m_caret, m_anchor) ? m_caret : m_anchor;
    end = before(m_caret, m_anchor) ? m_anchor : m_caret;
    return !(start == end);
}

void TBaseViewer::postStatus() {
    const std::int64_t line = m_caret.line;
    const int column = m_caretColumn;
    QMetaObject::invokeMethod(this, [this, line, column] { Q_EMIT ShowStatus(line, column); }, Qt::QueuedConnection);
}

void TBaseViewer::placeCaret(TextPlace place, bool extend, bool keepColumn) {
    place.line = std::max<std::int64_t>(place.line, 0);
    const LineLayout layout = layoutOf(place.line);
    place.index = layout.snap(std::clamp(place.index, 0, layout.length()));
    const bool lineChanged = place.line != m_caret.line;
    m_caret = place;
    m_caretColumn = layout.columnOf(place.index);
    if (!keepColumn)
        m_wantColumn = m_caretColumn;
    if (!extend)
        m_anchor = place;
    if (lineChanged)
        caretLineChanged(place.line);
    m_caretOn = true;
    scrollIntoView();
    viewport()->update();
    postStatus();
}

void TBaseViewer::selectRange(TextPlace anchor, TextPlace caret) {
    placeCaret(anchor, false);
    placeCaret(caret, true);
}

void TBaseViewer::scrollIntoView() {
    if (m_caret.line < m_top)
        setTopLine(m_caret.line);
    else if (m_caret.line >= m_top + m_visibleRows)
        setTopLine(m_caret.line - m_visibleRows + 1);
    if (m_caretColumn < m_hOffset)
        setHorizontalOffset(m_caretColumn);
    else if (m_caretColumn >= m_hOffset + m_visibleColumns)
        setHorizontalOffset(m_caretColumn - m_visibleColumns + 1);
}

void TBaseViewer::MoveCaret(std::int64_t line, int index) {
    if (m_totalLines == 0)
        return;
    placeCaret({CheckLine(std::max<std::int64_t>(line, 0)), index}, false);
}

void TBaseViewer::SelectWhole() {
    if (m_totalLines == 0)
        return;
    // To the end of the last line, so that a file without a final break is selected whole.
    const std::int64_t last = lastLine();
    selectRange({last, lineLength(last)}, {0, 0});
}

// --- keys -----------------------------------------------------------------------------------------

void TBaseViewer::keyPressEvent(QKeyEvent* event) {
    Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    int key = event->key();
    // Ctrl+Shift with a digit arrives as the shifted symbol of the digit key on most layouts.
    static const char shiftedDigits[] = ")!@#$%^&*(";
    if ((modifiers & Qt::ControlModifier) && (modifiers & Qt::ShiftModifier) && key < 128 && key > 0)
        if (const char* at = std::strchr(shiftedDigits, key))
            key = Qt::Key_0 + int(at - shiftedDigits);
    const int command = keyCommand(QKeyCombination(modifiers, Qt::Key(key)));
    if (command == ccNone) {
        event->ignore();
        return;
    }
    event->accept();
    guarded([&] { ExecuteCommand(command); });
}

void TBaseViewer::ExecuteCommand(int command) {
    if (command >= ccUserFirst) {
        Q_EMIT UserCommand(command);
        return;
    }
    if (command == ccCopy) {
        CopySelection();
        return;
    }
    if (m_totalLines == 0)
        return;
    if (command >= ccGotoMarker0 && command <= ccGotoMarker9) {
        const TextPlace mark = m_bookmarks[std::size_t(command - ccGotoMarker0)];
        if (mark.line >= 0)
            placeCaret({CheckLine(mark.line), mark.index}, false);
        return;
    }
    if (command >= ccSetMarker0 && command <= ccSetMarker9) {
        m_bookmarks[std::size_t(command - ccSetMarker0)] = m_caret;
        viewport()->update();
        return;
    }
    const bool extend = command >= ccExtendLeft && command <= ccExtLastPage;
    const int move = extend ? command - (ccExtendLeft - ccLeft) : command;
    if (!m_showCaret)
        scrollWithoutCaret(move);
    else
        moveCommand(move, extend);
}

void TBaseViewer::moveCommand(int command, bool extend) {
    TextPlace c = m_caret;
    switch (command) {
    case ccLeft:
        if (c.index > 0)
            placeCaret({c.line, layoutOf(c.line).previous(c.index)}, extend);
        else if (c.line > 0)
            placeCaret({c.line - 1, lineLength(c.line - 1)}, extend);
        return;
    case ccRight: {
        const LineLayout layout = layoutOf(c.line);
        if (c.index < layout.length()) {
            placeCaret({c.line, layout.next(c.index)}, extend);
        } else {
            const std::int64_t next = CheckLine(c.line + 1);
            if (next > c.line)
                placeCaret({next, 0}, extend);
        }
        return;
    }
    case ccWordLeft: placeCaret(wordLeft(c), extend); return;
    case ccWordRight: placeCaret(wordRight(c), extend); return;
    case ccUp:
    case ccDown: {
        const std::int64_t line = command == ccUp ? c.line - 1 : CheckLine(c.line + 1);
        if (line < 0 || line == c.line)
            return;
        placeCaret({line, layoutOf(line).indexAtColumn(m_wantColumn)}, extend, true);
        return;
    }
    case ccHome: placeCaret({c.line, 0}, extend); return;
    case ccEnd: placeCaret({c.line, lineLength(c.line)}, extend); return;
    case ccPrevPage:
    case ccNextPage: pageMove(command == ccNextPage, extend); return;
    case ccTopOfPage:
    case ccBotOfPage: {
        const bool inView = c.line >= m_top && c.line < m_top + m_visibleRows;
        if (!inView) {
            // The view comes to the caret instead.
            setTopLine(command == ccTopOfPage ? c.line : c.line - m_visibleRows + 1);
            return;
        }
        const std::int64_t line = command == ccTopOfPage ? m_top : CheckLine(m_top + m_visibleRows - 1);
        placeCaret({line, layoutOf(line).indexAtColumn(m_wantColumn)}, extend, true);
        return;
    }
    case ccFirstPage: placeCaret({0, 0}, extend); return;
    case ccLastPage: {
        const std::int64_t last = lastLine();
        placeCaret({last, lineLength(last)}, extend);
        return;
    }
    default: return;
    }
}

void TBaseViewer::pageMove(bool down, bool extend) {
    const std::int64_t step = std::max(1, m_visibleRows - 1);
    const std::int64_t line = down ? CheckLine(m_caret.line + step) : std::max<std::int64_t>(m_caret.line - step, 0);
    // The view moves by as much, so the caret keeps its row.
    setTopLine(down ? m_top + step : m_top - step);
    placeCaret({line, layoutOf(line).indexAtColumn(m_wantColumn)}, extend, true);
}

void TBaseViewer::scrollWithoutCaret(int command) {
    switch (command) {
    case ccUp: setTopLine(m_top - 1); return;
    case ccDown: setTopLine(m_top + 1); return;
    case ccLeft: setHorizontalOffset(m_hOffset - 1); return;
    case ccRight: setHorizontalOffset(m_hOffset + 1); return;
    case ccHome:
    case ccFirstPage: setTopLine(0); return;
    case ccEnd:
    case ccLastPage:
        lastLine();
        setTopLine(maxTop());
        return;
    case ccPrevPage:
    case ccTopOfPage: setTopLine(m_top - m_visibleRows); return;
    case ccNextPage:
    case ccBotOfPage: setTopLine(m_top + m_visibleRows); return;
    default: return;
    }
}

TextPlace TBaseViewer::wordLeft(TextPlace from) {
    if (from.index <= 0)
        return from.line > 0 ? TextPlace{from.line - 1, lineLength(from.line - 1)} : from;
    const std::string_view text = LineText(from.line);
    int i = std::min(from.index, int(text.size()));
    while (i > 0 && LineLayout::isBlank(text[std::size_t(i - 1)]))
        --i;
    while (i > 0 && !LineLayout::isBlank(text[std::size_t(i - 1)]))
        --i;
    return {from.line, i};
}

TextPlace TBaseViewer::wordRight(TextPlace from) {
    const std::string_view text = LineText(from.line);
    const int length = int(text.size());
    if (from.index >= length) {
        const std::int64_t next = CheckLine(from.line + 1);
        return next > from.line ? TextPlace{next, 0} : from;
    }
    int i = from.index;
    while (i < length && !LineLayout::isBlank(text[std::size_t(i)]))
        ++i;
    while (i < length && LineLayout::isBlank(text[std::size_t(i)]))
        ++i;
    return {from.line, i};
}

// --- mouse ----------------------------------------------------------------------------------------

TextPlace TBaseViewer::placeAt(QPoint point) {
    std::int64_t line = std::max<std::int64_t>(m_top + floorDiv(point.y(), m_lineHeight), 0);
    if (m_totalLines != UnknownLines)
        line = std::min(line, std::max<std::int64_t>(m_totalLines - 1, 0));
    line = CheckLine(line);
    const int column = std::max(floorDiv(point.x() - MarginWidth, m_charWidth) + m_hOffset, 0);
    return {line, layoutOf(line).indexAtColumn(column)};
}

void TBaseViewer::selectLinesTo(std::int64_t pressed, bool extend) {
    std::int64_t fixed = pressed;
    if (extend) {
        fixed = m_caret.line;
        // After a line selection the caret stands at the start of the line below it.
        if (m_caret.index == 0 && m_caret.line > m_anchor.line)
            fixed = m_caret.line - 1;
    }
    const std::int64_t lo = std::min(fixed, pressed), hi = std::max(fixed, pressed);
    const std::int64_t below = CheckLine(hi + 1);
    const TextPlace end = below > hi ? TextPlace{below, 0} : TextPlace{hi, lineLength(hi)};
    if (pressed >= fixed)
        selectRange({lo, 0}, end);
    else
        selectRange(end, {lo, 0});
}

void TBaseViewer::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_totalLines == 0)
        return;
    setFocus(Qt::MouseFocusReason);
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const QPoint at = event->position().toPoint();
    guarded([&] {
        if (at.x() < MarginWidth)
            selectLinesTo(placeAt(at).line, extend);
        else
            placeCaret(placeAt(at), extend);
    });
    m_dragging = at.x() >= MarginWidth;
}

void TBaseViewer::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    viewport()->setCursor(at.x() < MarginWidth ? Qt::ArrowCursor : Qt::IBeamCursor);
    if (!m_dragging || !(event->buttons() & Qt::LeftButton))
        return;
    m_dragPoint = at;
    guarded([&] { dragTo(at); });
    // Outside the text the view keeps scrolling towards the mouse while the button is down.
    const QRect text = viewport()->rect().adjusted(MarginWidth, 0, 0, 0);
    if (text.contains(at))
        m_autoScroll->stop();
    else if (!m_autoScroll->isActive())
        m_autoScroll->start();
}

void TBaseViewer::dragTo(QPoint point) { placeCaret(placeAt(point), true); }

void TBaseViewer::autoScroll() {
    if (!m_dragging) {
        m_autoScroll->stop();
        return;
    }
    guarded([this] {
        const QRect area = viewport()->rect();
        if (m_dragPoint.y() < 0)
            setTopLine(m_top - 1);
        else if (m_dragPoint.y() >= area.height())
            setTopLine(m_top + 1);
        if (m_dragPoint.x() < MarginWidth)
            setHorizontalOffset(m_hOffset - 1);
        else if (m_dragPoint.x() >= area.width())
            setHorizontalOffset(m_hOffset + 1);
        dragTo(m_dragPoint);
    });
}

void TBaseViewer::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
        m_autoScroll->stop();
    }
}

void TBaseViewer::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() != Qt::LeftButton || m_totalLines == 0 || at.x() < MarginWidth)
        return;
    guarded([&] {
        const TextPlace place = placeAt(at);
        const std::string_view text = LineText(place.line);
        const int length = int(text.size());
        auto blank = [&](int i) { return LineLayout::isBlank(text[std::size_t(i)]); };
        int start = std::min(place.index, length);
        while (start > 0 && blank(start - 1))
            --start;
        while (start > 0 && !blank(start - 1))
            --start;
        int end = start;
        while (end < length && !blank(end))
            ++end;
        while (end < length && blank(end))
            ++end;
        selectRange({place.line, start}, {place.line, end});
    });
}

// --- clipboard ------------------------------------------------------------------------------------

std::string TBaseViewer::SelectedBytes(bool* cut) {
    if (cut)
        *cut = false;
    TextPlace start, end;
    if (!SelectionBounds(start, end))
        return {};
    std::string bytes;
    try {
        bytes.reserve(std::size_t(MaxCopyBytes) + 1);
    } catch (const std::bad_alloc&) {
        throw AppError(QStringLiteral("Could not allocate memory for clipboard copy"));
    }
    // Line by line, stopping once past the limit, so that a huge selection reads little.
    for (std::int64_t line = start.line; line <= end.line && bytes.size() <= std::size_t(MaxCopyBytes);
         ++line) {
        const std::string_view text = LineText(line);
        const std::size_t from = line == start.line ? std::min<std::size_t>(std::size_t(start.index), text.size()) : 0;
        const std::size_t to = line == end.line ? std::min<std::size_t>(std::size_t(end.index), text.size()) : text.size();
        if (to > from)
            bytes.append(text.substr(from, to - from));
        if (line != end.line)
            bytes += '\n'; // lines end as text lines do on Linux
    }
    if (bytes.size() <= std::size_t(MaxCopyBytes))
        return bytes;
    // The first bytes, never ending inside a character.
    std::size_t keep = std::size_t(MaxCopyBytes);
    for (std::size_t back = 1; back <= 3 && (static_cast<unsigned char>(bytes[keep]) & 0xC0) == 0x80; ++back)
        if (static_cast<unsigned char>(bytes[keep - back]) >= 0xC0) {
            keep -= back;
            break;
        }
    bytes.resize(keep);
    if (cut)
        *cut = true;
    return bytes;
}

void TBaseViewer::CopySelection() {
    if (!HasSelection())
        return;
    bool cut = false;
    const std::string bytes = SelectedBytes(&cut);
    QGuiApplication::clipboard()->setText(QString::fromUtf8(bytes.data(), qsizetype(bytes.size())));
    if (cut)
        ShowInfoMessage(QStringLiteral(
            "The selection is larger than 64 K: its first 65,520 bytes were copied to the clipboard."));
}

// --- the line-by-line search ----------------------------------------------------------------------

bool TBaseViewer::FindText(const std::string& text, int options) {
    if (text.empty() || m_totalLines == 0)
        return false;
    BusyCursor busy;
    const ByteSearch search(text, options & SearchMatchCase);
    const bool backward = options & SearchBackward;
    TextPlace at = m_caret;
    if (options & SearchGlobal) {
        if (backward) {
            const std::int64_t last = lastLine();
            at = {last, lineLength(last)};
        } else {
            at = {0, 0};
        }
    }
    const int length = int(search.length());
    if (!backward) {
        while (true) {
            const std::string_view line = LineText(at.line);
            const std::size_t found = search.findFirst(line.data(), line.size(), std::size_t(std::max(at.index, 0)));
            if (found != std::string::npos) {
                selectRange({at.line, int(found)}, {at.line, int(found) + length});
                return true;
            }
            const std::int64_t next = CheckLine(at.line + 1);
            if (next <= at.line)
                return false;
            at = {next, 0};
        }
    }
    while (true) {
        const std::string_view line = LineText(at.line);
        const std::size_t end = std::min<std::size_t>(std::size_t(std::max(at.index, 0)), line.size());
        const std::size_t found = search.findLast(line.data(), end);
        if (found != std::string::npos) {
            selectRange({at.line, int(found) + length}, {at.line, int(found)});
            return true;
        }
        if (at.line <= 0)
            return false;
        at = {at.line - 1, std::numeric_limits<int>::max()};
    }
}
