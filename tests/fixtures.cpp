#include "fixtures.h"

#include "db/tables.h"
#include "db/values.h"
#include "testsupport.h"

namespace kadu2217::testsupport {
namespace {

// `into` is the table with its column list, e.g. "aShops (ShopId, shopname)".
void insert(const ConnectionPtr &c, const char *into, const QVariantList &values)
{
    c->execute(QStringLiteral("insert into %1 values (%2)")
                   .arg(QLatin1String(into), QStringList(values.size(), QStringLiteral("?")).join(QStringLiteral(", "))),
               values);
}

} // namespace

ConnectionPtr openDemoDatabase(const QDateTime &now, int costings)
{
    DemoOptions options;
    options.now = now;
    options.costings = costings;
    return openNewDatabase(true, options);
}

// ---- bills

Bill::Bill(qint32 id) : m_id(id), m_number(QStringLiteral("B-%1").arg(id)) {}

void addBill(const ConnectionPtr &c, const Bill &b)
{
    insert(c, "losLocalPurchaseHeader (lphBillID, lphShopID, lphBillNo, lphBillDate, lphBillTime, lphBillAmount, "
              "lphVendorID, lphCompanyID, lphDepartmentID, lphcosted, lphcancelled, lphConfirmed, lphexchangerates)",
           {b.m_id, b.m_shop, b.m_number, QDateTime(b.m_made.date(), QTime(0, 0)), b.m_made, b.m_amount, b.m_vendor,
            b.m_company, b.m_department, b.m_costed, b.m_cancelled, b.m_confirmed, b.m_rates});
    for (const Bill::Line &line : b.m_lines)
        addBillLine(c, b.m_id, b.m_shop, line.item, line.quantity, line.price, line.rowguid);
}

void addBills(const ConnectionPtr &c, const QVector<Bill> &bills)
{
    for (const Bill &bill : bills)
        addBill(c, bill);
}

void addBillLine(const ConnectionPtr &c, qint32 bill, qint32 shop, qint32 item, const QVariant &quantity,
                 const QVariant &price, const QVariant &rowguid)
{
    insert(c, "losLocalPurchaseDetail (lpdbillid, lpdShopId, lpditemid, lpditemquantity, lpditemunitprice, "
              "rowguid)",
           {bill, shop, item, quantity, price, rowguid});
}

// ---- costings

Costing::Costing(qint32 id) : m_id(id), m_bill(id), m_number(QStringLiteral("LPC-%1").arg(id)) {}

Costing &Costing::of(const Bill &bill)
{
    m_shop = bill.shopId();
    m_bill = bill.id();
    m_department = bill.departmentId();
    return *this;
}


void addCosting(const ConnectionPtr &c, const Costing &k)
{
    insert(c, "loaLocalPurchaseCostingHeader (lpchcostingid, lpchcostingno, lpchdate, lpchcompanyid, lpchshopid, "
              "lpchbillid, lpchDepartmentid, lpchremarks, lpchCostingDone, lpchcancelled)",
           {k.m_id, k.m_number, k.m_date, 1, k.m_shop, k.m_bill, k.m_department, QStringLiteral("checked"), k.m_done, k.m_cancelled});
    int detailId = 100 * k.m_id;
    for (const Costing::Detail &d : k.m_details)
        insert(c, "loaLocalPurchaseCostingDetail (lpcddetailid, lpcdcostingid, lpcditemid, lpcditemqty, "
                  "lpcdbillunitprice, lpcdcostedprice)",
               {++detailId, k.m_id, d.item, d.quantity, d.billUnitPrice, d.costedPrice});
}

void addCostedBill(const ConnectionPtr &c, Bill bill, Costing costing)
{
    addBill(c, bill.costed());
    addCosting(c, costing.of(bill));
}

CostingToSave costingOfBill(const ConnectionPtr &c, qint32 shop, qint32 bill, bool costFix)
{
    CostingToSave costing;
    costing.departmentId = queryValue(c, QStringLiteral("select lphDepartmentID from losLocalPurchaseHeader where lphBillID=? and lphShopID=?"),
                                      {bill, shop}).toInt();
    costing.shopId = shop;
    costing.billId = bill;
    costing.purchaseNo = QStringLiteral("P-%1").arg(bill);
    costing.remarks = QStringLiteral("  checked against the vendor's copy");
    costing.costingDate = kDemoNow.date();
    costing.costFix = costFix;
    for (const QVariantList &row : queryRows(c, QStringLiteral("select lpditemid, lpditemquantity, lpditemunitprice from "
                                                               "losLocalPurchaseDetail where lpdbillid=? and lpdShopId=? order by rowguid"),
                                             {bill, shop})) {
        const double price = row[2].toDouble() / row[1].toDouble();
        costing.lines.append({row[0].toString(), value::formatFixed3(row[1].toDouble()), value::formatUpTo3(price),
                              value::formatUpTo3(price + 0.25), {}, {}});
    }
    costing.linesShopId = shop;
    costing.linesBillId = bill;
    return costing;
}

// ---- settings, users and masters

Settings::Settings(qint32 company) : m_company(company) {}

void addSettings(const ConnectionPtr &c, const Settings &s)
{
    insert(c, "aPackageSettings (companyid, backNoofDays, inventoryid, GoodsInTransitID, CompanyDepartment, Alias)",
           {s.m_company, s.m_backDays, s.m_inventory, s.m_goodsInTransit, s.m_department, s.m_alias});
}

User::User(qint32 id, const QString &name) : m_id(id), m_name(name) {}

void addUser(const ConnectionPtr &c, const User &u)
{
    insert(c, "aUsers (userid, username)", {u.m_id, u.m_name});
    if (u.m_rights.isValid())
        insert(c, "aUserRights (userid, interfaceid, functionrights)",
               {u.m_id, tables::costingInterfaceId, u.m_rights});
    for (const auto &[department, company] : u.m_departments)
        insert(c, "aUserDeptDetails (userid, DeptID, Companyid)",
               {u.m_id, department, company});
}

void addItem(const ConnectionPtr &c, qint32 id, const QVariant &rate)
{
    insert(c, "aItem (itemid, itemcode, itemdescription, itemrate)",
           {id, QStringLiteral("IT-%1").arg(id), QStringLiteral("Item %1").arg(id), rate});
}

void addShop(const ConnectionPtr &c, qint32 id, const QString &name, qint32 company)
{
    insert(c, "aShops (ShopId, shopname, companyid)", {id, name, company});
}

void addVendor(const ConnectionPtr &c, qint32 id, const QString &name, qint32 currency, qint32 company)
{
    insert(c, "aVendorMaster (VendorID, vendorname, CurrencyID, companyid)",
           {id, name, currency, company});
}

void addDepartment(const ConnectionPtr &c, qint32 id, const QString &name, qint32 company)
{
    insert(c, "aDepartmentMaster (DepartmentID, DepartmentName, Companyid)",
           {id, name, company});
}

void addAlias(const ConnectionPtr &c, qint32 id, const QString &word)
{
    insert(c, "aAlias (Aliasid, Alias)", {id, word});
}

void addAccount(const ConnectionPtr &c, qint32 id, const QString &name, qint32 company, qint32 currency)
{
    insert(c, "aAccountMaster (accountid, accountname, companyid, currencyid)",
           {id, name, company, currency});
}

void addFinancialYear(const ConnectionPtr &c, qint32 id, bool current)
{
    insert(c, "aFinancialYear (FinancialId, CurFinancialYear)", {id, current ? 1 : 0});
}

void addPrefix(const ConnectionPtr &c, const QString &prefix, qint32 department, qint32 financialYear, const QVariant &shop)
{
    insert(c, "aPrefix (Prefix, departmentID, FinancialId, InterfaceID, ShopId)",
           {prefix, department, financialYear, tables::costingInterfaceId, shop});
}

void addGodownStock(const ConnectionPtr &c, qint32 godown, qint32 item, double stock)
{
    insert(c, "losGodownStock (GodownId, ItemId, Stock)", {godown, item, stock});
}

void addShopStock(const ConnectionPtr &c, qint32 shop, qint32 item, double stock)
{
    insert(c, "losShopStock (ShopId, ItemId, Stock)", {shop, item, stock});
}

void addShipmentLine(const ConnectionPtr &c, qint32 shop, qint32 item)
{
    insert(c, "losShopItemShipmentDetail (ShopId, itemid, pricechanged)",
           {shop, item, 0});
}

void addGridLayout(const ConnectionPtr &c, qint32 id, const QString &transaction, const QString &grid, const QString &module)
{
    insert(c, "aListViewHeader (lvwid, lvwtransname, lvwname, lvwmodulename)",
           {id, transaction, grid, module});
}

void addLayoutColumn(const ConnectionPtr &c, qint32 layout, qint32 column, const QString &caption, qint32 width, qint32 alignment)
{
    insert(c, "aListViewDetails (lvwdid, lvwcolid, lvwdcolname, lvwdcolwidth, lvwdcolalign)",
           {layout, column, caption, width, alignment});
}

} // namespace kadu2217::testsupport
