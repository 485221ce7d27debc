#include "services/defaults.h"

#include "controls/messagebox.h"
#include "db/tables.h"
#include "db/tsql/sqldatetime.h"
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

enum class TableRecord { Stored, PutOff, Lost };

// The record must outlive a transaction that is rolled back after the report, and another
// connection would wait for the write lock that transaction holds: while one is open on the
// session connection the record waits for it to end.
TableRecord storeInTable(const ConnectionPtr &session, const QVariantList &values)
{
    if (!session || !session->isOpen())
        return TableRecord::Lost;
    if (session->inTransaction()) {
        session->afterTransaction([values](Connection &connection) {
            try {
                storeRecord(connection, values);
            } catch (...) {
                // No one is left to tell at the end of a transaction; the log file was written at the report.
            }
        });
        return TableRecord::PutOff;
    }
    try {
        storeRecord(*session, values);
        return TableRecord::Stored;
    } catch (const Error &) {
        return TableRecord::Lost;
    }
}

QString whereLogged(TableRecord table, bool inFile, const QString &path)
{
    const QString file = QDir::toNativeSeparators(path);
    if (table == TableRecord::Stored)
        return inFile ? QStringLiteral("The problem has been logged.")
                      : QStringLiteral("The problem has been logged, but the log file %1 could not be written.").arg(file);
    return inFile ? QStringLiteral("The problem has been written to the log file %1.").arg(file)
                  : QStringLiteral("The problem could not be logged.");
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
    const TableRecord table = storeInTable(settings().connection.lock(), values);

    const QString path = logFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    const bool inFile = file.open(QIODevice::Append | QIODevice::Text);
    if (inFile) {
        QTextStream out(&file);
        out << sqldt::serverNow().toString(Qt::ISODateWithMs) << '\t' << windowName << '\t'
            << value::displayText(userName) << '\t' << procedureName << '\t' << errorNumber << '\t' << source << '\t'
            << QString(description).replace(QLatin1Char('\n'), QLatin1Char(' ')) << '\t' << mode << '\n';
    }

    messageBox(QStringLiteral("The action could not be completed. ") + whereLogged(table, inFile, path),
               MsgBoxStyle::OkOnly | MsgBoxStyle::Exclamation, settings().title);
    return table == TableRecord::Stored && inFile;
}

} // namespace kadu2217
