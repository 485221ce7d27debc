// The embedded file's schema: its version and upgrade, names and text compared as SQL Server
// compares them, the rowguid catalogue, and indexes for the lookups a save repeats per item.
#include "testsupport.h"

#include "db/engine.h"
#include "db/error.h"
#include "db/schema.h"

#include <QtTest>

using namespace kadu2217;
using namespace kadu2217::testsupport;
using detail::ColumnKind;

class TestSchema : public QObject {
    Q_OBJECT

private:
    QString m_demoPath;

private slots:
    void newFileGetsCurrentVersion()
    {
        const QString path = newDatabasePath();
        auto connection = openDatabase(path);
        QCOMPARE(schemaVersion(*connection), 0);
        createSchema(*connection);
        QVERIFY(latestSchemaVersion() >= 1);
        QCOMPARE(schemaVersion(*connection), latestSchemaVersion());
        QCOMPARE(queryValue(connection, "select count(*) from schema_version").toInt(), 1);

        connection.reset();
        QCOMPARE(schemaVersion(*openDatabase(path)), latestSchemaVersion());
    }

    void createRefusesFileWithSchema()
    {
        auto connection = openNewDatabase();
        QCOMPARE(errorNumberOf([&] { createSchema(*connection); }), errnum::OperationNotAllowed);
        QCOMPARE(schemaVersion(*connection), latestSchemaVersion());
    }

    void upgradeLeavesCurrentFileAlone()
    {
        auto connection = openNewDatabase();
        const QString objects = "select id, name from sys_objects order by id";
        const auto objectsBefore = queryRows(connection, objects);
        connection->execute("insert into aUsers (userid, username) values (7, 'KEPT')");

        upgradeSchema(*connection);
        upgradeSchema(*connection);

        QCOMPARE(schemaVersion(*connection), latestSchemaVersion());
        QCOMPARE(queryRows(connection, objects), objectsBefore);
        QCOMPARE(queryValue(connection, "select username from aUsers where userid = 7").toString(), QString("KEPT"));
        QVERIFY(!connection->inTransaction());
    }

    void upgradeRefusesNewerFile()
    {
        auto connection = openNewDatabase();
        connection->execute("update schema_version set version = ?", {latestSchemaVersion() + 1});
        QCOMPARE(errorNumberOf([&] { upgradeSchema(*connection); }), errnum::OperationNotAllowed);
        QCOMPARE(schemaVersion(*connection), latestSchemaVersion() + 1);
    }

