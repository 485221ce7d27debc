#include "testsupport.h"

#include "db/error.h"
#include "db/tables.h"

#include <QRegularExpression>
#include <QtTest>
#include <cmath>
#include <optional>

using namespace kadu2217;
using namespace kadu2217::testsupport;

namespace {

const QDateTime kNow(QDate(2012, 3, 15), QTime(10, 30));

DemoOptions fixedOptions(int costings = 60, int items = 120, quint32 seed = 2011)
{
    DemoOptions options;
    options.costings = costings;
    options.items = items;
    options.seed = seed;
    options.now = kNow;
    return options;
}

// The standard demonstration file of these tests, made once.
ConnectionPtr standardDemo()
{
    static const ConnectionPtr connection = openNewDatabase(true, fixedOptions());
    return connection;
}

int count(const ConnectionPtr &connection, const QString &sql, const QVariantList &params = {})
{
    return queryValue(connection, sql, params).toInt();
}

// Every table and view as sorted text lines.
QMap<QString, QStringList> contentOf(const ConnectionPtr &connection)
{
    QMap<QString, QStringList> content;
    for (const auto &object : queryRows(connection, QStringLiteral("select name from sys_objects"))) {
        const QString name = object[0].toString();
        QStringList lines;
        for (const auto &row : queryRows(connection, QStringLiteral("select * from %1").arg(name))) {
            QStringList values;
            for (const QVariant &v : row)
                values << (v.isValid() ? v.toString() : QStringLiteral("<null>"));
            lines << values.join(QLatin1Char('|'));
        }
        lines.sort();
        content.insert(name.toLower(), lines);
    }
    return content;
}

// The bill's rate text read as the item grid reads it: ids, "-", rates, each followed by ':'.
std::optional<QHash<int, double>> parseRates(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('-'));
    if (parts.size() != 2)
        return std::nullopt;
    QStringList ids = parts[0].split(QLatin1Char(':'));
    QStringList rates = parts[1].split(QLatin1Char(':'));
    if (!ids.last().isEmpty() || !rates.last().isEmpty() || ids.size() != rates.size())
        return std::nullopt;
    ids.removeLast();
    rates.removeLast();
    QHash<int, double> result;
    for (int i = 0; i < ids.size(); ++i) {
        bool idOk = false;
        bool rateOk = false;
        const int id = ids[i].toInt(&idOk);
        const double rate = rates[i].toDouble(&rateOk);
        if (!idOk || !rateOk || rate <= 0)
            return std::nullopt;
        result.insert(id, rate);
    }
    return result;
}

double round3(double v) { return std::round(v * 1000.0) / 1000.0; }

} // namespace

class TestDemoData : public QObject {
    Q_OBJECT

private slots:
    void sameOptionsGiveSameContent();
    void sizesFollowOptions_data();
    void sizesFollowOptions();
    void rowsAgree_data();
    void rowsAgree();
    void everyKindOfRowIsThere_data();
    void everyKindOfRowIsThere();
    void rightsForCostingInterface_data();
    void rightsForCostingInterface();
    void settingsAnswerTheModulesLookups();
    void costPricesFollowBillsAndRates();
    void registerWindowShowsMostCostings();
    void numberingContinuesEachDepartment_data();
    void numberingContinuesEachDepartment();
    void elapsedTimeOfWaitingBills();
    void refusesFileWithData();
};

void TestDemoData::sameOptionsGiveSameContent()
{
    const auto first = contentOf(openNewDatabase(true, fixedOptions()));
    const auto second = contentOf(openNewDatabase(true, fixedOptions()));
    QCOMPARE(first.keys(), second.keys());
    for (auto it = first.begin(); it != first.end(); ++it)
        QCOMPARE(second.value(it.key()), it.value());

    const auto reseeded = contentOf(openNewDatabase(true, fixedOptions(60, 120, 7)));
    QVERIFY(reseeded.value(QStringLiteral("loslocalpurchasedetail")) != first.value(QStringLiteral("loslocalpurchasedetail")));
}

