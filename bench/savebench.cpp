#include "bench/benchcommon.h"

#include "db/connection.h"
#include "db/recordset.h"
#include "db/tsql/sqldatetime.h"
#include "db/tsql/translator.h"
#include "entry/costingsave.h"
#include "services/defaults.h"
#include "shell/session.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <sqlite3.h>

using namespace kadu2217;

namespace bench {
namespace {

constexpr int kLines = 1000;
constexpr int kShortLines = 100;
constexpr int kBills = 8; // each size is saved this many times; the best counts

struct Statement {
    QString sql;
    QVariantList params;
};

// Waiting bills of `lines` lines each.
QVector<CostingToSave> addLargeBills(const QString &file, int lines)
{
    auto c = std::make_shared<Connection>();
    c->openFile(file);
    Recordset rs;
    rs.open(QStringLiteral("select isnull(max(lphBillID),0) from losLocalPurchaseHeader"), c);
    const qint32 firstBill = rs.value(0).toInt() + 1;
    rs.close();
    // Lines take the file's first items, as many times over as a bill needs.
    QVector<qint32> items;
    rs.open(QStringLiteral("select top 1000 itemid from aItem order by itemid"), c);
    for (; !rs.eof(); rs.moveNext())
        items.append(rs.value(0).toInt());
    rs.close();
    QVector<CostingToSave> costings;
    c->beginTrans();
    for (int b = 0; b < kBills; ++b) {
        CostingToSave costing;
        costing.departmentId = 1;
        costing.shopId = 1;
        costing.billId = firstBill + b;
        costing.purchaseNo = QStringLiteral("BENCH-%1-%2").arg(lines).arg(b);
        costing.remarks = QStringLiteral("bench");
        costing.costingDate = benchNow.date();
        costing.costFix = true;
        c->execute(QStringLiteral("insert into losLocalPurchaseHeader (lphBillID, lphShopID, lphBillNo, lphCompanyID, lphDepartmentID, "
                                  "lphcosted, lphcancelled, lphConfirmed, lphexchangerates) values (?, 1, ?, 1, 1, 0, 0, 1, '')"),
                   {costing.billId, costing.purchaseNo});
        for (int line = 1; line <= lines; ++line) {
            const qint32 item = items[(line - 1) % items.size()];
            c->execute(QStringLiteral("insert into losLocalPurchaseDetail (lpdbillid, lpdShopId, lpditemid, lpditemquantity, "
                                      "lpditemunitprice) values (?, 1, ?, 4, ?)"),
                       {costing.billId, item, 800.0 + b});
            costing.lines.append({QString::number(item), QStringLiteral("4.000"), QString::number(200 + b * 0.25),
                                  QString::number(200 + b * 0.25)});
        }
        costings.append(costing);
    }
    c->commitTrans();
    return costings;
}

// Our saves on one file, one connection for all of them.
class OurSaves {
public:
    explicit OurSaves(const QString &file) : m_connection(std::make_shared<Connection>())
    {
        m_connection->openFile(file);
        m_module = startSession(m_connection, 1);
        m_module->context().state.entryMode = EntryMode::New;
        m_audit.OpenObject(m_connection, 1, 1, 1, 2011, benchNow);
        m_lookups.adocon = m_connection;
    }

