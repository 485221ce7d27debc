#include "db/tsql/failure.h"

namespace kadu2217::tsql {

void fail(const QString &message) { throw Error(errnum::SqlSyntax, message, QStringLiteral("SQLite")); }

void failConversion(const QString &message)
{
    throw Error(errnum::Conversion, message, QStringLiteral("SQLite"));
}

} // namespace kadu2217::tsql