void TestDemoData::sizesFollowOptions_data()
{
    QTest::addColumn<int>("costings");
    QTest::addColumn<int>("items");
    QTest::newRow("default") << 60 << 120;
    QTest::newRow("ten times") << 600 << 1200;
    QTest::newRow("more costings than items") << 1500 << 40;
    QTest::newRow("no costings") << 0 << 10;
}

void TestDemoData::sizesFollowOptions()
{
    QFETCH(int, costings);
    QFETCH(int, items);
    const auto connection = openNewDatabase(true, fixedOptions(costings, items));

    QCOMPARE(count(connection, QStringLiteral("select count(*) from loaLocalPurchaseCostingHeader")), costings);
    QCOMPARE(count(connection, QStringLiteral("select count(*) from aItem")), items);
    const int bills = count(connection, QStringLiteral("select count(*) from losLocalPurchaseHeader"));
    QVERIFY2(bills >= costings * 1.1 && bills <= costings * 1.35 + 10, qPrintable(QString::number(bills)));
    const int details = count(connection, QStringLiteral("select count(*) from loaLocalPurchaseCostingDetail"));
    QVERIFY2(details >= costings * 2 && details <= costings * 6, qPrintable(QString::number(details)));
    QVERIFY(count(connection, QStringLiteral("select count(*) from aVendorMaster")) >= 10);
}

