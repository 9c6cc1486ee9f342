// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewer/ui/TBaseViewer.h"

#include "common/MessageService.h"
#include "viewer/LineLayout.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

namespace {
// The vertical bar never has more steps than this, whatever the number of lines.
constexpr std::int64_t kBarSteps = 16384;
constexpr int kHorizontalRange = 512;
} // namespace

TBaseViewer::TBaseViewer(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_highlightBack = palette().color(QPalette::Highlight);
    m_highlightText = palette().color(QPalette::HighlightedText);
    m_marginColor = palette().color(QPalette::Base);
    for (TextPlace& b : m_bookmarks)
        b = {-1, 0};

    // The key table: each move, the same with Shift extending the selection, copy, bookmarks.
    struct Move {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int command;
        int extend;
    };
    const Move moves[] = {
        {Qt::Key_Left, Qt::NoModifier, ccLeft, ccExtendLeft},
        {Qt::Key_Right, Qt::NoModifier, ccRight, ccExtendRight},
        {Qt::Key_Left, Qt::ControlModifier, ccWordLeft, ccExtWordLeft},
        {Qt::Key_Right, Qt::ControlModifier, ccWordRight, ccExtWordRight},
        {Qt::Key_Up, Qt::NoModifier, ccUp, ccExtendUp},
        {Qt::Key_Down, Qt::NoModifier, ccDown, ccExtendDown},
        {Qt::Key_Home, Qt::NoModifier, ccHome, ccExtendHome},
        {Qt::Key_End, Qt::NoModifier, ccEnd, ccExtendEnd},
        {Qt::Key_PageUp, Qt::NoModifier, ccPrevPage, ccExtendPgUp},
        {Qt::Key_PageDown, Qt::NoModifier, ccNextPage, ccExtendPgDn},
        {Qt::Key_PageUp, Qt::ControlModifier, ccTopOfPage, ccExtTopOfPage},
        {Qt::Key_PageDown, Qt::ControlModifier, ccBotOfPage, ccExtBotOfPage},
        {Qt::Key_Home, Qt::ControlModifier, ccFirstPage, ccExtFirstPage},
        {Qt::Key_End, Qt::ControlModifier, ccLastPage, ccExtLastPage},
    };
    for (const Move& m : moves) {
        setKeyCommand(QKeyCombination(m.modifiers, m.key), m.command);
        setKeyCommand(QKeyCombination(m.modifiers | Qt::ShiftModifier, m.key), m.extend);
    }
    setKeyCommand(QKeyCombination(Qt::ControlModifier, Qt::Key_Insert), ccCopy);
    setKeyCommand(QKeyCombination(Qt::ControlModifier, Qt::Key_C), ccCopy);
    for (int n = 0; n < 10; ++n) {
        const auto digit = Qt::Key(Qt::Key_0 + n);
        setKeyCommand(QKeyCombination(Qt::ControlModifier, digit), ccGotoMarker0 + n);
        setKeyCommand(QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, digit), ccSetMarker0 + n);
    }

    m_blink = new QTimer(this);
    connect(m_blink, &QTimer::timeout, this, [this] {
        m_caretOn = !m_caretOn;
        viewport()->update();
    });
    m_autoScroll = new QTimer(this);
    m_autoScroll->setInterval(50);
    connect(m_autoScroll, &QTimer::timeout, this, [this] { autoScroll(); });

    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this](int a) { verticalAction(a); });
    connect(horizontalScrollBar(), &QAbstractSlider::valueChanged, this, [this](int value) {
        if (!m_settingBars)
            setHorizontalOffset(value);
    });
    m_font.setOnChange([this] { fontChanged(); });
    fontChanged();
    resize(200, 150);
}

TBaseViewer::~TBaseViewer() = default;

void TBaseViewer::guarded(const std::function<void()>& action) {
    QString error;
    try {
        action();
    } catch (const AppError& e) {
        error = e.text();
    }
    // Shown once the handler is over, as the program's general handler would show it.
    if (!error.isEmpty())
        ShowErrorMessage(error);
}

// --- font and metrics -------------------------------------------------------------------------

void TBaseViewer::fontChanged() {
    updateMetrics();
    viewport()->update();
}

