#include "bench/benchcommon.h"
#include "bench/replay.h"

#include "cancel/costingcancel.h"
#include "controls/flexgrid.h"
#include "db/recordset.h"
#include "register/frmmaster.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

using namespace kadu2217;

namespace bench {
namespace {

constexpr int kCostings = 8; // each cancelled once; the best counts

// The register's row of a costing, or -1.
int registerRowOf(const FlexGrid &grid, qint32 id)
{
    const QString text = QString::number(id);
    for (int row = grid.rows() - 1; row >= 1; --row) {
        if (grid.textMatrix(row, 0) == text)
            return row;
    }
    return -1;
}

} // namespace

void fixedCostingCancel(const QString &folder, int costings, Report &report)
{
    // The same fixed costings are saved on two copies of one file; ours are cancelled through
    // the register, and SQLite alone replays each cancellation's statements on the other copy.
    const QString source = demoFile(folder, qMax(1000, costings / 10));
    const QString oursFile = QDir(folder).filePath(QStringLiteral("cancel-ours.db"));
    const QString aloneFile = QDir(folder).filePath(QStringLiteral("cancel-alone.db"));
    for (const QString &copy : {oursFile, aloneFile}) {
        QFile::remove(copy);
        QFile::copy(source, copy);
    }
    QVector<CostingToSave> bills = addLargeBills(oursFile, kLines, kCostings);
    addLargeBills(aloneFile, kLines, kCostings);
    Best ours;
    Best alone;
    int statements = 0;
    {
        OurSession session(oursFile);
        OurSession aloneSetUp(aloneFile);
        for (const CostingToSave &bill : qAsConst(bills)) {
            QVector<Statement> unused;
            session.save(bill, unused);
            aloneSetUp.save(bill, unused);
        }
        FrmMaster &master = session.module().master();
        master.Form_Load();
        FlexGrid &grid = *master.FlexMaster();
        QVector<qint32> ids;
        Recordset saved;
        saved.open(QStringLiteral("select top %1 lpchcostingid from loalocalpurchasecostingheader order by lpchcostingid desc")
                       .arg(kCostings),
                   session.connection());
        for (; !saved.eof(); saved.moveNext())
            ids.append(saved.value(0).toInt());
        saved.close();
        AloneReplays replays(aloneFile);
        // Newest first: each costing still left its items at its own costs, so nothing was
        // changed after it and every item gets its cost back.
        for (const qint32 id : qAsConst(ids)) {
            const int row = registerRowOf(grid, id);
            if (row < 0)
                qFatal("cancellation bench: costing %d is not in the register", id);
            grid.setRow(row);
            CostingToCancel request;
            request.costingId = QString::number(id);
            request.costingNo = grid.textMatrix(row, 1);
            request.reason = QStringLiteral("bench");
            QVector<Statement> trace;
            CancelOutcome outcome = CancelOutcome::AlreadyCancelled;
            ours.add(session.traced(trace, 3 * kLines, [&] {
                outcome = cancelCosting(session.module().context(), master, session.audit(), request);
            }));
            if (outcome != CancelOutcome::Cancelled)
                qFatal("cancellation bench: costing %d was not cancelled", id);
            alone.add(replays.replay(trace, AloneReplays::Reads::AllRows));
            statements = int(trace.size());
        }
    }
    for (const QString &file : {oursFile, aloneFile}) {
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(file + suffix);
    }
    QTextStream(stdout) << "cancellation: fixed " << kLines << "-line costing, " << statements << " statements\n";
    report.add({QStringLiteral("cancellation of a fixed %1-line costing").arg(kLines), ours.ms, alone.ms, 2.0,
                QStringLiteral("ms")});
}

} // namespace bench