void TestDemoData::rowsAgree_data()
{
    QTest::addColumn<QString>("violations");

    QTest::newRow("costing without its bill")
        << "select count(*) from loaLocalPurchaseCostingHeader c where not exists (select 1 from losLocalPurchaseHeader b "
           "where b.lphBillID = c.lpchbillid and b.lphShopID = c.lpchshopid)";
    QTest::newRow("live costing of an uncosted bill")
        << "select count(*) from loaLocalPurchaseCostingHeader c, losLocalPurchaseHeader b where b.lphBillID = c.lpchbillid "
           "and b.lphShopID = c.lpchshopid and c.lpchcancelled = 0 and b.lphcosted <> 1";
    QTest::newRow("cancelled costing of a costed bill")
        << "select count(*) from loaLocalPurchaseCostingHeader c, losLocalPurchaseHeader b where b.lphBillID = c.lpchbillid "
           "and b.lphShopID = c.lpchshopid and c.lpchcancelled = 1 and b.lphcosted <> 0";
    QTest::newRow("costed bill without a live costing")
        << "select count(*) from losLocalPurchaseHeader b where b.lphcosted = 1 and not exists (select 1 from "
           "loaLocalPurchaseCostingHeader c where c.lpchbillid = b.lphBillID and c.lpchshopid = b.lphShopID and c.lpchcancelled = 0)";
    QTest::newRow("bill costed twice")
        << "select count(*) from losLocalPurchaseHeader b where (select count(*) from loaLocalPurchaseCostingHeader c "
           "where c.lpchbillid = b.lphBillID and c.lpchshopid = b.lphShopID) > 1";
    QTest::newRow("costing of an unconfirmed or cancelled bill")
        << "select count(*) from loaLocalPurchaseCostingHeader c, losLocalPurchaseHeader b where b.lphBillID = c.lpchbillid "
           "and b.lphShopID = c.lpchshopid and (b.lphConfirmed <> 1 or b.lphcancelled <> 0)";
    QTest::newRow("costing without details")
        << "select count(*) from loaLocalPurchaseCostingHeader c where not exists (select 1 from "
           "loaLocalPurchaseCostingDetail d where d.lpcdcostingid = c.lpchcostingid)";
    QTest::newRow("details unlike the bill's lines")
        << "select count(*) from loaLocalPurchaseCostingHeader c where (select count(*) from loaLocalPurchaseCostingDetail d "
           "where d.lpcdcostingid = c.lpchcostingid) <> (select count(*) from losLocalPurchaseDetail l "
           "where l.lpdbillid = c.lpchbillid and l.lpdShopId = c.lpchshopid)";
    QTest::newRow("detail of an item not on the bill")
        << "select count(*) from loaLocalPurchaseCostingDetail d, loaLocalPurchaseCostingHeader c where "
           "d.lpcdcostingid = c.lpchcostingid and not exists (select 1 from losLocalPurchaseDetail l where "
           "l.lpdbillid = c.lpchbillid and l.lpdShopId = c.lpchshopid and l.lpditemid = d.lpcditemid and "
           "l.lpditemquantity = d.lpcditemqty)";
    QTest::newRow("costing department unlike the bill's")
        << "select count(*) from loaLocalPurchaseCostingHeader c, losLocalPurchaseHeader b where b.lphBillID = c.lpchbillid "
           "and b.lphShopID = c.lpchshopid and b.lphDepartmentID <> c.lpchDepartmentid";
    QTest::newRow("costing dated before its bill")
        << "select count(*) from loaLocalPurchaseCostingHeader c, losLocalPurchaseHeader b where b.lphBillID = c.lpchbillid "
           "and b.lphShopID = c.lpchshopid and c.lpchdate < b.lphBillDate";
    QTest::newRow("costing made before its day")
        << "select count(*) from loaLocalPurchaseCostingHeader where lpchTime < lpchdate";
    QTest::newRow("fixed costing without its fixer")
        << "select count(*) from loaLocalPurchaseCostingHeader where lpchCostingDone = 1 and "
           "(lpchcostingdoneby is null or lpchcostingdoneby <> lpchrecadduser)";
    QTest::newRow("fixer of an unfixed costing")
        << "select count(*) from loaLocalPurchaseCostingHeader where lpchCostingDone = 0 and lpchcostingdoneby is not null";
    QTest::newRow("cancelled costing fixed")
        << "select count(*) from loaLocalPurchaseCostingHeader where lpchcancelled = 1 and lpchCostingDone = 1";
    QTest::newRow("modifier without time or time without modifier")
        << "select count(*) from loaLocalPurchaseCostingHeader where (lpchrecmodifiyuser is null and updatetime is not null) "
           "or (lpchrecmodifiyuser is not null and updatetime is null) or updatetime < lpchTime";
    QTest::newRow("costing numbers repeated")
        << "select count(*) - count(distinct lpchcostingno) from loaLocalPurchaseCostingHeader";
    QTest::newRow("costing number without its department's prefix")
        << "select count(*) from loaLocalPurchaseCostingHeader c where not exists (select 1 from aPrefix p where "
           "p.departmentID = c.lpchDepartmentid and p.InterfaceID = 2011 and p.ShopId is null and p.FinancialId = "
           "(select FinancialId from aFinancialYear where CurFinancialYear = 1) and "
           "substring(c.lpchcostingno, 1, len(p.Prefix)) = p.Prefix and isnumeric(substring(c.lpchcostingno, "
           "len(p.Prefix) + 1, 20)) = 1)";
    QTest::newRow("costing settings not the company's")
        << "select count(*) from loaLocalPurchaseCostingHeader c, aPackageSettings s where s.companyid = c.lpchcompanyid "
           "and (c.lpchInventoryaccid <> s.inventoryid or c.lpchgoodsintransitaccid <> s.GoodsInTransitID)";
    QTest::newRow("bill without lines")
        << "select count(*) from losLocalPurchaseHeader b where not exists (select 1 from losLocalPurchaseDetail l "
           "where l.lpdbillid = b.lphBillID and l.lpdShopId = b.lphShopID)";
    QTest::newRow("bill amount unlike its lines")
        << "select count(*) from losLocalPurchaseHeader b where abs(b.lphBillAmount - (select sum(l.lpditemunitprice) "
           "from losLocalPurchaseDetail l where l.lpdbillid = b.lphBillID and l.lpdShopId = b.lphShopID)) > 0.01";
    QTest::newRow("bill numbers repeated") << "select count(*) - count(distinct lphBillNo) from losLocalPurchaseHeader";
    QTest::newRow("line of an unknown item")
        << "select count(*) from losLocalPurchaseDetail l where not exists (select 1 from aItem i where i.itemid = l.lpditemid)";
    QTest::newRow("bill of an unknown vendor, shop or department")
        << "select count(*) from losLocalPurchaseHeader b where not exists (select 1 from aVendorMaster v where "
           "v.VendorID = b.lphVendorID and v.companyid = b.lphCompanyID) or not exists (select 1 from aShops s where "
           "s.ShopId = b.lphShopID) or not exists (select 1 from aDepartmentMaster d where d.DepartmentID = b.lphDepartmentID)";
    QTest::newRow("vendor currency unknown")
        << "select count(*) from aVendorMaster v where not exists (select 1 from aCurrencyMaster c where c.CurrencyID = v.CurrencyID)";
    QTest::newRow("item without godown stock")
        << "select count(*) from aItem i where not exists (select 1 from vwInquiryGodownStock g where g.gsitemid = i.itemid)";
    QTest::newRow("item without shop stock")
        << "select count(*) from aItem i where not exists (select 1 from vwInquiryShopStock s where s.itemid = i.itemid)";
    QTest::newRow("item descriptions differ")
        << "select count(*) from aItem i, vwItemDescription v where v.itemid = i.itemid and v.itemdescription <> i.itemdescription";
    QTest::newRow("shipment flag unlike the item's costings")
        << "select count(*) from losShopItemShipmentDetail s where s.pricechanged = 1 and not exists (select 1 from "
           "loaLocalPurchaseCostingDetail d, loaLocalPurchaseCostingHeader c where d.lpcdcostingid = c.lpchcostingid "
           "and c.lpchCostingDone = 1 and d.lpcditemid = s.itemid)";
    QTest::newRow("user without a bill-preview name")
        << "select count(*) from aUsers u where not exists (select 1 from lousers l where l.userid = u.userid and "
           "l.UserName = u.username)";
    QTest::newRow("user without a department")
        << "select count(*) from aUsers u where not exists (select 1 from aUserDeptDetails d where d.userid = u.userid)";
    QTest::newRow("audit record of no costing")
        << "select count(*) from aAuditTrail a where not exists (select 1 from loaLocalPurchaseCostingHeader c "
           "where c.lpchcostingid = a.DocumentID)";
    QTest::newRow("costing without its audit record")
        << "select count(*) from loaLocalPurchaseCostingHeader c where not exists (select 1 from aAuditTrail a "
           "where a.DocumentID = c.lpchcostingid and a.AuditAction = 'N' and a.InterfaceID = 2011)";
    QTest::newRow("cancellation without its audit record")
        << "select count(*) from loaLocalPurchaseCostingHeader c where c.lpchcancelled = 1 and not exists (select 1 "
           "from aAuditTrail a where a.DocumentID = c.lpchcostingid and a.AuditAction = 'D' and a.DocumentNo = c.lpchcostingno)";
}

