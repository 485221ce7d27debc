#include "entry/columnsettings.h"

#include "controls/flexgrid.h"
#include "db/recordset.h"
#include "db/values.h"
#include "shell/session.h"

namespace kadu2217 {

bool fnApplyColumnSettings(QString &transactionName, FlexGrid &grid, const QString &moduleName)
{
    transactionName = transactionName.trimmed().toUpper();
    const QString gridName = grid.objectName().trimmed().toUpper();
    const QString module = moduleName.trimmed().toUpper();
    const QString layoutOfGrid = QStringLiteral("(select lvwid from alistviewheader where  ")
        + QStringLiteral(" ltrim(rtrim(upper(lvwtransname)))='") + value::sqlEscaped(transactionName)
        + QStringLiteral("' and ltrim(rtrim(upper(lvwname)))='") + value::sqlEscaped(gridName)
        + QStringLiteral("' and ltrim(rtrim(upper(lvwmodulename)))='") + value::sqlEscaped(module) + QStringLiteral("')");

    Recordset rs;
    rs.open(QStringLiteral("select count(*) from alistviewdetails where lvwdid=") + layoutOfGrid, session().adocon);
    const double columns = value::leadingNumber(value::toText(rs.value(0)));
    if (columns == 0)
        return false;
    grid.setCols(value::toInt32(columns));
    rs.close();

    rs.open(QStringLiteral("select * from alistviewdetails where lvwdid=") + layoutOfGrid, session().adocon);
    for (; !rs.eof(); rs.moveNext()) {
        const int col = value::toInt32(rs.value(QStringLiteral("lvwcolid")));
        grid.setTextMatrix(0, col, value::displayText(rs.value(QStringLiteral("lvwdcolname"))));
        grid.setColWidth(col, value::toInt32(rs.value(QStringLiteral("lvwdcolwidth"))));
        grid.setColAlignment(col, value::toInt32(rs.value(QStringLiteral("lvwdcolalign"))));
    }
    rs.close();
    return true;
}

} // namespace kadu2217
