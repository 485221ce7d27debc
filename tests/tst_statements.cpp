// Every statement text the module sends, run on a demonstration file and compared with what
// SQL Server answers: values worked out here from plain queries or from rows a case adds.
#include "db/connection.h"
#include "db/demodata.h"
#include "db/error.h"
#include "db/recordset.h"
#include "db/sqldatetime.h"
#include "testsupport.h"

#include <QHash>
#include <QSet>
#include <QtTest>
#include <algorithm>
#include <functional>

using namespace kadu2217;
using testsupport::queryRows;
using testsupport::queryValue;

namespace {

struct Seed {
    QString sql;
    QVariantList values;
};
using Seeds = QVector<Seed>;
enum Order { AnyOrder, InOrder };

const QDateTime kNow(QDate(2024, 3, 15), QTime(11, 5));          // demo data and process date
const QDateTime kServerNow(QDate(2024, 3, 15), QTime(11, 5, 30)); // the database clock
const QDateTime kToday(kNow.date(), QTime(0, 0));
constexpr int kNoSuchItem = 99999;
constexpr int kAccounts = demo::accountsDepartmentId; // raises no bills and no costings of its own

QString n(qint64 v) { return QString::number(v); }
QString stamp(const QDateTime &v) { return '{' + sqldt::canonical(v) + '}'; }

// A whole double and an integer read alike; a date is braced so that text cannot pass for one.
QString cell(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return "NULL";
    switch (v.typeId()) {
    case QMetaType::QDateTime: return stamp(v.toDateTime());
    case QMetaType::Double: return QLocale::c().toString(v.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Bool: return v.toBool() ? "1" : "0";
    default: return v.toString();
    }
}

QString joined(const QVariantList &values)
{
    QStringList cells;
    for (const QVariant &v : values)
        cells << cell(v);
    return cells.join('|');
}

QStringList plain(const ConnectionPtr &db, const QString &sql, const QVariantList &params = {})
{
    QStringList rows;
    for (const QVariantList &row : queryRows(db, sql, params))
        rows << joined(row);
    return rows;
}

bool flagIs(const QVariant &v, int value) { return v.isValid() && !v.isNull() && v.toInt() == value; }
QString yesNo(const QVariant &v) { return flagIs(v, 1) ? "Yes" : flagIs(v, 0) ? "No" : "NULL"; }

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

QString registerQuery(int department, const QString &from)
{
    QString sql = "select lpchcostingid,lpchcostingno,lpchdate,sd.shopname,lh.lphBillNo,lh.lphBillAmount,";
    sql += department >= 1 ? "case lpchcancelled when 1 then 'Yes' when 0 then 'No' end  lpchcancelled, "
                           : "case lpchcancelled when 1 then 'Yes' when 0 then 'No' end  lpchcancelled , ";
    sql += "case lpchCostingDone when 1 then 'Yes' when 0 then 'No' end  lpchCostingDone "
           "from loslocalpurchaseheader lh,"
           "loalocalpurchasecostingheader"
           " loih left outer join ashops sd on ";
    if (department >= 1)
        sql += " loih.lpchshopid=sd.shopid  where lh.lphShopID=lpchshopid and  lpchDepartmentid=" + n(department);
    else
        sql += " loih.lpchshopid=sd.shopid  where lh.lphShopID=lpchshopid ";
    return sql + " and lh.lphBillID=loih.lpchBillid and loih.lpchdate>='" + from + "' order by lpchcostingid";
}

QString refreshQuery(const QString &masterSql, int costingId)
{
    QString sql = masterSql.left(masterSql.indexOf("order by", 0, Qt::CaseInsensitive));
    sql += sql.contains("where", Qt::CaseInsensitive) ? " and " : " where ";
    return sql + "lpchcostingid=" + n(costingId);
}

QString layoutQuery(const QString &select, const QString &trans, const QString &grid, const QString &module)
{
    return select + " from alistviewdetails where lvwdid=(select lvwid from alistviewheader where  "
                    " ltrim(rtrim(upper(lvwtransname)))='" + trans + "' and ltrim(rtrim(upper(lvwname)))='" + grid
        + "' and ltrim(rtrim(upper(lvwmodulename)))='" + module + "')";
}

QString prefixQuery(int department)
{
    return "SELECT Prefix FROM aPrefix WHERE departmentID=" + n(department)
        + " AND FinancialId = (Select FinancialId from aFinancialYear where CurFinancialYear = 1)"
          " and InterfaceID = 2011 and ShopId is null and ShopId is null";
}

QString maximumQuery(const QString &prefix, int sessionDepartment)
{
    const QString length = n(prefix.size());
    QString sql = "Select isnull(max(convert(int,right(lpchcostingno,len(lpchcostingno)-" + length;
    sql += sessionDepartment != 0
        ? "))),0) from loaLocalPurchaseCostingHeader where  lpchDepartmentid=" + n(sessionDepartment)
            + " and len(lpchcostingno)>len('"
        : QString("))),0) from loaLocalPurchaseCostingHeader where len(lpchcostingno)>len('");
    return sql + prefix + "') and isnumeric(isnull(right(lpchcostingno,len(lpchcostingno)-" + length
        + "),0)) =1 and substring(lpchcostingno,1,len('" + prefix + "'))='" + prefix + "'";
}

QString duplicateQuery(int billId, int costingId, int shopId)
{
    return "SELECT lpchCostingNo FROM loaLocalPurchaseCostingHeader WHERE lpchBillId = " + n(billId)
        + " AND lpchCancelled <> 1 AND lpchCostingId <> " + n(costingId) + " AND lpchShopId = " + n(shopId);
}

QString pendingQuery(int department)
{
    const QString elapsed =
        "cast(datediff(n,left (lphBillDate,12)+right(lphBilltime,7),getdate())/60 as varchar(20))+ ' Hrs:'+"
        "cast(datediff(n,left (lphBillDate,12)+right(lphBilltime,7),getdate())-60*(datediff(n,left (lphBillDate,12)"
        "+right(lphBilltime,7),getdate())/60) as varchar(20)) + 'Mts'";
    const QString condition = department > 0
        ? "lphcosted=0 and  lphcancelled=0 and lphDepartmentID= " + n(department) + " and lphCompanyID="
            + n(demo::companyId) + "and lphcosted=0 AND a.lphVendorID=b.vendorid And lphConfirmed=1"
        : "lphcosted=0 and  lphcancelled=0 and lphCompanyID=" + n(demo::companyId)
            + "and lphcosted=0 AND a.lphVendorID=b.vendorid And lphConfirmed=1";
    return "select lphBillID,lphBillNo,lphBillDate,b.vendorname," + elapsed
        + ",lphShopID,'Yes' as 'Confirmed' from loslocalpurchaseheader A,avendormaster b where " + condition;
}

// Minute boundaries crossed, as datediff(n, ...) counts them; the bill's time is read to the minute.
QString elapsedText(const QDateTime &billDate, const QDateTime &billTime)
{
    const QDateTime start(billDate.date(), QTime(billTime.time().hour(), billTime.time().minute()), Qt::UTC);
    const QDateTime end(kServerNow.date(), QTime(kServerNow.time().hour(), kServerNow.time().minute()), Qt::UTC);
    const qint64 minutes = start.secsTo(end) / 60;
    return QString("%1 Hrs:%2Mts").arg(minutes / 60).arg(minutes - 60 * (minutes / 60));
}

// ---- rows a case adds, always with bound values

Seed billSeed(int id, int shop, int department, const QVariant &costed, const QVariant &cancelled,
              const QVariant &confirmed, int company = demo::companyId)
{
    return {"insert into losLocalPurchaseHeader (lphBillID, lphShopID, lphBillNo, lphBillDate, lphBillTime, lphVendorID,"
            " lphCompanyID, lphDepartmentID, lphcosted, lphcancelled, lphConfirmed) values (?, ?, ?, ?, ?, 1, ?, ?, ?, ?, ?)",
            {id, shop, "T-" + n(id), kToday, QDateTime(kNow.date(), QTime(9, 0)), company, department, costed, cancelled,
             confirmed}};
}

Seed costingSeed(int id, const QString &number, int department, int bill = 0, int shop = 0, const QVariant &cancelled = 0)
{
    return {"insert into loaLocalPurchaseCostingHeader (lpchcostingid, lpchcostingno, lpchDepartmentid, lpchbillid,"
            " lpchshopid, lpchcancelled) values (?, ?, ?, ?, ?, ?)",
            {id, number, department, bill, shop, cancelled}};
}

Seed lineSeed(int item, int guidLead)
{
    return {"insert into losLocalPurchaseDetail (lpdbillid, lpdShopId, lpditemid, lpditemquantity, lpditemunitprice,"
            " rowguid) values (99001, 1, ?, 1, 10, ?)",
            {item, QString("%1-0000-0000-0000-000000000000").arg(guidLead, 8, 10, QLatin1Char('0'))}};
}

struct Bill {
    int id, shop, vendor, company, department;
    QString number;
    QDateTime date, time;
    QVariant amount, costed, cancelled, confirmed;
};

} // namespace

Q_DECLARE_METATYPE(Seeds)

class TestStatements : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { sqldt::setServerClock({}); }
    void cleanup();

