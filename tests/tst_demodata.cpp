// The demonstration file: the same options give the same file, its size follows the options,
// and its rows agree with one another as the windows expect when they show them.
#include "fixtures.h"
#include "testsupport.h"

#include "db/error.h"
#include "entry/costingnumber.h"
#include "entry/exchangerate.h"

#include <QtTest>
#include <cmath>

using namespace kadu2217;
using namespace kadu2217::testsupport;

namespace {

DemoOptions fixedOptions(int costings = 60, int items = 120, quint32 seed = 2011)
{
    return DemoOptions{costings, items, seed, kProcessDate, {}};
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
    for (const auto &object : queryRows(connection, "select name from sys_objects")) {
        QStringList &lines = content[object[0].toString().toLower()];
        for (const auto &row : queryRows(connection, "select * from " + object[0].toString())) {
            QStringList values;
            for (const QVariant &v : row)
                values << (v.isValid() ? v.toString() : "<null>");
            lines << values.join('|');
        }
        lines.sort();
    }
    return content;
}

// A price as the item grid shows it: three decimals at most.
double round3(double v) { return std::round(v * 1000.0) / 1000.0; }

} // namespace

class TestDemoData : public QObject {
    Q_OBJECT

private slots:
    void sameOptionsGiveSameContent()
    {
        const auto first = contentOf(openNewDatabase(true, fixedOptions()));
        const auto second = contentOf(openNewDatabase(true, fixedOptions()));
        QCOMPARE(first.keys(), second.keys());
        for (auto it = first.begin(); it != first.end(); ++it)
            QCOMPARE(second.value(it.key()), it.value());

        const auto reseeded = contentOf(openNewDatabase(true, fixedOptions(60, 120, 7)));
        QVERIFY(reseeded.value("loslocalpurchasedetail") != first.value("loslocalpurchasedetail"));
    }

    void sizesFollowOptions_data()
    {
        QTest::addColumn<int>("costings");
        QTest::addColumn<int>("items");
        QTest::newRow("default") << 60 << 120;
        QTest::newRow("ten times") << 600 << 1200;
        QTest::newRow("more costings than items") << 1500 << 40;
        QTest::newRow("no costings") << 0 << 10;
    }

    void sizesFollowOptions()
    {
        QFETCH(int, costings);
        QFETCH(int, items);
        const auto connection = openNewDatabase(true, fixedOptions(costings, items));

        QCOMPARE(count(connection, "select count(*) from loaLocalPurchaseCostingHeader"), costings);
        QCOMPARE(count(connection, "select count(*) from aItem"), items);
        const int bills = count(connection, "select count(*) from losLocalPurchaseHeader");
        QVERIFY2(bills >= costings * 1.1 && bills <= costings * 1.35 + 10, qPrintable(QString::number(bills)));
        const int details = count(connection, "select count(*) from loaLocalPurchaseCostingDetail");
        QVERIFY2(details >= costings * 2 && details <= costings * 6, qPrintable(QString::number(details)));
    }

    void progressRisesToAHundredPercent_data()
    {
        QTest::addColumn<int>("costings");
        QTest::newRow("few") << 3;
        QTest::newRow("many") << 700;
    }
    void progressRisesToAHundredPercent()
    {
        QFETCH(int, costings);
        QVector<int> told;
        DemoOptions options = fixedOptions(costings, 40);
        options.progress = [&told](int percent) { told.append(percent); };
        openNewDatabase(true, options);
        QVERIFY(!told.isEmpty());
        QCOMPARE(told.last(), 100);
        QVERIFY(std::is_sorted(told.begin(), told.end()));
        QVERIFY(std::adjacent_find(told.begin(), told.end()) == told.end());
        // Every step from 0 once, when there are enough rows to tell them all.
        if (costings > 100)
            QCOMPARE(told.size(), 101);
    }

    void refusesFileWithData()
    {
        const auto c = openNewDatabase(true, fixedOptions(10, 20));
        const int bills = count(c, "select count(*) from losLocalPurchaseHeader");
        QCOMPARE(errorNumberOf([&] { generateDemoData(*c, fixedOptions(10, 20, 99)); }), errnum::OperationNotAllowed);
        QCOMPARE(count(c, "select count(*) from losLocalPurchaseHeader"), bills);
        QVERIFY(!c->inTransaction());
    }

