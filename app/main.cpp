#include "controls/messagebox.h"
#include "db/connection.h"
#include "db/demodata.h"
#include "db/error.h"
#include "db/recordset.h"
#include "db/schema.h"
#include "db/servicetables.h"
#include "db/tsql/sqldatetime.h"
#include "db/values.h"
#include "reports/costingreport.h"
#include "shell/reportfiles.h"

#include <kadu2217/clslocalpurchcost.h>

#include "previewcommand.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QStandardPaths>
#include <QApplication>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <unistd.h>
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

constexpr int kProgressFrom = 5000;

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
        // A large file takes a while: a terminal shows how far it got.
        if (options.costings >= kProgressFrom && isatty(STDERR_FILENO)) {
            options.progress = [](int percent) {
                err() << "\rdemo data: " << percent << '%' << (percent == 100 ? "\n" : "");
                err().flush();
            };
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

// The module's own tables on a database it did not create: those missing are created, the
// rest is left as it is, so that running it twice changes nothing the second time.
int initOdbc(const QString &connectionString)
{
    Connection connection;
    connection.open(connectionString);
    const QStringList created = createMissingServiceTables(connection);
    if (created.isEmpty())
        out() << "nothing to create: " << serviceTableNames().join(QStringLiteral(", ")) << " exist\n";
    else
        out() << "created: " << created.join(QStringLiteral(", ")) << '\n';
    out().flush();
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

struct ReportOptions {
    QCommandLineOption costing{QStringLiteral("costing"), QStringLiteral("report: the costing id."), QStringLiteral("id")};
    QCommandLineOption bill{QStringLiteral("bill"), QStringLiteral("report and preview: the bill, as shop id and bill id."), QStringLiteral("shop:bill")};
    QCommandLineOption a5{QStringLiteral("a5"), QStringLiteral("report: the costing on A5 paper.")};
    QCommandLineOption pdf{QStringLiteral("pdf"), QStringLiteral("report: the PDF file to write."), QStringLiteral("file")};
};

// A command called the wrong way: its usage goes to standard error and the exit code is 2.
struct UsageError {
    QString text;
};

[[noreturn]] void usageError(const QString &text)
{
    throw UsageError{text};
}

QString departmentName(const ConnectionPtr &connection, const QVariant &departmentId)
{
    return DepartmentNameOf(connection, value::isNull(departmentId) ? qint16(0) : value::toInt16(departmentId));
}

// Writes the costing report or the bill report as a PDF file, as the previews show them;
// nothing is written for a costing or bill that does not exist.
int reportCommand(const ConnectionPtr &connection, const QCommandLineParser &parser, const SessionOptions &session,
                  const ReportOptions &o)
{
    const QString pdfFile = parser.value(o.pdf);
    std::shared_ptr<clsReportEngine> engine;
    if (parser.isSet(o.costing)) {
        bool ok = false;
        const qint32 costingId = parser.value(o.costing).toInt(&ok);
        const QVector<QVariant> row = [&] {
            Recordset rs;
            rs.open(QStringLiteral("select lpchDepartmentid from loaLocalPurchaseCostingHeader where lpchcostingid=?"), connection,
                    CursorType::ForwardOnly, LockType::ReadOnly, {costingId});
            return rs.eof() ? QVector<QVariant>() : QVector<QVariant>{rs.value(0)};
        }();
        if (!ok || row.isEmpty())
            throw Error(errnum::NoCurrentRecord, QStringLiteral("There is no costing %1.").arg(parser.value(o.costing)));
        const QString department = departmentName(connection, parser.isSet(session.department) ? parser.value(session.department) : row[0]);
        const QString file = reportfiles::definitionPath(reportfiles::componentFolder(),
                                                         parser.isSet(o.a5) ? reportfiles::costingA5 : reportfiles::costingA4);
        engine = openCostingReport(connection, costingId, file, department);
    } else {
        const QStringList ids = parser.value(o.bill).split(QLatin1Char(':'));
        bool shopOk = false;
        bool billOk = false;
        const qint32 shopId = ids.value(0).toInt(&shopOk);
        const qint32 billId = ids.value(1).toInt(&billOk);
        Recordset rs;
        if (ids.size() == 2 && shopOk && billOk)
            rs.open(QStringLiteral("select lphDepartmentID from losLocalPurchaseHeader where lphShopID=? and lphBillID=?"), connection,
                    CursorType::ForwardOnly, LockType::ReadOnly, {shopId, billId});
        if (!rs.isOpen() || rs.eof())
            throw Error(errnum::NoCurrentRecord, QStringLiteral("There is no bill %1.").arg(parser.value(o.bill)));
        const QString department = departmentName(connection, parser.isSet(session.department) ? parser.value(session.department) : rs.value(0));
        rs.close();
        Recordset user;
        user.open(QStringLiteral("select UserName from lousers where userid=?"), connection, CursorType::ForwardOnly, LockType::ReadOnly,
                  {parser.value(session.user).toInt()});
        const QString userName = user.eof() ? QString() : value::displayText(user.value(0)).toUpper();
        user.close();
        engine = createServiceAs<clsReportEngine>(servicenames::ReportControl);
        engine->adocon = connection;
        const QStringList fields = reportfiles::billReportFields(reportfiles::billTitle, shopId, billId, userName, department);
        for (int i = 0; i < fields.size(); ++i)
            engine->SetParameterField(i, fields[i]);
        engine->OpenReport(reportfiles::definitionPath(reportfiles::billReportFolder(reportfiles::componentFolder()), reportfiles::bill));
    }
    engine->ExportPdf(pdfFile);
    out() << pdfFile << ": " << engine->PageCount() << (engine->PageCount() == 1 ? " page" : " pages") << Qt::endl;
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

// The database commands run without a display; only the register needs one, and the reports
// draw on an offscreen one.
enum class DisplayKind { None, Offscreen, Screen };
DisplayKind displayNeeded(int argc, char *argv[])
{
    static const QSet<QByteArray> takesValue = {"--db", "--odbc", "--size", "--user", "--company", "--department",
                                                "--process-date", "--title", "--costing", "--bill", "--pdf"};
    QByteArray command;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-h" || arg == "--help" || arg == "-v" || arg == "--version")
            return DisplayKind::None;
        if (arg.startsWith('-')) {
            if (takesValue.contains(arg))
                ++i;
            continue;
        }
        if (command.isEmpty())
            command = arg;
    }
    if (command.isEmpty())
        return DisplayKind::Screen;
    return command == "report" ? DisplayKind::Offscreen : DisplayKind::None;
}

// The commands, one a line, for --help.
QString commandSummary()
{
    return QStringLiteral("(none)            open the register (the demo database in the user's data folder unless --db or --odbc)\n"
                          "init FILE         create an empty database file\n"
                          "init --odbc TEXT  create the module's missing tables on a SQL Server database\n"
                          "demo FILE         create a database file with demo data (--size N costings)\n"
                          "sql               run T-SQL statements (arguments, or one a line on standard input)\n"
                          "preview           what a new costing of a bill would do to each item's cost (--bill SHOP:BILL)\n"
                          "report            write a costing (--costing ID [--a5]) or a bill (--bill SHOP:BILL) as PDF (--pdf FILE)\n"
                          "Run localpurchcost COMMAND --help for one command.");
}

// Help for one command: what it does, how it is called, and then the options.
QString commandHelp(const QString &command, const QString &options)
{
    static const QHash<QString, QString> usage = {
        {QStringLiteral("init"), QStringLiteral("Usage: localpurchcost init FILE\n"
                                                "       localpurchcost init --odbc TEXT\n\n"
                                                "Creates an empty database file (schema only); it refuses a file that exists.\n"
                                                "With --odbc, creates the audit trail, error log and grid layout tables a SQL Server\n"
                                                "database lacks, and nothing else: run twice, it does nothing the second time.\n")},
        {QStringLiteral("demo"), QStringLiteral("Usage: localpurchcost demo FILE [--size N]\n\n"
                                                "Creates a database file with demo data: N costings (60 unless given), with their\n"
                                                "bills, items and stock. A terminal shows the progress of a large file.\n")},
        {QStringLiteral("sql"), QStringLiteral("Usage: localpurchcost sql (--db FILE | --odbc TEXT) [STATEMENT ...]\n\n"
                                               "Runs T-SQL statements, given as arguments or one a line on standard input, and\n"
                                               "prints the rows of each as tab-separated text.\n")},
        {QStringLiteral("preview"), QStringLiteral("Usage: localpurchcost preview (--db FILE | --odbc TEXT) --bill SHOP:BILL\n\n"
                                                   "Prints, as tab-separated text, what a new costing of the bill would do to each\n"
                                                   "item's cost. Writes nothing.\n")},
        {QStringLiteral("report"), QStringLiteral("Usage: localpurchcost report (--db FILE | --odbc TEXT) (--costing ID [--a5] | --bill SHOP:BILL)\n"
                                                  "                             [--department ID] --pdf OUT.pdf\n\n"
                                                  "Writes the costing report (A4, or A5) or a purchase bill as a PDF file and prints its\n"
                                                  "name and page count.\n")},
    };
    const auto found = usage.constFind(command);
    if (found == usage.constEnd())
        return QStringLiteral("Unknown command: %1\n\n").arg(command) + options;
    return *found + QStringLiteral("\n") + options.mid(options.indexOf(QStringLiteral("Options:")));
}

} // namespace

int main(int argc, char *argv[])
{
    const DisplayKind display = displayNeeded(argc, argv);
    if (display == DisplayKind::Offscreen)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application(display == DisplayKind::None ? new QCoreApplication(argc, argv)
                                                                           : new QApplication(argc, argv));
    QCoreApplication &app = *application;
    QCoreApplication::setApplicationName(QStringLiteral("localpurchcost"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KADU2217_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("kadu2217"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Local Purchase Costing: opens the register of costings, or runs a command.\n"
                                                    "Exit codes: 0 success, 1 a database error (its number and text on standard "
                                                    "error), 2 wrong usage."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"), commandSummary(), QStringLiteral("[command]"));
    const QCommandLineOption dbOption(QStringLiteral("db"), QStringLiteral("Embedded database file."), QStringLiteral("file"));
    const QCommandLineOption odbcOption(QStringLiteral("odbc"), QStringLiteral("ODBC connection string."), QStringLiteral("text"));
    const QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("Number of costings in the demo data."), QStringLiteral("n"));
    const SessionOptions sessionOptions;
    const ReportOptions reportOptions;
    parser.addOptions({dbOption, odbcOption, sizeOption, sessionOptions.user, sessionOptions.company,
                       sessionOptions.department, sessionOptions.processDate, sessionOptions.title, reportOptions.costing,
                       reportOptions.bill, reportOptions.a5, reportOptions.pdf});
    if (!parser.parse(app.arguments())) {
        err() << parser.errorText() << "\nTry localpurchcost --help." << Qt::endl;
        return 2;
    }
    if (parser.isSet(versionOption)) {
        out() << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion() << Qt::endl;
        return 0;
    }
    if (parser.isSet(helpOption)) {
        const QString command = parser.positionalArguments().value(0);
        out() << (command.isEmpty() ? parser.helpText() : commandHelp(command, parser.helpText()));
        out().flush();
        return 0;
    }
    if (parser.isSet(sizeOption) && parser.value(sizeOption).toInt() <= 0) {
        err() << "--size takes a number of costings above 0." << Qt::endl;
        return 2;
    }

    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    try {
        if (command == QLatin1String("init") && parser.isSet(odbcOption) && args.size() == 1)
            return initOdbc(parser.value(odbcOption));
        if (command == QLatin1String("init") || command == QLatin1String("demo")) {
            if (args.size() != 2) {
                err() << "usage: localpurchcost " << command << (command == QLatin1String("init") ? " FILE | init --odbc TEXT" : " FILE [--size N]")
                      << Qt::endl;
                return 2;
            }
            createDatabase(args[1], command == QLatin1String("demo"), parser.value(sizeOption).toInt());
            return 0;
        }
        const bool databaseCommand = command == QLatin1String("sql") || command == QLatin1String("preview")
            || command == QLatin1String("report");
        if (!databaseCommand && !command.isEmpty()) {
            err() << "unknown command: " << command << "\nTry localpurchcost --help." << Qt::endl;
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
        if (command == QLatin1String("preview"))
            return previewCommand(open(std::nullopt), parser.value(reportOptions.bill), qint16(parser.value(sessionOptions.company).toInt()),
                                  out(), err());
        if (command == QLatin1String("report")) {
            if (!parser.isSet(reportOptions.pdf) || parser.isSet(reportOptions.costing) == parser.isSet(reportOptions.bill))
                usageError(QStringLiteral("usage: localpurchcost report --db FILE (--costing ID [--a5] | --bill SHOP:BILL) --pdf OUT.pdf"));
            return reportCommand(open(std::nullopt), parser, sessionOptions, reportOptions);
        }
        // an ODBC connection string may carry a password: the box does not repeat it
        const QString shown = parser.isSet(odbcOption) ? QStringLiteral("of the ODBC connection") : database;
        const ConnectionPtr connection = openOnDesktop(open, shown, parser.value(sessionOptions.title));
        if (!connection)
            return 1;
        return openRegister(connection, parser, sessionOptions);
    } catch (const Error &e) {
        return failed(e);
    } catch (const UsageError &e) {
        err() << e.text << Qt::endl;
        return 2;
    }
}
