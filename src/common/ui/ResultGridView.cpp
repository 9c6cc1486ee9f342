// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/ResultGridView.h"

#include "common/DosDateTime.h"
#include "common/StringGridModel.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cstdint>

namespace {

// The number's badge: a rounded box coloured by the number, the number in white.
QFont BadgeFont(const QFont& cellFont) {
    QFont font = cellFont;
    font.setBold(true);
    return font;
}

int BadgeWidth(const QFont& cellFont, int height, const QString& number) {
    const QFontMetrics fm(BadgeFont(cellFont));
    return std::max(height, fm.horizontalAdvance(number) + 8);
}

// Draws the cell as usual. In the mark column, a badge slot (when badges show) comes first, then the
// mark glyph of a marked row, then the text.
class MarkDelegate : public QStyledItemDelegate {
public:
    explicit MarkDelegate(ResultGridView* view) : QStyledItemDelegate(view), m_view(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool markColumn = index.column() == m_view->markColumn();
        const bool marked = markColumn && index.data(StringGridModel::MarkRole).toBool();
        const int slot = markColumn ? m_view->badgeSlotWidth() : 0;
        if (!marked && slot == 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

        painter->save();
        if (slot > 0)
            if (const int badge = m_view->rowBadge(index.row() + 1))
                paintBadge(painter, opt, badge);
        const double scale = m_view->scale();
        const QRect content = opt.rect.adjusted(slot, 0, 0, 0);
        QRect textRect;
        if (marked) {
            const int inset = qRound(2 * scale);
            const int side = qRound(16 * scale);
            painter->drawPixmap(QRect(content.left() + inset, content.top() + inset, side, side), glyph());
            textRect = content.adjusted(qRound(18 * scale), 0, 0, 0);
        } else {
            // Where the style puts the text of a plain cell.
            const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
            textRect = content.adjusted(margin, 0, -margin, 0);
        }
        const bool selected = opt.state & QStyle::State_Selected;
        painter->setPen(opt.palette.color(opt.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive,
                                          selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(opt.font);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          opt.fontMetrics.elidedText(text, opt.textElideMode, textRect.width()));
        painter->restore();
    }

private:
    void paintBadge(QPainter* painter, const QStyleOptionViewItem& option, int number) const {
        const int height = option.rect.height() - 4;
        const QRect box(option.rect.left() + 2, option.rect.top() + 2,
                        BadgeWidth(option.font, height, QString::number(number)), height);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(ResultGridView::badgeColor(number));
        painter->drawRoundedRect(box, height / 2.0, height / 2.0);
        painter->setPen(Qt::white);
        painter->setFont(BadgeFont(option.font));
        painter->drawText(box, Qt::AlignCenter, QString::number(number));
    }

    const QPixmap& glyph() const {
        if (m_glyph.isNull())
            m_glyph = ResultGridView::MarkGlyph();
        return m_glyph;
    }
    ResultGridView* m_view;
    mutable QPixmap m_glyph;
};

// The text with each decimal digit replaced by the widest digit of its own script in the font.
// Decimal digits come in runs of ten, zero first, in every script.
QString WithWidestDigits(QString text, const QFontMetrics& fm) {
    for (QChar& c : text) {
        if (c.category() != QChar::Number_DecimalDigit)
            continue;
        const char16_t zero = char16_t(c.unicode() - c.digitValue());
        QChar widest = c;
        for (char16_t d = zero; d < zero + 10; ++d)
            if (fm.horizontalAdvance(QChar(d)) > fm.horizontalAdvance(widest))
                widest = QChar(d);
        c = widest;
    }
    return text;
}

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

void ResultGridView::setRowBadge(std::function<int(int)> badge) {
    m_badge = std::move(badge);
    viewport()->update();
}

void ResultGridView::setBadgeRange(int largest) {
    // Any number of as many digits as the largest fits: each digit counted as the widest.
    const int height = verticalHeader()->defaultSectionSize() - 4;
    const QString widest = WithWidestDigits(QString::number(largest), QFontMetrics(BadgeFont(font())));
    const int slot = largest > 0 ? BadgeWidth(font(), height, widest) + 4 : 0;
    if (slot == m_badgeSlot)
        return;
    const int change = slot - m_badgeSlot;
    m_badgeSlot = slot;
    if (m_markColumn >= 0 && !m_minimumWidths.empty()) {
        setColumnWidth(m_markColumn, columnWidth(m_markColumn) + change);
        fitFillColumn();
    }
    viewport()->update();
}

QColor ResultGridView::badgeColor(int number) {
    // Dark enough for white numbers, far enough apart to tell neighbouring groups apart.
    static const QColor colours[] = {QColor(0, 102, 204), QColor(204, 102, 0),  QColor(0, 140, 70),
                                     QColor(170, 0, 120), QColor(90, 90, 90),   QColor(0, 130, 150),
                                     QColor(150, 60, 30), QColor(100, 60, 180)};
    return colours[std::size_t(std::max(number, 1) - 1) % std::size(colours)];
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

void ResultGridView::setColumnLayout(std::vector<int> minimumWidths, int fillColumn, int shareColumn) {
    m_minimumWidths = std::move(minimumWidths);
    m_fillColumn = fillColumn;
    m_shareColumn = shareColumn == fillColumn ? -1 : shareColumn;
    for (int c = 0; c < int(m_minimumWidths.size()); ++c)
        if (c != m_fillColumn && c != m_shareColumn)
            setColumnWidth(c, minimumWidth(c));
    fitFillColumn();
}

int ResultGridView::minimumWidth(int column) const {
    const int width = column < int(m_minimumWidths.size()) ? m_minimumWidths[std::size_t(column)] : 0;
    return column == m_markColumn ? width + m_badgeSlot : width;
}

void ResultGridView::fitFillColumn() {
    if (!model() || m_fillColumn < 0 || m_fillColumn >= model()->columnCount())
        return;
    const bool share = m_shareColumn >= 0 && m_shareColumn < model()->columnCount() && !isColumnHidden(m_shareColumn);
    int others = 0;
    for (int c = 0; c < model()->columnCount(); ++c)
        if (c != m_fillColumn && c != m_shareColumn && !isColumnHidden(c))
            others += columnWidth(c);
    int room = viewport()->width() - others;
    const int fillLeast = minimumWidth(m_fillColumn);
    if (share) {
        // The badge slot of a mark column comes out of the paths' part, never out of the names'.
        const int slot = m_shareColumn == m_markColumn ? m_badgeSlot : 0;
        const int shareLeast = minimumWidth(m_shareColumn) - slot;
        const int extra = std::max(0, room - fillLeast - shareLeast);
        const int part = shareLeast + fillLeast > 0
                             ? int(std::int64_t(extra) * shareLeast / (shareLeast + fillLeast))
                             : 0;
        // Never so wide that the paths would have less than their least and the row would scroll.
        const int width = std::max(slot + shareLeast, std::min(slot + shareLeast + part, room - fillLeast));
        setColumnWidth(m_shareColumn, width);
        room -= width;
    }
    setColumnWidth(m_fillColumn, std::max(fillLeast, room));
}

bool ResultGridView::viewportEvent(QEvent* event) {
    // A vertical scroll bar that comes or goes changes the room of the fill column, not the window.
    if (event->type() == QEvent::Resize) {
        const auto* resize = static_cast<QResizeEvent*>(event);
        if (resize->size().width() != resize->oldSize().width())
            fitFillColumn();
    }
    return QTableView::viewportEvent(event);
}

int ResultGridView::columnWidthFor(const QStringList& texts) const {
    // Measured as the view measures a cell for its own size hints, so margins follow the style.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    int widest = 0;
    for (const QString& text : texts) {
        option.text = WithWidestDigits(text, option.fontMetrics);
        widest = std::max(widest, style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).width());
    }
    return widest + (showGrid() ? 1 : 0);
}

QStringList ResultGridView::dateSamples() {
    // Two-digit days and months; 22 to 28 December meet every weekday. All years shown have four digits.
    QStringList texts;
    for (int month = 1; month <= 12; ++month)
        for (int day = 22; day <= 28; ++day)
            texts << FileDateText(PackDosDateTime(2088, month, day, 0, 0, 0));
    return texts;
}

QStringList ResultGridView::timeSamples() {
    QStringList texts;
    for (int hour = 0; hour < 24; ++hour)
        texts << FileTimeText(PackDosDateTime(2088, 12, 28, hour, 59, 58));
    return texts;
}

QString ResultGridView::sizeKSample(int digits) { return QString(std::max(digits, 1), u'9') + QStringLiteral(" K"); }

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
