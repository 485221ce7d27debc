// The T-SQL layer of the embedded engine: every statement text runs on SQLite with SQL Server's
// result. Expected values are SQL Server's documented (or widely observed) answers.

#include "db/error.h"
#include "db/tsql/ast.h"
#include "db/tsql/sqldatetime.h"
#include "db/tsql/translator.h"
#include "fixtures.h"
#include "pending/pendingquery.h"
#include "statementtexts.h"

#include <QtTest>

#include <sqlite3.h>

using namespace kadu2217;
using testsupport::kServerClock;
using testsupport::largestNumberQuery;

namespace {

// What a statement gave: its rows ("a|b", NULL as "NULL") or its failure.
struct Outcome {
    QStringList rows;
    qint32 error = 0;
    QString message;
};

QString columnText(sqlite3_stmt *statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL: return QStringLiteral("NULL");
    case SQLITE_INTEGER: return QString::number(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT: return QString::number(sqlite3_column_double(statement, column));
    default: return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)));
    }
}

} // namespace

class TestTsql : public QObject {
    Q_OBJECT

private:
    sqlite3 *m_db = nullptr;
    tsql::Catalog m_catalog;

    Outcome run(const QString &tsql)
    {
        Outcome outcome;
        tsql::Translation translation;
        try {
            translation = tsql::translate(tsql, m_catalog);
        } catch (const Error &e) {
            outcome.error = e.number();
            outcome.message = e.description();
            return outcome;
        }
        sqlite3_stmt *statement = nullptr;
        const QByteArray sql = translation.sql.toUtf8();
        if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK) {
            outcome.message = QString::fromUtf8(sqlite3_errmsg(m_db)) + " in " + translation.sql;
            return outcome;
        }
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            QStringList values;
            for (int c = 0; c < sqlite3_column_count(statement); ++c)
                values << columnText(statement, c);
            outcome.rows << values.join(QLatin1Char('|'));
        }
        if (rc != SQLITE_DONE) {
            outcome.message = QString::fromUtf8(sqlite3_errmsg(m_db));
            outcome.error = tsql::errorNumberForMessage(outcome.message);
            outcome.rows.clear();
        }
        sqlite3_finalize(statement);
        return outcome;
    }

    void execute(const QString &tsql)
    {
        const Outcome outcome = run(tsql);
        if (!outcome.message.isEmpty())
            QFAIL(qPrintable(tsql + " failed: " + outcome.message));
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(sqlite3_open(":memory:", &m_db), SQLITE_OK);
        tsql::registerFunctions(m_db);
        m_catalog.dateTimeColumns = {QStringLiteral("lpchdate"), QStringLiteral("lphbilldate"),
                                     QStringLiteral("lphbilltime"), QStringLiteral("updatetime")};
        m_catalog.textLengths = {{QStringLiteral("codes.code"), 5}};
        m_catalog.columns = {{QStringLiteral("codes"), {QStringLiteral("id"), QStringLiteral("code")}}};
        const char *schema = R"(
            create table sys_objects(id integer primary key, name text collate nocase unique);
            create table syscolumns_data(id integer, name text collate nocase);
            create view syscolumns as
                select id, name, case when name = 'rowguid' then 2 else 0 end as colstat from syscolumns_data;
            create table loaLocalPurchaseCostingHeader(lpchcostingid integer, lpchcostingno text collate TSQL,
                lpchDepartmentid integer, lpchdate datetime, updatetime datetime);
            create table loslocalpurchaseheader(lphBillID integer, lphShopID integer, lphBillNo text collate TSQL,
                lphBillDate datetime, lphBillTime datetime, lphcosted integer, lphcancelled integer,
                lphCompanyID integer, lphVendorID integer, lphConfirmed integer);
            create table loslocalpurchasedetail(lpdbillid integer);
            create table avendormaster(vendorid integer, vendorname text collate TSQL);
            create table ashops(shopid integer, shopname text collate TSQL);
            create table flags(v integer, name text collate TSQL);
            create table codes(id integer, code varchar(5));
            create table big(v integer);
            insert into big values (9223372036854775807);
            insert into sys_objects values (1, 'loaLocalPurchaseCostingHeader'), (2, 'loslocalpurchasedetail');
            insert into syscolumns_data values (2, 'lpdbillid'), (2, 'rowguid');
            insert into flags values (1, 'ADMIN'), (0, 'user  '), (null, null);
        )";
        char *message = nullptr;
        QVERIFY2(sqlite3_exec(m_db, schema, nullptr, nullptr, &message) == SQLITE_OK, message);
        sqldt::setServerClock([] { return kServerClock; });
    }

    void cleanupTestCase()
    {
        sqldt::setServerClock({});
        sqlite3_close(m_db);
    }

    void init()
    {
        sqlite3_exec(m_db, "delete from loaLocalPurchaseCostingHeader; delete from loslocalpurchaseheader;"
                           "delete from avendormaster; delete from ashops;",
                     nullptr, nullptr, nullptr);
    }

    void parsesDateTimeTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("canonical"); // empty: not a datetime
        QTest::addColumn<QString>("style0");    // the value written back in style 0; empty: not checked

        const auto date = [](const char *name, const char *text, const char *canonical, const char *style0 = "") {
            QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(canonical) << QString::fromUtf8(style0);
        };
        date("yyyymmdd, midnight", "20120315", "2012-03-15 00:00:00.000", "Mar 15 2012 12:00AM");
        date("yyyymmdd time", "20120315 09:00", "2012-03-15 09:00:00.000", "Mar 15 2012  9:00AM");
        date("yyyy/mm/dd", "2012/03/15", "2012-03-15 00:00:00.000");
        date("milliseconds", "2012-03-15 09:00:00.123", "2012-03-15 09:00:00.123");
        date("tenths after a period", "2012-03-15 09:00:00.5", "2012-03-15 09:00:00.500");
        date("thousandths after a colon", "2012-03-15 09:00:00:5", "2012-03-15 09:00:00.007");
        date("iso T, seconds not written", "2012-03-15T09:30:01", "2012-03-15 09:30:01.000", "Mar 15 2012  9:30AM");
        date("mm/dd/yy, afternoon", "3/15/49 1:00PM", "2049-03-15 13:00:00.000", "Mar 15 2049  1:00PM");
        date("time alone", "09:00", "1900-01-01 09:00:00.000", "Jan  1 1900  9:00AM");
        date("blank and AM", " 9:00AM", "1900-01-01 09:00:00.000");
        date("hour and PM", "9 PM", "1900-01-01 21:00:00.000", "Jan  1 1900  9:00PM");
        date("midnight", "12:00AM", "1900-01-01 00:00:00.000");
        date("noon", "12:30PM", "1900-01-01 12:30:00.000", "Jan  1 1900 12:30PM");
        date("style 0", "Mar 15 2012  9:00AM", "2012-03-15 09:00:00.000");
        date("month name first, comma", "December 5, 2012", "2012-12-05 00:00:00.000", "Dec  5 2012 12:00AM");
        date("rounds into the next day", "2012-03-15 23:59:59.999", "2012-03-16 00:00:00.000");
        date("february 29", "20120229", "2012-02-29 00:00:00.000");
        date("no february 30", "20120230", "");
        date("before 1753", "17520101", "");
        date("word", "abc", "");
        date("blank", " ", "");
        date("hour 24", "24:00", "");
        date("13 PM", "13:00PM", "");
        date("four fraction digits", "2012-03-15 09:00:00.1234", "");
        date("seven digits", "2012031", "");
    }

    void parsesDateTimeTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, canonical);
        QFETCH(QString, style0);
        const auto stamp = sqldt::parseStamp(text);
        QCOMPARE(stamp ? sqldt::canonical(*stamp) : QString(), canonical);
        const auto dateTime = sqldt::parse(text);
        QCOMPARE(dateTime ? sqldt::canonical(*dateTime) : QString(), canonical);
        if (!style0.isEmpty())
            QCOMPARE(sqldt::styleZero(*dateTime), style0);
    }

    void roundsToDatetimePrecision_data()
    {
        QTest::addColumn<int>("msec");
        QTest::addColumn<int>("rounded");
        QTest::newRow(".001") << 1 << 0;
        QTest::newRow(".002") << 2 << 3;
        QTest::newRow(".005") << 5 << 7;
        QTest::newRow(".995") << 995 << 997;
        QTest::newRow(".999") << 999 << 1000;
    }

    void roundsToDatetimePrecision()
    {
        QFETCH(int, msec);
        QFETCH(int, rounded);
        const QDateTime start(QDate(2007, 4, 30), QTime(13, 10, 2));
        QCOMPARE(sqldt::roundToDatetimePrecision(start.addMSecs(msec)), start.addMSecs(rounded));
        const QDateTime utc = sqldt::roundToDatetimePrecision(start.toUTC().addMSecs(msec));
        QCOMPARE(utc, start.toUTC().addMSecs(rounded));
        QCOMPARE(utc.timeSpec(), Qt::UTC);
        sqldt::setServerClock([&] { return start.addMSecs(msec); });
        QCOMPARE(sqldt::serverNow(), start.addMSecs(rounded));
        sqldt::setServerClock([] { return kServerClock; });
    }

    void evaluatesLikeSqlServer_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("result"); // rows joined by ';'

        const auto row = [](const char *name, const char *expression, const char *result) {
            QTest::newRow(name) << "select " + QString::fromUtf8(expression) << QString::fromUtf8(result);
        };
        row("isnull on no rows", "isnull(max(v),0)+1 from flags where v > 5", "1");
        row("isnull keeps a text's type", "isnull(upper(name), 1.50) from flags where v is null", "1.50");
        row("getdate", "getdate(), CURRENT_TIMESTAMP", "2012-03-15 11:05:00.000|2012-03-15 11:05:00.000");
        row("datediff minute boundary", "datediff(n, '09:00:59', '09:01:00')", "1");
        row("datediff seconds below a boundary", "datediff(mi, '09:00:00', '09:00:59.997')", "0");
        row("datediff other units, backwards, NULL",
            "datediff(hh, '20120315 23:59', '20120316 00:01'), datediff(dd, 'Dec 31 2011 11:00PM', '2012-01-01'),"
            " datediff(month, '20120131', '20120201'), datediff(yy, '20121231', '20130101'), datediff(wk, '20120317',"
            " '20120318'), datediff(qq, '20120331', '20120401'), datediff(minute, '10:00', '09:00'),"
            " datediff(ss, '09:00', '09:01:30'), datediff(n, null, getdate())", "1|1|1|1|1|1|-60|90|NULL");
        for (const char *text : {"12", "+", "-", "$", ".", ",", "$4,860.00", "1e2", "1e+2", "7d8", "1 ", " 2"})
            QTest::newRow(qPrintable(QStringLiteral("isnumeric '%1'").arg(QLatin1String(text))))
                << QStringLiteral("select isnumeric('%1')").arg(QLatin1String(text)) << "1";
        for (const char *text : {"e", " ", "", "1 2", "7A"})
            QTest::newRow(qPrintable(QStringLiteral("isnumeric '%1'").arg(QLatin1String(text))))
                << QStringLiteral("select isnumeric('%1')").arg(QLatin1String(text)) << "0";
        row("isnumeric null and number", "isnumeric(null), isnumeric(5)", "0|1");
        row("convert int", "convert(int,'12'), convert(int, ' -7 '), convert(int,''), cast(2.9 as int), cast(-2.9 as int)",
            "12|-7|0|2|-2");
        row("len", "len('ab  '), len('  ab'), len(null), len(12345), len('')", "2|4|NULL|5|0");
        row("text comparison ignores case and trailing blanks",
            "case when 'ADMIN' = 'admin' then 1 else 0 end, case when 'abc' = 'abc ' then 1 else 0 end,"
            " case when 'abc' < 'ABD' then 1 else 0 end", "1|1|1");
        row("columns, IN and BETWEEN compare alike", "count(*) from flags where name in ('admin', 'USER')"
            " and lower(name) between 'ADMIN' and 'USER'", "2");
        row("replace finds without case", "replace('Shop Name','shop','Store'), replace('a', null, 'b')",
            "Store Name|NULL");
        row("left and right of an int", "left(12345, 2), right(12345, 2)", "12|45");
        row("left and right of a datetime",
            "left(lphBillDate, 12), right(lphBillTime, 7) from (select convert(datetime, '20120315 09:00') lphBillDate,"
            " convert(datetime, '09:00') lphBillTime) x", "Mar 15 2012 | 9:00AM");
        row("substring", "substring('abcdef',2,3), substring('abcdef',0,3), substring('abcdef',7,2), substring('abc',-1,2)",
            "bcd|ab||");
        row("ltrim and rtrim take blanks only",
            "'[' + ltrim('  a ') + ']', '[' + rtrim(' a  ') + ']', len(rtrim('a' + char9.t))"
            " from (select '\t' t) char9", "[a ]|[ a]|2");
        row("upper and lower", "upper('abc'), lower('ÄBC')", "ABC|äbc");
        row("cast int to varchar", "cast(125/60 as varchar(20)), cast(12345 as varchar(3)), convert(varchar(2), 'abc')",
            "2|*|ab");
        row("convert datetime to text", "convert(varchar(20), convert(datetime, '20120315 13:05')),"
            " convert(varchar(8), convert(datetime, '20120315'), 112), cast(getdate() as char(21))",
            "Mar 15 2012  1:05PM|20120315|Mar 15 2012 11:05AM  ");
        row("convert to numbers", "convert(float, '1e2'), cast('2.345' as decimal(10,2)), cast('$1,000' as money)",
            "100|2.35|1000");
        row("plus concatenates texts", "'book'+'case', 'a' + null", "bookcase|NULL");
        row("plus converts text to the number", "'1'+1, 2+'3', '1.5'+1.0, ''+1", "2|5|2.5|1");
        row("integer division", "125/60, 125-60*(125/60), -7/2, 7/2.0, 7%3", "2|5|-3|3.5|1");
        row("case without else", "case v when 1 then 'Yes' when 0 then 'No' end from flags order by v",
            "NULL;No;Yes");
        row("string literal alias", "'Yes' as 'Confirmed'", "Yes");
        row("number before a keyword", "count(*) from flags where v=1and name='admin'", "1");
        row("null never equals", "count(*) from flags where v <> 1", "1");
        row("distinct and top", "distinct top 2 v from flags where v is not null order by v desc", "1;0");
        row("object_id", "object_id('LOSLOCALPURCHASEDETAIL'), object_id('dbo.loslocalpurchasedetail'),"
            " object_id('missing')", "2|2|NULL");
        row("rowguid in syscolumns", "count(*) from syscolumns where id=object_id('loslocalpurchasedetail') and  colstat=2",
            "1");
        row("datetime compared with a parameter-like value",
            "count(*) from (select convert(datetime, '20120315') lpchdate) x where lpchdate = '2012-03-15'"
            " and lpchdate = '20120315' and lpchdate in ('03/15/2012') and lpchdate between 'Mar 14 2012' and"
            " 'Mar 16 2012' and lpchdate > upper('20120314')", "1");
        row("comments and odd operators", "/* a /* b */ c */ [v] -- b\n from flags where v = 1 and 1 != 2 and 2 !< 1 and"
            " 1 !> 2;", "1");
        row("delimited names and quotes", "[v] as [a]]b], 'it''s', N'ü', .5, 1e2 from \"flags\" where [v] = 1",
            "1|it's|ü|0.5|100");
        row("like", "case when 'Shop' like 's_o%' then 1 else 0 end, case when 'b' like '[^a]' then 1 else 0 end,"
            " case when '5%' like '5!%' escape '!' then 1 else 0 end, case when 'ä' like 'Ä' then 1 else 0 end,"
            " case when 'ab' like '_' then 1 else 0 end", "1|1|1|1|0");
        row("like with digit classes", "case when '120' not like '%[^0123456789]%' then 1 else 0 end,"
            " case when '1e2' not like '%[^0-9]%' then 1 else 0 end, case when '7' like '[5-8]' then 1 else 0 end",
            "1|0|1");
        row("grouping and precedence", "(7-3)*2, 7-(3-1), -(7-1), (1+2)*3, 7-3-1 where not (1=2 or 2=3) and 3=3",
            "8|5|-6|9|3");
        row("words SQLite reserves", "[order id], abort from (select 1 [order id], 2 abort) [my table]", "1|2");
        row("datetime from numbers", "convert(datetime, 1), cast(1.5 as datetime), convert(datetime, '')",
            "1900-01-02 00:00:00.000|1900-01-02 12:00:00.000|1900-01-01 00:00:00.000");
        row("isnull of a datetime", "isnull(lpchdate, '20120101') from (select cast(null as datetime) lpchdate) x",
            "2012-01-01 00:00:00.000");
        row("string functions pass NULL on", "left('abc', null), substring(null, 1, 2), upper(null), ltrim(12)",
            "NULL|NULL|NULL|12");
        row("alias = expression", "total = count(*) from flags", "3");
        row("substring to the end of a bigint length", "substring('abc', 2, 9223372036854775807)", "bc");
        row("int arithmetic up to int's ends", "2147483646 + 1, -2147483647 - 1, 46340 * 46340, count(*) + 2147483644"
            " from flags", "2147483647|-2147483648|2147395600|2147483647");
        row("a literal beyond int is a decimal", "2147483648 + 1, round(9223372036854775807, -1)",
            "2.14748e+09|9223372036854775810");
        row("a decimal literal keeps its digits", "9223372036854775807, -9223372036854775807, 9007199254740993 - 1,"
            " convert(varchar(20), 9007199254740993), case when 9007199254740993 = 9007199254740992 then 1 else 0 end",
            "9223372036854775807|-9223372036854775807|9007199254740992|9007199254740993|0");
        row("hexadecimal literals", "0x414243, 0x4 x", "ABC|\x04");
        row("a bigint column's arithmetic goes as far as bigint's", "v - 1, v * 1 - v, round(9223372036854775807, -2) - v"
            " from big", "9223372036854775806|0|-7");
        row("datetime's first and last values", "convert(datetime, '17530101'), convert(datetime, '99991231 23:59:59.997'),"
            " convert(datetime, 2958463)", "1753-01-01 00:00:00.000|9999-12-31 23:59:59.997|9999-12-31 00:00:00.000");
    }

    void evaluatesLikeSqlServer()
    {
        QFETCH(QString, statement);
        QFETCH(QString, result);
        const Outcome outcome = run(statement);
        QVERIFY2(outcome.message.isEmpty(), qPrintable(outcome.message));
        QCOMPARE(outcome.rows.join(QLatin1Char(';')), result);
    }

    void failsLikeSqlServer_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("message"); // the start of it

        const auto fails = [](const char *name, const char *statement, int number, const char *message) {
            QTest::newRow(name) << QString::fromUtf8(statement) << number << QString::fromUtf8(message);
        };
        const int conversion = errnum::Conversion;
        const int syntax = errnum::SqlSyntax;
        fails("convert int of a word", "select convert(int, 'abc')", conversion,
              "Conversion failed when converting the varchar value 'abc' to data type int.");
        fails("convert int of a decimal text", "select convert(int, '1.5')", conversion,
              "Conversion failed when converting the varchar value '1.5'");
        fails("convert int overflow", "select convert(int, '99999999999')", conversion,
              "The conversion of the varchar value '99999999999' overflowed");
        fails("plus of a word and a number", "select 'abc'+1", conversion,
              "Conversion failed when converting the varchar value 'abc'");
        fails("comparison of a word with a number", "select 1 where len('a') = 'x'", conversion,
              "Conversion failed when converting the varchar value 'x'");
        fails("datetime literal", "select count(*) from loslocalpurchaseheader where lphBillDate >= '2012-13-01'",
              conversion, "Conversion failed when converting date and/or time from character string.");
        fails("datetime of a column value", "select convert(datetime, name) from flags where v = 1", conversion,
              "Conversion failed when converting date and/or time");
        fails("divide by zero", "select 1/0", syntax, "Divide by zero error encountered.");
        fails("modulo by zero of a column", "select 10%v from flags where v = 0", syntax, "Divide by zero");
        fails("negative left length", "select left('abc', -1)", syntax,
              "Invalid length parameter passed to the left function.");
        fails("syntax", "select from flags", syntax, "Incorrect syntax near 'from'.");
        fails("missing parenthesis", "select (1 + 2", syntax, "Incorrect syntax near the end");
        fails("unclosed quote", "select 'abc", syntax, "Unclosed quotation mark");
        fails("unclosed comment", "select 1 /* x", syntax, "Missing end comment mark");
        fails("exec", "exec sp_who", syntax, "The statement kind 'EXEC' is not supported");
        fails("two statements", "select 1; select 2", syntax, "The embedded database runs one statement");
        fails("unknown function", "select charindex('a', 'abc')", syntax,
              "'charindex' is not a recognized built-in function name.");
        fails("wrong argument count", "select left('abc')", syntax, "The left function requires 2 argument(s).");
        fails("unsupported convert type", "select convert(bit, 1)", syntax, "Conversion to bit is not supported");
        fails("unknown type", "select cast(1 as widget)", syntax, "Type widget is not a defined system type.");
        fails("plus on a datetime", "select lphBillDate + 1 from loslocalpurchaseheader", syntax,
              "The add operator applied to a datetime value is not supported");
        fails("minus of texts", "select 'a' - 'b'", syntax, "Operand data type varchar is invalid for subtract");
        fails("unknown datediff unit", "select datediff(xx, '09:00', '10:00')", syntax,
              "'xx' is not a recognized datediff option.");
        fails("datetime style", "select convert(varchar(10), getdate(), 103)", syntax, "Datetime style 103 is not supported");
        fails("union", "select 1 union select 2", syntax, "UNION is not supported");
        fails("variable", "select @x", syntax, "Variables ('@x') are not supported");
        fails("top percent", "select top 5 percent v from flags", syntax, "TOP ... PERCENT is not supported");
        fails("top of a parameter", "select top (?) v from flags", syntax, "Incorrect syntax near '?'.");
        fails("value where a condition belongs", "select v from flags where v", syntax, "An expression of non-boolean type");
        fails("other schema", "select * from sales.orders", syntax, "Objects outside the dbo schema");
        fails("update from", "update flags set v=1 from flags f", syntax, "UPDATE ... FROM is not supported");
        fails("datediff overflow", "select datediff(ms, '19000101', '20120101')", syntax,
              "The datediff function resulted in an overflow.");
        fails("datetime to int", "select convert(int, getdate())", syntax,
              "Converting a datetime value to int is not supported");
        fails("insert with too many values", "insert into flags (v) values (1, 'a')", syntax,
              "There are more values than columns");
        const char *intOverflow = "Arithmetic overflow error converting expression to data type int.";
        fails("int addition beyond int", "select 2147483647 + 1", conversion, intOverflow);
        fails("int subtraction beyond int", "select -2147483647 - 2", conversion, intOverflow);
        fails("int multiplication beyond int", "select 65536 * 65536", conversion, intOverflow);
        fails("count times an int beyond int", "select count(*) * 2147483647 from flags", conversion, intOverflow);
        fails("a bigint column beyond bigint", "select v + 1 from big", conversion,
              "Arithmetic overflow error converting expression to data type bigint.");
        fails("float literal beyond float", "select 1e309", conversion,
              "The floating point value '1e309' is out of the range of computer representation (8 bytes).");
        fails("decimal literal beyond 38 digits", "select 1000000000000000000000000000000000000000", conversion,
              "The number '1000000000000000000000000000000000000000' is out of the range for numeric representation");
        fails("datetime rounded past its last day", "select convert(datetime, '99991231 23:59:59.999')", conversion,
              "Conversion failed when converting date and/or time from character string.");
        fails("canonical datetime rounded past its last day", "select convert(datetime, '9999-12-31 23:59:59.999')",
              conversion, "Conversion failed when converting date and/or time from character string.");
        fails("datetime before its first day", "select convert(datetime, '17521231')", conversion,
              "Conversion failed when converting date and/or time from character string.");
        fails("datetime from a number past its last day", "select convert(datetime, 2958464)", conversion,
              "Arithmetic overflow error converting expression to data type datetime.");
        fails("datetime from a number before its first day", "select cast(-53691 as datetime)", conversion,
              "Arithmetic overflow error converting expression to data type datetime.");
        fails("text into a short column", "insert into codes (code) values ('abcdef')", syntax,
              "String or binary data would be truncated.");
        fails("text into a short column without a column list", "insert into codes values (1, 'abcdef')", syntax,
              "String or binary data would be truncated.");
        fails("text into a short column from a select", "insert into codes (code, id) select 'abcdef', 1", syntax,
              "String or binary data would be truncated.");
    }

    void failsLikeSqlServer()
    {
        QFETCH(QString, statement);
        QFETCH(int, number);
        QFETCH(QString, message);
        const Outcome outcome = run(statement);
        QVERIFY2(outcome.rows.isEmpty(), qPrintable(outcome.rows.join(';')));
        QVERIFY2(outcome.message.startsWith(message), qPrintable(outcome.message));
        QCOMPARE(outcome.error, number);
    }

    // Texts that once ran the translation's recursion off the end of the stack.
    void refusesStatementsNestedTooDeeply_data()
    {
        QTest::addColumn<QString>("statement");
        const auto nested = [](const char *name, const QString &open, const QString &inner, const QString &close,
                               int times) {
            QTest::newRow(name) << "select " + open.repeated(times) + inner + close.repeated(times);
        };
        const auto chain = [](const char *name, const QString &prefix, const QString &term, const QString &joint,
                              int times) {
            QStringList terms;
            for (int i = 0; i < times; ++i)
                terms << term;
            QTest::newRow(name) << prefix + terms.join(joint);
        };
        nested("parentheses", "(", "1", ")", 9700);
        nested("isnull", "isnull(", "1", ", 0)", 8200);
        nested("case", "case when 1 = 1 then ", "1", " end", 5000);
        nested("subqueries", "(select ", "1", ")", 3000);
        nested("derived tables", "* from (select ", "1 x", ") t", 3000);
        nested("not", "", "1 where " + QStringLiteral("not ").repeated(20000) + "1 = 1", "", 1);
        nested("minus", "", QStringLiteral("- ").repeated(20000) + "1", "", 1);
        nested("a chain inside nesting, each under the limit", "1 + (", "1" + QStringLiteral(" + 1").repeated(600), ")",
               600);
        chain("plus chain", "select ", "1", " + ", 52000);
        chain("and chain", "select 1 where ", "1 = 1", " and ", 52000);
        chain("or chain", "select 1 where ", "1 = 1", " or ", 52000);
        chain("concatenation chain", "select ", "'a'", " + ", 1001);
    }

    void refusesStatementsNestedTooDeeply()
    {
        QFETCH(QString, statement);
        const Outcome outcome = run(statement);
        QVERIFY(outcome.rows.isEmpty());
        QCOMPARE(outcome.message, QStringLiteral("Some part of your SQL statement is nested too deeply. Rewrite the "
                                                 "query or break it up into smaller queries."));
        QCOMPARE(outcome.error, errnum::SqlSyntax);
    }

    void refusesStatementsLongerThanSqlServerTakes()
    {
        const Outcome tooLong = run("select 1" + QString(tsql::MaxStatementLength, QLatin1Char(' ')));
        QCOMPARE(tooLong.error, errnum::SqlSyntax);
        QVERIFY2(tooLong.message.startsWith("The statement is 134217736 characters long"), qPrintable(tooLong.message));
    }

    void translationStopsAtTheDeadline()
    {
        const QString statement = "select 1 where 1 in (" + QStringLiteral("1, ").repeated(5000) + "1)";
        QVERIFY(!tsql::translate(statement, m_catalog).sql.isEmpty());
        try {
            tsql::translate(statement, m_catalog, QDeadlineTimer(0));
            QFAIL("translated after the deadline");
        } catch (const Error &e) {
            QCOMPARE(e.number(), errnum::Timeout);
            QCOMPARE(e.description(), QStringLiteral("Query timeout expired"));
        }
    }

    void runsLongChainsWithinTheLimit()
    {
        QCOMPARE(run("select " + QStringLiteral("1 + ").repeated(899) + "1").rows, QStringList("900"));
        QCOMPARE(run("select 7 - 3 - 2 * 2 * 1 - 1 where 1 = 1 and 2 = 2 or 1 = 0 and 3 = 3").rows, QStringList("-1"));
        QCOMPARE(run("select count(*) from flags where " + QStringLiteral("v = 1 or ").repeated(800) + "v = 0").rows,
                 QStringList("2"));
        const QString parentheses = "select " + QStringLiteral("(").repeated(300) + "2" + QStringLiteral(")").repeated(300);
        QCOMPARE(run(parentheses).rows, QStringList("2"));
    }

    // Arithmetic SQLite's own operators cannot do for SQL Server nests as deep as the parser
    // allows, on a text column or on parameters (unbound here, so NULL).
    void runsNestedArithmeticOnUntypedValues_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("result");
        const auto leftNested = [](const char *name, const QString &inner, const QString &term, int depth,
                                   const QString &result) {
            QTest::newRow(name) << QStringLiteral("(").repeated(depth) + inner + term.repeated(depth) << result;
        };
        const auto rightNested = [](const char *name, const QString &term, const QString &inner, int depth,
                                    const QString &result) {
            QTest::newRow(name) << term.repeated(depth) + inner + QStringLiteral(")").repeated(depth) << result;
        };
        const int deepest = tsql::MaxDepth - 2; // the select list and the outermost parenthesis
        leftNested("plus on text, 35 deep", "a", " + 1)", 35, "1035");
        leftNested("plus on text, 100 deep", "a", " + 1)", 100, "1100");
        leftNested("plus on text, as deep as the parser goes", "a", " + 1)", deepest, QString::number(1000 + deepest));
        leftNested("minus on text past one call's operands", "a", " - 1)", 300, "700");
        rightNested("minus on text nested to the right", "1 - (", "a", 301, "-999");
        leftNested("every operator on text", "a", " * 2 / '2' % '100000' - 1 + 1)", 100, "1000");
        leftNested("parameters, 35 deep", "?", " + 1)", 35, "NULL");
        leftNested("parameters, 100 deep", "?", " + 1)", 100, "NULL");
        leftNested("parameters, as deep as the parser goes", "?", " + 1)", deepest, "NULL");
    }

    void runsNestedArithmeticOnUntypedValues()
    {
        QFETCH(QString, expression);
        QFETCH(QString, result);
        const Outcome outcome = run("select " + expression + " from (select '1000' a) t");
        QVERIFY2(outcome.message.isEmpty(), qPrintable(outcome.message.left(200)));
        QCOMPARE(outcome.rows, QStringList(result));
    }

    void calculationRefusesAProgramThatDoesNotFit()
    {
        sqlite3_stmt *statement = nullptr;
        QCOMPARE(sqlite3_prepare_v2(m_db, "select tsql_calc('.+', 1)", -1, &statement, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_step(statement), SQLITE_ERROR);
        sqlite3_finalize(statement);
    }

    void roundsDecimalLiteralsExactly_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("result");
        QTest::newRow("past bigint") << "round(9223372036854775807, -1)" << "9223372036854775810";
        QTest::newRow("negative past bigint") << "round(-9223372036854775807, -1)" << "-9223372036854775810";
        QTest::newRow("within bigint") << "round(9223372036854775807, -2)" << "9223372036854775800";
        QTest::newRow("truncated") << "round(9223372036854775807, -1, 1)" << "9223372036854775800";
        QTest::newRow("no places to round") << "round(9223372036854775807, 2)" << "9223372036854775807";
        QTest::newRow("half away from zero") << "round(2147483655, -1) - 2147483600, round(-2147483655, -1) + 2147483600"
                                             << "60|-60";
        QTest::newRow("all digits rounded away") << "round(4999999999, -10), round(5000000000, -10, 1)" << "0|0";
        QTest::newRow("into the next power of ten") << "round(5000000000, -10) - 9999999999" << "1";
        QTest::newRow("38 digits") << "round(12345678901234567890123456789012345678, -30)"
                                   << "12345679000000000000000000000000000000";
        QTest::newRow("more places than decimal holds") << "round(12345678901234567890123456789012345678, -39)" << "0";
    }

    void roundsDecimalLiteralsExactly()
    {
        QFETCH(QString, expression);
        QFETCH(QString, result);
        const Outcome outcome = run("select " + expression);
        QVERIFY2(outcome.message.isEmpty(), qPrintable(outcome.message));
        QCOMPARE(outcome.rows, QStringList(result));
    }

    void roundRefusesToLeaveDecimal()
    {
        const Outcome outcome = run("select round(99999999999999999999999999999999999999, -1)");
        QCOMPARE(outcome.error, errnum::Conversion);
        QCOMPARE(outcome.message, QStringLiteral("Arithmetic overflow error converting expression to data type numeric."));
    }

    void roundRefusesToLeaveBigint()
    {
        const Outcome outcome = run("select round(v, -1) from big");
        QCOMPARE(outcome.error, errnum::Conversion);
        QCOMPARE(outcome.message, QStringLiteral("Arithmetic overflow error converting expression to data type bigint."));
    }

    void storesTextsThatFitTheirColumn()
    {
        execute("delete from codes");
        execute("insert into codes (id, code) values (1, 'abcde'), (2, null), (3, 'ab      '), (4, 12345)");
        execute("insert into codes select 5, 'äöüßé'");
        execute("update codes set code = 'xy' + '      ' where id = 2");
        QCOMPARE(run("select id, '[' + code + ']' from codes order by id").rows,
                 QStringList({"1|[abcde]", "2|[xy   ]", "3|[ab   ]", "4|[12345]", "5|[äöüßé]"}));
        const Outcome refused = run("update codes set code = 'abc' + 'def' where id = 1");
        QCOMPARE(refused.message, QStringLiteral("String or binary data would be truncated."));
        QCOMPARE(refused.error, errnum::SqlSyntax);
    }

    void reportsResultKinds()
    {
        using tsql::ValueKind;
        const auto kinds = tsql::translate(
            "select lphBillDate, lphBillNo, count(*), 'x', 1.5, left(lphBillDate, 12), getdate(), max(lphBillTime)"
            " from loslocalpurchaseheader", m_catalog).resultKinds;
        const QVector<ValueKind> expected{ValueKind::DateTime, ValueKind::Unknown, ValueKind::Integer, ValueKind::Text,
                                          ValueKind::Float, ValueKind::Text, ValueKind::DateTime, ValueKind::DateTime};
        QCOMPARE(kinds, expected);
        QVERIFY(tsql::translate("select *, lphBillDate from loslocalpurchaseheader", m_catalog).resultKinds.isEmpty());
    }

    // The pending-bills list: bill date 15 Mar 2012, the clock at 11:05 that day.
    void elapsedTimeOfPendingBill_data()
    {
        QTest::addColumn<QString>("billTime");
        QTest::addColumn<QString>("elapsed");
        QTest::newRow("two hours five") << "09:00" << "2 Hrs:5Mts";
        QTest::newRow("written by the costing as yyyymmdd") << "20120315" << "11 Hrs:5Mts";
        QTest::newRow("with seconds") << "10:58:59" << "0 Hrs:7Mts";
        QTest::newRow("afternoon, in the future") << "1:05PM" << "-2 Hrs:0Mts";
        QTest::newRow("minutes truncate toward zero") << "11:50" << "0 Hrs:-45Mts";
    }

    void elapsedTimeOfPendingBill()
    {
        QFETCH(QString, billTime);
        QFETCH(QString, elapsed);
        execute("insert into avendormaster (vendorid, vendorname) values (7, 'Vendor')");
        execute("insert into loslocalpurchaseheader (lphBillID, lphShopID, lphBillNo, lphBillDate, lphBillTime,"
                " lphcosted, lphcancelled, lphCompanyID, lphVendorID, lphConfirmed)"
                " values (5, 2, 'B-5', '2012-03-15', '09:00', 0, 0, 1, 7, 1)");
        // the costing's own statement writes the bill time, then the bill is listed again
        execute("update loslocalpurchaseheader set lphcosted=1,lphBillTime='" + billTime
                + "' where  lphBillid=5 and lphShopId=2");
        execute("update loslocalpurchaseheader set lphcosted=0 where lphBillid=5");
        const Outcome outcome = run("select " + pendingFields().join(',') + " from " + pendingTables() + " where "
                                    + pendingCondition(0, 1));
        QVERIFY2(outcome.message.isEmpty(), qPrintable(outcome.message));
        QCOMPARE(outcome.rows, QStringList("5|B-5|2012-03-15 00:00:00.000|Vendor|" + elapsed + "|2|Yes"));
    }

    void largestCostingNumber_data()
    {
        QTest::addColumn<QStringList>("numbers"); // "number/department"
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("department");
        QTest::addColumn<QString>("largest");
        QTest::newRow("compared as numbers") << QStringList{"A9/1", "A10/1"} << "A" << 0 << "10";
        QTest::newRow("other prefixes and words ignored")
            << QStringList{"A9/1", "LPC-7A/1", "LPC-70/1", "AB/1"} << "A" << 0 << "9";
        QTest::newRow("the prefix alone ignored") << QStringList{"LPC-/1", "LPC-3/1"} << "LPC-" << 0 << "3";
        QTest::newRow("prefix matched without case") << QStringList{"lpc-4/1"} << "LPC-" << 0 << "4";
        QTest::newRow("empty table") << QStringList{} << "LPC-" << 0 << "0";
        QTest::newRow("department limits the search") << QStringList{"A5/1", "A8/2"} << "A" << 1 << "5";
        QTest::newRow("no prefix") << QStringList{"12/1", "3/1"} << "" << 0 << "12";
        QTest::newRow("numeric to isnumeric but no digits")
            << QStringList{"A1e2/1", "A1.5/1", "A$5/1", "A-3/1", "A4/1"} << "A" << 0 << "4";
        QTest::newRow("more than nine digits") << QStringList{"A1234567890/1", "A5/1"} << "A" << 0 << "5";
    }

    void largestCostingNumber()
    {
        QFETCH(QStringList, numbers);
        QFETCH(QString, prefix);
        QFETCH(int, department);
        QFETCH(QString, largest);
        for (const QString &entry : numbers) {
            const QStringList parts = entry.split('/');
            execute("insert into loaLocalPurchaseCostingHeader (lpchcostingno, lpchDepartmentid) values ('" + parts[0]
                    + "', " + parts[1] + ")");
        }
        const Outcome outcome = run(largestNumberQuery(prefix, qint16(department)));
        QVERIFY2(outcome.message.isEmpty(), qPrintable(outcome.message));
        QCOMPARE(outcome.rows, QStringList(largest));
    }

    // The TSQL collation itself, as the schema's text columns use it.
    void comparesWithTheCollation_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::addColumn<int>("order"); // -1, 0, 1
        QTest::newRow("leading blanks count") << " abc" << "abc" << -1;
        QTest::newRow("tab is no blank") << "abc\t" << "abc" << 1;
        QTest::newRow("shorter first") << "ab" << "abc" << -1;
        QTest::newRow("empty and blanks") << "" << "   " << 0;
        QTest::newRow("accent still differs") << "Ärger" << "Arger" << 1;
        QTest::newRow("accents without case") << "ärger" << "ÄRGER" << 0;
    }

    void comparesWithTheCollation()
    {
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(int, order);
        sqlite3_stmt *statement = nullptr;
        const char *sql = "select (?1 > ?2 collate TSQL) - (?1 < ?2 collate TSQL)";
        QCOMPARE(sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr), SQLITE_OK);
        const QByteArray l = left.toUtf8(), r = right.toUtf8();
        sqlite3_bind_text(statement, 1, l.constData(), int(l.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(statement, 2, r.constData(), int(r.size()), SQLITE_TRANSIENT);
        QCOMPARE(sqlite3_step(statement), SQLITE_ROW);
        const int result = sqlite3_column_int(statement, 0);
        sqlite3_finalize(statement);
        QCOMPARE(result, order);
    }

    void ordersTextWithoutCase()
    {
        execute("insert into ashops (shopid, shopname) values (1, 'beta'), (2, 'Alpha'), (3, 'alpha  '), (4, 'Ärger'),"
                " (5, 'Gamma')");
        const Outcome byColumn = run("select shopid from ashops order by shopname, shopid");
        QCOMPARE(byColumn.rows.join(','), QStringLiteral("2,3,4,1,5")); // an accent sorts by its letter
        const Outcome byExpression = run("select shopid from ashops order by ltrim(shopname) desc, shopid");
        QCOMPARE(byExpression.rows.join(','), QStringLiteral("5,1,4,2,3"));
        const Outcome grouped = run("select count(*) from ashops group by rtrim(shopname) order by 1");
        QCOMPARE(grouped.rows.join(','), QStringLiteral("1,1,1,2"));
    }

    void storesDatetimeColumnsCanonical()
    {
        execute("insert into loaLocalPurchaseCostingHeader (lpchcostingid, lpchdate) values (1, 'Mar 15 2012  9:00AM')");
        execute("insert into loaLocalPurchaseCostingHeader (lpchcostingid, lpchdate) select 2, '03/16/2012'");
        execute("Update loaLocalPurchaseCostingHeader set updatetime=getdate() where lpchcostingid=1");
        execute("Update loaLocalPurchaseCostingHeader set updatetime='' where lpchcostingid=2");
        execute("insert into loaLocalPurchaseCostingHeader (lpchcostingid, lpchdate) values (3, '15 March 2012'),"
                " (4, null)");
        const Outcome outcome =
            run("select lpchdate, updatetime from loaLocalPurchaseCostingHeader order by lpchcostingid");
        QCOMPARE(outcome.rows, QStringList({"2012-03-15 09:00:00.000|2012-03-15 11:05:00.000",
                                            "2012-03-16 00:00:00.000|1900-01-01 00:00:00.000",
                                            "2012-03-15 00:00:00.000|NULL", "NULL|NULL"}));
        const Outcome refused = run("update loaLocalPurchaseCostingHeader set lpchdate='32/01/2012'");
        QCOMPARE(refused.error, errnum::Conversion);
    }
};

QTEST_GUILESS_MAIN(TestTsql)
#include "tst_tsql.moc"
