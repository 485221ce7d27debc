#include "controls/busycursor.h"
#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "controls/messagebox.h"
#include "db/error.h"
#include "entry/frmlocalpurchasecosting.h"
#include "fixtures.h"
#include "guisupport.h"
#include "register/frmmaster.h"
#include "shell/session.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace kadu2217;
using namespace kadu2217::testsupport;

namespace {

const QString kHeaders = QStringLiteral("select count(*) from loaLocalPurchaseCostingHeader");

struct Waiting {
    int billId;
    int shopId;
};

// The register of department 1 with the entry window opened on one of its waiting bills, as
// the pending-bills window leaves it.
Waiting openNewCosting(const ConnectionPtr &c)
{
    startSession(c, demo::adminUserId, demo::purchaseDepartmentId, kDemoNow);
    frmMaster().Form_Load();
    frmMaster().show();
    const QVariantList bill = queryRows(c, QStringLiteral("select top 1 lphBillID, lphShopID from losLocalPurchaseHeader where lphcosted=0 "
                                                          "and lphcancelled=0 and lphConfirmed=1 and lphDepartmentID=1 order by lphBillID")).first();
    setEntryMode(QStringLiteral("N"));
    frmlocalpurchasecosting &entry = entryWindow();
    entry.Load();
    frmMaster().objGeneral->SelectComboItemByValue(*entry.cboShop(), bill[1].toInt());
    frmMaster().objGeneral->SelectComboItemByValue(*entry.cboPurchNo(), bill[0].toInt());
    entry.show();
    entry.activateWindow();
    if (!QTest::qWaitForWindowActive(&entry))
        qWarning("the entry window did not become active");
    return {bill[0].toInt(), bill[1].toInt()};
}

bool billCosted(const ConnectionPtr &c, const Waiting &bill)
{
    return queryValue(c, QStringLiteral("select lphcosted from losLocalPurchaseHeader where lphBillID=? and lphShopID=?"),
                      {bill.billId, bill.shopId}).toInt() == 1;
}

} // namespace

class TestSaveWindow : public QObject {
    Q_OBJECT

private:
    ConnectionPtr m_c;
    std::shared_ptr<QVector<ReportedError>> m_errors;
    std::shared_ptr<QVector<ShownMessage>> m_messages;

private slots:
    void init()
    {
        m_c = openDemoDatabase();
        m_errors = recordErrors();
        m_messages = answerMessages([](const ShownMessage &m) {
            return m.text == QLatin1String("Save Changes?") ? MsgBoxAnswer::Yes : MsgBoxAnswer::Ok;
        });
    }
    void cleanup() { endModule(); }

    void okSavesClosesAndShowsTheCostingInTheRegister()
    {
        const Waiting bill = openNewCosting(m_c);
        frmlocalpurchasecosting &entry = entryWindow();
        const int rows = frmMaster().FlexMaster()->rows();
        const int headers = queryValue(m_c, kHeaders).toInt();
        QTest::keyClicks(entry.txtremarks(), QStringLiteral("checked"));
        entry.cmdok()->click();
        QVERIFY2(m_errors->isEmpty(), m_errors->isEmpty() ? "" : qPrintable(m_errors->first().description));
        QCOMPARE(queryValue(m_c, kHeaders).toInt(), headers + 1);
        QVERIFY(billCosted(m_c, bill));
        QVERIFY(!entry.cmdok()->isEnabled());
        QVERIFY(!entry.isVisible());
        const FlexGrid *grid = frmMaster().FlexMaster();
        QCOMPARE(grid->rows(), rows + 1);
        QCOMPARE(grid->textMatrix(grid->rows() - 1, 1),
                 queryValue(m_c, QStringLiteral("select lpchcostingno from loaLocalPurchaseCostingHeader where lpchbillid=? and "
                                                "lpchshopid=? and lpchcancelled=0"), {bill.billId, bill.shopId}).toString());
        QCOMPARE(grid->row(), grid->rows() - 1);
    }

    void blankRemarksAreRefusedBeforeAnyWrite()
    {
        const Waiting bill = openNewCosting(m_c);
        frmlocalpurchasecosting &entry = entryWindow();
        QTest::keyClicks(entry.txtremarks(), QStringLiteral("   "));
        entry.cmdok()->click();
        QCOMPARE(m_messages->size(), 1);
        QCOMPARE(m_messages->first().text, QStringLiteral("Enter remarks"));
        QCOMPARE(m_messages->first().style, 64);
        QVERIFY(entry.txtremarks()->hasFocus());
        QVERIFY(entry.cmdok()->isEnabled());
        QVERIFY(!billCosted(m_c, bill));
    }

