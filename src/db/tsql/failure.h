#pragma once

#include <kadu2217/error.h>

#include <QString>

namespace kadu2217::tsql {

// A statement the translation cannot give SQL Server's meaning: a syntax error or a
// construct outside what the embedded database supports.
[[noreturn]] void fail(const QString &message);

// SQL Server's words for a statement nested deeper than it, or SQLite's parser, takes.
QString nestedTooDeeplyMessage();

// A value the statement itself converts and SQL Server would refuse.
[[noreturn]] void failConversion(const QString &message);

} // namespace kadu2217::tsql
