#include "controls/flexgrid.h"

#include "controls/twips.h"
#include "controls/vbkeys.h"

#include <QAbstractTableModel>
#include <QBrush>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

namespace kadu2217 {

namespace {

bool parseNumber(const QString &text, double *value)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    bool ok = false;
    double number = QLocale::c().toDouble(trimmed, &ok);
    if (!ok)
        number = QLocale().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(number))
        return false;
    *value = number;
    return true;
}

// The number a text starts with, 0 when there is none, as the old Val read it.
double leadingNumber(const QString &text)
{
    int pos = 0;
    const int size = int(text.size());
    while (pos < size && text.at(pos).isSpace())
        ++pos;
    const int start = pos;
    if (pos < size && (text.at(pos) == u'+' || text.at(pos) == u'-'))
        ++pos;
    const auto skipDigits = [&] {
        while (pos < size && text.at(pos).isDigit())
            ++pos;
    };
    skipDigits();
    if (pos < size && text.at(pos) == u'.') {
        ++pos;
        skipDigits();
    }
    if (pos < size && (text.at(pos) == u'e' || text.at(pos) == u'E')) {
        const int mantissaEnd = pos;
        ++pos;
        if (pos < size && (text.at(pos) == u'+' || text.at(pos) == u'-'))
            ++pos;
        const int exponentStart = pos;
        skipDigits();
        if (pos == exponentStart)
            pos = mantissaEnd;
    }
    bool ok = false;
    const double number = QLocale::c().toDouble(QStringView(text).mid(start, pos - start), &ok);
    return ok && std::isfinite(number) ? number : 0.0;
}

