#include "pending/pendingquery.h"

namespace kadu2217 {

QString pendingTables()
{
    return QStringLiteral("loslocalpurchaseheader A,avendormaster b");
}

// The company id runs into the following "and"; SQL Server reads it all the same.
QString pendingCondition(qint16 departmentId, qint16 companyId)
{
    const QString tail = QStringLiteral("and lphcosted=0 AND a.lphVendorID=b.vendorid And lphConfirmed=1");
    if (departmentId > 0)
        return QStringLiteral("lphcosted=0 and  lphcancelled=0 and lphDepartmentID= ") + QString::number(departmentId)
            + QStringLiteral(" and lphCompanyID=") + QString::number(companyId) + tail;
    return QStringLiteral("lphcosted=0 and  lphcancelled=0 and lphCompanyID=") + QString::number(companyId) + tail;
}

// The elapsed time is the database's: whole hours and remaining minutes from the bill's date
// and time to the server's clock, counted in minute boundaries.
QStringList pendingFields()
{
    return {QStringLiteral("lphBillID"),
            QStringLiteral("lphBillNo"),
            QStringLiteral("lphBillDate"),
            QStringLiteral("b.vendorname"),
            QStringLiteral("cast(datediff(n,left (lphBillDate,12)+right(lphBilltime,7),getdate())/60 as varchar(20))+ ' Hrs:'"
                           "+cast(datediff(n,left (lphBillDate,12)+right(lphBilltime,7),getdate())-60*(datediff(n,left "
                           "(lphBillDate,12)+right(lphBilltime,7),getdate())/60) as varchar(20)) + 'Mts'"),
            QStringLiteral("lphShopID"),
            QStringLiteral("'Yes' as 'Confirmed'")};
}

} // namespace kadu2217
