#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "controls/messagebox.h"
#include "db/recordset.h"
#include "fixtures.h"
#include "guisupport.h"
#include "services/defaults.h"
#include "shell/reporterror.h"
#include "shell/session.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

using namespace kadu2217;
using namespace kadu2217::testsupport;

namespace {

class ThrowingFaultLog final : public clsFaultLog {
public:
    bool ErrorTrack(const QString &, const QVariant &, const QString &, qint32, const QString &, const QString &,
                    const QString &, bool) override
    {
        throw Error(errnum::Unspecified, QStringLiteral("log unavailable"));
    }
};

} // namespace

class TestServices : public QObject {
    Q_OBJECT

private:
    ConnectionPtr m_demo;
    std::shared_ptr<clsDatabase> database()
    {
        auto db = createServiceAs<clsDatabase>(servicenames::Database);
        db->adocon = m_demo;
        return db;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_demo = openDemoDatabase();
    }
    void init() { answerMessages(); }
    void cleanup()
    {
        registerService(servicenames::FaultLog, [] { return std::make_shared<DefaultFaultLog>(); });
        endModule();
    }

    void fnreturnfieldForms_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("criterion in the table text") << "ausers where userid=1" << "username" << "" << QVariant(QStringLiteral("ADMIN"));
        QTest::newRow("condition argument") << "aUsers" << "username" << "userid=2" << QVariant(QStringLiteral("RAVI"));
        QTest::newRow("both") << "aUsers where userid>1" << "username" << "userid<3" << QVariant(QStringLiteral("RAVI"));
        QTest::newRow("expression") << "aUsers" << "isnull(max(userid),0)+1" << "" << QVariant(qlonglong(4));
        QTest::newRow("no row is NULL") << "aUsers" << "username" << "userid=99" << QVariant();
    }
    void fnreturnfieldForms()
    {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(QString, condition);
        QFETCH(QVariant, expected);
        auto db = database();
        db->strTableName = table;
        QCOMPARE(condition.isEmpty() ? db->fnreturnfield(field) : db->fnreturnfield(field, condition), expected);
    }

    void comboListsReplaceAndSelect()
    {
        auto db = database();
        ComboBox combo;
        QSignalSpy clicks(&combo, &ComboBox::click);
        db->strTableName = QStringLiteral("losLocalPurchaseHeader");
        db->populatecomboorlist(combo, QStringLiteral("distinct lphShopID"), QStringLiteral("lphShopID"));
        const int shops = queryValue(m_demo, QStringLiteral("select count(distinct lphShopID) from losLocalPurchaseHeader")).toInt();
        QCOMPARE(combo.listCount(), shops);
        QCOMPARE(combo.listIndex(), -1);
        db->strTableName = QStringLiteral("aUsers where userid<3");
        db->populatecomboorlist(combo, QStringLiteral("userid"), QStringLiteral("username"));
        QCOMPARE(combo.listCount(), 2);
        QCOMPARE(clicks.count(), 0);

        auto general = createServiceAs<clsGeneral>(servicenames::General);
        general->SelectComboItemByValue(combo, 2);
        QCOMPARE(combo.text(), QStringLiteral("RAVI"));
        QCOMPARE(clicks.count(), 1);
    }

    void numericKeyFilter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("digit") << "12" << int('3') << true;
        QTest::newRow("letter") << "12" << int('a') << false;
        QTest::newRow("first point") << "12" << int('.') << true;
        QTest::newRow("second point") << "1.2" << int('.') << false;
        QTest::newRow("backspace") << "1.2" << 8 << true;
        QTest::newRow("minus not first") << "12" << int('-') << false;
        QTest::newRow("too many decimals") << "1.1234567890123456" << int('7') << false;
        QTest::newRow("too many digits") << QString(28, QLatin1Char('9')) << int('9') << false;
    }
    void numericKeyFilter()
    {
        QFETCH(QString, text);
        QFETCH(int, key);
        QFETCH(bool, accepted);
        QLocale::setDefault(QLocale::c());
        QLineEdit edit(text);
        edit.setCursorPosition(int(text.size()));
        int keyAscii = key;
        createServiceAs<clsGeneral>(servicenames::General)->textvalidatenum(edit, keyAscii, 28, 16);
        QCOMPARE(keyAscii != 0, accepted);
    }

    void auditTrailComparesAndRecordsInsideTheTransaction()
    {
        QWidget window;
        auto *remarks = new QLineEdit(&window);
        remarks->setObjectName(QStringLiteral("txtremarks"));
        auto *fix = new QCheckBox(&window);
        fix->setObjectName(QStringLiteral("chkFix"));
        auto audit = createServiceAs<clsAuditTrail>(servicenames::AuditTrail);
        ConnectionPtr connection = m_demo;
        audit->OpenObject(connection, 1, 1, 1, 2011, QDateTime::currentDateTime());
        QVERIFY(audit->DataChanged(window)); // nothing recorded: unsaved work
        audit->SaveInToTag(window);
        QVERIFY(!audit->DataChanged(window));
        fix->setChecked(true);
        QVERIFY(audit->DataChanged(window));
        fix->setChecked(false);
        remarks->setText(QStringLiteral("changed"));
        QVERIFY(audit->DataChanged(window));

        const QString count = QStringLiteral("select count(*) from aAuditTrail where DocumentNo='AUDIT-T'");
        const int before = queryValue(m_demo, count).toInt();
        m_demo->beginTrans();
        audit->SaveAuditTrailInfo(99, QStringLiteral("AUDIT-T"), true, QStringLiteral("N"), &window);
        QCOMPARE(queryValue(m_demo, count).toInt(), before + 1);
        m_demo->rollbackTrans();
        QCOMPARE(queryValue(m_demo, count).toInt(), before);
        audit->SaveAuditTrailInfo(99, QStringLiteral("AUDIT-T"), true, QStringLiteral("D"));
        QCOMPARE(queryValue(m_demo, QStringLiteral("select AuditAction from aAuditTrail where DocumentNo='AUDIT-T'")).toString(),
                 QStringLiteral("D"));
    }

    void gridLayoutNeverShowsTheIdColumn()
    {
        FlexGrid grid;
        grid.setObjectName(QStringLiteral("LayoutGrid"));
        grid.setCols(4);
        grid.setColWidth(0, 0);
        auto layout = createServiceAs<clsGridLayout>(servicenames::GridLayout);
        ConnectionPtr connection = m_demo;
        QVERIFY(!layout->fnGridSettings(1, 1, grid, connection, true));
        grid.setColWidth(2, 1800);
        layout->SaveGridSettings(1, 1, grid, connection);
        m_demo->execute(QStringLiteral("insert into aGridLayout (UserID, CompanyID, GridName, ColumnIndex, ColumnPosition, "
                                       "ColumnWidth) values (1, 1, 'LayoutGrid', 0, 0, 2000)"));
        FlexGrid other;
        other.setObjectName(QStringLiteral("LayoutGrid"));
        other.setCols(4);
        other.setColWidth(0, 0);
        QVERIFY(layout->fnGridSettings(1, 1, other, connection, true));
        QCOMPARE(other.colWidth(2), 1800);
        QCOMPARE(other.colWidth(0), 0);
        QVERIFY(!layout->fnGridSettings(2, 1, other, connection, true));
    }

    void faultLogSaysWhereTheRecordWent_data()
    {
        QTest::addColumn<QString>("table"); // the session connection: "open", "in transaction" or "none"
        QTest::addColumn<bool>("fileWritable");
        QTest::addColumn<QString>("outcome"); // %1 stands for the log file
        QTest::newRow("table and file") << "open" << true << "The problem has been logged.";
        QTest::newRow("file, table put off") << "in transaction" << true << "The problem has been written to the log file %1.";
        QTest::newRow("file, no connection") << "none" << true << "The problem has been written to the log file %1.";
        QTest::newRow("table only") << "open" << false << "The problem has been logged, but the log file %1 could not be written.";
        QTest::newRow("nowhere") << "none" << false << "The problem could not be logged.";
        QTest::newRow("nowhere yet, table put off") << "in transaction" << false << "The problem could not be logged.";
    }
    void faultLogSaysWhereTheRecordWent()
    {
        QFETCH(QString, table);
        QFETCH(bool, fileWritable);
        QFETCH(QString, outcome);
        auto shown = answerMessages();
        DefaultFaultLog::configure(table == QLatin1String("none") ? ConnectionPtr() : m_demo, QStringLiteral("Costing"));
        const QString path = DefaultFaultLog::logFilePath();
        QFile::remove(path);
        if (!fileWritable)
            QVERIFY(QDir().mkpath(path)); // a folder in the file's place
        const QString count = QStringLiteral("select count(*) from aErrorLog where ProcedureName='where it went'");
        const int before = queryValue(m_demo, count).toInt();
        if (table == QLatin1String("in transaction"))
            m_demo->beginTrans();
        DefaultFaultLog log;
        const bool stored = log.ErrorTrack(QStringLiteral("FrmMaster"), QStringLiteral("ADMIN"), QStringLiteral("where it went"), 13,
                                           QString(), QString(), QString(), true);
        if (m_demo->inTransaction())
            m_demo->rollbackTrans();
        if (!fileWritable)
            QVERIFY(QDir(path).removeRecursively());
        DefaultFaultLog::configure(m_demo, QString());
        QCOMPARE(stored, table == QLatin1String("open") && fileWritable);
        QCOMPARE(queryValue(m_demo, count).toInt(), before + (table == QLatin1String("none") ? 0 : 1));
        QCOMPARE(shown->size(), 1);
        QCOMPARE(shown->first().title, QStringLiteral("Costing"));
        QCOMPARE(shown->first().style, int(MsgBoxStyle::OkOnly | MsgBoxStyle::Exclamation));
        QCOMPARE(shown->first().text,
                 QStringLiteral("The action could not be completed. ") + outcome.arg(QDir::toNativeSeparators(path)));
    }

    // The transaction holds the write lock: waiting for it on another connection froze the
    // window and lost the record.
    void faultLogWritesARecordPutOffUntilTheTransactionEnds_data()
    {
        QTest::addColumn<bool>("commit");
        QTest::newRow("rolled back") << false;
        QTest::newRow("committed") << true;
    }
    void faultLogWritesARecordPutOffUntilTheTransactionEnds()
    {
        QFETCH(bool, commit);
        auto shown = answerMessages();
        DefaultFaultLog::configure(m_demo, QStringLiteral("Costing"));
        session().adocon = m_demo;
        QFile::remove(DefaultFaultLog::logFilePath());
        const QString count = QStringLiteral("select count(*) from aErrorLog where ProcedureName='cmdok_Click ' and ErrorNumber=17873"
                                             " and UserName='ADMIN' and Mode='N'");
        const int before = queryValue(m_demo, count).toInt();
        QVector<bool> insertedInTransaction;
        m_demo->setStatementObserver([&](const QString &sql, const QVariantList &) {
            if (sql.startsWith(QLatin1String("insert into aErrorLog"), Qt::CaseInsensitive))
                insertedInTransaction.append(m_demo->inTransaction());
        });
        m_demo->beginTrans();
        m_demo->execute(QStringLiteral("update aItem set itemrate=itemrate"));
        qint32 number = errnum::Constraint;
        ReportError(m_demo, QStringLiteral("frmlocalpurchasecosting"), 1, QStringLiteral("cmdok_Click "), number, QStringLiteral("SQLite"),
                    QStringLiteral("constraint"), QStringLiteral("N"));
        QVERIFY(insertedInTransaction.isEmpty());
        QCOMPARE(queryValue(m_demo, count).toInt(), before);
        QFile file(DefaultFaultLog::logFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("cmdok_Click \t17873"));
        if (commit)
            m_demo->commitTrans();
        else
            m_demo->rollbackTrans();
        m_demo->setStatementObserver({});
        QCOMPARE(insertedInTransaction, QVector<bool>{false});
        QCOMPARE(queryValue(m_demo, count).toInt(), before + 1);
        QCOMPARE(shown->size(), 1);
        QVERIFY(shown->first().text.contains(QLatin1String("written to the log file")));
    }

    void registryCreatesByNameOnly()
    {
        QCOMPARE(errorNumberOf([] { createService(QStringLiteral("BaseServices.clsNothing")); }), errnum::ActiveXCannotCreate);
        QVERIFY(createServiceAs<clsDatabase>(QStringLiteral("baseservices.CLSDATABASE")) != nullptr);
        QCOMPARE(errorNumberOf([] { createServiceAs<clsGeneral>(servicenames::Database); }), errnum::ActiveXCannotCreate);
    }

    void reportErrorSurvivesItsOwnFailures()
    {
        session().adocon = m_demo;
        qint32 number = errnum::SqlSyntax;
        registerService(servicenames::FaultLog, [] { return std::make_shared<ThrowingFaultLog>(); });
        ReportError(m_demo, QStringLiteral("FrmMaster"), 1, QStringLiteral("Form_Load "), number, QString(), QString(), QString());
        registerService(servicenames::FaultLog, {});
        ReportError(m_demo, QStringLiteral("FrmMaster"), 1, QStringLiteral("Form_Load "), number, QString(), QString(), QString());
        auto records = recordErrors();
        number = errnum::SqlSyntax;
        ReportError(m_demo, QStringLiteral("FrmMaster"), 99, QStringLiteral("Form_Load "), number, QStringLiteral("s"), QStringLiteral("d"),
                    QStringLiteral("E"));
        QCOMPARE(number, 17900);
        QCOMPARE(records->size(), 1);
        QCOMPARE(records->first().user, QString()); // no such user: the lookup's NULL
        QCOMPARE(records->first().mode, QStringLiteral("E"));
    }

    void handlerWrapperReportsEveryKindOfFailure_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("number");
        QTest::newRow("module error") << 0 << int(errnum::TypeMismatch);
        QTest::newRow("database error") << 1 << 17865;
        QTest::newRow("grid index") << 2 << int(errnum::SubscriptOutOfRange);
    }
    void handlerWrapperReportsEveryKindOfFailure()
    {
        QFETCH(int, kind);
        QFETCH(int, number);
        session().adocon = m_demo;
        auto records = recordErrors();
        bool rolledBack = false;
        FlexGrid grid;
        const bool finished = runHandler(context(), QStringLiteral("frmCancel"), QStringLiteral("cmdok_Click "), [&] {
            if (kind == 0)
                kadu2217::raise(errnum::TypeMismatch, QStringLiteral("Type mismatch"));
            if (kind == 1)
                m_demo->execute(QStringLiteral("select * from nosuch"));
            grid.textMatrix(500, 0);
        }, {[&] { rolledBack = true; }, {}});
        QVERIFY(!finished);
        QVERIFY(rolledBack);
        QCOMPARE(records->size(), 1);
        QCOMPARE(records->first().window, QStringLiteral("frmCancel"));
        QCOMPARE(records->first().procedure, QStringLiteral("cmdok_Click "));
        QCOMPARE(records->first().number, number);
    }
};

QTEST_MAIN(TestServices)
#include "tst_services.moc"