Qt::Alignment alignmentFlags(int code, const QString &text)
{
    Qt::Alignment horizontal = Qt::AlignLeft;
    Qt::Alignment vertical = Qt::AlignVCenter;
    if (code == FlexAlign::General) {
        double unused = 0;
        if (parseNumber(text, &unused))
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

// Texts of every cell, captions included, row after row in one vector; cell
// colours in a second vector of the same shape that exists only once a cell
// has been coloured. Model rows are grid rows below the fixed row.
class FlexGridModel : public QAbstractTableModel
{
public:
    explicit FlexGridModel(QWidget *view) : QAbstractTableModel(view), m_view(view)
    {
        m_cells.resize(std::size_t(m_rows) * m_cols);
        m_alignments.assign(std::size_t(m_cols), FlexAlign::General);
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : m_publishedRows - m_fixedRows;
    }

    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : m_cols;
    }

    QVariant data(const QModelIndex &index, int role) const override
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

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
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

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    }

    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    int fixedRows() const { return m_fixedRows; }

    const QString &text(int row, int col) const { return m_cells[cellIndex(row, col)]; }

    void setText(int row, int col, const QString &text)
    {
        const std::size_t i = cellIndex(row, col);
        // Registers repeat many texts from row to row (flags, dates, shops);
        // sharing the cell above's buffer keeps a large fill compact.
        if (row > m_fixedRows && m_cells[i - std::size_t(m_cols)] == text)
            m_cells[i] = m_cells[i - std::size_t(m_cols)];
        else
            m_cells[i] = text;
        notifyCellChanged(row, col);
    }

    VbColor color(int row, int col) const
    {
        return m_colors.empty() ? 0 : m_colors[cellIndex(row, col)];
    }

    void setColor(int row, int col, VbColor color)
    {
        if (m_colors.empty()) {
            if (color == 0)
                return;
            m_colors.assign(m_cells.size(), 0);
        }
        m_colors[cellIndex(row, col)] = color;
        notifyCellChanged(row, col);
    }

    int alignment(int col) const { return m_alignments[std::size_t(col)]; }

    void setAlignment(int col, int code)
    {
        m_alignments[std::size_t(col)] = code;
        if (m_quiet)
            return;
        if (m_fixedRows > 0)
            emit headerDataChanged(Qt::Horizontal, col, col);
        if (rowCount() > 0)
            emit dataChanged(index(0, col), index(rowCount() - 1, col), {Qt::TextAlignmentRole});
    }

    void setRows(int rows)
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

    void publishRows()
    {
        if (m_publishedRows >= m_rows)
            return;
        beginInsertRows(QModelIndex(), m_publishedRows - m_fixedRows, m_rows - m_fixedRows - 1);
        m_publishedRows = m_rows;
        endInsertRows();
    }

    void setCols(int cols)
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

    void setFixedRows(int fixedRows)
    {
        beginResetModel();
        m_fixedRows = fixedRows;
        m_publishedRows = m_rows;
        endResetModel();
    }

    void appendRow(const QString &tabSeparatedTexts)
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

    void clearCells()
    {
        std::fill(m_cells.begin(), m_cells.end(), QString());
        m_colors.clear();
        m_colors.shrink_to_fit();
        if (!m_quiet)
            announceAllCells();
    }

    // While quiet, cell changes are not announced one by one; rows and
    // columns still are, so views keep their sections (widths, order).
    void setQuiet(bool quiet)
    {
        m_quiet = quiet;
        if (!quiet) {
            publishRows();
            announceAllCells();
        }
    }

    void sortRows(int firstRow, int lastRow, int firstKey, int lastKey, int mode)
    {
        const int count = lastRow - firstRow + 1;
        const bool descending = mode % 2 == 0;
        const std::vector<std::vector<SortKey>> keys = sortKeys(firstRow, lastRow, firstKey, lastKey, mode);

        std::vector<int> order(static_cast<std::size_t>(count));
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            for (const std::vector<SortKey> &column : keys) {
                const int result = compareKeys(column[std::size_t(a)], column[std::size_t(b)], mode);
                if (result != 0)
                    return descending ? result > 0 : result < 0;
            }
            return false;
        });

        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        std::vector<int> newPosition(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            newPosition[std::size_t(order[std::size_t(i)])] = i;
        reorderRows(m_cells, firstRow, order);
        if (!m_colors.empty())
            reorderRows(m_colors, firstRow, order);
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

private:
    // What a comparison needs of one cell, worked out once per sort.
    struct SortKey
    {
        int rank = 0;      // generic modes: 0 empty, 1 number, 2 text
        double number = 0; // numeric and generic modes
        const QString *text = nullptr;
    };

    std::vector<std::vector<SortKey>> sortKeys(int firstRow, int lastRow, int firstKey, int lastKey,
                                               int mode) const
    {
        std::vector<std::vector<SortKey>> keys;
        for (int col = firstKey; col <= lastKey; ++col) {
            std::vector<SortKey> column;
            column.reserve(std::size_t(lastRow - firstRow + 1));
            for (int row = firstRow; row <= lastRow; ++row) {
                SortKey key;
                key.text = &text(row, col);
                if (mode <= FlexSort::GenericDescending) {
                    if (key.text->trimmed().isEmpty())
                        key.rank = 0;
                    else
                        key.rank = parseNumber(*key.text, &key.number) ? 1 : 2;
                } else if (mode <= FlexSort::NumericDescending) {
                    key.number = leadingNumber(*key.text);
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
    static int compareKeys(const SortKey &a, const SortKey &b, int mode)
    {
        const auto compareNumbers = [](double x, double y) { return x < y ? -1 : (y < x ? 1 : 0); };
        switch (mode) {
        case FlexSort::GenericAscending:
        case FlexSort::GenericDescending:
            if (a.rank != b.rank)
                return a.rank < b.rank ? -1 : 1;
            if (a.rank == 1)
                return compareNumbers(a.number, b.number);
            return QString::compare(*a.text, *b.text, Qt::CaseInsensitive);
        case FlexSort::NumericAscending:
        case FlexSort::NumericDescending:
            return compareNumbers(a.number, b.number);
        case FlexSort::StringNoCaseAscending:
        case FlexSort::StringNoCaseDescending:
            return QString::compare(*a.text, *b.text, Qt::CaseInsensitive);
        default:
            return QString::compare(*a.text, *b.text, Qt::CaseSensitive);
        }
    }

    template<typename T>
    void reorderRows(std::vector<T> &cells, int firstRow, const std::vector<int> &order) const
    {
        const std::size_t cols = std::size_t(m_cols);
        const auto block = cells.begin() + std::ptrdiff_t(std::size_t(firstRow) * cols);
        std::vector<T> moved;
        moved.reserve(order.size() * cols);
        for (const int source : order) {
            const auto from = block + std::ptrdiff_t(std::size_t(source) * cols);
            std::move(from, from + std::ptrdiff_t(cols), std::back_inserter(moved));
        }
        std::move(moved.begin(), moved.end(), block);
    }

    template<typename T>
    void relayoutColumns(std::vector<T> &cells, int cols) const
    {
        std::vector<T> relaid(std::size_t(m_rows) * std::size_t(cols));
        const int kept = std::min(cols, m_cols);
        for (int row = 0; row < m_rows; ++row) {
            const auto from = cells.begin() + std::ptrdiff_t(std::size_t(row) * std::size_t(m_cols));
            std::move(from, from + kept, relaid.begin() + std::ptrdiff_t(std::size_t(row) * std::size_t(cols)));
        }
        cells.swap(relaid);
    }

    void resizeStorage()
    {
        const std::size_t size = std::size_t(m_rows) * std::size_t(m_cols);
        m_cells.resize(size);
        if (!m_colors.empty())
            m_colors.resize(size, 0);
    }

    std::size_t cellIndex(int row, int col) const
    {
        return std::size_t(row) * std::size_t(m_cols) + std::size_t(col);
    }

    void announceAllCells()
    {
        if (m_cols == 0)
            return;
        if (m_fixedRows > 0)
            emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, m_cols - 1));
    }

    void notifyCellChanged(int row, int col)
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

    const QWidget *m_view;
    int m_rows = 2;
    int m_cols = 2;
    int m_fixedRows = 1;
    bool m_quiet = false;
    int m_publishedRows = 2; // rows the views know of; behind m_rows only during a bulk fill
    std::vector<QString> m_cells;
    std::vector<VbColor> m_colors;
    std::vector<int> m_alignments;
};

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

} // namespace

FlexGrid::FlexGrid(QWidget *parent)
    : QTableView(parent), m_model(new FlexGridModel(this))
{
    setModel(m_model);
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

void FlexGrid::setTextMatrix(int row, int col, const QString &text)
{
    checkRow(row);
    checkCol(col);
    m_model->setText(row, col, text);
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
    m_pendingTopRow = std::max(row, fixedRows());
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

void FlexGrid::keyPressEvent(QKeyEvent *event)
{
    emit keyDown(vbKeyCode(event->key()), event->modifiers());
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        moveByKey(event->key(), event->modifiers());
        event->accept();
        return;
    default:
        break;
    }
    int keyAscii = vbKeyAscii(event);
    if (keyAscii == 0) {
        event->ignore();
        return;
    }
    emit keyPress(keyAscii);
    // Esc still reaches the window so that its Cancel button works.
    if (keyAscii == 27)
        event->ignore();
    else
        event->accept();
}

void FlexGrid::keyReleaseEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat())
        emit keyUp(vbKeyCode(event->key()), event->modifiers());
    event->ignore();
}

