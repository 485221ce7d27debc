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
    const int size = args.size() > 1 ? args[1].toInt() : 100000;

    QTemporaryDir dir;
    bench::Report report;
    bench::registerOpen(dir.path(), size, report);
    bench::pendingListOpen(dir.path(), report);
    bench::itemGridFill(dir.path(), report);
    report.print();
    return report.allMet() ? 0 : 1;
}
