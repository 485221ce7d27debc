#include "testsupport.h"

#include "db/error.h"
#include "db/recordset.h"
#include "db/schema.h"
#include "db/tsql/translator.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <sqlite3.h>

namespace kadu2217::testsupport {

QString tempFolder()
{
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/kadu2217-test-XXXXXX"));
    if (!folder.isValid())
        raise(errnum::Unspecified, QStringLiteral("Cannot create a temporary folder: %1").arg(folder.errorString()));
    return folder.path();
}

QString newDatabasePath(const QString &stem)
{
    static QAtomicInteger<int> serial;
    return QDir(tempFolder()).filePath(QStringLiteral("%1-%2.db").arg(stem).arg(++serial));
}

ConnectionPtr openDatabase(const QString &path)
{
    auto connection = std::make_shared<Connection>();
    connection->openFile(path);
    return connection;
}

ConnectionPtr openNewDatabase(const QString &path, bool withDemo, const DemoOptions &options)
{
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + suffix);
    auto connection = openDatabase(path);
    createSchema(*connection);
    if (withDemo)
        generateDemoData(*connection, options);
    return connection;
}

ConnectionPtr openNewDatabase(bool withDemo, const DemoOptions &options)
{
    return openNewDatabase(newDatabasePath(withDemo ? QStringLiteral("demo") : QStringLiteral("schema")), withDemo, options);
}

QVector<QVariantList> queryRows(const ConnectionPtr &connection, const QString &sql, const QVariantList &params)
{
    Recordset rs;
    rs.open(sql, connection, CursorType::ForwardOnly, LockType::ReadOnly, params);
    QVector<QVariantList> rows;
    for (; !rs.eof(); rs.moveNext()) {
        QVariantList row;
        for (int i = 0; i < rs.fieldCount(); ++i)
            row << rs.value(i);
        rows << row;
    }
    return rows;
}

QVariant queryValue(const ConnectionPtr &connection, const QString &sql, const QVariantList &params)
{
    Recordset rs;
    rs.open(sql, connection, CursorType::ForwardOnly, LockType::ReadOnly, params);
    return rs.eof() ? QVariant() : rs.value(0);
}

namespace {

// Closes the handle however the plan reading ends.
struct Database {
    sqlite3 *handle = nullptr;
    ~Database() { sqlite3_close(handle); }
};

QString text(sqlite3_stmt *statement, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)));
}

[[noreturn]] void fail(sqlite3 *handle, const QString &what)
{
    raise(errnum::Unspecified, QStringLiteral("%1: %2").arg(what, QString::fromUtf8(sqlite3_errmsg(handle))));
}

QStringList rowsOf(sqlite3 *handle, const QString &sql, int column)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(handle, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
        fail(handle, sql);
    QStringList rows;
    while (sqlite3_step(statement) == SQLITE_ROW)
        rows << text(statement, column);
    sqlite3_finalize(statement);
    return rows;
}

} // namespace

QStringList queryPlan(const QString &databasePath, const QString &tsql)
{
    Database db;
    if (sqlite3_open_v2(databasePath.toUtf8().constData(), &db.handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        fail(db.handle, databasePath);
    tsql::registerFunctions(db.handle);

    tsql::Catalog catalog;
    const QStringList dateTimeColumns = rowsOf(db.handle, QStringLiteral(
        "SELECT DISTINCT lower(p.name) FROM sqlite_master m, pragma_table_info(m.name) p "
        "WHERE m.type IN ('table', 'view') AND upper(p.type) LIKE 'DATETIME%'"), 0);
    for (const QString &column : dateTimeColumns)
        catalog.dateTimeColumns.insert(column);

    const QString sql = tsql::translate(tsql, catalog).sql;
    return rowsOf(db.handle, QStringLiteral("EXPLAIN QUERY PLAN ") + sql, 3);
}

qint32 errorNumberOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Error &e) {
        return e.number();
    }
    return 0;
}

Run runProgram(const QStringList &arguments, const QByteArray &input, const QString &folder)
{
    QProcess process;
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(QString::fromLocal8Bit(qgetenv("LOCALPURCHCOST_BIN")), arguments);
    process.waitForStarted();
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace kadu2217::testsupport