void FlexGrid::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    updateMouseCell(pos);
    if (event->button() != Qt::LeftButton)
        return;
    m_leftPressed = true;
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return;
    const int row = index.row() + fixedRows();
    const int col = index.column();
    if (event->modifiers().testFlag(Qt::ShiftModifier))
        moveTo(m_row, m_col, row, col);
    else
        moveTo(row, col, row, col);
    m_dragging = true;
    m_dragRow = row;
    m_dragCol = col;
}

void FlexGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    updateMouseCell(pos);
    emit mouseMove();
    if (!m_dragging || !event->buttons().testFlag(Qt::LeftButton))
        return;
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return;
    const int row = index.row() + fixedRows();
    const int col = index.column();
    // Only a move into another cell extends the selection, so a whole-row
    // selection made by a handler survives a shaky click.
    if (row == m_dragRow && col == m_dragCol)
        return;
    m_dragRow = row;
    m_dragCol = col;
    moveTo(m_row, m_col, row, col);
    scrollToCell(row, col);
}

void FlexGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    if (m_leftPressed) {
        m_leftPressed = false;
        emit clicked();
    }
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    updateMouseCell(pos);
    // The release that ends a double click is not another click.
    m_leftPressed = false;
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(pos);
    if (index.isValid() && !event->modifiers().testFlag(Qt::ShiftModifier))
        moveTo(index.row() + fixedRows(), index.column(), index.row() + fixedRows(), index.column());
    emit dblClick();
}