void TBaseViewer::updateMetrics() {
    const QFont& font = m_font.font();
    const QFontMetrics fm(font);
    m_lineHeight = std::max(fm.height() + 2, 12);
    m_charWidth = std::max(1, fm.horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ")) / 52);
    m_ascent = fm.ascent();
    // Each character of a run is drawn exactly one column further than the one before.
    m_nominalAdvance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('M'));
    m_drawFont = font;
    m_drawFont.setKerning(false);
    m_drawFont.setLetterSpacing(QFont::AbsoluteSpacing, m_charWidth - m_nominalAdvance);
    m_fits.clear();
    const QSize area = viewport()->size();
    m_visibleRows = std::max(area.height() / m_lineHeight, 1);
    m_visibleColumns = std::max((area.width() - MarginWidth) / m_charWidth, 1);
    updateScrollBars();
}

bool TBaseViewer::fitsColumn(char32_t ch) {
    auto found = m_fits.constFind(ch);
    if (found != m_fits.constEnd())
        return *found;
    const QFontMetricsF fm(m_font.font());
    const QString text = QString::fromUcs4(&ch, 1);
    const bool fits = fm.inFontUcs4(uint(ch)) && std::abs(fm.horizontalAdvance(text) - m_nominalAdvance) < 0.05;
    m_fits.insert(ch, fits);
    return fits;
}

void TBaseViewer::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateMetrics();
}

// --- settings -----------------------------------------------------------------------------------

void TBaseViewer::setExpandTabs(bool expand) {
    m_expandTabs = expand;
    if (m_totalLines != 0)
        guarded([this] { m_caretColumn = layoutOf(m_caret.line).columnOf(m_caret.index); });
    viewport()->update();
}

void TBaseViewer::setTabSize(std::uint8_t size) {
    if (size == 0)
        return;
    m_tabSize = size;
    setExpandTabs(m_expandTabs);
}

void TBaseViewer::setHighlightColors(const QColor& back, const QColor& text) {
    m_highlightBack = back;
    m_highlightText = text;
    viewport()->update();
}

void TBaseViewer::setMarginColor(const QColor& color) {
    m_marginColor = color;
    viewport()->update();
}

void TBaseViewer::setShowBookmarks(bool show) {
    m_showBookmarks = show;
    viewport()->update();
}

void TBaseViewer::setShowCaret(bool show) {
    m_showCaret = show;
    viewport()->update();
}

void TBaseViewer::setCaretHeight(int height) {
    m_caretHeight = std::max(height, 0);
    viewport()->update();
}

void TBaseViewer::setKeyCommand(QKeyCombination key, int command) {
    if (command == ccNone)
        m_keys.remove(key.toCombined());
    else
        m_keys.insert(key.toCombined(), command);
}

int TBaseViewer::keyCommand(QKeyCombination key) const { return m_keys.value(key.toCombined(), ccNone); }

// --- lines and scrolling ------------------------------------------------------------------------

void TBaseViewer::SetTotalLines(std::int64_t total, bool reset) {
    const bool learned = total != m_totalLines;
    m_totalLines = total;
    if (reset) {
        m_top = 0;
        m_hOffset = 0;
        m_caret = m_anchor = TextPlace{0, 0};
        m_caretColumn = m_wantColumn = 0;
        for (TextPlace& b : m_bookmarks)
            b = {-1, 0};
        m_paintError.clear();
        caretLineChanged(0);
        Q_EMIT TopLineChanged(0);
        postStatus();
    } else {
        if (m_top > maxTop())
            m_top = maxTop(); // the file turned out shorter than the view had assumed
        // The end was found (by showing the last line, a search, a move): the status tells the total.
        if (learned)
            postStatus();
    }
    updateScrollBars();
    viewport()->update();
}

std::int64_t TBaseViewer::maxTop() const {
    if (m_totalLines == UnknownLines)
        return UnknownLines - m_visibleRows;
    return std::max<std::int64_t>(m_totalLines - m_visibleRows, 0);
}

std::int64_t TBaseViewer::lastLine() {
    if (m_totalLines == 0)
        return 0;
    const std::int64_t last = CheckLine(m_totalLines == UnknownLines ? UnknownLines - 1 : m_totalLines - 1);
    return m_totalLines == UnknownLines ? last : std::min(last, m_totalLines - 1);
}

void TBaseViewer::updateScrollBars() {
    m_settingBars = true;
    const std::int64_t top = maxTop();
    m_scrollScale = top / kBarSteps + 1;
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, int(top / m_scrollScale));
    v->setSingleStep(1);
    v->setPageStep(int(std::max<std::int64_t>(1, m_visibleRows / m_scrollScale)));
    v->setValue(int(m_top / m_scrollScale));
    QScrollBar* h = horizontalScrollBar();
    // Wider than the usual range only while the caret of a long line needs it.
    h->setRange(0, std::max(kHorizontalRange, m_hOffset));
    h->setSingleStep(1);
    h->setPageStep(10);
    h->setValue(m_hOffset);
    m_settingBars = false;
}

