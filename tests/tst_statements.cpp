// Every statement text the module sends, as its code builds it, run unchanged on a
// demonstration file; and each text pinned once, word for word. A result is checked here only
// where no other test looks at it (the cancellation, the report lookups, the grid's column
// layout, a table name in mixed case, the numbering's odd suffixes); the other rows prove that
// the text runs and that the fields the windows read by name are there.
#include "db/connection.h"
#include "db/demodata.h"
#include "db/error.h"
#include "db/recordset.h"
#include "db/tsql/sqldatetime.h"
#include "fixtures.h"
#include "statementtexts.h"
#include "testsupport.h"

#include <QtTest>

using namespace kadu2217;
using namespace kadu2217::testsupport;

namespace {

using Seeds = QVector<std::function<void(const ConnectionPtr &)>>;

const QStringList kRuns = {QStringLiteral("(result checked elsewhere)")};
constexpr int kAccounts = demo::accountsDepartmentId; // raises no bills and no costings of its own

QString n(qint64 v) { return QString::number(v); }

// Rows as "a|b", NULL as "NULL", a whole double and an integer alike.
QString joined(const QVariantList &values)
{
    QStringList cells;
    for (const QVariant &v : values)
        cells << (v.isNull() ? QString("NULL") : v.typeId() == QMetaType::Double
                      ? QLocale::c().toString(v.toDouble(), 'g', QLocale::FloatingPointShortest) : v.toString());
    return cells.join('|');
}

QStringList plain(const ConnectionPtr &db, const QString &sql, const QVariantList &params = {})
{
    QStringList rows;
    for (const QVariantList &row : queryRows(db, sql, params))
        rows << joined(row);
    return rows;
}

} // namespace

Q_DECLARE_METATYPE(Seeds)

class TestStatements : public QObject {
    Q_OBJECT

private:
    ConnectionPtr m_db;
    StatementIds m_ids;

private slots:
    void initTestCase()
    {
        m_db = openDemoDatabase();
        m_ids = demoStatementIds(m_db, kDemoNow.date());
    }

    void cleanup()
    {
        if (m_db && m_db->inTransaction())
            m_db->rollbackTrans();
    }

    void runsOnTheDemoFile_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("expected"); // rows in any order; a write's "affected N" and the rows of `check` after it
        QTest::addColumn<QStringList>("fields");   // read by name; empty: every field in order
        QTest::addColumn<Seeds>("seeds");
        QTest::addColumn<QString>("check");
        const auto row = [](const char *name, const QString &sql, const QStringList &expected = kRuns,
                            const QStringList &fields = {}, const Seeds &seeds = {}, const QString &check = {}) {
            QTest::newRow(name) << sql << expected << fields << seeds << check;
        };
        ModuleStatements sent(m_db, m_ids);
        // Rows that prove only that the statement of their name runs.
        const auto runs = [&sent, &row](std::initializer_list<const char *> names) {
            for (const char *name : names)
                row(name, sent.text(name));
        };
        const QString costing = n(m_ids.costing);

        // the register
        row("register: alias flag, table name in mixed case", sent.text("register: alias flag"), {"0"});
        runs({"register: alias word", "register: days back", "register: department 1"});
        row("register: all departments, flags under their own names", sent.text("register: all departments"), kRuns,
            {"LPCHCOSTINGID", "lpchcancelled", "lpchCostingDone"});
        runs({"register: one row refreshed", "register: captions", "register: captions with aliases"});
        row("register: rights", sent.text("register: rights"), kRuns, {"FunctionRights"});

        // the entry window
        const char *costingToEdit = "entry: costing with its details and bill";
        row(costingToEdit, sent.text(costingToEdit), kRuns, {"lpchdate", "lpchremarks", "lpchCostingDone", "lphBillNo", "lpcddetailid"});
        runs({"entry: every department", "entry: the user's departments", "entry: company's department", "entry: shops, edit",
              "entry: shops, new", "entry: bills, new", "entry: bills, edit"});

