#pragma once

#include "controls/vbcolor.h"

#include <QTableView>

namespace kadu2217 {

class FlexGridModel;

// Column alignment codes of the old grid.
namespace FlexAlign {
constexpr int LeftTop = 0;
constexpr int LeftCenter = 1;
constexpr int LeftBottom = 2;
constexpr int CenterTop = 3;
constexpr int CenterCenter = 4;
constexpr int CenterBottom = 5;
constexpr int RightTop = 6;
constexpr int RightCenter = 7;
constexpr int RightBottom = 8;
constexpr int General = 9; // numbers right, text left
} // namespace FlexAlign

// Sort modes of the old grid. Generic order puts empty cells first, then
// numbers by value, then texts without regard to case; numeric order reads
// the number a text starts with (0 when none); the string orders compare
// UTF-16 code units, with or without case.
namespace FlexSort {
constexpr int None = 0;
constexpr int GenericAscending = 1;
constexpr int GenericDescending = 2;
constexpr int NumericAscending = 3;
constexpr int NumericDescending = 4;
constexpr int StringNoCaseAscending = 5;
constexpr int StringNoCaseDescending = 6;
constexpr int StringAscending = 7;
constexpr int StringDescending = 8;
} // namespace FlexSort

// The MSFlexGrid / MSHFlexGrid the windows were written for, on a QTableView.
//
// Rows and columns are numbered as the old control numbers them: with one
// fixed row, row 0 holds the captions and is shown as the horizontal header,
// data rows are 1 to rows() - 1. There are no fixed columns. Indices out of
// range throw std::out_of_range, as the old control raised an error.
//
// The current cell is (row(), col()); the selection is the rectangle from it
// to (rowSel(), colSel()). Setting row or col collapses the selection onto
// the current cell. When the current cell changes (by the user or by code)
// the grid emits leaveCell, rowColChange and enterCell in that order; selChange
// follows whenever the selection rectangle changed.
//
// Texts live in one flat vector, so filling is cheap. Between
// beginBulkUpdate() and endBulkUpdate() (or setRedraw(false) and
// setRedraw(true)) changed cells and the selection are shown once, at the
// end; rows and columns added or removed are announced as they happen, so
// the view's column widths, hidden columns and column order are kept.
//
// Keys: keyDown/keyUp carry the old key codes; keyPress carries KeyAscii.
// Enter and Ctrl+Enter end in the grid (never at a dialog's default button);
// Esc goes on to the window so that its Cancel button works.
class FlexGrid : public QTableView
{
    Q_OBJECT

public:
    static constexpr int DefaultColWidth = 960; // twips

    explicit FlexGrid(QWidget *parent = nullptr);
    ~FlexGrid() override;

    int rows() const;
    void setRows(int rows);
    int cols() const;
    void setCols(int cols);
    int fixedRows() const;
    void setFixedRows(int fixedRows); // 0 or 1
    int fixedCols() const;
    void setFixedCols(int fixedCols); // only 0

    QString textMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, QString text);
    // Appends a row; the tab-separated texts fill columns 0, 1, ...
    void addItem(const QString &tabSeparatedTexts);
    // Empties every cell, captions included, and drops cell colours; keeps the size.
    void clear();

    // Width in twips, returned exactly as set; 0 hides the column, -1 restores
    // the default width.
    int colWidth(int col) const;
    void setColWidth(int col, int twips);
    int colAlignment(int col) const;
    void setColAlignment(int col, int alignment);

    // "|"-separated captions define the columns; a leading '<', '^' or '>'
    // aligns the column left, centre or right (otherwise it gets the general
    // alignment), and each caption's width,
    // trailing blanks included, becomes the column's width. Text after ';'
    // (captions of fixed columns) is ignored: this grid has none.
    void setFormatString(const QString &format);
    QString formatString() const;

