#include "testsupport.h"

#include "db/engine.h"
#include "db/error.h"
#include "db/schema.h"
#include "db/tables.h"

#include <QtTest>

using namespace kadu2217;
using namespace kadu2217::testsupport;
using detail::ColumnKind;

namespace {

bool planScans(const QStringList &plan)
{
    for (const QString &step : plan) {
        if (step.startsWith(QLatin1String("SCAN ")) && step != QLatin1String("SCAN CONSTANT ROW"))
            return true;
    }
    return false;
}

} // namespace

class TestSchema : public QObject {
    Q_OBJECT

private slots:
    void newFileGetsCurrentVersion();
    void createRefusesFileWithSchema();
    void upgradeLeavesCurrentFileAlone();
    void upgradeRefusesNewerFile();
    void everyColumnExists_data();
    void everyColumnExists();
    void columnTypes_data();
    void columnTypes();
    void textComparesLikeSqlServer();
    void objectIdKnowsEveryTableAndView();
    void syscolumnsMarksRowguid_data();
    void syscolumnsMarksRowguid();
    void linesWithoutGuidKeepInsertOrder();
    void lookupsUseIndexes_data();
    void lookupsUseIndexes();

private:
    QString m_demoPath;
};

void TestSchema::newFileGetsCurrentVersion()
{
    const QString path = newDatabasePath();
    auto connection = openDatabase(path);
    QCOMPARE(schemaVersion(*connection), 0);
    createSchema(*connection);
    QVERIFY(latestSchemaVersion() >= 1);
    QCOMPARE(schemaVersion(*connection), latestSchemaVersion());
    QCOMPARE(queryValue(connection, QStringLiteral("select count(*) from schema_version")).toInt(), 1);

    connection.reset();
    QCOMPARE(schemaVersion(*openDatabase(path)), latestSchemaVersion());
}

void TestSchema::createRefusesFileWithSchema()
{
    auto connection = openNewDatabase();
    QCOMPARE(errorNumberOf([&] { createSchema(*connection); }), errnum::OperationNotAllowed);
    QCOMPARE(schemaVersion(*connection), latestSchemaVersion());
}

void TestSchema::upgradeLeavesCurrentFileAlone()
{
    auto connection = openNewDatabase();
    const auto objectsBefore = queryRows(connection, QStringLiteral("select id, name from sys_objects order by id"));
    connection->execute(QStringLiteral("insert into aUsers (userid, username) values (7, 'KEPT')"));

    upgradeSchema(*connection);
    upgradeSchema(*connection);

    QCOMPARE(schemaVersion(*connection), latestSchemaVersion());
    QCOMPARE(queryRows(connection, QStringLiteral("select id, name from sys_objects order by id")), objectsBefore);
    QCOMPARE(queryValue(connection, QStringLiteral("select username from aUsers where userid = 7")).toString(),
             QStringLiteral("KEPT"));
    QVERIFY(!connection->inTransaction());
}

void TestSchema::upgradeRefusesNewerFile()
{
    auto connection = openNewDatabase();
    connection->execute(QStringLiteral("update schema_version set version = ?"), {latestSchemaVersion() + 1});
    QCOMPARE(errorNumberOf([&] { upgradeSchema(*connection); }), errnum::OperationNotAllowed);
    QCOMPARE(schemaVersion(*connection), latestSchemaVersion() + 1);
}