void TestDemoData::rowsAgree()
{
    QFETCH(QString, violations);
    QCOMPARE(count(standardDemo(), violations), 0);
}

void TestDemoData::everyKindOfRowIsThere_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("atLeast");

    QTest::newRow("fixed costings") << "select count(*) from loaLocalPurchaseCostingHeader where lpchCostingDone = 1" << 10;
    QTest::newRow("open costings")
        << "select count(*) from loaLocalPurchaseCostingHeader where lpchCostingDone = 0 and lpchcancelled = 0" << 5;
    QTest::newRow("cancelled costings") << "select count(*) from loaLocalPurchaseCostingHeader where lpchcancelled = 1" << 1;
    QTest::newRow("edited costings")
        << "select count(*) from loaLocalPurchaseCostingHeader where lpchrecmodifiyuser is not null" << 3;
    QTest::newRow("bills waiting in department 1")
        << "select count(*) from losLocalPurchaseHeader where lphcosted=0 and  lphcancelled=0 and lphDepartmentID= 1 "
           "and lphCompanyID=1 and lphConfirmed=1" << 2;
    QTest::newRow("unconfirmed bills") << "select count(*) from losLocalPurchaseHeader where lphConfirmed = 0" << 2;
    QTest::newRow("cancelled bills") << "select count(*) from losLocalPurchaseHeader where lphcancelled = 1" << 2;
    QTest::newRow("costings of each costing department")
        << "select min(n) from (select count(*) n from loaLocalPurchaseCostingHeader group by lpchDepartmentid) x" << 5;
    QTest::newRow("costing departments") << "select count(distinct lpchDepartmentid) from loaLocalPurchaseCostingHeader" << 3;
    QTest::newRow("vendor currencies") << "select count(distinct CurrencyID) from aVendorMaster" << 3;
    QTest::newRow("bills in dollars")
        << "select count(*) from losLocalPurchaseHeader b, aVendorMaster v where v.VendorID = b.lphVendorID and v.CurrencyID = 2" << 3;
    QTest::newRow("items in several shops")
        << "select count(*) from aItem i where (select count(*) from vwInquiryShopStock s where s.itemid = i.itemid) > 1" << 60;
    QTest::newRow("items flagged on shipments")
        << "select count(distinct itemid) from losShopItemShipmentDetail where pricechanged = 1" << 5;
}

