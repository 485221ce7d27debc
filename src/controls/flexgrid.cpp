#include "controls/flexgrid.h"

#include "controls/flexgridmodel.h"
#include "controls/twips.h"

#include <QAccessible>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace kadu2217 {

namespace {

// Draws the grid's own selection: highlighted cells in the grid's selection
// colours, whatever the view's focus or the platform's inactive palette say.
class FlexGridDelegate : public QStyledItemDelegate
{
public:
    explicit FlexGridDelegate(FlexGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) { }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const int row = index.row() + m_grid->fixedRows();
        if (!m_grid->isCellHighlighted(row, index.column())) {
            option->state &= ~QStyle::State_Selected;
            return;
        }
        option->state |= QStyle::State_Selected;
        const QColor text = vbColorToQColor(m_grid->foreColorSel(), m_grid->palette());
        const QColor back = vbColorToQColor(m_grid->backColorSel(), m_grid->palette());
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            option->palette.setColor(group, QPalette::HighlightedText, text);
            option->palette.setColor(group, QPalette::Highlight, back);
        }
    }

private:
    FlexGrid *m_grid;
};

[[noreturn]] void outOfRange(const char *what, int index)
{
    throw std::out_of_range(std::string("FlexGrid: ") + what + ' ' + std::to_string(index) + " out of range");
}

} // namespace

// Every cell access asks these; defined first, they are inlined where a fill calls them.
void FlexGrid::checkRow(int row) const
{
    if (row < 0 || row >= m_model->rows())
        outOfRange("row", row);
}

void FlexGrid::checkCol(int col) const
{
    if (col < 0 || col >= m_model->cols())
        outOfRange("column", col);
}

FlexGrid::FlexGrid(QWidget *parent)
    : QTableView(parent), m_model(new FlexGridModel(this))
{
    setModel(m_model);
    // The headers highlight nothing; sharing the grid's selection would have them work out
    // what to repaint at every move of it.
    horizontalHeader()->setSelectionModel(new QItemSelectionModel(m_model, horizontalHeader()));
    verticalHeader()->setSelectionModel(new QItemSelectionModel(m_model, verticalHeader()));
    setItemDelegate(new FlexGridDelegate(this));
    // Selection and navigation are the grid's own (row, col, rowSel, colSel);
    // the view only shows them.
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setAutoScroll(false);
    setWordWrap(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->viewport()->setMouseTracking(true);
    horizontalHeader()->viewport()->installEventFilter(this);
    viewport()->setMouseTracking(true);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &FlexGrid::onSectionResized);

    m_colWidths = QVector<int>(m_model->cols(), DefaultColWidth);
    applyAllColumnWidths();
    syncViewSelection();
}

FlexGrid::~FlexGrid() = default;

int FlexGrid::rows() const { return m_model->rows(); }

void FlexGrid::setRows(int rows)
{
    if (rows < fixedRows())
        throw std::out_of_range("FlexGrid: fewer rows than fixed rows");
    m_model->setRows(rows);
    // The current row stays on a data row while there is one; with only the
    // caption row left it falls back onto that.
    const int lastRow = rows - 1;
    const int firstRow = std::min(fixedRows(), lastRow);
    moveTo(std::clamp(m_row, firstRow, lastRow), m_col, std::clamp(m_rowSel, firstRow, lastRow), m_colSel);
}

int FlexGrid::cols() const { return m_model->cols(); }

void FlexGrid::setCols(int cols)
{
    if (cols < 0)
        throw std::out_of_range("FlexGrid: negative column count");
    const int oldCols = m_model->cols();
    m_model->setCols(cols);
    m_colWidths.resize(cols);
    for (int col = oldCols; col < cols; ++col) {
        m_colWidths[col] = DefaultColWidth;
        applyColumnWidth(col);
    }
    const int lastCol = std::max(0, cols - 1);
    moveTo(m_row, std::min(m_col, lastCol), m_rowSel, std::min(m_colSel, lastCol));
}

