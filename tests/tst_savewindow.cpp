#include "controls/busycursor.h"
#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "controls/messagebox.h"
#include "entry/frmlocalpurchasecosting.h"
#include "guisupport.h"
#include "register/frmmaster.h"
#include "shell/session.h"
#include "shell/windows.h"
#include "testsupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace kadu2217;
using namespace kadu2217::testsupport;

namespace {

const QDateTime kNow(QDate(2026, 12, 1), QTime(12, 0));
const QString kHeaders = QStringLiteral("select count(*) from loaLocalPurchaseCostingHeader");

struct Waiting {
    int billId;
    int shopId;
};

// The register of department 1 with the entry window opened on one of its waiting bills, as
// the pending-bills window leaves it.
Waiting openNewCosting(const ConnectionPtr &c)
{
    startSession(c, demo::adminUserId, demo::purchaseDepartmentId, kNow);
    frmMaster().Form_Load();
    frmMaster().show();
    const QVariantList bill = queryRows(c, QStringLiteral("select top 1 lphBillID, lphShopID from losLocalPurchaseHeader where lphcosted=0 "
                                                          "and lphcancelled=0 and lphConfirmed=1 and lphDepartmentID=1 order by lphBillID")).first();
    moduleState().GStrMasterNewEditFlag = QStringLiteral("N");
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
        DemoOptions options;
        options.now = kNow;
        m_c = openNewDatabase(true, options);
        m_errors = recordErrors();
        m_messages = answerMessages([](const ShownMessage &m) {
            return m.text == QLatin1String("Save Changes?") ? MsgBoxAnswer::Yes : MsgBoxAnswer::Ok;
        });
    }
    void cleanup() { resetModule(); }

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
        m_c->execute(QStringLiteral("insert into loaLocalPurchaseCostingHeader (lpchcostingid, lpchcostingno, lpchbillid, lpchshopid, "
                                    "lpchcancelled) values (900000, 'DUP-1', ?, ?, 0)"),
                     {bill.billId, bill.shopId});
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
