// The embedded file's schema: its version and upgrade, names and text compared as SQL Server
// compares them, the rowguid catalogue, and indexes for the lookups a save repeats per item.
#include "fixtures.h"
#include "statementtexts.h"
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

        const auto info = detail::engineOf(*connection).tableInfo(table.toUpper());
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
        const auto info = detail::engineOf(*connection).tableInfo(table);
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
        const QVector<int> items = {30, 10, 20, 15, 5, 25, 8, 12, 40, 1, 33};
        for (const int item : items)
            addBillLine(connection, 7, 2, item, 1, 10);
        addBillLine(connection, 7, 3, 99, 1, 10);

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
        m_demoPath = newDatabasePath("plans");
        const ConnectionPtr demo = openNewDatabase(m_demoPath, true, DemoOptions{60, 120, 2011, kProcessDate, {}});
        ModuleStatements sent(demo, demoStatementIds(demo, kProcessDate.date()));
        const auto row = [&sent](const char *name, const char *statement) { QTest::newRow(name) << sent.text(statement); };

        row("godown stock of an item", "cost: godown stock");
        row("shop stock of an item", "cost: shop stock");
        row("item cost price", "cost: item rate");
        row("item description", "grid: item description");
        row("uncosted quantity of an item", "cost: quantity on uncosted bills");
        row("next costing id", "save: new id");
        row("next detail id", "save: next detail id");
        row("bill already costed", "save: bill costed already");
        QTest::newRow("details of a costing")
            << "select lpcditemid,lpcdolditemcostprice, lpchCostingDone  from  loalocalpurchasecostingdetail, "
               "loalocalpurchasecostingheader where lpcdcostingid=9 and lpchCostingid=lpcdcostingid ";
        row("costing for editing", "grid: saved costing lines");
        row("lines of a bill", "grid: bill lines by rowguid");
        row("vendor currency of a bill", "grid: vendor currency");
        row("rates of a bill", "grid: exchange rates");
        QTest::newRow("bill by number") << "select lphVendorID from loslocalpurchaseheader where lphBillNo='LP/MGR/12'";
        row("item master update", "save: item rate fixed");
        row("shipment lines flagged", "save: shipment lines flagged");
        row("bill marked costed", "save: bill marked costed");
        QTest::newRow("bill made uncosted")
            << "update loslocalpurchaseheader set lphcosted =0  where lphBillid=(select lpchbillid from "
               "loalocalpurchasecostingheader where  lpchcostingid=9) and lphshopid= (select lpchshopid from "
               "loalocalpurchasecostingheader where  lpchcostingid=9)";
        row("details deleted", "save: edit removes the detail rows");
        row("register of a department", "register: department 1");
        row("one register row", "register: one row refreshed");
    }

    // Statements that run per item of a save, per costing, or that pick a few rows out of
    // the register must find their rows through keys, never by reading a whole table.
    void lookupsUseIndexes()
    {
        QFETCH(QString, sql);
        const QStringList plan = queryPlan(m_demoPath, sql);
        QVERIFY2(!plan.isEmpty(), qPrintable(sql));
        for (const QString &step : plan)
            QVERIFY2(!step.startsWith("SCAN ") || step == "SCAN CONSTANT ROW", qPrintable(plan.join(" | ")));
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