        // the item grid
        runs({"grid: inventory currency", "grid: vendor currency", "grid: exchange rates", "grid: rowguid column",
              "grid: item description"});
        const char *billLines = "grid: bill lines by rowguid", *costingLines = "grid: saved costing lines";
        row(billLines, sent.text(billLines), kRuns, {"itemcode", "lpditemquantity", "lpditemunitprice", "lpditemid"});
        row(costingLines, sent.text(costingLines), kRuns, {"lpcditemqty", "lpcdcostedprice", "lpcdbillunitprice", "itemid", "itemcode"});
        // the demonstration file holds another grid's layout only
        row("grid: no layout stored", sent.text("grid: layout size"), {"0"});
        const Seeds layout = {[](const ConnectionPtr &c) {
            addGridLayout(c, 50, "  localpurchasecosting ", "mfgSplitDetails", " frmlocalpurchasecosting");
            addLayoutColumn(c, 50, 0, "No", 600, 1);
            addLayoutColumn(c, 50, 1, "Code", 0, 1);
            addLayoutColumn(c, 50, 2, "Item", 5000, 7);
        }};
        row("grid: stored layout, names trimmed and upper-cased", sent.text("grid: layout"),
            {"0|No|600|1", "1|Code|0|1", "2|Item|5000|7"}, {"lvwcolid", "lvwdcolname", "lvwdcolwidth", "lvwdcolalign"}, layout);

        // the item's cost
        runs({"cost: godown stock", "cost: item rate", "cost: quantity on uncosted bills"});

        // the save and its numbering
        runs({"save: new id", "save: server time", "save: inventory account"});
        row("save: header row to edit", sent.text("save: header row to edit"), kRuns, {"lpchremarks", "lpchrecadduser", "lpchCostingDone"});
        runs({"save: detail rows to add to", "save: prefix", "save: largest number, department 1", "save: largest number, every department"});
        const auto numbered = [](int id, const char *number) {
            return [id, number](const ConnectionPtr &c) { addCosting(c, Costing(id).number(number).department(kAccounts)); };
        };
        const QString largestA = largestNumberQuery("A", kAccounts);
        // len() ignores the trailing blank and right() keeps it, so the suffix read is "9 "
        row("save: largest number, trailing blank", largestA, {"10"}, {}, {numbered(9001, "A10"), numbered(9002, "A99 ")});
        // isnumeric() lets these through and convert(int, ...) would refuse them: they are left out
        row("save: largest number, suffix 1e2", largestA, {"7"}, {}, {numbered(9001, "A1e2"), numbered(9002, "A7")});
        row("save: largest number, suffix $", largestA, {"7"}, {}, {numbered(9001, "A$"), numbered(9002, "A7")});
        runs({"save: bill costed already", "save: edit stamps the update time", "save: edit removes the detail rows",
              "save: bill marked costed", "save: shipment lines flagged"});

        // the cancellation and the previews: no code sends these yet, so their texts are written out
        QStringList restore;
        for (const QString &old : plain(m_db, "select lpcditemid, lpcdolditemcostprice from loaLocalPurchaseCostingDetail"
                                              " where lpcdcostingid=?", {m_ids.costing}))
            restore << old + "|1";
        row("cancel: old cost prices of a fixed costing",
            "select lpcditemid,lpcdolditemcostprice, lpchCostingDone  from  loalocalpurchasecostingdetail,"
            " loalocalpurchasecostingheader where lpcdcostingid=" + costing + " and lpchCostingid=lpcdcostingid ",
            restore);
        const QString old = restore.first().section('|', 1, 1);
        const QString oldItem = restore.first().section('|', 0, 0);
        row("cancel: old cost price written back", "update aitem set itemrate=" + old + " where itemid=" + oldItem,
            {"affected 1", old}, {}, {}, "select itemrate from aItem where itemid=" + oldItem);
        row("cancel: costing flagged", "update loalocalpurchasecostingheader set lpchcancelled=1 where lpchcostingid=" + costing,
            {"affected 1", "1"}, {}, {}, "select lpchcancelled from loaLocalPurchaseCostingHeader where lpchcostingid=" + costing);
        const int otherShop = m_ids.costingShop % demo::shopCount + 1;
        const int costingBill = m_ids.costingBill;
        row("cancel: bill uncosted, same bill id in another shop untouched",
            "update loslocalpurchaseheader set lphcosted =0  where lphBillid=(select lpchbillid from"
            " loalocalpurchasecostingheader where  lpchcostingid=" + costing + ") and lphshopid= (select lpchshopid from"
            " loalocalpurchasecostingheader where  lpchcostingid=" + costing + ")",
            {"affected 1", n(m_ids.costingShop) + "|0", n(otherShop) + "|1"}, {},
            {[costingBill, otherShop](const ConnectionPtr &c) { addBill(c, Bill(costingBill).shop(otherShop).number("T-2").costed()); }},
            "select lphShopID, lphcosted from losLocalPurchaseHeader where lphBillID=" + n(costingBill));

