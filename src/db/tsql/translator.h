#pragma once

#include <QDeadlineTimer>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <QString>
#include <QVector>

struct sqlite3;

// Gives T-SQL statement texts SQL Server's meaning on SQLite.
namespace kadu2217::tsql {

enum class ValueKind { Unknown, Integer, Float, Text, DateTime };

// What the translation needs to know of the embedded schema.
struct Catalog {
    QSet<QString> dateTimeColumns; // lower-case names of every column declared DATETIME
    // "table.column" in lower case of every text column declared with a length, and the length:
    // insert and update refuse a longer text there, as SQL Server does
    QHash<QString, int> textLengths;
    // each table's lower-case column names in declared order, for an insert without a column list
    QHash<QString, QStringList> columns;
};

struct Translation {
    QString sql;                    // SQLite text
    QVector<ValueKind> resultKinds; // one per select-list item; empty when unknown (a '*' in the list)
};

// SQL Server's longest batch: 65,536 network packets of 4 KB, in UTF-16.
inline constexpr qsizetype MaxStatementLength = qsizetype(65536) * 4096 / 2;

// Throws Error (errnum::SqlSyntax) naming the construct it cannot translate, or
// (errnum::Timeout) once the deadline has passed.
Translation translate(const QString &statement, const Catalog &catalog,
                      QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));

// Failures raised inside the registered functions carry a marker in their message; this
// strips it and answers the ADO number for it, or 0 when the message has none. SQLite's
// parser running out of room becomes SQL Server's nested too deeply syntax error.
qint32 errorNumberForMessage(QString &message);

// The T-SQL functions and the TSQL collation (letter case and trailing blanks ignored).
void registerFunctions(sqlite3 *db);

} // namespace kadu2217::tsql
