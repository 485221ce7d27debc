// Every statement text the module sends, run unchanged on a demonstration file. A result is
// checked here only where no other test looks at it (the cancellation, the report lookups,
// the grid's column layout, a table name in mixed case, the numbering's odd suffixes); the
// other rows prove that the text runs and that the fields the windows read by name are there.
#include "db/connection.h"
#include "db/demodata.h"
#include "db/error.h"
#include "db/recordset.h"
#include "testsupport.h"

#include <QtTest>

using namespace kadu2217;
using testsupport::queryRows;
using testsupport::queryValue;

namespace {

struct Seed {
    QString sql;
    QVariantList values;
};
using Seeds = QVector<Seed>;

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

// ---- statement texts, joined from the pieces the windows join

// fnreturnfield: a criterion follows the table text's own "where", or brings one.
QString lookup(const QString &field, const QString &table, const QString &condition = {})
{
    QString sql = "select " + field + " from " + table;
    if (!condition.isEmpty())
        sql += (table.contains(" where ", Qt::CaseInsensitive) ? " and " : " where ") + condition;
    return sql;
}

QString comboList(const QString &valueField, const QString &textField, const QString &table)
{
    return "select " + valueField + ',' + textField + " from " + table;
}

QString registerQuery(int department)
{
    QString sql = "select lpchcostingid,lpchcostingno,lpchdate,sd.shopname,lh.lphBillNo,lh.lphBillAmount,";
    sql += department >= 1 ? "case lpchcancelled when 1 then 'Yes' when 0 then 'No' end  lpchcancelled, "
                           : "case lpchcancelled when 1 then 'Yes' when 0 then 'No' end  lpchcancelled , ";
    sql += "case lpchCostingDone when 1 then 'Yes' when 0 then 'No' end  lpchCostingDone "
           "from loslocalpurchaseheader lh,loalocalpurchasecostingheader loih left outer join ashops sd on ";
    sql += department >= 1 ? " loih.lpchshopid=sd.shopid  where lh.lphShopID=lpchshopid and  lpchDepartmentid=" + n(department)
                           : QString(" loih.lpchshopid=sd.shopid  where lh.lphShopID=lpchshopid ");
    return sql + " and lh.lphBillID=loih.lpchBillid and loih.lpchdate>='20240214' order by lpchcostingid";
}

QString layoutQuery(const QString &select)
{
    return select + " from alistviewdetails where lvwdid=(select lvwid from alistviewheader where  "
                    " ltrim(rtrim(upper(lvwtransname)))='LOCALPURCHASECOSTING' and ltrim(rtrim(upper(lvwname)))="
                    "'MFGSPLITDETAILS' and ltrim(rtrim(upper(lvwmodulename)))='FRMLOCALPURCHASECOSTING')";
}

QString maximumQuery(const QString &prefix, int sessionDepartment)
{
    const QString suffixLength = "len(lpchcostingno)-" + n(prefix.size());
    const QString suffix = "right(lpchcostingno," + suffixLength + ")";
    return "Select isnull(max(case when " + suffixLength + " between 1 and 9 and " + suffix
        + " not like '%[^0123456789]%' then convert(int," + suffix + ") end),0) from loaLocalPurchaseCostingHeader where "
        + (sessionDepartment != 0 ? " lpchDepartmentid=" + n(sessionDepartment) + " and " : QString())
        + "len(lpchcostingno)>len('" + prefix + "') and substring(lpchcostingno,1,len('" + prefix + "'))='" + prefix + "'";
}

QString pendingQuery(int department)
{
    const QString elapsed =
        "cast(datediff(n,left (lphBillDate,12)+right(lphBilltime,7),getdate())/60 as varchar(20))+ ' Hrs:'+"
        "cast(datediff(n,left (lphBillDate,12)+right(lphBilltime,7),getdate())-60*(datediff(n,left (lphBillDate,12)"
        "+right(lphBilltime,7),getdate())/60) as varchar(20)) + 'Mts'";
    const QString company = "lphCompanyID=" + n(demo::companyId) + "and lphcosted=0 AND a.lphVendorID=b.vendorid And lphConfirmed=1";
    return "select lphBillID,lphBillNo,lphBillDate,b.vendorname," + elapsed
        + ",lphShopID,'Yes' as 'Confirmed' from loslocalpurchaseheader A,avendormaster b where lphcosted=0 and  lphcancelled=0 and "
        + (department > 0 ? "lphDepartmentID= " + n(department) + " and " + company : company);
}

} // namespace

Q_DECLARE_METATYPE(Seeds)

