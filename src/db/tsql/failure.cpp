#include "db/tsql/failure.h"

namespace kadu2217::tsql {

void fail(const QString &message) { throw Error(errnum::SqlSyntax, message, QStringLiteral("SQLite")); }

QString nestedTooDeeplyMessage()
{
    return QStringLiteral("Some part of your SQL statement is nested too deeply. Rewrite the query or break it "
                          "up into smaller queries.");
}

void failConversion(const QString &message)
{
    throw Error(errnum::Conversion, message, QStringLiteral("SQLite"));
}

} // namespace kadu2217::tsql