int FlexGrid::fixedRows() const { return m_model->fixedRows(); }

void FlexGrid::setFixedRows(int fixedRows)
{
    if (fixedRows != 0 && fixedRows != 1)
        throw std::out_of_range("FlexGrid: only 0 or 1 fixed rows");
    if (fixedRows > rows())
        throw std::out_of_range("FlexGrid: more fixed rows than rows");
    if (fixedRows == m_model->fixedRows())
        return;
    m_model->setFixedRows(fixedRows);
    horizontalHeader()->setVisible(fixedRows == 1);
    // The reset forgot the view's column widths, hidden columns and scroll.
    applyAllColumnWidths();
    syncViewSelection();
    applyTopRow();
    if (m_row < fixedRows && rows() > fixedRows)
        moveTo(fixedRows, m_col, fixedRows, m_colSel);
}

int FlexGrid::fixedCols() const { return 0; }

void FlexGrid::setFixedCols(int fixedCols)
{
    if (fixedCols != 0)
        throw std::out_of_range("FlexGrid: fixed columns are not supported");
}

QString FlexGrid::textMatrix(int row, int col) const
{
    checkRow(row);
    checkCol(col);
    return m_model->text(row, col);
}

void FlexGrid::setTextMatrix(int row, int col, QString text)
{
    checkRow(row);
    checkCol(col);
    m_model->setText(row, col, std::move(text));
}

void FlexGrid::addItem(const QString &tabSeparatedTexts)
{
    m_model->appendRow(tabSeparatedTexts);
}

void FlexGrid::clear()
{
    m_model->clearCells();
}

int FlexGrid::colWidth(int col) const
{
    checkCol(col);
    return m_colWidths[col];
}

void FlexGrid::setColWidth(int col, int twips)
{
    checkCol(col);
    m_colWidths[col] = twips < 0 ? DefaultColWidth : twips;
    applyColumnWidth(col);
}

int FlexGrid::colAlignment(int col) const
{
    checkCol(col);
    return m_model->alignment(col);
}

void FlexGrid::setColAlignment(int col, int alignment)
{
    checkCol(col);
    if (alignment < FlexAlign::LeftTop || alignment > FlexAlign::General)
        throw std::out_of_range("FlexGrid: invalid column alignment");
    m_model->setAlignment(col, alignment);
}

void FlexGrid::setFormatString(const QString &format)
{
    m_formatString = format;
    const QStringList captions = format.section(u';', 0, 0).split(u'|');
    setCols(int(captions.size()));
    // The delegate leaves this margin on both sides of a cell's text.
    const int textMargin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    for (int col = 0; col < captions.size(); ++col) {
        QString caption = captions.at(col);
        int alignment = FlexAlign::General;
        if (caption.startsWith(u'<'))
            alignment = FlexAlign::LeftCenter;
        else if (caption.startsWith(u'^'))
            alignment = FlexAlign::CenterCenter;
        else if (caption.startsWith(u'>'))
            alignment = FlexAlign::RightCenter;
        if (alignment != FlexAlign::General)
            caption.remove(0, 1);
        setColAlignment(col, alignment);
        if (fixedRows() > 0)
            setTextMatrix(0, col, caption);
        const int pixels = fontMetrics().horizontalAdvance(caption) + 2 * textMargin;
        setColWidth(col, pixelsToTwipsX(pixels, this));
    }
}

QString FlexGrid::formatString() const { return m_formatString; }

int FlexGrid::row() const { return m_row; }

void FlexGrid::setRow(int row)
{
    checkRow(row);
    moveTo(row, m_col, row, m_col);
}

int FlexGrid::col() const { return m_col; }

void FlexGrid::setCol(int col)
{
    checkCol(col);
    moveTo(m_row, col, m_row, col);
}

int FlexGrid::rowSel() const { return m_rowSel; }

void FlexGrid::setRowSel(int row)
{
    checkRow(row);
    moveTo(m_row, m_col, row, m_colSel);
}

int FlexGrid::colSel() const { return m_colSel; }

