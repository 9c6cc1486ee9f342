// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/StringGridModel.h"

#include <algorithm>
#include <stdexcept>

StringGridModel::StringGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void StringGridModel::setTitles(const QStringList& titles) {
    beginResetModel();
    m_titles = titles;
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_texts.clear();
    endResetModel();
}

QStringList StringGridModel::titles() const { return m_titles; }

void StringGridModel::setRowSource(const GridRowSource* source) {
    m_source = source;
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}

void StringGridModel::clearRows() {
    if (m_rows.empty()) {
        m_texts.clear();
        return;
    }
    beginRemoveRows({}, 0, rowCount() - 1);
    m_rows.clear();
    // A million-row result must not keep its memory after the next scan starts.
    m_rows.shrink_to_fit();
    m_texts.clear();
    m_texts.shrink_to_fit();
    endRemoveRows();
}

void StringGridModel::appendTextRow(const QStringList& cells) {
    const int at = rowCount();
    beginInsertRows({}, at, at);
    if (m_texts.size() >= (std::size_t(1) << 30) - 1)
        throw std::length_error("StringGridModel: too many text rows");
    Row row;
    row.text = static_cast<std::uint32_t>(m_texts.size() + 1);
    m_texts.push_back(cells);
    m_rows.push_back(row);
    endInsertRows();
}

void StringGridModel::appendKeyRows(const std::vector<std::uint32_t>& keys) {
    if (keys.empty())
        return;
    const int at = rowCount();
    beginInsertRows({}, at, at + static_cast<int>(keys.size()) - 1);
    // Rows may come in many small batches while a walk runs: grow geometrically, never by the batch.
    if (m_rows.capacity() < m_rows.size() + keys.size())
        m_rows.reserve(std::max(m_rows.size() + keys.size(), 2 * m_rows.capacity()));
    for (std::uint32_t key : keys)
        m_rows.push_back(Row{key, 0, 1, 0});
    endInsertRows();
}

int StringGridModel::gridRowCount() const { return rowCount() + 1; }

int StringGridModel::columnCountAll() const { return static_cast<int>(m_titles.size()); }

const StringGridModel::Row* StringGridModel::dataRow(int gridRow) const {
    if (gridRow < 1 || gridRow > rowCount())
        return nullptr;
    return &m_rows[static_cast<std::size_t>(gridRow - 1)];
}

QString StringGridModel::cellText(int gridRow, int column) const {
    if (column < 0 || column >= columnCountAll())
        return {};
    if (gridRow == 0)
        return m_titles.at(column);
    const Row* row = dataRow(gridRow);
    if (!row)
        return {};
    if (row->text != 0) {
        const QStringList& cells = m_texts[row->text - 1];
        return column < cells.size() ? cells.at(column) : QString();
    }
    return m_source ? m_source->cellText(row->key, column) : QString();
}

void StringGridModel::setCellText(int gridRow, int column, const QString& text) {
    if (column < 0 || column >= columnCountAll())
        return;
    if (gridRow == 0) {
        m_titles[column] = text;
        Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
        return;
    }
    if (!dataRow(gridRow))
        return;
    Row& row = m_rows[static_cast<std::size_t>(gridRow - 1)];
    if (row.text == 0) {
        // Freeze the rendered texts first so the other cells keep what they showed.
        QStringList cells;
        for (int c = 0; c < columnCountAll(); ++c)
            cells << cellText(gridRow, c);
        if (m_texts.size() >= (std::size_t(1) << 30) - 1)
            throw std::length_error("StringGridModel: too many text rows");
        row.text = static_cast<std::uint32_t>(m_texts.size() + 1);
        m_texts.push_back(cells);
    }
    QStringList& cells = m_texts[row.text - 1];
    while (cells.size() <= column)
        cells << QString();
    cells[column] = text;
    const QModelIndex at = index(gridRow - 1, column);
    Q_EMIT dataChanged(at, at, {Qt::DisplayRole});
}

bool StringGridModel::isKeyRow(int gridRow) const {
    const Row* row = dataRow(gridRow);
    return row && row->text == 0;
}

bool StringGridModel::hasKey(int gridRow) const {
    const Row* row = dataRow(gridRow);
    return row && row->keyed;
}

std::uint32_t StringGridModel::keyOf(int gridRow) const {
    const Row* row = dataRow(gridRow);
    return row ? row->key : 0;
}

bool StringGridModel::isMarked(int gridRow) const {
    const Row* row = dataRow(gridRow);
    return row && row->marked;
}

void StringGridModel::setMarked(int gridRow, bool marked) {
    if (!dataRow(gridRow))
        return;
    Row& row = m_rows[static_cast<std::size_t>(gridRow - 1)];
    if (bool(row.marked) == marked)
        return;
    row.marked = marked ? 1 : 0;
    const int r = gridRow - 1;
    Q_EMIT dataChanged(index(r, 0), index(r, qMax(0, columnCount() - 1)), {MarkRole});
}

void StringGridModel::reorderRows(int first, int last, const std::vector<int>& order) {
    if (first < 1 || last > rowCount() || first > last)
        return;
    const std::size_t count = static_cast<std::size_t>(last - first + 1);
    if (order.size() != count)
        throw std::invalid_argument("reorderRows: order has the wrong length");
    // newPosition[former - first] = the grid row that the former row moves to.
    std::vector<int> newPosition(count, -1);
    for (std::size_t i = 0; i < count; ++i) {
        const int former = order[i];
        if (former < first || former > last || newPosition[static_cast<std::size_t>(former - first)] != -1)
            throw std::invalid_argument("reorderRows: order is not a permutation of the range");
        newPosition[static_cast<std::size_t>(former - first)] = first + static_cast<int>(i);
    }

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<Row> moved(count);
    for (std::size_t i = 0; i < count; ++i)
        moved[i] = m_rows[static_cast<std::size_t>(order[i] - 1)];
    std::copy(moved.begin(), moved.end(), m_rows.begin() + (first - 1));

    // Selections and the current cell follow their rows.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& idx : before) {
        const int gridRow = idx.row() + 1;
        if (gridRow >= first && gridRow <= last)
            after << index(newPosition[static_cast<std::size_t>(gridRow - first)] - 1, idx.column());
        else
            after << idx;
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int StringGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int StringGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columnCountAll();
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row() + 1, index.column());
    case MarkRole:
        return bool(m_rows[static_cast<std::size_t>(index.row())].marked);
    default:
        return {};
    }
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCountAll())
        return m_titles.at(section);
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return section + 1;
    return {};
}