    void registerWindow_data();
    void registerWindow() { checkSelect(); }
    void entryWindow_data();
    void entryWindow() { checkSelect(); }
    void itemGrid_data();
    void itemGrid() { checkSelect(); }
    void saveAndNumbering_data();
    void saveAndNumbering() { checkSelect(); }
    void itemCostAndCancellation_data();
    void itemCostAndCancellation() { checkSelect(); }
    void previews_data();
    void previews() { checkSelect(); }
    void pendingBills_data();
    void pendingBills() { checkSelect(); }
    void writes_data();
    void writes();
    void failsAsSqlServerFails_data();
    void failsAsSqlServerFails();

private:
    static void addSelectColumns();
    static void addRow(const char *name, const QString &sql, const QStringList &expected, Order order = AnyOrder,
                       const QStringList &fields = {}, const Seeds &seeds = {});
    void checkSelect();
    void plant(const Seeds &seeds);
    QStringList registerRows(int department, int onlyCosting = 0) const;
    QStringList pendingRows(int department) const;
    QStringList billRows(const std::function<bool(const Bill &)> &pick, bool shops) const;
    const Bill &billOf(int id, int shop) const;
    static QDate fromDate() { return kNow.date().addDays(-demo::backNoofDays); }
    static QString fromText() { return fromDate().toString("yyyyMMdd"); }

    ConnectionPtr m_db;
    QVector<QVariantList> m_costings; // id, number, date, shop, bill, department, cancelled, done
    QVector<Bill> m_bills;
    QHash<int, QString> m_shops, m_vendors;
    QVariantList m_costing;      // fixed, not cancelled, department 1, inside the date window, several items
    QVariantList m_otherCosting; // department 2, inside the window
    Bill m_pending;              // confirmed, waiting for costing, department 1
    int m_item = 0;              // the pending bill's first item
};

