#include "bench/benchcommon.h"
#include "bench/replay.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

using namespace kadu2217;

namespace bench {
namespace {

constexpr int kShortLines = 100;
constexpr int kBills = 8; // each size is saved this many times; the best counts

} // namespace

void largeCostingSave(const QString &folder, int costings, Report &report)
{
    // Time per line is the slope between a 100-line and a 1,000-line save, so that what a save
    // does once (its number, the duplicate check) is not counted as a cost of its lines. SQLite
    // alone replays the same statements at both history sizes: what grows there is SQLite's
    // own, what grows beyond it is ours. The two sizes take turns, save after save, so that a
    // busy moment of the machine or the warming of the process does not favour either.
    const int sizes[2] = {qMax(1000, costings / 10), costings};
    QVector<CostingToSave> shortBills[2];
    QVector<CostingToSave> longBills[2];
    QStringList files;
    for (int i = 0; i < 2; ++i) {
        const QString source = demoFile(folder, sizes[i]);
        const QString ours = QDir(folder).filePath(QStringLiteral("save-ours-%1.db").arg(i));
        const QString alone = QDir(folder).filePath(QStringLiteral("save-alone-%1.db").arg(i));
        for (const QString &copy : {ours, alone}) {
            QFile::remove(copy);
            QFile::copy(source, copy);
            files << copy;
        }
        shortBills[i] = addLargeBills(ours, kShortLines, kBills);
        longBills[i] = addLargeBills(ours, kLines, kBills);
        addLargeBills(alone, kShortLines, kBills);
        addLargeBills(alone, kLines, kBills);
    }

    // Each save is replayed by SQLite alone at once and its statements let go, so that what
    // is kept for the replays does not pile up in the memory of the saves timed after it.
    Best ours[2][2]; // [size][short, long]
    Best alone[2][2];
    int statements = 0;
    {
        OurSession saves[2] = {OurSession(files[0]), OurSession(files[2])};
        AloneReplays replays[2] = {AloneReplays(files[1]), AloneReplays(files[3])};
        for (int b = 0; b < kBills; ++b) {
            for (int i = 0; i < 2; ++i) {
                for (int kind = 0; kind < 2; ++kind) {
                    QVector<Statement> trace;
                    ours[i][kind].add(saves[i].save(kind == 0 ? shortBills[i][b] : longBills[i][b], trace));
                    alone[i][kind].add(replays[i].replay(trace));
                    if (i == 1 && kind == 1)
                        statements = int(trace.size());
                }
            }
        }
    }
    for (const QString &file : qAsConst(files)) {
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(file + suffix);
    }

    double perLine[2];
    double alonePerLine[2];
    for (int i = 0; i < 2; ++i) {
        perLine[i] = (ours[i][1].ms - ours[i][0].ms) / (kLines - kShortLines);
        alonePerLine[i] = (alone[i][1].ms - alone[i][0].ms) / (kLines - kShortLines);
    }
    const double oursGrowth = perLine[1] / perLine[0];
    const double aloneGrowth = alonePerLine[1] / alonePerLine[0];
    QTextStream(stdout) << "save: " << kLines << "-line costing, " << statements << " statements; time per line "
                        << QString::number(perLine[0] * 1000.0, 'f', 1) << " -> " << QString::number(perLine[1] * 1000.0, 'f', 1)
                        << " us (x" << QString::number(oursGrowth, 'f', 2) << "), SQLite alone "
                        << QString::number(alonePerLine[0] * 1000.0, 'f', 1) << " -> "
                        << QString::number(alonePerLine[1] * 1000.0, 'f', 1) << " us (x" << QString::number(aloneGrowth, 'f', 2)
                        << ")\n";
    report.add({QStringLiteral("save of a %1-line costing (%2 costings)").arg(kLines).arg(sizes[1]), ours[1][1].ms,
                alone[1][1].ms, 2.0, QStringLiteral("ms")});
    report.add({QStringLiteral("time per line with 10x history (%1 vs %2 costings)").arg(sizes[1]).arg(sizes[0]),
                perLine[1] * 1000.0, perLine[0] * 1000.0, 1.1, QStringLiteral("us")});
    report.add({QStringLiteral("  the same, SQLite alone"), alonePerLine[1] * 1000.0, alonePerLine[0] * 1000.0, 0,
                QStringLiteral("us"), true});
    report.add({QStringLiteral("  our growth over SQLite alone's"), oursGrowth, aloneGrowth, 0, QStringLiteral("x"), true});
}

} // namespace bench
