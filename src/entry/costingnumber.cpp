#include "entry/costingnumber.h"

#include "db/recordset.h"
#include "db/values.h"

namespace kadu2217 {
namespace {

QString maximumQuery(const QString &prefix, qint16 sessionDepartmentId)
{
    // The prefix comes from a settings table; quoting it keeps an apostrophe from changing the statement.
    const QString p = value::sqlEscaped(prefix);
    const QString length = QString::number(prefix.size());
    const QString suffixLength = QStringLiteral("len(lpchcostingno)-") + length;
    const QString suffix = QStringLiteral("right(lpchcostingno,") + suffixLength + QStringLiteral(")");
    // Only one to nine digits always convert to int: isnumeric also passes '1e2', '1.5' and '$5'.
    // The test sits inside the aggregate because SQL Server may convert before it filters.
    QString sql = QStringLiteral("Select isnull(max(case when ") + suffixLength
        + QStringLiteral(" between 1 and 9 and ") + suffix + QStringLiteral(" not like '%[^0123456789]%' then convert(int,")
        + suffix + QStringLiteral(") end),0) from loaLocalPurchaseCostingHeader where ");
    if (sessionDepartmentId != 0) {
        sql += QStringLiteral(" lpchDepartmentid=");
        sql += QString::number(sessionDepartmentId);
        sql += QStringLiteral(" and ");
    }
    sql += QStringLiteral("len(lpchcostingno)>len('");
    sql += p;
    sql += QStringLiteral("') and substring(lpchcostingno,1,len('");
    sql += p;
    sql += QStringLiteral("'))='");
    sql += p;
    sql += QStringLiteral("'");
    return sql;
}

} // namespace

QString GenerateCostingNo(const ConnectionPtr &connection, qint32 departmentId, qint16 sessionDepartmentId)
{
    Recordset rs;
    rs.open(QStringLiteral("SELECT Prefix FROM aPrefix WHERE departmentID=") + QString::number(departmentId)
                + QStringLiteral(" AND FinancialId = (Select FinancialId from aFinancialYear where CurFinancialYear = 1)")
                + QStringLiteral(" and InterfaceID = 2011 and ShopId is null and ShopId is null"),
            connection, CursorType::Static, LockType::ReadOnly);
    const QString prefix = rs.bof() || rs.eof() ? QString() : value::toText(rs.value(QStringLiteral("Prefix")));
    rs.close();

    rs.open(maximumQuery(prefix, sessionDepartmentId), connection, CursorType::Static, LockType::Optimistic);
    const QString largest = rs.eof() ? QStringLiteral("0") : value::toText(rs.value(0));
    rs.close();
    // The sequence runs on past 32,767: a busy department must not stop costing.
    const qint32 next = largest == QLatin1String("0") ? 1 : value::toInt32(qlonglong(value::toInt32(largest)) + 1);
    return prefix + QString::number(next);
}

bool fnBillAlreadyCosted(const ConnectionPtr &connection, qint32 billId, qint32 costingId, qint32 shopId,
                         QString &costingNo)
{
    Recordset rs;
    rs.open(QStringLiteral("SELECT lpchCostingNo FROM loaLocalPurchaseCostingHeader") + QStringLiteral(" WHERE lpchBillId = ")
                + QString::number(billId) + QStringLiteral(" AND lpchCancelled <> 1") + QStringLiteral(" AND lpchCostingId <> ")
                + QString::number(costingId) + QStringLiteral(" AND lpchShopId = ") + QString::number(shopId),
            connection, CursorType::ForwardOnly, LockType::ReadOnly);
    if (rs.eof()) {
        costingNo.clear();
        return false;
    }
    costingNo = value::displayText(rs.value(QStringLiteral("lpchCostingNo")));
    return true;
}

} // namespace kadu2217
