#include "bench/benchcommon.h"

#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "db/connection.h"
#include "db/demodata.h"
#include "db/recordset.h"
#include "db/schema.h"
#include "db/tsql/translator.h"
#include "db/values.h"
#include "entry/frmlocalpurchasecosting.h"
#include "shell/session.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <sqlite3.h>

using namespace kadu2217;

namespace bench {
namespace {

constexpr int kLines = 1000;
constexpr int kShop = 1;
const QString kRates = QStringLiteral("1:2:-1:0.0125:");

// A demo file with at least kLines items and one waiting bill of kLines lines, one item
// each, from a vendor paid in another currency than the inventory's.
qint32 addLargeBill(const QString &file)
{
    auto c = std::make_shared<Connection>();
    c->openFile(file);
    Recordset rs;
    rs.open(QStringLiteral("select isnull(max(lphBillID),0)+1 from losLocalPurchaseHeader"), c);
    const qint32 bill = rs.value(0).toInt();
    rs.close();
    rs.open(QStringLiteral("select VendorID from aVendorMaster where CurrencyID=2"), c);
    const qint32 vendor = rs.value(0).toInt();
    rs.close();
    c->beginTrans();
    c->execute(QStringLiteral("insert into losLocalPurchaseHeader (lphBillID, lphShopID, lphBillNo, lphVendorID, lphCompanyID, "
                              "lphDepartmentID, lphcosted, lphcancelled, lphConfirmed, lphexchangerates) "
                              "values (?, ?, 'BENCH-GRID', ?, 1, 1, 0, 0, 1, ?)"),
               {bill, kShop, vendor, kRates});
    for (int line = 1; line <= kLines; ++line)
        c->execute(QStringLiteral("insert into losLocalPurchaseDetail (lpdbillid, lpdShopId, lpditemid, lpditemquantity, "
                                  "lpditemunitprice) values (?, ?, ?, ?, ?)"),
                   {bill, kShop, line, 1 + line % 7, 100.0 + line * 0.37});
    c->commitTrans();
    return bill;
}

// The statements the bill selection sends, in its order; the description lookups follow
// the line query, one per line.
struct Lookups {
    QStringList leading; // currencies, rate text, rowguid test: one value each
    QString lines;
    QString description(const QString &itemId) const
    {
        return QStringLiteral("select itemdescription from vwitemdescription where itemid=") + itemId;
    }
};

Lookups lookupsOf(qint32 bill)
{
    const QString b = QString::number(bill);
    const QString s = QString::number(kShop);
    return {{QStringLiteral("select currencyid from apackagesettings ap, aaccountmaster a  where  ap.companyid = a.companyid and  "
                            "ap.inventoryid = a.accountid"),
             QStringLiteral("select v.currencyid from loslocalpurchaseheader h, avendormaster v where  h.lphCompanyID = v.companyid  "
                            "and h.lphVendorID = v.vendorid and lphShopID=") + s + QStringLiteral(" and lphBillID=") + b,
             QStringLiteral("select lphexchangerates from loslocalpurchaseheader where  lphBillID=") + b,
             QStringLiteral("select count(*) from syscolumns where id=object_id('loslocalpurchasedetail') and  colstat=2")},
            QStringLiteral("select * from loslocalpurchasedetail loid left outer join  aitem ai on loid.lpditemid=ai.itemid "
                           "where lpdbillid=") + b + QStringLiteral(" and lpdShopId=") + s + QStringLiteral(" order by loid.rowguid")};
}

// The same statements through the module's data layer, reading what the fill reads.
void runThroughDataLayer(const Lookups &lookups, const ConnectionPtr &c)
{
    for (const QString &sql : lookups.leading) {
        Recordset rs;
        rs.open(sql, c);
        rs.value(0);
    }
    Recordset lines;
    lines.open(lookups.lines, c, CursorType::Keyset, LockType::ReadOnly);
    for (; !lines.eof(); lines.moveNext()) {
        lines.value(QStringLiteral("itemcode"));
        lines.value(QStringLiteral("lpditemquantity"));
        lines.value(QStringLiteral("lpditemunitprice"));
        lines.value(QStringLiteral("lpditemid"));
        Recordset description;
        description.open(lookups.description(value::toText(lines.value(QStringLiteral("itemid")))), c);
        description.value(0);
    }
}

// The same statements, translated beforehand, stepped by SQLite alone on one handle.
class SqliteAlone {
public:
    SqliteAlone(const QString &file, const Lookups &lookups, int lines)
    {
        sqlite3_open_v2(file.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr);
        tsql::registerFunctions(m_db);
        const tsql::Catalog catalog;
        for (const QString &sql : lookups.leading)
            m_leading << tsql::translate(sql, catalog).sql.toUtf8();
        m_lines = tsql::translate(lookups.lines, catalog).sql.toUtf8();
        for (int item = 1; item <= lines; ++item)
            m_descriptions << tsql::translate(lookups.description(QString::number(item)), catalog).sql.toUtf8();
    }
    ~SqliteAlone() { sqlite3_close(m_db); }