    int row() const;
    void setRow(int row);
    int col() const;
    void setCol(int col);
    int rowSel() const;
    void setRowSel(int row);
    int colSel() const;
    void setColSel(int col);
    // Current row `row`, current column 0, selection to the last column.
    void selectRow(int row);
    // Like the old grid, a selection of just the current cell is not
    // highlighted; a larger one is, current cell included.
    bool isCellHighlighted(int row, int col) const;

    int topRow() const;
    void setTopRow(int row);

    // Text colour of the current cell; 0 means the grid's own text colour.
    VbColor cellForeColor() const;
    void setCellForeColor(VbColor color);
    // Any cell's colour, without making it current (no cell events).
    VbColor cellForeColorAt(int row, int col) const;
    void setCellForeColorAt(int row, int col, VbColor color);
    // Colours of selected cells.
    VbColor foreColorSel() const;
    void setForeColorSel(VbColor color);
    VbColor backColorSel() const;
    void setBackColorSel(VbColor color);
    // The colour a cell's text is drawn in, selection taken into account.
    QColor displayedTextColor(int row, int col) const;

    // Sorts rows row() to rowSel() (all data rows when they are equal) by the
    // key columns col() to colSel(), left to right. Whole rows move, the
    // caption row stays, equal keys keep their order, row() and col() stay.
    void sort(int mode);

    // The cell under the mouse pointer, updated on every mouse move.
    int mouseRow() const;
    int mouseCol() const;

    QString toolTipText() const;
    void setToolTipText(const QString &text);

    void beginBulkUpdate();
    void endBulkUpdate();
    // A bulk update for the guard's lifetime, ended however the scope is left.
    class BulkUpdate
    {
    public:
        explicit BulkUpdate(FlexGrid &grid) : m_grid(grid) { m_grid.beginBulkUpdate(); }
        ~BulkUpdate() { m_grid.endBulkUpdate(); }
        BulkUpdate(const BulkUpdate &) = delete;
        BulkUpdate &operator=(const BulkUpdate &) = delete;

    private:
        FlexGrid &m_grid;
    };
    bool redraw() const;
    void setRedraw(bool redraw);

signals:
    void leaveCell();
    void rowColChange();
    void enterCell();
    void selChange();
    void clicked();
    void dblClick();
    // keyCode is the old key code (VbKey::Delete is 46).
    void keyDown(int keyCode, Qt::KeyboardModifiers modifiers);
    // A handler may change keyAscii; 0 swallows the key.
    void keyPress(int &keyAscii);
    void keyUp(int keyCode, Qt::KeyboardModifiers modifiers);
    void mouseMove();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void checkRow(int row) const;
    void checkCol(int col) const;
    void moveTo(int row, int col, int rowSel, int colSel);
    void moveByKey(int qtKey, Qt::KeyboardModifiers modifiers);
    int rowsPerPage() const;
    void syncViewSelection();
    void applyColumnWidth(int col);
    void applyAllColumnWidths();
    void applyTopRow();
    void onSectionResized(int col, int oldSize, int newSize);
    void updateMouseCell(const QPoint &viewportPos);
    void scrollToCell(int row, int col);

    FlexGridModel *m_model;
    QVector<int> m_colWidths;
    QString m_formatString;
    int m_row = 1;
    int m_col = 0;
    int m_rowSel = 1;
    int m_colSel = 0;
    int m_pendingTopRow = -1; // applied once the view has its real size
    int m_cellGeneration = 0;
    int m_mouseRow = 0;
    int m_mouseCol = 0;
    int m_bulkDepth = 0;
    bool m_redrawOff = false;
    bool m_applyingWidths = false;
    bool m_leftPressed = false;
    bool m_dragging = false;
    int m_dragRow = 0;
    int m_dragCol = 0;
    VbColor m_foreColorSel = VbSystemColor::HighlightText;
    VbColor m_backColorSel = VbSystemColor::Highlight;
};

} // namespace kadu2217