void TestStatements::initTestCase()
{
    DemoOptions options;
    options.now = kNow;
    m_db = testsupport::openNewDatabase(true, options);
    sqldt::setServerClock([] { return kServerNow; });

    m_costings = queryRows(m_db, "select lpchcostingid, lpchcostingno, lpchdate, lpchshopid, lpchbillid, lpchDepartmentid,"
                                 " lpchcancelled, lpchCostingDone from loaLocalPurchaseCostingHeader order by lpchcostingid");
    for (const QVariantList &r : queryRows(m_db, "select lphBillID, lphShopID, lphVendorID, lphCompanyID, lphDepartmentID,"
            " lphBillNo, lphBillDate, lphBillTime, lphBillAmount, lphcosted, lphcancelled, lphConfirmed"
            " from losLocalPurchaseHeader"))
        m_bills.append({r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt(), r[4].toInt(), r[5].toString(),
                        r[6].toDateTime(), r[7].toDateTime(), r[8], r[9], r[10], r[11]});
    for (const QVariantList &r : queryRows(m_db, "select ShopId, shopname from aShops"))
        m_shops.insert(r[0].toInt(), r[1].toString());
    for (const QVariantList &r : queryRows(m_db, "select VendorID, vendorname from aVendorMaster"))
        m_vendors.insert(r[0].toInt(), r[1].toString());

    QVERIFY2(m_costings.first()[2].toDateTime().date() < fromDate(), "the first costing should precede the register");
    for (const QVariantList &c : m_costings) {
        if (c[2].toDateTime().date() < fromDate() || !flagIs(c[6], 0))
            continue;
        const int items = queryValue(m_db, "select count(*) from loaLocalPurchaseCostingDetail where lpcdcostingid=?",
                                     {c[0]}).toInt();
        if (c[5].toInt() == demo::purchaseDepartmentId && flagIs(c[7], 1) && items >= 2)
            m_costing = c;
        if (c[5].toInt() == demo::storesDepartmentId)
            m_otherCosting = c;
    }
    QVERIFY(!m_costing.isEmpty() && !m_otherCosting.isEmpty());
    const auto pending = std::find_if(m_bills.cbegin(), m_bills.cend(), [](const Bill &b) {
        return flagIs(b.costed, 0) && flagIs(b.cancelled, 0) && flagIs(b.confirmed, 1)
            && b.department == demo::purchaseDepartmentId;
    });
    QVERIFY(pending != m_bills.cend());
    m_pending = *pending;
    m_item = queryValue(m_db, "select lpditemid from losLocalPurchaseDetail where lpdbillid=? and lpdShopId=?"
                              " order by rowguid", {m_pending.id, m_pending.shop}).toInt();
    QVERIFY(m_item > 0);
}

void TestStatements::cleanup()
{
    if (m_db && m_db->inTransaction())
        m_db->rollbackTrans();
}

void TestStatements::addSelectColumns()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("ordered");
    QTest::addColumn<QStringList>("fields"); // read by name; empty: every field in order
    QTest::addColumn<Seeds>("seeds");
}

void TestStatements::addRow(const char *name, const QString &sql, const QStringList &expected, Order order,
                            const QStringList &fields, const Seeds &seeds)
{
    QTest::newRow(name) << sql << expected << (order == InOrder) << fields << seeds;
}

void TestStatements::plant(const Seeds &seeds)
{
    for (const Seed &seed : seeds)
        m_db->execute(seed.sql, seed.values);
}

void TestStatements::checkSelect()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, expected);
    QFETCH(bool, ordered);
    QFETCH(QStringList, fields);
    QFETCH(Seeds, seeds);
    m_db->beginTrans(); // rolled back in cleanup(), so one demo file serves every case
    plant(seeds);
    QStringList actual;
    try {
        Recordset rs;
        rs.open(sql, m_db, CursorType::Static, LockType::ReadOnly);
        for (; !rs.eof(); rs.moveNext()) {
            QVariantList values;
            for (int i = 0; i < (fields.isEmpty() ? rs.fieldCount() : fields.size()); ++i)
                values << (fields.isEmpty() ? rs.value(i) : rs.value(fields[i]));
            actual << joined(values);
        }
    } catch (const Error &e) {
        QFAIL(qPrintable(QString("%1\n   failed with %2: %3").arg(sql).arg(e.number()).arg(e.description())));
    }
    if (!ordered) {
        actual.sort();
        expected.sort();
    }
    QCOMPARE(actual, expected);
}

const Bill &TestStatements::billOf(int id, int shop) const
{
    return *std::find_if(m_bills.cbegin(), m_bills.cend(), [&](const Bill &b) { return b.id == id && b.shop == shop; });
}

QStringList TestStatements::registerRows(int department, int onlyCosting) const
{
    QStringList rows;
    for (const QVariantList &c : m_costings) {
        if (c[2].toDateTime().date() < fromDate() || (department >= 1 && c[5].toInt() != department)
            || (onlyCosting && c[0].toInt() != onlyCosting))
            continue;
        const Bill &bill = billOf(c[4].toInt(), c[3].toInt());
        rows << joined({c[0], c[1], c[2], m_shops.value(c[3].toInt()), bill.number, bill.amount, yesNo(c[6]), yesNo(c[7])});
    }
    return rows;
}

QStringList TestStatements::pendingRows(int department) const
{
    QStringList rows;
    for (const Bill &b : m_bills) {
        if (flagIs(b.costed, 0) && flagIs(b.cancelled, 0) && flagIs(b.confirmed, 1) && b.company == demo::companyId
            && (department <= 0 || b.department == department))
            rows << joined({b.id, b.number, b.date, m_vendors.value(b.vendor), elapsedText(b.date, b.time), b.shop, "Yes"});
    }
    return rows;
}

// "id|shop name" of the shops, or "id|number" of the bills, that pick() lets through.
QStringList TestStatements::billRows(const std::function<bool(const Bill &)> &pick, bool shops) const
{
    QSet<QString> rows;
    for (const Bill &b : m_bills) {
        if (pick(b))
            rows.insert(shops ? joined({b.shop, m_shops.value(b.shop)}) : joined({b.id, b.number}));
    }
    return QStringList(rows.cbegin(), rows.cend());
}