    // Each statement counts the rows that break one rule.
    void rowsAgree_data()
    {
        QTest::addColumn<QString>("violations");
        const QString costingAndBill = "select count(*) from loaLocalPurchaseCostingHeader c, losLocalPurchaseHeader b"
                                       " where b.lphBillID = c.lpchbillid and b.lphShopID = c.lpchshopid and ";

        // the register joins every costing to its bill; the pending list and New offer only uncosted bills
        QTest::newRow("costing without its bill")
            << "select count(*) from loaLocalPurchaseCostingHeader c where not exists (select 1 from losLocalPurchaseHeader b "
               "where b.lphBillID = c.lpchbillid and b.lphShopID = c.lpchshopid)";
        QTest::newRow("live costing of an uncosted bill") << costingAndBill + "c.lpchcancelled = 0 and b.lphcosted <> 1";
        QTest::newRow("cancelled costing of a costed bill") << costingAndBill + "c.lpchcancelled = 1 and b.lphcosted <> 0";
        QTest::newRow("costed bill without a live costing")
            << "select count(*) from losLocalPurchaseHeader b where b.lphcosted = 1 and not exists (select 1 from "
               "loaLocalPurchaseCostingHeader c where c.lpchbillid = b.lphBillID and c.lpchshopid = b.lphShopID and c.lpchcancelled = 0)";
        QTest::newRow("bill costed twice")
            << "select count(*) from losLocalPurchaseHeader b where (select count(*) from loaLocalPurchaseCostingHeader c "
               "where c.lpchbillid = b.lphBillID and c.lpchshopid = b.lphShopID) > 1";
        QTest::newRow("costing of an unconfirmed or cancelled bill")
            << costingAndBill + "(b.lphConfirmed <> 1 or b.lphcancelled <> 0)";
        QTest::newRow("costing department unlike the bill's") << costingAndBill + "b.lphDepartmentID <> c.lpchDepartmentid";
        // the edit window shows the saved lines beside the bill's
        QTest::newRow("details unlike the bill's lines")
            << "select count(*) from loaLocalPurchaseCostingHeader c where (select count(*) from loaLocalPurchaseCostingDetail d "
               "where d.lpcdcostingid = c.lpchcostingid) <> (select count(*) from losLocalPurchaseDetail l "
               "where l.lpdbillid = c.lpchbillid and l.lpdShopId = c.lpchshopid)";
        QTest::newRow("detail of an item not on the bill")
            << "select count(*) from loaLocalPurchaseCostingDetail d, loaLocalPurchaseCostingHeader c where "
               "d.lpcdcostingid = c.lpchcostingid and not exists (select 1 from losLocalPurchaseDetail l where "
               "l.lpdbillid = c.lpchbillid and l.lpdShopId = c.lpchshopid and l.lpditemid = d.lpcditemid and "
               "l.lpditemquantity = d.lpcditemqty)";
        // the pending list joins the vendor; the preview finds the bill by its number
        QTest::newRow("bill of an unknown vendor, shop or department")
            << "select count(*) from losLocalPurchaseHeader b where not exists (select 1 from aVendorMaster v where "
               "v.VendorID = b.lphVendorID and v.companyid = b.lphCompanyID) or not exists (select 1 from aShops s where "
               "s.ShopId = b.lphShopID) or not exists (select 1 from aDepartmentMaster d where d.DepartmentID = b.lphDepartmentID)";
        QTest::newRow("bill numbers repeated") << "select count(*) - count(distinct lphBillNo) from losLocalPurchaseHeader";
        // the numbering reads the numbers after the department's prefix
        QTest::newRow("costing numbers repeated")
            << "select count(*) - count(distinct lpchcostingno) from loaLocalPurchaseCostingHeader";
        QTest::newRow("costing number without its department's prefix")
            << "select count(*) from loaLocalPurchaseCostingHeader c where not exists (select 1 from aPrefix p where "
               "p.departmentID = c.lpchDepartmentid and p.InterfaceID = 2011 and p.ShopId is null and p.FinancialId = "
               "(select FinancialId from aFinancialYear where CurFinancialYear = 1) and "
               "substring(c.lpchcostingno, 1, len(p.Prefix)) = p.Prefix and isnumeric(substring(c.lpchcostingno, "
               "len(p.Prefix) + 1, 20)) = 1)";
    }

    void rowsAgree()
    {
        QFETCH(QString, violations);
        QCOMPARE(count(standardDemo(), violations), 0);
    }