    void namesIgnoreCase_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("costing header") << "loaLocalPurchaseCostingHeader"
                                        << QStringList{"lpchcostingid", "lpchCostingDone", "lpchDepartmentid", "lpchTime"};
        QTest::newRow("bill header") << "losLocalPurchaseHeader" << QStringList{"lphBillID", "lphShopId", "lphBilltime", "lphcosted"};
        QTest::newRow("settings, as the register spells them") << "aPAckageSettings" << QStringList{"Alias", "backNoofDays"};
        QTest::newRow("stock view") << "vwInquiryGodownStock" << QStringList{"gsitemid", "gsstock"};
        QTest::newRow("catalogue") << "syscolumns" << QStringList{"id", "name", "colstat"};
    }

    // The module spells a name several ways; each is also tried in upper and in lower case.
    void namesIgnoreCase()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, columns);
        static const auto connection = openNewDatabase();

        const auto info = connection->engine().tableInfo(table.toUpper());
        for (const QString &column : columns)
            QVERIFY2(info->indexOf(column.toUpper()) >= 0 && info->indexOf(column.toLower()) >= 0, qPrintable(column));
        const QString list = columns.join(", ");
        for (const QString &sql : {QString("select %1 from %2 where 1 = 0").arg(list, table),
                                   QString("select %1 from %2 where 1 = 0").arg(list.toUpper(), table.toUpper()),
                                   QString("select %1 from %2 where 1 = 0").arg(list.toLower(), table.toLower())})
            QVERIFY2(queryRows(connection, sql).isEmpty(), qPrintable(sql));
    }

    // Kinds that decide what a statement gives: datetimes read and cut as datetimes, the
    // remarks' limit, a flag read as a number, a rate text of any length.
    void columnKinds_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("maxLength");
        QTest::newRow("update time") << "loaLocalPurchaseCostingHeader" << "updatetime" << int(ColumnKind::DateTime) << 0;
        QTest::newRow("remarks") << "loaLocalPurchaseCostingHeader" << "lpchremarks" << int(ColumnKind::Text) << 240;
        QTest::newRow("bill time") << "losLocalPurchaseHeader" << "lphBillTime" << int(ColumnKind::DateTime) << 0;
        QTest::newRow("exchange rates") << "losLocalPurchaseHeader" << "lphexchangerates" << int(ColumnKind::Text) << 0;
        QTest::newRow("alias flag") << "aPackageSettings" << "Alias" << int(ColumnKind::Bit) << 0;
    }

    void columnKinds()
    {
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(int, kind);
        QFETCH(int, maxLength);
        static const auto connection = openNewDatabase();
        const auto info = connection->engine().tableInfo(table);
        const int index = info->indexOf(column);
        QVERIFY(index >= 0);
        QCOMPARE(int(info->columns[index].kind), kind);
        QCOMPARE(info->columns[index].maxLength, maxLength);
    }

    // Texts compare as under SQL Server's default collation: without regard to letter case
    // and to trailing blanks, in the data of every text column.
    void textComparesLikeSqlServer()
    {
        auto connection = openNewDatabase();
        connection->execute("insert into aUsers (userid, username) values (1, 'Admin  ')");
        connection->execute("insert into aTables (tableid, tablename) values (1, 'LoaLocalPurchaseCostingHeader')");

        QCOMPARE(queryValue(connection, "select userid from ausers where username = 'ADMIN'").toInt(), 1);
        QCOMPARE(queryValue(connection, "select count(*) from atables where tablename ='loalocalpurchasecostingheader'").toInt(), 1);
        QCOMPARE(errorNumberOf([&] {
                     connection->execute("insert into aTables (tableid, tablename) values (2, 'LOALOCALPURCHASECOSTINGHEADER ')");
                 }),
                 errnum::Constraint);
    }

    void syscolumnsMarksRowguid_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("marked"); // the column with colstat 2
        QTest::newRow("bill lines") << "loslocalpurchasedetail" << "rowguid";
        QTest::newRow("bill lines, other spelling") << "losLocalPurchaseDetail" << "rowguid";
        QTest::newRow("costing detail") << "loalocalpurchasecostingdetail" << "";
        QTest::newRow("no such table") << "nosuchtable" << "";
    }

    // The text the item grid sends to decide whether bill lines come ordered by rowguid.
    void syscolumnsMarksRowguid()
    {
        QFETCH(QString, table);
        QFETCH(QString, marked);
        static const auto connection = openNewDatabase();
        const QString condition = QString(" from syscolumns where id=object_id('%1') and  colstat=2").arg(table);
        QCOMPARE(queryValue(connection, "select count(*)" + condition).toInt(), marked.isEmpty() ? 0 : 1);
        QCOMPARE(queryValue(connection, "select name" + condition).toString(), marked);
    }

    // Lines written without a rowguid get one that sorts them in the order they were written.
    void linesWithoutGuidKeepInsertOrder()
    {
        auto connection = openNewDatabase();
        const QString insert = "insert into losLocalPurchaseDetail (lpdbillid, lpdShopId, lpditemid, lpditemquantity,"
                               " lpditemunitprice) values (?, ?, ?, 1, 10)";
        const QVector<int> items = {30, 10, 20, 15, 5, 25, 8, 12, 40, 1, 33};
        for (const int item : items)
            connection->execute(insert, {7, 2, item});
        connection->execute(insert, {7, 3, 99});

        const auto rows = queryRows(connection, "select loid.lpditemid, loid.rowguid from loslocalpurchasedetail loid"
                                                " where lpdbillid=7 and lpdShopId=2 order by loid.rowguid");
        QCOMPARE(rows.size(), items.size());
        QSet<QString> guids;
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i][0].toInt(), items[i]);
            QCOMPARE(rows[i][1].toString().size(), 36);
            guids.insert(rows[i][1].toString());
        }
        QCOMPARE(guids.size(), items.size());
    }

    void lookupsUseIndexes_data()
    {
        QTest::addColumn<QString>("sql");
        const QString registerRows =
            "select lpchcostingid,lpchcostingno,lpchdate,sd.shopname,lh.lphBillNo,lh.lphBillAmount,"
            "case lpchcancelled when 1 then 'Yes' when 0 then 'No' end  lpchcancelled, "
            "case lpchCostingDone when 1 then 'Yes' when 0 then 'No' end  lpchCostingDone "
            "from loslocalpurchaseheader lh,loalocalpurchasecostingheader loih left outer join ashops sd on "
            " loih.lpchshopid=sd.shopid  where lh.lphShopID=lpchshopid and ";

        QTest::newRow("godown stock of an item") << "select sum(gsstock) from vwinquirygodownstock where gsitemid=17";
        QTest::newRow("shop stock of an item") << "select sum(stock) from vwinquiryshopstock where itemid=17";
        QTest::newRow("item cost price") << "select itemrate from aitem where itemid=17";
        QTest::newRow("item description") << "select itemdescription from vwitemdescription where itemid=17";
        QTest::newRow("uncosted quantity of an item")
            << "select isnull(sum(lpdItemQuantity),0) from loslocalpurchaseheader h, loslocalpurchasedetail d where "
               " h.lphbillid=d.lpdbillid and h.lphShopId=d.lpdShopId and h.lphcosted=0  and d.lpditemid=17 and lphcancelled=0";
        QTest::newRow("next costing id") << "select isnull(max(lpchcostingid),0)+1 from loaLocalPurchaseCostingHeader";
        QTest::newRow("next detail id") << "select isnull(max(lpcddetailid),0)+1 from loalocalpurchasecostingdetail";
        QTest::newRow("bill already costed")
            << "SELECT lpchCostingNo FROM loaLocalPurchaseCostingHeader WHERE lpchBillId = 5 AND lpchCancelled <> 1"
               " AND lpchCostingId <> 9 AND lpchShopId = 2";
        QTest::newRow("details of a costing")
            << "select lpcditemid,lpcdolditemcostprice, lpchCostingDone  from  loalocalpurchasecostingdetail, "
               "loalocalpurchasecostingheader where lpcdcostingid=9 and lpchCostingid=lpcdcostingid ";
        QTest::newRow("costing for editing")
            << "select * from loaLocalPurchaseCostingHeader lih left outer join  loalocalpurchasecostingdetail lid on "
               "lih.lpchcostingid=lid.lpcdcostingid left outer join aitem  ai on lid.lpcditemid=ai.itemid where lih.lpchcostingid=9";
        QTest::newRow("lines of a bill")
            << "select * from loslocalpurchasedetail loid left outer join  aitem ai on loid.lpditemid=ai.itemid "
               "where lpdbillid=5 and lpdShopId=2 order by loid.rowguid";
        QTest::newRow("vendor currency of a bill")
            << "select v.currencyid from loslocalpurchaseheader h, avendormaster v where  h.lphCompanyID = v.companyid  "
               "and h.lphVendorID = v.vendorid and lphShopID=2 and lphBillID=5";
        QTest::newRow("rates of a bill") << "select lphexchangerates from loslocalpurchaseheader where  lphBillID=5";
        QTest::newRow("bill by number") << "select lphVendorID from loslocalpurchaseheader where lphBillNo='LP/MGR/12'";
        QTest::newRow("item master update") << "update aitem set itemrate=12.5 where itemid=17";
        QTest::newRow("shipment lines flagged") << "Update losshopitemshipmentdetail set  pricechanged=1 where  itemid=17";
        QTest::newRow("bill marked costed")
            << "update loslocalpurchaseheader set lphcosted=1,lphBillTime='20120315' where  lphBillid=5 and lphShopId=2";
        QTest::newRow("bill made uncosted")
            << "update loslocalpurchaseheader set lphcosted =0  where lphBillid=(select lpchbillid from "
               "loalocalpurchasecostingheader where  lpchcostingid=9) and lphshopid= (select lpchshopid from "
               "loalocalpurchasecostingheader where  lpchcostingid=9)";
        QTest::newRow("details deleted") << "delete from loalocalpurchasecostingdetail where lpcdcostingid=9";
        QTest::newRow("register of a department")
            << registerRows + " lpchDepartmentid=1 and lh.lphBillID=loih.lpchBillid and loih.lpchdate>='20120214' order by lpchcostingid";
        QTest::newRow("one register row") << registerRows + "lh.lphBillID=loih.lpchBillid and lpchcostingid=9";
    }

    // Statements that run per item of a save, per costing, or that pick a few rows out of
    // the register must find their rows through keys, never by reading a whole table.
    void lookupsUseIndexes()
    {
        QFETCH(QString, sql);
        if (m_demoPath.isEmpty()) {
            m_demoPath = newDatabasePath("plans");
            openNewDatabase(m_demoPath, true, DemoOptions{60, 120, 2011, QDateTime(QDate(2012, 3, 15), QTime(10, 0))});
        }
        const QStringList plan = queryPlan(m_demoPath, sql);
        QVERIFY2(!plan.isEmpty(), qPrintable(sql));
        for (const QString &step : plan)
            QVERIFY2(!step.startsWith("SCAN ") || step == "SCAN CONSTANT ROW", qPrintable(plan.join(" | ")));
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