void TestStatements::registerWindow_data()
{
    addSelectColumns();
    addRow("error report: user name", lookup("username", "ausers where userid=" + n(demo::adminUserId)), {"ADMIN"});
    addRow("error report: user without a row", lookup("username", "ausers where userid=99"), {});
    addRow("load: alias flag, table name in mixed case", lookup("Alias", "aPAckageSettings"), {"0"});
    addRow("load: alias word 1", lookup("Alias", "aAlias", "Aliasid=1"), {"Store"});
    addRow("load: alias word 2", lookup("Alias", "aAlias", "Aliasid=2"), {"Depot"});
    addRow("load: user name", lookup("username", "ausers", "userID=" + n(demo::adminUserId)), {"ADMIN"});
    addRow("load: days back", lookup("backNoofDays", "aPackageSettings", " companyid=" + n(demo::companyId)),
           {n(demo::backNoofDays)});

    const QString master = registerQuery(demo::purchaseDepartmentId, fromText());
    addRow("register: department 1", master, registerRows(demo::purchaseDepartmentId), InOrder);
    addRow("register: all departments (0)", registerQuery(0, fromText()), registerRows(0), InOrder);
    QStringList flags;
    for (const QString &row : registerRows(0))
        flags << row.section('|', 0, 0) + '|' + row.section('|', 6);
    addRow("register: flags under their own names", registerQuery(0, fromText()), flags, InOrder,
           {"LPCHCOSTINGID", "lpchcancelled", "lpchCostingDone"});

    const int costing = m_costing[0].toInt();
    addRow("refresh: costing inside the window", refreshQuery(master, costing),
           registerRows(demo::purchaseDepartmentId, costing));
    addRow("refresh: costing before the window", refreshQuery(master, m_costings.first()[0].toInt()), {});
    addRow("refresh: costing of another department", refreshQuery(master, m_otherCosting[0].toInt()), {});
    addRow("refresh: all departments", refreshQuery(registerQuery(0, fromText()), m_otherCosting[0].toInt()),
           registerRows(0, m_otherCosting[0].toInt()));
    addRow("refresh: NULL flags and a shop missing from ashops", refreshQuery(master, 9001),
           {joined({9001, "N-1", kToday, QVariant(), "T-99001", QVariant(), QVariant(), QVariant()})}, AnyOrder, {},
           {billSeed(99001, 77, demo::purchaseDepartmentId, 1, 0, 1),
            {"insert into loaLocalPurchaseCostingHeader (lpchcostingid, lpchcostingno, lpchdate, lpchshopid, lpchbillid,"
             " lpchDepartmentid) values (9001, 'N-1', ?, 77, 99001, 1)", {kToday}}});

    const QString table = "loalocalpurchasecostingheader";
    const Seeds godown = {{"insert into aTableColumns (tableid, columnid, columnname, ColumnHeader)"
                           " values (?, 9, 'gsstock', 'Godown Stock')",
                           {queryValue(m_db, "select tableid from aTables where tablename=?", {table})}}};
    QStringList captions = {"Costing Id|lpchcostingid", "Costing No|lpchcostingno", "Costing Date|lpchdate",
                            "Shop Name|shopname", "Bill No|lphBillNo", "Bill Amount|lphBillAmount",
                            "Cancelled|lpchcancelled", "Costing Done|lpchCostingDone", "Godown Stock|gsstock"};
    addRow("captions: without aliases",
           "select tc.columnheader,tc.columnname from atables t,  atablecolumns tc where t.tableid = tc.tableid"
           " and tablename ='" + table + "' order by columnid",
           captions, InOrder, {}, godown);
    captions[3] = "Store Name|shopname";
    captions[8] = "Depot Stock|gsstock";
    addRow("captions: shop and godown replaced without regard to case",
           "select  replace(replace(tc.ColumnHeader, 'shop','Store'),'godown','Depot'),tc.columnname from atables t,"
           "atablecolumns tc where t.tableid = tc.tableid and tablename ='" + table + "'order by columnid",
           captions, InOrder, {}, godown);

    const auto rights = [](int user) {
        return "select functionrights from auserrights where userid = " + n(user) + " and interfaceid = " + n(2011);
    };
    addRow("rights: all four letters", rights(demo::adminUserId), {"NEDP"}, AnyOrder, {"FunctionRights"});
    addRow("rights: edit and preview", rights(demo::clerkUserId), {"EP"}, AnyOrder, {"FunctionRights"});
    addRow("rights: no row", rights(demo::viewerUserId), {});
}