        // the previews
        const QVariantList bill = queryRows(m_db, "select lphBillNo, lphVendorID from losLocalPurchaseHeader where lphBillID=?"
                                                  " and lphShopID=?", {m_ids.costingBill, m_ids.costingShop}).value(0);
        row("preview: bill's user name", "select UserName from lousers where userid=" + n(demo::clerkUserId), {"RAVI"});
        row("preview: vendor of the bill number",
            "select lphVendorID from loslocalpurchaseheader where lphBillNo='" + bill.value(0).toString() + "'",
            {bill.value(1).toString()});
        row("preview: vendor currency", "select CurrencyID from aVendorMaster where VendorID=" + bill.value(1).toString(),
            plain(m_db, "select CurrencyID from aVendorMaster where VendorID=?", {bill.value(1)}));
        row("preview: currency symbol", "select Symbol from aCurrencyMaster where CurrencyID=" + n(demo::dollarCurrencyId), {"$"});
        row("preview: department name",
            "select DepartmentName from aDepartmentMaster where DepartmentId = " + n(demo::storesDepartmentId), {"Stores"});

        // the pending bills
        runs({"pending: department 1"});
        row("pending: all departments", sent.text("pending: all departments"), kRuns, {"lphBillID", "Confirmed"});
    }

    void runsOnTheDemoFile()
    {
        QFETCH(QString, sql);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, fields);
        QFETCH(Seeds, seeds);
        QFETCH(QString, check);
        m_db->beginTrans(); // rolled back in cleanup(), so one demo file serves every row
        for (const auto &seed : seeds)
            seed(m_db);
        QStringList actual;
        try {
            if (!sql.startsWith("select", Qt::CaseInsensitive)) {
                actual << "affected " + n(m_db->execute(sql));
                if (!check.isEmpty())
                    actual << plain(m_db, check);
            } else {
                Recordset rs;
                rs.open(sql, m_db, CursorType::Static, LockType::ReadOnly);
                for (; !rs.eof(); rs.moveNext()) {
                    QVariantList values;
                    for (int i = 0; i < (fields.isEmpty() ? rs.fieldCount() : fields.size()); ++i)
                        values << (fields.isEmpty() ? rs.value(i) : rs.value(fields[i]));
                    actual << joined(values);
                }
            }
        } catch (const Error &e) {
            QVERIFY2(expected.value(0).startsWith("error "),
                     qPrintable(QString("%1\n   failed with %2: %3").arg(sql).arg(e.number()).arg(e.description())));
            actual = QStringList("error " + n(e.number()));
        }
        if (expected == kRuns)
            return;
        actual.sort();
        expected.sort();
        QCOMPARE(actual, expected);
    }

    // Each statement word for word, as the code builds it for a small file: costing 9 of bill
    // 4, bill 5 waiting, both in shop 2, item 17 on both; department 1 of company 1, user 1.
    void eachTextWordForWord_data()
    {
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("text");
        auto c = openNewDatabase();
        addSettings(c);
        addAlias(c, 1, "Store");
        addAlias(c, 2, "Depot");
        addAccount(c, 1001, "Inventory", 1, 1);
        addVendor(c, 1, "Local Traders");
        addUser(c, User(1, "ADMIN"));
        addFinancialYear(c, 1, true);
        addPrefix(c, "LPC-", 1, 1);
        addItem(c, 17, 10);
        const Bill costed = Bill(4).shop(2).costed().line(17, 2, 20);
        addBill(c, costed);
        addCosting(c, Costing(9).of(costed).detail(17, 2, 10, 10));
        addBill(c, Bill(5).shop(2).line(17, 1, 10));
        StatementIds ids;
        ids.costing = 9;
        ids.costingShop = 2;
        ids.costingBill = 4;
        ids.bill = 5;
        ids.billShop = 2;
        ids.item = 17;
        ids.registerFrom = kProcessDate.date().addDays(-30);
        sqldt::setServerClock([] { return kServerClock; });
        ModuleStatements sent(c, ids);
        QStringList pinned;
        const auto text = [&](const char *name, const QString &literal) {
            QTest::newRow(name) << sent.text(name) << literal;
            pinned << name;
        };
        text("register: alias flag", "select Alias from aPAckageSettings where  companyid=1");
        text("register: alias word", "select Alias from aAlias where Aliasid=1");
        text("register: days back", "select backNoofDays from aPackageSettings where  companyid=1");
        // The register's texts differ in a blank before the second flag.
        const QString registerColumns =
            "select lpchcostingid,lpchcostingno,lpchdate,sd.shopname,lh.lphBillNo,lh.lphBillAmount,case lpchcancelled when 1 "
            "then 'Yes' when 0 then 'No' end  lpchcancelled";
        const QString registerTables =
            " case lpchCostingDone when 1 then 'Yes' when 0 then 'No' end  lpchCostingDone from loslocalpurchaseheader "
            "lh,loalocalpurchasecostingheader loih left outer join ashops sd on  loih.lpchshopid=sd.shopid  where "
            "lh.lphShopID=lpchshopid";
        const QString ofDepartment1 = registerColumns + "," + registerTables + " and  lpchDepartmentid=1 and "
                                      "lh.lphBillID=loih.lpchBillid and loih.lpchdate>='20120214'";
        text("register: department 1", ofDepartment1 + " order by lpchcostingid");
        text("register: all departments",
             registerColumns + " ," + registerTables + "  and lh.lphBillID=loih.lpchBillid and loih.lpchdate>='20120214' "
                                                       "order by lpchcostingid");
        text("register: one row refreshed", ofDepartment1 + "  and lpchcostingid=9");
        text("register: captions",
             "select tc.columnheader,tc.columnname from atables t,  atablecolumns tc where t.tableid = tc.tableid "
             "and tablename ='loalocalpurchasecostingheader' order by columnid");
        text("register: captions with aliases",
             "select  replace(replace(tc.ColumnHeader, 'shop','Store'),'godown','Depot'),tc.columnname from "
             "atables t,atablecolumns tc where t.tableid = tc.tableid and tablename "
             "='loalocalpurchasecostingheader'order by columnid");
        text("register: rights", "select functionrights from auserrights where userid = 1 and interfaceid = 2011");
        text("entry: costing with its details and bill",
             "select * from loalocalpurchasecostingheader lih left outer join loalocalpurchasecostingdetail lid  "
             "on lih.lpchcostingid=lid.lpcdcostingid left outer join loslocalpurchaseheader loih on  "
             "lih.lpchbillid=loih.lphbillid and lih.lpchshopid=loih.lphshopid where  lih.lpchcostingid=9");
        text("entry: every department", "select DepartmentID, DepartmentName from adepartmentmaster");
        text("entry: the user's departments",
             "select d.DepartmentId,d.DepartmentName from adepartmentmaster d,aUserDeptDetails u  Where "
             "d.Companyid = u.Companyid And u.userid = 1 and d.DepartmentID=u.DeptID and  d.CompanyId= 1");
        text("entry: shops, edit",
             "select distinct ShopId,shopname from loslocalpurchaseheader loi left outer join aShops ag on  "
             "loi.lphShopId=ag.ShopId where  loi.lphcancelled=0");
        text("entry: shops, new",
             "select distinct ShopId,shopname from losLocalPurchaseHeader loi left outer join aShops ag on  "
             "loi.lphShopId=ag.ShopId where loi.lphcosted=0 and loi.lphcancelled=0 and lphDepartmentID=1 ");
        text("entry: bills, new",
             "select lphBillid,lphBillNo from loslocalpurchaseheader  where lphcosted=0 and  lphcancelled=0 and "
             "lphShopId=2 and lphDepartmentID=1 and lphcosted=0");
        text("entry: bills, edit",
             "select lphBillid,lphBillNo from loslocalpurchaseheader  lph,  loaLocalPurchaseCostingHeader  lpch  "
             "where lphcancelled=0  and lphShopId=2 and  lphShopId=lpchShopId and  lphDepartmentID=1 and "
             "lphBillID=lpchbillid and lpchCostingid=9");
        text("entry: company's department", "select CompanyDepartment from apackagesettings where companyid=1");
        text("grid: inventory currency",
             "select currencyid from apackagesettings ap, aaccountmaster a  where  ap.companyid = a.companyid and "
             " ap.inventoryid = a.accountid and ap.companyid=1");
        text("grid: vendor currency",
             "select v.currencyid from loslocalpurchaseheader h, avendormaster v where  h.lphCompanyID = "
             "v.companyid  and h.lphVendorID = v.vendorid and lphShopID=2 and lphBillID=5");
        text("grid: exchange rates",
             "select lphexchangerates from loslocalpurchaseheader where  lphShopID=2 and lphBillID=5");
        text("grid: rowguid column",
             "select count(*) from syscolumns where id=object_id('loslocalpurchasedetail') and  colstat=2");
        text("grid: bill lines by rowguid",
             "select * from loslocalpurchasedetail loid left outer join  aitem ai on loid.lpditemid=ai.itemid "
             "where lpdbillid=5 and lpdShopId=2 order by loid.rowguid");
        text("grid: item description", "select itemdescription from vwitemdescription where itemid=17");
        text("grid: saved costing lines",
             "select * from loaLocalPurchaseCostingHeader lih left outer join  loalocalpurchasecostingdetail lid "
             "on lih.lpchcostingid=lid.lpcdcostingid left outer join aitem  ai on lid.lpcditemid=ai.itemid where "
             "lih.lpchcostingid=9 order by lid.lpcddetailid");
        const QString ofTheGrid =
            " from alistviewdetails where lvwdid=(select lvwid from alistviewheader where   "
            "ltrim(rtrim(upper(lvwtransname)))='LOCALPURCHASECOSTING' and ltrim(rtrim(upper(lvwname)))='MFGSPLITDETAILS' and "
            "ltrim(rtrim(upper(lvwmodulename)))='FRMLOCALPURCHASECOSTING')";
        text("grid: layout size", "select count(*)" + ofTheGrid);
        text("grid: layout", "select *" + ofTheGrid);
        text("cost: godown stock", "select sum(gsstock) from vwinquirygodownstock where gsitemid=17");
        text("cost: shop stock", "select sum(stock) from vwinquiryshopstock where itemid=17");
        text("cost: item rate", "select itemrate from aitem where itemid=17");
        text("cost: quantity on uncosted bills",
             "select isnull(sum(lpdItemQuantity),0) from loslocalpurchaseheader h, loslocalpurchasedetail d where "
             " h.lphbillid=d.lpdbillid and h.lphShopId=d.lpdShopId and h.lphcosted=0  and d.lpditemid=17 and "
             "lphcancelled=0");
        text("save: prefix",
             "SELECT Prefix FROM aPrefix WHERE departmentID=1 AND FinancialId = (Select FinancialId from "
             "aFinancialYear where CurFinancialYear = 1) and InterfaceID = 2011 and ShopId is null and ShopId is "
             "null");
        const QString largestAfter4 =
            "Select isnull(max(case when len(lpchcostingno)-4 between 1 and 9 and right(lpchcostingno,len(lpchcostingno)-4) "
            "not like '%[^0123456789]%' then convert(int,right(lpchcostingno,len(lpchcostingno)-4)) end),0) from "
            "loaLocalPurchaseCostingHeader where";
        const QString lpc = "len(lpchcostingno)>len('LPC-') and substring(lpchcostingno,1,len('LPC-'))='LPC-'";
        text("save: largest number, department 1", largestAfter4 + "  lpchDepartmentid=1 and " + lpc);
        text("save: largest number, every department", largestAfter4 + " " + lpc);
        text("save: bill costed already",
             "SELECT lpchCostingNo FROM loaLocalPurchaseCostingHeader WHERE lpchBillId = 4 AND lpchCancelled <> 1 "
             "AND lpchCostingId <> 0 AND lpchShopId = 2");
        text("save: new id", "select isnull(max(lpchcostingid),0)+1 from loaLocalPurchaseCostingHeader");
        text("save: server time", "select CURRENT_TIMESTAMP");
        text("save: inventory account", "select inventoryid from aPackageSettings where companyid=1");
        text("save: detail rows to add to", "select * from loalocalpurchasecostingdetail");
        text("save: next detail id", "select isnull(max(lpcddetailid),0)+1 from loalocalpurchasecostingdetail");
        text("save: bill marked costed",
             "update loslocalpurchaseheader set lphcosted=1,lphBillTime='20120315' where  lphBillid=5 and "
             "lphShopId=2");
        text("save: header row to edit", "select * from loaLocalPurchaseCostingHeader where lpchcostingid=9");
        text("save: edit stamps the update time",
             "Update loaLocalPurchaseCostingHeader set updatetime=getdate() where lpchcostingid=9");
        text("save: edit removes the detail rows", "delete from loalocalpurchasecostingdetail where lpcdcostingid=9");
        text("save: item rate fixed", "update aitem set itemrate=12.5 where itemid=17");
        text("save: shipment lines flagged", "Update losshopitemshipmentdetail set  pricechanged=1 where  itemid=17");
        const QString pendingBills =
            "select lphBillID,lphBillNo,lphBillDate,b.vendorname,cast(datediff(n,left (lphBillDate,12)+right(lphBilltime,7),"
            "getdate())/60 as varchar(20))+ ' Hrs:'+cast(datediff(n,left (lphBillDate,12)+right(lphBilltime,7),getdate())"
            "-60*(datediff(n,left (lphBillDate,12)+right(lphBilltime,7),getdate())/60) as varchar(20)) + 'Mts',lphShopID,"
            "'Yes' as 'Confirmed' from loslocalpurchaseheader A,avendormaster b where lphcosted=0 and  lphcancelled=0 and ";
        const QString ofCompany1 = "lphCompanyID=1and lphcosted=0 AND a.lphVendorID=b.vendorid And lphConfirmed=1";
        text("pending: department 1", pendingBills + "lphDepartmentID= 1 and " + ofCompany1);
        text("pending: all departments", pendingBills + ofCompany1);
        QTest::newRow("save: largest number, apostrophe in the prefix")
            << largestNumberQuery("O'B", 4)
            << "Select isnull(max(case when len(lpchcostingno)-3 between 1 and 9 and right(lpchcostingno,len(lpchcostingno)-3) "
               "not like '%[^0123456789]%' then convert(int,right(lpchcostingno,len(lpchcostingno)-3)) end),0) from "
               "loaLocalPurchaseCostingHeader where  lpchDepartmentid=4 and len(lpchcostingno)>len('O''B') and "
               "substring(lpchcostingno,1,len('O''B'))='O''B'";
        sqldt::setServerClock({});
        QCOMPARE(pinned, ModuleStatements::names());
    }
    void eachTextWordForWord()
    {
        QFETCH(QString, sent);
        QFETCH(QString, text);
        QCOMPARE(sent, text);
    }
};

QTEST_MAIN(TestStatements)
#include "tst_statements.moc"
