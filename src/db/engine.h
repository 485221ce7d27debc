#pragma once

#include "db/connection.h"

#include <QString>
#include <QVariant>
#include <QVector>
#include <QStringList>
#include <memory>

namespace kadu2217::detail {

enum class ColumnKind { Integer, Float, Text, DateTime, Bit, Blob };

struct ColumnInfo {
    QString name;
    ColumnKind kind = ColumnKind::Text;
    int maxLength = 0; // texts: 0 = unlimited
};

struct TableInfo {
    QString name;
    QVector<ColumnInfo> columns;
    QVector<int> primaryKey;
    int indexOf(const QString &column) const;
};

// A result being read row by row.
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    // Moves to the next row; false after the last one.
    virtual bool next() = 0;
    // Values of the current row: qlonglong, double, QString, QDateTime, or an invalid QVariant for NULL.
    virtual QVariant value(int column) const = 0;
};

// One database engine behind a Connection.
class Engine {
public:
    virtual ~Engine() = default;
    virtual Dialect dialect() const = 0;
    // T-SQL statement texts.
    virtual std::unique_ptr<Cursor> query(const QString &sql, const QVariantList &params) = 0;
    virtual qint64 execute(const QString &sql, const QVariantList &params) = 0;
    // Statements that the recordset generates, valid on every engine as they stand.
    virtual qint64 executeGenerated(const QString &sql, const QVariantList &params) = 0;
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual void setTimeout(int seconds) = 0;
    // Fails with "Invalid object name" when there is no such table.
    virtual std::shared_ptr<const TableInfo> tableInfo(const QString &table) = 0;
    virtual void executeScript(const QString &script) = 0;
    // The tables and views of the database, as the driver lists them.
    virtual QStringList tableNames() = 0;
};

// Opening waits up to timeoutSeconds for a file another program holds (0: without end).
std::unique_ptr<Engine> createSqliteEngine(const QString &file, int timeoutSeconds);
std::unique_ptr<Engine> createOdbcEngine(const QString &connectionString);

// The engine of an open connection; on one that is not open, error 3709.
Engine &engineOf(const Connection &connection);

} // namespace kadu2217::detail

namespace kadu2217 {

class Connection::Private {
public:
    // Empty while the connection is not open.
    std::unique_ptr<detail::Engine> engine;

    static const Private &of(const Connection &connection) { return *connection.d; }
};

} // namespace kadu2217
