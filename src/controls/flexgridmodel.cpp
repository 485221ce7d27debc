#include "controls/flexgridmodel.h"

#include "controls/flexgrid.h"
#include "util/numbertext.h"

#include <QBrush>
#include <QWidget>

#include <algorithm>

namespace kadu2217 {

namespace {

Qt::Alignment alignmentFlags(int code, const QString &text)
{
    Qt::Alignment horizontal = Qt::AlignLeft;
    Qt::Alignment vertical = Qt::AlignVCenter;
    if (code == FlexAlign::General) {
        if (numbertext::number(text, numbertext::Cell))
            horizontal = Qt::AlignRight;
    } else {
        switch (code / 3) {
        case 1: horizontal = Qt::AlignHCenter; break;
        case 2: horizontal = Qt::AlignRight; break;
        default: break;
        }
        switch (code % 3) {
        case 0: vertical = Qt::AlignTop; break;
        case 2: vertical = Qt::AlignBottom; break;
        default: break;
        }
    }
    return horizontal | vertical;
}

} // namespace

FlexGridModel::FlexGridModel(QWidget *view)
    : QAbstractTableModel(view), m_view(view)
{
    resizeStorage();
    m_alignments.assign(std::size_t(m_cols), FlexAlign::General);
}

int FlexGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_publishedRows - m_fixedRows;
}

int FlexGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QVariant FlexGridModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row() + m_fixedRows;
    const int col = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return text(row, col);
    case Qt::ForegroundRole:
        if (const VbColor own = color(row, col))
            return QBrush(vbColorToQColor(own, m_view->palette()));
        return {};
    case Qt::TextAlignmentRole:
        return int(alignmentFlags(m_alignments[std::size_t(col)], text(row, col)));
    default:
        return {};
    }
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || m_fixedRows == 0 || section < 0 || section >= m_cols)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return text(0, section);
    case Qt::TextAlignmentRole:
        return int(alignmentFlags(m_alignments[std::size_t(section)], text(0, section)));
    default:
        return {};
    }
}

Qt::ItemFlags FlexGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void FlexGridModel::setText(int row, int col, QString text)
{
    const std::size_t i = cellIndex(row, col);
    // Registers repeat many texts from row to row (flags, dates, shops);
    // sharing the cell above's buffer keeps a large fill compact.
    if (row > m_fixedRows) {
        const QString &above = m_cells[cellIndex(row - 1, col)];
        if (above.constData() == text.constData() || above == text)
            text = above;
    }
    m_cells[i] = std::move(text);
    notifyCellChanged(row, col);
}

void FlexGridModel::setColor(int row, int col, VbColor color)
{
    if (m_colors.empty()) {
        if (color == 0)
            return;
        m_colors.assign(m_cells.size(), 0);
    }
    m_colors[cellIndex(row, col)] = color;
    notifyCellChanged(row, col);
}

void FlexGridModel::setAlignment(int col, int code)
{
    m_alignments[std::size_t(col)] = code;
    if (m_quiet)
        return;
    if (m_fixedRows > 0)
        emit headerDataChanged(Qt::Horizontal, col, col);
    if (rowCount() > 0)
        emit dataChanged(index(0, col), index(rowCount() - 1, col), {Qt::TextAlignmentRole});
}

void FlexGridModel::setRows(int rows)
{
    if (rows == m_rows)
        return;
    if (rows > m_rows && m_quiet) {
        // Views learn of rows added during a bulk fill once, when it ends.
        m_rows = rows;
        resizeStorage();
        return;
    }
    publishRows();
    const bool growing = rows > m_rows;
    if (growing)
        beginInsertRows(QModelIndex(), m_rows - m_fixedRows, rows - m_fixedRows - 1);
    else
        beginRemoveRows(QModelIndex(), rows - m_fixedRows, m_rows - m_fixedRows - 1);
    m_rows = rows;
    m_publishedRows = rows;
    resizeStorage();
    if (growing)
        endInsertRows();
    else
        endRemoveRows();
}

void FlexGridModel::publishRows()
{
    if (m_publishedRows >= m_rows)
        return;
    beginInsertRows(QModelIndex(), m_publishedRows - m_fixedRows, m_rows - m_fixedRows - 1);
    m_publishedRows = m_rows;
    endInsertRows();
}

void FlexGridModel::setCols(int cols)
{
    if (cols == m_cols)
        return;
    const bool growing = cols > m_cols;
    if (growing)
        beginInsertColumns(QModelIndex(), m_cols, cols - 1);
    else
        beginRemoveColumns(QModelIndex(), cols, m_cols - 1);
    relayoutColumns(m_cells, cols);
    if (!m_colors.empty())
        relayoutColumns(m_colors, cols);
    m_cols = cols;
    m_alignments.resize(std::size_t(cols), FlexAlign::General);
    if (growing)
        endInsertColumns();
    else
        endRemoveColumns();
}

