#include "services/defaults.h"

#include "controls/flexgrid.h"
#include "db/recordset.h"
#include "db/tables.h"
#include "db/transaction.h"
#include "db/values.h"

#include <QHeaderView>

namespace kadu2217 {
namespace {

namespace gl = tables::aGridLayout;

QString gridName(const FlexGrid &grid)
{
    return grid.objectName();
}

} // namespace

bool DefaultGridLayout::fnGridSettings(qint16 userId, qint16 companyId, FlexGrid &grid, ConnectionPtr &connection,
                                       bool apply)
{
    Recordset rs;
    rs.open(QStringLiteral("select %1, %2, %3 from %4 where %5=? and %6=? and %7=? order by %2")
                .arg(gl::ColumnIndex, gl::ColumnPosition, gl::ColumnWidth, gl::table, gl::UserID, gl::CompanyID, gl::GridName),
            connection, CursorType::ForwardOnly, LockType::ReadOnly, {userId, companyId, gridName(grid)});
    if (rs.eof())
        return false;
    if (!apply)
        return true;
    QHeaderView *header = grid.horizontalHeader();
    while (!rs.eof()) {
        const int column = value::toInt32(rs.value(0));
        if (column > 0 && column < grid.cols()) {
            // The id column keeps its hidden width whatever was stored.
            if (!value::isNull(rs.value(2)))
                grid.setColWidth(column, value::toInt32(rs.value(2)));
            if (!value::isNull(rs.value(1))) {
                const int position = value::toInt32(rs.value(1));
                if (position > 0 && position < grid.cols())
                    header->moveSection(header->visualIndex(column), position);
            }
        }
        rs.moveNext();
    }
    return true;
}

void DefaultGridLayout::SaveGridSettings(qint16 userId, qint16 companyId, FlexGrid &grid, ConnectionPtr &connection)
{
    const QHeaderView *header = grid.horizontalHeader();
    Transaction transaction(*connection);
    connection->execute(QStringLiteral("delete from %1 where %2=? and %3=? and %4=?")
                            .arg(gl::table, gl::UserID, gl::CompanyID, gl::GridName),
                        {userId, companyId, gridName(grid)});
    const QString insert = QStringLiteral("insert into %1 (%2,%3,%4,%5,%6,%7) values (?,?,?,?,?,?)")
                               .arg(gl::table, gl::UserID, gl::CompanyID, gl::GridName, gl::ColumnIndex,
                                    gl::ColumnPosition, gl::ColumnWidth);
    for (int column = 1; column < grid.cols(); ++column)
        connection->execute(insert, {userId, companyId, gridName(grid), column, header->visualIndex(column), grid.colWidth(column)});
    transaction.commit();
}

} // namespace kadu2217
