#include "db/schema.h"

#include "db/engine.h"
#include "db/error.h"
#include "db/tables.h"
#include "db/transaction.h"

#include <QDir>
#include <QFile>
#include <QMap>

// Outside any namespace, as the resource initialiser requires.
static void initSchemaResources()
{
    Q_INIT_RESOURCE(schema);
}

namespace kadu2217 {
namespace {

const QString kScriptFolder = QStringLiteral(":/kadu2217/db/schema");

// Script number -> resource path, from names such as "001_initial.sql".
QMap<int, QString> schemaScripts()
{
    static const QMap<int, QString> scripts = [] {
        initSchemaResources();
        QMap<int, QString> found;
        const QDir folder(kScriptFolder);
        for (const QString &file : folder.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name)) {
            bool numbered = false;
            const int version = file.section(QLatin1Char('_'), 0, 0).toInt(&numbered);
            if (numbered && version > 0)
                found.insert(version, folder.filePath(file));
        }
        return found;
    }();
    return scripts;
}

QString readScript(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        raise(errnum::Unspecified, QStringLiteral("Cannot read the schema script %1.").arg(path));
    return QString::fromUtf8(file.readAll());
}

void requireEmbedded(const Connection &connection)
{
    if (connection.dialect() != Dialect::Embedded)
        raise(errnum::Unsupported, QStringLiteral("Only the embedded database file has its schema managed here."));
}

bool hasTable(Connection &connection, const QString &table)
{
    try {
        detail::engineOf(connection).tableInfo(table);
        return true;
    } catch (const Error &error) {
        if (error.number() == errnum::InvalidObject)
            return false;
        throw;
    }
}

// Keeps sys_objects equal to the file's tables and views; ids of existing names stay.
QString catalogueRefresh()
{
    return QStringLiteral(
        "DELETE FROM sys_objects WHERE name NOT IN "
        "(SELECT name FROM sqlite_master WHERE type IN ('table', 'view'));\n"
        "INSERT OR IGNORE INTO sys_objects (name) "
        "SELECT name FROM sqlite_master WHERE type IN ('table', 'view') "
        "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid;\n");
}

QString versionRecord(int version)
{
    return QStringLiteral("DELETE FROM %1;\nINSERT INTO %1 (%2) VALUES (%3);\n")
        .arg(tables::schema_version::table, tables::schema_version::version)
        .arg(version);
}

} // namespace

int latestSchemaVersion()
{
    const auto scripts = schemaScripts();
    return scripts.isEmpty() ? 0 : scripts.lastKey();
}

int schemaVersion(Connection &connection)
{
    requireEmbedded(connection);
    if (!hasTable(connection, tables::schema_version::table))
        return 0;
    const auto cursor = detail::engineOf(connection).query(
        QStringLiteral("select isnull(max(%1), 0) from %2")
            .arg(tables::schema_version::version, tables::schema_version::table), {});
    return cursor->next() ? cursor->value(0).toInt() : 0;
}

void createSchema(Connection &connection)
{
    if (const int version = schemaVersion(connection); version != 0)
        raise(errnum::OperationNotAllowed,
              QStringLiteral("The database already has a schema (version %1).").arg(version));
    upgradeSchema(connection);
}

void upgradeSchema(Connection &connection)
{
    const int current = schemaVersion(connection);
    const int latest = latestSchemaVersion();
    if (current > latest)
        raise(errnum::OperationNotAllowed,
              QStringLiteral("The database has schema version %1; this program knows versions up to %2.")
                  .arg(current).arg(latest));
    if (current == latest)
        return;

    Transaction transaction(connection);
    const auto scripts = schemaScripts();
    for (auto it = scripts.upperBound(current); it != scripts.end(); ++it)
        connection.executeNativeScript(readScript(it.value()) + versionRecord(it.key()));
    connection.executeNativeScript(catalogueRefresh());
    transaction.commit();
}

} // namespace kadu2217