void TestDemoData::everyKindOfRowIsThere()
{
    QFETCH(QString, sql);
    QFETCH(int, atLeast);
    const int found = count(standardDemo(), sql);
    QVERIFY2(found >= atLeast, qPrintable(QStringLiteral("%1 found").arg(found)));
}

void TestDemoData::rightsForCostingInterface_data()
{
    QTest::addColumn<int>("user");
    QTest::addColumn<QString>("rights"); // null: no rights row
    QTest::addColumn<QList<int>>("departments");

    QTest::newRow("ADMIN") << demo::adminUserId << "NEDP"
                           << QList<int>{demo::purchaseDepartmentId, demo::storesDepartmentId,
                                         demo::importsDepartmentId, demo::accountsDepartmentId};
    QTest::newRow("RAVI") << demo::clerkUserId << "EP"
                          << QList<int>{demo::purchaseDepartmentId, demo::storesDepartmentId};
    QTest::newRow("MEERA") << demo::viewerUserId << QString() << QList<int>{demo::purchaseDepartmentId};
}

void TestDemoData::rightsForCostingInterface()
{
    QFETCH(int, user);
    QFETCH(QString, rights);
    QFETCH(QList<int>, departments);
    const auto connection = standardDemo();

    const auto rows = queryRows(connection, QStringLiteral("select functionrights from auserrights where userid = %1 "
                                                           "and interfaceid = %2").arg(user).arg(tables::costingInterfaceId));
    if (rights.isNull()) {
        QVERIFY(rows.isEmpty());
    } else {
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0][0].toString(), rights);
    }

    QList<int> found;
    for (const auto &row : queryRows(connection, QStringLiteral(
             "select d.DepartmentId from adepartmentmaster d,aUserDeptDetails u  Where d.Companyid = u.Companyid "
             "And u.userid = %1 and d.DepartmentID=u.DeptID and  d.CompanyId= 1 order by d.DepartmentId").arg(user)))
        found << row[0].toInt();
    QCOMPARE(found, departments);
}