bool FlexGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        if (toolTip().isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), toolTip(), viewport());
        return true;
    }
    return QTableView::viewportEvent(event);
}

bool FlexGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == horizontalHeader()->viewport()) {
        if (event->type() == QEvent::MouseMove) {
            const auto *move = static_cast<QMouseEvent *>(event);
            const int col = horizontalHeader()->logicalIndexAt(move->position().toPoint());
            m_mouseRow = 0;
            m_mouseCol = col >= 0 ? col : std::max(0, cols() - 1);
            emit mouseMove();
        } else if (event->type() == QEvent::ToolTip && !toolTip().isEmpty()) {
            QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), toolTip(),
                               horizontalHeader()->viewport());
            return true;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void FlexGrid::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    applyTopRow();
}

void FlexGrid::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    applyTopRow();
}

void FlexGrid::checkRow(int row) const
{
    if (row < 0 || row >= rows())
        throw std::out_of_range("FlexGrid: row " + std::to_string(row) + " out of range");
}

void FlexGrid::checkCol(int col) const
{
    if (col < 0 || col >= cols())
        throw std::out_of_range("FlexGrid: column " + std::to_string(col) + " out of range");
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

void FlexGrid::moveByKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const int firstRow = fixedRows();
    const int lastRow = rows() - 1;
    const int lastCol = cols() - 1;
    if (lastRow < firstRow || lastCol < 0)
        return;
    const bool extend = modifiers.testFlag(Qt::ShiftModifier);
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    int row = extend ? m_rowSel : m_row;
    int col = extend ? m_colSel : m_col;
    switch (qtKey) {
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_PageUp: row -= rowsPerPage(); break;
    case Qt::Key_PageDown: row += rowsPerPage(); break;
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_Home:
        if (control)
            row = firstRow;
        else
            col = 0;
        break;
    case Qt::Key_End:
        if (control)
            row = lastRow;
        else
            col = lastCol;
        break;
    default: return;
    }
    row = std::clamp(row, firstRow, lastRow);
    col = std::clamp(col, 0, lastCol);
    if (extend)
        moveTo(m_row, m_col, row, col);
    else
        moveTo(row, col, row, col);
    scrollToCell(row, col);
}

int FlexGrid::rowsPerPage() const
{
    return std::max(1, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()));
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

void FlexGrid::updateMouseCell(const QPoint &viewportPos)
{
    int modelRow = rowAt(viewportPos.y());
    if (modelRow < 0)
        modelRow = viewportPos.y() < 0 ? -1 : m_model->rowCount() - 1;
    int col = columnAt(viewportPos.x());
    if (col < 0)
        col = viewportPos.x() < 0 ? 0 : cols() - 1;
    // Beyond the last row or column the old grid reported the nearest cell.
    m_mouseRow = std::max(0, modelRow + fixedRows());
    m_mouseCol = std::max(0, col);
}

void FlexGrid::scrollToCell(int row, int col)
{
    const int modelRow = row - fixedRows();
    if (modelRow < 0)
        return;
    QScrollBar *bar = verticalScrollBar();
    const int page = rowsPerPage();
    if (modelRow < bar->value())
        bar->setValue(modelRow);
    else if (modelRow >= bar->value() + page)
        bar->setValue(modelRow - page + 1);
    if (!isColumnHidden(col))
        scrollTo(m_model->index(modelRow, col));
}

} // namespace kadu2217