void FlexGridModel::setFixedRows(int fixedRows)
{
    beginResetModel();
    m_fixedRows = fixedRows;
    m_publishedRows = m_rows;
    endResetModel();
}

void FlexGridModel::appendRow(const QString &tabSeparatedTexts)
{
    publishRows();
    const int row = m_rows;
    beginInsertRows(QModelIndex(), row - m_fixedRows, row - m_fixedRows);
    ++m_rows;
    m_publishedRows = m_rows;
    resizeStorage();
    int col = 0;
    for (const QStringView part : QStringView(tabSeparatedTexts).split(u'\t')) {
        if (col >= m_cols)
            break;
        m_cells[cellIndex(row, col++)] = part.toString();
    }
    endInsertRows();
}

void FlexGridModel::clearCells()
{
    std::fill(m_cells.begin(), m_cells.end(), QString());
    m_colors.clear();
    m_colors.shrink_to_fit();
    if (!m_quiet)
        announceAllCells();
}

void FlexGridModel::setQuiet(bool quiet)
{
    m_quiet = quiet;
    if (!quiet) {
        publishRows();
        announceAllCells();
    }
}

template<typename T>
void FlexGridModel::relayoutColumns(std::vector<T> &cells, int cols) const
{
    // In place: a refill that first narrows the grid and then widens it again finds the
    // storage of the last fill's rows still there, and grows without copying them.
    const std::size_t rows = std::size_t(m_rows);
    const std::size_t from = std::size_t(m_cols);
    const std::size_t to = std::size_t(cols);
    const std::size_t kept = std::min(from, to);
    const auto at = [&cells](std::size_t i) { return cells.begin() + std::ptrdiff_t(i); };
    if (to < from) {
        for (std::size_t row = 1; row < rows; ++row)
            std::move(at(row * from), at(row * from + kept), at(row * to));
        cells.resize(rows * to);
    } else if (to > from) {
        cells.resize(rows * to);
        for (std::size_t row = rows; row-- > 0;) {
            std::move_backward(at(row * from), at(row * from + kept), at(row * to + kept));
            std::fill(at(row * to + kept), at((row + 1) * to), T());
        }
    }
}

void FlexGridModel::resizeStorage()
{
    const std::size_t rows = std::size_t(m_rows);
    const std::size_t oldRows = m_storageRow.size();
    if (rows < oldRows)
        releaseStorageRows(m_rows);
    m_storageRow.resize(rows);
    for (std::size_t row = oldRows; row < rows; ++row)
        m_storageRow[row] = int(row);
    const std::size_t size = rows * std::size_t(m_cols);
    m_cells.resize(size);
    if (!m_colors.empty())
        m_colors.resize(size, 0);
}

// The grid rows kept move into the storage rows the dropped ones leave free below keptRows,
// so that storage can shrink from the end; only rows that a sort put beyond it move.
void FlexGridModel::releaseStorageRows(int keptRows)
{
    std::vector<int> freed;
    for (std::size_t row = std::size_t(keptRows); row < m_storageRow.size(); ++row) {
        if (m_storageRow[row] < keptRows)
            freed.push_back(m_storageRow[row]);
    }
    const std::size_t cols = std::size_t(m_cols);
    auto next = freed.cbegin();
    for (std::size_t row = 0; row < std::size_t(keptRows); ++row) {
        const int from = m_storageRow[row];
        if (from < keptRows)
            continue;
        const int to = *next++;
        const auto move = [&](auto &cells) {
            const auto source = cells.begin() + std::ptrdiff_t(std::size_t(from) * cols);
            std::move(source, source + std::ptrdiff_t(cols), cells.begin() + std::ptrdiff_t(std::size_t(to) * cols));
        };
        move(m_cells);
        if (!m_colors.empty())
            move(m_colors);
        m_storageRow[row] = to;
    }
}

void FlexGridModel::announceAllCells()
{
    if (m_cols == 0)
        return;
    if (m_fixedRows > 0)
        emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, m_cols - 1));
}

void FlexGridModel::notifyCellChanged(int row, int col)
{
    if (m_quiet)
        return;
    if (row < m_fixedRows) {
        emit headerDataChanged(Qt::Horizontal, col, col);
    } else {
        const QModelIndex changed = index(row - m_fixedRows, col);
        emit dataChanged(changed, changed);
    }
}

} // namespace kadu2217
