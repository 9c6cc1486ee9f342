// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/AppError.h"
#include "viewer/FileSearch.h"
#include "viewer/ui/TFixedFont.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QHash>
#include <QKeyCombination>
#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

class LineLayout;
class QPainter;
class QTimer;

// A general viewer of numbered lines: it draws them in a fixed-pitch font beside a 16-pixel margin
// for the ten bookmarks, keeps a caret and a selection, answers keys, the mouse and both scroll
// bars, copies the selection, searches, and tells where the caret is. It reads nothing itself:
// every line comes from LineText and CheckLine, and only the lines in view are asked for. Line
// numbers are 64-bit; a byte index in a line's text is an int (a line shows at most 1023 bytes).
class TBaseViewer : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr std::int64_t UnknownLines = std::numeric_limits<std::int64_t>::max();
    static constexpr int MarginWidth = 16;
    static constexpr int MaxCopyBytes = 65520;

    // FindText options (1 is not used).
    enum SearchOption { SearchBackward = 2, SearchMatchCase = 4, SearchGlobal = 8 };

    // The commands of the key table; codes from ccUserFirst on go to UserCommand.
    enum Command {
        ccNone,
        ccLeft, ccRight, ccWordLeft, ccWordRight, ccUp, ccDown, ccHome, ccEnd, ccPrevPage, ccNextPage,
        ccTopOfPage, ccBotOfPage, ccFirstPage, ccLastPage,
        ccExtendLeft, ccExtendRight, ccExtWordLeft, ccExtWordRight, ccExtendUp, ccExtendDown, ccExtendHome,
        ccExtendEnd, ccExtendPgUp, ccExtendPgDn, ccExtTopOfPage, ccExtBotOfPage, ccExtFirstPage, ccExtLastPage,
        ccCopy,
        ccGotoMarker0, ccGotoMarker9 = ccGotoMarker0 + 9,
        ccSetMarker0, ccSetMarker9 = ccSetMarker0 + 9,
        ccUserFirst = 256
    };

    explicit TBaseViewer(QWidget* parent = nullptr);
    ~TBaseViewer() override;

    // The text of line n (bytes; empty beyond the lines). Valid until the next call.
    virtual std::string_view LineText(std::int64_t n) = 0;
    // The nearest existing line for n.
    virtual std::int64_t CheckLine(std::int64_t n) { return n; }
    // Searches for text (bytes, at most 255 of them) with SearchOption flags, line by line. On a
    // match selects it (caret at its end forward, at its start backward) and gives true; otherwise
    // leaves caret and selection as they were. Never wraps around.
    virtual bool FindText(const std::string& text, int options);

    std::int64_t TotalLines() const { return m_totalLines; }
    // The caret's line and display column.
    TextPlace CaretPosition() const { return {m_caret.line, m_caretColumn}; }
    // The caret's line and byte index.
    TextPlace Caret() const { return m_caret; }
    std::int64_t FirstVisibleLine() const { return m_top; }
    // Ordered; true when start and end differ.
    bool SelectionBounds(TextPlace& start, TextPlace& end) const;
    bool HasSelection() const { return !(m_anchor == m_caret); }
    // Puts the caret at (CheckLine(line), index) without extending, in view (nothing without lines).
    void MoveCaret(std::int64_t line, int index);
    // From the start of the last line back to the start of the first.
    void SelectWhole();
    // Copies the selection as UTF-8 text, lines joined by LF: at most its first 65,520 bytes,
    // and when that is not all of it, says so.
    void CopySelection();
    // The selected bytes as CopySelection puts them on the clipboard; cut tells whether that is
    // only the first 65,520 bytes of a larger selection.
    std::string SelectedBytes(bool* cut = nullptr);
    // Runs a command of the key table.
    void ExecuteCommand(int command);

    // A bookmark (line -1: unset).
    TextPlace Bookmark(int n) const { return m_bookmarks[std::size_t(n)]; }

    bool ExpandTabs() const { return m_expandTabs; }
    virtual void setExpandTabs(bool expand);
    std::uint8_t TabSize() const { return m_tabSize; }
    // 0 is refused.
    virtual void setTabSize(std::uint8_t size);
    TFixedFont& FixedFont() { return m_font; }
    const TFixedFont& FixedFont() const { return m_font; }
    QColor HighlightBackColor() const { return m_highlightBack; }
    QColor HighlightTextColor() const { return m_highlightText; }
    void setHighlightColors(const QColor& back, const QColor& text);
    QColor MarginColor() const { return m_marginColor; }
    void setMarginColor(const QColor& color);
    bool ShowBookmarks() const { return m_showBookmarks; }
    void setShowBookmarks(bool show);
    bool ShowCaret() const { return m_showCaret; }
    void setShowCaret(bool show);
    // The caret's height in pixels (0: the line height).
    int caretHeight() const { return m_caretHeight; }
    void setCaretHeight(int height);
    // Adds or replaces a key of the key table (ccNone removes it).
    void setKeyCommand(QKeyCombination key, int command);
    int keyCommand(QKeyCombination key) const;

    // Metrics from the font and the size.
    int lineHeight() const { return m_lineHeight; }
    int charWidth() const { return m_charWidth; }
    int visibleRows() const { return m_visibleRows; }
    int visibleColumns() const { return m_visibleColumns; }
    int horizontalOffset() const { return m_hOffset; }
    // The vertical bar's lines per step: what keeps the bar within 16,384 steps.
    std::int64_t scrollScale() const { return m_scrollScale; }

