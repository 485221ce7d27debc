#include "entry/entryquery.h"

#include "db/recordset.h"
#include "db/values.h"

namespace kadu2217::entryquery {
namespace {

QString number(qint64 n)
{
    return QString::number(n);
}

ItemLine descriptionOf(clsDatabase &lookups, ItemLine line, const QVariant &itemId)
{
    lookups.strTableName = QStringLiteral("vwitemdescription");
    line.description = value::toText(lookups.fnreturnfield(QStringLiteral("itemdescription"), QStringLiteral("itemid=") + value::toText(itemId)));
    return line;
}

} // namespace

QString departmentsOfUser(qint16 userId, qint16 companyId)
{
    return QStringLiteral("adepartmentmaster d,aUserDeptDetails u ") + QStringLiteral(" Where d.Companyid = u.Companyid And u.userid = ")
        + number(userId) + QStringLiteral(" and d.DepartmentID=u.DeptID and  d.CompanyId= ") + number(companyId);
}

QString allDepartments()
{
    return QStringLiteral("adepartmentmaster");
}

QString shopsWithBills(bool newMode, qint16 sessionDepartmentId)
{
    if (!newMode)
        return QStringLiteral("loslocalpurchaseheader loi left outer join aShops ag on ")
            + QStringLiteral(" loi.lphShopId=ag.ShopId where  loi.lphcancelled=0");
    if (sessionDepartmentId != 0)
        return QStringLiteral("losLocalPurchaseHeader loi left outer join aShops ag on ")
            + QStringLiteral(" loi.lphShopId=ag.ShopId where loi.lphcosted=0 and loi.lphcancelled=0 and lphDepartmentID=")
            + number(sessionDepartmentId) + QStringLiteral(" ");
    return QStringLiteral("losLocalPurchaseHeader loi left outer join aShops ag on ")
        + QStringLiteral(" loi.lphShopId=ag.ShopId where loi.lphcosted=0 and loi.lphcancelled=0  ");
}

QString billsOfShop(bool newMode, qint16 sessionDepartmentId, qint32 shopId, qint32 departmentId, const QString &editedCostingId)
{
    const QString shop = number(shopId);
    const QString department = number(departmentId);
    if (!newMode) {
        QString bills = QStringLiteral("loslocalpurchaseheader  lph, ") + QStringLiteral(" loaLocalPurchaseCostingHeader  lpch  where lphcancelled=0 ")
            + QStringLiteral(" and lphShopId=") + shop + QStringLiteral(" and  lphShopId=lpchShopId and ");
        if (sessionDepartmentId != 0)
            bills += QStringLiteral(" lphDepartmentID=") + department + QStringLiteral(" and lphBillID=lpchbillid and lpchCostingid=");
        else
            bills += QStringLiteral(" lphBillID=lpchbillid and lpchCostingid=");
        return bills + editedCostingId;
    }
    if (sessionDepartmentId != 0)
        return QStringLiteral("loslocalpurchaseheader  where lphcosted=0 and ") + QStringLiteral(" lphcancelled=0 and lphShopId=") + shop
            + QStringLiteral(" and lphDepartmentID=") + department + QStringLiteral(" and lphcosted=0");
    return QStringLiteral("loslocalpurchaseheader  where lphcosted=0 and ") + QStringLiteral(" lphcancelled=0 and lphShopId=") + shop
        + QStringLiteral("  and lphcosted=0");
}

qint32 companyDepartment(clsDatabase &lookups, qint16 companyId)
{
    lookups.strTableName = QStringLiteral("apackagesettings");
    return value::toInt32(lookups.fnreturnfield(QStringLiteral("CompanyDepartment"), QStringLiteral("companyid=") + number(companyId)));
}

BillCurrencies billCurrencies(clsDatabase &lookups, qint16 companyId, qint32 shopId, qint32 billId)
{
    const QString shop = number(shopId);
    const QString bill = number(billId);
    BillCurrencies currencies;
    lookups.strTableName = QStringLiteral("apackagesettings ap, aaccountmaster a ");
    currencies.inventoryCurrency = value::toInt16(lookups.fnreturnfield(
        QStringLiteral("currencyid"), QStringLiteral(" ap.companyid = a.companyid and ") + QStringLiteral(" ap.inventoryid = a.accountid")
                                          + QStringLiteral(" and ap.companyid=") + number(companyId)));
    lookups.strTableName = QStringLiteral("loslocalpurchaseheader h, avendormaster v");
    currencies.vendorCurrency = value::toInt16(lookups.fnreturnfield(
        QStringLiteral("v.currencyid"), QStringLiteral(" h.lphCompanyID = v.companyid ")
            + QStringLiteral(" and h.lphVendorID = v.vendorid and lphShopID=") + shop + QStringLiteral(" and lphBillID=") + bill));
    // Bill ids are unique per shop only: another shop's bill must not lend its rates.
    lookups.strTableName = QStringLiteral("loslocalpurchaseheader");
    currencies.exchangeRates = value::toText(lookups.fnreturnfield(
        QStringLiteral("lphexchangerates"), QStringLiteral(" lphShopID=") + shop + QStringLiteral(" and lphBillID=") + bill));
    return currencies;
}

void readBillLines(const ConnectionPtr &connection, clsDatabase &lookups, qint32 shopId, qint32 billId,
                   const std::function<void(const ItemLine &)> &onLine)
{
    lookups.strTableName = QStringLiteral("syscolumns");
    const bool orderedByGuid = value::toDouble(lookups.fnreturnfield(
        QStringLiteral("count(*)"), QStringLiteral("id=object_id('loslocalpurchasedetail') and  colstat=2"))) > 0;
    const QString order = orderedByGuid ? QStringLiteral(" order by loid.rowguid") : QStringLiteral(" ");
    Recordset rs;
    rs.open(QStringLiteral("select * from loslocalpurchasedetail loid left outer join ")
                + QStringLiteral(" aitem ai on loid.lpditemid=ai.itemid where lpdbillid=") + number(billId)
                + QStringLiteral(" and lpdShopId=") + number(shopId) + order,
            connection, CursorType::Keyset, LockType::ReadOnly);
    for (; !rs.eof(); rs.moveNext()) {
        ItemLine line;
        line.itemCode = rs.value(QStringLiteral("itemcode"));
        line.quantity = rs.value(QStringLiteral("lpditemquantity"));
        line.unitPrice = rs.value(QStringLiteral("lpditemunitprice"));
        line.itemId = rs.value(QStringLiteral("lpditemid"));
        onLine(descriptionOf(lookups, line, rs.value(QStringLiteral("itemid"))));
    }
    rs.close();
}

void readCostingLines(const ConnectionPtr &connection, clsDatabase &lookups, const QString &costingId,
                      const std::function<void(const ItemLine &)> &onLine)
{
    // In the order the lines were first saved, so that an edit averages them as that save did.
    Recordset rs;
    rs.open(QStringLiteral("select * from loaLocalPurchaseCostingHeader lih left outer join ")
                + QStringLiteral(" loalocalpurchasecostingdetail lid on lih.lpchcostingid=lid.lpcdcostingid left outer join aitem ")
                + QStringLiteral(" ai on lid.lpcditemid=ai.itemid where lih.lpchcostingid=") + costingId
                + QStringLiteral(" order by lid.lpcddetailid"),
            connection, CursorType::Keyset, LockType::ReadOnly);
    for (; !rs.eof(); rs.moveNext()) {
        ItemLine line;
        line.itemCode = rs.value(QStringLiteral("itemcode"));
        line.quantity = rs.value(QStringLiteral("lpcditemqty"));
        line.costedPrice = rs.value(QStringLiteral("lpcdcostedprice"));
        line.billUnitPrice = rs.value(QStringLiteral("lpcdbillunitprice"));
        line.itemId = rs.value(QStringLiteral("itemid"));
        onLine(descriptionOf(lookups, line, line.itemId));
    }
    rs.close();
}

SavedCosting readSavedCosting(const ConnectionPtr &connection, const QString &costingId)
{
    Recordset rs;
    rs.open(QStringLiteral("select * from loalocalpurchasecostingheader lih left outer join loalocalpurchasecostingdetail lid ")
                + QStringLiteral(" on lih.lpchcostingid=lid.lpcdcostingid left outer join loslocalpurchaseheader loih on ")
                + QStringLiteral(" lih.lpchbillid=loih.lphbillid and lih.lpchshopid=loih.lphshopid where ")
                + QStringLiteral(" lih.lpchcostingid=") + costingId,
            connection);
    SavedCosting costing;
    costing.date = value::toDateTime(rs.value(QStringLiteral("lpchdate"))).date();
    costing.shopId = value::toInt32(rs.value(QStringLiteral("lpchshopid")));
    costing.billId = value::toInt32(rs.value(QStringLiteral("lpchbillid")));
    costing.departmentId = value::toInt32(rs.value(QStringLiteral("lpchDepartmentid")));
    costing.remarks = value::displayText(rs.value(QStringLiteral("lpchremarks")));
    const QVariant done = rs.value(QStringLiteral("lpchCostingDone"));
    costing.fixed = !value::isNull(done) && value::toBool(done);
    rs.close();
    return costing;
}

} // namespace kadu2217::entryquery
