#include "controls/messagebox.h"
#include "db/connection.h"
#include "db/demodata.h"
#include "db/error.h"
#include "db/recordset.h"
#include "db/schema.h"
#include "db/tsql/sqldatetime.h"

#include <kadu2217/clslocalpurchcost.h>

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QApplication>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>

using namespace kadu2217;

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

int failed(const Error &e)
{
    err() << e.number() << '\t' << e.description() << Qt::endl;
    return 1;
}

// Up to 15 significant digits, never an exponent, no trailing zeros.
QString numberText(double v)
{
    QString s = QString::number(v, 'g', 15);
    if (s.contains(QLatin1Char('e'))) {
        const int exponent = int(std::floor(std::log10(std::fabs(v))));
        s = QString::number(v, 'f', qMax(0, 14 - exponent));
        if (s.contains(QLatin1Char('.'))) {
            while (s.endsWith(QLatin1Char('0')))
                s.chop(1);
            if (s.endsWith(QLatin1Char('.')))
                s.chop(1);
        }
    }
    return s;
}

QString cellText(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QStringLiteral("NULL");
    switch (v.typeId()) {
    case QMetaType::Double:
        return numberText(v.toDouble());
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    case QMetaType::QByteArray:
        return QStringLiteral("0x") + QString::fromLatin1(v.toByteArray().toHex().toUpper());
    default:
        return v.toString();
    }
}

// waitSeconds: how long opening waits for a file another program holds (by default as long
// as a statement does); the statements run afterwards keep the connection's own timeout.
ConnectionPtr openFile(const QString &file, std::optional<int> waitSeconds = {})
{
    auto connection = std::make_shared<Connection>();
    const int statementTimeout = connection->commandTimeout();
    connection->setCommandTimeout(waitSeconds.value_or(statementTimeout));
    connection->openFile(file);
    connection->setCommandTimeout(statementTimeout);
    return connection;
}

// A file of this program written by an earlier version is brought up to date first, so
// that what this version writes has its columns; a file without the schema is left alone.
ConnectionPtr openExistingFile(const QString &file, std::optional<int> waitSeconds = {})
{
    auto connection = openFile(file, waitSeconds);
    if (schemaVersion(*connection) > 0)
        upgradeSchema(*connection);
    return connection;
}

ConnectionPtr createDatabase(const QString &file, bool withDemo, int size)
{
    if (QFile::exists(file))
        throw Error(errnum::Unspecified, QStringLiteral("The file %1 exists already.").arg(file));
    auto connection = openFile(file);
    createSchema(*connection);
    if (withDemo) {
        DemoOptions options;
        if (size > 0) {
            options.costings = size;
            options.items = qMax(options.items, size / 2);
        }
        generateDemoData(*connection, options);
    }
    return connection;
}

void runStatement(const ConnectionPtr &connection, const QString &statement)
{
    Recordset rs;
    rs.open(statement, connection);
    if (rs.fieldCount() == 0)
        return;
    while (!rs.eof()) {
        QStringList cells;
        for (int i = 0; i < rs.fieldCount(); ++i)
            cells.append(cellText(rs.value(i)));
        out() << cells.join(QLatin1Char('\t')) << '\n';
        rs.moveNext();
    }
    out().flush();
}

int sqlCommand(const ConnectionPtr &connection, const QStringList &statements)
{
    if (!statements.isEmpty()) {
        for (const QString &s : statements)
            runStatement(connection, s);
        return 0;
    }
    QTextStream in(stdin);
    QString line;
    while (in.readLineInto(&line)) {
        if (!line.trimmed().isEmpty())
            runStatement(connection, line);
    }
    return 0;
}

QString defaultDatabase()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(folder);
    return folder + QStringLiteral("/demo.db");
}

struct SessionOptions {
    QCommandLineOption user{QStringLiteral("user"), QStringLiteral("Session user id (default 1)."), QStringLiteral("id"), QStringLiteral("1")};
    QCommandLineOption company{QStringLiteral("company"), QStringLiteral("Company id (default 1)."), QStringLiteral("id"), QStringLiteral("1")};
    QCommandLineOption department{QStringLiteral("department"),
                                  QStringLiteral("Working department id; 0 for all (default 1)."), QStringLiteral("id"), QStringLiteral("1")};
    QCommandLineOption processDate{QStringLiteral("process-date"), QStringLiteral("Process date, yyyy-mm-dd (default today)."),
                                   QStringLiteral("date")};
    QCommandLineOption title{QStringLiteral("title"), QStringLiteral("Message-box title."), QStringLiteral("text"),
                             QStringLiteral("Local Purchase Costing")};
};