// The answers the module's own lookups get from the demonstration file.
void TestDemoData::settingsAnswerTheModulesLookups()
{
    const auto c = standardDemo();
    QCOMPARE(count(c, QStringLiteral("select backNoofDays from aPackageSettings where  companyid=1")), demo::backNoofDays);
    QCOMPARE(count(c, QStringLiteral("select Alias from aPAckageSettings")), 0);
    QCOMPARE(count(c, QStringLiteral("select CompanyDepartment from apackagesettings")), demo::purchaseDepartmentId);
    QCOMPARE(count(c, QStringLiteral("select currencyid from apackagesettings ap, aaccountmaster a  where  ap.companyid = "
                                     "a.companyid and  ap.inventoryid = a.accountid")),
             demo::baseCurrencyId);
    QCOMPARE(queryValue(c, QStringLiteral("select Symbol from aCurrencyMaster where CurrencyID=2")).toString(), QStringLiteral("$"));
    QCOMPARE(queryValue(c, QStringLiteral("select username from ausers where userID=1")).toString(), QStringLiteral("ADMIN"));
    QCOMPARE(queryValue(c, QStringLiteral("select UserName from lousers where userid=2")).toString(), QStringLiteral("RAVI"));
    QCOMPARE(count(c, QStringLiteral("select count(*) from aFinancialYear where CurFinancialYear = 1")), 1);
    QCOMPARE(queryValue(c, QStringLiteral("select Alias from aAlias where Aliasid=1")).toString(), QStringLiteral("Store"));

    const auto prefixes = queryRows(c, QStringLiteral(
        "SELECT Prefix FROM aPrefix WHERE departmentID=2 AND FinancialId = (Select FinancialId from aFinancialYear "
        "where CurFinancialYear = 1) and InterfaceID = 2011 and ShopId is null and ShopId is null"));
    QCOMPARE(prefixes.size(), 1);
    QCOMPARE(prefixes[0][0].toString(), QStringLiteral("ST/LPC-"));

    QStringList captions;
    for (const auto &row : queryRows(c, QStringLiteral(
             "select tc.columnheader,tc.columnname from atables t,  atablecolumns tc where t.tableid = tc.tableid "
             "and tablename ='loalocalpurchasecostingheader' order by columnid")))
        captions << row[0].toString() + QLatin1Char('=') + row[1].toString();
    QCOMPARE(captions, (QStringList{"Costing Id=lpchcostingid", "Costing No=lpchcostingno", "Costing Date=lpchdate",
                                    "Shop Name=shopname", "Bill No=lphBillNo", "Bill Amount=lphBillAmount",
                                    "Cancelled=lpchcancelled", "Costing Done=lpchCostingDone"}));

    QCOMPARE(count(c, QStringLiteral("select count(*) from alistviewdetails where lvwdid=(select lvwid from alistviewheader "
                                     "where   ltrim(rtrim(upper(lvwtransname)))='LOCALPURCHASECOSTING' and "
                                     "ltrim(rtrim(upper(lvwname)))='MFGSPLITDETAILS' and "
                                     "ltrim(rtrim(upper(lvwmodulename)))='FRMLOCALPURCHASECOSTING')")),
             0);
}

