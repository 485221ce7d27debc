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
    QString sql = QStringLiteral("Select isnull(max(convert(int,right(lpchcostingno,");
    sql += QStringLiteral("len(lpchcostingno)-");
    sql += length;
    if (sessionDepartmentId != 0) {
        sql += QStringLiteral("))),0) from loaLocalPurchaseCostingHeader where  lpchDepartmentid=");
        sql += QString::number(sessionDepartmentId);
        sql += QStringLiteral(" and len(lpchcostingno)>len('");
    } else {
        sql += QStringLiteral("))),0) from loaLocalPurchaseCostingHeader where len(lpchcostingno)>len('");
    }
    sql += p;
    sql += QStringLiteral("') and ");
    sql += QStringLiteral("isnumeric(isnull(right(lpchcostingno,len(lpchcostingno)-");
    sql += length;
    sql += QStringLiteral("),0)) =1 and substring(lpchcostingno,1,len('");
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