void TBaseViewer::setTopLine(std::int64_t top) {
    top = std::clamp<std::int64_t>(top, 0, maxTop());
    if (top == m_top)
        return;
    m_top = top;
    updateScrollBars();
    viewport()->update();
    Q_EMIT TopLineChanged(top);
}

void TBaseViewer::setHorizontalOffset(int offset) {
    offset = std::max(offset, 0);
    if (offset == m_hOffset)
        return;
    m_hOffset = offset;
    updateScrollBars();
    viewport()->update();
}

void TBaseViewer::scrollContentsBy(int, int) {
    // The view follows the bars through verticalAction and the horizontal value alone.
}

void TBaseViewer::verticalAction(int action) {
    if (m_settingBars)
        return;
    QScrollBar* bar = verticalScrollBar();
    guarded([&] {
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: setTopLine(m_top + 1); break;
        case QAbstractSlider::SliderSingleStepSub: setTopLine(m_top - 1); break;
        case QAbstractSlider::SliderPageStepAdd: setTopLine(m_top + m_visibleRows); break;
        case QAbstractSlider::SliderPageStepSub: setTopLine(m_top - m_visibleRows); break;
        case QAbstractSlider::SliderToMinimum: setTopLine(0); break;
        case QAbstractSlider::SliderToMaximum:
            lastLine();
            setTopLine(maxTop());
            break;
        case QAbstractSlider::SliderMove: {
            const int position = bar->sliderPosition();
            if (position <= 0) {
                setTopLine(0);
            } else if (position >= bar->maximum()) {
                lastLine(); // the last page: learn where the file ends first
                setTopLine(maxTop());
            } else {
                setTopLine(CheckLine(std::int64_t(position) * m_scrollScale));
            }
            break;
        }
        default: break;
        }
    });
    m_settingBars = true;
    bar->setSliderPosition(int(m_top / m_scrollScale));
    m_settingBars = false;
}

void TBaseViewer::wheelEvent(QWheelEvent* event) {
    // A notch (120) scrolls the desktop's wheel lines (or as many columns sideways); touchpads
    // send small steps, which add up.
    const std::int64_t perNotch = QApplication::wheelScrollLines();
    m_wheelEighths += std::int64_t(event->angleDelta().y()) * perNotch;
    m_wheelEighthsAcross += std::int64_t(event->angleDelta().x()) * perNotch;
    const std::int64_t lines = m_wheelEighths / 120;
    const std::int64_t columns = m_wheelEighthsAcross / 120;
    m_wheelEighths -= lines * 120;
    m_wheelEighthsAcross -= columns * 120;
    event->accept();
    if (lines != 0)
        guarded([&] { setTopLine(m_top - lines); });
    if (columns != 0)
        setHorizontalOffset(int(std::clamp<std::int64_t>(m_hOffset - columns, 0, horizontalScrollBar()->maximum())));
}

// --- painting -----------------------------------------------------------------------------------

void TBaseViewer::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    painter.fillRect(event->rect(), palette().color(QPalette::Base));
    painter.fillRect(QRect(0, 0, MarginWidth, area.height()), m_marginColor);
    TextPlace selStart, selEnd;
    if (!SelectionBounds(selStart, selEnd))
        selStart = selEnd = TextPlace{-1, 0};
    const int firstRow = std::max(event->rect().top() / m_lineHeight, 0);
    const int lastRow = std::min(event->rect().bottom() / m_lineHeight, m_visibleRows);
    try {
        for (int row = firstRow; row <= lastRow; ++row) {
            const std::int64_t line = m_top + row;
            if (line >= m_totalLines)
                break;
            paintRow(painter, row, line, selStart, selEnd);
            if (m_showBookmarks)
                for (int n = 0; n < 10; ++n)
                    if (m_bookmarks[std::size_t(n)].line == line) {
                        paintBookmark(painter, row, n);
                        break;
                    }
        }
    } catch (const AppError& e) {
        // No box can be shown while painting: once this paint is over, and once per failure.
        if (e.text() != m_paintError) {
            m_paintError = e.text();
            QMetaObject::invokeMethod(this, [text = e.text()] { ShowErrorMessage(text); }, Qt::QueuedConnection);
        }
    }
    if (m_showCaret && m_caretOn && hasFocus() && m_caret.line >= m_top && m_caret.line <= m_top + m_visibleRows &&
        m_caretColumn >= m_hOffset && m_caretColumn <= m_hOffset + m_visibleColumns) {
        const int x = MarginWidth + (m_caretColumn - m_hOffset) * m_charWidth;
        const int y = int(m_caret.line - m_top) * m_lineHeight;
        painter.fillRect(QRect(x, y, 2, m_caretHeight > 0 ? m_caretHeight : m_lineHeight), m_font.color());
    }
}

