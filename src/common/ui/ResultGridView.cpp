// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/ResultGridView.h"

#include "common/StringGridModel.h"

#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>

namespace {

// Draws the cell as usual; in the mark column of a marked row, the glyph first and the text after it.
class MarkDelegate : public QStyledItemDelegate {
public:
    explicit MarkDelegate(ResultGridView* view) : QStyledItemDelegate(view), m_view(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (index.column() != m_view->markColumn() || !index.data(StringGridModel::MarkRole).toBool()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : nullptr;
        if (style)
            style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

        const double scale = m_view->scale();
        const int inset = qRound(2 * scale);
        const int side = qRound(16 * scale);
        painter->save();
        painter->drawPixmap(QRect(opt.rect.left() + inset, opt.rect.top() + inset, side, side), glyph());
        const QRect textRect = opt.rect.adjusted(qRound(18 * scale), 0, 0, 0);
        const bool selected = opt.state & QStyle::State_Selected;
        painter->setPen(opt.palette.color(opt.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive,
                                          selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(opt.font);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          opt.fontMetrics.elidedText(text, opt.textElideMode, textRect.width()));
        painter->restore();
    }

private:
    const QPixmap& glyph() const {
        if (m_glyph.isNull())
            m_glyph = ResultGridView::MarkGlyph();
        return m_glyph;
    }
    ResultGridView* m_view;
    mutable QPixmap m_glyph;
};

} // namespace

ResultGridView::ResultGridView(QWidget* parent) : QTableView(parent) {
    QFont small(QStringLiteral("Sans Serif"), 8);
    small.setStyleHint(QFont::SansSerif);
    setFont(small);

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setSortingEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);

    // Every row has the same fixed height: the view then never asks a row for its size.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(qRound(18 * scale()));

    QHeaderView* titles = horizontalHeader();
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    titles->setHighlightSections(false);
    // Sorting is chosen from the window's menu; a click on a title does nothing.
    titles->setSectionsClickable(false);
    titles->setStretchLastSection(false);

    setItemDelegate(new MarkDelegate(this));
}

void ResultGridView::setMarkColumn(int column) {
    m_markColumn = column;
    viewport()->update();
}

double ResultGridView::scale() const { return logicalDpiY() / 96.0; }

int ResultGridView::currentGridRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void ResultGridView::setCurrentGridRow(int gridRow) {
    if (!model() || gridRow < 1 || gridRow > model()->rowCount())
        return;
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    setCurrentIndex(model()->index(gridRow - 1, column));
}

std::vector<int> ResultGridView::columnWidths() const {
    std::vector<int> widths;
    const int columns = model() ? model()->columnCount() : 0;
    for (int c = 0; c < columns; ++c)
        widths.push_back(columnWidth(c));
    return widths;
}

QPixmap ResultGridView::MarkGlyph() {
    QPixmap glyph(16, 16);
    glyph.fill(Qt::transparent);
    QPainter painter(&glyph);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath tick;
    tick.moveTo(2.5, 8.5);
    tick.lineTo(6.5, 12.5);
    tick.lineTo(13.5, 3.5);
    painter.setPen(QPen(QColor(220, 0, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
    return glyph;
}