void TestSchema::everyColumnExists_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");

    QTest::newRow("costing header") << "loaLocalPurchaseCostingHeader"
        << QStringList{"lpchcostingid", "lpchcostingno", "lpchdate", "lpchTime", "lpchcompanyid", "lpchshopid",
                       "lpchbillid", "lpchDepartmentid", "lpchremarks", "lpchrecadduser", "lpchrecmodifiyuser",
                       "lpchInventoryaccid", "lpchgoodsintransitaccid", "lpchCostingDone", "lpchcostingdoneby",
                       "lpchcancelled", "lpchposted", "updatetime"};
    QTest::newRow("costing detail") << "loaLocalPurchaseCostingDetail"
        << QStringList{"lpcddetailid", "lpcdcostingid", "lpcditemid", "lpcditemqty", "lpcdbillunitprice",
                       "lpcdcostedprice", "lpcdolditemcostprice", "lpcdnewitemcostprice"};
    QTest::newRow("bill header") << "losLocalPurchaseHeader"
        << QStringList{"lphBillID", "lphShopID", "lphBillNo", "lphBillDate", "lphBillTime", "lphBillAmount",
                       "lphVendorID", "lphCompanyID", "lphDepartmentID", "lphcosted", "lphcancelled",
                       "lphConfirmed", "lphexchangerates"};
    QTest::newRow("bill detail") << "losLocalPurchaseDetail"
        << QStringList{"lpdbillid", "lpdShopId", "lpditemid", "lpditemquantity", "lpditemunitprice", "rowguid"};
    QTest::newRow("shipment") << "losShopItemShipmentDetail" << QStringList{"itemid", "pricechanged"};
    QTest::newRow("item") << "aItem" << QStringList{"itemid", "itemcode", "itemdescription", "itemrate"};
    QTest::newRow("item description") << "vwItemDescription" << QStringList{"itemid", "itemdescription"};
    QTest::newRow("godown stock") << "vwInquiryGodownStock" << QStringList{"gsitemid", "gsstock"};
    QTest::newRow("shop stock") << "vwInquiryShopStock" << QStringList{"itemid", "stock"};
    QTest::newRow("shops") << "aShops" << QStringList{"ShopId", "shopname"};
    QTest::newRow("vendors") << "aVendorMaster" << QStringList{"VendorID", "vendorname", "CurrencyID", "companyid"};
    QTest::newRow("currencies") << "aCurrencyMaster" << QStringList{"CurrencyID", "Symbol"};
    QTest::newRow("accounts") << "aAccountMaster" << QStringList{"accountid", "companyid", "currencyid"};
    QTest::newRow("departments") << "aDepartmentMaster" << QStringList{"DepartmentID", "DepartmentName", "Companyid"};
    QTest::newRow("user departments") << "aUserDeptDetails" << QStringList{"userid", "DeptID", "Companyid"};
    QTest::newRow("users") << "aUsers" << QStringList{"userid", "username"};
    QTest::newRow("bill users") << "lousers" << QStringList{"userid", "UserName"};
    QTest::newRow("rights") << "aUserRights" << QStringList{"userid", "interfaceid", "functionrights"};
    QTest::newRow("package settings") << "aPackageSettings"
        << QStringList{"companyid", "backNoofDays", "inventoryid", "GoodsInTransitID", "CompanyDepartment", "Alias"};
    QTest::newRow("aliases") << "aAlias" << QStringList{"Aliasid", "Alias"};
    QTest::newRow("prefixes") << "aPrefix" << QStringList{"Prefix", "departmentID", "FinancialId", "InterfaceID", "ShopId"};
    QTest::newRow("financial years") << "aFinancialYear" << QStringList{"FinancialId", "CurFinancialYear"};
    QTest::newRow("caption tables") << "aTables" << QStringList{"tableid", "tablename"};
    QTest::newRow("caption columns") << "aTableColumns" << QStringList{"tableid", "columnid", "columnname", "ColumnHeader"};
    QTest::newRow("layout header") << "aListViewHeader" << QStringList{"lvwid", "lvwtransname", "lvwname", "lvwmodulename"};
    QTest::newRow("layout detail") << "aListViewDetails"
        << QStringList{"lvwdid", "lvwcolid", "lvwdcolname", "lvwdcolwidth", "lvwdcolalign"};
    QTest::newRow("audit trail") << "aAuditTrail"
        << QStringList{"AuditID", "CompanyID", "UserID", "DepartmentID", "InterfaceID", "DocumentID", "DocumentNo",
                       "AuditAction", "LoggedTime", "SavedTime", "Flag"};
    QTest::newRow("error log") << "aErrorLog"
        << QStringList{"ErrorID", "ErrorTime", "WindowName", "UserName", "ProcedureName", "ErrorNumber",
                       "ErrorSource", "ErrorDescription", "Mode", "Flag"};
    QTest::newRow("grid layout") << "aGridLayout"
        << QStringList{"UserID", "CompanyID", "GridName", "ColumnIndex", "ColumnPosition", "ColumnWidth"};
    QTest::newRow("catalogue") << "syscolumns" << QStringList{"id", "name", "colstat"};
}

// Each name is also tried in upper and in lower case: the module spells names several ways.
void TestSchema::everyColumnExists()
{
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    static const auto connection = openNewDatabase();

    const auto info = connection->engine().tableInfo(table);
    for (const QString &column : columns)
        QVERIFY2(info->indexOf(column) >= 0, qPrintable(column));

    const QString list = columns.join(QStringLiteral(", "));
    for (const QString &sql : {QStringLiteral("select %1 from %2 where 1 = 0").arg(list, table),
                               QStringLiteral("select %1 from %2 where 1 = 0").arg(list.toUpper(), table.toUpper()),
                               QStringLiteral("select %1 from %2 where 1 = 0").arg(list.toLower(), table.toLower())})
        QVERIFY2(queryRows(connection, sql).isEmpty(), qPrintable(sql));
}

