#include "bench/benchcommon.h"

#include "controls/flexgrid.h"
#include "db/demodata.h"
#include "db/recordset.h"
#include "db/schema.h"
#include "db/tsql/translator.h"
#include "register/frmmaster.h"
#include "register/registerquery.h"
#include "shell/session.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

using namespace kadu2217;

namespace bench {

void registerOpen(const QString &folder, int costings, Report &report)
{
    double generateMs = 0;
    const QString file = demoFile(folder, costings, &generateMs);
    const bool exists = generateMs == 0;
    auto connection = std::make_shared<Connection>();
    connection->openFile(file);
    // List every costing: the register's date window reaches back far enough.
    connection->execute(QStringLiteral("update aPackageSettings set backNoofDays=36500"));

    const auto module = startSession(connection, 0);

    const QString tsqlText = registerQuery(0, QStringLiteral("loalocalpurchasecostingheader"), benchNow.date().addDays(-36500));
    tsql::Catalog catalog;
    catalog.dateTimeColumns.insert(QStringLiteral("lpchdate"));
    qint64 rows = 0;
    const double aloneMs = bestMs(3, [&] {
        rows = stepWithSqliteAlone(file, tsql::translate(tsqlText, catalog).sql);
    });

    FrmMaster &window = module->master();
    const double before = residentMb();
    resetPeakResident();
    window.Form_Load();
    const double peak = peakResidentMb();
    const double oursMs = bestMs(3, [&] { window.Form_Load(); });
    const int shown = window.FlexMaster()->rows() - 1;

    QTextStream(stdout) << "demo data: " << costings << " costings" << (exists ? " (reused)" : "") << " generated in " << QString::number(generateMs / 1000.0, 'f', 1)
                        << " s; register rows " << shown << " (query rows " << rows << ")\n";
    report.add({QStringLiteral("register opens (query + grid fill), %1 rows").arg(shown), oursMs, aloneMs, 1.5, QStringLiteral("ms")});
    report.add({QStringLiteral("register memory above start (peak RSS growth)"), peak - before, 0, 150.0, QStringLiteral("MB")});
}

} // namespace bench