Q_SIGNALS:
    // Posted after each caret placement, so it arrives once the input that moved it is handled.
    void ShowStatus(qint64 line, int column);
    void TopLineChanged(qint64 line);
    void UserCommand(int command);

protected:
    // The number of lines: reset (a new file, a closed one, a mode change) puts caret, selection
    // and view back at the top and clears the bookmarks; otherwise only the scroll bars follow.
    void SetTotalLines(std::int64_t total, bool reset);
    // Told when the caret moves to another line, so that a line source can remember it.
    virtual void caretLineChanged(std::int64_t) {}
    // Selects from anchor to caret (not extending from the old anchor) and shows the caret.
    void selectRange(TextPlace anchor, TextPlace caret);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void fontChanged();
    void updateMetrics();
    void updateScrollBars();
    std::int64_t maxTop() const;
    std::int64_t lastLine();
    void setTopLine(std::int64_t top);
    void setHorizontalOffset(int offset);
    void verticalAction(int action);

    LineLayout layoutOf(std::int64_t line);
    int lineLength(std::int64_t line);
    void placeCaret(TextPlace place, bool extend, bool keepColumn = false);
    void scrollIntoView();
    void postStatus();
    void moveCommand(int command, bool extend);
    void pageMove(bool down, bool extend);
    void scrollWithoutCaret(int command);
    TextPlace wordLeft(TextPlace from);
    TextPlace wordRight(TextPlace from);
    TextPlace placeAt(QPoint point);
    void selectLinesTo(std::int64_t line, bool extend);
    void dragTo(QPoint point);
    void autoScroll();
    // Runs an action of an event handler; a raised error is shown, never passed to the event loop.
    void guarded(const std::function<void()>& action);

    void paintRow(QPainter& painter, int row, std::int64_t line, const TextPlace& selStart,
                  const TextPlace& selEnd);
    void paintBookmark(QPainter& painter, int row, int number);
    bool fitsColumn(char32_t ch);

    TFixedFont m_font;
    QFont m_drawFont;         // the font with the spacing that puts each character in its column
    QHash<char32_t, bool> m_fits;
    qreal m_nominalAdvance = 8;
    int m_lineHeight = 12;
    int m_charWidth = 8;
    int m_ascent = 10;
    int m_visibleRows = 1;
    int m_visibleColumns = 1;

    std::int64_t m_totalLines = 0;
    std::int64_t m_top = 0;
    int m_hOffset = 0;
    std::int64_t m_scrollScale = 1;
    bool m_settingBars = false;
    // Wheel turns not yet worth a whole line (eighths of a degree times the wheel lines).
    std::int64_t m_wheelEighths = 0;
    std::int64_t m_wheelEighthsAcross = 0;

    TextPlace m_caret;
    TextPlace m_anchor;
    int m_caretColumn = 0; // where the caret is drawn
    int m_wantColumn = 0;  // what vertical moves keep
    std::array<TextPlace, 10> m_bookmarks{};

    bool m_expandTabs = true;
    std::uint8_t m_tabSize = 8;
    QColor m_highlightBack;
    QColor m_highlightText;
    QColor m_marginColor;
    bool m_showBookmarks = true;
    bool m_showCaret = true;
    int m_caretHeight = 0;
    bool m_caretOn = true;
    QTimer* m_blink = nullptr;

    QHash<int, int> m_keys; // QKeyCombination::toCombined() -> command
    bool m_dragging = false;
    QPoint m_dragPoint;
    QTimer* m_autoScroll = nullptr;
    QString m_paintError; // a read error met while painting, shown once the paint is over
};