void TestSchema::columnTypes_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("maxLength");

    const auto row = [](const char *name, const char *table, const char *column, ColumnKind kind, int maxLength = 0) {
        QTest::newRow(name) << table << column << int(kind) << maxLength;
    };
    row("costing id", "loaLocalPurchaseCostingHeader", "lpchcostingid", ColumnKind::Integer);
    row("costing date", "loaLocalPurchaseCostingHeader", "lpchdate", ColumnKind::DateTime);
    row("costing time", "loaLocalPurchaseCostingHeader", "lpchTime", ColumnKind::DateTime);
    row("update time", "loaLocalPurchaseCostingHeader", "updatetime", ColumnKind::DateTime);
    row("remarks", "loaLocalPurchaseCostingHeader", "lpchremarks", ColumnKind::Text, 240);
    row("costing done", "loaLocalPurchaseCostingHeader", "lpchCostingDone", ColumnKind::Bit);
    row("cancelled", "loaLocalPurchaseCostingHeader", "lpchcancelled", ColumnKind::Bit);
    row("costed price", "loaLocalPurchaseCostingDetail", "lpcdcostedprice", ColumnKind::Float);
    row("quantity", "loaLocalPurchaseCostingDetail", "lpcditemqty", ColumnKind::Float);
    row("bill date", "losLocalPurchaseHeader", "lphBillDate", ColumnKind::DateTime);
    row("bill time", "losLocalPurchaseHeader", "lphBillTime", ColumnKind::DateTime);
    row("bill costed", "losLocalPurchaseHeader", "lphcosted", ColumnKind::Bit);
    row("exchange rates", "losLocalPurchaseHeader", "lphexchangerates", ColumnKind::Text);
    row("line price", "losLocalPurchaseDetail", "lpditemunitprice", ColumnKind::Float);
    row("item rate", "aItem", "itemrate", ColumnKind::Float);
    row("alias flag", "aPackageSettings", "Alias", ColumnKind::Bit);
}

void TestSchema::columnTypes()
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
void TestSchema::textComparesLikeSqlServer()
{
    auto connection = openNewDatabase();
    connection->execute(QStringLiteral("insert into aUsers (userid, username) values (1, 'Admin  ')"));
    connection->execute(QStringLiteral("insert into aTables (tableid, tablename) values (1, 'LoaLocalPurchaseCostingHeader')"));

    QCOMPARE(queryValue(connection, QStringLiteral("select userid from ausers where username = 'ADMIN'")).toInt(), 1);
    QCOMPARE(queryValue(connection, QStringLiteral("select count(*) from atables where tablename ='loalocalpurchasecostingheader'")).toInt(), 1);
    QCOMPARE(errorNumberOf([&] {
                 connection->execute(QStringLiteral("insert into aTables (tableid, tablename) values (2, 'LOALOCALPURCHASECOSTINGHEADER ')"));
             }),
             errnum::Constraint);
}

void TestSchema::objectIdKnowsEveryTableAndView()
{
    auto connection = openNewDatabase();
    QStringList expected = {
        "loaLocalPurchaseCostingHeader", "loaLocalPurchaseCostingDetail", "losLocalPurchaseHeader",
        "losLocalPurchaseDetail", "losShopItemShipmentDetail", "aItem", "vwItemDescription", "aGodown",
        "losGodownStock", "losShopStock", "vwInquiryGodownStock", "vwInquiryShopStock", "aShops", "aCurrencyMaster",
        "aVendorMaster", "aAccountMaster", "aDepartmentMaster", "aUsers", "lousers", "aUserDeptDetails",
        "aUserRights", "aPackageSettings", "aAlias", "aFinancialYear", "aPrefix", "aTables", "aTableColumns",
        "aListViewHeader", "aListViewDetails", "aAuditTrail", "aErrorLog", "aGridLayout", "sys_objects",
        "syscolumns", "schema_version"};
    QStringList listed;
    for (const auto &row : queryRows(connection, QStringLiteral("select name from sys_objects")))
        listed << row[0].toString();
    listed.sort(Qt::CaseInsensitive);
    expected.sort(Qt::CaseInsensitive);
    QCOMPARE(listed, expected);

    QSet<int> ids;
    for (const QString &name : expected) {
        const QVariant id = queryValue(connection, QStringLiteral("select object_id('%1')").arg(name.toLower()));
        QVERIFY2(id.isValid(), qPrintable(name));
        ids.insert(id.toInt());
    }
    QCOMPARE(ids.size(), expected.size());
    QVERIFY(!queryValue(connection, QStringLiteral("select object_id('nosuchtable')")).isValid());
}

void TestSchema::syscolumnsMarksRowguid_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("marked");
    QTest::newRow("bill lines") << "loslocalpurchasedetail" << 1;
    QTest::newRow("bill lines, other spelling") << "losLocalPurchaseDetail" << 1;
    QTest::newRow("costing detail") << "loalocalpurchasecostingdetail" << 0;
    QTest::newRow("no such table") << "nosuchtable" << 0;
}

