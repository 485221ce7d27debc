#pragma once

#include <kadu2217/error.h>

#include <QDeadlineTimer>
#include <QString>

namespace kadu2217::tsql {

// A statement the translation cannot give SQL Server's meaning: a syntax error or a
// construct outside what the embedded database supports.
[[noreturn]] void fail(const QString &message);

// SQL Server's words for a statement nested deeper than it, or SQLite's parser, takes.
QString nestedTooDeeplyMessage();

// A value the statement itself converts and SQL Server would refuse.
[[noreturn]] void failConversion(const QString &message);

// The command timeout's error once the deadline has passed. A statement's translation takes
// time growing with its length, which may be anything up to SQL Server's longest batch; the
// clock is read once every 4096 steps, done counting them.
inline void checkDeadline(const QDeadlineTimer &deadline, qsizetype done)
{
    if (done % 4096 == 0 && deadline.hasExpired())
        throw Error(errnum::Timeout, QStringLiteral("Query timeout expired"), QStringLiteral("SQLite"));
}

} // namespace kadu2217::tsql
