#include "testsupport.h"

#include <QtTest>

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

    void failureNamesTheErrorAndExitsNonZero()
    {
        const QString file = newDatabasePath(QStringLiteral("fail"));
        openNewDatabase(file);
        const Run run = runProgram({QStringLiteral("sql"), QStringLiteral("--db"), file, QStringLiteral("select * from nosuch")});
        QVERIFY(run.exitCode != 0);
        QVERIFY2(run.err.startsWith(QStringLiteral("-2147217865")), qPrintable(run.err));
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