    // The time of one save; its statements are kept in `trace`.
    double save(const CostingToSave &costing, QVector<Statement> &trace)
    {
        // Room for every statement, so that keeping them costs the timed save no reallocation.
        trace.reserve(int(costing.lines.size()) * 9 + 32);
        m_connection->setStatementObserver([&trace](const QString &sql, const QVariantList &params) { trace.append({sql, params}); });
        qint32 id = 0;
        const double ms = bestMs(1, [&] { saveCosting(m_module->context(), m_lookups, m_audit, nullptr, costing, id); });
        m_connection->setStatementObserver({});
        return ms;
    }

private:
    ConnectionPtr m_connection;
    std::unique_ptr<Module> m_module;
    DefaultAuditTrail m_audit;
    DefaultDatabase m_lookups;
};

void bind(sqlite3_stmt *stmt, const QVariantList &params)
{
    for (int i = 0; i < params.size(); ++i) {
        const QVariant &v = params[i];
        if (!v.isValid() || v.isNull())
            sqlite3_bind_null(stmt, i + 1);
        else if (v.typeId() == QMetaType::Double)
            sqlite3_bind_double(stmt, i + 1, v.toDouble());
        else if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int || v.typeId() == QMetaType::Short
                 || v.typeId() == QMetaType::Bool)
            sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
        else {
            const QByteArray text = (v.typeId() == QMetaType::QDateTime ? sqldt::canonical(v.toDateTime()) : v.toString()).toUtf8();
            sqlite3_bind_text(stmt, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
    }
}

// The same statements, already in SQLite's SQL, prepared, run and finalized one by one.
class AloneReplays {
public:
    explicit AloneReplays(const QString &file)
    {
        sqlite3_open(file.toUtf8().constData(), &m_db);
        tsql::registerFunctions(m_db);
        // The file settings our connection makes, so that only the work in between differs.
        sqlite3_exec(m_db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-32768;", nullptr, nullptr,
                     nullptr);
        sqlite3_stmt *columns = nullptr;
        sqlite3_prepare_v2(m_db, "SELECT DISTINCT lower(p.name) FROM sqlite_master m, pragma_table_info(m.name) p "
                                 "WHERE m.type IN ('table','view') AND upper(p.type) LIKE 'DATETIME%'", -1, &columns, nullptr);
        while (sqlite3_step(columns) == SQLITE_ROW)
            m_catalog.dateTimeColumns.insert(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(columns, 0))));
        sqlite3_finalize(columns);
    }
    ~AloneReplays() { sqlite3_close(m_db); }
    AloneReplays(const AloneReplays &) = delete;
    AloneReplays &operator=(const AloneReplays &) = delete;

    double replay(const QVector<Statement> &trace)
    {
        QVector<QByteArray> texts;
        for (const Statement &statement : trace)
            texts.append(tsql::translate(statement.sql, m_catalog).sql.toUtf8());
        return bestMs(1, [&] {
            sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            for (int i = 0; i < trace.size(); ++i) {
                sqlite3_stmt *stmt = nullptr;
                sqlite3_prepare_v2(m_db, texts[i].constData(), int(texts[i].size()), &stmt, nullptr);
                bind(stmt, trace[i].params);
                // The save reads one row of every query it opens; writes run to their end.
                if (sqlite3_step(stmt) == SQLITE_ROW) {
                    for (int c = 0; c < sqlite3_column_count(stmt); ++c)
                        sqlite3_column_text(stmt, c);
                    while (!sqlite3_stmt_readonly(stmt) && sqlite3_step(stmt) == SQLITE_ROW) {
                    }
                }
                sqlite3_finalize(stmt);
            }
            sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        });
    }

private:
    sqlite3 *m_db = nullptr;
    tsql::Catalog m_catalog;
};

// Best of several timings.
struct Best {
    double ms = 0;
    void add(double sample) { ms = ms == 0 ? sample : qMin(ms, sample); }
};

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
        shortBills[i] = addLargeBills(ours, kShortLines);
        longBills[i] = addLargeBills(ours, kLines);
        addLargeBills(alone, kShortLines);
        addLargeBills(alone, kLines);
    }

    // Each save is replayed by SQLite alone at once and its statements let go, so that what
    // is kept for the replays does not pile up in the memory of the saves timed after it.
    Best ours[2][2]; // [size][short, long]
    Best alone[2][2];
    int statements = 0;
    {
        OurSaves saves[2] = {OurSaves(files[0]), OurSaves(files[2])};
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
