#include "services/defaults.h"

#include "controls/messagebox.h"
#include "db/sqldatetime.h"
#include "db/tables.h"
#include "db/values.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

namespace kadu2217 {
namespace {

namespace el = tables::aErrorLog;

struct FaultLogSettings {
    std::weak_ptr<Connection> connection;
    QString title = QStringLiteral("Local Purchase Costing");
};

FaultLogSettings &settings()
{
    static FaultLogSettings s;
    return s;
}

void storeRecord(Connection &connection, const QVariantList &values)
{
    const QString sql = QStringLiteral("insert into %1 (%2,%3,%4,%5,%6,%7,%8,%9,%10) values (getdate(),?,?,?,?,?,?,?,?)")
                            .arg(el::table, el::ErrorTime, el::WindowName, el::UserName, el::ProcedureName,
                                 el::ErrorNumber, el::ErrorSource, el::ErrorDescription, el::Mode)
                            .arg(el::Flag);
    connection.execute(sql, values);
}

// The record must outlive a transaction that is rolled back after the report, so while
// one is open on the session connection it goes through a connection of its own.
void storeOutsideTransaction(const ConnectionPtr &session, const QVariantList &values)
{
    if (!session || !session->isOpen())
        return;
    if (!session->inTransaction()) {
        storeRecord(*session, values);
        return;
    }
    Connection own;
    own.setCommandTimeout(2);
    own.open(session->connectionString());
    storeRecord(own, values);
}

} // namespace

QString DefaultFaultLog::logFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/errors.log");
}

void DefaultFaultLog::configure(ConnectionPtr connection, QString title)
{
    settings().connection = connection;
    if (!title.isEmpty())
        settings().title = std::move(title);
}

bool DefaultFaultLog::ErrorTrack(const QString &windowName, const QVariant &userName, const QString &procedureName,
                                 qint32 errorNumber, const QString &source, const QString &description,
                                 const QString &mode, bool flag)
{
    const QVariantList values = {windowName, userName, procedureName, errorNumber, source, description, mode, flag ? 1 : 0};
    bool stored = true;
    try {
        storeOutsideTransaction(settings().connection.lock(), values);
    } catch (const Error &) {
        stored = false;
    }

    const QString path = logFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::Append | QIODevice::Text)) {
        QTextStream out(&file);
        out << sqldt::serverNow().toString(Qt::ISODateWithMs) << '\t' << windowName << '\t'
            << value::displayText(userName) << '\t' << procedureName << '\t' << errorNumber << '\t' << source << '\t'
            << QString(description).replace(QLatin1Char('\n'), QLatin1Char(' ')) << '\t' << mode << '\n';
    } else {
        stored = false;
    }

    messageBox(QStringLiteral("The action could not be completed; the problem has been logged."),
               MsgBoxStyle::OkOnly | MsgBoxStyle::Exclamation, settings().title);
    return stored;
}

} // namespace kadu2217
