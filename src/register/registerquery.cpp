#include "register/registerquery.h"

#include "db/recordset.h"
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

QString registerRowsQuery(const QString &registerSql, const QString &condition)
{
    const int orderBy = int(registerSql.indexOf(QLatin1String("order by"), 0, Qt::CaseInsensitive));
    QString sql = orderBy < 0 ? registerSql : registerSql.left(orderBy);
    sql += sql.contains(QLatin1String("where"), Qt::CaseInsensitive) ? QStringLiteral(" and ") : QStringLiteral(" where ");
    return sql + condition;
}

Aliases readAliases(clsDatabase &lookups, qint16 companyId)
{
    Aliases aliases;
    lookups.strTableName = QStringLiteral("aPAckageSettings");
    aliases.renamed = value::toBool(lookups.fnreturnfield(QStringLiteral("Alias"), QStringLiteral(" companyid=") + QString::number(companyId)));
    if (aliases.renamed) {
        lookups.strTableName = QStringLiteral("aAlias");
        aliases.shop = value::toText(lookups.fnreturnfield(QStringLiteral("Alias"), QStringLiteral("Aliasid=") + QString::number(1)));
        aliases.godown = value::toText(lookups.fnreturnfield(QStringLiteral("Alias"), QStringLiteral("Aliasid=") + QString::number(2)));
    }
    return aliases;
}

QString userName(clsDatabase &lookups, qint16 userId)
{
    lookups.strTableName = QStringLiteral("ausers");
    return value::toText(lookups.fnreturnfield(QStringLiteral("username"), QStringLiteral("userID=") + QString::number(userId)));
}

qint32 registerDays(clsDatabase &lookups, qint16 companyId)
{
    lookups.strTableName = QStringLiteral("aPackageSettings");
    return value::toInt32(lookups.fnreturnfield(QStringLiteral("backNoofDays"), QStringLiteral(" companyid=") + QString::number(companyId)));
}

std::optional<QString> readUserRights(const ConnectionPtr &connection, qint16 userId, qint16 interfaceId)
{
    Recordset rs;
    rs.open(QStringLiteral("select functionrights from auserrights where userid = ") + QString::number(userId)
                + QStringLiteral(" and interfaceid = ") + QString::number(interfaceId),
            connection, CursorType::Keyset, LockType::Optimistic);
    if (rs.eof())
        return std::nullopt;
    return value::toText(rs.value(QStringLiteral("FunctionRights")));
}

} // namespace kadu2217
