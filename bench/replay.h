#pragma once

#include "db/connection.h"
#include "db/tsql/translator.h"
#include "entry/costingsave.h"
#include "module/module.h"
#include "services/defaults.h"

#include <QString>
#include <QVariantList>
#include <QVector>
#include <memory>

struct sqlite3;

namespace bench {

constexpr int kLines = 1000;

struct Statement {
    QString sql;
    QVariantList params;
};

// `count` waiting bills of `lines` lines each, on the file's first items.
QVector<kadu2217::CostingToSave> addLargeBills(const QString &file, int lines, int count);

// Our session on one file, one connection for all its work; each call keeps its statements
// in `trace` and returns its time.
class OurSession {
public:
    explicit OurSession(const QString &file);
    double save(const kadu2217::CostingToSave &costing, QVector<Statement> &trace);
    kadu2217::Module &module() { return *m_module; }
    kadu2217::DefaultAuditTrail &audit() { return m_audit; }
    const kadu2217::ConnectionPtr &connection() const { return m_connection; }
    double traced(QVector<Statement> &trace, int expectedStatements, const std::function<void()> &work);

private:
    kadu2217::ConnectionPtr m_connection;
    std::unique_ptr<kadu2217::Module> m_module;
    kadu2217::DefaultAuditTrail m_audit;
    kadu2217::DefaultDatabase m_lookups;
};

// The same statements, already in SQLite's SQL, prepared, run and finalized one by one in one
// transaction.
class AloneReplays {
public:
    // What the traced work reads of a query: the first row (lookups), or all of them.
    enum class Reads { FirstRow, AllRows };
    explicit AloneReplays(const QString &file);
    ~AloneReplays();
    AloneReplays(const AloneReplays &) = delete;
    AloneReplays &operator=(const AloneReplays &) = delete;
    double replay(const QVector<Statement> &trace, Reads reads = Reads::FirstRow);

private:
    sqlite3 *m_db = nullptr;
    kadu2217::tsql::Catalog m_catalog;
};

// Best of several timings.
struct Best {
    double ms = 0;
    void add(double sample) { ms = ms == 0 ? sample : qMin(ms, sample); }
};

} // namespace bench
