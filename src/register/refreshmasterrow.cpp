#include "register/frmmaster.h"

#include "controls/flexgrid.h"
#include "db/recordset.h"
#include "db/values.h"
#include "register/registerquery.h"
#include "shell/session.h"

namespace kadu2217 {

void FrmMaster::showCosting(qint32 costingId, bool newCosting)
{
    RefreshMasterRow(QStringLiteral("lpchcostingid=") + QString::number(costingId), newCosting ? costingId : 0);
}

void FrmMaster::RefreshMasterRow(const QString &strCondition, qint32 lngCostingId)
{
    FlexGrid &grid = *m_flexMaster;
    const int columns = grid.cols();
    // A new or changed row may break the order the search sorted the grid in.
    m_searchOrder = {};
    Recordset rs;
    rs.open(registerRowsQuery(m_context.state.GStrMasterSql, strCondition), m_context.session.adocon, CursorType::Keyset, LockType::ReadOnly);
    if (rs.eof())
        return;
    const bool replace = m_context.state.entryMode == EntryMode::Edit;
    if (!replace && grid.rows() == 2 && grid.textMatrix(1, 0).isEmpty()) {
        for (int c = 0; c < columns; ++c)
            grid.setTextMatrix(1, c, value::displayText(rs.value(c)));
    } else if (!replace) {
        QStringList texts{QString::number(lngCostingId)};
        for (int c = 1; c < columns; ++c)
            texts.append(value::displayText(rs.value(c)));
        grid.addItem(texts.join(QLatin1Char('\t')));
        const int last = grid.rows() - 1;
        grid.setRow(last);
        grid.setTopRow(last);
        grid.selectRow(last);
    } else {
        for (int c = 1; c < columns; ++c)
            grid.setTextMatrix(grid.row(), c, value::displayText(rs.value(c)));
    }
    rs.close();
}

} // namespace kadu2217