class TestStatements : public QObject {
    Q_OBJECT

private:
    ConnectionPtr m_db;
    int m_costing = 0, m_costingShop = 0, m_costingBill = 0; // fixed, live, department 1, several items
    int m_bill = 0, m_billShop = 0;                          // confirmed, waiting for costing, department 1
    int m_item = 0;                                          // on that bill

private slots:
    void initTestCase()
    {
        DemoOptions options;
        options.now = QDateTime(QDate(2024, 3, 15), QTime(11, 5));
        m_db = testsupport::openNewDatabase(true, options);
        const QVariantList costing = queryRows(m_db, "select lpchcostingid, lpchshopid, lpchbillid from"
            " loaLocalPurchaseCostingHeader c where lpchCostingDone = 1 and lpchcancelled = 0 and lpchDepartmentid = ? and"
            " (select count(*) from loaLocalPurchaseCostingDetail d where d.lpcdcostingid = c.lpchcostingid) >= 2",
            {demo::purchaseDepartmentId}).value(0);
        const QVariantList bill = queryRows(m_db, "select lphBillID, lphShopID, (select min(lpditemid) from losLocalPurchaseDetail d"
            " where d.lpdbillid = h.lphBillID and d.lpdShopId = h.lphShopID) from losLocalPurchaseHeader h where lphcosted = 0"
            " and lphcancelled = 0 and lphConfirmed = 1 and lphDepartmentID = ?", {demo::purchaseDepartmentId}).value(0);
        QVERIFY(costing.size() == 3 && bill.size() == 3 && bill[2].toInt() > 0);
        m_costing = costing[0].toInt();
        m_costingShop = costing[1].toInt();
        m_costingBill = costing[2].toInt();
        m_bill = bill[0].toInt();
        m_billShop = bill[1].toInt();
        m_item = bill[2].toInt();
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
        const QString costing = n(m_costing), item = n(m_item);

        // the register
        row("register: alias flag, table name in mixed case", lookup("Alias", "aPAckageSettings"), {"0"});
        row("register: alias word", lookup("Alias", "aAlias", "Aliasid=1"));
        row("register: days back", lookup("backNoofDays", "aPackageSettings", " companyid=" + n(demo::companyId)));
        row("register: department 1", registerQuery(demo::purchaseDepartmentId));
        row("register: all departments, flags under their own names", registerQuery(0), kRuns,
            {"LPCHCOSTINGID", "lpchcancelled", "lpchCostingDone"});
        const QString master = registerQuery(demo::purchaseDepartmentId);
        row("register: one row refreshed", master.left(master.indexOf("order by")) + " and lpchcostingid=" + costing);
        row("register: captions", "select tc.columnheader,tc.columnname from atables t,  atablecolumns tc where t.tableid ="
                                  " tc.tableid and tablename ='loalocalpurchasecostingheader' order by columnid");
        row("register: captions with aliases",
            "select  replace(replace(tc.ColumnHeader, 'shop','Store'),'godown','Depot'),tc.columnname from atables t,"
            "atablecolumns tc where t.tableid = tc.tableid and tablename ='loalocalpurchasecostingheader'order by columnid");
        row("register: rights", "select functionrights from auserrights where userid = 1 and interfaceid = 2011", kRuns,
            {"FunctionRights"});

        // the entry window
        row("entry: costing with its details and bill",
            "select * from loalocalpurchasecostingheader lih left outer join loalocalpurchasecostingdetail lid "
            " on lih.lpchcostingid=lid.lpcdcostingid left outer join loslocalpurchaseheader loih on "
            " lih.lpchbillid=loih.lphbillid and lih.lpchshopid=loih.lphshopid where  lih.lpchcostingid=" + costing,
            kRuns, {"lpchdate", "lpchremarks", "lpchCostingDone", "lphBillNo", "lpcddetailid"});
        row("entry: every department", comboList("DepartmentID", " DepartmentName", "adepartmentmaster"));
        row("entry: the user's departments",
            comboList("d.DepartmentId", "d.DepartmentName", "adepartmentmaster d,aUserDeptDetails u  Where d.Companyid ="
                      " u.Companyid And u.userid = 2 and d.DepartmentID=u.DeptID and  d.CompanyId= 1"));
        row("entry: company's department", lookup("CompanyDepartment", "apackagesettings"));
        row("entry: shops, edit", comboList("distinct ShopId", "shopname", "loslocalpurchaseheader loi left outer join aShops ag"
                                            " on  loi.lphShopId=ag.ShopId where  loi.lphcancelled=0"));
        row("entry: shops, new", comboList("distinct ShopId", "shopname", "losLocalPurchaseHeader loi left outer join aShops ag on "
            " loi.lphShopId=ag.ShopId where loi.lphcosted=0 and loi.lphcancelled=0 and lphDepartmentID=1 "));
        row("entry: bills, new", comboList("lphBillid", "lphBillNo", "loslocalpurchaseheader  where lphcosted=0 and  lphcancelled=0"
                                           " and lphShopId=" + n(m_billShop) + " and lphDepartmentID=1 and lphcosted=0"));
        row("entry: bills, edit", comboList("lphBillid", "lphBillNo", "loslocalpurchaseheader  lph,  loaLocalPurchaseCostingHeader"
            "  lpch  where lphcancelled=0  and lphShopId=" + n(m_costingShop) + " and  lphShopId=lpchShopId and "
            " lphDepartmentID=1 and lphBillID=lpchbillid and lpchCostingid=" + costing));

        // the item grid
        row("grid: inventory currency", lookup("currencyid", "apackagesettings ap, aaccountmaster a ",
                                               " ap.companyid = a.companyid and  ap.inventoryid = a.accountid"));
        row("grid: vendor currency", lookup("v.currencyid", "loslocalpurchaseheader h, avendormaster v",
                                            " h.lphCompanyID = v.companyid  and h.lphVendorID = v.vendorid and lphShopID="
                                                + n(m_billShop) + " and lphBillID=" + n(m_bill)));
        row("grid: exchange rates", lookup("lphexchangerates", "loslocalpurchaseheader", " lphBillID=" + n(m_bill)));
        row("grid: rowguid column", lookup("count(*)", "syscolumns", "id=object_id('loslocalpurchasedetail') and  colstat=2"));
        row("grid: item description", lookup("itemdescription", "vwitemdescription", "itemid=" + item));
        const QString lines = "select * from loslocalpurchasedetail loid left outer join  aitem ai on loid.lpditemid=ai.itemid"
                              " where lpdbillid=" + n(m_bill) + " and lpdShopId=" + n(m_billShop);
        const QStringList lineFields = {"itemcode", "lpditemquantity", "lpditemunitprice", "lpditemid"};
        row("grid: bill lines by rowguid", lines + " order by loid.rowguid", kRuns, lineFields);
        row("grid: saved costing lines",
            "select * from loaLocalPurchaseCostingHeader lih left outer join  loalocalpurchasecostingdetail lid on"
            " lih.lpchcostingid=lid.lpcdcostingid left outer join aitem  ai on lid.lpcditemid=ai.itemid"
            " where lih.lpchcostingid=" + costing,
            kRuns, {"lpcditemqty", "lpcdcostedprice", "lpcdbillunitprice", "itemid", "itemcode"});
        // the demonstration file holds another grid's layout only
        row("grid: no layout stored", layoutQuery("select count(*)"), {"0"});
        const QString column = "insert into aListViewDetails (lvwdid, lvwcolid, lvwdcolname, lvwdcolwidth, lvwdcolalign)"
                               " values (50, ?, ?, ?, ?)";
        row("grid: stored layout, names trimmed and upper-cased", layoutQuery("select *"),
            {"0|No|600|1", "1|Code|0|1", "2|Item|5000|7"}, {"lvwcolid", "lvwdcolname", "lvwdcolwidth", "lvwdcolalign"},
            {{"insert into aListViewHeader (lvwid, lvwtransname, lvwname, lvwmodulename) values (50, ?, ?, ?)",
              {"  localpurchasecosting ", "mfgSplitDetails", " frmlocalpurchasecosting"}},
             {column, {0, "No", 600, 1}}, {column, {1, "Code", 0, 1}}, {column, {2, "Item", 5000, 7}}});

        // the item's cost
        row("cost: godown stock", lookup("sum(gsstock)", "vwinquirygodownstock where gsitemid=" + item));
        row("cost: item rate", lookup("itemrate", "aitem where itemid=" + item));
        row("cost: quantity on uncosted bills",
            lookup("isnull(sum(lpdItemQuantity),0)", "loslocalpurchaseheader h, loslocalpurchasedetail d",
                   " h.lphbillid=d.lpdbillid and h.lphShopId=d.lpdShopId and h.lphcosted=0  and d.lpditemid=" + item
                       + " and lphcancelled=0"));

        // the save and its numbering
        row("save: new id", lookup("isnull(max(lpchcostingid),0)+1", "loaLocalPurchaseCostingHeader"));
        row("save: server time", "select CURRENT_TIMESTAMP");
        row("save: inventory account", lookup("inventoryid", "aPackageSettings"));
        row("save: header row to edit", "select * from loaLocalPurchaseCostingHeader where lpchcostingid=" + costing, kRuns,
            {"lpchremarks", "lpchrecadduser", "lpchCostingDone"});
        row("save: detail rows to add to", "select * from loalocalpurchasecostingdetail");
        row("save: prefix", "SELECT Prefix FROM aPrefix WHERE departmentID=1 AND FinancialId = (Select FinancialId from"
                            " aFinancialYear where CurFinancialYear = 1) and InterfaceID = 2011 and ShopId is null and ShopId is null");
        row("save: largest number, department 1", maximumQuery("LPC-", demo::purchaseDepartmentId));
        row("save: largest number, every department", maximumQuery("LPC-", 0));
        const auto numbered = [](int id, const QString &number) {
            return Seed{"insert into loaLocalPurchaseCostingHeader (lpchcostingid, lpchcostingno, lpchDepartmentid)"
                        " values (?, ?, ?)", {id, number, kAccounts}};
        };
        // len() ignores the trailing blank and right() keeps it, so the suffix read is "9 "
        row("save: largest number, trailing blank", maximumQuery("A", kAccounts), {"10"}, {},
            {numbered(9001, "A10"), numbered(9002, "A99 ")});
        // isnumeric() lets these through and convert(int, ...) would refuse them: they are left out
        row("save: largest number, suffix 1e2", maximumQuery("A", kAccounts), {"7"}, {},
            {numbered(9001, "A1e2"), numbered(9002, "A7")});
        row("save: largest number, suffix $", maximumQuery("A", kAccounts), {"7"}, {},
            {numbered(9001, "A$"), numbered(9002, "A7")});
        row("save: bill costed already", "SELECT lpchCostingNo FROM loaLocalPurchaseCostingHeader WHERE lpchBillId = "
                                             + n(m_costingBill) + " AND lpchCancelled <> 1 AND lpchCostingId <> 0 AND lpchShopId = "
                                             + n(m_costingShop));
        row("save: edit stamps the update time",
            "Update loaLocalPurchaseCostingHeader set updatetime=getdate() where lpchcostingid=" + costing);
        row("save: edit removes the detail rows", "delete from loalocalpurchasecostingdetail where lpcdcostingid=" + costing);
        row("save: bill marked costed", "update loslocalpurchaseheader set lphcosted=1,lphBillTime='20240315' where "
                                        " lphBillid=" + n(m_bill) + " and lphShopId=" + n(m_billShop));
        row("save: shipment lines flagged", "Update losshopitemshipmentdetail set  pricechanged=1 where  itemid=" + item);

        // the cancellation
        QStringList restore;
        for (const QString &old : plain(m_db, "select lpcditemid, lpcdolditemcostprice from loaLocalPurchaseCostingDetail"
                                              " where lpcdcostingid=?", {m_costing}))
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
        const int otherShop = m_costingShop % demo::shopCount + 1;
        row("cancel: bill uncosted, same bill id in another shop untouched",
            "update loslocalpurchaseheader set lphcosted =0  where lphBillid=(select lpchbillid from"
            " loalocalpurchasecostingheader where  lpchcostingid=" + costing + ") and lphshopid= (select lpchshopid from"
            " loalocalpurchasecostingheader where  lpchcostingid=" + costing + ")",
            {"affected 1", n(m_costingShop) + "|0", n(otherShop) + "|1"}, {},
            {{"insert into losLocalPurchaseHeader (lphBillID, lphShopID, lphBillNo, lphcosted, lphcancelled)"
              " values (?, ?, 'T-2', 1, 0)", {m_costingBill, otherShop}}},
            "select lphShopID, lphcosted from losLocalPurchaseHeader where lphBillID=" + n(m_costingBill));

        // the previews
        const QVariantList bill = queryRows(m_db, "select lphBillNo, lphVendorID from losLocalPurchaseHeader where lphBillID=?"
                                                  " and lphShopID=?", {m_costingBill, m_costingShop}).value(0);
        row("preview: bill's user name", lookup("UserName", "lousers where userid=" + n(demo::clerkUserId)), {"RAVI"});
        row("preview: vendor of the bill number",
            lookup("lphVendorID", "loslocalpurchaseheader", "lphBillNo='" + bill.value(0).toString() + "'"), {bill.value(1).toString()});
        row("preview: vendor currency", lookup("CurrencyID", "aVendorMaster", "VendorID=" + bill.value(1).toString()),
            plain(m_db, "select CurrencyID from aVendorMaster where VendorID=?", {bill.value(1)}));
        row("preview: currency symbol", lookup("Symbol", "aCurrencyMaster", "CurrencyID=" + n(demo::dollarCurrencyId)), {"$"});
        row("preview: department name",
            lookup("DepartmentName", "aDepartmentMaster", "DepartmentId = " + n(demo::storesDepartmentId)), {"Stores"});

        // the pending bills
        row("pending: department 1", pendingQuery(demo::purchaseDepartmentId));
        row("pending: all departments", pendingQuery(0), kRuns, {"lphBillID", "Confirmed"});
    }

    void runsOnTheDemoFile()
    {
        QFETCH(QString, sql);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, fields);
        QFETCH(Seeds, seeds);
        QFETCH(QString, check);
        m_db->beginTrans(); // rolled back in cleanup(), so one demo file serves every row
        for (const Seed &seed : seeds)
            m_db->execute(seed.sql, seed.values);
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
};

QTEST_GUILESS_MAIN(TestStatements)
#include "tst_statements.moc"
