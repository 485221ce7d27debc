#pragma once

#include "controls/vbcolor.h"

#include <QAbstractTableModel>

#include <vector>

class QWidget;

namespace kadu2217 {

// Texts of every cell, captions included, row after row in one vector; cell
// colours in a second vector of the same shape that exists only once a cell
// has been coloured. Model rows are grid rows below the fixed row. A sort
// permutes which storage row each grid row reads, not the cells themselves:
// moving a large register's cells about costs more than sorting it.
class FlexGridModel : public QAbstractTableModel
{
public:
    explicit FlexGridModel(QWidget *view);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    int fixedRows() const { return m_fixedRows; }

    const QString &text(int row, int col) const { return m_cells[cellIndex(row, col)]; }
    void setText(int row, int col, QString text);
    VbColor color(int row, int col) const { return m_colors.empty() ? 0 : m_colors[cellIndex(row, col)]; }
    void setColor(int row, int col, VbColor color);
    int alignment(int col) const { return m_alignments[std::size_t(col)]; }
    void setAlignment(int col, int code);

    void setRows(int rows);
    void setCols(int cols);
    void setFixedRows(int fixedRows);
    void appendRow(const QString &tabSeparatedTexts);
    void clearCells();

    // While quiet, cell changes are not announced one by one; rows and
    // columns still are, so views keep their sections (widths, order).
    void setQuiet(bool quiet);

    // Whole rows firstRow to lastRow move; keys are the columns firstKey to lastKey.
    void sortRows(int firstRow, int lastRow, int firstKey, int lastKey, int mode);

private:
    struct SortKey;

    std::vector<std::vector<SortKey>> sortKeys(int firstRow, int lastRow, int firstKey, int lastKey,
                                               int mode) const;
    static int compareKeys(const SortKey &a, const SortKey &b, int mode);
    void releaseStorageRows(int keptRows);
    template<typename T>
    void relayoutColumns(std::vector<T> &cells, int cols) const;

    void publishRows();
    void resizeStorage();
    std::size_t cellIndex(int row, int col) const
    {
        return std::size_t(m_storageRow[std::size_t(row)]) * std::size_t(m_cols) + std::size_t(col);
    }
    void announceAllCells();
    void notifyCellChanged(int row, int col);

    const QWidget *m_view;
    int m_rows = 2;
    int m_cols = 2;
    int m_fixedRows = 1;
    bool m_quiet = false;
    int m_publishedRows = 2; // rows the views know of; behind m_rows only during a bulk fill
    std::vector<int> m_storageRow; // grid row -> row of m_cells and m_colors
    std::vector<QString> m_cells;
    std::vector<VbColor> m_colors;
    std::vector<int> m_alignments;
};

} // namespace kadu2217
