#include "db/servicetables.h"

#include "db/engine.h"
#include "db/error.h"

#include <QFile>
#include <QRegularExpression>
#include <QVector>

namespace kadu2217 {
namespace {

struct TableText {
    QString name;
    QString createText;
};

// The script's CREATE TABLE statements, comments left out.
QVector<TableText> scriptTables()
{
    QStringList lines;
    for (const QString &line : serviceTablesScript().split(QLatin1Char('\n'))) {
        if (!line.trimmed().startsWith(QLatin1String("--")))
            lines << line;
    }
    static const QRegularExpression create(QStringLiteral("^\\s*CREATE\\s+TABLE\\s+(\\w+)"), QRegularExpression::CaseInsensitiveOption);
    QVector<TableText> tables;
    for (const QString &statement : lines.join(QLatin1Char('\n')).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = create.match(statement);
        if (match.hasMatch())
            tables.append({match.captured(1), statement.trimmed()});
    }
    return tables;
}

} // namespace

QString serviceTablesScript()
{
    QFile file(QStringLiteral(":/kadu2217/db/sqlserver/service_tables.sql"));
    if (!file.open(QIODevice::ReadOnly))
        throw Error(errnum::Unspecified, QStringLiteral("The service tables' script is missing from the program."));
    return QString::fromUtf8(file.readAll());
}

QStringList serviceTableNames()
{
    QStringList names;
    for (const TableText &table : scriptTables())
        names << table.name;
    return names;
}

QStringList missingServiceTables(Connection &connection)
{
    const QStringList present = detail::engineOf(connection).tableNames();
    QStringList missing;
    for (const QString &name : serviceTableNames()) {
        if (!present.contains(name, Qt::CaseInsensitive))
            missing << name;
    }
    return missing;
}

QStringList createMissingServiceTables(Connection &connection)
{
    const QStringList missing = missingServiceTables(connection);
    QStringList created;
    for (const TableText &table : scriptTables()) {
        if (!missing.contains(table.name))
            continue;
        detail::engineOf(connection).executeGenerated(table.createText, {});
        created << table.name;
    }
    return created;
}

} // namespace kadu2217