// A costing's unit price is the bill line's price over its quantity, converted with the
// bill's own rates and rounded as the item grid shows it; the new cost price is a
// weighted average of the old one and that price; the item master holds the last fixed one.
void TestDemoData::costPricesFollowBillsAndRates()
{
    const auto c = standardDemo();
    for (const auto &row : queryRows(c, QStringLiteral("select lphexchangerates from losLocalPurchaseHeader")))
        QVERIFY2(parseRates(row[0].toString()).has_value(), qPrintable(row[0].toString()));

    const auto rows = queryRows(c, QStringLiteral(
        "select d.lpcdbillunitprice, d.lpcdcostedprice, l.lpditemunitprice, l.lpditemquantity, b.lphexchangerates, "
        "v.CurrencyID, d.lpcdolditemcostprice, d.lpcdnewitemcostprice from loaLocalPurchaseCostingDetail d, "
        "loaLocalPurchaseCostingHeader c, losLocalPurchaseHeader b, losLocalPurchaseDetail l, aVendorMaster v "
        "where d.lpcdcostingid = c.lpchcostingid and b.lphBillID = c.lpchbillid and b.lphShopID = c.lpchshopid "
        "and l.lpdbillid = b.lphBillID and l.lpdShopId = b.lphShopID and l.lpditemid = d.lpcditemid "
        "and v.VendorID = b.lphVendorID"));
    QCOMPARE(rows.size(), count(c, QStringLiteral("select count(*) from loaLocalPurchaseCostingDetail")));
    int converted = 0;
    for (const auto &row : rows) {
        const auto rates = parseRates(row[4].toString());
        QVERIFY(rates.has_value());
        const double vendorRate = rates->value(row[5].toInt());
        const double inventoryRate = rates->value(demo::baseCurrencyId);
        QVERIFY(vendorRate > 0);
        QCOMPARE(inventoryRate, 1.0);
        const double expected = round3(row[2].toDouble() / row[3].toDouble() * (inventoryRate / vendorRate));
        QCOMPARE(row[0].toDouble(), expected);
        QCOMPARE(row[1].toDouble(), expected);
        const double oldRate = row[6].toDouble();
        const double newRate = row[7].toDouble();
        QVERIFY(newRate >= std::min(oldRate, expected) - 1e-9 && newRate <= std::max(oldRate, expected) + 1e-9);
        if (row[5].toInt() != demo::baseCurrencyId)
            ++converted;
    }
    QVERIFY(converted > 0);

    const auto lastFixed = queryRows(c, QStringLiteral(
        "select i.itemrate, d.lpcdnewitemcostprice from aItem i, loaLocalPurchaseCostingDetail d where d.lpcddetailid = "
        "(select max(x.lpcddetailid) from loaLocalPurchaseCostingDetail x, loaLocalPurchaseCostingHeader h where "
        "x.lpcdcostingid = h.lpchcostingid and h.lpchCostingDone = 1 and x.lpcditemid = i.itemid)"));
    QVERIFY(!lastFixed.isEmpty());
    for (const auto &row : lastFixed)
        QCOMPARE(row[0].toDouble(), row[1].toDouble());
}

void TestDemoData::registerWindowShowsMostCostings()
{
    const auto c = standardDemo();
    const QString from = kNow.date().addDays(-demo::backNoofDays).toString(QStringLiteral("yyyyMMdd"));
    const int total = count(c, QStringLiteral("select count(*) from loaLocalPurchaseCostingHeader"));
    const int shown = count(c, QStringLiteral("select count(*) from loaLocalPurchaseCostingHeader loih where loih.lpchdate>='%1'").arg(from));
    QVERIFY2(shown >= total * 3 / 4 && shown < total, qPrintable(QStringLiteral("%1 of %2").arg(shown).arg(total)));
    QCOMPARE(count(c, QStringLiteral("select count(*) from loaLocalPurchaseCostingHeader where lpchTime > ?"), {kNow}), 0);
    QCOMPARE(count(c, QStringLiteral("select count(*) from losLocalPurchaseHeader where lphBillDate > ?"), {kNow}), 0);
    QCOMPARE(count(c, QStringLiteral("select count(*) from loaLocalPurchaseCostingHeader where lpchcostingid <> "
                                     "(select count(*) from loaLocalPurchaseCostingHeader x where x.lpchTime <= "
                                     "loaLocalPurchaseCostingHeader.lpchTime)")),
             0);
}

void TestDemoData::numberingContinuesEachDepartment_data()
{
    QTest::addColumn<int>("department");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("Purchase") << demo::purchaseDepartmentId << "LPC-";
    QTest::newRow("Stores") << demo::storesDepartmentId << "ST/LPC-";
    QTest::newRow("Imports") << demo::importsDepartmentId << "IM/LPC-";
}

