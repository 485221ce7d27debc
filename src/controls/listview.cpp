#include "controls/listview.h"

#include "controls/twips.h"
#include "controls/vbkeys.h"

#include <QAbstractTableModel>
#include <QBrush>
#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <vector>

namespace kadu2217 {

// One row per item; columns are the column headers. Colours are kept per
// item only once one of its texts has been coloured.
class ListViewModel : public QAbstractTableModel
{
public:
    struct Item
    {
        QString text;
        QStringList subItems;
        std::vector<VbColor> colors; // index 0 the item text, j sub-item j
    };

    explicit ListViewModel(QWidget *view) : QAbstractTableModel(view), m_view(view) { }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_items.size());
    }

    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_headers.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
            return {};
        const Item &item = m_items[std::size_t(index.row())];
        switch (role) {
        case Qt::DisplayRole:
            return text(item, index.column());
        case Qt::ForegroundRole:
            if (const VbColor own = color(item, index.column()))
                return QBrush(vbColorToQColor(own, m_view->palette()));
            return {};
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
            && section < m_headers.size())
            return m_headers.at(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    }

    static QString text(const Item &item, int column)
    {
        if (column == 0)
            return item.text;
        return column <= item.subItems.size() ? item.subItems.at(column - 1) : QString();
    }

    static VbColor color(const Item &item, int column)
    {
        return std::size_t(column) < item.colors.size() ? item.colors[std::size_t(column)] : 0;
    }

    const Item &item(int row) const { return m_items[std::size_t(row)]; }

    int headerCount() const { return int(m_headers.size()); }
    const QString &header(int column) const { return m_headers.at(column); }

    void addHeader(const QString &text)
    {
        beginInsertColumns(QModelIndex(), int(m_headers.size()), int(m_headers.size()));
        m_headers.append(text);
        endInsertColumns();
    }

    void clearHeaders()
    {
        if (m_headers.isEmpty())
            return;
        beginRemoveColumns(QModelIndex(), 0, int(m_headers.size()) - 1);
        m_headers.clear();
        endRemoveColumns();
    }

    int addItem(const QString &text, const QStringList &subItems)
    {
        const int row = int(m_items.size());
        beginInsertRows(QModelIndex(), row, row);
        m_items.push_back({text, subItems, {}});
        endInsertRows();
        return row;
    }

    void clearItems()
    {
        if (m_items.empty())
            return;
        beginRemoveRows(QModelIndex(), 0, int(m_items.size()) - 1);
        m_items.clear();
        endRemoveRows();
    }

    void setText(int row, int column, const QString &text)
    {
        Item &item = m_items[std::size_t(row)];
        if (column == 0) {
            item.text = text;
        } else {
            while (item.subItems.size() < column)
                item.subItems.append(QString());
            item.subItems[column - 1] = text;
        }
        notifyChanged(row, column);
    }

    void setColor(int row, int column, VbColor color)
    {
        Item &item = m_items[std::size_t(row)];
        if (std::size_t(column) >= item.colors.size()) {
            if (color == 0)
                return;
            item.colors.resize(std::size_t(column) + 1, 0);
        }
        item.colors[std::size_t(column)] = color;
        notifyChanged(row, column);
    }

    void sortBy(int column, Qt::SortOrder order)
    {
        std::vector<int> rows(m_items.size());
        std::iota(rows.begin(), rows.end(), 0);
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
            const int result = QString::compare(text(m_items[std::size_t(a)], column),
                                                text(m_items[std::size_t(b)], column), Qt::CaseInsensitive);
            return order == Qt::AscendingOrder ? result < 0 : result > 0;
        });

        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        std::vector<int> newRow(rows.size());
        std::vector<Item> sorted;
        sorted.reserve(m_items.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            newRow[std::size_t(rows[i])] = int(i);
            sorted.push_back(std::move(m_items[std::size_t(rows[i])]));
        }
        m_items.swap(sorted);
        const QModelIndexList before = persistentIndexList();
        QModelIndexList after;
        after.reserve(before.size());
        for (const QModelIndex &index : before)
            after.append(this->index(newRow[std::size_t(index.row())], index.column()));
        changePersistentIndexList(before, after);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

private:
    void notifyChanged(int row, int column)
    {
        if (column < m_headers.size()) {
            const QModelIndex changed = index(row, column);
            emit dataChanged(changed, changed);
        }
    }

    QWidget *m_view;
    QStringList m_headers;
    std::vector<Item> m_items;
};