    // What the windows and the other tests need to find in the file.
    void everyKindOfRowIsThere_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("atLeast");

        const QString costings = "select count(*) from loaLocalPurchaseCostingHeader where ";
        const QString bills = "select count(*) from losLocalPurchaseHeader where ";
        QTest::newRow("fixed costings") << costings + "lpchCostingDone = 1" << 10;
        QTest::newRow("open costings") << costings + "lpchCostingDone = 0 and lpchcancelled = 0" << 5;
        QTest::newRow("cancelled costings") << costings + "lpchcancelled = 1" << 1;
        QTest::newRow("bills waiting in department 1")
            << bills + "lphcosted=0 and  lphcancelled=0 and lphDepartmentID= 1 and lphCompanyID=1 and lphConfirmed=1" << 2;
        QTest::newRow("unconfirmed bills") << bills + "lphConfirmed = 0" << 2;
        QTest::newRow("cancelled bills") << bills + "lphcancelled = 1" << 2;
        QTest::newRow("costings of each costing department")
            << "select min(n) from (select count(*) n from loaLocalPurchaseCostingHeader group by lpchDepartmentid) x" << 5;
    }

    void everyKindOfRowIsThere()
    {
        QFETCH(QString, sql);
        QFETCH(int, atLeast);
        const int found = count(standardDemo(), sql);
        QVERIFY2(found >= atLeast, qPrintable(QString("%1 found").arg(found)));
    }

    void rightsForCostingInterface_data()
    {
        QTest::addColumn<int>("user");
        QTest::addColumn<QString>("rights"); // null: no rights row
        QTest::addColumn<QList<int>>("departments");

        QTest::newRow("ADMIN") << demo::adminUserId << "NEDP"
                               << QList<int>{demo::purchaseDepartmentId, demo::storesDepartmentId,
                                             demo::importsDepartmentId, demo::accountsDepartmentId};
        QTest::newRow("RAVI") << demo::clerkUserId << "EP" << QList<int>{demo::purchaseDepartmentId, demo::storesDepartmentId};
        QTest::newRow("MEERA") << demo::viewerUserId << QString() << QList<int>{demo::purchaseDepartmentId};
    }

    void rightsForCostingInterface()
    {
        QFETCH(int, user);
        QFETCH(QString, rights);
        QFETCH(QList<int>, departments);
        const auto connection = standardDemo();

        const auto found = queryRows(connection, "select functionrights from auserrights where userid = ? and interfaceid = 2011",
                                     {user});
        QCOMPARE(found.size(), rights.isNull() ? 0 : 1);
        QCOMPARE(found.value(0).value(0).toString(), rights);

        QList<int> ids;
        for (const auto &row : queryRows(connection, "select d.DepartmentId from adepartmentmaster d,aUserDeptDetails u  Where"
                 " d.Companyid = u.Companyid And u.userid = ? and d.DepartmentID=u.DeptID and  d.CompanyId= 1 order by 1", {user}))
            ids << row[0].toInt();
        QCOMPARE(ids, departments);
    }

    // Every bill's rate text reads as the item grid reads it; a costing's prices are the ones the
    // grid works out from the bill's line; the new cost price is a weighted average of the old one
    // and that price; the item master holds the last fixed one.
    void costPricesFollowBillsAndRates()
    {
        const auto c = standardDemo();
        QHash<QString, double> rateOfBill; // "bill|shop"
        int converted = 0;
        for (const auto &row : queryRows(c, "select b.lphBillID, b.lphShopID, b.lphexchangerates, v.CurrencyID from"
                                            " losLocalPurchaseHeader b, aVendorMaster v where v.VendorID = b.lphVendorID")) {
            double rate = 0;
            QCOMPARE(errorNumberOf([&] { rate = exchangerate::comparedRate(row[2].toString(), qint16(row[3].toInt()),
                                                                            qint16(demo::baseCurrencyId)); }), 0);
            // a foreign vendor's currency has its own rate in the text
            QVERIFY2(rate > 0 && (rate != 1.0) == (row[3].toInt() != demo::baseCurrencyId), qPrintable(row[2].toString()));
            rateOfBill.insert(row[0].toString() + '|' + row[1].toString(), rate);
            converted += rate != 1.0;
        }
        QVERIFY(converted > 0);

        const auto rows = queryRows(c,
            "select b.lphBillID, b.lphShopID, l.lpditemunitprice, l.lpditemquantity, d.lpcdbillunitprice, d.lpcdcostedprice, "
            "d.lpcdolditemcostprice, d.lpcdnewitemcostprice from loaLocalPurchaseCostingDetail d, loaLocalPurchaseCostingHeader c, "
            "losLocalPurchaseHeader b, losLocalPurchaseDetail l where d.lpcdcostingid = c.lpchcostingid and b.lphBillID = "
            "c.lpchbillid and b.lphShopID = c.lpchshopid and l.lpdbillid = b.lphBillID and l.lpdShopId = b.lphShopID and "
            "l.lpditemid = d.lpcditemid");
        QCOMPARE(rows.size(), count(c, "select count(*) from loaLocalPurchaseCostingDetail"));
        for (const auto &row : rows) {
            const double rate = rateOfBill.value(row[0].toString() + '|' + row[1].toString());
            const double expected = round3(exchangerate::lineCostPrice(row[2], row[3], rate));
            QCOMPARE(row[4].toDouble(), expected);
            QCOMPARE(row[5].toDouble(), expected);
            const double oldRate = row[6].toDouble();
            const double newRate = row[7].toDouble();
            QVERIFY(newRate >= std::min(oldRate, expected) - 1e-9 && newRate <= std::max(oldRate, expected) + 1e-9);
        }

        const auto lastFixed = queryRows(c,
            "select i.itemrate, d.lpcdnewitemcostprice from aItem i, loaLocalPurchaseCostingDetail d where d.lpcddetailid = "
            "(select max(x.lpcddetailid) from loaLocalPurchaseCostingDetail x, loaLocalPurchaseCostingHeader h where "
            "x.lpcdcostingid = h.lpchcostingid and h.lpchCostingDone = 1 and x.lpcditemid = i.itemid)");
        QVERIFY(!lastFixed.isEmpty());
        for (const auto &row : lastFixed)
            QCOMPARE(row[0].toDouble(), row[1].toDouble());
    }

    // The register's date window leaves a few costings out; nothing lies after the file's
    // moment; costing ids follow the order the costings were made in.
    void registerWindowShowsMostCostings()
    {
        const auto c = standardDemo();
        const QString from = kProcessDate.date().addDays(-demo::backNoofDays).toString("yyyyMMdd");
        const int total = count(c, "select count(*) from loaLocalPurchaseCostingHeader");
        const int shown = count(c, QString("select count(*) from loaLocalPurchaseCostingHeader loih where loih.lpchdate>='%1'").arg(from));
        QVERIFY2(shown >= total * 3 / 4 && shown < total, qPrintable(QString("%1 of %2").arg(shown).arg(total)));
        QCOMPARE(count(c, "select count(*) from loaLocalPurchaseCostingHeader where lpchTime > ?", {kProcessDate}), 0);
        QCOMPARE(count(c, "select count(*) from losLocalPurchaseHeader where lphBillDate > ? or lphBillTime > ?", {kProcessDate, kProcessDate}), 0);
        QCOMPARE(count(c, "select count(*) from loaLocalPurchaseCostingHeader where lpchcostingid <> (select count(*) from"
                          " loaLocalPurchaseCostingHeader x where x.lpchTime <= loaLocalPurchaseCostingHeader.lpchTime)"), 0);
    }

    void numberingContinuesEachDepartment_data()
    {
        QTest::addColumn<int>("department");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("Purchase") << demo::purchaseDepartmentId << "LPC-";
        QTest::newRow("Stores") << demo::storesDepartmentId << "ST/LPC-";
        QTest::newRow("Imports") << demo::importsDepartmentId << "IM/LPC-";
        QTest::newRow("Accounts, without costings") << demo::accountsDepartmentId << "AC/LPC-";
    }

    // The next number is the department's prefix and one more than its count of costings.
    void numberingContinuesEachDepartment()
    {
        QFETCH(int, department);
        QFETCH(QString, prefix);
        const auto c = standardDemo();
        const int costings = count(c, "select count(*) from loaLocalPurchaseCostingHeader where lpchDepartmentid = ?", {department});
        QCOMPARE(GenerateCostingNo(c, department, qint16(department)), prefix + QString::number(costings + 1));
    }
};

QTEST_GUILESS_MAIN(TestDemoData)
#include "tst_demodata.moc"
