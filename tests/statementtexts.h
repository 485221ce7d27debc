#pragma once

#include "db/connection.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

// The statement texts the module sends, taken from its own code: a builder's return value
// where there is one, else the statement recorded as the code sends it. Tests run, plan and
// pin these texts instead of retyping them.
namespace kadu2217::testsupport {

// The texts `action` sends on `connection`, in order; each still runs.
QStringList statementsSent(const ConnectionPtr &connection, const std::function<void()> &action);

// What a database offers the statements: a saved costing, a bill waiting for costing with an
// item on it, and who works on them.
struct StatementIds {
    qint32 costing = 0, costingShop = 0, costingBill = 0;
    qint32 bill = 0, billShop = 0, item = 0;
    qint16 department = 1, company = 1, user = 1;
    QDate registerFrom; // the first day the register lists
};

// On a demonstration file: a fixed, live costing of the department with several items, a
// confirmed bill of the department waiting for costing and the first item on it; the
// company's default settings and the administrator.
StatementIds demoStatementIds(const ConnectionPtr &demo, const QDate &processDate);

// The module's statements by name (names()), built for the ids on `db`. A statement is made
// when first asked for, together with those the same code sends; code that writes (a save,
// the item's cost) runs in a transaction that is rolled back, so `db` must have none open
// then. Statements of the windows' lists need a QApplication.
class ModuleStatements {
public:
    ModuleStatements(ConnectionPtr db, const StatementIds &ids);
    QString text(const QString &name);
    static QStringList names();

private:
    ConnectionPtr m_db;
    StatementIds m_ids;
    QHash<QString, QString> m_texts;
};

// The numbering's query for the largest number after `prefix`, counting the numbers of one
// department (every department: 0).
QString largestNumberQuery(const QString &prefix, qint16 sessionDepartment);

} // namespace kadu2217::testsupport
