#include "register/frmmaster.h"

#include "controls/busycursor.h"
#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "db/values.h"
#include "util/textorder.h"

#include <QLineEdit>
#include <QRadioButton>
#include <utility>

namespace kadu2217 {
namespace {

// Moving the current column to the key would let the row-change handling move it back to
// column 0 before the sort; it rests until the sort is done.
struct RowChangesAtRest {
    explicit RowChangesAtRest(QString &flag) : flag(flag), saved(std::exchange(flag, QString())) {}
    ~RowChangesAtRest() { flag = saved; }
    QString &flag;
    QString saved;
};

} // namespace

void FrmMaster::cboColNames_Click()
{
    const BusyCursor busy;
    if (m_cboColNames->listIndex() < 0)
        return;
    FlexGrid &grid = *m_flexMaster;
    const RowChangesAtRest rest(FlexFlag);
    const int index = m_cboColNames->listIndex();
    // Dates are shown as text: the costing id orders them as they were made.
    const int key = m_cboColNames->itemText(index).contains(QLatin1String("date"), Qt::CaseInsensitive)
        ? 0
        : m_cboColNames->itemData(index);
    grid.setCol(key);
    grid.setColSel(key);
    const bool numeric = value::parseNumber(grid.textMatrix(grid.row(), key)).has_value();
    const bool ascending = m_optAscend->isChecked();
    grid.sort(numeric ? (ascending ? FlexSort::GenericAscending : FlexSort::GenericDescending)
                      : (ascending ? FlexSort::StringAscending : FlexSort::StringDescending));
    m_searchOrder = {};
}

// Choosing a direction asks for the column again, so that the next choice sorts that way.
void FrmMaster::optDirection_Click()
{
    m_cboColNames->setListIndex(-1);
}

void FrmMaster::txtsearch_KeyUp()
{
    if (m_cboSearch->listIndex() >= 0 && !m_txtsearch->text().trimmed().isEmpty())
        searchRegister();
    FlexMaster_RowColChange();
}

// Sorts by the search column without regard to case (once, while the grid stays in that
// order) and makes the first row whose cell begins with the typed text current.
void FrmMaster::searchRegister()
{
    FlexGrid &grid = *m_flexMaster;
    const int column = m_cboSearch->itemData(m_cboSearch->listIndex());
    if (m_searchOrder.column != column) {
        const RowChangesAtRest rest(FlexFlag);
        grid.setCol(column);
        grid.setColSel(column);
        grid.sort(FlexSort::StringNoCaseAscending);
        m_searchOrder.column = column;
        m_searchOrder.texts.clear();
        m_searchOrder.ends.clear();
        m_searchOrder.ends.reserve(std::size_t(grid.rows()));
        for (int row = 1; row < grid.rows(); ++row) {
            m_searchOrder.texts.append(QStringView(grid.textMatrix(row, column)).trimmed());
            m_searchOrder.ends.push_back(m_searchOrder.texts.size());
        }
    }
    // Compared in the order the sort used, so that number columns are found too.
    const QString typed = m_txtsearch->text();
    const QStringView key = QStringView(typed).trimmed();
    qsizetype low = 0;
    qsizetype high = qsizetype(m_searchOrder.ends.size()) - 1;
    qsizetype found = -1;
    while (low <= high) {
        const qsizetype mid = (low + high) / 2;
        const int order = textorder::compareNoCase(key, m_searchOrder.text(std::size_t(mid)).left(typed.size()));
        if (order < 0) {
            high = mid - 1;
        } else if (order > 0) {
            low = mid + 1;
        } else {
            found = mid;
            high = mid - 1;
        }
    }
    if (found < 0)
        return;
    // The keystroke's own row-change handling follows once; the move need not run it too.
    const RowChangesAtRest rest(FlexFlag);
    const int row = int(found) + 1;
    grid.selectRow(row);
    grid.setTopRow(row);
}

} // namespace kadu2217
