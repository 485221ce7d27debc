// A process saving costings killed at any moment leaves a sound file: no costing without its
// lines, no costed bill without its costing, no save it finished lost.

#include "fixtures.h"
#include "guisupport.h"
#include "db/tsql/translator.h"
#include "testsupport.h"

#include <QApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <cstdio>
#include <sqlite3.h>

using namespace kadu2217;
using namespace kadu2217::testsupport;

namespace {

// Saves every waiting bill in turn, telling after each commit which costing it saved.
int keepSaving(const QString &file)
{
    auto c = openDatabase(file);
    startSaving(c, 0);
    const QVector<WaitingBill> bills = waitingBills(c);
    std::printf("ready\n");
    std::fflush(stdout);
    for (const WaitingBill &bill : bills) {
        qint32 id = 0;
        if (save(c, costingOfBill(c, bill.shopId, bill.billId, true), id).saved) {
            std::printf("saved %d\n", id);
            std::fflush(stdout);
        }
    }
    endModule();
    return 0;
}

// The first value of a query run on SQLite itself, or its error.
QString sqliteValue(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        return QString::fromUtf8(sqlite3_errmsg(db));
    QString value;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    else
        value = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(stmt);
    return value;
}

// How many kills: LPC_CRASH_KILLS for the long run, 5 for the everyday one.
int kills()
{
    const int asked = qEnvironmentVariableIntValue("LPC_CRASH_KILLS");
    return asked > 0 ? asked : 5;
}

} // namespace

class TestCrashSafety : public QObject {
    Q_OBJECT

private slots:
    void survivesKillsWhileSaving()
    {
        const int rounds = kills();
        DemoOptions options;
        options.now = kDemoNow;
        // a save takes about a millisecond; some 90 bills wait for each round
        options.costings = 500 * rounds;
        const QString file = newDatabasePath(QStringLiteral("killed"));
        openNewDatabase(file, true, options);
        QSet<QString> committed;
        int killedWhileSaving = 0;
        for (int round = 0; round < rounds; ++round) {
            QProcess saver;
            saver.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--keep-saving"), file});
            QVERIFY(saver.waitForStarted());
            QString out;
            QTRY_VERIFY_WITH_TIMEOUT((out += QString::fromUtf8(saver.readAllStandardOutput())).contains("ready"), 60000);
            // at a random moment of its saves, some rounds before the first commit
            QTest::qWait(int(QRandomGenerator::global()->bounded(0, 40)));
            QVERIFY2(saver.state() == QProcess::Running,
                     qPrintable("the saver ended before it was killed: " + saver.readAllStandardError()));
            saver.kill();
            QVERIFY(saver.waitForFinished());
            out += QString::fromUtf8(saver.readAllStandardOutput());
            for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
                if (line.startsWith(QLatin1String("saved ")))
                    committed.insert(line.mid(6));
            }
            killedWhileSaving += out.contains(QLatin1String("saved ")) ? 1 : 0;

            sqlite3 *db = nullptr;
            QCOMPARE(sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
            tsql::registerFunctions(db); // the indexes on texts use the TSQL collation
            const QString integrity = sqliteValue(db, "PRAGMA integrity_check");
            const QString withoutLines = sqliteValue(db,
                "select count(*) from loaLocalPurchaseCostingHeader h where not exists "
                "(select 1 from loaLocalPurchaseCostingDetail d where d.lpcdcostingid = h.lpchcostingid)");
            const QString billsWithoutCosting = sqliteValue(db,
                "select count(*) from losLocalPurchaseHeader b where b.lphcosted = 1 and not exists "
                "(select 1 from loaLocalPurchaseCostingHeader h where h.lpchbillid = b.lphBillID and h.lpchshopid = b.lphShopID)");
            QString lost;
            for (const QString &id : std::as_const(committed)) {
                const QByteArray sql = "select count(*) from loaLocalPurchaseCostingHeader where lpchcostingid = " + id.toLatin1();
                if (sqliteValue(db, sql.constData()) != QLatin1String("1"))
                    lost += id + QLatin1Char(' ');
            }
            sqlite3_close(db);
            QCOMPARE(integrity, QStringLiteral("ok"));
            QCOMPARE(withoutLines, QStringLiteral("0"));
            QCOMPARE(billsWithoutCosting, QStringLiteral("0"));
            QVERIFY2(lost.isEmpty(), qPrintable("committed costings lost: " + lost));
        }
        qInfo("%d kills, %d of them after at least one commit, %lld saves committed and kept", rounds,
              killedWhileSaving, qint64(committed.size()));
        QVERIFY(!committed.isEmpty());
    }
};

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--keep-saving") == 0) {
        // The module comes with its windows, which want an application object.
        QApplication app(argc, argv);
        try {
            return keepSaving(QString::fromLocal8Bit(argv[2]));
        } catch (const Error &e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
    }
    QApplication app(argc, argv);
    TestCrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsafety.moc"