    void duplicateIsUndoneAndNamed()
    {
        const Waiting bill = openNewCosting(m_c);
        addCosting(m_c, Costing(900000).number(QStringLiteral("DUP-1")).of(Bill(bill.billId).shop(bill.shopId)));
        frmlocalpurchasecosting &entry = entryWindow();
        const int headers = queryValue(m_c, kHeaders).toInt();
        QTest::keyClicks(entry.txtremarks(), QStringLiteral("again"));
        entry.cmdok()->click();
        QCOMPARE(m_messages->size(), 1);
        QCOMPARE(m_messages->first().text, QStringLiteral("This Purchase No. already exists in the Costing No. 'DUP-1'"));
        QCOMPARE(m_messages->first().style, 48);
        QCOMPARE(queryValue(m_c, kHeaders).toInt(), headers);
        QVERIFY(!billCosted(m_c, bill));
        QVERIFY(entry.isVisible());
        QVERIFY(entry.cmdok()->isEnabled());
        QCOMPARE(entry.txtremarks()->text(), QStringLiteral("again"));
        QCOMPARE(mousePointer(&entry), int(MousePointer::Default));
    }

    void failedSaveIsReportedAndLeavesTheWindowAsItWas()
    {
        const Waiting bill = openNewCosting(m_c);
        frmlocalpurchasecosting &entry = entryWindow();
        const int headers = queryValue(m_c, kHeaders).toInt();
        m_c->setStatementObserver([](const QString &sql, const QVariantList &) {
            if (sql.startsWith(QLatin1String("INSERT INTO loalocalpurchasecostingdetail"), Qt::CaseInsensitive))
                throw Error(errnum::Constraint, QStringLiteral("injected"), QStringLiteral("SQLite"));
        });
        QTest::keyClicks(entry.txtremarks(), QStringLiteral("checked"));
        entry.cmdok()->click();
        m_c->setStatementObserver({});
        QCOMPARE(m_errors->size(), 1);
        QCOMPARE(m_errors->first().window, QStringLiteral("frmlocalpurchasecosting"));
        QCOMPARE(m_errors->first().procedure, QStringLiteral("cmdok_Click "));
        QCOMPARE(m_errors->first().number, 17873);
        QCOMPARE(m_errors->first().mode, QStringLiteral("N"));
        QVERIFY(!m_c->inTransaction());
        QCOMPARE(queryValue(m_c, kHeaders).toInt(), headers);
        QVERIFY(!billCosted(m_c, bill));
        QVERIFY(entry.isVisible());
        QVERIFY(entry.cmdok()->isEnabled());
        QCOMPARE(mousePointer(&entry), int(MousePointer::Default));
    }

    // Bill B's lookups fail after bill A filled the grid: A's lines must never be stored as B's.
    void billThatFailsToLoadIsNeverSaved_data()
    {
        QTest::addColumn<QString>("breakBill"); // run with B's shop and bill id
        QTest::addColumn<int>("error");
        QTest::newRow("no vendor row for the company")
            << "delete from aVendorMaster where VendorID=(select lphVendorID from losLocalPurchaseHeader where lphShopID=%1 and lphBillID=%2)"
            << int(errnum::InvalidUseOfNull);
        QTest::newRow("no rate text") << "update losLocalPurchaseHeader set lphexchangerates=NULL where lphShopID=%1 and lphBillID=%2"
                                      << int(errnum::InvalidUseOfNull);
        QTest::newRow("malformed rate text") << "update losLocalPurchaseHeader set lphexchangerates='1:2:-x:' where lphShopID=%1 and lphBillID=%2"
                                             << int(errnum::TypeMismatch);
        QTest::newRow("no inventory account") << "delete from aAccountMaster where %1>0 and %2>0 and accountid=1001"
                                              << int(errnum::InvalidUseOfNull);
    }
    void billThatFailsToLoadIsNeverSaved()
    {
        QFETCH(QString, breakBill);
        QFETCH(int, error);
        openNewCosting(m_c);
        const QVector<QVariantList> bills = queryRows(m_c, QStringLiteral(
            "select lphShopID, lphBillID from losLocalPurchaseHeader where lphcosted=0 and lphcancelled=0 and lphConfirmed=1 and "
            "lphDepartmentID=1 and lphShopID=(select top 1 lphShopID from losLocalPurchaseHeader where lphcosted=0 and lphcancelled=0 "
            "and lphConfirmed=1 and lphDepartmentID=1 group by lphShopID having count(*)>1 order by lphShopID) order by lphBillID"));
        QVERIFY(bills.size() >= 2);
        const int shop = bills[0][0].toInt();
        const Waiting billA{bills[0][1].toInt(), shop}, billB{bills[1][1].toInt(), shop};
        frmlocalpurchasecosting &entry = entryWindow();
        entry.cboShop()->selectByValue(shop);
        entry.cboPurchNo()->selectByValue(billA.billId);
        QVERIFY(entry.mfgSplitDetails()->rows() > 1);
        m_c->execute(breakBill.arg(shop).arg(billB.billId));
        const int headers = queryValue(m_c, kHeaders).toInt();
        const QString rates = queryValue(m_c, QStringLiteral("select count(*) from aItem where itemrate is not null")).toString();

        entry.cboPurchNo()->selectByValue(billB.billId);
        QCOMPARE(m_errors->size(), 1);
        QCOMPARE(m_errors->first().procedure, QStringLiteral("cboPurchNo_Click "));
        QCOMPARE(m_errors->first().number, error);
        QCOMPARE(entry.mfgSplitDetails()->rows(), 1);
        entry.chkFix()->setChecked(true);
        QTest::keyClicks(entry.txtremarks(), QStringLiteral("checked"));
        entry.cmdok()->click();
        QCOMPARE(m_messages->size(), 1);
        QCOMPARE(m_messages->first().text, QStringLiteral("Select the bill again: its items could not be loaded"));
        QCOMPARE(m_messages->first().style, 64);
        QVERIFY(entry.cboPurchNo()->hasFocus());
        QCOMPARE(queryValue(m_c, kHeaders).toInt(), headers);
        QVERIFY(!billCosted(m_c, billA));
        QVERIFY(!billCosted(m_c, billB));
        QCOMPARE(queryValue(m_c, QStringLiteral("select count(*) from aItem where itemrate is not null")).toString(), rates);
        QVERIFY(entry.cmdok()->isEnabled());
    }