void FlexGrid::setColSel(int col)
{
    checkCol(col);
    moveTo(m_row, m_col, m_rowSel, col);
}

void FlexGrid::selectRow(int row)
{
    checkRow(row);
    moveTo(row, 0, row, std::max(0, cols() - 1));
}

bool FlexGrid::isCellHighlighted(int row, int col) const
{
    if (m_row == m_rowSel && m_col == m_colSel)
        return false;
    return row >= fixedRows() && row >= std::min(m_row, m_rowSel) && row <= std::max(m_row, m_rowSel)
            && col >= std::min(m_col, m_colSel) && col <= std::max(m_col, m_colSel);
}

int FlexGrid::topRow() const
{
    if (m_pendingTopRow >= 0)
        return m_pendingTopRow;
    return verticalScrollBar()->value() + fixedRows();
}

void FlexGrid::setTopRow(int row)
{
    checkRow(row);
    const int wanted = std::max(row, fixedRows());
    // Laying the view out again for a row already at the top costs a keystroke its speed.
    if (m_pendingTopRow < 0 && isVisible() && wanted == topRow())
        return;
    m_pendingTopRow = wanted;
    applyTopRow();
}

VbColor FlexGrid::cellForeColor() const { return cellForeColorAt(m_row, m_col); }

void FlexGrid::setCellForeColor(VbColor color)
{
    setCellForeColorAt(m_row, m_col, color);
}

VbColor FlexGrid::cellForeColorAt(int row, int col) const
{
    checkRow(row);
    checkCol(col);
    return m_model->color(row, col);
}

void FlexGrid::setCellForeColorAt(int row, int col, VbColor color)
{
    checkRow(row);
    checkCol(col);
    m_model->setColor(row, col, color);
}

VbColor FlexGrid::foreColorSel() const { return m_foreColorSel; }

void FlexGrid::setForeColorSel(VbColor color)
{
    m_foreColorSel = color;
    viewport()->update();
}

VbColor FlexGrid::backColorSel() const { return m_backColorSel; }

void FlexGrid::setBackColorSel(VbColor color)
{
    m_backColorSel = color;
    viewport()->update();
}

QColor FlexGrid::displayedTextColor(int row, int col) const
{
    if (isCellHighlighted(row, col))
        return vbColorToQColor(m_foreColorSel, palette());
    if (const VbColor own = cellForeColorAt(row, col))
        return vbColorToQColor(own, palette());
    return palette().color(QPalette::Text);
}

int FlexGrid::mouseRow() const { return m_mouseRow; }
int FlexGrid::mouseCol() const { return m_mouseCol; }

QString FlexGrid::toolTipText() const { return toolTip(); }
void FlexGrid::setToolTipText(const QString &text) { setToolTip(text); }

void FlexGrid::beginBulkUpdate()
{
    if (m_bulkDepth++ == 0)
        m_model->setQuiet(true);
}

void FlexGrid::endBulkUpdate()
{
    if (m_bulkDepth == 0 || --m_bulkDepth > 0)
        return;
    m_model->setQuiet(false);
    syncViewSelection();
}

bool FlexGrid::redraw() const { return !m_redrawOff; }

void FlexGrid::setRedraw(bool redraw)
{
    if (redraw == !m_redrawOff)
        return;
    m_redrawOff = !redraw;
    if (m_redrawOff)
        beginBulkUpdate();
    else
        endBulkUpdate();
}

void FlexGrid::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    applyTopRow();
}

// The grid paints its highlight from its own current cell and selection, moves and scrolls
// itself, and repaints whenever they change (syncViewSelection); the selection model only
// mirrors them. Working out the regions that changed cost a search keystroke most of its time,
// so the view does it only for a screen reader, which hears of the change that way.
void FlexGrid::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    if (QAccessible::isActive())
        QTableView::selectionChanged(selected, deselected);
}

void FlexGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    if (QAccessible::isActive())
        QTableView::currentChanged(current, previous);
}

