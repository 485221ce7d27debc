#include "bench/benchcommon.h"

#include "controls/listview.h"
#include "db/demodata.h"
#include "db/schema.h"
#include "db/transaction.h"
#include "db/tsql/translator.h"
#include "pending/frmpendingmaster.h"
#include "pending/pendingquery.h"
#include "shell/session.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

using namespace kadu2217;

namespace bench {

namespace {

constexpr int kWaitingBills = 10000;
constexpr int kFirstBillId = 1000000; // above every bill of the demo data
constexpr int kDemoVendors = 10;      // the demo data has at least as many

// Confirmed, uncosted bills spread over the demo's shops, vendors and costing departments,
// made in the last days before `now`.
void addWaitingBills(Connection &connection, const QDateTime &now)
{
    Transaction transaction(connection);
    const QString insert = QStringLiteral(
        "insert into losLocalPurchaseHeader (lphBillID, lphShopID, lphBillNo, lphBillDate, lphBillTime, lphBillAmount, "
        "lphVendorID, lphCompanyID, lphDepartmentID, lphcosted, lphcancelled, lphConfirmed) "
        "values (?, ?, ?, ?, ?, ?, ?, 1, ?, 0, 0, 1)");
    for (int i = 0; i < kWaitingBills; ++i) {
        const QDateTime made = now.addSecs(-60 * qint64(17 * i % 9000 + 120));
        const int shop = i % demo::shopCount + 1;
        connection.execute(insert, {kFirstBillId + i, shop, QStringLiteral("LP/BENCH/%1").arg(i + 1),
                                    QDateTime(made.date(), QTime(0, 0)), made, 100.0 + i % 900, i % kDemoVendors + 1,
                                    i % 3 + demo::purchaseDepartmentId});
    }
    transaction.commit();
}

} // namespace

void pendingListOpen(const QString &folder, Report &report)
{
    const QString file = QDir(folder).filePath(QStringLiteral("pending.db"));
    const bool exists = QFile::exists(file);
    auto connection = std::make_shared<Connection>();
    connection->openFile(file);
    DemoOptions options;
    options.now = benchNow;
    if (!exists) {
        createSchema(*connection);
        generateDemoData(*connection, options);
        addWaitingBills(*connection, options.now);
    } else {
        upgradeSchema(*connection);
    }

    const auto module = startSession(connection, 0);
    module->context().state.GObjFormTheme = createServiceAs<clsFormTheme>(servicenames::FormTheme);

    const QString tsqlText = QStringLiteral("select ") + pendingFields().join(QLatin1Char(',')) + QStringLiteral(" from ")
        + pendingTables() + QStringLiteral(" where ") + pendingCondition(0, demo::companyId);
    tsql::Catalog catalog;
    catalog.dateTimeColumns = {QStringLiteral("lphbilldate"), QStringLiteral("lphbilltime")};
    qint64 rows = 0;
    const double aloneMs = bestMs(3, [&] { rows = stepWithSqliteAlone(file, tsql::translate(tsqlText, catalog).sql); });

    frmPendingMaster &window = module->pending();
    const double oursMs = bestMs(3, [&] { window.Form_Load(); });
    const int shown = window.lvwPending()->listItemCount();

    QTextStream(stdout) << "pending list: " << shown << " bills listed (query rows " << rows << ")\n";
    report.add({QStringLiteral("pending list opens (query + fill + colour), %1 rows").arg(shown), oursMs, aloneMs, 3.0,
                QStringLiteral("ms")});
}

} // namespace bench
