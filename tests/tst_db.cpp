#include "db/connection.h"
#include "db/error.h"
#include "db/recordset.h"
#include "db/tsql/ast.h"
#include "db/values.h"
#include "testsupport.h"
#include "util/numbertext.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <optional>

using namespace kadu2217;
using kadu2217::testsupport::errorNumberOf;

namespace {

const char kTable[] =
    "CREATE TABLE t (id INTEGER PRIMARY KEY, qty INTEGER, price FLOAT, flag BIT, "
    "name VARCHAR(5) COLLATE TSQL, made DATETIME);";

ConnectionPtr openDb(const QString &file)
{
    auto c = std::make_shared<Connection>();
    c->openFile(file);
    return c;
}

// A second process that allocates ids as "largest + 1" inside write transactions.
int runWriter(const QString &file, int count)
{
    auto c = openDb(file);
    for (int i = 0; i < count; ++i) {
        c->beginTrans();
        Recordset rs;
        rs.open(QStringLiteral("select isnull(max(id),0)+1 from t"), c, CursorType::Static, LockType::ReadOnly);
        const qint32 id = value::toInt32(rs.value(0));
        rs.close();
        c->execute(QStringLiteral("insert into t (id, qty) values (?, ?)"), {id, QCoreApplication::applicationPid()});
        c->commitTrans();
    }
    return 0;
}

} // namespace

class TestDb : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;
    ConnectionPtr newDb()
    {
        auto c = openDb(m_dir.filePath(QStringLiteral("db%1.sqlite").arg(++m_files)));
        c->executeNativeScript(QString::fromLatin1(kTable));
        return c;
    }

