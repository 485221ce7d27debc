#include "entry/columnsettings.h"

#include "controls/flexgrid.h"
#include "db/recordset.h"
#include "db/values.h"

#include <QVector>

namespace kadu2217 {

bool fnApplyColumnSettings(const ConnectionPtr &connection, QString &transactionName, FlexGrid &grid, const QString &moduleName,
                           int requiredColumns)
{
    transactionName = transactionName.trimmed().toUpper();
    const QString gridName = grid.objectName().trimmed().toUpper();
    const QString module = moduleName.trimmed().toUpper();
    const QString layoutOfGrid = QStringLiteral("(select lvwid from alistviewheader where  ")
        + QStringLiteral(" ltrim(rtrim(upper(lvwtransname)))='") + value::sqlEscaped(transactionName)
        + QStringLiteral("' and ltrim(rtrim(upper(lvwname)))='") + value::sqlEscaped(gridName)
        + QStringLiteral("' and ltrim(rtrim(upper(lvwmodulename)))='") + value::sqlEscaped(module) + QStringLiteral("')");

    Recordset rs;
    rs.open(QStringLiteral("select count(*) from alistviewdetails where lvwdid=") + layoutOfGrid, connection);
    const double columns = value::leadingNumber(value::toText(rs.value(0)));
    rs.close();
    if (columns != requiredColumns)
        return false;

    struct Column {
        int id;
        QString caption;
        qint32 width;
        qint32 alignment;
    };
    QVector<Column> layout;
    rs.open(QStringLiteral("select * from alistviewdetails where lvwdid=") + layoutOfGrid, connection);
    for (; !rs.eof(); rs.moveNext()) {
        const int col = value::toInt32(rs.value(QStringLiteral("lvwcolid")));
        if (col < 0 || col >= requiredColumns)
            return false;
        layout.append({col, value::displayText(rs.value(QStringLiteral("lvwdcolname"))),
                       value::toInt32(rs.value(QStringLiteral("lvwdcolwidth"))),
                       value::toInt32(rs.value(QStringLiteral("lvwdcolalign")))});
    }
    rs.close();

    grid.setCols(requiredColumns);
    for (const Column &column : layout) {
        grid.setTextMatrix(0, column.id, column.caption);
        grid.setColWidth(column.id, column.width);
        grid.setColAlignment(column.id, column.alignment);
    }
    return true;
}

} // namespace kadu2217