void TestStatements::entryWindow_data()
{
    addSelectColumns();
    const int costing = m_costing[0].toInt();
    const int shop = m_costing[3].toInt();
    const int bill = m_costing[4].toInt();
    const QString header = plain(m_db, "select h.lpchdate, h.lpchshopid, h.lpchbillid, h.lpchDepartmentid, h.lpchremarks,"
        " h.lpchCostingDone, b.lphBillNo from loaLocalPurchaseCostingHeader h, losLocalPurchaseHeader b"
        " where b.lphBillID = h.lpchbillid and b.lphShopID = h.lpchshopid and h.lpchcostingid = ?", {costing}).value(0);
    QStringList opened;
    for (const QString &detail : plain(m_db, "select lpcddetailid from loaLocalPurchaseCostingDetail"
                                             " where lpcdcostingid = ?", {costing}))
        opened << header + '|' + detail;
    addRow("edit: costing with its details and bill",
           "select * from loalocalpurchasecostingheader lih left outer join loalocalpurchasecostingdetail lid "
           " on lih.lpchcostingid=lid.lpcdcostingid left outer join loslocalpurchaseheader loih on "
           " lih.lpchbillid=loih.lphbillid and lih.lpchshopid=loih.lphshopid where  lih.lpchcostingid=" + n(costing),
           opened, AnyOrder, {"lpchdate", "lpchshopid", "lpchbillid", "lpchDepartmentid", "lpchremarks",
                              "lpchCostingDone", "lphBillNo", "lpcddetailid"});
    addRow("edit: every department", comboList("DepartmentID", " DepartmentName", "adepartmentmaster"),
           {"1|Purchase", "2|Stores", "3|Imports", "4|Accounts"});
    addRow("load: the user's departments",
           comboList("d.DepartmentId", "d.DepartmentName",
                     "adepartmentmaster d,aUserDeptDetails u  Where d.Companyid = u.Companyid And u.userid = "
                         + n(demo::clerkUserId) + " and d.DepartmentID=u.DeptID and  d.CompanyId= " + n(demo::companyId)),
           {"1|Purchase", "2|Stores"});
    addRow("load: company's default department", lookup("CompanyDepartment", "apackagesettings"),
           {n(demo::purchaseDepartmentId)});

    const auto open = [](const Bill &b) { return flagIs(b.costed, 0) && flagIs(b.cancelled, 0); };
    addRow("shops: edit, every uncancelled bill",
           comboList("distinct ShopId", "shopname", "loslocalpurchaseheader loi left outer join aShops ag on "
                                                    " loi.lphShopId=ag.ShopId where  loi.lphcancelled=0"),
           billRows([](const Bill &b) { return flagIs(b.cancelled, 0); }, true));
    addRow("shops: new, department 1",
           comboList("distinct ShopId", "shopname", "losLocalPurchaseHeader loi left outer join aShops ag on "
                     " loi.lphShopId=ag.ShopId where loi.lphcosted=0 and loi.lphcancelled=0 and lphDepartmentID="
                         + n(demo::purchaseDepartmentId) + " "),
           billRows([&](const Bill &b) { return open(b) && b.department == demo::purchaseDepartmentId; }, true));
    addRow("shops: new, all departments",
           comboList("distinct ShopId", "shopname", "losLocalPurchaseHeader loi left outer join aShops ag on "
                     " loi.lphShopId=ag.ShopId where loi.lphcosted=0 and loi.lphcancelled=0  "),
           billRows(open, true));

    const Bill &p = m_pending;
    addRow("bills: new, shop and department",
           comboList("lphBillid", "lphBillNo", "loslocalpurchaseheader  where lphcosted=0 and  lphcancelled=0 and lphShopId="
                     + n(p.shop) + " and lphDepartmentID=" + n(p.department) + " and lphcosted=0"),
           billRows([&](const Bill &b) { return open(b) && b.shop == p.shop && b.department == p.department; }, false));
    addRow("bills: new, shop only",
           comboList("lphBillid", "lphBillNo", "loslocalpurchaseheader  where lphcosted=0 and  lphcancelled=0 and lphShopId="
                     + n(p.shop) + "  and lphcosted=0"),
           billRows([&](const Bill &b) { return open(b) && b.shop == p.shop; }, false));
    const QString costed = "loslocalpurchaseheader  lph,  loaLocalPurchaseCostingHeader  lpch  where lphcancelled=0 "
                           " and lphShopId=" + n(shop) + " and  lphShopId=lpchShopId and ";
    const QStringList ownBill = {joined({bill, billOf(bill, shop).number})};
    addRow("bills: edit, with department",
           comboList("lphBillid", "lphBillNo", costed + " lphDepartmentID=" + m_costing[5].toString()
                     + " and lphBillID=lpchbillid and lpchCostingid=" + n(costing)),
           ownBill);
    addRow("bills: edit, all departments",
           comboList("lphBillid", "lphBillNo", costed + " lphBillID=lpchbillid and lpchCostingid=" + n(costing)), ownBill);
}

void TestStatements::itemGrid_data()
{
    addSelectColumns();
    addRow("inventory currency",
           lookup("currencyid", "apackagesettings ap, aaccountmaster a ",
                  " ap.companyid = a.companyid and  ap.inventoryid = a.accountid"),
           {n(demo::baseCurrencyId)});
    const QVariantList foreign = queryRows(m_db, "select h.lphBillID, h.lphShopID, v.CurrencyID from losLocalPurchaseHeader h,"
                                                 " aVendorMaster v where v.VendorID = h.lphVendorID and v.CurrencyID <> ?",
                                           {demo::baseCurrencyId}).value(0);
    QVERIFY(!foreign.isEmpty());
    addRow("vendor currency of a foreign vendor",
           lookup("v.currencyid", "loslocalpurchaseheader h, avendormaster v",
                  " h.lphCompanyID = v.companyid  and h.lphVendorID = v.vendorid and lphShopID=" + cell(foreign[1])
                      + " and lphBillID=" + cell(foreign[0])),
           {cell(foreign[2])});
    addRow("exchange rates", lookup("lphexchangerates", "loslocalpurchaseheader", " lphBillID=" + cell(foreign[0])),
           plain(m_db, "select lphexchangerates from losLocalPurchaseHeader where lphBillID=?", {foreign[0]}));
    addRow("rowguid column reported",
           lookup("count(*)", "syscolumns", "id=object_id('loslocalpurchasedetail') and  colstat=2"), {"1"});
    addRow("no rowguid column on the item table", lookup("count(*)", "syscolumns", "id=object_id('aitem') and  colstat=2"),
           {"0"});
    addRow("item description", lookup("itemdescription", "vwitemdescription", "itemid=" + n(m_item)),
           plain(m_db, "select itemdescription from aItem where itemid=?", {m_item}));

    const QStringList lineFields = {"itemcode", "lpditemquantity", "lpditemunitprice", "lpditemid"};
    const QString newGrid = "select * from loslocalpurchasedetail loid left outer join "
                            " aitem ai on loid.lpditemid=ai.itemid where lpdbillid=";
    const QString billAndShop = n(m_pending.id) + " and lpdShopId=" + n(m_pending.shop);
    const QStringList lines = plain(m_db, "select i.itemcode, d.lpditemquantity, d.lpditemunitprice, d.lpditemid"
        " from losLocalPurchaseDetail d, aItem i where i.itemid = d.lpditemid and d.lpdbillid=? and d.lpdShopId=?"
        " order by d.rowguid", {m_pending.id, m_pending.shop});
    addRow("new: bill lines by rowguid", newGrid + billAndShop + " order by loid.rowguid", lines, InOrder, lineFields);
    addRow("new: bill lines, server's order", newGrid + billAndShop + " ", lines, AnyOrder, lineFields);
    addRow("new: rowguid decides, not the order of writing", newGrid + "99001 and lpdShopId=1 order by loid.rowguid",
           {"1", "2", "3"}, InOrder, {"lpditemid"}, {lineSeed(3, 3), lineSeed(1, 1), lineSeed(2, 2)});

    const int costing = m_costing[0].toInt();
    addRow("edit: saved costing lines",
           "select * from loaLocalPurchaseCostingHeader lih left outer join  loalocalpurchasecostingdetail lid on"
           " lih.lpchcostingid=lid.lpcdcostingid left outer join aitem  ai on lid.lpcditemid=ai.itemid"
           " where lih.lpchcostingid=" + n(costing),
           plain(m_db, "select d.lpcditemqty, d.lpcdcostedprice, d.lpcdbillunitprice, i.itemid, i.itemcode from"
                       " loaLocalPurchaseCostingDetail d, aItem i where i.itemid = d.lpcditemid and d.lpcdcostingid=?",
                 {costing}),
           AnyOrder, {"lpcditemqty", "lpcdcostedprice", "lpcdbillunitprice", "itemid", "itemcode"});

    const auto costingLayout = [](const QString &select) {
        return layoutQuery(select, "LOCALPURCHASECOSTING", "MFGSPLITDETAILS", "FRMLOCALPURCHASECOSTING");
    };
    addRow("layout: none stored", costingLayout("select count(*)"), {"0"});
    addRow("layout: another grid's", layoutQuery("select count(*)", "LOCALPURCHASE", "MFGDETAILS", "FRMLOCALPURCHASE"), {"5"});
    const QString column = "insert into aListViewDetails (lvwdid, lvwcolid, lvwdcolname, lvwdcolwidth, lvwdcolalign)"
                           " values (50, ?, ?, ?, ?)";
    const Seeds stored = {{"insert into aListViewHeader (lvwid, lvwtransname, lvwname, lvwmodulename) values (50, ?, ?, ?)",
                           {"  localpurchasecosting ", "mfgSplitDetails", " frmlocalpurchasecosting"}},
                          {column, {0, "No", 600, 1}}, {column, {1, "Code", 0, 1}}, {column, {2, "Item", 5000, 7}}};
    addRow("layout: stored names trimmed and upper-cased", costingLayout("select count(*)"), {"3"}, AnyOrder, {}, stored);
    addRow("layout: stored columns", costingLayout("select *"), {"0|No|600|1", "1|Code|0|1", "2|Item|5000|7"}, AnyOrder,
           {"lvwcolid", "lvwdcolname", "lvwdcolwidth", "lvwdcolalign"}, stored);
}

