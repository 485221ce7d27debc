#include "controls/flexgrid.h"

#include "controls/flexgridmodel.h"
#include "util/numbertext.h"
#include "util/textorder.h"

#include <algorithm>
#include <iterator>
#include <numeric>
#include <stdexcept>

namespace kadu2217 {

// What a comparison needs of one cell, worked out once per sort.
struct FlexGridModel::SortKey
{
    int rank = 0;      // generic modes: 0 empty, 1 number, 2 text
    double number = 0; // numeric and generic modes
    const QString *text = nullptr;
};

void FlexGridModel::sortRows(int firstRow, int lastRow, int firstKey, int lastKey, int mode)
{
    const int count = lastRow - firstRow + 1;
    const bool descending = mode % 2 == 0;
    const std::vector<std::vector<SortKey>> keys = sortKeys(firstRow, lastRow, firstKey, lastKey, mode);

    std::vector<int> order(static_cast<std::size_t>(count));
    if (keys.size() == 1) {
        // One key column, the usual case: keys sorted beside their rows stay in the cache.
        struct Entry
        {
            SortKey key;
            int row;
        };
        std::vector<Entry> entries;
        entries.reserve(order.size());
        for (int i = 0; i < count; ++i)
            entries.push_back({keys.front()[std::size_t(i)], i});
        std::stable_sort(entries.begin(), entries.end(), [mode, descending](const Entry &a, const Entry &b) {
            const int result = compareKeys(a.key, b.key, mode);
            return descending ? result > 0 : result < 0;
        });
        for (std::size_t i = 0; i < entries.size(); ++i)
            order[i] = entries[i].row;
    } else {
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            for (const std::vector<SortKey> &column : keys) {
                const int result = compareKeys(column[std::size_t(a)], column[std::size_t(b)], mode);
                if (result != 0)
                    return descending ? result > 0 : result < 0;
            }
            return false;
        });
    }

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newPosition(static_cast<std::size_t>(count));
    std::vector<int> sortedStorage(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        newPosition[std::size_t(order[std::size_t(i)])] = i;
        sortedStorage[std::size_t(i)] = m_storageRow[std::size_t(firstRow + order[std::size_t(i)])];
    }
    std::copy(sortedStorage.cbegin(), sortedStorage.cend(), m_storageRow.begin() + firstRow);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before) {
        const int row = index.row() + m_fixedRows;
        const int moved = row >= firstRow && row <= lastRow
                ? firstRow + newPosition[std::size_t(row - firstRow)]
                : row;
        after.append(this->index(moved - m_fixedRows, index.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::vector<std::vector<FlexGridModel::SortKey>> FlexGridModel::sortKeys(int firstRow, int lastRow, int firstKey,
                                                                        int lastKey, int mode) const
{
    std::vector<std::vector<SortKey>> keys;
    for (int col = firstKey; col <= lastKey; ++col) {
        std::vector<SortKey> column;
        column.reserve(std::size_t(lastRow - firstRow + 1));
        for (int row = firstRow; row <= lastRow; ++row) {
            SortKey key;
            key.text = &text(row, col);
            if (mode <= FlexSort::GenericDescending) {
                if (const auto number = numbertext::number(*key.text, numbertext::Cell)) {
                    key.rank = 1;
                    key.number = *number;
                } else {
                    key.rank = key.text->trimmed().isEmpty() ? 0 : 2;
                }
            } else if (mode <= FlexSort::NumericDescending) {
                key.number = numbertext::leadingNumber(*key.text, numbertext::Cell);
            }
            column.push_back(key);
        }
        keys.push_back(std::move(column));
    }
    return keys;
}

// Generic order puts empty cells first, then numbers by value, then texts
// without regard to case: comparing a number with a text as text would
// not be a consistent order.
int FlexGridModel::compareKeys(const SortKey &a, const SortKey &b, int mode)
{
    const auto compareNumbers = [](double x, double y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (mode) {
    case FlexSort::GenericAscending:
    case FlexSort::GenericDescending:
        if (a.rank != b.rank)
            return a.rank < b.rank ? -1 : 1;
        if (a.rank == 1)
            return compareNumbers(a.number, b.number);
        return textorder::compareNoCase(*a.text, *b.text);
    case FlexSort::NumericAscending:
    case FlexSort::NumericDescending:
        return compareNumbers(a.number, b.number);
    case FlexSort::StringNoCaseAscending:
    case FlexSort::StringNoCaseDescending:
        return textorder::compareNoCase(*a.text, *b.text);
    default:
        return QString::compare(*a.text, *b.text, Qt::CaseSensitive);
    }
}

void FlexGrid::sort(int mode)
{
    if (mode < FlexSort::None || mode > FlexSort::StringDescending)
        throw std::out_of_range("FlexGrid: unsupported sort mode");
    if (mode == FlexSort::None || cols() == 0)
        return;
    int firstRow = std::min(m_row, m_rowSel);
    int lastRow = std::max(m_row, m_rowSel);
    if (firstRow == lastRow) {
        firstRow = fixedRows();
        lastRow = rows() - 1;
    }
    firstRow = std::max(firstRow, fixedRows());
    if (lastRow <= firstRow)
        return;
    m_model->sortRows(firstRow, lastRow, std::min(m_col, m_colSel), std::max(m_col, m_colSel), mode);
    syncViewSelection();
}

} // namespace kadu2217