ListView::ListView(QWidget *parent) : QTreeView(parent), m_model(new ListViewModel(this))
{
    setModel(m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setMinimumSectionSize(1);
    connect(header(), &QHeaderView::sectionClicked, this, &ListView::columnClick);
    connect(this, &QAbstractItemView::clicked, this,
            [this](const QModelIndex &index) { emit itemClick(index.row() + 1); });
}

ListView::~ListView() = default;

int ListView::addColumnHeader(const QString &text, int widthTwips)
{
    m_model->addHeader(text);
    m_columnWidths.append(std::max(0, widthTwips));
    const int column = int(m_columnWidths.size()) - 1;
    applyColumnWidth(column);
    return column;
}

int ListView::columnHeaderCount() const { return m_model->headerCount(); }

QString ListView::columnHeaderText(int column) const
{
    checkColumn(column);
    return m_model->header(column);
}

int ListView::columnHeaderWidth(int column) const
{
    checkColumn(column);
    return m_columnWidths.at(column);
}

void ListView::setColumnHeaderWidth(int column, int widthTwips)
{
    checkColumn(column);
    m_columnWidths[column] = std::max(0, widthTwips);
    applyColumnWidth(column);
}

void ListView::clearColumnHeaders()
{
    m_model->clearHeaders();
    m_columnWidths.clear();
}

int ListView::addItem(const QString &text, const QStringList &subItems)
{
    const int row = m_model->addItem(text, subItems);
    if (row == 0)
        setSelectedItem(1);
    return row + 1;
}

int ListView::listItemCount() const { return m_model->rowCount(); }

QString ListView::itemText(int item) const
{
    checkItem(item);
    return m_model->item(item - 1).text;
}

void ListView::setItemText(int item, const QString &text)
{
    checkItem(item);
    m_model->setText(item - 1, 0, text);
}

QString ListView::subItemText(int item, int subItem) const
{
    checkItem(item);
    if (subItem < 1)
        throw std::out_of_range("ListView: sub-items count from 1");
    return ListViewModel::text(m_model->item(item - 1), subItem);
}

void ListView::setSubItemText(int item, int subItem, const QString &text)
{
    checkItem(item);
    if (subItem < 1)
        throw std::out_of_range("ListView: sub-items count from 1");
    m_model->setText(item - 1, subItem, text);
}

VbColor ListView::subItemForeColor(int item, int subItem) const
{
    checkItem(item);
    if (subItem < 0)
        throw std::out_of_range("ListView: negative sub-item");
    return ListViewModel::color(m_model->item(item - 1), subItem);
}

void ListView::setSubItemForeColor(int item, int subItem, VbColor color)
{
    checkItem(item);
    if (subItem < 0)
        throw std::out_of_range("ListView: negative sub-item");
    m_model->setColor(item - 1, subItem, color);
}

void ListView::clear() { m_model->clearItems(); }

int ListView::selectedItem() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
}

void ListView::setSelectedItem(int item)
{
    if (item == 0) {
        selectionModel()->clearSelection();
        return;
    }
    checkItem(item);
    selectionModel()->setCurrentIndex(m_model->index(item - 1, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ListView::ensureVisible(int item)
{
    checkItem(item);
    scrollTo(m_model->index(item - 1, 0), QAbstractItemView::EnsureVisible);
}

int ListView::sortKey() const { return m_sortKey; }

void ListView::setSortKey(int column)
{
    if (column < 0)
        throw std::out_of_range("ListView: negative sort key");
    m_sortKey = column;
    if (m_sorted)
        sortNow();
}

Qt::SortOrder ListView::sortOrder() const { return m_sortOrder; }

void ListView::setSortOrder(Qt::SortOrder order)
{
    m_sortOrder = order;
    if (m_sorted)
        sortNow();
}

bool ListView::sorted() const { return m_sorted; }

void ListView::setSorted(bool sorted)
{
    m_sorted = sorted;
    if (m_sorted)
        sortNow();
}

int ListView::findItem(const QString &text, bool matchSubItems, bool partial) const
{
    const auto matches = [&](const QString &candidate) {
        return partial ? candidate.startsWith(text, Qt::CaseInsensitive)
                       : QString::compare(candidate, text, Qt::CaseInsensitive) == 0;
    };
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const ListViewModel::Item &item = m_model->item(row);
        const bool found = matchSubItems ? std::any_of(item.subItems.cbegin(), item.subItems.cend(), matches)
                                         : matches(item.text);
        if (found)
            return row + 1;
    }
    return 0;
}

void ListView::keyPressEvent(QKeyEvent *event)
{
    int keyAscii = vbKeyAscii(event);
    if (keyAscii != 0) {
        const int typed = keyAscii;
        emit keyPress(keyAscii);
        // Enter belongs to the window's handler, never to a default button.
        if (keyAscii == 0 || typed == 13 || typed == 10) {
            event->accept();
            return;
        }
    }
    QTreeView::keyPressEvent(event);
}

void ListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeView::mouseDoubleClickEvent(event);
    emit dblClick();
}

void ListView::checkItem(int item) const
{
    if (item < 1 || item > listItemCount())
        throw std::out_of_range("ListView: item index out of range");
}

void ListView::checkColumn(int column) const
{
    if (column < 0 || column >= columnHeaderCount())
        throw std::out_of_range("ListView: column out of range");
}

void ListView::applyColumnWidth(int column)
{
    const int twips = m_columnWidths.at(column);
    setColumnHidden(column, twips == 0);
    if (twips > 0)
        setColumnWidth(column, std::max(1, twipsToPixelsX(twips, this)));
}

void ListView::sortNow()
{
    m_model->sortBy(m_sortKey, m_sortOrder);
}

} // namespace kadu2217