void TestStatements::saveAndNumbering_data()
{
    addSelectColumns();
    const int costing = m_costing[0].toInt();
    const int next = m_costings.last()[0].toInt() + 1;
    addRow("new id", lookup("isnull(max(lpchcostingid),0)+1", "loaLocalPurchaseCostingHeader"), {n(next)});
    addRow("new detail id", lookup("isnull(max(lpcddetailid),0)+1", "loalocalpurchasecostingdetail"),
           {n(queryValue(m_db, "select max(lpcddetailid) from loaLocalPurchaseCostingDetail").toInt() + 1)});
    addRow("server time", "select CURRENT_TIMESTAMP", {stamp(kServerNow)});
    addRow("creator's name", lookup("username", "aUsers", "userid=" + n(demo::clerkUserId)), {"RAVI"});
    addRow("inventory account", lookup("inventoryid", "aPackageSettings"), {n(demo::inventoryAccountId)});
    addRow("goods-in-transit account", lookup("GoodsInTransitID", "aPackageSettings"), {n(demo::goodsInTransitAccountId)});
    addRow("header rows to add to", "select * from loaLocalPurchaseCostingHeader",
           plain(m_db, "select lpchcostingid from loaLocalPurchaseCostingHeader"), AnyOrder, {"lpchcostingid"});
    addRow("header row to edit", "select * from loaLocalPurchaseCostingHeader where lpchcostingid=" + n(costing),
           plain(m_db, "select lpchremarks, lpchrecadduser, lpchCostingDone from loaLocalPurchaseCostingHeader"
                       " where lpchcostingid=?", {costing}),
           AnyOrder, {"lpchremarks", "lpchrecadduser", "lpchCostingDone"});
    addRow("detail rows to add to", "select * from loalocalpurchasecostingdetail",
           plain(m_db, "select lpcddetailid from loaLocalPurchaseCostingDetail"), AnyOrder, {"lpcddetailid"});

    addRow("prefix: department 1", prefixQuery(demo::purchaseDepartmentId), {"LPC-"});
    addRow("prefix: department without costings", prefixQuery(kAccounts), {"AC/LPC-"});
    addRow("prefix: none", prefixQuery(99), {});
    int largest = 0;
    for (const QVariantList &c : m_costings) {
        if (c[1].toString().startsWith("LPC-"))
            largest = std::max(largest, c[1].toString().mid(4).toInt());
    }
    QVERIFY(largest > 5);
    addRow("maximum: department 1", maximumQuery("LPC-", demo::purchaseDepartmentId), {n(largest)});
    const Seeds numbers = {costingSeed(9001, "A9", kAccounts),     costingSeed(9002, "A10", kAccounts),
                           costingSeed(9003, "LPC-7A", kAccounts), costingSeed(9004, "LPC-", kAccounts),
                           costingSeed(9005, "LPC-5", kAccounts),  costingSeed(9006, "12", kAccounts)};
    addRow("maximum: A10 above A9", maximumQuery("A", kAccounts), {"10"}, AnyOrder, {}, numbers);
    addRow("maximum: LPC-7A and the bare prefix left out", maximumQuery("LPC-", kAccounts), {"5"}, AnyOrder, {}, numbers);
    // len() ignores the trailing blank and right() keeps it, so the suffix read is "9 "
    addRow("maximum: trailing blank", maximumQuery("A", kAccounts), {"10"}, AnyOrder, {},
           {costingSeed(9001, "A10", kAccounts), costingSeed(9002, "A99 ", kAccounts)});
    addRow("maximum: no prefix", maximumQuery(QString(), kAccounts), {"12"}, AnyOrder, {}, numbers);
    addRow("maximum: prefix without numbers yet", maximumQuery("AC/LPC-", kAccounts), {"0"});
    addRow("maximum: every department", maximumQuery("LPC-", 0), {n(largest)}, AnyOrder, {}, numbers);
    addRow("maximum: every department, A", maximumQuery("A", 0), {"10"}, AnyOrder, {}, numbers);

    const int shop = m_costing[3].toInt();
    const int bill = m_costing[4].toInt();
    addRow("duplicate: the costing itself", duplicateQuery(bill, costing, shop), {});
    addRow("duplicate: a new costing of a costed bill", duplicateQuery(bill, next, shop), {m_costing[1].toString()});
    addRow("duplicate: uncancelled costing found", duplicateQuery(99001, 9002, 1), {"X-1"}, AnyOrder, {},
           {costingSeed(9001, "X-1", 1, 99001, 1, 0), costingSeed(9002, "X-2", 1, 99001, 1, 0)});
    addRow("duplicate: cancelled costing", duplicateQuery(99001, 9002, 1), {}, AnyOrder, {},
           {costingSeed(9001, "X-1", 1, 99001, 1, 1)});
    addRow("duplicate: NULL cancelled flag is not <> 1", duplicateQuery(99001, 9002, 1), {}, AnyOrder, {},
           {costingSeed(9001, "X-1", 1, 99001, 1, QVariant())});
    addRow("duplicate: costing of another shop", duplicateQuery(99001, 9002, 1), {}, AnyOrder, {},
           {costingSeed(9001, "X-1", 1, 99001, 2, 0)});
}

