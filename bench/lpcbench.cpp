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
    // lpcbench [COSTINGS] [FOLDER]: generated files are kept in FOLDER and reused by later runs.
    const int size = args.size() > 1 ? args[1].toInt() : 100000;
    QTemporaryDir temporary;
    const QString folder = args.size() > 2 ? args[2] : temporary.path();

    bench::Report report;
    bench::registerOpen(folder, size, report);
    bench::pendingListOpen(folder, report);
    bench::itemGridFill(folder, report);
    bench::largeCostingSave(folder, size, report);
    report.print();
    return report.allMet() ? 0 : 1;
}
