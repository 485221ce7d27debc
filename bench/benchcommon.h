#pragma once

#include "db/connection.h"
#include "module/module.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>

struct sqlite3;

namespace bench {

struct Figure {
    QString name;
    double ours = 0;     // ms, or MB for memory figures
    double baseline = 0; // same unit; 0 when the figure is absolute
    double bar = 0;      // largest allowed ratio, or largest allowed absolute value
    QString unit;
    bool shownOnly = false; // context for the figures around it, held to no bar
    bool met() const { return shownOnly || (baseline > 0 ? ours / baseline <= bar : ours <= bar); }
};

class Report {
public:
    void add(Figure figure) { m_figures.append(std::move(figure)); }
    void print() const;
    bool allMet() const;

private:
    QVector<Figure> m_figures;
};

// Best of `runs` timings of `work`, in milliseconds.
double bestMs(int runs, const std::function<void()> &work);

// Resident memory of this process, in MB: now, and the peak so far.
double residentMb();
double peakResidentMb();
void resetPeakResident();

// Steps through every row of an SQLite text with SQLite alone, reading each column as text.
qint64 stepWithSqliteAlone(const QString &file, const QString &sqliteText);
// The same on a handle that is open already.
qint64 stepWithSqliteAlone(sqlite3 *db, const QString &sqliteText);

// The moment every benchmark file is generated for and every session works at.
inline const QDateTime benchNow(QDate(2026, 12, 1), QTime(12, 0));

// A module session on the connection for the demo company's administrator.
std::unique_ptr<kadu2217::Module> startSession(const kadu2217::ConnectionPtr &connection, qint16 departmentId);

// A demo file with the given number of costings in `folder`, generated on first use and
// reused by later runs; `generatedMs` is 0 when it was reused.
QString demoFile(const QString &folder, int costings, double *generatedMs = nullptr);

// Figures by area.
void registerOpen(const QString &folder, int costings, Report &report);
void registerBrowse(const QString &folder, int costings, Report &report);
void pendingListOpen(const QString &folder, Report &report);
void itemGridFill(const QString &folder, Report &report);
void largeCostingSave(const QString &folder, int costings, Report &report);
void fixedCostingCancel(const QString &folder, int costings, Report &report);
void costPreviewOpen(const QString &folder, int costings, Report &report);
void largeCostingReport(const QString &folder, Report &report);

} // namespace bench