int openRegister(const ConnectionPtr &connection, const QCommandLineParser &parser, const SessionOptions &o)
{
    QDateTime processDate = QDateTime::currentDateTime();
    if (parser.isSet(o.processDate)) {
        const QDate date = QDate::fromString(parser.value(o.processDate), Qt::ISODate);
        if (!date.isValid())
            throw Error(errnum::TypeMismatch, QStringLiteral("The process date must be written yyyy-mm-dd."));
        processDate = QDateTime(date, processDate.time());
    }
    clsLocalPurchCost module;
    module.setAdocon(connection);
    module.setIntUserID(qint16(parser.value(o.user).toInt()));
    module.setIntcompanyid(qint16(parser.value(o.company).toInt()));
    module.setIntDepartmentId(qint16(parser.value(o.department).toInt()));
    module.setProcessDate(processDate);
    module.setMsgboxTitle(parser.value(o.title));
    module.Show();
    return 0;
}

// How long the desktop program waits for a file another program holds before it says so.
constexpr int kDesktopWaitSeconds = 5;

// Started from a menu, the desktop program has no console to speak to: a failed open is
// shown in a message box with the file and what to do, and a file another program holds
// may be tried again. Answers nullptr when the user gives up.
ConnectionPtr openOnDesktop(const std::function<ConnectionPtr(std::optional<int>)> &open, const QString &database,
                            const QString &title)
{
    for (;;) {
        try {
            return open(kDesktopWaitSeconds);
        } catch (const Error &e) {
            failed(e);
            const bool locked = e.number() == errnum::Timeout;
            QString text = QStringLiteral("The database %1 could not be opened:\n%2\n\n").arg(database, e.description());
            text += locked ? QStringLiteral("Another program is using the file (SQLite cannot tell which one). "
                                            "Close it or wait until it has finished, then choose Retry.")
                           : QStringLiteral("Check that the file exists and was made by this program, or start the "
                                            "program with --db naming another database file.");
            const int style = (locked ? MsgBoxStyle::RetryCancel : MsgBoxStyle::OkOnly) | MsgBoxStyle::Critical;
            if (messageBox(text, style, title) != MsgBoxAnswer::Retry)
                return nullptr;
        }
    }
}

// The database commands run without a display; only the register needs one.
bool runsWindows(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "init" || arg == "demo" || arg == "sql" || arg == "-h" || arg == "--help")
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    std::unique_ptr<QCoreApplication> application(runsWindows(argc, argv) ? new QApplication(argc, argv)
                                                                          : new QCoreApplication(argc, argv));
    QCoreApplication &app = *application;
    QCoreApplication::setApplicationName(QStringLiteral("localpurchcost"));
    QCoreApplication::setOrganizationName(QStringLiteral("kadu2217"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Local Purchase Costing"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("init FILE | demo FILE [--size N] | sql --db FILE [STATEMENT ...]"));
    const QCommandLineOption dbOption(QStringLiteral("db"), QStringLiteral("Embedded database file."), QStringLiteral("file"));
    const QCommandLineOption odbcOption(QStringLiteral("odbc"), QStringLiteral("ODBC connection string."), QStringLiteral("text"));
    const QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("Number of costings in the demo data."), QStringLiteral("n"));
    const SessionOptions sessionOptions;
    parser.addOptions({dbOption, odbcOption, sizeOption, sessionOptions.user, sessionOptions.company,
                       sessionOptions.department, sessionOptions.processDate, sessionOptions.title});
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    try {
        if (command == QLatin1String("init") || command == QLatin1String("demo")) {
            if (args.size() != 2) {
                err() << "usage: localpurchcost " << command << " FILE" << Qt::endl;
                return 2;
            }
            createDatabase(args[1], command == QLatin1String("demo"), parser.value(sizeOption).toInt());
            return 0;
        }
        if (command != QLatin1String("sql") && !command.isEmpty()) {
            err() << "unknown command: " << command << Qt::endl;
            return 2;
        }
        QString database = parser.value(odbcOption);
        std::function<ConnectionPtr(std::optional<int>)> open = [&](std::optional<int>) {
            auto connection = std::make_shared<Connection>();
            connection->open(database);
            return connection;
        };
        if (!parser.isSet(odbcOption)) {
            const bool named = parser.isSet(dbOption);
            database = named ? parser.value(dbOption) : defaultDatabase();
            open = [database, named](std::optional<int> waitSeconds) {
                if (QFile::exists(database))
                    return openExistingFile(database, waitSeconds);
                if (named)
                    throw Error(errnum::Unspecified, QStringLiteral("No database file %1.").arg(database));
                return createDatabase(database, true, 0);
            };
        }
        if (command == QLatin1String("sql"))
            return sqlCommand(open(std::nullopt), args.mid(1));
        // an ODBC connection string may carry a password: the box does not repeat it
        const QString shown = parser.isSet(odbcOption) ? QStringLiteral("of the ODBC connection") : database;
        const ConnectionPtr connection = openOnDesktop(open, shown, parser.value(sessionOptions.title));
        if (!connection)
            return 1;
        return openRegister(connection, parser, sessionOptions);
    } catch (const Error &e) {
        return failed(e);
    }
}