private slots:
    void unopenedConnectionFailsEveryCall()
    {
        auto c = std::make_shared<Connection>();
        QCOMPARE(errorNumberOf([&] { c->execute(QStringLiteral("select 1")); }), errnum::NotConnected);
        QCOMPARE(errorNumberOf([&] { c->beginTrans(); }), errnum::NotConnected);
        QCOMPARE(errorNumberOf([&] { Recordset rs; rs.open(QStringLiteral("select 1"), c); }), errnum::NotConnected);
        QCOMPARE(errorNumberOf([&] { Recordset rs; rs.open(QStringLiteral("select 1"), nullptr); }), errnum::NotConnected);
    }

    void assignmentConverts_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("assigned");
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("decimal text to integer") << "qty" << QVariant(QStringLiteral("4.000")) << QVariant(qlonglong(4));
        QTest::newRow("half rounds to even") << "qty" << QVariant(2.5) << QVariant(qlonglong(2));
        QTest::newRow("true to bit") << "flag" << QVariant(true) << QVariant(qlonglong(1));
        QTest::newRow("True text to bit") << "flag" << QVariant(QStringLiteral("True")) << QVariant(qlonglong(1));
        QTest::newRow("text to float") << "price" << QVariant(QStringLiteral("12.5")) << QVariant(12.5);
        QTest::newRow("slash date") << "made" << QVariant(QStringLiteral("2012/03/15"))
                                    << QVariant(QDateTime(QDate(2012, 3, 15), QTime(0, 0)));
        QTest::newRow("number to text") << "name" << QVariant(qlonglong(42)) << QVariant(QStringLiteral("42"));
        QTest::newRow("null stays null") << "qty" << QVariant() << QVariant();
    }
    void assignmentConverts()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, assigned);
        QFETCH(QVariant, stored);
        auto c = newDb();
        Recordset rs;
        rs.open(QStringLiteral("select * from T"), c, CursorType::Keyset, LockType::Optimistic);
        rs.addNew();
        rs.setValue(QStringLiteral("ID"), 1);
        rs.setValue(field, assigned);
        QCOMPARE(rs.value(field), stored);
        rs.update();
        rs.close();
        rs.open(QStringLiteral("select * from t where id=1"), c);
        QCOMPARE(rs.value(field), stored);
    }

    void assignmentRejects_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("assigned");
        QTest::addColumn<int>("number");
        QTest::newRow("letters to integer") << "qty" << QVariant(QStringLiteral("abc")) << int(errnum::TypeMismatch);
        QTest::newRow("empty to float") << "price" << QVariant(QString()) << int(errnum::TypeMismatch);
        QTest::newRow("no date") << "made" << QVariant(QStringLiteral("15th of March")) << int(errnum::TypeMismatch);
        QTest::newRow("text too long") << "name" << QVariant(QStringLiteral("abcdef")) << int(errnum::MultipleStep);
        QTest::newRow("unknown field") << "nosuch" << QVariant(1) << int(errnum::ItemNotFound);
    }
    void assignmentRejects()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, assigned);
        QFETCH(int, number);
        auto c = newDb();
        Recordset rs;
        rs.open(QStringLiteral("select * from t"), c, CursorType::Keyset, LockType::Optimistic);
        rs.addNew();
        QCOMPARE(errorNumberOf([&] { rs.setValue(field, assigned); }), number);
    }

    // The conversions and the grids read numbers by different rules on purpose.
    void numberRules_data()
    {
        const QVariant none;
        const double infinity = std::numeric_limits<double>::infinity();
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("conversion");
        QTest::addColumn<QVariant>("cell");
        QTest::addColumn<double>("conversionLeading");
        QTest::addColumn<double>("cellLeading");
        QTest::newRow("plain") << "en_US" << " -12.5e1x" << none << none << -125.0 << -125.0;
        QTest::newRow("both read a number") << "en_US" << " 7 " << QVariant(7.0) << QVariant(7.0) << 7.0 << 7.0;
        QTest::newRow("no number") << "en_US" << "abc" << none << none << 0.0 << 0.0;
        QTest::newRow("infinity is a number to the conversions only") << "en_US" << "inf" << QVariant(infinity) << none
                                                                      << 0.0 << 0.0;
        QTest::newRow("past a double's range") << "en_US" << "1e400 units" << none << none << infinity << 0.0;
        QTest::newRow("any white space leads in a cell") << "en_US" << "\n5" << QVariant(5.0) << QVariant(5.0) << 0.0 << 5.0;
        QTest::newRow("groups in the user's locale read in a cell only") << "de_DE" << "1.234,5" << none
                                                                         << QVariant(1234.5) << 1.234 << 1.234;
        QTest::newRow("the user's decimal comma") << "de_DE" << "2,5" << QVariant(2.5) << QVariant(2.5) << 2.0 << 2.0;
    }
    void numberRules()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QVariant, conversion);
        QFETCH(QVariant, cell);
        QFETCH(double, conversionLeading);
        QFETCH(double, cellLeading);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        const auto asVariant = [](std::optional<double> number) { return number ? QVariant(*number) : QVariant(); };
        const QVariant readConversion = asVariant(value::parseNumber(text));
        const QVariant readCell = asVariant(numbertext::number(text, numbertext::Cell));
        const double readConversionLeading = value::leadingNumber(text);
        const double readCellLeading = numbertext::leadingNumber(text, numbertext::Cell);
        QLocale::setDefault(before);
        QCOMPARE(readConversion, conversion);
        QCOMPARE(readCell, cell);
        QCOMPARE(readConversionLeading, conversionLeading);
        QCOMPARE(readCellLeading, cellLeading);
    }

    // Numbers written into statement texts: plain decimals, as short as reads back the same double.
    void sqlNumberText_data()
    {
        QTest::addColumn<double>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 1234.0 << "1234";
        QTest::newRow("negative half") << -0.5 << "-0.5";
        QTest::newRow("a tenth") << 0.1 << "0.1";
        QTest::newRow("a cost") << 201.3725 << "201.3725";
        QTest::newRow("a third, fifteen digits do not read back") << 1.0 / 3 << "0.3333333333333333";
        QTest::newRow("seventeen digits") << 0.1 + 0.2 << "0.30000000000000004";
        QTest::newRow("large with decimals") << 123456789012.34567 << "123456789012.34567";
        QTest::newRow("whole beyond 1e15") << 1e20 << "100000000000000000000";
        QTest::newRow("small") << 1.5e-7 << "0.00000015";
        QTest::newRow("just below a whole") << 2.9999999999999996 << "2.9999999999999996";
    }
    void sqlNumberText()
    {
        QFETCH(double, number);
        QFETCH(QString, text);
        QCOMPARE(value::sqlNumber(number), text);
        QCOMPARE(value::sqlNumber(number).toDouble(), number);
    }

    void readOnlyAndJoinedRecordsetsDoNotWrite()
    {
        auto c = newDb();
        Recordset rs;
        rs.open(QStringLiteral("select * from t"), c, CursorType::Keyset, LockType::ReadOnly);
        QCOMPARE(errorNumberOf([&] { rs.addNew(); }), errnum::NotUpdatable);
        Recordset joined;
        joined.open(QStringLiteral("select * from t a left outer join t b on a.id=b.id"), c, CursorType::Keyset, LockType::Optimistic);
        QCOMPARE(errorNumberOf([&] { joined.addNew(); }), errnum::NotUpdatable);
    }

    void editsOneExistingRowWithBoundValues()
    {
        auto c = newDb();
        c->execute(QStringLiteral("insert into t (id, name) values (1, 'a')"));
        c->execute(QStringLiteral("insert into t (id, name) values (2, 'b')"));
        Recordset rs;
        rs.open(QStringLiteral("select * from t where id=2"), c, CursorType::Keyset, LockType::Optimistic);
        rs.setValue(QStringLiteral("name"), QStringLiteral("O'B"));
        rs.update();
        rs.close();
        rs.open(QStringLiteral("select name from t order by id"), c, CursorType::Static);
        QCOMPARE(rs.value(0).toString(), QStringLiteral("a"));
        rs.moveNext();
        QCOMPARE(rs.value(0).toString(), QStringLiteral("O'B"));
    }

    void movesAndFieldsByName()
    {
        auto c = newDb();
        for (int i = 1; i <= 3; ++i)
            c->execute(QStringLiteral("insert into t (id, qty) values (?, ?)"), {i, i * 10});
        Recordset rs;
        rs.open(QStringLiteral("select ID as FunctionRights, qty from t order by id"), c, CursorType::Keyset, LockType::Optimistic);
        QVERIFY(!rs.bof() && !rs.eof());
        QCOMPARE(rs.value(QStringLiteral("functionrights")).toInt(), 1);
        rs.moveLast();
        QCOMPARE(rs.value(QStringLiteral("QTY")).toInt(), 30);
        rs.movePrevious();
        QCOMPARE(rs.value(0).toInt(), 2);
        rs.moveFirst();
        QCOMPARE(rs.recordCount(), qint64(3));
        rs.moveLast();
        rs.moveNext();
        QVERIFY(rs.eof());
        QCOMPARE(errorNumberOf([&] { rs.value(0); }), errnum::NoCurrentRecord);
        QCOMPARE(errorNumberOf([&] { rs.moveNext(); }), errnum::NoCurrentRecord);

        Recordset empty;
        empty.open(QStringLiteral("select * from t where id=99"), c);
        QVERIFY(empty.eof() && empty.bof());
    }

    void forwardOnlyStreamsAndRefusesBackward()
    {
        auto c = newDb();
        for (int i = 1; i <= 5; ++i)
            c->execute(QStringLiteral("insert into t (id) values (?)"), {i});
        Recordset rs;
        rs.open(QStringLiteral("select id from t order by id"), c);
        int seen = 0;
        while (!rs.eof()) {
            QCOMPARE(rs.value(0).toInt(), ++seen);
            rs.moveNext();
        }
        QCOMPARE(seen, 5);
        QCOMPARE(errorNumberOf([&] { rs.movePrevious(); }), errnum::OperationNotAllowed);
    }

    void rolledBackTransactionLeavesNothing()
    {
        auto c = newDb();
        c->beginTrans();
        c->execute(QStringLiteral("insert into t (id) values (1)"));
        Recordset rs;
        rs.open(QStringLiteral("select * from t"), c, CursorType::Keyset, LockType::Optimistic);
        rs.addNew();
        rs.setValue(QStringLiteral("id"), 2);
        rs.update();
        rs.close();
        c->rollbackTrans();
        rs.open(QStringLiteral("select count(*) from t"), c);
        QCOMPARE(rs.value(0).toInt(), 0);
        QCOMPARE(errorNumberOf([&] { c->commitTrans(); }), errnum::Unspecified);
    }

    void workAfterTheTransactionOutlivesIt_data()
    {
        QTest::addColumn<QString>("end"); // how the transaction ends; "none" when none is open
        QTest::newRow("commit") << "commit";
        QTest::newRow("rollback") << "rollback";
        QTest::newRow("close") << "close";
        QTest::newRow("no transaction") << "none";
    }
    void workAfterTheTransactionOutlivesIt()
    {
        QFETCH(QString, end);
        const QString file = m_dir.filePath(QStringLiteral("db%1.sqlite").arg(++m_files));
        auto c = openDb(file);
        c->executeNativeScript(QString::fromLatin1(kTable));
        if (end != QLatin1String("none")) {
            c->beginTrans();
            c->execute(QStringLiteral("insert into t (id) values (1)"));
        }
        QStringList ran;
        for (int id : {7, 8}) {
            c->afterTransaction([&ran, id](Connection &connection) {
                ran << QStringLiteral("%1 %2").arg(id).arg(connection.inTransaction());
                connection.execute(QStringLiteral("insert into t (id) values (?)"), {id});
            });
        }
        QCOMPARE(ran.isEmpty(), end != QLatin1String("none"));
        if (end == QLatin1String("commit"))
            c->commitTrans();
        else if (end == QLatin1String("rollback"))
            c->rollbackTrans();
        else if (end == QLatin1String("close"))
            c->close();
        QCOMPARE(ran, (QStringList{"7 0", "8 0"}));
        if (c->isOpen()) {
            c->beginTrans();
            c->commitTrans();
            QCOMPARE(ran.size(), 2); // each action runs once
        }
        Recordset rs;
        rs.open(QStringLiteral("select count(*), sum(id) from t where id >= 7"), openDb(file));
        QCOMPARE(rs.value(0).toInt(), 2);
        QCOMPARE(rs.value(1).toInt(), 15);
    }

    void databaseErrorsCarryAdoNumbers_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<int>("number");
        QTest::newRow("syntax") << "selec * from t" << int(errnum::SqlSyntax);
        QTest::newRow("unknown column") << "select nosuch from t" << int(errnum::SqlSyntax);
        QTest::newRow("unknown table") << "select * from nosuch" << int(errnum::InvalidObject);
        QTest::newRow("duplicate key") << "insert into t (id) values (1)" << int(errnum::Constraint);
        QTest::newRow("conversion") << "select convert(int, 'abc')" << int(errnum::Conversion);
    }
    void databaseErrorsCarryAdoNumbers()
    {
        QFETCH(QString, statement);
        QFETCH(int, number);
        auto c = newDb();
        c->execute(QStringLiteral("insert into t (id) values (1)"));
        QCOMPARE(errorNumberOf([&] { Recordset rs; rs.open(statement, c); }), number);
    }

    void connectionStringQuotesFilePaths_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"plain.db", "a;b.db", "c=d;e.db", "f}g;h.db", "{i};j.db", "k;Driver=SQLite3.db",
                                 "l;DSN=m.db", " n 'o\" .db"})
            QTest::newRow(name) << QString::fromUtf8(name);
    }
    void connectionStringQuotesFilePaths()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        {
            Connection c;
            c.open(Connection::fileConnectionString(path));
            QCOMPARE(c.dialect(), Dialect::Embedded);
            c.executeNativeScript(QString::fromLatin1(kTable));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList(name));
    }

    // Statements SQLite alone would run with another meaning, leaving the table changed.
    void refusesWhatSqlServerRefuses_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("message");
        const QString truncated = QStringLiteral("String or binary data would be truncated.");
        QTest::newRow("unknown bracketed column") << "update t set price = 0 where [nam] = 'nam'"
                                                  << "Invalid column name 'nam'.";
        QTest::newRow("unknown quoted column") << "update t set price = 0 where \"nam\" = 'nam'"
                                               << "Invalid column name 'nam'.";
        QTest::newRow("unknown quoted column in a select list") << "select \"nam\" from t"
                                                                << "Invalid column name 'nam'.";
        QTest::newRow("long text inserted") << "insert into t (id, name) values (3, 'abcdefgh')" << truncated;
        QTest::newRow("long text updated") << "update t set name = name + 'defgh'" << truncated;
        QTest::newRow("long text inserted from a select") << "insert into t (id, name) select 3, 'abc' + name from t"
                                                          << truncated;
    }
    void refusesWhatSqlServerRefuses()
    {
        QFETCH(QString, statement);
        QFETCH(QString, message);
        auto c = newDb();
        c->execute(QStringLiteral("insert into t (id, price, name) values (1, 2.5, 'abc'), (2, 4, 'nam')"));
        const auto rows = [&] { return testsupport::queryRows(c, QStringLiteral("select id, price, name from t order by id")); };
        const auto before = rows();
        try {
            c->execute(statement);
            QFAIL("the statement ran");
        } catch (const Error &e) {
            QCOMPARE(e.description(), message);
            QCOMPARE(e.number(), errnum::SqlSyntax);
        }
        QCOMPARE(rows(), before);
    }

    // Arithmetic on a text column and on parameters nests as deep as the translation reads.
    void nestsArithmeticOnTextAndParameters_data()
    {
        QTest::addColumn<int>("depth");
        QTest::newRow("35") << 35;
        QTest::newRow("100") << 100;
        QTest::newRow("the deepest the translation reads") << tsql::MaxDepth - 2; // the select list, the outermost (
    }
    void nestsArithmeticOnTextAndParameters()
    {
        QFETCH(int, depth);
        auto c = newDb();
        c->execute(QStringLiteral("insert into t (id, name) values (1, '7')"));
        const QString open = QStringLiteral("(").repeated(depth);
        const QString terms = QStringLiteral(" + 1)").repeated(depth);
        const auto rows = testsupport::queryRows(c, "select " + open + "name" + terms + " from t");
        QCOMPARE(rows, QVector<QVariantList>({{qlonglong(7 + depth)}}));
        QCOMPARE(testsupport::queryValue(c, "select " + open + "?" + terms, {QStringLiteral("5")}),
                 QVariant(qlonglong(5 + depth)));
    }

    // Nesting SQLite's parser still has no room for, as in arithmetic that alternates between
    // SQLite's operators and calculated ones, fails with the nesting limit's error, not SQLite's.
    void reportsNestingBeyondSqliteAsTooDeep()
    {
        auto c = newDb();
        const QString statement = "select " + QStringLiteral("(").repeated(100) + "name"
            + QStringLiteral(" + 1) * 1.5").repeated(100) + " from t";
        try {
            c->execute(statement);
            QFAIL("the statement ran");
        } catch (const Error &e) {
            QCOMPARE(e.description(), QStringLiteral("Some part of your SQL statement is nested too deeply. Rewrite "
                                                     "the query or break it up into smaller queries."));
            QCOMPARE(e.number(), errnum::SqlSyntax);
        }
    }

    // Statements that take SQLite seconds to prepare: an IN list of 2,000,000 values, a CASE
    // of 1,000,000 branches. The timeout stops their translation or preparation, not after.
    void timeoutCoversTranslationAndPreparation_data()
    {
        QTest::addColumn<QString>("statement");
        QStringList values;
        for (int i = 0; i < 2000000; ++i)
            values << QString::number(i);
        QTest::newRow("IN list") << "select count(*) from t where id in (" + values.join(',') + ")";
        QStringList branches;
        for (int i = 0; i < 1000000; ++i)
            branches << QStringLiteral("when id = %1 then %1").arg(i);
        QTest::newRow("CASE") << "select case " + branches.join(' ') + " end from t";
    }
    void timeoutCoversTranslationAndPreparation()
    {
        QFETCH(QString, statement);
        auto c = newDb();
        c->setCommandTimeout(1);
        QElapsedTimer clock;
        clock.start();
        try {
            c->execute(statement);
            QFAIL("the statement ran");
        } catch (const Error &e) {
            QCOMPARE(e.number(), errnum::Timeout);
        }
        // SQLite turns the last of the statement into its program without looking for an
        // interrupt, in time growing with the statement's length
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
        c->setCommandTimeout(0);
        c->execute(QStringLiteral("select 1")); // the connection goes on working
    }

    // A CASE of 100,000 branches took SQLite 20 s to prepare, in time growing with the square
    // of its constants.
    void preparesManyBranchesInTime()
    {
        auto c = newDb();
        c->execute(QStringLiteral("insert into t (id) values (99999)"));
        c->setCommandTimeout(10);
        QStringList branches;
        for (int i = 0; i < 100000; ++i)
            branches << QStringLiteral("when id = %1 then %1").arg(i);
        QCOMPARE(testsupport::queryValue(c, "select case " + branches.join(' ') + " end from t"), QVariant(qlonglong(99999)));
    }

    void datetimeColumnsReadAsDatetimes()
    {
        auto c = newDb();
        c->execute(QStringLiteral("insert into t (id, made) values (1, '20120315')"));
        c->execute(QStringLiteral("update t set made='2012/03/16 09:30' where id=1"));
        Recordset rs;
        rs.open(QStringLiteral("select made, getdate() from t where made >= '20120316'"), c);
        QCOMPARE(rs.value(0).toDateTime(), QDateTime(QDate(2012, 3, 16), QTime(9, 30)));
        QCOMPARE(rs.value(1).typeId(), int(QMetaType::QDateTime));
    }

    void odbcPathRunsStatementsAndRecordsets()
    {
        const QString file = m_dir.filePath(QStringLiteral("odbc.sqlite"));
        auto c = std::make_shared<Connection>();
        try {
            c->open(QStringLiteral("Driver=SQLite3;Database=") + file);
        } catch (const Error &e) {
            QSKIP(qPrintable(QStringLiteral("no SQLite ODBC driver: ") + e.description()));
        }
        QCOMPARE(c->dialect(), Dialect::SqlServer);
        c->execute(QStringLiteral("create table v (id integer primary key, name varchar(20), price float)"));
        c->beginTrans();
        Recordset rs;
        rs.open(QStringLiteral("select * from v"), c, CursorType::Keyset, LockType::Optimistic);
        rs.addNew();
        rs.setValue(QStringLiteral("ID"), QStringLiteral("7"));
        rs.setValue(QStringLiteral("name"), QStringLiteral("O'Brien"));
        rs.setValue(QStringLiteral("price"), QStringLiteral("2.5"));
        rs.update();
        rs.close();
        c->commitTrans();
        c->beginTrans();
        c->execute(QStringLiteral("insert into v (id, name) values (8, 'gone')"));
        c->rollbackTrans();
        rs.open(QStringLiteral("select id, name, price from v"), c);
        QCOMPARE(rs.value(QStringLiteral("Name")).toString(), QStringLiteral("O'Brien"));
        QCOMPARE(rs.value(0).toLongLong(), qlonglong(7));
        QCOMPARE(rs.value(2).toDouble(), 2.5);
        rs.moveNext();
        QVERIFY(rs.eof());
        QVERIFY(errorNumberOf([&] { c->execute(QStringLiteral("select * from nosuch")); }) != 0);
    }

    void twoProcessesAllocateDistinctIds()
    {
        const QString file = m_dir.filePath(QStringLiteral("shared.sqlite"));
        openDb(file)->executeNativeScript(QString::fromLatin1(kTable));
        const int perWriter = 150;
        QProcess a, b;
        for (QProcess *p : {&a, &b})
            p->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--writer"), file, QString::number(perWriter)});
        for (QProcess *p : {&a, &b}) {
            QVERIFY(p->waitForFinished(120000));
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
        }
        auto c = openDb(file);
        Recordset rs;
        rs.open(QStringLiteral("select count(*), count(distinct id), count(distinct qty) from t"), c);
        QCOMPARE(rs.value(0).toInt(), 2 * perWriter);
        QCOMPARE(rs.value(1).toInt(), 2 * perWriter);
        QCOMPARE(rs.value(2).toInt(), 2);
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--writer") == 0) {
        try {
            return runWriter(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
        } catch (const Error &e) {
            fprintf(stderr, "%s\n", e.what());
            return 1;
        }
    }
    TestDb test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_db.moc"
