#pragma once

#include "db/connection.h"
#include "db/demodata.h"

#include <QString>
#include <functional>
#include <QStringList>
#include <QVariant>
#include <QVector>

// Helpers shared by the test programs: real database files in a temporary folder, built by
// the program's own schema and demonstration-data code.
namespace kadu2217::testsupport {

// A folder that lives as long as the test program.
QString tempFolder();
// A file name in tempFolder() that no earlier call returned, e.g. "demo-3.db".
QString newDatabasePath(const QString &stem = QStringLiteral("test"));

// Opens an embedded database file, creating an empty one when it is missing.
ConnectionPtr openDatabase(const QString &path);

// A new file with the current schema and, when asked, demonstration data.
ConnectionPtr openNewDatabase(const QString &path, bool withDemo = false, const DemoOptions &options = {});
// The same in a new file of tempFolder().
ConnectionPtr openNewDatabase(bool withDemo = false, const DemoOptions &options = {});

// Every row of a T-SQL query, each row's values in select-list order (NULL as an invalid QVariant).
QVector<QVariantList> queryRows(const ConnectionPtr &connection, const QString &sql, const QVariantList &params = {});
// The first value of the first row; an invalid QVariant when there is no row.
QVariant queryValue(const ConnectionPtr &connection, const QString &sql, const QVariantList &params = {});

// The steps SQLite plans for a T-SQL statement on an embedded file, as EXPLAIN QUERY PLAN
// words them ("SEARCH h USING INDEX ...", "SCAN d"), after the module's own translation.
QStringList queryPlan(const QString &databasePath, const QString &tsql);

// The number of the Error an action throws; 0 when it throws none.
qint32 errorNumberOf(const std::function<void()> &action);

// What the host program (LOCALPURCHCOST_BIN) did with the arguments and input.
struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};
// In `folder` when given, the test's own working folder otherwise.
Run runProgram(const QStringList &arguments, const QByteArray &input = QByteArray(), const QString &folder = QString());

} // namespace kadu2217::testsupport
