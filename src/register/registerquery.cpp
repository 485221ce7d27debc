#include "register/registerquery.h"

#include "db/values.h"

namespace kadu2217 {

QString registerQuery(qint16 departmentId, const QString &masterTable, const QDate &from)
{
    const QString date = value::sqlDate(from, QStringLiteral("yyyymmdd"));
    QString sql = QStringLiteral("select lpchcostingid,lpchcostingno,lpchdate,sd.shopname,lh.lphBillNo,lh.lphBillAmount,");
    if (departmentId >= 1) {
        sql += QStringLiteral("case lpchcancelled when 1 then 'Yes' when 0 then 'No' end  lpchcancelled, ");
        sql += QStringLiteral("case lpchCostingDone when 1 then 'Yes' when 0 then 'No' end  lpchCostingDone ");
        sql += QStringLiteral("from loslocalpurchaseheader lh,");
        sql += masterTable;
        sql += QStringLiteral(" loih left outer join ashops sd on ");
        sql += QStringLiteral(" loih.lpchshopid=sd.shopid  where lh.lphShopID=lpchshopid and ");
        sql += QStringLiteral(" lpchDepartmentid=");
        sql += QString::number(departmentId);
    } else {
        sql += QStringLiteral("case lpchcancelled when 1 then 'Yes' when 0 then 'No' end  lpchcancelled , ");
        sql += QStringLiteral("case lpchCostingDone when 1 then 'Yes' when 0 then 'No' end  lpchCostingDone ");
        sql += QStringLiteral("from loslocalpurchaseheader lh,");
        sql += masterTable;
        sql += QStringLiteral(" loih left outer join ashops sd on ");
        sql += QStringLiteral(" loih.lpchshopid=sd.shopid  where lh.lphShopID=lpchshopid ");
    }
    sql += QStringLiteral(" and lh.lphBillID=loih.lpchBillid and loih.lpchdate>='");
    sql += date;
    sql += QStringLiteral("' order by lpchcostingid");
    return sql;
}

QString captionQuery(const QString &table, bool aliased, const QString &alias1, const QString &alias2)
{
    if (aliased) {
        return QStringLiteral("select  replace(replace(tc.ColumnHeader, 'shop','") + value::sqlEscaped(alias1)
            + QStringLiteral("'),'godown','") + value::sqlEscaped(alias2) + QStringLiteral("'),tc.columnname from atables t,")
            + QStringLiteral("atablecolumns tc where t.tableid = tc.tableid and ") + QStringLiteral("tablename ='")
            + value::sqlEscaped(table) + QStringLiteral("'order by columnid");
    }
    return QStringLiteral("select tc.columnheader,tc.columnname from atables t, ")
        + QStringLiteral(" atablecolumns tc where t.tableid = tc.tableid and tablename ='") + value::sqlEscaped(table)
        + QStringLiteral("' order by columnid");
}

} // namespace kadu2217
