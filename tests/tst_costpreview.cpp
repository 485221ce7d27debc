#include "controls/combobox.h"
#include "controls/flexgrid.h"
#include "controls/messagebox.h"
#include "entry/costpreview.h"
#include "entry/frmcostpreview.h"
#include "entry/frmlocalpurchasecosting.h"
#include "fixtures.h"
#include "guisupport.h"
#include "register/frmmaster.h"
#include "services/defaults.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace kadu2217;
using namespace kadu2217::testsupport;

namespace {

constexpr qint32 kBill = 900001;
constexpr qint32 kOtherBill = 900002;

// Everything a preview must leave as it was.
QVariantList storedState(const ConnectionPtr &c)
{
    return queryRows(c, QStringLiteral("select (select count(*) from loaLocalPurchaseCostingHeader), "
                                       "(select count(*) from loaLocalPurchaseCostingDetail), (select sum(itemrate) from aItem), "
                                       "(select count(*) from aAuditTrail), (select count(*) from aErrorLog), "
                                       "(select sum(lphcosted) from losLocalPurchaseHeader), "
                                       "(select sum(pricechanged) from losshopitemshipmentdetail)"))
        .first();
}

QVector<double> storedNewCosts(const ConnectionPtr &c, qint32 billId)
{
    QVector<double> costs;
    for (const QVariantList &row : queryRows(c, QStringLiteral("select d.lpcdnewitemcostprice from loaLocalPurchaseCostingDetail d, "
                                                               "loaLocalPurchaseCostingHeader h where h.lpchcostingid=d.lpcdcostingid "
                                                               "and h.lpchbillid=? and h.lpchcancelled=0 order by d.lpcddetailid"),
                                             {billId}))
        costs.append(row.first().toDouble());
    return costs;
}

QVector<double> previewedNewCosts(const frmCostPreview &preview)
{
    QVector<double> costs;
    for (const CostPreviewLine &line : preview.lines())
        costs.append(line.newCost);
    return costs;
}

} // namespace

class TestCostPreview : public QObject {
    Q_OBJECT

private:
    ConnectionPtr m_c;
    QString m_path;
    qint32 m_shop = 0;
    qint32 m_itemA = 0;
    qint32 m_itemB = 0;
    std::shared_ptr<QVector<ReportedError>> m_errors;
    std::shared_ptr<QVector<ShownMessage>> m_messages;

    // Two waiting bills of the demo's first shop; the first has item A on two lines with item B
    // between them.
    void addBills()
    {
        m_shop = queryValue(m_c, QStringLiteral("select min(lphShopID) from losLocalPurchaseHeader where lphDepartmentID=1")).toInt();
        // Item A has the most stock, so that its lines are averaged against some.
        m_itemA = queryValue(m_c, QStringLiteral("select top 1 itemid from vwinquiryshopstock group by itemid order by sum(stock) desc")).toInt();
        m_c->execute(QStringLiteral("update aItem set itemrate=100 where itemid=?"), {m_itemA});
        m_itemB = queryValue(m_c, QStringLiteral("select min(itemid) from aItem where itemrate > 0 and itemid <> ?"), {m_itemA}).toInt();
        addBill(m_c, Bill(kBill).shop(m_shop).number(QStringLiteral("PV-1")).made(kDemoNow.addDays(-1))
                         .line(m_itemA, 10, 2000).line(m_itemB, 4, 100).line(m_itemA, 10, 4000));
        addBill(m_c, Bill(kOtherBill).shop(m_shop).number(QStringLiteral("PV-2")).made(kDemoNow.addDays(-1)).line(m_itemB, 2, 30));
    }

    frmlocalpurchasecosting &openNewCosting(qint32 bill)
    {
        if (!frmMaster().isVisible()) {
            frmMaster().Form_Load();
            frmMaster().show();
        }
        setEntryMode(QStringLiteral("N"));
        frmlocalpurchasecosting &entry = entryWindow();
        entry.Load();
        entry.cboShop()->selectByValue(m_shop);
        entry.cboPurchNo()->selectByValue(bill);
        entry.show();
        return entry;
    }

