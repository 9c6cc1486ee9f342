// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QPixmap>
#include <QStringList>
#include <QTableView>
#include <functional>
#include <vector>

class StringGridModel;

// The result grid of every result window, over a StringGridModel: whole rows selected, one at a time;
// user-resizable columns; grid lines; uniform rows 18 pixels high (scaled); the title row as the
// horizontal header; no row header; an 8-point sans-serif font. In the mark column, a marked row shows
// the mark glyph at (2, 2) of its cell and the cell text from 18 pixels right of the cell's left edge.
// Rows are never measured one by one, so scrolling stays quick on hundreds of thousands of rows.
class ResultGridView : public QTableView {
    Q_OBJECT
public:
    explicit ResultGridView(QWidget* parent = nullptr);

    // The column whose cells carry the mark glyph; -1 for none (the default).
    void setMarkColumn(int column);
    int markColumn() const { return m_markColumn; }

    // A numbered badge before the text of the mark column's cells, coloured by its number: the
    // group a row belongs to (0: none). It marks rows without changing their texts. The badges
    // show once setBadgeRange gives the largest number: the mark column then starts with a slot
    // as wide as that number's badge, and is that much wider, so that no name loses room to it.
    void setRowBadge(std::function<int(int gridRow)> badge);
    int rowBadge(int gridRow) const { return m_badge ? m_badge(gridRow) : 0; }
    void setBadgeRange(int largest);
    // The width of the badge slot in pixels; 0 while no badges show.
    int badgeSlotWidth() const { return m_badgeSlot; }
    // The colour of a badge number, for legends.
    static QColor badgeColor(int number);

    // Screen pixels per inch divided by 96: the factor for widths given at 96 pixels per inch.
    double scale() const;

    // The current row as a grid row (1 = first data row); 0 when there is none (the title row).
    int currentGridRow() const;
    void setCurrentGridRow(int gridRow);

    // The current width of every column, in pixels (for the printed report).
    std::vector<int> columnWidths() const;

    // Sets every column to its minimum width (screen pixels); the fill column (-1: none), the one
    // that holds paths, also takes whatever the view has beyond their sum, so a wider window shows
    // longer paths and every other column keeps its width. A share column (-1: none), the one of
    // names beside the paths, takes its part of that room in proportion to its minimum width
    // against the fill column's, so names grow with the window too. Both follow the view's width
    // from then on (a scroll bar that comes or goes too); the user may still drag any column.
    void setColumnLayout(std::vector<int> minimumWidths, int fillColumn, int shareColumn = -1);
    int fillColumn() const { return m_fillColumn; }
    int shareColumn() const { return m_shareColumn; }

    // The narrowest column width that shows each of the texts whole in a cell of this grid (its
    // font, the style's cell margins and the grid line). Every decimal digit counts as the widest
    // digit of its script in the font, so any text of the same shape fits too.
    int columnWidthFor(const QStringList& texts) const;

    // Texts as wide as the widest of their kind in the default locale: the date text of each
    // month and weekday, the time text of each hour (so each AM/PM text), and a size in K of the
    // given number of digits with the " K" after it.
    static QStringList dateSamples();
    static QStringList timeSamples();
    static QString sizeKSample(int digits);

    // The 16 x 16 red tick on a transparent ground.
    static QPixmap MarkGlyph();

protected:
    bool viewportEvent(QEvent* event) override;

private:
    // The fill column's width: its minimum, or what the other columns leave of the view.
    void fitFillColumn();
    int minimumWidth(int column) const;

    int m_markColumn = -1;
    std::function<int(int)> m_badge;
    int m_badgeSlot = 0;
    std::vector<int> m_minimumWidths;
    int m_fillColumn = -1;
    int m_shareColumn = -1;
};