// The largest number the numbering finds is the department's count of costings.
void TestDemoData::numberingContinuesEachDepartment()
{
    QFETCH(int, department);
    QFETCH(QString, prefix);
    const auto c = standardDemo();
    const QString length = QString::number(prefix.size());
    const QString sql = QStringLiteral("Select isnull(max(convert(int,right(lpchcostingno,") + QStringLiteral("len(lpchcostingno)-")
        + length + QStringLiteral("))),0) from loaLocalPurchaseCostingHeader where  lpchDepartmentid=")
        + QString::number(department) + QStringLiteral(" and len(lpchcostingno)>len('") + prefix + QStringLiteral("') and ")
        + QStringLiteral("isnumeric(isnull(right(lpchcostingno,len(lpchcostingno)-") + length
        + QStringLiteral("),0)) =1 and substring(lpchcostingno,1,len('") + prefix + QStringLiteral("'))='") + prefix
        + QStringLiteral("'");
    const int costings = count(c, QStringLiteral("select count(*) from loaLocalPurchaseCostingHeader where lpchDepartmentid = ?"),
                               {department});
    QVERIFY(costings > 0);
    QCOMPARE(count(c, sql), costings);
}

// The pending list's elapsed time joins the day of lphBillDate with the time of day of
// lphBillTime. The demonstration stores the bill's whole moment in lphBillTime; a time
// stored on 1 January 1900 must read the same.
void TestDemoData::elapsedTimeOfWaitingBills()
{
    DemoOptions options = fixedOptions();
    options.now = QDateTime::currentDateTime();
    const auto c = openNewDatabase(true, options);
    const QString elapsed = QStringLiteral(
        "cast(datediff(n,left (lphBillDate,12)+right(lphBilltime,7),getdate())/60 as varchar(20))+ ' Hrs:'+"
        "cast(datediff(n,left (lphBillDate,12)+right(lphBilltime,7),getdate())-60*(datediff(n,left (lphBillDate,12)+"
        "right(lphBilltime,7),getdate())/60) as varchar(20)) + 'Mts'");
    const QString sql = QStringLiteral("select lphBillID, lphBillDate, lphBillTime, %1 from loslocalpurchaseheader A,"
                                       "avendormaster b where lphcosted=0 and  lphcancelled=0 and lphCompanyID=1and "
                                       "lphcosted=0 AND a.lphVendorID=b.vendorid And lphConfirmed=1").arg(elapsed);
    static const QRegularExpression form(QStringLiteral("^(\\d+) Hrs:(\\d+)Mts$"));

    const auto minutesOf = [&](const QString &text) {
        const auto match = form.match(text);
        return match.hasMatch() ? match.captured(1).toInt() * 60 + match.captured(2).toInt() : -1;
    };
    const auto rows = queryRows(c, sql);
    QVERIFY(rows.size() >= 6);
    for (const auto &row : rows) {
        const QDateTime moment(row[1].toDateTime().date(), row[2].toDateTime().time());
        const qint64 expected = moment.secsTo(QDateTime::currentDateTime()) / 60;
        const int minutes = minutesOf(row[3].toString());
        QVERIFY2(minutes >= 0 && std::abs(minutes - expected) <= 1, qPrintable(row[3].toString()));
    }

    const int bill = rows[0][0].toInt();
    const QTime timeOfDay = rows[0][2].toDateTime().time();
    c->execute(QStringLiteral("update loslocalpurchaseheader set lphBillTime = ? where lphBillID = ?"),
               {QDateTime(QDate(1900, 1, 1), timeOfDay), bill});
    for (const auto &row : queryRows(c, sql)) {
        if (row[0].toInt() == bill)
            QVERIFY(std::abs(minutesOf(row[3].toString()) - minutesOf(rows[0][3].toString())) <= 1);
    }
}

void TestDemoData::refusesFileWithData()
{
    const auto c = openNewDatabase(true, fixedOptions(10, 20));
    const int bills = count(c, QStringLiteral("select count(*) from losLocalPurchaseHeader"));
    try {
        generateDemoData(*c, fixedOptions(10, 20, 99));
        QFAIL("a second generation was accepted");
    } catch (const Error &e) {
        QCOMPARE(e.number(), errnum::OperationNotAllowed);
    }
    QCOMPARE(count(c, QStringLiteral("select count(*) from losLocalPurchaseHeader")), bills);
    QVERIFY(!c->inTransaction());
}

QTEST_GUILESS_MAIN(TestDemoData)
#include "tst_demodata.moc"
