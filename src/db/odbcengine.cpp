#include "db/engine.h"
#include "db/error.h"

#include <QAtomicInteger>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QRegularExpression>

namespace kadu2217::detail {
namespace {

const QString kSource = QStringLiteral("ODBC");

// SQLSTATEs as an ADO client folds them into its numbers.
qint32 numberForState(const QString &state)
{
    static const QHash<QString, qint32> numbers = {
        {QStringLiteral("42S02"), errnum::InvalidObject}, {QStringLiteral("42S22"), errnum::SqlSyntax},
        {QStringLiteral("42000"), errnum::SqlSyntax},     {QStringLiteral("23000"), errnum::Constraint},
        {QStringLiteral("HYT00"), errnum::Timeout},       {QStringLiteral("HYT01"), errnum::Timeout},
        {QStringLiteral("22018"), errnum::Conversion},    {QStringLiteral("22001"), errnum::MultipleStep},
        {QStringLiteral("22003"), errnum::Conversion},    {QStringLiteral("22007"), errnum::Conversion},
        {QStringLiteral("22012"), errnum::SqlSyntax},
    };
    return numbers.value(state, errnum::Unspecified);
}

Error odbcError(const QSqlError &error)
{
    // The driver reports the SQLSTATE either as the native code or inside the text.
    QString state = error.nativeErrorCode();
    if (state.size() != 5) {
        static const QRegularExpression pattern(QStringLiteral("\\b([0-9A-Z]{2}[0-9A-Z]{3})\\b"));
        const auto match = pattern.match(error.driverText() + QLatin1Char(' ') + error.databaseText());
        state = match.hasMatch() ? match.captured(1) : QString();
    }
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return Error(numberForState(state), text, kSource);
}

ColumnKind kindOfMetaType(int typeId)
{
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return ColumnKind::Integer;
    case QMetaType::Bool:
        return ColumnKind::Bit;
    case QMetaType::Double:
    case QMetaType::Float:
        return ColumnKind::Float;
    case QMetaType::QDateTime:
    case QMetaType::QDate:
        return ColumnKind::DateTime;
    case QMetaType::QByteArray:
        return ColumnKind::Blob;
    default:
        return ColumnKind::Text;
    }
}

QVariant normalised(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QVariant();
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return QVariant(v.toLongLong());
    case QMetaType::Bool:
        return QVariant(qlonglong(v.toBool() ? 1 : 0));
    case QMetaType::Float:
        return QVariant(v.toDouble());
    case QMetaType::QDate:
        return QVariant(QDateTime(v.toDate(), QTime(0, 0)));
    default:
        return v;
    }
}

class OdbcCursor final : public Cursor {
public:
    explicit OdbcCursor(QSqlQuery query) : m_query(std::move(query))
    {
        const QSqlRecord record = m_query.record();
        for (int i = 0; i < record.count(); ++i)
            m_names.append(record.fieldName(i));
    }
    int columnCount() const override { return int(m_names.size()); }
    QString columnName(int column) const override { return m_names.at(column); }
    bool next() override
    {
        if (m_query.next())
            return true;
        if (m_query.lastError().isValid())
            throw odbcError(m_query.lastError());
        return false;
    }
    QVariant value(int column) const override { return normalised(m_query.value(column)); }

private:
    QSqlQuery m_query;
    QStringList m_names;
};

class OdbcEngine final : public Engine {
public:
    explicit OdbcEngine(const QString &connectionString)
        : m_connectionName(QStringLiteral("kadu2217-odbc-%1").arg(++s_serial))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_connectionName);
        db.setDatabaseName(connectionString);
        if (!db.open()) {
            const Error error = odbcError(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connectionName);
            throw error;
        }
    }

    ~OdbcEngine() override
    {
        {
            QSqlDatabase db = database();
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connectionName);
    }

    Dialect dialect() const override { return Dialect::SqlServer; }

    QStringList tableNames() override { return database().tables(QSql::AllTables); }

    std::unique_ptr<Cursor> query(const QString &sql, const QVariantList &params) override
    {
        return std::make_unique<OdbcCursor>(run(sql, params));
    }

    qint64 execute(const QString &sql, const QVariantList &params) override
    {
        return run(sql, params).numRowsAffected();
    }

    qint64 executeGenerated(const QString &sql, const QVariantList &params) override
    {
        return execute(sql, params);
    }

    void begin() override
    {
        if (!database().transaction())
            throw odbcError(database().lastError());
    }
    void commit() override
    {
        if (!database().commit())
            throw odbcError(database().lastError());
    }
    void rollback() override
    {
        if (!database().rollback())
            throw odbcError(database().lastError());
    }

    // ODBC gives no per-statement time limit through Qt; the value is kept for the caller.
    void setTimeout(int) override {}

    std::shared_ptr<const TableInfo> tableInfo(const QString &table) override
    {
        const QString key = table.toLower();
        if (const auto it = m_tables.constFind(key); it != m_tables.constEnd())
            return *it;
        const QSqlDatabase db = database();
        const QSqlRecord record = db.record(table);
        if (record.isEmpty())
            throw Error(errnum::InvalidObject, QStringLiteral("Invalid object name '%1'.").arg(table), kSource);
        auto info = std::make_shared<TableInfo>();
        info->name = table;
        for (int i = 0; i < record.count(); ++i) {
            const QSqlField field = record.field(i);
            ColumnInfo column;
            column.name = field.name();
            column.kind = kindOfMetaType(field.metaType().id());
            column.maxLength = column.kind == ColumnKind::Text && field.length() > 0 ? field.length() : 0;
            info->columns.append(column);
        }
        const QSqlIndex primary = db.primaryIndex(table);
        for (int i = 0; i < primary.count(); ++i) {
            const int at = info->indexOf(primary.fieldName(i));
            if (at >= 0)
                info->primaryKey.append(at);
        }
        m_tables.insert(key, info);
        return info;
    }

    void executeScript(const QString &script) override
    {
        for (const QString &statement : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (!statement.trimmed().isEmpty())
                run(statement, {});
        }
        m_tables.clear();
    }

private:
    QSqlDatabase database() const { return QSqlDatabase::database(m_connectionName, false); }

    QSqlQuery run(const QString &sql, const QVariantList &params)
    {
        QSqlQuery query(database());
        query.setForwardOnly(true);
        bool ok;
        if (params.isEmpty()) {
            ok = query.exec(sql);
        } else {
            ok = query.prepare(sql);
            for (const QVariant &p : params)
                query.addBindValue(p);
            ok = ok && query.exec();
        }
        if (!ok)
            throw odbcError(query.lastError());
        return query;
    }

    static inline QAtomicInteger<int> s_serial;
    QString m_connectionName;
    QHash<QString, std::shared_ptr<const TableInfo>> m_tables;
};

} // namespace

std::unique_ptr<Engine> createOdbcEngine(const QString &connectionString)
{
    return std::make_unique<OdbcEngine>(connectionString);
}

} // namespace kadu2217::detail
