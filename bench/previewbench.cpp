#include "bench/benchcommon.h"
#include "bench/replay.h"

#include "entry/frmcostpreview.h"
#include "entry/itemcost.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

using namespace kadu2217;

namespace bench {

void costPreviewOpen(const QString &folder, int costings, Report &report)
{
    // The preview of a waiting 1,000-line bill against the lookups a save of that bill makes
    // for its items, on the same file.
    const QString file = QDir(folder).filePath(QStringLiteral("preview.db"));
    QFile::remove(file);
    QFile::copy(demoFile(folder, qMax(1000, costings / 10)), file);
    const QVector<CostingToSave> bills = addLargeBills(file, kLines, 1);
    {
        OurSession session(file);
        DefaultDatabase lookups;
        lookups.adocon = session.connection();
        const CostingToSave &bill = bills.first();
        frmCostPreview preview(session.module().context());
        double ours = 0;
        double lookupsAlone = 0;
        // Taking turns, so that neither gets a warmer cache or a quieter moment of the machine.
        for (int run = 0; run < 5; ++run) {
            const double shown = bestMs(1, [&] {
                preview.showPreview(lookups, bill);
                QCoreApplication::processEvents();
            });
            const double looked = bestMs(1, [&] {
                for (const CostingLine &line : bill.lines)
                    lookupItemStanding(lookups, line.itemId.toInt(), 0, true);
            });
            ours = run == 0 ? shown : qMin(ours, shown);
            lookupsAlone = run == 0 ? looked : qMin(lookupsAlone, looked);
        }
        QTextStream(stdout) << "cost preview: " << preview.lines().size() << " lines\n";
        report.add({QStringLiteral("cost preview of a %1-line bill (against its lookups alone)").arg(kLines), ours, lookupsAlone,
                    2.0, QStringLiteral("ms")});
    }
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(file + suffix);
}

} // namespace bench
