#include "bench/benchcommon.h"

#include "db/demodata.h"
#include "db/recordset.h"
#include "db/transaction.h"
#include "db/tsql/translator.h"
#include "reports/costingreport.h"
#include "services/reportengine.h"
#include "shell/reportfiles.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <sqlite3.h>

using namespace kadu2217;

namespace bench {

namespace {

constexpr int kLines = 1000;
constexpr int kCostingId = 2000000; // above every costing of the demo data

// A costing of the first demo costing's bill with kLines lines, written once into the file.
void addLargeCosting(Connection &connection)
{
    Transaction transaction(connection);
    connection.execute(QStringLiteral("delete from loaLocalPurchaseCostingDetail where lpcdcostingid = ?"), {kCostingId});
    connection.execute(QStringLiteral("delete from loaLocalPurchaseCostingHeader where lpchcostingid = ?"), {kCostingId});
    connection.execute(QStringLiteral(
                           "insert into loaLocalPurchaseCostingHeader (lpchcostingid, lpchcostingno, lpchdate, lpchTime, lpchcompanyid, "
                           "lpchshopid, lpchbillid, lpchDepartmentid, lpchremarks, lpchrecadduser, lpchInventoryaccid, lpchCostingDone, "
                           "lpchcancelled) select ?, 'LPC-BENCH', lpchdate, lpchTime, lpchcompanyid, lpchshopid, lpchbillid, "
                           "lpchDepartmentid, 'a thousand lines', lpchrecadduser, lpchInventoryaccid, 0, 0 "
                           "from loaLocalPurchaseCostingHeader where lpchcostingid = 1"),
                       {kCostingId});
    const int items = DemoOptions().items;
    for (int k = 0; k < kLines; ++k)
        connection.execute(QStringLiteral("insert into loaLocalPurchaseCostingDetail (lpcddetailid, lpcdcostingid, lpcditemid, "
                                          "lpcditemqty, lpcdbillunitprice, lpcdcostedprice, lpcdolditemcostprice, lpcdnewitemcostprice) "
                                          "values (?, ?, ?, ?, ?, ?, ?, ?)"),
                           {qint64(kCostingId) * 10 + k, kCostingId, k % items + 1, 1 + k % 17, 10.5 + k, 10.5 + k, 9.75 + k, 10.25 + k});
    transaction.commit();
}

} // namespace

void largeCostingReport(const QString &folder, Report &report)
{
    const QString file = demoFile(folder, 60);
    auto connection = std::make_shared<Connection>();
    connection->openFile(file);
    addLargeCosting(*connection);

    registerCostingReportFunctions();
    const QString definitionFile = reportfiles::definitionPath(reportfiles::componentFolder(), reportfiles::costingA4);
    const ReportDefinition definition = ReportDefinition::read(definitionFile);
    QStringList statements;
    QStringList translated;
    tsql::Catalog catalog;
    for (const auto &query : definition.queries) {
        statements << QString(query.second).replace(QStringLiteral("{param.1}"), QString::number(kCostingId));
        translated << tsql::translate(statements.last(), catalog).sql;
    }
    qint64 rows = 0;
    sqlite3 *db = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    tsql::registerFunctions(db);
    const double aloneMs = bestMs(5, [&] {
        rows = 0;
        for (const QString &statement : translated)
            rows += stepWithSqliteAlone(db, statement);
    });
    sqlite3_close(db);
    // The definition's statements as the engine reads them: through the session connection,
    // every value of every row.
    const double queriesMs = bestMs(5, [&] {
        for (const QString &statement : statements) {
            Recordset rs;
            rs.open(statement, connection, CursorType::ForwardOnly, LockType::ReadOnly);
            for (; !rs.eof(); rs.moveNext()) {
                for (int c = 0; c < rs.fieldCount(); ++c)
                    rs.value(c);
            }
        }
    });

    ReportParameters parameters;
    parameters.set(1, kCostingId, false);
    parameters.set(2, kCostingReportTitle, true);
    parameters.set(3, QStringLiteral("Purchase"), true);
    ReportContent content;
    const double dataMs = bestMs(5, [&] { content = runReport(definition, parameters, connection); });

    const QString pdf = QDir(folder).filePath(QStringLiteral("costing-report.pdf"));
    resetPeakResident();
    const double before = residentMb();
    int pages = 0;
    const double pdfMs = bestMs(3, [&] {
        auto engine = openCostingReport(connection, kCostingId, definitionFile, QStringLiteral("Purchase"));
        engine->ExportPdf(pdf);
        pages = engine->PageCount();
    });
    const double grownMb = peakResidentMb() - before;

    QTextStream(stdout) << "costing report: " << content.records << " lines, " << pages << " pages, "
                        << QFile(pdf).size() / 1024 << " KB of PDF (query rows " << rows << ")\n";
    report.add({QStringLiteral("report queries of a %1-line costing").arg(content.records), queriesMs, aloneMs, 2.0,
                QStringLiteral("ms")});
    report.add({QStringLiteral("  the same with the layout filled"), dataMs, aloneMs, 0, QStringLiteral("ms"), true});
    report.add({QStringLiteral("%1-line costing to PDF, %2 pages").arg(content.records).arg(pages), pdfMs, 0, 0, QStringLiteral("ms"), true});
    report.add({QStringLiteral("memory the PDF run adds"), grownMb, 0, 100, QStringLiteral("MB")});
}

} // namespace bench