    void failedRefreshAfterTheCommitLeavesNoSecondSave()
    {
        const Waiting bill = openNewCosting(m_c);
        frmlocalpurchasecosting &entry = entryWindow();
        const int headers = queryValue(m_c, kHeaders).toInt();
        moduleState().GStrMasterSql = QStringLiteral("select * from missingregistertable");
        QTest::keyClicks(entry.txtremarks(), QStringLiteral("checked"));
        entry.cmdok()->click();
        QCOMPARE(m_errors->size(), 1);
        QCOMPARE(m_errors->first().procedure, QStringLiteral("cmdok_Click "));
        QCOMPARE(queryValue(m_c, kHeaders).toInt(), headers + 1);
        QVERIFY(billCosted(m_c, bill));
        QVERIFY(!entry.cmdok()->isEnabled());
        // Closing asks nothing: there is nothing left to save.
        entry.cmdClose()->click();
        QVERIFY(!entry.isVisible());
        QVERIFY(m_messages->isEmpty());
        QCOMPARE(queryValue(m_c, kHeaders).toInt(), headers + 1);
    }

    // Whichever statement of OK fails, the save's transaction guard alone leaves nothing open or written.
    void everyFailingStatementOfOkLeavesNoTransaction()
    {
        const Waiting bill = openNewCosting(m_c);
        frmlocalpurchasecosting &entry = entryWindow();
        const int headers = queryValue(m_c, kHeaders).toInt();
        QTest::keyClicks(entry.txtremarks(), QStringLiteral("checked"));
        int failAt = 0;
        while (entry.cmdok()->isEnabled()) {
            ++failAt;
            int seen = 0;
            m_c->setStatementObserver([&seen, failAt](const QString &, const QVariantList &) {
                if (++seen == failAt)
                    throw Error(errnum::Timeout, QStringLiteral("injected"), QStringLiteral("SQLite"));
            });
            entry.cmdok()->click();
            m_c->setStatementObserver({});
            QVERIFY(!m_c->inTransaction());
            if (entry.cmdok()->isEnabled()) {
                QCOMPARE(m_errors->size(), failAt);
                QCOMPARE(queryValue(m_c, kHeaders).toInt(), headers);
                QVERIFY(!billCosted(m_c, bill));
            }
        }
        QVERIFY(failAt > 10);
        QCOMPARE(queryValue(m_c, kHeaders).toInt(), headers + 1);
        QVERIFY(billCosted(m_c, bill));
    }

    void answeringYesToSaveChangesSaves()
    {
        const Waiting bill = openNewCosting(m_c);
        frmlocalpurchasecosting &entry = entryWindow();
        QTest::keyClicks(entry.txtremarks(), QStringLiteral("closing"));
        entry.cmdClose()->click();
        QCOMPARE(m_messages->first().text, QStringLiteral("Save Changes?"));
        QVERIFY(billCosted(m_c, bill));
        QVERIFY(!entry.isVisible());
        QCOMPARE(m_messages->size(), 1);
    }
};

QTEST_MAIN(TestSaveWindow)
#include "tst_savewindow.moc"
