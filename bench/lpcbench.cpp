// Side-by-side measurements of the module's bars: each figure is our path against SQLite
// doing the same work alone, in the same run, reported as a ratio.
#include "bench/benchcommon.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lpcbench"));
    const QStringList args = app.arguments();
    // lpcbench [COSTINGS] [FOLDER] [AREAS]: generated files are kept in FOLDER and reused by
    // later runs; AREAS (register,browse,pending,itemgrid,save,cancel,preview,report) picks figures, all by default, so that
    // one area can be run under a profiler. LPCBENCH_CLOCK=cpu times the thread's CPU time
    // instead of the wall clock.
    const int size = args.size() > 1 ? args[1].toInt() : 100000;
    QTemporaryDir temporary;
    const QString folder = args.size() > 2 ? args[2] : temporary.path();

    const QStringList areas = args.size() > 3 ? args[3].split(QLatin1Char(','))
                                              : QStringList{QStringLiteral("register"), QStringLiteral("browse"), QStringLiteral("pending"),
                                                            QStringLiteral("itemgrid"), QStringLiteral("save"),
                                                            QStringLiteral("cancel"), QStringLiteral("preview"), QStringLiteral("report")};

    bench::Report report;
    if (areas.contains(QLatin1String("register")))
        bench::registerOpen(folder, size, report);
    if (areas.contains(QLatin1String("browse")))
        bench::registerBrowse(folder, size, report);
    if (areas.contains(QLatin1String("pending")))
        bench::pendingListOpen(folder, report);
    if (areas.contains(QLatin1String("itemgrid")))
        bench::itemGridFill(folder, report);
    if (areas.contains(QLatin1String("save")))
        bench::largeCostingSave(folder, size, report);
    if (areas.contains(QLatin1String("cancel")))
        bench::fixedCostingCancel(folder, size, report);
    if (areas.contains(QLatin1String("preview")))
        bench::costPreviewOpen(folder, size, report);
    if (areas.contains(QLatin1String("report")))
        bench::largeCostingReport(folder, report);
    report.print();
    return report.allMet() ? 0 : 1;
}
