#include "controls/flexgrid.h"

#include "controls/flexgridmodel.h"
#include "controls/vbkeys.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

namespace kadu2217 {

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
