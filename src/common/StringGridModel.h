// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QAbstractTableModel>
#include <QStringList>
#include <cstdint>
#include <vector>

// Renders the cells of rows that are stored as a key only (a record number of an engine), so a grid
// of a million rows costs a few bytes per row and texts are made only when shown, sorted or printed.
class GridRowSource {
public:
    virtual ~GridRowSource() = default;
    virtual QString cellText(std::uint32_t key, int column) const = 0;
    // The order of rows of these keys sorted by column, worked out from the source's records
    // instead of the cells' texts: a permutation of 0 .. keys.size()-1 (the k-th row of the order
    // is that of keys[order[k]]). The column's own order as the windows describe it (descending
    // for sizes and dates there); ties are broken by the source's own rule (the newest first in a
    // descending order, then names in ascending order), never by the texts of the cells. Empty when
    // the source has no order for the column.
    virtual std::vector<std::uint32_t> orderRows(int column, bool descending,
                                                 const std::vector<std::uint32_t>& keys) const {
        (void)column;
        (void)descending;
        (void)keys;
        return {};
    }
};

// The string grid behind every result window. Grid row 0 is the title row (the view's header);
// grid rows 1 .. gridRowCount()-1 are data rows, which are Qt model rows 0 .. rowCount()-1.
// Each data row is either a row of stored texts or a key rendered by the GridRowSource, and carries
// a mark (the deletion tick). Holds at least 1,000,000 rows.
class StringGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Qt role under which data() answers whether a row carries the mark (bool).
    static constexpr int MarkRole = Qt::UserRole + 1;

    explicit StringGridModel(QObject* parent = nullptr);

    // Sets the column count and titles (grid row 0); drops every data row and mark.
    void setTitles(const QStringList& titles);
    QStringList titles() const;
    // Source for key rows; not owned, must outlive the rows that use it.
    void setRowSource(const GridRowSource* source);
    const GridRowSource* rowSource() const { return m_source; }

    // ClearGrid: drops every data row and mark (titles stay).
    void clearRows();
    void appendTextRow(const QStringList& cells);
    void appendKeyRows(const std::vector<std::uint32_t>& keys);

    // Number of grid rows including the title row (the classic RowCount, at least 1).
    int gridRowCount() const;
    int columnCountAll() const;
    // Cell text by grid row (0 = titles); "" outside the grid.
    QString cellText(int gridRow, int column) const;
    // Replaces the text of one cell of a data row (a key row becomes a text row that keeps its key).
    void setCellText(int gridRow, int column, const QString& text);
    // The key of a key row (the engine's record number); isKeyRow is false for text rows and titles.
    bool isKeyRow(int gridRow) const;
    // Whether a data row has a key: a key row, or one whose texts were set over its key.
    bool hasKey(int gridRow) const;
    std::uint32_t keyOf(int gridRow) const;
    bool isMarked(int gridRow) const;
    void setMarked(int gridRow, bool marked);

    // Rebuilds grid rows first..last: row first+i receives the former row order[i] (texts, key and mark).
    // Used by the sorts; order must be a permutation of first..last (std::invalid_argument otherwise).
    // Emits one layout change; selections and the current cell follow their rows.
    void reorderRows(int first, int last, const std::vector<int>& order);

    // QAbstractItemModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Row {
        std::uint32_t key = 0;
        std::uint32_t text : 30 = 0; // 1 + index into m_texts, or 0 for a key row
        std::uint32_t keyed : 1 = 0; // key is a key of the source
        std::uint32_t marked : 1 = 0;
    };
    const Row* dataRow(int gridRow) const; // nullptr unless 1 <= gridRow < gridRowCount()

    QStringList m_titles;
    const GridRowSource* m_source = nullptr;
    std::vector<Row> m_rows;
    std::vector<QStringList> m_texts;
    // A key row costs this much, so a million rows stay cheap.
    static_assert(sizeof(Row) <= 8);
};