// Rows scroll one whole row at a time, and a search jumps to rows far apart: the view is
// painted anew rather than its old pixels moved first, which cost a keystroke a fifth of its
// time. The hidden row header still keeps the offset the view draws its rows by.
void FlexGrid::scrollContentsBy(int dx, int dy)
{
    if (dx != 0 || dy == 0 || verticalScrollMode() != QAbstractItemView::ScrollPerItem) {
        QTableView::scrollContentsBy(dx, dy);
        return;
    }
    const QScrollBar *bar = verticalScrollBar();
    if (bar->value() == bar->maximum())
        verticalHeader()->setOffsetToLastSection();
    else
        verticalHeader()->setOffsetToSectionPosition(bar->value());
    viewport()->update();
}

void FlexGrid::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    applyTopRow();
}

void FlexGrid::moveTo(int row, int col, int rowSel, int colSel)
{
    const bool cellChanged = row != m_row || col != m_col;
    if (!cellChanged && rowSel == m_rowSel && colSel == m_colSel)
        return;
    if (cellChanged)
        emit leaveCell();
    m_row = row;
    m_col = col;
    m_rowSel = rowSel;
    m_colSel = colSel;
    syncViewSelection();
    // A handler that moves the current cell again has already raised the
    // events for where it ends up; the rest of this move's would be stale.
    if (cellChanged) {
        const int generation = ++m_cellGeneration;
        emit rowColChange();
        if (generation != m_cellGeneration)
            return;
        emit enterCell();
        if (generation != m_cellGeneration)
            return;
    }
    emit selChange();
}

void FlexGrid::syncViewSelection()
{
    // A fill that moves the current cell row by row would otherwise repaint
    // the selection at every step; endBulkUpdate() shows where it ended.
    if (m_bulkDepth > 0)
        return;
    QItemSelectionModel *selection = selectionModel();
    const int fixed = fixedRows();
    const int top = std::max(std::min(m_row, m_rowSel), fixed);
    const int bottom = std::max(m_row, m_rowSel);
    QItemSelection range;
    if (top <= bottom && cols() > 0) {
        range.select(m_model->index(top - fixed, std::min(m_col, m_colSel)),
                     m_model->index(bottom - fixed, std::max(m_col, m_colSel)));
    }
    selection->select(range, QItemSelectionModel::ClearAndSelect);
    if (m_row >= fixed && cols() > 0)
        selection->setCurrentIndex(m_model->index(m_row - fixed, m_col), QItemSelectionModel::NoUpdate);
    else
        selection->clearCurrentIndex();
    viewport()->update();
}

void FlexGrid::applyColumnWidth(int col)
{
    m_applyingWidths = true;
    const int twips = m_colWidths[col];
    setColumnHidden(col, twips == 0);
    if (twips > 0)
        setColumnWidth(col, std::max(1, twipsToPixelsX(twips, this)));
    m_applyingWidths = false;
}

void FlexGrid::applyAllColumnWidths()
{
    for (int col = 0; col < m_colWidths.size(); ++col)
        applyColumnWidth(col);
}

void FlexGrid::applyTopRow()
{
    if (m_pendingTopRow < 0)
        return;
    // Laying out can resize the viewport and come back here, so the request
    // is read before it.
    const int topRow = m_pendingTopRow;
    // The scroll range follows the rows only after a layout; laying out for every scroll would
    // cost each keystroke of a search.
    if (!isVisible() || topRow - fixedRows() > verticalScrollBar()->maximum())
        updateGeometries();
    verticalScrollBar()->setValue(std::max(0, topRow - fixedRows()));
    if (isVisible())
        m_pendingTopRow = -1;
}

void FlexGrid::onSectionResized(int col, int, int newSize)
{
    // Keep what the user dragged; our own resizing already stored the twips.
    if (m_applyingWidths || col >= m_colWidths.size() || isColumnHidden(col))
        return;
    if (twipsToPixelsX(m_colWidths[col], this) != newSize)
        m_colWidths[col] = pixelsToTwipsX(newSize, this);
}

} // namespace kadu2217