    // Opens the preview, checks that nothing was written, and gives its new costs.
    QVector<double> previewInWindow(frmlocalpurchasecosting &entry)
    {
        const QVariantList before = storedState(m_c);
        entry.cmdCostPreview()->click();
        const frmCostPreview *preview = entry.costPreview();
        if (!preview || !preview->isVisible())
            return {};
        if (storedState(m_c) != before)
            qWarning("opening the preview wrote to the database");
        return previewedNewCosts(*preview);
    }

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QDir::tempPath().toUtf8() + "/tst_costpreview-settings"); }

    void init()
    {
        m_path = newDatabasePath(QStringLiteral("costpreview"));
        DemoOptions demo;
        demo.now = kDemoNow;
        m_c = openNewDatabase(m_path, true, demo);
        addBills();
        m_errors = recordErrors();
        m_messages = answerMessages();
        startSession(m_c, demo::adminUserId, demo::purchaseDepartmentId, kDemoNow);
    }
    void cleanup() { endModule(); }

    void previewShowsWhatOkStores_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<bool>("costFix");
        QTest::newRow("new") << false << false;
        QTest::newRow("new, cost fix") << false << true;
        QTest::newRow("edit") << true << false;
        QTest::newRow("edit, cost fix") << true << true;
    }
    void previewShowsWhatOkStores()
    {
        QFETCH(bool, edit);
        QFETCH(bool, costFix);
        frmlocalpurchasecosting &entry = openNewCosting(kBill);
        QVector<double> previewed;
        const auto previewAndSave = [&](frmlocalpurchasecosting &window, bool fix) {
            window.chkFix()->setChecked(fix);
            const QVariantList before = storedState(m_c);
            previewed = previewInWindow(window);
            QCOMPARE(storedState(m_c), before);
            QTest::keyClicks(window.txtremarks(), QStringLiteral(" checked"));
            window.cmdok()->click();
        };
        if (!edit) {
            previewAndSave(entry, costFix);
        } else {
            QTest::keyClicks(entry.txtremarks(), QStringLiteral("first"));
            entry.cmdok()->click();
            FrmMaster &master = frmMaster();
            FlexGrid *grid = master.FlexMaster();
            for (int r = 1; r < grid->rows(); ++r) {
                if (grid->textMatrix(r, 4) == QLatin1String("PV-1"))
                    grid->setRow(r);
            }
            QCOMPARE(grid->textMatrix(grid->row(), 4), QStringLiteral("PV-1"));
            whileModal<frmlocalpurchasecosting>(&entryWindow, [&](frmlocalpurchasecosting &window) { previewAndSave(window, costFix); });
            master.CmdEdit()->click();
        }
        QVERIFY2(m_errors->isEmpty(), m_errors->isEmpty() ? "" : qPrintable(m_errors->first().description));
        QCOMPARE(previewed.size(), 3);
        QCOMPARE(storedNewCosts(m_c, kBill), previewed);
        if (costFix) {
            // The item ends at its last line's cost.
            QCOMPARE(queryValue(m_c, QStringLiteral("select itemrate from aItem where itemid=?"), {m_itemA}).toDouble(), previewed[2]);
        }
    }

    void linesOfOneItemShowTheRunningAverage()
    {
        frmlocalpurchasecosting &entry = openNewCosting(kBill);
        entry.cmdCostPreview()->click();
        const QVector<CostPreviewLine> lines = entry.costPreview()->lines();
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[2].currentCost.value(), lines[0].newCost);
        QCOMPARE(lines[2].valuedStock, lines[0].valuedStock + 10);
        QCOMPARE(lines[0].costedPrice, 200.0);
        QCOMPARE(lines[2].costedPrice, 400.0);
        // The item ends at the weighted average of its stock and both lines.
        const double stock = lines[0].valuedStock;
        QVERIFY(stock > 0);
        QVERIFY(qFuzzyCompare(lines[2].newCost, (stock * 100 + 10 * 200 + 10 * 400) / (stock + 20)));
        const QTableWidget *grid = entry.costPreview()->grdCostPreview();
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->item(1, 0)->text(), queryValue(m_c, QStringLiteral("select itemcode from aItem where itemid=?"), {m_itemB}).toString());
        QVERIFY(m_errors->isEmpty());
    }

    void previewWritesNothingAndFollowsTheBill()
    {
        frmlocalpurchasecosting &entry = openNewCosting(kBill);
        const QVariantList before = storedState(m_c);
        QVERIFY(entry.cmdCostPreview()->isEnabled());
        entry.cmdCostPreview()->click();
        frmCostPreview *preview = entry.costPreview();
        QVERIFY(preview->isVisible());
        QVERIFY(!preview->isModal());
        QCOMPARE(preview->lines().size(), 3);
        entry.cboPurchNo()->selectByValue(kOtherBill);
        QVERIFY(preview->isVisible());
        QCOMPARE(preview->lines().size(), 1);
        QVERIFY(preview->findChild<QLabel *>(QStringLiteral("lblBill"))->text().contains(QStringLiteral("PV-2")));
        preview->close();
        QCOMPARE(storedState(m_c), before);
        // Closing the entry window closes its preview.
        entry.cmdCostPreview()->click();
        QVERIFY(preview->isVisible());
        m_messages = answerMessages([](const ShownMessage &) { return MsgBoxAnswer::No; });
        entry.cmdClose()->click();
        QVERIFY(!preview->isVisible());
        QCOMPARE(storedState(m_c), before);
        QVERIFY(m_errors->isEmpty());
    }

    void buttonFollowsTheGridAndTheTabOrder()
    {
        frmlocalpurchasecosting &entry = openNewCosting(kBill);
        QVERIFY(entry.cmdCostPreview()->isEnabled());
        QCOMPARE(entry.chkFix()->nextInFocusChain(), static_cast<QWidget *>(entry.cmdCostPreview()));
        QCOMPARE(entry.cmdCostPreview()->nextInFocusChain(), static_cast<QWidget *>(entry.cmdok()));
        QVERIFY(!entry.cmdCostPreview()->geometry().intersects(entry.chkFix()->geometry()));
        QVERIFY(!entry.cmdCostPreview()->geometry().intersects(entry.txtremarks()->geometry()));
        QVERIFY(!entry.cmdCostPreview()->geometry().intersects(entry.cmdok()->geometry()));
        // A bill without lines leaves nothing to preview.
        addBill(m_c, Bill(900003).shop(m_shop).number(QStringLiteral("PV-3")).made(kDemoNow.addDays(-1)));
        entry.Unload();
        entry.show();
        frmlocalpurchasecosting &again = openNewCosting(900003);
        QVERIFY(!again.cmdCostPreview()->isEnabled());
    }

    void linesAreMarked_data()
    {
        QTest::addColumn<double>("valuedStock");
        QTest::addColumn<QVariant>("currentCost");
        QTest::addColumn<double>("newCost");
        QTest::addColumn<bool>("beyond");
        QTest::addColumn<QString>("note");
        QTest::newRow("20% exactly is not beyond") << 5.0 << QVariant(10.0) << 12.0 << false << QString();
        QTest::newRow("a rise beyond") << 5.0 << QVariant(10.0) << 12.5 << true << QString();
        QTest::newRow("a fall beyond") << 5.0 << QVariant(10.0) << 7.5 << true << QString();
        QTest::newRow("no current cost") << 5.0 << QVariant() << 7.5 << false << QStringLiteral("new cost");
        QTest::newRow("a current cost of 0") << 5.0 << QVariant(0.0) << 7.5 << false << QStringLiteral("new cost");
        QTest::newRow("no stock valued") << 0.0 << QVariant(10.0) << 30.0 << true
                                         << QStringLiteral("no stock valued: the new cost is the costed price");
        QTest::newRow("stock below zero") << -3.0 << QVariant(10.0) << 10.5 << false
                                          << QStringLiteral("no stock valued: the new cost is the costed price");
    }
    void linesAreMarked()
    {
        QFETCH(double, valuedStock);
        QFETCH(QVariant, currentCost);
        QFETCH(double, newCost);
        QFETCH(bool, beyond);
        QFETCH(QString, note);
        CostPreviewLine line;
        line.priced = true;
        line.valuedStock = valuedStock;
        if (currentCost.isValid())
            line.currentCost = currentCost.toDouble();
        line.newCost = newCost;
        QCOMPARE(line.beyond(20.0), beyond);
        QCOMPARE(line.note(), note);
    }

    void thresholdIsKeptAndHighlights()
    {
        frmlocalpurchasecosting &entry = openNewCosting(kBill);
        entry.cmdCostPreview()->click();
        frmCostPreview *preview = entry.costPreview();
        QDoubleSpinBox *threshold = preview->txtThreshold();
        threshold->setValue(0.0);
        const QTableWidget *grid = preview->grdCostPreview();
        int highlighted = 0;
        for (int r = 0; r < grid->rowCount(); ++r)
            highlighted += grid->item(r, 0)->background().style() != Qt::NoBrush ? 1 : 0;
        int changed = 0;
        for (const CostPreviewLine &line : preview->lines())
            changed += line.beyond(0.0) ? 1 : 0;
        QCOMPARE(highlighted, changed);
        QVERIFY(changed > 0);
        threshold->setValue(35.5);
        QCOMPARE(frmCostPreview::savedThreshold(), 35.5);
        threshold->setValue(20.0);
    }

    void commandLinePrintsTheSameTable()
    {
        const QString file = m_path;
        QProcess process;
        process.start(QString::fromLocal8Bit(qgetenv("LOCALPURCHCOST_BIN")),
                      {QStringLiteral("preview"), QStringLiteral("--db"), file, QStringLiteral("--bill"),
                       QStringLiteral("%1:%2").arg(m_shop).arg(kBill)});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        DefaultDatabase lookups;
        lookups.adocon = m_c;
        const QVector<CostPreviewLine> expected = previewCosting(lookups, newCostingOfBill(m_c, lookups, 1, m_shop, kBill));
        QCOMPARE(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'), costPreviewText(expected));
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.first().startsWith(QStringLiteral("item code\t")));

        process.start(QString::fromLocal8Bit(qgetenv("LOCALPURCHCOST_BIN")),
                      {QStringLiteral("preview"), QStringLiteral("--db"), file, QStringLiteral("--bill"), QStringLiteral("twelve")});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 2);
    }
};

QTEST_MAIN(TestCostPreview)
#include "tst_costpreview.moc"