void TestStatements::itemCostAndCancellation_data()
{
    addSelectColumns();
    const QString item = n(m_item);
    addRow("godown stock", lookup("sum(gsstock)", "vwinquirygodownstock where gsitemid=" + item),
           plain(m_db, "select sum(Stock) from losGodownStock where ItemId=?", {m_item}));
    addRow("shop stock", lookup("sum(stock)", "vwinquiryshopstock where itemid=" + item),
           plain(m_db, "select sum(Stock) from losShopStock where ItemId=?", {m_item}));
    addRow("no stock rows: NULL", lookup("sum(gsstock)", "vwinquirygodownstock where gsitemid=" + n(kNoSuchItem)), {"NULL"});
    addRow("item rate", lookup("itemrate", "aitem where itemid=" + item),
           plain(m_db, "select itemrate from aItem where itemid=?", {m_item}));
    double waiting = 0;
    for (const QVariantList &r : queryRows(m_db, "select h.lphcosted, h.lphcancelled, d.lpditemquantity from"
             " losLocalPurchaseHeader h, losLocalPurchaseDetail d where h.lphBillID = d.lpdbillid"
             " and h.lphShopID = d.lpdShopId and d.lpditemid = ?", {m_item})) {
        if (flagIs(r[0], 0) && flagIs(r[1], 0))
            waiting += r[2].toDouble();
    }
    QVERIFY(waiting > 0);
    const auto onBills = [](const QString &itemId) {
        return lookup("isnull(sum(lpdItemQuantity),0)", "loslocalpurchaseheader h, loslocalpurchasedetail d",
                      " h.lphbillid=d.lpdbillid and h.lphShopId=d.lpdShopId and h.lphcosted=0  and d.lpditemid=" + itemId
                          + " and lphcancelled=0");
    };
    addRow("quantity on uncosted bills", onBills(item), {cell(waiting)});
    addRow("quantity on uncosted bills: none", onBills(n(kNoSuchItem)), {"0"});

    const int costing = m_costing[0].toInt();
    QStringList restore;
    for (const QString &row : plain(m_db, "select lpcditemid, lpcdolditemcostprice from loaLocalPurchaseCostingDetail"
                                          " where lpcdcostingid=?", {costing}))
        restore << row + "|1";
    addRow("cancel: old cost prices of a fixed costing",
           "select lpcditemid,lpcdolditemcostprice, lpchCostingDone  from  loalocalpurchasecostingdetail,"
           " loalocalpurchasecostingheader where lpcdcostingid=" + n(costing) + " and lpchCostingid=lpcdcostingid ",
           restore);
}

void TestStatements::previews_data()
{
    addSelectColumns();
    addRow("bill preview: user name", lookup("UserName", "lousers where userid=" + n(demo::clerkUserId)), {"RAVI"});
    const Bill &bill = billOf(m_costing[4].toInt(), m_costing[3].toInt());
    addRow("report: vendor of the bill number", lookup("lphVendorID", "loslocalpurchaseheader", "lphBillNo='" + bill.number + "'"),
           {n(bill.vendor)});
    addRow("report: vendor currency", lookup("CurrencyID", "aVendorMaster", "VendorID=" + n(bill.vendor)),
           plain(m_db, "select CurrencyID from aVendorMaster where VendorID=?", {bill.vendor}));
    addRow("report: currency symbol", lookup("Symbol", "aCurrencyMaster", "CurrencyID=" + n(demo::dollarCurrencyId)), {"$"});
    addRow("report: department name", lookup("DepartmentName", "aDepartmentMaster", "DepartmentId = " + n(demo::storesDepartmentId)),
           {"Stores"});
}

void TestStatements::pendingBills_data()
{
    addSelectColumns();
    addRow("department 1", pendingQuery(demo::purchaseDepartmentId), pendingRows(demo::purchaseDepartmentId));
    addRow("all departments", pendingQuery(0), pendingRows(0));
    QStringList confirmed;
    for (const QString &row : pendingRows(0))
        confirmed << row.section('|', 0, 0) + "|Yes";
    addRow("'Yes' as 'Confirmed' names its column", pendingQuery(0), confirmed, AnyOrder, {"lphBillID", "Confirmed"});
    const Seeds bills = {billSeed(99001, 1, kAccounts, 0, 0, 1), billSeed(99002, 1, kAccounts, 0, 0, 0),
                         billSeed(99003, 1, kAccounts, 1, 0, 1), billSeed(99004, 1, kAccounts, 0, 1, 1),
                         billSeed(99005, 1, kAccounts, 0, 0, QVariant()), billSeed(99006, 1, kAccounts, 0, 0, 1, 2)};
    addRow("09:00 seen at 11:05, only confirmed open bills of the company", pendingQuery(kAccounts),
           {joined({99001, "T-99001", kToday, m_vendors.value(1), "2 Hrs:5Mts", 1, "Yes"})}, AnyOrder, {}, bills);
}

