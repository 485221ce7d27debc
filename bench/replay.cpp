#include "bench/replay.h"

#include "bench/benchcommon.h"
#include "db/recordset.h"
#include "db/tsql/sqldatetime.h"
#include "shell/session.h"

#include <sqlite3.h>

using namespace kadu2217;

namespace bench {
namespace {

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

} // namespace

QVector<CostingToSave> addLargeBills(const QString &file, int lines, int count)
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
    for (int b = 0; b < count; ++b) {
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
                                  QString::number(200 + b * 0.25), {}, {}});
        }
        costings.append(costing);
    }
    c->commitTrans();
    return costings;
}

OurSession::OurSession(const QString &file) : m_connection(std::make_shared<Connection>())
{
    m_connection->openFile(file);
    m_module = startSession(m_connection, 1);
    m_module->context().state.entryMode = EntryMode::New;
    m_audit.OpenObject(m_connection, 1, 1, 1, 2011, benchNow);
    m_lookups.adocon = m_connection;
}

double OurSession::traced(QVector<Statement> &trace, int expectedStatements, const std::function<void()> &work)
{
    // Room for every statement, so that keeping them costs the timed work no reallocation.
    trace.reserve(expectedStatements);
    m_connection->setStatementObserver([&trace](const QString &sql, const QVariantList &params) { trace.append({sql, params}); });
    const double ms = bestMs(1, work);
    m_connection->setStatementObserver({});
    return ms;
}

double OurSession::save(const CostingToSave &costing, QVector<Statement> &trace)
{
    m_module->context().state.entryMode = EntryMode::New;
    qint32 id = 0;
    return traced(trace, int(costing.lines.size()) * 9 + 32,
                  [&] { saveCosting(m_module->context(), m_lookups, m_audit, nullptr, costing, id); });
}

AloneReplays::AloneReplays(const QString &file)
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

AloneReplays::~AloneReplays() { sqlite3_close(m_db); }

double AloneReplays::replay(const QVector<Statement> &trace, Reads reads)
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
            // Writes run to their end; reads as far as the traced work read them.
            bool more = sqlite3_step(stmt) == SQLITE_ROW;
            while (more) {
                for (int c = 0; c < sqlite3_column_count(stmt); ++c)
                    sqlite3_column_text(stmt, c);
                more = (reads == Reads::AllRows || !sqlite3_stmt_readonly(stmt)) && sqlite3_step(stmt) == SQLITE_ROW;
            }
            sqlite3_finalize(stmt);
        }
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    });
}

} // namespace bench
