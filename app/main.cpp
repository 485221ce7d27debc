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
#include <QStandardPaths>
#include <QApplication>
#include <QTextStream>
#include <cmath>
#include <cstdio>

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
    default:
        return v.toString();
    }
}

ConnectionPtr openFile(const QString &file)
{
    auto connection = std::make_shared<Connection>();
    connection->open(QStringLiteral("Data Source=") + file);
    return connection;
}

// A file of this program written by an earlier version is brought up to date first, so
// that what this version writes has its columns; a file without the schema is left alone.
ConnectionPtr openExistingFile(const QString &file)
{
    auto connection = openFile(file);
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

[[noreturn]] void usageError(const QString &text)
{
    throw Error(errnum::InvalidProcedureCall, text);
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
    if (!parser.isSet(o.pdf) || parser.isSet(o.costing) == parser.isSet(o.bill))
        usageError(QStringLiteral("usage: localpurchcost report --db FILE (--costing ID [--a5] | --bill SHOP:BILL) --pdf OUT.pdf"));
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

// The database commands run without a display; only the register needs one, and the reports
// draw on an offscreen one.
enum class DisplayKind { None, Offscreen, Screen };
DisplayKind displayNeeded(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "init" || arg == "demo" || arg == "sql" || arg == "preview" || arg == "-h" || arg == "--help")
            return DisplayKind::None;
        if (arg == "report")
            return DisplayKind::Offscreen;
    }
    return DisplayKind::Screen;
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
    QCoreApplication::setOrganizationName(QStringLiteral("kadu2217"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Local Purchase Costing"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("init FILE | init --odbc TEXT | demo FILE [--size N] | "
                                                                           "sql --db FILE [STATEMENT ...] | preview --db FILE --bill SHOP:BILL | "
                                                                           "report --db FILE (--costing ID [--a5] | --bill SHOP:BILL) --pdf OUT.pdf"));
    const QCommandLineOption dbOption(QStringLiteral("db"), QStringLiteral("Embedded database file."), QStringLiteral("file"));
    const QCommandLineOption odbcOption(QStringLiteral("odbc"), QStringLiteral("ODBC connection string."), QStringLiteral("text"));
    const QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("Number of costings in the demo data."), QStringLiteral("n"));
    const SessionOptions sessionOptions;
    const ReportOptions reportOptions;
    parser.addOptions({dbOption, odbcOption, sizeOption, sessionOptions.user, sessionOptions.company,
                       sessionOptions.department, sessionOptions.processDate, sessionOptions.title, reportOptions.costing,
                       reportOptions.bill, reportOptions.a5, reportOptions.pdf});
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    try {
        if (command == QLatin1String("init") && parser.isSet(odbcOption) && args.size() == 1)
            return initOdbc(parser.value(odbcOption));
        if (command == QLatin1String("init") || command == QLatin1String("demo")) {
            if (args.size() != 2) {
                err() << "usage: localpurchcost " << command << " FILE" << Qt::endl;
                return 2;
            }
            createDatabase(args[1], command == QLatin1String("demo"), parser.value(sizeOption).toInt());
            return 0;
        }
        ConnectionPtr connection;
        if (parser.isSet(odbcOption)) {
            connection = std::make_shared<Connection>();
            connection->open(parser.value(odbcOption));
        } else if (parser.isSet(dbOption)) {
            if (!QFile::exists(parser.value(dbOption)))
                throw Error(errnum::Unspecified, QStringLiteral("No database file %1.").arg(parser.value(dbOption)));
            connection = openExistingFile(parser.value(dbOption));
        } else {
            const QString file = defaultDatabase();
            connection = QFile::exists(file) ? openExistingFile(file) : createDatabase(file, true, 0);
        }
        if (command == QLatin1String("sql"))
            return sqlCommand(connection, args.mid(1));
        if (command == QLatin1String("preview"))
            return previewCommand(connection, parser.value(reportOptions.bill), qint16(parser.value(sessionOptions.company).toInt()), out(), err());
        if (command == QLatin1String("report"))
            return reportCommand(connection, parser, sessionOptions, reportOptions);
        if (!command.isEmpty()) {
            err() << "unknown command: " << command << Qt::endl;
            return 2;
        }
        return openRegister(connection, parser, sessionOptions);
    } catch (const Error &e) {
        return failed(e);
    }
}