void TestStatements::writes_data()
{
    QTest::addColumn<Seeds>("seeds");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("affected");
    QTest::addColumn<QString>("check");
    QTest::addColumn<QStringList>("expected");

    const QString id = m_costing[0].toString();
    const int details = queryValue(m_db, "select count(*) from loaLocalPurchaseCostingDetail where lpcdcostingid=?",
                                   {m_costing[0]}).toInt();
    QTest::newRow("save: edit stamps the update time")
        << Seeds() << "Update loaLocalPurchaseCostingHeader set updatetime=getdate() where lpchcostingid=" + id << 1
        << "select updatetime from loaLocalPurchaseCostingHeader where lpchcostingid=" + id << QStringList(stamp(kServerNow));
    QTest::newRow("save: edit removes the detail rows")
        << Seeds() << "delete from loalocalpurchasecostingdetail where lpcdcostingid=" + id << details
        << "select count(*) from loaLocalPurchaseCostingDetail where lpcdcostingid=" + id << QStringList("0");
    const QString bill = n(m_pending.id);
    const QString shop = n(m_pending.shop);
    QTest::newRow("save: bill marked costed with the server's date")
        << Seeds()
        << "update loslocalpurchaseheader set lphcosted=1,lphBillTime='" + kServerNow.toString("yyyyMMdd") + "' where "
               " lphBillid=" + bill + " and lphShopId=" + shop
        << 1 << "select lphcosted, lphBillTime from losLocalPurchaseHeader where lphBillID=" + bill + " and lphShopID=" + shop
        << QStringList("1|" + stamp(QDateTime(kServerNow.date(), QTime(0, 0))));

    const QString item = n(m_item);
    const int shipments = queryValue(m_db, "select count(*) from losShopItemShipmentDetail where itemid=?", {m_item}).toInt();
    QTest::newRow("item cost: new rate fixed")
        << Seeds() << "update aitem set itemrate=10.5 where itemid=" + item << 1
        << "select itemrate from aItem where itemid=" + item << QStringList("10.5");
    QTest::newRow("item cost: shipment lines of every shop flagged")
        << Seeds() << "Update losshopitemshipmentdetail set  pricechanged=1 where  itemid=" + item << shipments
        << "select count(*) from losShopItemShipmentDetail where pricechanged=1 and itemid=" + item
        << QStringList(n(shipments));

    QTest::newRow("cancel: costing flagged")
        << Seeds() << "update loalocalpurchasecostingheader set lpchcancelled=1 where lpchcostingid=" + id << 1
        << "select lpchcancelled from loaLocalPurchaseCostingHeader where lpchcostingid=" + id << QStringList("1");
    const int costedShop = m_costing[3].toInt();
    const int otherShop = costedShop % demo::shopCount + 1;
    QStringList shops = {n(costedShop) + "|0", n(otherShop) + "|1"};
    if (otherShop < costedShop)
        shops.swapItemsAt(0, 1);
    QTest::newRow("cancel: bill uncosted, same bill id in another shop untouched")
        << Seeds{{"insert into losLocalPurchaseHeader (lphBillID, lphShopID, lphBillNo, lphcosted, lphcancelled)"
                  " values (?, ?, 'T-2', 1, 0)", {m_costing[4], otherShop}}}
        << "update loslocalpurchaseheader set lphcosted =0  where lphBillid=(select lpchbillid from"
           " loalocalpurchasecostingheader where  lpchcostingid=" + id + ") and lphshopid= (select lpchshopid from"
           " loalocalpurchasecostingheader where  lpchcostingid=" + id + ")"
        << 1 << "select lphShopID, lphcosted from losLocalPurchaseHeader where lphBillID=" + m_costing[4].toString()
               + " order by lphShopID"
        << shops;
    const QVariantList old = queryRows(m_db, "select lpcditemid, lpcdolditemcostprice from loaLocalPurchaseCostingDetail"
                                             " where lpcdcostingid=?", {m_costing[0]}).first();
    QTest::newRow("cancel: old cost price written back")
        << Seeds() << "update aitem set itemrate=" + cell(old[1]) + " where itemid=" + cell(old[0]) << 1
        << "select itemrate from aItem where itemid=" + cell(old[0]) << QStringList(cell(old[1]));
}

void TestStatements::writes()
{
    QFETCH(Seeds, seeds);
    QFETCH(QString, sql);
    QFETCH(int, affected);
    QFETCH(QString, check);
    QFETCH(QStringList, expected);
    const QStringList before = plain(m_db, check);
    m_db->beginTrans();
    plant(seeds);
    qint64 changed = -1;
    try {
        changed = m_db->execute(sql);
    } catch (const Error &e) {
        QFAIL(qPrintable(QString("%1\n   failed with %2: %3").arg(sql).arg(e.number()).arg(e.description())));
    }
    QCOMPARE(changed, qint64(affected));
    QCOMPARE(plain(m_db, check), expected);
    m_db->rollbackTrans();
    QCOMPARE(plain(m_db, check), before);
}

// isnumeric() lets through texts that convert(int, ...) refuses; SQL Server then fails the
// whole numbering query, and so must we.
void TestStatements::failsAsSqlServerFails_data()
{
    QTest::addColumn<Seeds>("seeds");
    QTest::addColumn<QString>("sql");
    QTest::newRow("maximum: suffix 1e2") << Seeds{costingSeed(9001, "A1e2", kAccounts)} << maximumQuery("A", kAccounts);
    QTest::newRow("maximum: suffix $") << Seeds{costingSeed(9001, "A$", kAccounts)} << maximumQuery("A", kAccounts);
}

void TestStatements::failsAsSqlServerFails()
{
    QFETCH(Seeds, seeds);
    QFETCH(QString, sql);
    m_db->beginTrans();
    plant(seeds);
    try {
        Recordset rs;
        rs.open(sql, m_db, CursorType::Static, LockType::ReadOnly);
        QFAIL(qPrintable(sql + "\n   gave " + cell(rs.eof() ? QVariant() : rs.value(0)) + " instead of failing"));
    } catch (const Error &e) {
        QCOMPARE(e.number(), errnum::Conversion);
    }
}

QTEST_GUILESS_MAIN(TestStatements)
#include "tst_statements.moc"