void TBaseViewer::paintRow(QPainter& painter, int row, std::int64_t line, const TextPlace& selStart,
                           const TextPlace& selEnd) {
    const LineLayout layout(LineText(line), m_expandTabs, m_tabSize);
    const int y = row * m_lineHeight;
    painter.save();
    painter.setClipRect(QRect(MarginWidth, y, viewport()->width() - MarginWidth, m_lineHeight));
    // The selected bytes of this line, and the columns that show them.
    int selFrom = 0, selTo = 0;
    if (selStart.line >= 0 && selStart.line <= line && line <= selEnd.line) {
        selFrom = line == selStart.line ? selStart.index : 0;
        selTo = line == selEnd.line ? selEnd.index : std::numeric_limits<int>::max();
        const int colFrom = layout.columnOf(selFrom);
        // A selection that goes on into the next line shows one column past the text.
        const int colTo = selTo == std::numeric_limits<int>::max() ? layout.columns() + 1 : layout.columnOf(selTo);
        if (colTo > colFrom)
            painter.fillRect(QRect(MarginWidth + (colFrom - m_hOffset) * m_charWidth, y,
                                   (colTo - colFrom) * m_charWidth, m_lineHeight),
                             m_highlightBack);
    }
    const int baseline = y + 1 + m_ascent;
    const int lastColumn = m_hOffset + m_visibleColumns + 1;
    QString run;
    int runColumn = 0;
    int runCells = 0;
    bool runSelected = false;
    auto flush = [&] {
        if (run.isEmpty())
            return;
        painter.setFont(m_drawFont);
        painter.setPen(runSelected ? m_highlightText : m_font.color());
        painter.drawText(QPoint(MarginWidth + (runColumn - m_hOffset) * m_charWidth, baseline), run);
        run.clear();
        runCells = 0;
    };
    for (const LineLayout::Cell& cell : layout.cells()) {
        if (cell.column >= lastColumn)
            break;
        if (cell.column + cell.width <= m_hOffset)
            continue;
        const bool selected = cell.index >= selFrom && cell.index < selTo;
        if (cell.ch == U' ') {
            flush(); // spaces and tabs draw nothing: the background is already there
            continue;
        }
        if (!fitsColumn(cell.ch)) {
            // A character the font lacks or draws wider: by itself, in its column.
            flush();
            painter.setFont(m_font.font());
            painter.setPen(selected ? m_highlightText : m_font.color());
            painter.drawText(QPoint(MarginWidth + (cell.column - m_hOffset) * m_charWidth, baseline),
                             QString::fromUcs4(&cell.ch, 1));
            continue;
        }
        if (!run.isEmpty() && (selected != runSelected || cell.column != runColumn + runCells))
            flush();
        if (run.isEmpty()) {
            runColumn = cell.column;
            runSelected = selected;
        }
        run += QString::fromUcs4(&cell.ch, 1);
        ++runCells;
    }
    flush();
    painter.restore();
}

void TBaseViewer::paintBookmark(QPainter& painter, int row, int number) {
    // A small tab with the bookmark's digit, drawn rather than taken from a picture.
    const int y = row * m_lineHeight + (m_lineHeight < 14 ? 0 : (m_lineHeight - 12) / 2);
    const QRectF box(2.5, y + 0.5, 11, 11);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(box, 2, 2);
    painter.fillPath(path, QColor(0, 110, 110));
    painter.setPen(QColor(0, 60, 60));
    painter.drawPath(path);
    QFont digit = font();
    digit.setPixelSize(9);
    digit.setBold(true);
    painter.setFont(digit);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, QString::number(number));
    painter.restore();
}

void TBaseViewer::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    m_caretOn = true;
    if (QApplication::cursorFlashTime() > 0)
        m_blink->start(QApplication::cursorFlashTime() / 2);
    viewport()->update();
}

void TBaseViewer::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    m_blink->stop();
    viewport()->update();
}