    void run() const
    {
        for (const QByteArray &sql : m_leading)
            step(sql);
        step(m_lines);
        for (const QByteArray &sql : m_descriptions)
            step(sql);
    }

private:
    void step(const QByteArray &sql) const
    {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &stmt, nullptr) == SQLITE_OK) {
            const int columns = sqlite3_column_count(stmt);
            while (sqlite3_step(stmt) == SQLITE_ROW) {
                for (int col = 0; col < columns; ++col)
                    sqlite3_column_text(stmt, col);
            }
        }
        sqlite3_finalize(stmt);
    }

    sqlite3 *m_db = nullptr;
    QVector<QByteArray> m_leading;
    QByteArray m_lines;
    QVector<QByteArray> m_descriptions;
};

} // namespace

void itemGridFill(const QString &folder, Report &report)
{
    const QString file = QDir(folder).filePath(QStringLiteral("itemgrid.db"));
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(file + suffix);
    DemoOptions options;
    options.items = kLines;
    options.now = benchNow;
    {
        Connection connection;
        connection.openFile(file);
        createSchema(connection);
        generateDemoData(connection, options);
    }
    const qint32 bill = addLargeBill(file);

    auto connection = std::make_shared<Connection>();
    connection->openFile(file);
    const auto module = startSession(connection, 0);
    ModuleState &m = module->context().state;
    m.GObjFormTheme = createServiceAs<clsFormTheme>(servicenames::FormTheme);
    m.GObjAuditTrail = createServiceAs<clsAuditTrail>(servicenames::AuditTrail);
    m.entryMode = EntryMode::New;

    frmlocalpurchasecosting &window = module->entry();
    window.Load();
    window.cboShop()->selectByValue(kShop);
    int billIndex = -1;
    for (int i = 0; i < window.cboPurchNo()->listCount(); ++i) {
        if (window.cboPurchNo()->itemData(i) == bill)
            billIndex = i;
    }
    // Each selection of the bill refills the grid from scratch.
    const double oursMs = bestMs(3, [&] { window.cboPurchNo()->setListIndex(billIndex); });
    const int rows = window.mfgSplitDetails()->rows() - 1;

    const Lookups lookups = lookupsOf(bill);
    const double dataLayerMs = bestMs(3, [&] { runThroughDataLayer(lookups, connection); });
    const SqliteAlone alone(file, lookups, kLines);
    const double aloneMs = bestMs(3, [&] { alone.run(); });

    QTextStream(stdout) << "item grid: " << rows << " rows filled; its lookups alone through the data layer "
                        << QString::number(dataLayerMs, 'f', 1) << " ms, through SQLite alone "
                        << QString::number(aloneMs, 'f', 1) << " ms\n";
    report.add({QStringLiteral("item grid fill, %1-line bill, vs its lookups").arg(rows), oursMs, dataLayerMs, 3.0,
                QStringLiteral("ms")});
    report.add({QStringLiteral("item grid fill, %1-line bill, vs SQLite alone").arg(rows), oursMs, aloneMs, 3.0,
                QStringLiteral("ms")});
}

} // namespace bench
