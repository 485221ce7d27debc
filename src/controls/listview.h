#pragma once

#include "controls/vbcolor.h"

#include <QTreeView>

namespace kadu2217 {

class ListViewModel;

// The report-mode ListView of the old forms on a QTreeView.
//
// Items are numbered from 1 as the old ListItems collection numbered them; 0
// means no item. Column positions count from 0: position 0 shows the item's
// text, position j its sub-item j (the old ColumnHeader.SubItemIndex). An item
// may carry more sub-items than there are columns; only as many as there are
// columns are shown. Bad indices throw std::out_of_range.
class ListView : public QTreeView
{
    Q_OBJECT

public:
    explicit ListView(QWidget *parent = nullptr);
    ~ListView() override;

    // Width in twips, kept exactly as set; 0 hides the column.
    int addColumnHeader(const QString &text, int widthTwips = 1440);
    int columnHeaderCount() const;
    QString columnHeaderText(int column) const;
    int columnHeaderWidth(int column) const;
    void setColumnHeaderWidth(int column, int widthTwips);
    void clearColumnHeaders();

    // Appends an item and returns its index. The first item added to an
    // empty list becomes the selected item, as in the old control.
    int addItem(const QString &text, const QStringList &subItems = {});
    int listItemCount() const;
    QString itemText(int item) const;
    void setItemText(int item, const QString &text);
    // Sub-items count from 1; reading one never set gives empty text.
    QString subItemText(int item, int subItem) const;
    void setSubItemText(int item, int subItem, const QString &text);
    // Text colour of sub-item j (0 for the item's own text); 0 is the list's
    // own text colour.
    VbColor subItemForeColor(int item, int subItem) const;
    void setSubItemForeColor(int item, int subItem, VbColor color);
    // Removes every item; the column headers stay.
    void clear();

    int selectedItem() const;
    void setSelectedItem(int item);
    void ensureVisible(int item);

    // Sorting compares texts without regard to case; equal texts keep their
    // order. While sorted() is on, changing the key or the order re-sorts;
    // items added later are appended until sorting is switched on again.
    int sortKey() const;
    void setSortKey(int column);
    Qt::SortOrder sortOrder() const;
    void setSortOrder(Qt::SortOrder order);
    bool sorted() const;
    void setSorted(bool sorted);

    // The first item from the top one of whose sub-items (with matchSubItems)
    // or whose text (without) begins with `text` (or equals it without
    // `partial`), letter case ignored; 0 when there is none.
    int findItem(const QString &text, bool matchSubItems = true, bool partial = true) const;

signals:
    void dblClick();
    // A handler may change keyAscii; 0 swallows the key.
    void keyPress(int &keyAscii);
    // The clicked column's position (0 for the item text column).
    void columnClick(int column);
    void itemClick(int item);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void checkItem(int item) const;
    void checkColumn(int column) const;
    void applyColumnWidth(int column);
    void sortNow();

    ListViewModel *m_model;
    QVector<int> m_columnWidths;
    int m_sortKey = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_sorted = false;
};

} // namespace kadu2217
