#include "db/error.h"
#include "db/schema.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

#include <sqlite3.h>

using namespace kadu2217;
using namespace kadu2217::testsupport;

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(!qgetenv("LOCALPURCHCOST_BIN").isEmpty(), "LOCALPURCHCOST_BIN names the program"); }

    void initCreatesAnEmptyDatabaseOnce()
    {
        const QString file = newDatabasePath(QStringLiteral("init"));
        QCOMPARE(runProgram({QStringLiteral("init"), file}).exitCode, 0);
        const Run counted = runProgram({QStringLiteral("sql"), QStringLiteral("--db"), file,
                                        QStringLiteral("select count(*) from aItem"),
                                        QStringLiteral("select count(*) from loaLocalPurchaseCostingHeader")});
        QCOMPARE(counted.out, QStringLiteral("0\n0\n"));
        const Run again = runProgram({QStringLiteral("init"), file});
        QVERIFY(again.exitCode != 0);
        QVERIFY(!again.err.isEmpty());
    }

    void demoScalesWithSize()
    {
        const QString file = newDatabasePath(QStringLiteral("demo"));
        QCOMPARE(runProgram({QStringLiteral("demo"), file, QStringLiteral("--size"), QStringLiteral("150")}).exitCode, 0);
        const Run counted = runProgram({QStringLiteral("sql"), QStringLiteral("--db"), file,
                                        QStringLiteral("select count(*) from loaLocalPurchaseCostingHeader")});
        QCOMPARE(counted.out, QStringLiteral("150\n"));
    }

    void printsValuesInTheirTextForms_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("printed");
        QTest::newRow("null") << "select NULL" << "NULL\n";
        QTest::newRow("integer") << "select 125/60" << "2\n";
        QTest::newRow("fraction") << "select 0.0125" << "0.0125\n";
        QTest::newRow("no trailing zeros") << "select 2.50" << "2.5\n";
        QTest::newRow("15 significant digits") << "select 1/3.0" << "0.333333333333333\n";
        QTest::newRow("no exponent") << "select 1e20" << "100000000000000000000\n";
        QTest::newRow("datetime") << "select convert(datetime, '20120315 09:00')" << "2012-03-15 09:00:00.000\n";
        QTest::newRow("text as stored") << "select '  a b ', 'x'" << "  a b \tx\n";
        QTest::newRow("no rows") << "select 1 where 1=0" << "";
    }
    void printsValuesInTheirTextForms()
    {
        QFETCH(QString, statement);
        QFETCH(QString, printed);
        const QString file = newDatabasePath(QStringLiteral("print"));
        openNewDatabase(file);
        const Run run = runProgram({QStringLiteral("sql"), QStringLiteral("--db"), file, statement});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, printed);
    }

    void readsStatementsFromInput()
    {
        const QString file = newDatabasePath(QStringLiteral("stdin"));
        openNewDatabase(file);
        const Run run = runProgram({QStringLiteral("sql"), QStringLiteral("--db"), file},
                                   "insert into aUsers (userid, username) values (7, 'ZARA')\n\nselect username from AUSERS where USERID=7\n");
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("ZARA\n"));
    }

    // Names given relative to a fresh folder; "decoy" is the file a connection string cut at
    // the wrong place would open instead.
    void opensExactlyTheFileNamed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("decoy");
        QTest::newRow("semicolon") << "other;new.db" << "other";
        QTest::newRow("equals and semicolon") << "a=b;c.db" << "a=b";
        QTest::newRow("braces") << "{x};y.db" << "x";
        QTest::newRow("closing braces") << "p}}q;r.db" << "p}}q";
        QTest::newRow("driver") << "d;Driver=SQLite3;Database=e.db" << "d";
        QTest::newRow("dsn") << "f;DSN=g.db" << "f";
        QTest::newRow("uri") << "file:h.db?mode=memory" << "h.db";
    }
    void opensExactlyTheFileNamed()
    {
        QFETCH(QString, name);
        QFETCH(QString, decoy);
        const QString folder = QFileInfo(newDatabasePath(QStringLiteral("names"))).absoluteFilePath() + ".d";
        QVERIFY(QDir().mkpath(folder));
        const Run created = runProgram({QStringLiteral("init"), name}, {}, folder);
        QVERIFY2(created.exitCode == 0, qPrintable(created.err));
        QVERIFY(QFile::exists(QDir(folder).filePath(name)));
        const Run counted = runProgram({QStringLiteral("sql"), QStringLiteral("--db"), name,
                                        QStringLiteral("select count(*) from aItem")}, {}, folder);
        QCOMPARE(counted.out, QStringLiteral("0\n"));
        const Run again = runProgram({QStringLiteral("demo"), name}, {}, folder);
        QVERIFY(again.exitCode != 0);
        QVERIFY2(again.err.contains(QStringLiteral("exists already")), qPrintable(again.err));
        QVERIFY(!QFile::exists(QDir(folder).filePath(decoy)));

        // an existing file whose name the text starts with is neither written nor opened
        openNewDatabase(QDir(folder).filePath(decoy));
        const QString other = QStringLiteral("%1;other.db").arg(decoy);
        const Run refused = runProgram({QStringLiteral("sql"), QStringLiteral("--db"), other,
                                        QStringLiteral("select count(*) from aItem")}, {}, folder);
        QVERIFY(refused.exitCode != 0);
        QVERIFY2(refused.err.contains(QStringLiteral("No database file")), qPrintable(refused.err));
        QCOMPARE(runProgram({QStringLiteral("init"), other}, {}, folder).exitCode, 0);
        QCOMPARE(runProgram({QStringLiteral("sql"), QStringLiteral("--db"), decoy,
                             QStringLiteral("select count(*) from aItem")}, {}, folder).out, QStringLiteral("0\n"));
    }

    void refusesAFileOfANewerVersion()
    {
        const QString file = newDatabasePath(QStringLiteral("newer"));
        openNewDatabase(file)->execute(QStringLiteral("update schema_version set version = ?"), {latestSchemaVersion() + 1});
        const auto bytes = [&] {
            QFile f(file);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray before = bytes();
        const Run run = runProgram({QStringLiteral("sql"), QStringLiteral("--db"), file,
                                    QStringLiteral("insert into aUsers (userid, username) values (8, 'NEW')")});
        QVERIFY(run.exitCode != 0);
        QVERIFY2(run.err.contains(QStringLiteral("version %1").arg(latestSchemaVersion() + 1))
                     && run.err.contains(QStringLiteral("up to %1").arg(latestSchemaVersion())), qPrintable(run.err));
        QCOMPARE(bytes(), before);
    }

    // Started from a menu, the program has no console: the failure waits in a message box,
    // within seconds also when another program holds the file.
    void desktopProgramShowsAFailedOpen_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QString>("reported");
        QTest::newRow("missing file") << false << "No database file";
        QTest::newRow("file another program holds") << true << QString::number(errnum::Timeout);
    }
    void desktopProgramShowsAFailedOpen()
    {
        QFETCH(bool, locked);
        QFETCH(QString, reported);
        const QString file = newDatabasePath(QStringLiteral("desktop"));
        sqlite3 *holder = nullptr;
        if (locked) {
            openNewDatabase(file);
            QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &holder), SQLITE_OK);
            QCOMPARE(sqlite3_exec(holder, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; delete from aUsers where 0",
                                  nullptr, nullptr, nullptr), SQLITE_OK);
        }
        QProcess process;
        process.start(QString::fromLocal8Bit(qgetenv("LOCALPURCHCOST_BIN")), {QStringLiteral("--db"), file});
        QVERIFY(process.waitForStarted());
        QString err;
        QTRY_VERIFY_WITH_TIMEOUT((err += QString::fromUtf8(process.readAllStandardError())).contains(reported), 15000);
        QVERIFY2(!process.waitForFinished(1500), "the program ended without showing the failure");
        process.kill();
        process.waitForFinished();
        sqlite3_close(holder);
        QCOMPARE(QFile::exists(file), locked);
    }

    void failureNamesTheErrorAndExitsNonZero()
    {
        const QString file = newDatabasePath(QStringLiteral("fail"));
        openNewDatabase(file);
        const Run run = runProgram({QStringLiteral("sql"), QStringLiteral("--db"), file, QStringLiteral("select * from nosuch")});
        QVERIFY(run.exitCode != 0);
        QVERIFY2(run.err.startsWith(QStringLiteral("-2147217865")), qPrintable(run.err));
    }

    void exitCodesSayWhatHappened_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said"); // in standard output for 0, standard error otherwise
        QTest::newRow("version") << QStringList{"--version"} << 0 << "localpurchcost 0.";
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Exit codes: 0 success";
        QTest::newRow("help of one command") << QStringList{"demo", "--help"} << 0 << "Usage: localpurchcost demo FILE [--size N]";
        QTest::newRow("help of each command") << QStringList{"report", "--help"} << 0 << "Usage: localpurchcost report";
        QTest::newRow("unknown option") << QStringList{"sql", "--colour"} << 2 << "colour";
        QTest::newRow("unknown command") << QStringList{"costit"} << 2 << "unknown command: costit";
        QTest::newRow("missing file name") << QStringList{"demo"} << 2 << "usage: localpurchcost demo FILE";
        QTest::newRow("a size that is not one") << QStringList{"demo", "x.db", "--size", "many"} << 2 << "--size";
        QTest::newRow("report without a costing or bill") << QStringList{"report", "--db", "x.db", "--pdf", "x.pdf"} << 2
                                                          << "usage: localpurchcost report";
        QTest::newRow("no such file") << QStringList{"sql", "--db", "no-such.db", "select 1"} << 1 << "No database file";
    }
    void exitCodesSayWhatHappened()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        const QString folder = QFileInfo(newDatabasePath(QStringLiteral("codes"))).absolutePath();
        // Every command line here draws nothing: none may need a display.
        const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
        qputenv("QT_QPA_PLATFORM", "none-such-platform");
        const Run run = runProgram(arguments, {}, folder);
        qputenv("QT_QPA_PLATFORM", platform);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2((exitCode == 0 ? run.out : run.err).contains(said), qPrintable(run.out + run.err));
    }

    void initOdbcCreatesOnlyWhatIsMissing()
    {
        const QString file = newDatabasePath(QStringLiteral("odbc-init"));
        const QString odbc = QStringLiteral("Driver=SQLite3;Database=") + file;
        // A database of the suite's own, with one service table already in use.
        QCOMPARE(runProgram({QStringLiteral("sql"), QStringLiteral("--odbc"), odbc,
                             QStringLiteral("create table aItem (itemid integer, itemrate float)"),
                             QStringLiteral("create table aGridLayout (UserID integer, CompanyID integer, GridName varchar(100), "
                                            "ColumnIndex integer, ColumnPosition integer, ColumnWidth integer)"),
                             QStringLiteral("insert into aGridLayout values (1, 1, 'FlexMaster', 2, 3, 900)")})
                     .exitCode,
                 0);
        const Run first = runProgram({QStringLiteral("init"), QStringLiteral("--odbc"), odbc});
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(first.out, QStringLiteral("created: aAuditTrail, aErrorLog\n"));
        const Run second = runProgram({QStringLiteral("init"), QStringLiteral("--odbc"), odbc});
        QCOMPARE(second.exitCode, 0);
        QVERIFY(second.out.startsWith(QStringLiteral("nothing to create")));
        // The table in use kept its row; the new ones take what the module writes.
        const Run used = runProgram({QStringLiteral("sql"), QStringLiteral("--odbc"), odbc,
                                     QStringLiteral("insert into aAuditTrail (CompanyID, UserID, DepartmentID, InterfaceID, DocumentID, "
                                                    "DocumentNo, AuditAction, LoggedTime, SavedTime, Flag, Reason) values "
                                                    "(1, 1, 1, 2011, 5, 'LPC-5', 'D', '20261201', '20261201', 1, 'vendor''s error')"),
                                     QStringLiteral("insert into aErrorLog (ErrorTime, WindowName, UserName, ProcedureName, ErrorNumber, "
                                                    "ErrorSource, ErrorDescription, Mode, Flag) values "
                                                    "('20261201', 'FrmMaster', 'ADMIN', 'Form_Load ', 5, 's', 'd', 'N', 1)"),
                                     QStringLiteral("select count(*) from aGridLayout"),
                                     QStringLiteral("select Reason from aAuditTrail")});
        QCOMPARE(used.exitCode, 0);
        QCOMPARE(used.out, QStringLiteral("1\nvendor's error\n"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