// The text the item grid sends to decide whether bill lines come ordered by rowguid.
void TestSchema::syscolumnsMarksRowguid()
{
    QFETCH(QString, table);
    QFETCH(int, marked);
    static const auto connection = openNewDatabase();
    const QString sql = QStringLiteral("select count(*) from syscolumns where id=object_id('%1') and  colstat=2").arg(table);
    QCOMPARE(queryValue(connection, sql).toInt(), marked);
    if (marked)
        QCOMPARE(queryValue(connection, QStringLiteral("select name from syscolumns where id=object_id('%1') and colstat=2")
                                            .arg(table)).toString(),
                 QStringLiteral("rowguid"));
}

void TestSchema::linesWithoutGuidKeepInsertOrder()
{
    auto connection = openNewDatabase();
    const QString insert = QStringLiteral(
        "insert into losLocalPurchaseDetail (lpdbillid, lpdShopId, lpditemid, lpditemquantity, lpditemunitprice) "
        "values (?, ?, ?, ?, ?)");
    const QVector<int> items = {30, 10, 20, 15, 5, 25, 8, 12, 40, 1, 33};
    for (const int item : items)
        connection->execute(insert, {7, 2, item, 1.0, 10.0});
    connection->execute(insert, {7, 3, 99, 1.0, 10.0});

    const auto rows = queryRows(connection, QStringLiteral(
        "select loid.lpditemid, loid.rowguid from loslocalpurchasedetail loid where lpdbillid=7 and lpdShopId=2 "
        "order by loid.rowguid"));
    QCOMPARE(rows.size(), items.size());
    QSet<QString> guids;
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows[i][0].toInt(), items[i]);
        QCOMPARE(rows[i][1].toString().size(), 36);
        guids.insert(rows[i][1].toString());
    }
    QCOMPARE(guids.size(), items.size());
}

void TestSchema::lookupsUseIndexes_data()
{
    QTest::addColumn<QString>("sql");

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
    QTest::newRow("shipment lines flagged")
        << "Update losshopitemshipmentdetail set  pricechanged=1 where  itemid=17";
    QTest::newRow("bill marked costed")
        << "update loslocalpurchaseheader set lphcosted=1,lphBillTime='20120315' where  lphBillid=5 and lphShopId=2";
    QTest::newRow("bill made uncosted")
        << "update loslocalpurchaseheader set lphcosted =0  where lphBillid=(select lpchbillid from "
           "loalocalpurchasecostingheader where  lpchcostingid=9) and lphshopid= (select lpchshopid from "
           "loalocalpurchasecostingheader where  lpchcostingid=9)";
    QTest::newRow("details deleted") << "delete from loalocalpurchasecostingdetail where lpcdcostingid=9";
    QTest::newRow("register of a department")
        << "select lpchcostingid,lpchcostingno,lpchdate,sd.shopname,lh.lphBillNo,lh.lphBillAmount,"
           "case lpchcancelled when 1 then 'Yes' when 0 then 'No' end  lpchcancelled, "
           "case lpchCostingDone when 1 then 'Yes' when 0 then 'No' end  lpchCostingDone "
           "from loslocalpurchaseheader lh,loalocalpurchasecostingheader loih left outer join ashops sd on "
           " loih.lpchshopid=sd.shopid  where lh.lphShopID=lpchshopid and  lpchDepartmentid=1"
           " and lh.lphBillID=loih.lpchBillid and loih.lpchdate>='20120214' order by lpchcostingid";
    QTest::newRow("one register row")
        << "select lpchcostingid,lpchcostingno,lpchdate,sd.shopname,lh.lphBillNo,lh.lphBillAmount,"
           "case lpchcancelled when 1 then 'Yes' when 0 then 'No' end  lpchcancelled, "
           "case lpchCostingDone when 1 then 'Yes' when 0 then 'No' end  lpchCostingDone "
           "from loslocalpurchaseheader lh,loalocalpurchasecostingheader loih left outer join ashops sd on "
           " loih.lpchshopid=sd.shopid  where lh.lphShopID=lpchshopid and lh.lphBillID=loih.lpchBillid and "
           "lpchcostingid=9";
}

// Statements that run per item of a save, per costing, or that pick a few rows out of
// the register must find their rows through keys, never by reading a whole table.
void TestSchema::lookupsUseIndexes()
{
    QFETCH(QString, sql);
    if (m_demoPath.isEmpty()) {
        m_demoPath = newDatabasePath(QStringLiteral("plans"));
        DemoOptions options;
        options.now = QDateTime(QDate(2012, 3, 15), QTime(10, 0));
        openNewDatabase(m_demoPath, true, options);
    }
    const QStringList plan = queryPlan(m_demoPath, sql);
    QVERIFY2(!plan.isEmpty(), qPrintable(sql));
    QVERIFY2(!planScans(plan), qPrintable(plan.join(QStringLiteral(" | "))));
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
